// The binary form in which the interactive host sends a page what one view drew: the
// display list of `render -o x.json`, packed into typed arrays so a frame of thousands
// of segments stays small and decodes without parsing.
//
// Little-endian 32-bit words throughout, every section starting on a multiple of four
// bytes:
//   magic 0x3146475A ("ZGF1"), view index, width, height, revision (low 32 bits)
//   byte length N of a UTF-8 JSON array of the node names, the N bytes, spaces to a
//   multiple of four
//   item count, then four words per item:
//     kind (0 polyline, 1 segments, 2 markers) | closed << 8 | marker code << 16,
//     node index into the names (-1 for the host's own drawing),
//     colour 0x00BBGGRR, point count
//   point count in all, then x and y of every point as 32-bit floats, item after item
// A polyline's points run along it, a segment batch holds two points per segment and
// a marker item one point per marker: neighbouring markers of one node, colour and code
// travel as one item.
#pragma once

#include <cstdint>
#include <string>

#include "app/viewport/display_list.h"

namespace zg::web {

inline constexpr uint32_t kFrameMagic = 0x3146475A;

std::string EncodeFrame(const viewport::DisplayList& list, int view, uint64_t revision);

}  // namespace zg::web
