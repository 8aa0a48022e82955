#include "app/cli/frame_options.h"

#include <CLI/CLI.hpp>
#include <fmt/format.h>

#include "app/scene/frame_list.h"

namespace zg::cli {

CLI::Option* AddFrameListOptions(CLI::App& command, CLI::Option* frame, std::string& frames, std::string& chunk,
                                 const std::string& what, const std::string& into) {
    CLI::Option* list =
        command.add_option("--frames", frames, fmt::format("{} a list of frames (0:24, 1-100, 1-3,5,7-20:2) {}", what, into))
            ->type_name("LIST");
    frame->excludes(list);
    command.add_option("--chunk", chunk, fmt::format("{} only the K-th of N equal parts of the frame list (farms)", what))
        ->type_name("K/N")
        ->needs(list);
    return list;
}

std::optional<ChosenFrames> ChooseFrames(const std::string& frames, const std::string& chunk, std::string& error) {
    if (frames.empty()) return ChosenFrames{};
    auto whole = scene::ParseFrameList(frames, error);
    if (!whole) {
        error = fmt::format("--frames {}: {}", frames, error);
        return std::nullopt;
    }
    if (chunk.empty()) return ChosenFrames{*whole, *whole};
    auto part = scene::ChunkOfFrames(*whole, chunk, error);
    if (!part) {
        error = "--chunk " + error;
        return std::nullopt;
    }
    return ChosenFrames{std::move(*whole), std::move(*part)};
}

}  // namespace zg::cli
