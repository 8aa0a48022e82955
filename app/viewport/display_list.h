// DisplayList: what one viewport drew, in drawing order and in pixels, with the node
// that drew each item. The renderer paints it; the JSON writer hands it out.
//
// The list holds its storage within the host's memory budget (host/heap.h): once the
// budget refuses room for more, later items are dropped and the nodes that lost them
// are named in Shortfalls(), so that a huge drawing never takes more memory than the
// budget allows.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "app/viewport/primitive_sink.h"
#include "host/heap.h"

namespace zg::viewport {

enum class DisplayItemKind { kPolyline, kSegments, kMarker };

// One drawing call as the viewport received it.
struct DisplayItem {
    DisplayItemKind kind = DisplayItemKind::kPolyline;
    int node = -1;  // index into DisplayList::NodeNames(); -1 for the host's own drawing (grid)
    Rgb color;
    bool closed = false;  // polyline only
    int markerCode = 0;   // marker only
    // Polyline: its points. Segments: two points per segment, start then end. Marker:
    // its position.
    std::vector<PixelPoint> points;
};

// What kept one node's drawing from being whole.
struct DrawingShortfall {
    std::string node;
    std::size_t nonFinitePoints = 0;  // left out by the graphics window
    bool memoryRefused = false;       // the memory budget refused the node (or the list) room
};

// One line for each thing that kept a node's drawing from being whole, for the user:
// shortfalls of the same node are taken together, in the order first met.
std::vector<std::string> ShortfallWarnings(const std::vector<DrawingShortfall>& shortfalls);

class DisplayList final : public PrimitiveSink {
public:
    DisplayList() = default;
    DisplayList(int width, int height) : width_(width), height_(height) {}

    int Width() const { return width_; }
    int Height() const { return height_; }

    // Later items belong to the node `name`; an empty name means the host itself.
    void BeginNode(const std::string& name);
    void EndNode() { currentNode_ = -1; }

    const std::vector<DisplayItem>& Items() const { return items_; }
    const std::vector<std::string>& NodeNames() const { return nodeNames_; }
    // The name of item's node, or "" for the host's own drawing.
    const std::string& NodeName(const DisplayItem& item) const;
    // How many items of `kind` the node `name` drew.
    std::size_t Count(const std::string& name, DisplayItemKind kind) const;

    // Records what kept node `name`'s drawing from being whole; nothing is recorded for
    // a node that lost nothing.
    void NoteShortfall(const std::string& name, std::size_t nonFinitePoints, bool memoryRefused);
    // Nodes whose drawing is not whole, in the order first noted: items dropped for
    // want of memory, and what NoteShortfall was told.
    const std::vector<DrawingShortfall>& Shortfalls() const { return shortfalls_; }
    // Bytes of the memory budget the list holds.
    std::size_t BudgetBytes() const { return budget_.Bytes(); }

    void Polyline(const Rgb& color, std::span<const PixelPoint> points, bool closed, bool partial) override;
    void BeginSegments(const Rgb& color) override;
    void Segment(const PixelPoint& a, const PixelPoint& b, bool partial) override;
    void EndSegments() override;
    void Marker(const Rgb& color, const PixelPoint& at, int code) override;

private:
    // Makes room for `extra` more entries in `v` within the memory budget; false, with
    // the current node noted, when the budget refuses.
    template <typename T>
    bool Room(std::vector<T>& v, std::size_t extra);
    DrawingShortfall& ShortfallOf(const std::string& name);

    int width_ = 0;
    int height_ = 0;
    int currentNode_ = -1;
    bool inBatch_ = false;
    std::vector<std::string> nodeNames_;
    std::vector<DisplayItem> items_;
    std::vector<DrawingShortfall> shortfalls_;
    host::BudgetShare budget_;
    bool batchRefused_ = false;  // the open batch lost segments
};

}  // namespace zg::viewport
