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

template <typename T>
std::vector<RecordRun> ChangedRuns(const std::vector<T>& before, const std::vector<T>& now) {
    // Records have no padding (their sizes are asserted), so bytes compare them whole.
    // A gap this short costs less sent than a run's two words.
    constexpr std::size_t kJoinGap = (2 * sizeof(uint32_t) + sizeof(T) - 1) / sizeof(T);
    std::vector<RecordRun> runs;
    for (std::size_t i = 0; i < now.size(); ++i) {
        if (std::memcmp(&before[i], &now[i], sizeof(T)) == 0) continue;
        if (!runs.empty() && i - (runs.back().first + runs.back().count) <= kJoinGap)
            runs.back().count = static_cast<uint32_t>(i + 1 - runs.back().first);
        else
            runs.push_back({static_cast<uint32_t>(i), 1});
    }
    return runs;
}

template <typename T>
std::size_t RunRecords(const std::vector<RecordRun>& runs) {
    std::size_t n = 0;
    for (const RecordRun& run : runs) n += run.count;
    return n * sizeof(T);
}

}  // namespace

std::optional<DrawingPatch> PatchBetween(const viewport::WorldDrawing& before, const viewport::WorldDrawing& now) {
    if (before.Lines().size() != now.Lines().size() || before.Markers().size() != now.Markers().size())
        return std::nullopt;
    DrawingPatch patch{ChangedRuns(before.Lines(), now.Lines()), ChangedRuns(before.Markers(), now.Markers())};
    const std::size_t bytes = EncodedPatchBytes(patch);
    if (bytes > kPatchHeaderBytes + kPartRecordBytes || 2 * bytes > EncodedChunkBytes(now)) return std::nullopt;
    return patch;
}

std::size_t EncodedPatchBytes(const DrawingPatch& patch) {
    return kPatchHeaderBytes + (patch.lines.size() + patch.markers.size()) * 2 * sizeof(uint32_t) +
           RunRecords<viewport::WorldLine>(patch.lines) + RunRecords<viewport::WorldMarker>(patch.markers);
}

std::string EncodePatch(const viewport::WorldDrawing& now, const DrawingPatch& patch, uint32_t id, uint64_t revision,
                        uint64_t base, uint32_t node) {
    std::string out;
    out.reserve(EncodedPatchBytes(patch));
    for (const uint32_t w : {kPatchMagic, id, static_cast<uint32_t>(revision), static_cast<uint32_t>(base), node,
                             static_cast<uint32_t>(patch.lines.size()), static_cast<uint32_t>(patch.markers.size())})
        PutWord(out, w);
    for (const auto* runs : {&patch.lines, &patch.markers}) {
        for (const RecordRun& run : *runs) {
            PutWord(out, run.first);
            PutWord(out, run.count);
        }
    }
    for (const RecordRun& run : patch.lines) PutRecords(out, now.Lines(), run.first, run.count);
    for (const RecordRun& run : patch.markers) PutRecords(out, now.Markers(), run.first, run.count);
    return out;
}

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

std::optional<uint32_t> MarkersOnLineStarts(const viewport::WorldDrawing& drawing, const viewport::WorldDrawing& source) {
    const auto& markers = drawing.Markers();
    const auto& lines = source.Lines();
    if (markers.empty() || !drawing.Lines().empty() || markers.size() > lines.size()) return std::nullopt;
    if (std::any_of(markers.begin(), markers.end(), [&](const viewport::WorldMarker& m) { return m.node != markers[0].node; }))
        return std::nullopt;
    const auto same = [](const float (&p)[3], const float (&q)[3]) { return std::memcmp(p, q, sizeof p) == 0; };
    const auto placedFrom = [&](std::size_t first) {
        for (std::size_t k = 0; k < markers.size(); ++k)
            if (!same(lines[first + k].a, markers[k].at)) return false;
        return true;
    };
    // A line before the run may start where it does (a box's corner at the lattice's);
    // a few such starts are tried, so that a drawing of many lines from one point
    // costs a few passes, not one per line.
    constexpr int kTries = 8;
    int tries = 0;
    for (std::size_t first = 0; first + markers.size() <= lines.size() && tries < kTries; ++first) {
        if (!same(lines[first].a, markers[0].at)) continue;
        if (placedFrom(first)) return static_cast<uint32_t>(first);
        ++tries;
    }
    return std::nullopt;
}

namespace {

constexpr std::size_t kPlacedPerPart = kPartRecordBytes / sizeof(uint32_t);

}  // namespace

std::size_t EncodedPlacedMarkersBytes(const viewport::WorldDrawing& drawing) {
    const std::size_t n = drawing.Markers().size();
    const std::size_t parts = std::max<std::size_t>(1, (n + kPlacedPerPart - 1) / kPlacedPerPart);
    return parts * kPlacedHeaderBytes + n * sizeof(uint32_t);
}

void EncodePlacedMarkers(const viewport::WorldDrawing& drawing, uint32_t id, uint64_t revision, uint32_t node,
                         const LineSource& source, const std::function<void(std::string)>& part) {
    const auto& markers = drawing.Markers();
    std::size_t first = 0;
    do {
        const std::size_t count = std::min(markers.size() - first, kPlacedPerPart);
        std::string out;
        out.reserve(kPlacedHeaderBytes + count * sizeof(uint32_t));
        for (const std::size_t w : {std::size_t{kPlacedMagic}, std::size_t{id}, static_cast<std::size_t>(revision),
                                    std::size_t{node}, markers.size(), first, count, std::size_t{source.id},
                                    static_cast<std::size_t>(source.revision), std::size_t{source.firstLine},
                                    std::size_t{markers.empty() ? 0 : markers[0].node}})
            PutWord(out, static_cast<uint32_t>(w));
        for (std::size_t k = first; k < first + count; ++k) {
            const viewport::WorldMarker& m = markers[k];
            PutWord(out, m.rgb[0] | m.rgb[1] << 8 | m.rgb[2] << 16 | static_cast<uint32_t>(m.code) << 24);
        }
        part(std::move(out));
        first += count;
    } while (first < markers.size());
}

}  // namespace zg::web
