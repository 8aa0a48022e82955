// The scene file: a JSON document holding a scene's frame rate and range, its nodes
// and the viewports it was saved with.
//
//   {"zentrographScene": 1, "fps": 25, "frames": [0, 100], "nodes": [...], "viewports": [...]}
//
// A node is
//   {"name": "Gravity01", "class": "Gravity", "params": {"strength": 2.5},
//    "position": [x, y, z], "rotation": [x, y, z], "scale": [x, y, z],
//    "wireColor": "#rrggbb", "selected": false, "frozen": false}
// `class` is a built-in class name or a module class's internal name; `params` holds
// values by parameter internal name: numbers for floats and integers, true/false for
// switches, and for a node table a list of node names with null for an empty entry.
// Position, rotation (degrees, app/scene/transform.h) and scale are either a constant
// [x, y, z] or {"keys": [[frame, [x, y, z]], ...]} with increasing frames.
//
// A node whose class no loaded module offers is kept as a placeholder
// (app/scene/placeholder.h), with a warning. Values may nest kMaxSceneNesting levels
// deep, a scene holds at most kMaxSceneNodes nodes and kMaxSceneViews viewports, and a
// file may hold files::kMaxSceneFileBytes.
//
// Everything but "zentrographScene" (which must be 1) and each node's name and class
// is optional: fps 25, frames [0, 100], no nodes, no viewports; position and rotation
// 0, scale 1, a wire colour from the scene's palette, not selected nor frozen, and
// each parameter at its default. Viewports are read into typed views
// (app/scene/view_definition.h). Unknown keys are errors, so that no value in a file
// is silently dropped.
#pragma once

#include <cstddef>
#include <filesystem>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/scene/class_resolver.h"
#include "app/scene/scene.h"

namespace zg::scene {

// Arrays and objects nested deeper than this are refused, and so are more nodes
// (kMaxSceneNodes, app/scene/scene.h), or node-table entries, or viewports than these.
inline constexpr std::size_t kMaxSceneNesting = 64;
inline constexpr std::size_t kMaxSceneViews = 100;

// Lines about values that were kept but could not be used as given, each naming the
// source and the value's JSON path like an error.
using SceneWarnings = std::vector<std::string>;

// Reads a scene from the text of a scene file. Every parameter value is stored through
// its parameter block as an edit would (accessor, then validator for nodes). On any
// problem answers none, with one line in `error` that begins with `sourceName` and
// names the line:column or the value's JSON path (nodes[2].params.forceNodes[0]);
// nothing of the half-read scene remains. Warnings go to `warnings` when given.
std::unique_ptr<Scene> ReadScene(std::string_view text, const std::string& sourceName,
                                 const ClassResolver& classes, std::string& error,
                                 SceneWarnings* warnings = nullptr);
// Reads the file at `path` (app/files/input_file.h), or `standardInput` (std::cin when
// none) for "-"; its errors name the path.
std::unique_ptr<Scene> LoadSceneFile(const std::filesystem::path& path, const ClassResolver& classes,
                                     std::string& error, SceneWarnings* warnings = nullptr,
                                     std::istream* standardInput = nullptr);

// The text of a scene file holding `scene`, floats written so that they read back to
// the same single-precision value. None, with a reason in `error`, when a node shows
// no object or one whose class `classes` does not know, a node table lists a node of
// another scene, or the text breaks a rule of the reader (the file's size, its number
// of nodes, a name, a view): what is written is read back before it is handed out.
std::optional<std::string> WriteScene(Scene& scene, const ClassResolver& classes, std::string& error);
// A scene in parts, for keeping many versions of one scene cheaply: the document's text
// up to its node list, and each node's text with its selection left out, so that a node
// reads the same in every version where it did not change. Views are not part of it.
struct SceneParts {
    std::string head;
    std::vector<std::string> nodes;
};
// None, with a reason in `error`, when WriteScene could not write the scene; the parts
// are not read back.
std::optional<SceneParts> WriteSceneParts(Scene& scene, const ClassResolver& classes, std::string& error);
// The text of a scene file made of `head` and the nodes in order, for ReadScene.
std::string JoinSceneParts(const std::string& head, const std::vector<const std::string*>& nodes);
// Writes the scene file to `path` (app/files/output_file.h), keeping the previous file
// as PATH.bak. False, with a one-line reason naming the path, when the scene cannot be
// written or any step of saving fails; the file on disk is then as it was.
bool SaveSceneFile(Scene& scene, const std::filesystem::path& path, const ClassResolver& classes,
                   std::string& error);

}  // namespace zg::scene
