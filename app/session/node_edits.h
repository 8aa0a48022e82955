// Node edits the user types or drags: a transform channel changed at the current time,
// a name, a wire colour. Each answers what the node should become, or why it cannot.
#pragma once

#include <optional>
#include <string>

#include "app/scene/animated_point.h"
#include "app/scene/frame_rate.h"
#include "host/geometry.h"

namespace zg::session {

enum class Channel { kPosition, kRotation, kScale };

// The words a step or a refusal uses for a channel: "Move", "Rotate", "Scale".
const char* ChannelVerb(Channel channel);

// `channel` with the value `value` at time t, as a move or a typed value means it: a
// constant takes the value; an animated channel changes its key at t alone, so its path
// never moves as a whole unasked. None, with the reason in `why`, when the channel is
// animated and has no key at t, or the value is not finite.
std::optional<scene::AnimatedPoint> ChannelWithValueAt(const scene::AnimatedPoint& channel, host::TimeValue t,
                                                       const host::Point3& value, scene::FrameRate rate,
                                                       std::string& why);

}  // namespace zg::session
