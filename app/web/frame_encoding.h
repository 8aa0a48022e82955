// The binary form in which the interactive host sends a page the drawing of its views:
// chunks of world-space records (app/viewport/world_drawing.h), each the drawing of one
// node or of the host, with an id and a revision (app/web/page_drawing.h). The records
// travel in the layout the page's GPU buffers take, so the page uploads what it
// receives as it is, without reading it record by record.
//
// A chunk travels in one or more parts, one binary WebSocket message each, so that a
// large drawing never makes one huge message and the page handles it piece by piece.
// Little-endian 32-bit words, every section on a multiple of four bytes:
//   magic 0x3246475A ("ZGF2")
//   chunk id, revision (low 32 bits), node id (0xFFFFFF: the host's own drawing)
//   the chunk's line count and marker count in all
//   this part's first line and line count, its first marker and marker count
//   the part's lines, 32 bytes each: a, b as three 32-bit floats each; red, green,
//     blue, line style (one byte each); the node word (node id | flags << 24)
//   the part's markers, 20 bytes each: position as three floats; red, green, blue,
//     marker code; the node word
// A part holds lines, or markers, or both (the chunk's last lines and its first
// markers); every part but the last of a chunk is kPartRecordBytes or less.
//
// A chunk drawn again with as many records, of which only some changed (a field
// viewer's markers flip one by one as a view turns), may travel instead as one patch
// against the revision the page holds:
//   magic 0x3250475A ("ZGP2")
//   chunk id, revision (low 32 bits), base revision (low 32 bits), node id
//   the number of line runs and of marker runs
//   each run's first record and record count, line runs first
//   the records of the line runs, then those of the marker runs, in run order
//
// A chunk of markers alone, each at the start point of a line of another chunk in turn
// (a field viewer's markers sit on the bases of its force segments, which its shared
// chunk holds), may travel instead in parts that leave the positions out, 4 bytes a
// marker instead of 20:
//   magic 0x3241475A ("ZGA2")
//   chunk id, revision (low 32 bits), node id
//   the chunk's marker count in all; this part's first marker and marker count
//   the source chunk's id and revision (low 32 bits), and its line under marker 0
//   the node word of every marker
//   the part's markers, one word each: red, green, blue, marker code
// Marker k sits at point a of the source's line (that line + k), the source as the
// page holds it once the drawing that brings both is made its own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/viewport/world_drawing.h"

namespace zg::web {

inline constexpr uint32_t kChunkMagic = 0x3246475A;
inline constexpr std::size_t kChunkHeaderBytes = 40;
// The record bytes a part carries at most.
inline constexpr std::size_t kPartRecordBytes = std::size_t{1} << 20;

inline constexpr uint32_t kPatchMagic = 0x3250475A;
inline constexpr std::size_t kPatchHeaderBytes = 28;

inline constexpr uint32_t kPlacedMagic = 0x3241475A;
inline constexpr std::size_t kPlacedHeaderBytes = 44;

// A run of records that changed: the first and how many.
struct RecordRun {
    uint32_t first = 0;
    uint32_t count = 0;
    bool operator==(const RecordRun&) const = default;
};
// The records of a drawing that changed since an earlier one of the same counts.
struct DrawingPatch {
    std::vector<RecordRun> lines;
    std::vector<RecordRun> markers;
};

// The runs in which `now` differs from `before`; none when their counts differ or when
// the patch would not be smaller than half of `now` sent whole (or would exceed one
// part). Runs a few records apart are joined: a run's two words cost more than the
// records between.
std::optional<DrawingPatch> PatchBetween(const viewport::WorldDrawing& before, const viewport::WorldDrawing& now);
// The patch's one part, with the records of `now`.
std::string EncodePatch(const viewport::WorldDrawing& now, const DrawingPatch& patch, uint32_t id, uint64_t revision,
                        uint64_t base, uint32_t node);
std::size_t EncodedPatchBytes(const DrawingPatch& patch);

// Calls `part` with each part of the chunk, in order; an empty drawing makes one part
// with no records.
void EncodeChunk(const viewport::WorldDrawing& drawing, uint32_t id, uint64_t revision, uint32_t node,
                 const std::function<void(std::string)>& part);
// The bytes EncodeChunk makes of `drawing`, all parts together, without making them.
std::size_t EncodedChunkBytes(const viewport::WorldDrawing& drawing);

// Where markers placed on `source`'s lines start: the source line under the first
// marker, when `drawing` has markers and no lines, every marker sits at point a of the
// source's lines in turn from there, and all have one node word; nullopt otherwise.
std::optional<uint32_t> MarkersOnLineStarts(const viewport::WorldDrawing& drawing, const viewport::WorldDrawing& source);

// A chunk whose markers sit on `source`'s lines from `firstLine` on, the source being
// chunk `sourceId` at `sourceRevision`: calls `part` with each part, in order.
struct LineSource {
    uint32_t id = 0;
    uint64_t revision = 0;
    uint32_t firstLine = 0;
};
void EncodePlacedMarkers(const viewport::WorldDrawing& drawing, uint32_t id, uint64_t revision, uint32_t node,
                         const LineSource& source, const std::function<void(std::string)>& part);
std::size_t EncodedPlacedMarkersBytes(const viewport::WorldDrawing& drawing);

}  // namespace zg::web
