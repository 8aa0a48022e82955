// `zentrograph serve`: the interactive host in a browser.
#include <CLI/CLI.hpp>
#include <fmt/format.h>
#include <fmt/ostream.h>

#include <filesystem>
#include <memory>
#include <ostream>
#include <system_error>

#include "app/cli/commands.h"
#include "app/cli/scene_loading.h"
#include "app/render/demo_scene.h"
#include "app/scene/scene_file.h"
#include "app/session/edit_session.h"
#include "app/web/access.h"
#include "app/web/listen_address.h"
#include "app/web/page_server.h"
#include "app/web/ui_thread.h"

namespace zg::cli {

namespace {

constexpr const char* kLoopback = "127.0.0.1";
constexpr uint16_t kDefaultPort = 8765;

struct ServeOptions {
    std::string scene;
    int port = kDefaultPort;
    bool demo = false;
    std::string listen = kLoopback;
    bool offline = false;
};

// The scene to start with and the file it belongs to; none, with the reason written,
// when the file exists and cannot be read.
std::unique_ptr<scene::Scene> StartingScene(CommandContext& ctx, const plugins::ClassDirectory& directory,
                                            const ServeOptions& options, std::filesystem::path& file) {
    std::string error;
    if (options.demo) {
        auto demo = scene::ReadScene(render::DemoSceneText(), render::kDemoSceneName, ResolverFor(directory), error);
        if (!demo) PrintError(ctx, "serve", fmt::format("{} (is the Zentrograph plug-in in {}?)", error, ctx.pluginDir.string()));
        return demo;
    }
    if (options.scene.empty()) return std::make_unique<scene::Scene>();
    file = std::filesystem::absolute(options.scene);
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) {
        fmt::print(*ctx.out, "{} does not exist yet: a new scene will be saved there\n", options.scene);
        return std::make_unique<scene::Scene>();
    }
    return LoadSceneForCommand(ctx, directory, file);
}

int Serve(CommandContext& ctx, const ServeOptions& options) {
    if (options.demo && !options.scene.empty()) {
        fmt::print(*ctx.err, "serve: give a scene file or --demo, not both\n");
        return 2;
    }
    if (options.port < 0 || options.port > 65535) {
        fmt::print(*ctx.err, "serve: --port {}: expected a port from 0 to 65535\n", options.port);
        return 2;
    }
    const std::optional<std::string> token = web::MakeAccessToken();
    if (!token) {
        fmt::print(*ctx.err, "serve: the system gave no random numbers for an access token\n");
        return 1;
    }

    plugins::ClassDirectory directory;
    LoadClasses(ctx, directory);
    std::filesystem::path file;
    std::unique_ptr<scene::Scene> scene = StartingScene(ctx, directory, options, file);
    if (!scene) return 1;

    std::error_code ec;
    const std::filesystem::path saveFolder =
        file.empty() ? std::filesystem::current_path(ec) : file.parent_path();
    web::UiThread ui;
    session::EditSession session(directory, std::move(scene), file);
    web::ServerOptions serverOptions;
    serverOptions.address = options.listen;
    serverOptions.port = static_cast<uint16_t>(options.port);
    serverOptions.token = *token;
    {
        web::PageServer server(ui, session, serverOptions, saveFolder, options.offline);
        server.StopOnSignals([&ui] { ui.Stop(); });
        std::string error;
        if (!server.Start(error)) {
            return PrintError(ctx, "serve",
                              error + (options.port != 0 ? " (choose another with --port, or --port 0 for any free port)" : ""));
        }
        if (!web::IsLoopbackAddress(options.listen)) {
            fmt::print(*ctx.err,
                       "serve: warning: listening on {}: other machines can reach this server; anyone who learns "
                       "the address below can change and save your scene\n",
                       options.listen);
        }
        fmt::print(*ctx.out, "Zentrograph is serving {} at\n  {}\nOpen it in a browser; press Ctrl+C to stop.\n",
                   options.demo ? std::string("the demo scene") : (file.empty() ? std::string("a new scene") : file.string()),
                   web::ServerUrl(options.listen, server.Port(), *token));
        ctx.out->flush();
        ui.Run();
        server.Stop();
    }
    if (session.Unsaved()) fmt::print(*ctx.err, "serve: stopped with unsaved changes\n");
    fmt::print(*ctx.out, "Stopped.\n");
    return 0;
}

}  // namespace

void AddServeCommand(CLI::App& app, CommandContext& ctx) {
    CLI::App* command = app.add_subcommand(
        "serve", "Work on a scene in a browser: viewports, creation with the mouse, time and saving");
    auto options = std::make_shared<ServeOptions>();
    command->add_option("SCENE", options->scene,
                        "Scene file to open (created on first save when it does not exist); default: a new scene "
                        "whose file is chosen on first save");
    command->add_option("--port", options->port, "Port to listen on; 0 picks a free one")->capture_default_str();
    command->add_flag("--demo", options->demo, "Open the built-in demo scene");
    command->add_flag("--offline", options->offline,
                      "Open no web page from a plug-in, as on a machine without internet access");
    command->add_option("--listen", options->listen,
                        "Address to listen on instead of the loopback one; other machines can then reach the "
                        "server (a warning is printed)")
        ->type_name("ADDR");
    command->callback([&ctx, options] { ctx.exitCode = Serve(ctx, *options); });
}

}  // namespace zg::cli
