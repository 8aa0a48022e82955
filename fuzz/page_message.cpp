// Fuzz target: the messages a page sends the interactive host. Each input is a few
// messages, one per line. Every message is read by the page protocol (a refusal must
// be one line) and then handled by a page host over a scene with a field viewer, a
// force field and a point (the viewer selected, so its rollouts are open): whatever
// the page sends, each message is acknowledged, and the host never falls over. Saves
// to a named file are left out, so that the fuzzer writes nothing.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "app/cli/scene_loading.h"
#include "app/plugins/class_directory.h"
#include "app/scene/scene_file.h"
#include "app/session/edit_session.h"
#include "app/web/page_host.h"
#include "app/web/page_protocol.h"
#include "fuzz/fuzz_support.h"
#include "host/heap.h"

using fuzzsupport::Classes;
using fuzzsupport::Require;

namespace {

constexpr int kMaxMessages = 16;

constexpr const char* kScene = R"({"zentrographScene": 1, "nodes": [
  {"name": "Viewer", "class": "Zentrograph", "selected": true,
   "params": {"resolutionX": 5, "resolutionY": 5, "forceNodes": ["Pull"]}},
  {"name": "Pull", "class": "Gravity", "position": [2, 0, 0]},
  {"name": "Mark", "class": "Point", "position": [-2, 1, 0]}],
 "viewports": [{"name": "Top", "projection": "top", "center": [0, 0, 0], "width": 10}]})";

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) { return fuzzsupport::Initialize(); }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::string error;
    auto scene = zg::scene::ReadScene(kScene, "fuzz", zg::cli::ResolverFor(Classes()), error);
    Require(scene != nullptr);
    zg::session::EditSession session(Classes(), std::move(scene), {});
    int acks = 0;
    zg::web::PageHost host(
        session,
        [&acks](zg::web::ClientId, std::string message, bool binary) {
            if (!binary && message.rfind(R"({"type":"ack")", 0) == 0) ++acks;
        },
        "/nonexistent-folder");
    host.Opened(1);
    host.Received(1, R"({"type": "hello", "views": [{"width": 64, "height": 48}]})");
    int sent = 1;
    std::size_t start = 0;
    for (int i = 0; i < kMaxMessages && start <= input.size(); ++i) {
        const std::size_t end = std::min(input.find('\n', start), input.size());
        const std::string_view message = input.substr(start, end - start);
        start = end + 1;
        const zg::web::ReadMessage read = zg::web::ReadPageMessage(message);
        const auto& parsed = read.message;
        if (!parsed) Require(!read.error.empty() && read.error.find('\n') == std::string::npos);
        // A save to a file the page names would write wherever it points: not here.
        if (parsed) {
            const auto* save = std::get_if<zg::web::command::Save>(&parsed->command);
            if (save != nullptr && save->file) continue;
        }
        host.Received(1, message);
        ++sent;
    }
    Require(acks == sent);
    return 0;
}
