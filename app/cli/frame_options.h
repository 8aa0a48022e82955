// The frame-list options that render and samples share: --frames LIST and --chunk K/N,
// read through the one parser of frame lists (app/scene/frame_list.h).
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace CLI {
class App;
class Option;
}  // namespace CLI

namespace zg::cli {

// The frames the options name: the whole list, and the part --chunk picks (all of it
// without --chunk). Both empty when --frames is not given.
struct ChosenFrames {
    std::vector<int> whole;
    std::vector<int> part;
};

// Adds --frames (excluding `frame`, the command's --frame) and --chunk, which need it.
// `what` says what the command does with the list ("Draw", "Sample"); `into` what a
// list makes.
CLI::Option* AddFrameListOptions(CLI::App& command, CLI::Option* frame, std::string& frames, std::string& chunk,
                                 const std::string& what, const std::string& into);

// The frames of --frames and --chunk; none, with a one-line reason naming the option,
// when either is malformed.
std::optional<ChosenFrames> ChooseFrames(const std::string& frames, const std::string& chunk, std::string& error);

}  // namespace zg::cli
