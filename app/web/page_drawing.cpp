#include "app/web/page_drawing.h"

#include <algorithm>
#include <exception>
#include <optional>

#include "app/text/float_text.h"
#include "app/viewport/scene_view.h"
#include "app/viewport/world_scene.h"
#include "app/web/frame_encoding.h"

namespace zg::web {

namespace {

// The host's drawing over the scene in a view: the snap preview mark where the
// pointer last was in create mode.
viewport::WorldDrawing OverDrawing(const session::EditSession& session, int view) {
    viewport::WorldDrawing drawing;
    if (const std::optional<host::Point3> mark = session.SnapPreviewMark(view)) {
        viewport::WorldMarker m{};
        m.at[0] = mark->x;
        m.at[1] = mark->y;
        m.at[2] = mark->z;
        viewport::ColorBytes(viewport::kSnapPreviewColor, m.rgb);
        m.code = host::kMarkerPlus;
        m.node = viewport::kHostNodeId;
        drawing.AddMarker(m);
    }
    return drawing;
}

}  // namespace

uint32_t PageDrawing::NodeId(const std::string& name) {
    const auto [it, added] = nodeIds_.try_emplace(name, nextNodeId_);
    if (added) {
        // A name keeps its id for the life of the host, so a page never takes a new node
        // for one it knew (until 16 million names have come and gone).
        nodeNames_[nextNodeId_] = name;
        nextNodeId_ = (nextNodeId_ + 1) % viewport::kHostNodeId;
    }
    return it->second;
}

viewport::NodeDrawing PageDrawing::DrawNode(scene::Node& node, const scene::ViewDefinition& view, host::TimeValue t,
                                            const ViewKey& key, uint32_t id, bool viewAlone) {
    try {
        viewport::NodeDrawing drawing = viewport::DrawNodeInWorld(node, view, t, key.width, key.height, id, viewAlone);
        if (gathering_ && (drawing.memoryRefused || drawing.nonFinitePoints > 0))
            shortfalls_.push_back({node.Name(), drawing.nonFinitePoints, drawing.memoryRefused});
        return drawing;
    } catch (const std::exception& e) {
        faults_.push_back(node.Name() + ": " + e.what());
    } catch (...) {
        faults_.push_back(node.Name() + ": an exception that is not a std::exception");
    }
    return {};
}

void PageDrawing::Store(const ChunkKey& key, uint32_t node, viewport::WorldDrawing drawing) {
    auto [it, added] = chunks_.try_emplace(key);
    Chunk& chunk = it->second;
    chunk.kept = true;
    if (added) {
        chunk.id = nextChunkId_++;
        chunk.node = node;
    } else if (chunk.drawing.SameAs(drawing)) {
        return;
    }
    std::optional<DrawingPatch> patch = added ? std::nullopt : PatchBetween(chunk.drawing, drawing);
    chunk.base = patch ? chunk.revision : 0;
    chunk.patch = patch ? std::move(*patch) : DrawingPatch{};
    chunk.revision = nextRevision_++;
    chunk.drawing = std::move(drawing);
    placementsStale_ = true;
}

void PageDrawing::DrawView(session::EditSession& session, const ViewKey& key, const host::Box3& bounds,
                           bool withNodes) {
    const scene::ViewDefinition& view = session.Views()[static_cast<std::size_t>(key.view)];
    Store({Part::kUnder, "", key, false}, viewport::kHostNodeId,
          viewport::DrawHostInWorld(view, key.width, key.height, bounds));
    Store({Part::kOver, "", key, false}, viewport::kHostNodeId, OverDrawing(session, key.view));
    for (const auto& [name, looks] : order_) {
        if (!looks || !withNodes) continue;
        scene::Node* node = session.Scene().FindNode(name);
        if (node == nullptr) continue;
        const uint32_t id = NodeId(name);
        viewport::NodeDrawing drawing = DrawNode(*node, view, session.Time(), key, id, true);
        Store({Part::kNodeView, name, key, false}, id, std::move(drawing.view));
    }
    drawnCameras_[key] = view;
}

void PageDrawing::Refresh(session::EditSession& session, const std::vector<const std::vector<ViewSize>*>& pages) {
    const std::vector<scene::ViewDefinition>& views = session.Views();
    std::set<ViewKey> wanted;
    for (const std::vector<ViewSize>* sizes : pages) {
        for (std::size_t i = 0; i < sizes->size() && i < views.size(); ++i)
            wanted.insert({static_cast<int>(i), (*sizes)[i].width, (*sizes)[i].height});
    }
    // With no view to draw for, nothing is drawn, and nothing counts as drawn.
    if (wanted.empty()) return;
    std::vector<bool> boxOnly;
    for (const scene::ViewDefinition& view : views) boxOnly.push_back(view.boxOnly);
    // Which shared chunk a view's markers could sit on follows its box-only state.
    if (boxOnly != boxOnly_) placementsStale_ = true;
    boxOnly_ = std::move(boxOnly);
    scene::Scene& scene = session.Scene();
    const host::TimeValue t = session.Time();
    const host::Box3 bounds = viewport::SceneBounds(scene, t);

    const bool everything = session.DrawingRevision() != drawnRevision_;
    // The view each box-only state is drawn in first: its view chunks come with it.
    std::map<bool, ViewKey> firstOfState;
    for (const ViewKey& key : wanted) firstOfState.try_emplace(views[static_cast<std::size_t>(key.view)].boxOnly, key);
    if (everything) {
        shortfalls_.clear();
        gathering_ = true;
        for (auto& [key, chunk] : chunks_) chunk.kept = false;
        order_.clear();
        drawnCameras_.clear();
        for (int i = 0; i < scene.NodeCount(); ++i) {
            scene::Node* node = scene.NodeAt(i);
            if (node == nullptr) continue;
            const uint32_t id = NodeId(node->Name());
            bool looks = false;
            for (const auto& [boxOnly, key] : firstOfState) {
                viewport::NodeDrawing drawing = DrawNode(*node, views[static_cast<std::size_t>(key.view)], t, key, id);
                looks = looks || drawing.viewDependent;
                Store({Part::kNodeShared, node->Name(), {}, boxOnly}, id, std::move(drawing.shared));
                if (drawing.viewDependent) Store({Part::kNodeView, node->Name(), key, false}, id, std::move(drawing.view));
            }
            order_.emplace_back(node->Name(), looks);
        }
        drawnRevision_ = session.DrawingRevision();
        gathering_ = false;
        warnings_ = viewport::ShortfallWarnings(shortfalls_);
    }
    for (const ViewKey& key : wanted) {
        const auto drawn = drawnCameras_.find(key);
        if (drawn != drawnCameras_.end() && drawn->second == views[static_cast<std::size_t>(key.view)]) continue;
        // The first view of each state has its node chunks drawn already.
        const bool first = everything && firstOfState[views[static_cast<std::size_t>(key.view)].boxOnly] == key;
        DrawView(session, key, bounds, !first);
    }
    std::erase_if(chunks_, [&](const auto& entry) {
        const auto& [key, chunk] = entry;
        if (everything && !chunk.kept) return true;
        return key.view.view >= 0 && !wanted.contains(key.view);
    });
    std::erase_if(drawnCameras_, [&](const auto& entry) { return !wanted.contains(entry.first); });
    if (std::exchange(placementsStale_, false))
        for (auto& [key, chunk] : chunks_) chunk.placement = PlacementOf(key, chunk);
}

const PageDrawing::Chunk* PageDrawing::Find(const ChunkKey& key) const {
    const auto it = chunks_.find(key);
    return it == chunks_.end() || it->second.drawing.Empty() ? nullptr : &it->second;
}

std::vector<uint32_t> PageDrawing::Layout(int view, const ViewSize& size) const {
    std::vector<uint32_t> ids;
    if (view < 0 || view >= static_cast<int>(boxOnly_.size())) return ids;
    const ViewKey key{view, size.width, size.height};
    const auto add = [&](const ChunkKey& k) {
        if (const Chunk* chunk = Find(k)) ids.push_back(chunk->id);
    };
    add({Part::kUnder, "", key, false});
    for (const auto& [name, looks] : order_) {
        add({Part::kNodeShared, name, {}, boxOnly_[static_cast<std::size_t>(view)]});
        if (looks) add({Part::kNodeView, name, key, false});
    }
    add({Part::kOver, "", key, false});
    return ids;
}

std::optional<LineSource> PageDrawing::PlacementOf(const ChunkKey& key, const Chunk& chunk) const {
    if (key.part != Part::kNodeView || key.view.view < 0 || key.view.view >= static_cast<int>(boxOnly_.size()))
        return std::nullopt;
    const Chunk* shared = Find({Part::kNodeShared, key.node, {}, boxOnly_[static_cast<std::size_t>(key.view.view)]});
    if (shared == nullptr) return std::nullopt;
    const std::optional<uint32_t> first = MarkersOnLineStarts(chunk.drawing, shared->drawing);
    if (!first) return std::nullopt;
    return LineSource{shared->id, shared->revision, *first};
}

std::map<uint32_t, const PageDrawing::Chunk*> PageDrawing::ById() const {
    std::map<uint32_t, const Chunk*> byId;
    for (const auto& [key, chunk] : chunks_) byId[chunk.id] = &chunk;
    return byId;
}

std::size_t PageDrawing::WholeBytes(const Chunk& chunk) {
    return chunk.placement ? EncodedPlacedMarkersBytes(chunk.drawing) : EncodedChunkBytes(chunk.drawing);
}

void PageDrawing::SendWhole(const Chunk& chunk, const std::function<void(std::string)>& part) {
    if (chunk.placement)
        EncodePlacedMarkers(chunk.drawing, chunk.id, chunk.revision, chunk.node, *chunk.placement, part);
    else
        EncodeChunk(chunk.drawing, chunk.id, chunk.revision, chunk.node, part);
}

std::size_t PageDrawing::Lacking(const PageCopy& copy, const std::vector<ViewSize>& views) const {
    const auto byId = ById();
    std::set<uint32_t> counted;
    std::size_t bytes = 0;
    for (std::size_t i = 0; i < views.size(); ++i) {
        for (const uint32_t id : Layout(static_cast<int>(i), views[i])) {
            const Chunk* chunk = byId.at(id);
            const auto held = copy.held.find(id);
            if ((held != copy.held.end() && held->second == chunk->revision) || !counted.insert(id).second) continue;
            bytes += held != copy.held.end() && PatchFits(*chunk, held->second) ? EncodedPatchBytes(chunk->patch)
                                                                                : WholeBytes(*chunk);
        }
    }
    return bytes;
}

std::size_t PageDrawing::Bring(PageCopy& copy, const std::vector<ViewSize>& views, const Send& send) const {
    const auto byId = ById();
    std::vector<std::vector<uint32_t>> layouts;
    std::set<uint32_t> needed;
    text::Json nodes = text::Json::array();
    std::size_t bytes = 0;
    bool sent = false;
    for (std::size_t i = 0; i < views.size(); ++i) {
        layouts.push_back(Layout(static_cast<int>(i), views[i]));
        for (const uint32_t id : layouts.back()) {
            const Chunk* chunk = byId.at(id);
            needed.insert(id);
            if (chunk->node != viewport::kHostNodeId && copy.nodes.insert(chunk->node).second)
                nodes.push_back(text::Json::array({chunk->node, nodeNames_.at(chunk->node)}));
            auto [held, added] = copy.held.try_emplace(id, 0);
            if (!added && held->second == chunk->revision) continue;
            const bool patch = !added && PatchFits(*chunk, held->second);
            held->second = chunk->revision;
            sent = true;
            if (patch) {
                std::string part = EncodePatch(chunk->drawing, chunk->patch, id, chunk->revision, chunk->base, chunk->node);
                bytes += part.size();
                send(std::move(part), true);
                continue;
            }
            SendWhole(*chunk, [&](std::string part) {
                bytes += part.size();
                send(std::move(part), true);
            });
        }
    }
    text::Json drop = text::Json::array();
    std::erase_if(copy.held, [&](const auto& entry) {
        if (needed.contains(entry.first)) return false;
        drop.push_back(entry.first);
        return true;
    });
    if (!sent && drop.empty() && nodes.empty() && layouts == copy.layouts) return 0;
    copy.layouts = layouts;
    text::Json commit{{"type", "drawing"}, {"views", layouts}, {"drop", std::move(drop)}, {"nodes", std::move(nodes)}};
    std::string text = text::DumpJson(commit);
    bytes += text.size();
    send(std::move(text), false);
    return bytes;
}

std::size_t PageDrawing::RecordCount() const {
    std::size_t n = 0;
    for (const auto& [key, chunk] : chunks_) n += chunk.drawing.Lines().size() + chunk.drawing.Markers().size();
    return n;
}

}  // namespace zg::web
