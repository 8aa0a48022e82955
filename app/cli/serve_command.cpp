// `zentrograph serve`: the interactive host in a browser.
#include <CLI/CLI.hpp>
#include <fmt/format.h>
#include <fmt/ostream.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <ostream>
#include <system_error>

#include "app/cli/commands.h"
#include "app/cli/scene_loading.h"
#include "app/scene/demo_scene.h"
#include "app/scene/scene_file.h"
#include "app/session/edit_session.h"
#include "app/session/recovery_copy.h"
#include "app/text/one_line.h"
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
    bool recover = false;
};

// How often the UI thread looks whether the recovery copy is due.
constexpr std::chrono::seconds kRecoveryTick{1};

// The scene to start with and the file it belongs to; none, with the reason written,
// when the file exists and cannot be read. `recovered` is set when the scene came from
// its recovery copy (--recover).
std::unique_ptr<scene::Scene> StartingScene(CommandContext& ctx, const plugins::ClassDirectory& directory,
                                            const ServeOptions& options, std::filesystem::path& file,
                                            const std::filesystem::path& folder, bool& recovered) {
    std::string error;
    if (options.demo) {
        auto demo = scene::ReadScene(scene::DemoSceneText(), scene::kDemoSceneName, ResolverFor(directory), error);
        if (!demo) PrintError(ctx, "serve", fmt::format("{} (is the Zentrograph plug-in in {}?)", error, ctx.pluginDir.string()));
        return demo;
    }
    if (!options.scene.empty()) file = std::filesystem::absolute(options.scene);
    const std::optional<std::filesystem::path> copy = session::RecoveryCopy::FindNewer(file, folder);
    if (options.recover) {
        if (!copy) {
            PrintError(ctx, "serve", fmt::format("--recover: there is no recovery copy newer than {}",
                                                 file.empty() ? std::string("a new scene") : options.scene));
            return nullptr;
        }
        recovered = true;
        fmt::print(*ctx.out, "Recovered the unsaved changes kept in {}\n", copy->string());
        return LoadSceneForCommand(ctx, directory, *copy);
    }
    if (copy)
        fmt::print(*ctx.err, "serve: unsaved changes of {} are kept in {}: serve --recover opens them\n",
                   file.empty() ? std::string("a new scene") : options.scene, copy->string());
    if (file.empty()) return std::make_unique<scene::Scene>();
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) {
        fmt::print(*ctx.out, "{} does not exist yet: a new scene will be saved there\n", options.scene);
        return std::make_unique<scene::Scene>();
    }
    return LoadSceneForCommand(ctx, directory, file);
}

// Keeps the recovery copy up to date from a timer of the UI thread, for as long as
// the thread runs.
void KeepRecoveryCopy(CommandContext& ctx, web::UiThread& ui, session::RecoveryCopy& copy) {
    ui.PostAfter(kRecoveryTick, [&ctx, &ui, &copy] {
        std::string error;
        if (!copy.Update(session::RecoveryCopy::Clock::now(), error))
            fmt::print(*ctx.err, "serve: warning: the recovery copy cannot be written: {}\n", text::OneLine(error));
        KeepRecoveryCopy(ctx, ui, copy);
    });
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

    if (options.demo && options.recover) {
        fmt::print(*ctx.err, "serve: --recover opens a scene's recovery copy, not the demo\n");
        return 2;
    }

    plugins::ClassDirectory directory;
    LoadClasses(ctx, directory);
    std::error_code ec;
    const std::filesystem::path startFolder = std::filesystem::current_path(ec);
    std::filesystem::path file;
    bool recovered = false;
    std::unique_ptr<scene::Scene> scene = StartingScene(ctx, directory, options, file, startFolder, recovered);
    if (!scene) return 1;

    const std::filesystem::path saveFolder = file.empty() ? startFolder : file.parent_path();
    web::UiThread ui;
    session::EditSession session(directory, std::move(scene), file);
    session::RecoveryCopy recovery(session, startFolder);
    if (recovered) {
        session.MarkUnsaved();
        recovery.Adopt();
    }
    KeepRecoveryCopy(ctx, ui, recovery);
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
    if (!session.Unsaved()) {
        recovery.Remove();
    } else if (std::string error; recovery.WriteNow(error)) {
        fmt::print(*ctx.err, "serve: stopped with unsaved changes: they are kept in {} (serve --recover opens them)\n",
                   recovery.Written().string());
    } else {
        fmt::print(*ctx.err, "serve: stopped with unsaved changes, which could not be kept: {}\n", text::OneLine(error));
    }
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
    command->add_flag("--recover", options->recover,
                      "Open the scene's recovery copy (.SCENE.json.recovery beside it, or .new-scene.json.recovery "
                      "here for a new scene), which keeps unsaved changes while serving and after a stop");
    command->add_flag("--offline", options->offline,
                      "Open no web page from a plug-in, as on a machine without internet access");
    command->add_option("--listen", options->listen,
                        "Address to listen on instead of the loopback one; other machines can then reach the "
                        "server (a warning is printed unless it is a loopback address, such as ::1)")
        ->type_name("ADDR");
    command->callback([&ctx, options] { ctx.exitCode = Serve(ctx, *options); });
}

}  // namespace zg::cli
