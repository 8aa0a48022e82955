// Page messages read: every kind, and malformed ones refused with the field at fault.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <variant>

#include "app/web/page_protocol.h"

namespace webtest {
namespace {

TEST(PageProtocolTest, ReadsEveryMessageKind) {
    const char* messages[] = {
        R"({"type": "hello", "views": [{"width": 300, "height": 200}], "seq": 1})",
        R"({"type": "resize", "view": 1, "width": 5, "height": 6})",
        R"({"type": "pointer", "view": 0, "phase": "down", "x": 10.4, "y": -3, "button": 2, "additive": true})",
        R"({"type": "orbit", "view": 0, "dx": 1.5, "dy": 0})",
        R"({"type": "zoom", "view": 0, "factor": 1.2, "x": 0, "y": 0})",
        R"({"type": "camera", "view": 0, "eye": [1, 2, 3], "target": [0, 0, 0], "up": [0, 0, 1], "fov": 40})",
        R"({"type": "camera", "view": 1, "center": [1, 2, 3], "width": 0.5})",
        R"({"type": "key", "key": "Delete"})",
        R"({"type": "create", "class": "Zentrograph"})",
        R"({"type": "select", "names": ["A", "B"]})",
        R"({"type": "save", "file": "x.json"})",
        R"({"type": "save"})",
        R"({"type": "projection", "view": 2, "projection": "back"})",
        R"({"type": "frameView", "view": 0, "all": true})",
    };
    for (const char* text : messages) {
        const zg::web::ReadMessage read = zg::web::ReadPageMessage(text);
        EXPECT_TRUE(read.message) << text << ": " << read.error;
    }
    const zg::web::ReadMessage pointer = zg::web::ReadPageMessage(messages[2]);
    const auto& p = std::get<zg::web::command::Pointer>(pointer.message->command);
    EXPECT_EQ(p.at, host::IPoint2(10, -3));
    EXPECT_EQ(p.button, 2);
}

TEST(PageProtocolTest, RefusesMalformedMessagesWithTheFieldAtFault) {
    const std::pair<std::string, const char*> cases[] = {
        {"not json", "not JSON"},
        {"[1]", "not a JSON object"},
        {std::string(20, '[') + std::string(20, ']'), "nested too deeply"},
        {R"({"seq": 4})", "type: missing"},
        {R"({"type": "fly", "seq": 7})", "unknown message type"},
        {R"({"type": "hello", "views": [{"width": 1, "height": 1}, {"width": 1, "height": 1}, {"width": 1, "height": 1},
             {"width": 1, "height": 1}, {"width": 1, "height": 1}, {"width": 1, "height": 1},
             {"width": 1, "height": 1}, {"width": 1, "height": 1}, {"width": 1, "height": 1}]})", "views:"},
        {R"({"type": "hello", "views": [{"width": 0, "height": 1}]})", "views[0].width"},
        {R"({"type": "pointer", "view": 0, "phase": "drag", "x": 0, "y": 0})", "phase:"},
        {R"({"type": "pointer", "view": 99, "phase": "up", "x": 0, "y": 0})", "view:"},
        {R"({"type": "pointer", "view": 0, "phase": "up", "x": 1e300, "y": 0})", "x:"},
        {R"({"type": "zoom", "view": 0, "factor": 0, "x": 0, "y": 0})", "factor:"},
        {R"({"type": "key", "key": "F1"})", "key:"},
        {R"({"type": "projection", "view": 0, "projection": "under"})", "projection: expected"},
        {R"({"type": "frameView", "view": 0, "all": 1})", "all:"},
        {R"({"type": "frame", "frame": "3"})", "frame:"},
        {R"({"type": "camera", "view": 0, "eye": [1, 2], "target": [0, 0, 0], "up": [0, 0, 1], "fov": 40})", "eye:"},
        {R"({"type": "camera", "view": 0, "center": [0, 0, 1e300], "width": 1})", "center[2]:"},
        {R"({"type": "camera", "view": 0, "center": [0, 0, 0], "width": 1, "fov": 3})", "fov: unknown key"},
        {R"({"type": "selectMode", "extra": 1})", "extra: unknown key"},
        {R"({"type": "save", "seq": 1.5})", "seq:"},
        {R"({"type": "selectMode", "a\nb": 1})", "a\\nb: unknown key"},  // still one line
        {R"({"type": "undo", "type": "redo"})", "duplicate key \"type\""},  // neither wins
        {std::string(R"({"type": "undo"})") + '\0' + "x", "not JSON"},      // nothing hides past a NUL
    };
    for (const auto& [text, expected] : cases) {
        const zg::web::ReadMessage read = zg::web::ReadPageMessage(text);
        EXPECT_FALSE(read.message) << text;
        EXPECT_NE(read.error.find(expected), std::string::npos) << text << ": " << read.error;
    }
    EXPECT_EQ(zg::web::ReadPageMessage(R"({"type": "fly", "seq": 7})").seq, 7);  // a refusal can still be acknowledged
}

}  // namespace
}  // namespace webtest
