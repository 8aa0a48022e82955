// Working through a frame list on several processes of this machine: the list is split
// into equal parts of consecutive frames and each part is worked on in a forked child,
// which reports each frame done, its warnings and its failure to the parent through a
// pipe. The parent shows the progress of all of them as one.
//
// Fork from a single-threaded process only (start no thread, load no fonts before):
// a child inherits no thread but the one that forked.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace zg::render {

// The work on one part: calls `frameDone` after each frame, adds its warnings to
// `warnings`, and answers false with a one-line reason when it fails.
using FramesWork = std::function<bool(const std::vector<int>& part, const std::function<void()>& frameDone,
                                      std::vector<std::string>& warnings, std::string& error)>;

// Runs `work` over `frames` on `jobs` processes (no more than there are frames; 1 runs
// it in this process). Each child has an equal share of the memory budget. `progress`
// (may be empty) hears the count of frames done and the total after each frame. The
// children's warnings are added to `warnings`, each line once. False, with one line
// naming the failed part, when any child failed or ended by a signal; the others
// still finish their parts.
bool RunFrameJobs(int jobs, const std::vector<int>& frames, const FramesWork& work,
                  const std::function<void(int, int)>& progress, std::vector<std::string>& warnings,
                  std::string& error);

}  // namespace zg::render
