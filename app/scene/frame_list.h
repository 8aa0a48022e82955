// FrameList: the frames a command works through, as farm schedulers write them, and
// the share of them one machine of a farm takes.
//
// A list is one or more items separated by commas:
//   F        one frame                         "5", "-3"
//   A-B      frames A to B                     "1-100", "-10--5"
//   A-B:S    every S-th frame from A to B      "7-20:2" is 7, 9, ..., 19
//   A:B      frames A to B                     "0:24" (the older form of a range)
// Frames are whole numbers and may be negative; ranges run forwards, steps are
// positive, and no frame may appear twice. Lists are checked whole, and never expanded
// beyond kMaxListFrames, before any work is done.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/scene/scene.h"

namespace zg::scene {

// A list of more frames than this is refused.
inline constexpr long long kMaxListFrames = 10000;

// The frames `text` names, in its order; none, with a one-line reason, for a list
// that is malformed, runs backwards, repeats a frame or holds too many frames.
std::optional<std::vector<int>> ParseFrameList(std::string_view text, std::string& error);

// The K-th of N equal parts of `frames` for `text` "K/N" (1 <= K <= N): consecutive
// frames of the list, the first parts one frame longer when N does not divide it.
// None, with a reason, for a malformed text, K outside 1..N, or a part that would be
// empty (N above the list's length).
std::optional<std::vector<int>> ChunkOfFrames(const std::vector<int>& frames, std::string_view text,
                                              std::string& error);

// Part `index` (from 0) of `parts` equal parts of `frames`, as ChunkOfFrames cuts them.
std::vector<int> PartOfFrames(const std::vector<int>& frames, int index, int parts);

// False, with a reason, when a frame of `frames` lies outside the host's time range
// at the scene's frame rate.
bool CheckFramesInTime(const Scene& scene, const std::vector<int>& frames, std::string& error);

}  // namespace zg::scene
