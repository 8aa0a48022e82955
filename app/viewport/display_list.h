// DisplayList: what one viewport drew, in drawing order and in pixels, with the node
// that drew each item. The renderer paints it; the JSON writer hands it out.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "app/viewport/primitive_sink.h"

namespace zg::viewport {

enum class DisplayItemKind { kPolyline, kSegments, kMarker };

// One drawing call as the viewport received it.
struct DisplayItem {
    DisplayItemKind kind = DisplayItemKind::kPolyline;
    int node = -1;  // index into DisplayList::NodeNames(); -1 for the host's own drawing (grid)
    Rgb color;
    bool closed = false;  // polyline only
    int markerCode = 0;   // marker only
    // Polyline: its points. Segments: two points per segment, start then end. Marker:
    // its position.
    std::vector<PixelPoint> points;
};

class DisplayList final : public PrimitiveSink {
public:
    DisplayList() = default;
    DisplayList(int width, int height) : width_(width), height_(height) {}

    int Width() const { return width_; }
    int Height() const { return height_; }

    // Later items belong to the node `name`; an empty name means the host itself.
    void BeginNode(const std::string& name);
    void EndNode() { currentNode_ = -1; }

    const std::vector<DisplayItem>& Items() const { return items_; }
    const std::vector<std::string>& NodeNames() const { return nodeNames_; }
    // The name of item's node, or "" for the host's own drawing.
    const std::string& NodeName(const DisplayItem& item) const;
    // How many items of `kind` the node `name` drew.
    std::size_t Count(const std::string& name, DisplayItemKind kind) const;

    void Polyline(const Rgb& color, std::span<const PixelPoint> points, bool closed, bool partial) override;
    void BeginSegments(const Rgb& color) override;
    void Segment(const PixelPoint& a, const PixelPoint& b, bool partial) override;
    void EndSegments() override;
    void Marker(const Rgb& color, const PixelPoint& at, int code) override;

private:
    int width_ = 0;
    int height_ = 0;
    int currentNode_ = -1;
    bool inBatch_ = false;
    std::vector<std::string> nodeNames_;
    std::vector<DisplayItem> items_;
};

}  // namespace zg::viewport
