// The demo scene compiled into the program: what `zentrograph render` shows when it is
// given no scene file. A field viewer with its markers on samples a vortex, a
// spherical gravity and a turbulent wind, seen in perspective and from the top.
#pragma once

#include <string_view>

namespace zg::scene {

// The scene file text (app/scene/scene_file.h).
std::string_view DemoSceneText();

// How the demo is named in titles and errors.
inline constexpr const char* kDemoSceneName = "demo scene";

}  // namespace zg::scene
