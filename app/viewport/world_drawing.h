// WorldDrawing: what one node drew, for a front end that projects drawings itself:
// lines and markers in world space (the node's transform applied, nothing projected),
// each with its colour, the node it belongs to and how to stroke it. The records are
// laid out as the page's GPU buffers take them (app/web/frame_encoding.h), so that a
// drawing goes to the page, and from there to the GPU, without being taken apart.
//
// Polylines arrive as their edges, the first edge of each marked, so that lines of
// every kind go to the GPU as one list. The drawing holds its storage within the
// host's memory budget: once the budget refuses room, later records are dropped and
// MemoryRefused() says so.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "app/viewport/primitive_sink.h"
#include "host/geometry.h"
#include "host/heap.h"

namespace zg::viewport {

// How a line is stroked, as the renderer strokes the same item: the host's own lines
// and segments 1 pixel wide, an object's polylines 1.3, its force segments 1.5 and
// fading from their base to their tip.
enum class LineStyle : uint8_t { kHostLine = 0, kObjectLine = 1, kForceSegment = 2, kHostSegment = 3 };

// Flags of a record, the top byte of its node word.
inline constexpr uint32_t kDrawnInNodeColor = 1;  // drawn in the node's own colour: selection recolours it
inline constexpr uint32_t kPolylineStart = 2;     // the first edge of a polyline
inline constexpr uint32_t kPolylineClosed = 4;    // ... of a closed one (on its first edge)
inline constexpr uint32_t kNodeIdMask = 0x00FFFFFF;
// The node word of the host's own drawing.
inline constexpr uint32_t kHostNodeId = kNodeIdMask;

// One edge of a polyline, or one segment of a batch: 32 bytes.
struct WorldLine {
    float a[3];
    float b[3];
    uint8_t rgb[3];
    LineStyle style;
    uint32_t node;  // node id | flags << 24
};
static_assert(sizeof(WorldLine) == 32);

// One marker: 20 bytes. Codes are the host's marker codes; one that does not fit in a
// byte is kept as 255, which is drawn, like every code the host does not define, as a
// single pixel.
struct WorldMarker {
    float at[3];
    uint8_t rgb[3];
    uint8_t code;
    uint32_t node;
};
static_assert(sizeof(WorldMarker) == 20);

inline constexpr uint8_t kUnknownMarkerCode = 255;

class WorldDrawing {
public:
    const std::vector<WorldLine>& Lines() const { return lines_; }
    const std::vector<WorldMarker>& Markers() const { return markers_; }
    bool Empty() const { return lines_.empty() && markers_.empty(); }
    bool MemoryRefused() const { return refused_; }
    std::size_t BudgetBytes() const { return budget_.Bytes(); }

    // False, keeping nothing, when the memory budget refuses room.
    bool AddLine(const WorldLine& line);
    bool AddMarker(const WorldMarker& marker);

    // Same records in the same order.
    bool SameAs(const WorldDrawing& other) const;

private:
    template <typename T>
    bool Append(std::vector<T>& records, const T& record);

    std::vector<WorldLine> lines_;
    std::vector<WorldMarker> markers_;
    host::BudgetShare budget_;
    bool refused_ = false;
};

// The three bytes of a colour, each channel rounded from 0..1.
void ColorBytes(const Rgb& color, uint8_t out[3]);

}  // namespace zg::viewport
