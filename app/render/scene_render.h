// Rendering a scene: choosing and laying out its views, drawing each into a display
// list, and turning the result into a PNG, an SVG or a display-list JSON file.
#pragma once

#include <array>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/files/byte_sink.h"
#include "app/render/animation_file.h"
#include "app/render/image_painter.h"
#include "app/scene/scene.h"
#include "app/scene/view_definition.h"
#include "app/viewport/display_list.h"

namespace zg::render {

// What the output file's extension asks for: .png, .svg or .json.
enum class OutputKind { kPng, kSvg, kJson };
std::optional<OutputKind> OutputKindOf(const std::filesystem::path& path, std::string& error);
// The kind a format name stands for: "png", "svg" or "json"; none for anything else.
std::optional<OutputKind> OutputKindNamed(std::string_view name);

// The view option meaning "every view of the scene, up to four, side by side".
inline constexpr const char* kAllViews = "quad";
inline constexpr int kMaxLaidOutViews = 4;
inline constexpr int kDefaultWidth = 1280;
inline constexpr int kDefaultHeight = 720;
// Images larger than this on a side are refused before anything is drawn.
inline constexpr int kMaxImageSide = 8192;

struct RenderRequest {
    // A view name, kAllViews, or empty: every view for an image, the first one for a
    // display list (which holds exactly one view).
    std::string view;
    double frame = 0.0;  // may be fractional
    int width = kDefaultWidth;
    int height = kDefaultHeight;
    // The caption's title line; the frame is added to it. Empty: no caption.
    std::string title;
    // Degrees every perspective view is turned about its target, around its up axis
    // (counter-clockwise seen from above the up axis); orthographic views stay.
    double orbitDegrees = 0.0;
};

// A turntable over a frame list: frame f turns the perspective views by
// degrees * (f - lowest) / (highest - lowest + 1), so that a full turn over a range
// loops without showing one view twice.
struct SequenceOrbit {
    double degrees = 0.0;
    int lowest = 0;   // the list's lowest and highest frame, over the whole list (not
    int highest = 0;  // the part of it one machine renders)
    double At(int frame) const;
};
// The orbit of `degrees` over `frames` (which must not be empty).
SequenceOrbit OrbitOver(double degrees, const std::vector<int>& frames);

// One view as drawn into the image.
struct RenderedView {
    scene::ViewDefinition view;
    viewport::DisplayList list;
    int x = 0;
    int y = 0;
};

struct RenderedFrame {
    int width = 0;
    int height = 0;
    double frame = 0.0;
    std::vector<RenderedView> views;
    ImageCaption caption;
};

// Parses "WxH" ("1280x720"); none, with a one-line error, for anything else or a side
// outside 1..kMaxImageSide.
std::optional<std::pair<int, int>> ParseImageSize(const std::string& text, std::string& error);

// Splits a width x height image into `count` panels (1: whole, 2: side by side, or
// stacked for a portrait image; 3 or 4: two by two) with a small gap between them.
// Each entry is x, y, width, height.
std::vector<std::array<int, 4>> LayoutPanels(int count, int width, int height);

// Draws the requested views of the scene at the request's frame. None, with a one-line
// error, when the view is unknown or the frame
// lies outside the host's time range. `forDisplayList` picks one view only.
std::optional<RenderedFrame> RenderScene(scene::Scene& scene, const RenderRequest& request, bool forDisplayList,
                                         std::string& error);

// True when the views the request draws include a perspective view; false, with the
// reason, when none does or the views cannot be chosen.
bool DrawsPerspectiveView(scene::Scene& scene, const RenderRequest& request, std::string& error);

// One line for each node whose drawing in `frame` is not whole: points that are not
// finite numbers were left out, or the memory budget refused it room.
std::vector<std::string> FrameWarnings(const RenderedFrame& frame);

// The frame written to `out` as `kind`; SVG and display lists are streamed as they are
// made. A display list takes the frame's single view.
bool WriteFrame(const RenderedFrame& frame, OutputKind kind, files::ByteSink& out, std::string& error);
// The frame encoded as `kind` into `bytes`.
bool EncodeFrame(const RenderedFrame& frame, OutputKind kind, std::string& bytes, std::string& error);

// Renders the request and writes it to `out` as `kind`. The frame's warnings are added
// to `warnings`, each line once.
bool RenderToOutput(scene::Scene& scene, const RenderRequest& request, OutputKind kind, files::ByteSink& out,
                    std::vector<std::string>& warnings, std::string& error);
// Renders the request into the file `output` (app/files/output_file.h) as `kind`.
bool RenderToFile(scene::Scene& scene, const RenderRequest& request, OutputKind kind,
                  const std::filesystem::path& output, std::vector<std::string>& warnings, std::string& error);

// "out.png" for frame 7 of a sequence: "out_0007.png".
std::filesystem::path NumberedPath(const std::filesystem::path& output, int frame);

// Renders `frames` into numbered files (checked with scene::CheckFramesInTime first);
// `progress` (may be empty) hears after each file. Stops at the first failure.
bool RenderSequence(scene::Scene& scene, RenderRequest request, OutputKind kind, const std::vector<int>& frames,
                    const SequenceOrbit& orbit, const std::filesystem::path& output, const std::function<void()>& progress,
                    std::vector<std::string>& warnings, std::string& error);

// Renders `frames` as images into one animated file written to `out`, at the scene's
// frame rate. Only the frame being painted and what the encoder holds are in memory at
// once, both charged to the memory budget.
bool RenderAnimation(scene::Scene& scene, RenderRequest request, AnimationFormat format,
                     const std::vector<int>& frames, const SequenceOrbit& orbit, files::ByteSink& out,
                     const std::function<void()>& progress, std::vector<std::string>& warnings, std::string& error);

}  // namespace zg::render
