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
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "app/viewport/world_drawing.h"

namespace zg::web {

inline constexpr uint32_t kChunkMagic = 0x3246475A;
inline constexpr std::size_t kChunkHeaderBytes = 40;
// The record bytes a part carries at most.
inline constexpr std::size_t kPartRecordBytes = std::size_t{1} << 20;

// Calls `part` with each part of the chunk, in order; an empty drawing makes one part
// with no records.
void EncodeChunk(const viewport::WorldDrawing& drawing, uint32_t id, uint64_t revision, uint32_t node,
                 const std::function<void(std::string)>& part);
// The bytes EncodeChunk makes of `drawing`, all parts together, without making them.
std::size_t EncodedChunkBytes(const viewport::WorldDrawing& drawing);

}  // namespace zg::web
