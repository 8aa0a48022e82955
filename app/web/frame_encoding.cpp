#include "app/web/frame_encoding.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <vector>

namespace zg::web {

namespace {

using viewport::DisplayItem;
using viewport::DisplayItemKind;

static_assert(std::endian::native == std::endian::little, "frames are written in the machine's byte order");

uint32_t Channel(float c) {
    return static_cast<uint32_t>(std::lround(std::clamp(std::isfinite(c) ? c : 0.0f, 0.0f, 1.0f) * 255.0f));
}

uint32_t Color(const viewport::Rgb& c) { return Channel(c.r) | (Channel(c.g) << 8) | (Channel(c.b) << 16); }

uint32_t Kind(DisplayItemKind kind) {
    switch (kind) {
        case DisplayItemKind::kPolyline: return 0;
        case DisplayItemKind::kSegments: return 1;
        case DisplayItemKind::kMarker: return 2;
    }
    return 0;
}

// Whether marker `b` may travel in the same item as marker `a`.
bool SameMarkerRun(const DisplayItem& a, const DisplayItem& b) {
    return a.kind == DisplayItemKind::kMarker && b.kind == DisplayItemKind::kMarker && a.node == b.node &&
           a.markerCode == b.markerCode && a.color == b.color;
}

class Writer {
public:
    void Word(uint32_t w) { Append(&w, sizeof w); }
    void Float(float f) { Append(&f, sizeof f); }
    void Bytes(const std::string& s) { Append(s.data(), s.size()); }
    void Pad() {
        while (out_.size() % 4 != 0) out_.push_back(' ');
    }
    std::string& Out() { return out_; }

private:
    void Append(const void* p, std::size_t n) { out_.append(static_cast<const char*>(p), n); }
    std::string out_;
};

}  // namespace

std::string EncodeFrame(const viewport::DisplayList& list, int view, uint64_t revision) {
    const std::vector<DisplayItem>& items = list.Items();
    // Items as sent: [first, last) ranges of the list, marker runs merged.
    std::vector<std::pair<std::size_t, std::size_t>> runs;
    std::size_t totalPoints = 0;
    for (std::size_t i = 0; i < items.size();) {
        std::size_t j = i + 1;
        while (j < items.size() && SameMarkerRun(items[i], items[j])) ++j;
        runs.emplace_back(i, j);
        for (std::size_t k = i; k < j; ++k) totalPoints += items[k].points.size();
        i = j;
    }

    Writer w;
    w.Out().reserve(64 + runs.size() * 16 + totalPoints * 8);
    w.Word(kFrameMagic);
    w.Word(static_cast<uint32_t>(view));
    w.Word(static_cast<uint32_t>(list.Width()));
    w.Word(static_cast<uint32_t>(list.Height()));
    w.Word(static_cast<uint32_t>(revision));
    const std::string names =
        nlohmann::json(list.NodeNames()).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    w.Word(static_cast<uint32_t>(names.size()));
    w.Bytes(names);
    w.Pad();
    w.Word(static_cast<uint32_t>(runs.size()));
    for (const auto& [first, last] : runs) {
        const DisplayItem& item = items[first];
        std::size_t points = 0;
        for (std::size_t k = first; k < last; ++k) points += items[k].points.size();
        w.Word(Kind(item.kind) | (item.closed ? 1u << 8 : 0u) | (static_cast<uint32_t>(item.markerCode & 0xFFFF) << 16));
        w.Word(static_cast<uint32_t>(item.node));
        w.Word(Color(item.color));
        w.Word(static_cast<uint32_t>(points));
    }
    w.Word(static_cast<uint32_t>(totalPoints));
    for (const DisplayItem& item : items) {
        for (const viewport::PixelPoint& p : item.points) {
            w.Float(static_cast<float>(p.x));
            w.Float(static_cast<float>(p.y));
        }
    }
    return std::move(w.Out());
}

}  // namespace zg::web
