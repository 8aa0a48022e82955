// PageDrawing: what the pages of the interactive host are shown of the scene. Pages
// project drawings themselves, so the host keeps each view's drawing as chunks of
// world-space records (app/viewport/world_scene.h) and sends a page only the chunks it
// does not hold:
//   - per node, what it draws alike in every view (one for views in the box-only
//     state, one for the others);
//   - per node and view, what it draws after looking at the view (a field viewer's
//     markers follow the view direction), for nodes that look;
//   - per view, the host's own drawing under the scene (the construction grid) and
//     over it (the snap preview mark).
// Each chunk has an id, stable while it exists, and a revision that rises only when its
// records change: a node whose drawing did not change is not sent again, a camera move
// draws again only what depends on that view, and a view whose drawing did not change
// gets nothing.
//
// A page hears of a change as the parts of every chunk it lacks (app/web/frame_encoding.h),
// or the patch of one whose previous revision it holds, and then one text message that
// makes them its drawing. A node's view markers that sit on its shared chunk's lines
// travel without their positions, which the page takes from those lines:
//   {"type": "drawing", "views": [[chunk id, ...] per view, in drawing order],
//    "drop": [chunk ids the page may let go], "nodes": [[node id, name], ...] (ids the
//    page has not heard of)}
// A page keeps drawing what it had until that message comes.
//
// Used on the UI thread only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "app/scene/view_definition.h"
#include "app/session/edit_session.h"
#include "app/viewport/display_list.h"
#include "app/viewport/world_drawing.h"
#include "app/viewport/world_scene.h"
#include "app/web/frame_encoding.h"
#include "app/web/page_protocol.h"

namespace zg::web {

class PageDrawing {
public:
    // What one page holds, as far as the host has sent it.
    struct PageCopy {
        std::map<uint32_t, uint64_t> held;  // chunk id, revision
        std::vector<std::vector<uint32_t>> layouts;
        std::set<uint32_t> nodes;  // node ids it has been told the names of
    };
    using Send = std::function<void(std::string message, bool binary)>;

    // Draws again what may have changed for the views of every page (`pages`, each its
    // view sizes): everything when the session's drawing revision moved, else only
    // what depends on a view whose camera or size changed. Chunks no view uses go.
    void Refresh(session::EditSession& session, const std::vector<const std::vector<ViewSize>*>& pages);
    // Sends a page of `views` what it lacks of the chunks as refreshed; nothing when it
    // holds them all. Answers the bytes sent.
    std::size_t Bring(PageCopy& copy, const std::vector<ViewSize>& views, const Send& send) const;
    // The bytes of the chunk parts Bring would send the page now.
    std::size_t Lacking(const PageCopy& copy, const std::vector<ViewSize>& views) const;

    // What plug-in code said when it threw while drawing a node since the last call,
    // one line each ("node: what"); such a node draws nothing until it draws again.
    std::vector<std::string> TakeFaults() { return std::exchange(faults_, {}); }
    // What kept nodes' drawings from being whole at the last full redraw (a lattice the
    // memory budget refused, points that are not finite), one line each for the user.
    const std::vector<std::string>& Warnings() const { return warnings_; }

    // Chunks kept, and records in them, for tests and figures.
    std::size_t ChunkCount() const { return chunks_.size(); }
    std::size_t RecordCount() const;

private:
    enum class Part { kUnder, kNodeShared, kNodeView, kOver };
    // A view of some size; -1 stands for every view (a node's shared chunk).
    struct ViewKey {
        int view = -1, width = 0, height = 0;
        auto operator<=>(const ViewKey&) const = default;
    };
    struct ChunkKey {
        Part part;
        std::string node;
        ViewKey view;
        bool boxOnly = false;
        auto operator<=>(const ChunkKey&) const = default;
    };
    struct Chunk {
        uint32_t id = 0;
        uint32_t node = viewport::kHostNodeId;
        uint64_t revision = 0;
        viewport::WorldDrawing drawing;
        // What changed since revision `base` (0: none), for a page that holds that one.
        uint64_t base = 0;
        DrawingPatch patch;
        // Where its markers sit on its node's shared lines, as of the last refresh that
        // changed a chunk: then it travels placed.
        std::optional<LineSource> placement;
        bool kept = false;  // drawn or confirmed by the refresh under way
    };

    uint32_t NodeId(const std::string& name);
    viewport::NodeDrawing DrawNode(scene::Node& node, const scene::ViewDefinition& view, host::TimeValue t,
                                   const ViewKey& key, uint32_t id, bool viewAlone = false);
    void Store(const ChunkKey& key, uint32_t node, viewport::WorldDrawing drawing);
    // Draws what depends on `key`'s view: the host's own chunks and, `withNodes`, the
    // view chunks of the nodes that look at the view.
    void DrawView(session::EditSession& session, const ViewKey& key, const host::Box3& bounds, bool withNodes);
    const Chunk* Find(const ChunkKey& key) const;
    // Where a page finds the positions of a node's view markers: on the lines of the
    // node's shared chunk, which the same views draw, when the markers sit there.
    std::optional<LineSource> PlacementOf(const ChunkKey& key, const Chunk& chunk) const;
    // A chunk changed since the placements were last looked for.
    bool placementsStale_ = false;
    // Every chunk by id.
    std::map<uint32_t, const Chunk*> ById() const;
    // The bytes of the chunk sent whole, and sending it so.
    static std::size_t WholeBytes(const Chunk& chunk);
    static void SendWhole(const Chunk& chunk, const std::function<void(std::string)>& part);
    // Whether a page holding `held` of the chunk is sent its patch rather than all of it:
    // when it holds the patch's base and the patch is the smaller.
    static bool PatchFits(const Chunk& chunk, uint64_t held) {
        return chunk.base != 0 && held == chunk.base && EncodedPatchBytes(chunk.patch) < WholeBytes(chunk);
    }
    std::vector<uint32_t> Layout(int view, const ViewSize& size) const;

    std::map<ChunkKey, Chunk> chunks_;
    std::map<std::string, uint32_t> nodeIds_;
    std::map<uint32_t, std::string> nodeNames_;
    uint32_t nextNodeId_ = 0;
    uint32_t nextChunkId_ = 1;
    uint64_t nextRevision_ = 1;
    // As of the last refresh: the drawing revision drawn, the nodes in drawing order
    // with whether each looks at the view, the box-only state of each view, and the
    // camera each view key was drawn with.
    uint64_t drawnRevision_ = 0;
    std::vector<std::pair<std::string, bool>> order_;
    std::vector<bool> boxOnly_;
    std::map<ViewKey, scene::ViewDefinition> drawnCameras_;
    std::vector<std::string> faults_;
    std::vector<std::string> warnings_;
    std::vector<viewport::DrawingShortfall> shortfalls_;  // gathered during a full redraw
    bool gathering_ = false;
};

}  // namespace zg::web
