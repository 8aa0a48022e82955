// `zentrograph pick`: which nodes answer a hit at a pixel of a view.
#include <CLI/CLI.hpp>
#include <fmt/format.h>
#include <fmt/ostream.h>

#include <charconv>
#include <memory>
#include <ostream>

#include "app/cli/commands.h"
#include "app/cli/scene_loading.h"
#include "app/render/scene_render.h"
#include "app/viewport/scene_view.h"
#include "app/text/one_line.h"

namespace zg::cli {

namespace {

// Exit statuses, as grep has them: a hit, no hit, trouble.
constexpr int kHit = 0;
constexpr int kNoHit = 1;
constexpr int kTrouble = 2;

struct PickOptions {
    std::string scene;
    std::string view;
    std::string at;
    std::optional<double> frame;
    std::string size = "1280x720";
};

std::optional<host::IPoint2> ParsePixel(const std::string& text, std::string& error) {
    const auto comma = text.find(',');
    int x = 0;
    int y = 0;
    bool ok = comma != std::string::npos && comma > 0;
    if (ok) {
        const char* s = text.data();
        const auto rx = std::from_chars(s, s + comma, x);
        const auto ry = std::from_chars(s + comma + 1, s + text.size(), y);
        ok = rx.ec == std::errc() && rx.ptr == s + comma && ry.ec == std::errc() && ry.ptr == s + text.size();
    }
    if (!ok) {
        error = fmt::format("--at {}: expected X,Y in whole pixels, such as 640,360", text);
        return std::nullopt;
    }
    return host::IPoint2(x, y);
}

int Pick(CommandContext& ctx, const PickOptions& options) {
    std::string error;
    const auto size = render::ParseImageSize(options.size, error);
    if (!size) return PrintError(ctx, "pick", "--size: " + error, kTrouble);
    const auto at = ParsePixel(options.at, error);
    if (!at) return PrintError(ctx, "pick", error, kTrouble);
    if (at->x < 0 || at->y < 0 || at->x >= size->first || at->y >= size->second)
        return PrintError(ctx, "pick", fmt::format("--at {}: outside the {}x{} view", options.at, size->first, size->second),
                          kTrouble);
    plugins::ClassDirectory directory;
    LoadClasses(ctx, directory);
    std::unique_ptr<scene::Scene> scene = LoadSceneForCommand(ctx, directory, options.scene);
    if (!scene) return kTrouble;
    const double frame = options.frame.value_or(scene->StartFrame());
    const auto t = scene->Rate().FrameToTicks(frame, error);
    if (!t) return PrintError(ctx, "pick", "--frame: " + error, kTrouble);
    const host::Box3 bounds = viewport::SceneBounds(*scene, *t);
    const auto views = viewport::SceneViews(*scene, bounds, static_cast<double>(size->first) / size->second);
    const scene::ViewDefinition* view = nullptr;
    std::string names;
    for (const auto& v : views) {
        if (v.name == options.view) view = &v;
        names += (names.empty() ? "" : ", ") + v.name;
    }
    if (view == nullptr)
        return PrintError(ctx, "pick", fmt::format("no view named \"{}\" (the scene's views: {})", options.view, names),
                          kTrouble);
    const auto hits = viewport::PickNodes(*scene, *view, *t, size->first, size->second, *at);
    // One line per hit, whatever the name holds.
    for (const std::string& name : hits) fmt::print(*ctx.out, "{}\n", text::OneLine(name));
    return hits.empty() ? kNoHit : kHit;
}

}  // namespace

void AddPickCommand(CLI::App& app, CommandContext& ctx) {
    CLI::App* command = app.add_subcommand(
        "pick", "Name the nodes hit at a pixel of a view, one per line (exit status 0: a hit, 1: none, 2: error)");
    auto options = std::make_shared<PickOptions>();
    command->add_option("SCENE", options->scene, "Scene file (.json)")->required();
    command->add_option("--view", options->view, "The view, by name")->type_name("NAME")->required();
    command->add_option("--at", options->at,
                        "The pixel, x right and y down from the top-left corner of the view drawn alone at --size "
                        "(as render --view NAME --size draws it)")
        ->type_name("X,Y")
        ->required();
    auto frameValue = std::make_shared<double>(0.0);
    CLI::Option* frame = command->add_option("--frame", *frameValue, "Frame to pick at (default: the scene's first frame)")
                             ->type_name("F");
    command->add_option("--size", options->size, "The view's size in pixels")->type_name("WxH")->capture_default_str();
    command->callback([&ctx, options, frame, frameValue] {
        if (frame->count() > 0) options->frame = *frameValue;
        ctx.exitCode = Pick(ctx, *options);
    });
}

}  // namespace zg::cli
