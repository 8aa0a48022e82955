// Editing in the command panel: the calls BeginEditParams and EndEditParams make, the
// dialog templates and logo the module carries, and the About rollout's procedure.
#include <gtest/gtest.h>

#include <fmt/format.h>

#include <string>
#include <vector>

#include "host/objparam.h"
#include "host/platform.h"
#include "tests/plugin/plugin_fixture.h"

namespace zgtest {
namespace {

// A command panel that records what it is asked to do.
class RecordingPanel : public host::IObjParam {
public:
    host::HWND GetMainWindow() override { return mainWindow; }
    host::TimeValue GetTime() override { return 0; }
    host::HWND AddRollupPage(host::HINSTANCE instance, int dialogId, host::DlgProc proc, const char* title,
                             host::LPARAM param, host::DWORD flags, int category) override {
        calls.push_back(fmt::format("add {} {} {} {} {} {}", instance != nullptr, dialogId, title, param, flags, category));
        aboutProc = proc;
        return kAbout;
    }
    void DeleteRollupPage(host::HWND rollup) override { calls.push_back(rollup == kAbout ? "delete about" : "delete other"); }
    host::HWND CreateParamRollout(host::ClassDesc2*, host::ParamBlockDesc2* desc, host::ParamBlock*) override {
        calls.push_back(fmt::format("create {}", desc->Block().rollout->dialogId));
        return kParameters;
    }
    void DestroyParamRollout(host::HWND rollup) override {
        calls.push_back(rollup == kParameters ? "destroy parameters" : "destroy other");
    }

    static inline const auto kAbout = reinterpret_cast<host::HWND>(0xAB);
    static inline const auto kParameters = reinterpret_cast<host::HWND>(0xCD);
    host::HWND mainWindow = reinterpret_cast<host::HWND>(0x1);
    host::DlgProc aboutProc = nullptr;
    std::vector<std::string> calls;
};

// The platform as the About procedure meets it: controls, the shell, message boxes.
struct Platform : host::WindowService, host::ShellService, host::MessageBoxService {
    Platform() {
        host::InstallWindowService(this);
        host::InstallShellService(this);
        host::InstallMessageBoxService(this);
    }
    ~Platform() override {
        host::InstallWindowService(nullptr);
        host::InstallShellService(nullptr);
        host::InstallMessageBoxService(nullptr);
    }
    host::HWND GetDlgItem(host::HWND dialog, int id) override {
        return reinterpret_cast<host::HWND>(reinterpret_cast<uintptr_t>(dialog) * 10000 + static_cast<uintptr_t>(id));
    }
    bool SetWindowText(host::HWND window, const char* text) override {
        texts.push_back(fmt::format("{}={}", reinterpret_cast<uintptr_t>(window), text));
        return true;
    }
    host::INT_PTR Open(host::HWND parent, const char* verb, const char* file, const char* parameters,
                       const char* directory, int show) override {
        opened.push_back(fmt::format("{} {} {} {} {} {}", reinterpret_cast<uintptr_t>(parent), verb == nullptr,
                                     file, parameters == nullptr, directory == nullptr, show));
        return shellResult;
    }
    int Show(host::HWND owner, const char* text, const char* caption, host::UINT type) override {
        boxes.push_back(fmt::format("{} {}|{}|{:#x}", reinterpret_cast<uintptr_t>(owner), caption, text, type));
        return host::IDOK;
    }
    host::INT_PTR shellResult = 33;
    std::vector<std::string> texts, opened, boxes;
};

// The core interface whose main window owns message boxes.
struct Core : host::CoreInterface {
    host::HWND GetMainWindow() override { return reinterpret_cast<host::HWND>(0x5); }
    host::TimeValue GetTime() override { return 0; }
};

using UiTest = ZentrographTest;

TEST_F(UiTest, EditingAddsTheParametersThenTheAboutRolloutAndRemovesThemInTheSameOrder) {
    RecordingPanel panel;
    for (bool flagSetBefore : {true, false}) {
        if (flagSetBefore) object->SetAFlag(host::kObjectBeingCreated);
        panel.calls.clear();
        object->BeginEditParams(&panel, 0x7, nullptr);
        object->EndEditParams(&panel, 0x7, nullptr);
        EXPECT_EQ(panel.calls, (std::vector<std::string>{"create 101", "add true 103 About 0 0 4000",
                                                         "destroy parameters", "delete about"}));
        EXPECT_FALSE(object->TestAFlag(host::kObjectBeingCreated));
    }
    // No panel to edit in: nothing is added and nothing breaks.
    object->BeginEditParams(nullptr, 0, nullptr);
    object->EndEditParams(nullptr, 0, nullptr);
}

TEST_F(UiTest, TheModuleCarriesBothDialogTemplatesAndItsLogo) {
    std::string error;
    const host::HINSTANCE instance = ZentrographModule(error)->Instance();
    const host::DialogTemplate* parameters = host::FindDialog(instance, 101);
    ASSERT_NE(parameters, nullptr);
    EXPECT_EQ(parameters->controlCount, 29);
    EXPECT_EQ(parameters->style, 0x50000040u);
    EXPECT_EQ(parameters->width, 108);
    EXPECT_EQ(parameters->height, 224);
    const int ids[] = {1490, 1494, 1495, 1491, 1492, 1493, 1502, 1010, 1011, 1009, 1496, -1, 1497, 1498, 1499,
                       -1,   -1,   -1,   1500, -1,   1501, -1,   1503, -1,   -1,   -1,   -1,   1001, 1002};
    for (int i = 0; i < 29; ++i) EXPECT_EQ(parameters->controls[i].id, ids[i]) << "control " << i + 1;
    const host::DialogControl& list = parameters->controls[9];
    EXPECT_EQ(std::string(list.windowClass), "ListBox");
    EXPECT_EQ((std::vector<int>{list.x, list.y, list.width, list.height}), (std::vector<int>{5, 112, 95, 52}));
    EXPECT_EQ(list.style, 0x50B10001u);
    EXPECT_STREQ(parameters->controls[28].text, "Display Lattice ..................");

    const host::DialogTemplate* about = host::FindDialog(instance, 103);
    ASSERT_NE(about, nullptr);
    EXPECT_TRUE(about->extended);
    EXPECT_EQ((std::vector<int>{about->width, about->height, about->pointSize, about->weight, about->charset}),
              (std::vector<int>{108, 58, 8, 0, 1}));
    EXPECT_STREQ(about->fontName, "MS Sans Serif");
    ASSERT_EQ(about->controlCount, 5);
    EXPECT_STREQ(about->controls[1].text, "0000.00.00");
    EXPECT_EQ(about->controls[2].exStyle, 0x00020000u);
    EXPECT_EQ(about->controls[4].imageId, 101);

    const host::BitmapResource* logo = host::FindBitmap(instance, 101);
    ASSERT_NE(logo, nullptr);
    EXPECT_EQ((std::vector<int>{logo->width, logo->height, logo->bitsPerPixel}), (std::vector<int>{84, 25, 8}));
    for (int i = 0; i < logo->width * logo->height; ++i) ASSERT_LT(logo->pixels[i], logo->paletteCount);
}

TEST_F(UiTest, TheAboutProcedureFillsTheDateAndOpensThePageOrSaysItCannot) {
    RecordingPanel panel;
    object->BeginEditParams(&panel, 0, nullptr);
    ASSERT_NE(panel.aboutProc, nullptr);
    Platform platform;
    const auto window = reinterpret_cast<host::HWND>(0x3);

    EXPECT_EQ(panel.aboutProc(window, host::WM_INITDIALOG, 0, 0), 1);
    EXPECT_EQ(platform.texts, std::vector<std::string>{"31026=2007.02.20"});

    // Any notification of the address button opens the page; a failure is told once.
    const std::string page = "3 true http://www.tarnwick.example/aboutplugin/zentrograph.html true true 0";
    struct Case {
        host::INT_PTR shell;
        unsigned notification;
        bool box;
    };
    Core core;
    for (const Case& c : {Case{33, 0, false}, Case{32, 5, true}, Case{2, 0, true}, Case{0, 0xFFFF, true}}) {
        platform.shellResult = c.shell;
        platform.opened.clear();
        platform.boxes.clear();
        host::SetCOREInterface(c.shell == 0 ? nullptr : &core);
        EXPECT_EQ(panel.aboutProc(window, host::WM_COMMAND, (c.notification << 16) | 1022, 0), 1);
        EXPECT_EQ(platform.opened, std::vector<std::string>{page});
        const std::string owner = c.shell == 0 ? "0" : "5";
        EXPECT_EQ(platform.boxes, c.box ? std::vector<std::string>{owner + " Error|Internet access not available.|0x10"}
                                        : std::vector<std::string>{});
    }
    host::SetCOREInterface(nullptr);
    platform.opened.clear();
    EXPECT_EQ(panel.aboutProc(window, host::WM_COMMAND, 1023, 0), 1);
    EXPECT_TRUE(platform.opened.empty());
    for (host::UINT other : {0u, 15u, 274u, 0xFFFFFFFFu}) EXPECT_EQ(panel.aboutProc(window, other, 1022, 0), 0);
    object->EndEditParams(&panel, 0, nullptr);
}

}  // namespace
}  // namespace zgtest
