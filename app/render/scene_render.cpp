#include "app/render/scene_render.h"

#include <fmt/format.h>

#include <algorithm>
#include <cctype>
#include <charconv>

#include "app/files/output_file.h"
#include "app/render/display_list_json.h"
#include "app/render/pixel_memory.h"
#include "app/render/svg_writer.h"
#include "app/scene/frame_list.h"
#include "app/viewport/view_navigation.h"
#include "app/viewport/scene_view.h"
#include "host/heap.h"

namespace zg::render {

namespace {

// Pixels between panels of a multi-view image.
constexpr int kPanelGap = 4;

std::string ViewNames(const std::vector<scene::ViewDefinition>& views) {
    std::string names;
    for (const auto& v : views) names += (names.empty() ? "" : ", ") + v.name;
    return names;
}

// The views the request names, out of `views`; none, with an error, for an unknown
// name.
std::optional<std::vector<scene::ViewDefinition>> SelectViews(const std::vector<scene::ViewDefinition>& views,
                                                                  const RenderRequest& request, bool forDisplayList,
                                                                  std::string& error) {
    if (views.empty()) {
        error = "the scene has no views";
        return std::nullopt;
    }
    if (request.view == kAllViews && forDisplayList) {
        error = "a display list holds one view: name it with --view";
        return std::nullopt;
    }
    if (request.view.empty() || request.view == kAllViews) {
        const std::size_t count = forDisplayList ? 1 : std::min<std::size_t>(views.size(), kMaxLaidOutViews);
        return std::vector<scene::ViewDefinition>(views.begin(), views.begin() + static_cast<std::ptrdiff_t>(count));
    }
    for (const auto& v : views) {
        if (v.name == request.view) return std::vector<scene::ViewDefinition>{v};
    }
    error = fmt::format("no view named \"{}\" (the scene's views: {})", request.view, ViewNames(views));
    return std::nullopt;
}

ImageCaption MakeCaption(scene::Scene& scene, const RenderedFrame& frame, const std::string& title) {
    ImageCaption caption;
    if (title.empty()) return caption;
    caption.title = fmt::format("{}  \u00b7  frame {}", title, frame.frame);
    for (int i = 0; i < scene.NodeCount(); ++i) {
        scene::Node* node = scene.NodeAt(i);
        if (node != nullptr) caption.legend.push_back({node->Name(), viewport::NodeColor(*node)});
    }
    for (const RenderedView& v : frame.views) {
        for (const viewport::DisplayItem& item : v.list.Items()) {
            if (item.kind == viewport::DisplayItemKind::kMarker && item.node >= 0) caption.markerKey = true;
        }
    }
    return caption;
}

// Adds the frame's warnings that `warnings` does not hold yet.
void AddFrameWarnings(const RenderedFrame& frame, std::vector<std::string>& warnings) {
    for (std::string& line : FrameWarnings(frame)) {
        if (std::find(warnings.begin(), warnings.end(), line) == warnings.end()) warnings.push_back(std::move(line));
    }
}

std::vector<ViewPanel> Panels(const RenderedFrame& frame) {
    std::vector<ViewPanel> panels;
    for (const RenderedView& v : frame.views) {
        ViewPanel panel{v.view.name, scene::ProjectionName(v.view.kind), &v.list, v.x, v.y, {}};
        const viewport::Camera camera = viewport::MakeCamera(v.view, v.list.Width(), v.list.Height());
        for (int i = 0; i < 3; ++i) {
            const Vec3d axis = camera.WorldToView().rows[i];
            panel.axes[i] = {axis.x, -axis.y};
        }
        panels.push_back(panel);
    }
    return panels;
}

}  // namespace

std::optional<OutputKind> OutputKindNamed(std::string_view name) {
    if (name == "png") return OutputKind::kPng;
    if (name == "svg") return OutputKind::kSvg;
    if (name == "json") return OutputKind::kJson;
    return std::nullopt;
}

std::optional<OutputKind> OutputKindOf(const std::filesystem::path& path, std::string& error) {
    std::string ext = path.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    if (ext.size() > 1) {
        if (const auto kind = OutputKindNamed(std::string_view(ext).substr(1))) return kind;
    }
    error = fmt::format("cannot tell the format of {}: use a .png, .svg or .json file name, or .webp, .gif or .mp4 "
                        "for an animation of --frames",
                        path.string());
    return std::nullopt;
}

std::optional<std::pair<int, int>> ParseImageSize(const std::string& text, std::string& error) {
    const auto x = text.find_first_of("xX");
    int w = 0;
    int h = 0;
    bool ok = x != std::string::npos && x > 0 && x + 1 < text.size();
    if (ok) {
        const char* begin = text.data();
        const auto rw = std::from_chars(begin, begin + x, w);
        const auto rh = std::from_chars(begin + x + 1, begin + text.size(), h);
        ok = rw.ec == std::errc() && rw.ptr == begin + x && rh.ec == std::errc() && rh.ptr == begin + text.size();
    }
    if (!ok) {
        error = fmt::format("bad image size \"{}\": expected WIDTHxHEIGHT, such as 1280x720", text);
        return std::nullopt;
    }
    if (w < 1 || h < 1 || w > kMaxImageSide || h > kMaxImageSide) {
        error = fmt::format("bad image size \"{}\": each side must lie between 1 and {} pixels", text, kMaxImageSide);
        return std::nullopt;
    }
    return std::pair{w, h};
}

std::vector<std::array<int, 4>> LayoutPanels(int count, int width, int height) {
    if (count <= 1) return {{0, 0, width, height}};
    int cols = 2;
    int rows = 2;
    if (count == 2) {
        const bool portrait = height > width;
        cols = portrait ? 1 : 2;
        rows = portrait ? 2 : 1;
    }
    const int gap = width > 8 * kPanelGap && height > 8 * kPanelGap ? kPanelGap : 0;
    std::vector<std::array<int, 4>> panels;
    for (int i = 0; i < count && i < cols * rows; ++i) {
        const int c = i % cols;
        const int r = i / cols;
        const int x0 = c * (width + gap) / cols;
        const int x1 = (c + 1) * (width + gap) / cols - gap;
        const int y0 = r * (height + gap) / rows;
        const int y1 = (r + 1) * (height + gap) / rows - gap;
        panels.push_back({x0, y0, std::max(1, x1 - x0), std::max(1, y1 - y0)});
    }
    return panels;
}

std::optional<RenderedFrame> RenderScene(scene::Scene& scene, const RenderRequest& request, bool forDisplayList,
                                         std::string& error) {
    const auto t = scene.Rate().FrameToTicks(request.frame, error);
    if (!t) return std::nullopt;
    if (request.width < 1 || request.height < 1 || request.width > kMaxImageSide || request.height > kMaxImageSide) {
        error = fmt::format("bad image size {}x{}", request.width, request.height);
        return std::nullopt;
    }
    const host::Box3 bounds = viewport::SceneBounds(scene, *t);
    const auto views = viewport::SceneViews(scene, bounds, static_cast<double>(request.width) / request.height);
    auto selected = SelectViews(views, request, forDisplayList, error);
    if (!selected) return std::nullopt;
    const auto layout = LayoutPanels(static_cast<int>(selected->size()), request.width, request.height);
    if (scene.Views().empty()) {
        // The default views are framed for the panel they land in.
        const auto framed = viewport::DefaultViews(bounds, static_cast<double>(layout[0][2]) / layout[0][3]);
        for (auto& v : *selected) {
            for (const auto& f : framed) {
                if (f.name == v.name) v = f;
            }
        }
    }

    if (request.orbitDegrees != 0.0) {
        for (auto& v : *selected) viewport::Orbit(v, request.orbitDegrees / viewport::kOrbitDegreesPerPixel, 0.0);
    }

    RenderedFrame frame;
    frame.width = request.width;
    frame.height = request.height;
    frame.frame = request.frame;
    for (std::size_t i = 0; i < selected->size() && i < layout.size(); ++i) {
        const auto& [x, y, w, h] = layout[i];
        frame.views.push_back({(*selected)[i], viewport::DrawSceneView(scene, (*selected)[i], *t, w, h, bounds), x, y});
    }
    frame.caption = MakeCaption(scene, frame, request.title);
    return frame;
}

bool DrawsPerspectiveView(scene::Scene& scene, const RenderRequest& request, std::string& error) {
    const auto t = scene.Rate().FrameToTicks(request.frame, error);
    if (!t) return false;
    const host::Box3 bounds = viewport::SceneBounds(scene, *t);
    const auto views = viewport::SceneViews(scene, bounds, static_cast<double>(request.width) / request.height);
    const auto selected = SelectViews(views, request, false, error);
    if (!selected) return false;
    for (const auto& v : *selected) {
        if (v.kind == scene::ViewKind::kPerspective) return true;
    }
    error = fmt::format("no perspective view among those drawn ({})", ViewNames(*selected));
    return false;
}

std::vector<std::string> FrameWarnings(const RenderedFrame& frame) {
    std::vector<viewport::DrawingShortfall> shortfalls;
    for (const RenderedView& v : frame.views)
        shortfalls.insert(shortfalls.end(), v.list.Shortfalls().begin(), v.list.Shortfalls().end());
    return viewport::ShortfallWarnings(shortfalls);
}

bool WriteFrame(const RenderedFrame& frame, OutputKind kind, files::ByteSink& out, std::string& error) {
    if (kind == OutputKind::kJson) {
        if (frame.views.size() != 1) {
            error = "a display list holds one view: name it with --view";
            return false;
        }
        WriteDisplayListJson(frame.views.front().list, frame.views.front().view.name, frame.frame, out);
        return true;
    }
    if (kind == OutputKind::kSvg) return WriteSvgImage(frame.width, frame.height, Panels(frame), frame.caption, out, error);
    return WritePngImage(frame.width, frame.height, Panels(frame), frame.caption, out, error);
}

bool EncodeFrame(const RenderedFrame& frame, OutputKind kind, std::string& bytes, std::string& error) {
    files::StringSink sink;
    if (!WriteFrame(frame, kind, sink, error)) return false;
    bytes = sink.Text();
    return true;
}

bool RenderToOutput(scene::Scene& scene, const RenderRequest& request, OutputKind kind, files::ByteSink& out,
                    std::vector<std::string>& warnings, std::string& error) {
    const auto frame = RenderScene(scene, request, kind == OutputKind::kJson, error);
    if (!frame) return false;
    AddFrameWarnings(*frame, warnings);
    return WriteFrame(*frame, kind, out, error);
}

bool RenderToFile(scene::Scene& scene, const RenderRequest& request, OutputKind kind,
                  const std::filesystem::path& output, std::vector<std::string>& warnings, std::string& error) {
    std::unique_ptr<files::OutputFile> out = files::OutputFile::Open(output, error);
    return out != nullptr && RenderToOutput(scene, request, kind, *out, warnings, error) && out->Commit(error);
}

double SequenceOrbit::At(int frame) const {
    const double span = static_cast<double>(highest) - lowest + 1.0;
    return degrees * (static_cast<double>(frame) - lowest) / span;
}

SequenceOrbit OrbitOver(double degrees, const std::vector<int>& frames) {
    const auto [low, high] = std::minmax_element(frames.begin(), frames.end());
    return {degrees, low == frames.end() ? 0 : *low, high == frames.end() ? 0 : *high};
}

std::filesystem::path NumberedPath(const std::filesystem::path& output, int frame) {
    std::filesystem::path numbered = output;
    numbered.replace_filename(fmt::format("{}_{:04}{}", output.stem().string(), frame, output.extension().string()));
    return numbered;
}

bool RenderSequence(scene::Scene& scene, RenderRequest request, OutputKind kind, const std::vector<int>& frames,
                    const SequenceOrbit& orbit, const std::filesystem::path& output, const std::function<void()>& progress,
                    std::vector<std::string>& warnings, std::string& error) {
    if (!scene::CheckFramesInTime(scene, frames, error)) return false;
    for (const int frame : frames) {
        request.frame = frame;
        request.orbitDegrees = orbit.At(frame);
        if (!RenderToFile(scene, request, kind, NumberedPath(output, frame), warnings, error)) {
            error = fmt::format("frame {}: {}", frame, error);
            return false;
        }
        if (progress) progress();
    }
    return true;
}

bool RenderAnimation(scene::Scene& scene, RenderRequest request, AnimationFormat format,
                     const std::vector<int>& frames, const SequenceOrbit& orbit, files::ByteSink& out,
                     const std::function<void()>& progress, std::vector<std::string>& warnings, std::string& error) {
    if (!scene::CheckFramesInTime(scene, frames, error)) return false;
    const int stride = cairo_format_stride_for_width(CAIRO_FORMAT_ARGB32, request.width);
    const std::size_t bytes = static_cast<std::size_t>(std::max(stride, 0)) * static_cast<std::size_t>(request.height);
    host::BudgetShare budget;
    if (stride <= 0 || !budget.Take(bytes)) {
        error = fmt::format("the memory budget of {} MiB has no room for a {}x{} frame (set ZENTROGRAPH_MEMORY_BUDGET "
                            "to allow more)",
                            host::MemoryBudget() >> 20, request.width, request.height);
        return false;
    }
    const PixelMemory pixels(bytes);
    if (pixels.Data() == nullptr) {
        error = fmt::format("not enough memory for a {}x{} frame", request.width, request.height);
        return false;
    }
    std::unique_ptr<AnimationFile> file =
        AnimationFile::Open(format, request.width, request.height, scene.Rate().Fps(), out, error);
    if (!file) return false;
    for (const int frame : frames) {
        request.frame = frame;
        request.orbitDegrees = orbit.At(frame);
        const auto drawn = RenderScene(scene, request, false, error);
        const bool added = drawn && PaintImagePixels(pixels.Data(), stride, drawn->width, drawn->height, Panels(*drawn),
                                                     drawn->caption, error) &&
                           file->AddFrame(pixels.Data(), stride, error);
        if (!added) {
            error = fmt::format("frame {}: {}", frame, error);
            return false;
        }
        AddFrameWarnings(*drawn, warnings);
        if (progress) progress();
    }
    return file->Finish(error);
}

}  // namespace zg::render
