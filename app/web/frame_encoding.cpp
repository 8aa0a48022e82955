#include "app/web/frame_encoding.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace zg::web {

namespace {

static_assert(std::endian::native == std::endian::little, "chunks are written in the machine's byte order");

void PutWord(std::string& out, uint32_t w) { out.append(reinterpret_cast<const char*>(&w), sizeof w); }

template <typename T>
void PutRecords(std::string& out, const std::vector<T>& records, std::size_t first, std::size_t count) {
    if (count != 0) out.append(reinterpret_cast<const char*>(records.data() + first), count * sizeof(T));
}

// Each part's first line, line count, first marker and marker count, in order.
template <class Part>
void Split(std::size_t lines, std::size_t markers, const Part& part) {
    std::size_t line = 0;
    std::size_t marker = 0;
    do {
        std::size_t room = kPartRecordBytes;
        const std::size_t lineCount = std::min(lines - line, room / sizeof(viewport::WorldLine));
        room -= lineCount * sizeof(viewport::WorldLine);
        const std::size_t markerCount =
            line + lineCount < lines ? 0 : std::min(markers - marker, room / sizeof(viewport::WorldMarker));
        part(line, lineCount, marker, markerCount);
        line += lineCount;
        marker += markerCount;
    } while (line < lines || marker < markers);
}

}  // namespace

std::size_t EncodedChunkBytes(const viewport::WorldDrawing& drawing) {
    std::size_t bytes = 0;
    Split(drawing.Lines().size(), drawing.Markers().size(),
          [&bytes](std::size_t, std::size_t lineCount, std::size_t, std::size_t markerCount) {
              bytes += kChunkHeaderBytes + lineCount * sizeof(viewport::WorldLine) +
                       markerCount * sizeof(viewport::WorldMarker);
          });
    return bytes;
}

void EncodeChunk(const viewport::WorldDrawing& drawing, uint32_t id, uint64_t revision, uint32_t node,
                 const std::function<void(std::string)>& part) {
    const auto& lines = drawing.Lines();
    const auto& markers = drawing.Markers();
    Split(lines.size(), markers.size(), [&](std::size_t line, std::size_t lineCount, std::size_t marker,
                                            std::size_t markerCount) {
        std::string out;
        out.reserve(kChunkHeaderBytes + lineCount * sizeof(viewport::WorldLine) +
                    markerCount * sizeof(viewport::WorldMarker));
        for (const std::size_t w : {std::size_t{kChunkMagic}, std::size_t{id}, static_cast<std::size_t>(revision),
                                    std::size_t{node}, lines.size(), markers.size(), line, lineCount, marker,
                                    markerCount})
            PutWord(out, static_cast<uint32_t>(w));
        PutRecords(out, lines, line, lineCount);
        PutRecords(out, markers, marker, markerCount);
        part(std::move(out));
    });
}

}  // namespace zg::web
