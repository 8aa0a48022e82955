#include "app/session/node_edits.h"

#include <fmt/format.h>

#include <vector>

namespace zg::session {

const char* ChannelVerb(Channel channel) {
    switch (channel) {
        case Channel::kPosition: return "Move";
        case Channel::kRotation: return "Rotate";
        case Channel::kScale: return "Scale";
    }
    return "Change";
}

std::optional<scene::AnimatedPoint> ChannelWithValueAt(const scene::AnimatedPoint& channel, host::TimeValue t,
                                                       const host::Point3& value, scene::FrameRate rate,
                                                       std::string& why) {
    if (!host::IsFinite(value)) {
        why = "the value is not a finite number";
        return std::nullopt;
    }
    if (!channel.IsAnimated()) return scene::AnimatedPoint(value);
    std::vector<scene::PointKey> keys = channel.Keys();
    for (scene::PointKey& key : keys) {
        if (key.time != t) continue;
        key.value = value;
        return scene::AnimatedPoint(std::move(keys));
    }
    why = fmt::format("it is animated and has no key at frame {}: go to one of its keys to change it there",
                      rate.TicksToFrame(t));
    return std::nullopt;
}

}  // namespace zg::session
