#include "app/web/page_host.h"

#include <fmt/format.h>
#include <nlohmann/json.hpp>

#include <exception>
#include <iostream>
#include <system_error>

#include "app/files/save_name.h"
#include "app/text/float_text.h"
#include "app/text/one_line.h"
#include "app/viewport/view_navigation.h"
#include "app/web/page_state.h"

namespace zg::web {

namespace {

using text::Json;

// Overloads for std::visit.
template <class... F>
struct Overloaded : F... {
    using F::operator()...;
};
template <class... F>
Overloaded(F...) -> Overloaded<F...>;

}  // namespace

PageHost::PageHost(session::EditSession& session, Deliver deliver, std::filesystem::path saveFolder, Log log,
                   std::size_t maxFrameBytes)
    : session_(session),
      deliver_(std::move(deliver)),
      saveFolder_(files::NormalFolder(saveFolder)),
      log_(std::move(log)),
      maxFrameBytes_(maxFrameBytes) {
    if (!log_) log_ = [](const std::string& line) { std::cerr << line << "\n"; };
}

template <class Work>
bool PageHost::Shielded(const char* during, bool abandon, Work&& work) {
    std::string what;
    try {
        work();
        return true;
    } catch (const std::exception& e) {
        what = e.what();
    } catch (...) {
        what = "an exception that is not a std::exception";
    }
    log_(fmt::format("zentrograph serve: a plug-in failed while {}: {}", during, text::OneLine(what)));
    if (abandon) {
        try {
            session_.AbandonAfterFault();
        } catch (...) {
            log_("zentrograph serve: a plug-in failed again while its work was abandoned");
        }
    }
    return false;
}

bool PageHost::Refresh() {
    std::vector<const std::vector<ViewSize>*> shown;
    for (const auto& [id, other] : pages_)
        if (!other.views.empty()) shown.push_back(&other.views);
    const bool refreshed = Shielded("drawing", false, [&] {
        session_.RefreshPanel();
        drawing_.Refresh(session_, shown);
    });
    const std::vector<std::string> faults = drawing_.TakeFaults();
    for (const std::string& fault : faults)
        log_(fmt::format("zentrograph serve: a plug-in failed while drawing {}", text::OneLine(fault)));
    return refreshed && faults.empty();
}

bool PageHost::LooksOnly(const PageCommand& command) {
    return std::holds_alternative<command::Hello>(command) || std::holds_alternative<command::Resize>(command) ||
           std::holds_alternative<command::Orbit>(command) || std::holds_alternative<command::Pan>(command) ||
           std::holds_alternative<command::Zoom>(command) || std::holds_alternative<command::Camera>(command) ||
           std::holds_alternative<command::FrameView>(command);
}

void PageHost::Opened(ClientId client) { pages_[client]; }

void PageHost::Closed(ClientId client) {
    pages_.erase(client);
    // A page that leaves mid-drag ends its drag as an abort: no half-made node stays.
    if (dragger_ == client && session_.Dragging()) {
        Shielded("ending a drag", true, [&] { session_.Escape(); });
        Refresh();
        for (auto& [id, other] : pages_) Update(id, other);
    }
    if (dragger_ == client) dragger_.reset();
}

void PageHost::Received(ClientId client, std::string_view text) { Received(client, ReadPageMessage(text)); }

void PageHost::Received(ClientId client, const ReadMessage& read) {
    Page& page = pages_[client];
    std::string error = read.error;
    bool needFile = false;
    // A message that comes while another waits for a page's message box (the UI thread
    // serves the other pages meanwhile) may look around, but changes nothing under the
    // plug-in code that waits.
    const bool nested = handling_ > 0;
    const std::optional<ClientId> outer = current_;
    ++handling_;
    current_ = client;
    if (read.message && nested && !LooksOnly(read.message->command))
        error = kBoxOpen;
    else if (read.message && !Shielded("handling a page's message", true,
                                       [&] { error = Apply(client, page, read.message->command, needFile); }))
        error = kPluginFault;
    current_ = outer;
    --handling_;
    if (session_.Dragging() && !nested && read.message && std::holds_alternative<command::Pointer>(read.message->command))
        dragger_ = client;
    if (!refreshing_) {
        refreshing_ = true;
        if (!Refresh() && error.empty()) error = kDrawingFault;
        for (auto& [id, other] : pages_) Update(id, other);
        refreshing_ = false;
    }
    Json ack{{"type", "ack"}, {"seq", read.seq ? Json(*read.seq) : Json(nullptr)}};
    if (!error.empty()) ack["error"] = text::OneLine(error);
    if (needFile) ack["needFile"] = true;
    deliver_(client, text::DumpJson(ack), false);
}

std::string PageHost::Apply(ClientId, Page& page, const PageCommand& command, bool& needFile) {
    std::string error;
    const auto size = [&page](int view) -> ViewSize* {
        return view >= 0 && view < static_cast<int>(page.views.size()) ? &page.views[static_cast<std::size_t>(view)]
                                                                        : nullptr;
    };
    const auto noView = [](int view) { return fmt::format("view: there is no view {}", view); };
    // The shape of a view as the page shows it.
    const auto aspect = [&size](int view) {
        const ViewSize* s = size(view);
        return s != nullptr ? static_cast<double>(s->width) / s->height : 1.0;
    };
    std::visit(
        Overloaded{
            [&](const command::Hello& c) {
                // A hello again on the same connection (the page laid out as many views
                // as the scene has) keeps what was sent: the page keeps its drawing.
                page.greeted = true;
                page.views = c.views;
                page.sentRevision = 0;
                page.sentClasses = false;
            },
            [&](const command::Resize& c) {
                if (ViewSize* s = size(c.view)) {
                    *s = c.size;
                    page.sentRevision = 0;
                } else {
                    error = noView(c.view);
                }
            },
            [&](const command::Pointer& c) {
                const ViewSize* s = size(c.view);
                if (s == nullptr) {
                    error = noView(c.view);
                    return;
                }
                session::PointerEvent e{c.view, c.phase, c.at, c.button, c.additive, s->width, s->height};
                session_.Pointer(e, error);
            },
            [&](const command::Orbit& c) {
                if (size(c.view) == nullptr || !session_.Orbit(c.view, c.dx, c.dy)) error = noView(c.view);
            },
            [&](const command::Pan& c) {
                const ViewSize* s = size(c.view);
                if (s == nullptr || !session_.Pan(c.view, s->width, s->height, c.dx, c.dy)) error = noView(c.view);
            },
            [&](const command::Zoom& c) {
                const ViewSize* s = size(c.view);
                if (s == nullptr || !session_.Zoom(c.view, s->width, s->height, c.factor, c.x, c.y)) error = noView(c.view);
            },
            [&](const command::Camera& c) {
                if (c.view >= static_cast<int>(session_.Views().size()))
                    error = noView(c.view);
                else if (!session_.SetCamera(c.view, c.camera))
                    error = fmt::format("camera: not a usable camera for view {}", c.view);
            },
            [&](const command::Key& c) {
                if (c.key == "Escape")
                    session_.Escape();
                else
                    session_.DeleteSelection();
            },
            [&](const command::Projection& c) {
                if (!session_.SetViewKind(c.view, c.kind, aspect(c.view))) error = noView(c.view);
            },
            [&](const command::FrameView& c) {
                if (!session_.FrameNodes(c.view, c.all, aspect(c.view))) error = noView(c.view);
            },
            [&](const command::Create& c) { session_.EnterCreateMode(c.className, error); },
            [&](const command::SelectMode&) { session_.LeaveCreateMode(); },
            [&](const command::Select& c) { session_.Select(c.names); },
            [&](const command::Frame& c) { session_.SetFrame(c.frame, error); },
            [&](const command::GridSnap& c) { session_.SetGridSnap(c.on); },
            [&](const command::Save& c) { error = SaveTo(c.file, needFile); },
            [&](const command::Control& c) {
                panel::CommandPanel& panel = session_.Panel();
                const auto handle = reinterpret_cast<host::HWND>(static_cast<uintptr_t>(c.control));
                switch (c.action) {
                    case command::Control::Action::kText: panel.EnterText(handle, c.text, error); break;
                    case command::Control::Action::kSpin: panel.Spin(handle, c.steps, error); break;
                    case command::Control::Action::kClick: panel.Click(handle, error); break;
                    case command::Control::Action::kSelect: panel.SelectItem(handle, c.index, error); break;
                }
                session_.CommitPanelEdit(handle);
                if (panel.Picking())
                    session_.SetStatusLine(fmt::format("Pick a node for {}: click it in a viewport or choose it from the list",
                                                       panel.PickingFor()));
            },
            [&](const command::Rollout& c) {
                session_.Panel().SetOpen(reinterpret_cast<host::HWND>(static_cast<uintptr_t>(c.rollout)), c.open);
            },
            [&](const command::Pick& c) { session_.PickNode(c.node); },
            [&](const command::Undo& c) {
                // The status line says what was undone, or that there was nothing to.
                if (c.redo)
                    session_.Redo();
                else
                    session_.Undo();
            },
            [&](const command::Hover& c) {
                const ViewSize* s = c.view ? size(*c.view) : nullptr;
                if (c.view && s == nullptr) {
                    error = noView(*c.view);
                    return;
                }
                session_.Hover(c.view ? std::optional<session::PointerEvent>(session::PointerEvent{
                                            *c.view, session::PointerPhase::kMove, c.at, 0, false, s->width, s->height})
                                      : std::nullopt);
            },
            [&](const command::ToolChoice& c) { session_.SetTool(c.tool); },
            [&](const command::Constraint& c) { session_.SetAxes(c.axes); },
            [&](const command::GridSpacing& c) { session_.SetGridSpacing(c.spacing, error); },
            [&](const command::Rename& c) { session_.Rename(c.node, c.name, error); },
            [&](const command::WireColor& c) { session_.SetWireColor(c.node, c.bgr, error); },
            [&](const command::Transform& c) { session_.SetChannel(c.node, c.channel, c.value, error); },
            [&](const command::DialogReply&) {},
        },
        command);
    return error;
}

std::string PageHost::SaveTo(const std::optional<std::string>& file, bool& needFile) {
    std::string error;
    if (!file) {
        if (session_.File().empty()) {
            needFile = true;
            return "choose a file name for the scene";
        }
        session_.Save({}, error);
        return files::RelativeToFolder(error, saveFolder_);
    }
    const std::optional<std::filesystem::path> target = files::SavePathInFolder(saveFolder_, *file, error);
    if (!target) return error;
    std::error_code ec;
    const bool exists = std::filesystem::exists(*target, ec);
    const bool ownFile = !session_.File().empty() && std::filesystem::equivalent(*target, session_.File(), ec);
    // A first save never replaces a file that is not the scene's own.
    if (exists && !ownFile) return fmt::format("{} already exists: choose another name", text::OneLine(*file));
    session_.Save(*target, error);
    return files::RelativeToFolder(error, saveFolder_);
}

void PageHost::Update(ClientId client, Page& page) {
    const uint64_t panelRevision = session_.Panel().Revision();
    if (!page.greeted) return;
    const bool panelChanged = page.sentPanelRevision != panelRevision;
    if (page.sentRevision != session_.Revision() || panelChanged) {
        // When only cameras moved, the views alone: an orbit step costs a few hundred
        // bytes whatever the scene holds.
        const bool camerasOnly =
            page.sentClasses && !panelChanged && page.sentDrawingRevision == session_.DrawingRevision();
        deliver_(client,
                 camerasOnly ? ViewsMessage(session_)
                             : StateMessage(session_, drawing_.Warnings(), !page.sentClasses, panelChanged),
                 false);
        page.sentClasses = true;
        page.sentPanelRevision = panelRevision;
        page.sentRevision = session_.Revision();
        page.sentDrawingRevision = session_.DrawingRevision();
    }
    // A page that has not laid out its views yet learns the state alone.
    if (page.views.empty()) return;
    if (const std::size_t lacking = drawing_.Lacking(page.drawn, page.views); lacking > maxFrameBytes_) {
        if (!page.toldTooLarge)
            deliver_(client,
                     text::DumpJson(Json{{"type", "notice"},
                                           {"text", fmt::format("The drawing is too large to send to this page ({} MiB, "
                                                                "at most {} MiB): lower the lattice's resolution",
                                                                (lacking + (1 << 20) - 1) >> 20, maxFrameBytes_ >> 20)}}),
                     false);
        page.toldTooLarge = true;
        return;
    }
    page.toldTooLarge = false;
    const std::size_t bytes = drawing_.Bring(
        page.drawn, page.views, [&](std::string message, bool binary) { deliver_(client, std::move(message), binary); });
    if (bytes != 0) lastFrameBytes_ = bytes;
}

}  // namespace zg::web
