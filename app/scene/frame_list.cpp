#include "app/scene/frame_list.h"

#include <fmt/format.h>

#include <algorithm>
#include <charconv>
#include <limits>

namespace zg::scene {

namespace {

// One item of a list: frames first, first + step, ... up to last.
struct FrameRun {
    long long first = 0;
    long long last = 0;
    long long step = 1;
    long long Count() const { return (last - first) / step + 1; }
};

// A whole number at the start of `text`, which it then skips.
std::optional<long long> TakeNumber(std::string_view& text) {
    long long value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end == text.data()) return std::nullopt;
    text.remove_prefix(static_cast<std::size_t>(end - text.data()));
    return value;
}

std::optional<FrameRun> ParseItem(std::string_view item, std::string& error) {
    const std::string shown(item);
    const auto bad = [&] {
        error = fmt::format("\"{}\": expected a frame (5), a range (1-100 or 0:24) or a stepped range (7-20:2)", shown);
        return std::nullopt;
    };
    const std::optional<long long> first = TakeNumber(item);
    if (!first) return bad();
    FrameRun run{*first, *first, 1};
    if (item.empty()) return run;
    const char separator = item.front();
    if (separator != '-' && separator != ':') return bad();
    item.remove_prefix(1);
    const std::optional<long long> last = TakeNumber(item);
    if (!last) return bad();
    run.last = *last;
    if (separator == '-' && !item.empty()) {
        if (item.front() != ':') return bad();
        item.remove_prefix(1);
        const std::optional<long long> step = TakeNumber(item);
        if (!step) return bad();
        if (*step < 1) {
            error = fmt::format("\"{}\": the step must be 1 or more", shown);
            return std::nullopt;
        }
        run.step = *step;
    }
    if (!item.empty()) return bad();
    if (run.first > run.last) {
        error = fmt::format("\"{}\": the first frame comes after the last", shown);
        return std::nullopt;
    }
    const long long intMin = std::numeric_limits<int>::min();
    const long long intMax = std::numeric_limits<int>::max();
    if (run.first < intMin || run.last > intMax) {
        error = fmt::format("\"{}\": frames must lie between {} and {}", shown, intMin, intMax);
        return std::nullopt;
    }
    return run;
}

}  // namespace

std::optional<std::vector<int>> ParseFrameList(std::string_view text, std::string& error) {
    if (text.empty()) {
        error = "an empty frame list";
        return std::nullopt;
    }
    std::vector<FrameRun> runs;
    long long total = 0;
    for (std::size_t start = 0; start <= text.size();) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        const std::optional<FrameRun> run = ParseItem(text.substr(start, comma - start), error);
        if (!run) return std::nullopt;
        total += run->Count();
        if (total > kMaxListFrames) {
            error = fmt::format("more than the {} frames a list may hold", kMaxListFrames);
            return std::nullopt;
        }
        runs.push_back(*run);
        start = comma + 1;
    }
    std::vector<int> frames;
    frames.reserve(static_cast<std::size_t>(total));
    for (const FrameRun& run : runs) {
        for (long long f = run.first; f <= run.last; f += run.step) frames.push_back(static_cast<int>(f));
    }
    std::vector<int> sorted = frames;
    std::sort(sorted.begin(), sorted.end());
    if (const auto twice = std::adjacent_find(sorted.begin(), sorted.end()); twice != sorted.end()) {
        error = fmt::format("frame {} is listed twice", *twice);
        return std::nullopt;
    }
    return frames;
}

std::optional<std::vector<int>> ChunkOfFrames(const std::vector<int>& frames, std::string_view text,
                                              std::string& error) {
    const std::string shown(text);
    std::string_view rest = text;
    const std::optional<long long> k = TakeNumber(rest);
    const bool slash = k && !rest.empty() && rest.front() == '/';
    if (slash) rest.remove_prefix(1);
    const std::optional<long long> n = slash ? TakeNumber(rest) : std::nullopt;
    if (!n || !rest.empty()) {
        error = fmt::format("\"{}\": expected K/N, the K-th of N parts, such as 2/8", shown);
        return std::nullopt;
    }
    if (*n < 1 || *k < 1 || *k > *n) {
        error = fmt::format("\"{}\": K must lie between 1 and N", shown);
        return std::nullopt;
    }
    const long long count = static_cast<long long>(frames.size());
    if (*n > count) {
        error = fmt::format("\"{}\": {} frames cannot make {} parts", shown, count, *n);
        return std::nullopt;
    }
    return PartOfFrames(frames, static_cast<int>(*k - 1), static_cast<int>(*n));
}

std::vector<int> PartOfFrames(const std::vector<int>& frames, int index, int parts) {
    const std::size_t count = frames.size();
    const std::size_t n = static_cast<std::size_t>(std::max(parts, 1));
    const std::size_t k = std::min(static_cast<std::size_t>(std::max(index, 0)), n - 1);
    const std::size_t base = count / n;
    const std::size_t longer = count % n;
    const std::size_t begin = k * base + std::min(k, longer);
    const std::size_t size = base + (k < longer ? 1 : 0);
    return std::vector<int>(frames.begin() + static_cast<std::ptrdiff_t>(begin),
                            frames.begin() + static_cast<std::ptrdiff_t>(begin + size));
}

bool CheckFramesInTime(const Scene& scene, const std::vector<int>& frames, std::string& error) {
    for (const int f : frames) {
        if (!scene.Rate().FrameToTicks(f, error)) return false;
    }
    return true;
}

}  // namespace zg::scene
