// Fuzz target: one page host serving several pages through a whole session. Each input
// line is one event: "+N" opens page N (1 to 3) and sends its hello, "-N" closes it,
// and "N MESSAGE" has page N send a message. Pages may leave mid-drag, come back, and
// send while another drags. Whatever they do, every message is acknowledged to the
// page that sent it and to no other, nothing is sent to a page that left, the scene's
// node names stay unique, and once every page has gone no drag is left under way. A
// save to a named file is judged by the save-name rule (an accepted name stays inside
// the folder) but not written, so that the fuzzer writes nothing.
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>

#include "app/cli/scene_loading.h"
#include "app/files/save_name.h"
#include "app/scene/scene_file.h"
#include "app/session/edit_session.h"
#include "app/web/page_host.h"
#include "app/web/page_protocol.h"
#include "fuzz/fuzz_support.h"
#include "host/heap.h"

using fuzzsupport::Classes;
using fuzzsupport::Require;

namespace {

constexpr int kMaxEvents = 32;
constexpr int kPages = 3;
constexpr const char* kHello = R"({"type": "hello", "views": [{"width": 64, "height": 48}, {"width": 40, "height": 40}]})";

constexpr const char* kScene = R"({"zentrographScene": 1, "nodes": [
  {"name": "Viewer", "class": "Zentrograph",
   "params": {"resolutionX": 4, "resolutionY": 4, "forceNodes": ["Pull"]}},
  {"name": "Pull", "class": "Gravity", "position": [2, 0, 0]},
  {"name": "Mark", "class": "Point", "position": [-2, 1, 0]}],
 "viewports": [{"name": "Top", "projection": "top", "center": [0, 0, 0], "width": 10},
               {"name": "Persp", "projection": "perspective", "eye": [8, -8, 6], "target": [0, 0, 0],
                "up": [0, 0, 1], "fov": 45}]})";

bool NamesUnique(zg::scene::Scene& scene) {
    std::set<std::string> names;
    for (int i = 0; i < scene.NodeCount(); ++i)
        if (const zg::scene::Node* node = scene.NodeAt(i); node != nullptr && !names.insert(node->Name()).second)
            return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) { return fuzzsupport::Initialize(); }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::string error;
    auto scene = zg::scene::ReadScene(kScene, "fuzz", zg::cli::ResolverFor(Classes()), error);
    Require(scene != nullptr);
    zg::session::EditSession session(Classes(), std::move(scene), {});
    std::set<zg::web::ClientId> open;
    std::map<zg::web::ClientId, int> acks;
    std::map<zg::web::ClientId, int> sent;
    zg::web::PageHost host(
        session,
        [&](zg::web::ClientId client, std::string message, bool binary) {
            Require(open.contains(client));
            if (!binary && message.rfind(R"({"type":"ack")", 0) == 0) ++acks[client];
        },
        "/nonexistent-folder", [](const std::string&) {});
    const auto send = [&](zg::web::ClientId page, std::string_view message) {
        host.Received(page, message);
        ++sent[page];
        Require(acks[page] == sent[page]);
    };
    std::size_t start = 0;
    for (int i = 0; i < kMaxEvents && start < input.size(); ++i) {
        const std::size_t end = std::min(input.find('\n', start), input.size());
        const std::string_view line = input.substr(start, end - start);
        start = end + 1;
        if (line.size() < 2) continue;
        const char action = line[0];
        // The page's digit: after the sign of an opening or closing, else first.
        const unsigned char digit = static_cast<unsigned char>(action == '+' || action == '-' ? line[1] : line[0]);
        const auto page = static_cast<zg::web::ClientId>((digit + kPages * 100 - '1') % kPages + 1);
        if (action == '+' && !open.contains(page)) {
            open.insert(page);
            host.Opened(page);
            send(page, kHello);
        } else if (action == '-' && open.contains(page)) {
            host.Closed(page);
            open.erase(page);
        } else if (action >= '1' && action <= '9' && open.contains(page)) {
            const std::string_view message = line.substr(line.size() > 2 ? 2 : line.size());
            const auto parsed = zg::web::ReadPageMessage(message).message;
            if (parsed) {
                const auto* save = std::get_if<zg::web::command::Save>(&parsed->command);
                if (save != nullptr && save->file) {
                    const auto relative = zg::files::RelativeSaveName("/srv/scenes", *save->file, error);
                    Require(!relative || (relative->is_relative() && relative->lexically_normal() == *relative &&
                                          *relative->begin() != ".."));
                    continue;
                }
            }
            send(page, message);
        }
        Require(NamesUnique(session.Scene()));
    }
    for (const zg::web::ClientId page : std::set(open)) {
        host.Closed(page);
        open.erase(page);
    }
    Require(!session.Dragging());
    return 0;
}
