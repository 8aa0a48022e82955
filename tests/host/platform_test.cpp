#include "host/platform.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using host::HINSTANCE;

namespace {

const std::string kLong(300, 'x');
const host::StringResource kStrings[] = {{1, "Tarnwick"}, {2, kLong.c_str()}, {3, ""}, {4, "Hello"}};
const host::DialogTemplate kDialogs[] = {{101, 0, false, 100, 50, "Sans", 8, 400, false, 0, nullptr, 0}};
const uint8_t kPixels[] = {0, 1, 1, 0};
const host::BitmapResource kBitmaps[] = {{7, 2, 2, 8, nullptr, 0, kPixels}};
const host::ResourceDirectory kDirectory{kStrings, 4, kDialogs, 1, kBitmaps, 1};

class PlatformTest : public ::testing::Test {
protected:
    void SetUp() override { module_ = host::RegisterModule(&kDirectory, "test.dlo"); }
    void TearDown() override {
        host::UnregisterModule(module_);
        host::InstallWindowService(nullptr);
        host::InstallShellService(nullptr);
        host::InstallMessageBoxService(nullptr);
    }
    HINSTANCE module_ = nullptr;
};

TEST_F(PlatformTest, ModulesGetDistinctHandles) {
    const HINSTANCE other = host::RegisterModule(nullptr, "other.dlo");
    EXPECT_NE(module_, nullptr);
    EXPECT_NE(other, nullptr);
    EXPECT_NE(module_, other);
    EXPECT_EQ(host::ModuleResources(module_), &kDirectory);
    EXPECT_EQ(host::DisableThreadLibraryCalls(module_), 1);
    EXPECT_EQ(host::DisableThreadLibraryCalls(other), 1);
    host::UnregisterModule(other);
    EXPECT_EQ(host::DisableThreadLibraryCalls(other), 0);
    EXPECT_EQ(host::DisableThreadLibraryCalls(nullptr), 0);
    EXPECT_EQ(host::ModuleResources(other), nullptr);
    EXPECT_NE(host::RegisterModule(nullptr, "again.dlo"), other);
}

TEST_F(PlatformTest, LoadStringCopiesAndTruncates) {
    char buffer[256];
    EXPECT_EQ(host::LoadStringA(module_, 1, buffer, sizeof buffer), 8);
    EXPECT_STREQ(buffer, "Tarnwick");

    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(host::LoadStringA(module_, 2, buffer, sizeof buffer), 255);
    EXPECT_EQ(buffer[255], '\0');
    EXPECT_EQ(std::string(buffer), kLong.substr(0, 255));

    char small[4];
    EXPECT_EQ(host::LoadStringA(module_, 4, small, sizeof small), 3);
    EXPECT_STREQ(small, "Hel");
    EXPECT_EQ(host::LoadStringA(module_, 4, small, 1), 0);
    EXPECT_EQ(small[0], '\0');
}

TEST_F(PlatformTest, LoadStringOfUnknownOrEmptyTextGivesNothing) {
    char buffer[16] = "stale";
    EXPECT_EQ(host::LoadStringA(module_, 99, buffer, sizeof buffer), 0);
    EXPECT_EQ(buffer[0], '\0');
    std::strcpy(buffer, "stale");
    EXPECT_EQ(host::LoadStringA(module_, 3, buffer, sizeof buffer), 0);
    EXPECT_EQ(buffer[0], '\0');
    std::strcpy(buffer, "stale");
    EXPECT_EQ(host::LoadStringA(reinterpret_cast<HINSTANCE>(0x5EED), 1, buffer, sizeof buffer), 0);
    EXPECT_EQ(buffer[0], '\0');
    EXPECT_EQ(host::LoadStringA(module_, 1, nullptr, 16), 0);
    EXPECT_EQ(host::LoadStringA(module_, 1, buffer, 0), 0);
    const HINSTANCE bare = host::RegisterModule(nullptr, "bare.dlo");
    EXPECT_EQ(host::LoadStringA(bare, 1, buffer, sizeof buffer), 0);
    host::UnregisterModule(bare);
}

TEST_F(PlatformTest, DialogsAndBitmapsComeFromTheModule) {
    ASSERT_NE(host::FindDialog(module_, 101), nullptr);
    EXPECT_EQ(host::FindDialog(module_, 101)->width, 100);
    EXPECT_EQ(host::FindDialog(module_, 103), nullptr);
    ASSERT_NE(host::FindBitmap(module_, 7), nullptr);
    EXPECT_EQ(host::FindBitmap(module_, 7)->pixels, kPixels);
    EXPECT_EQ(host::FindBitmap(module_, 101), nullptr);
    EXPECT_EQ(host::FindDialog(nullptr, 101), nullptr);
}

TEST_F(PlatformTest, CallsWithoutServicesFailAsThePlatformDoes) {
    EXPECT_EQ(host::GetDlgItem(nullptr, 1000), nullptr);
    EXPECT_EQ(host::SetWindowTextA(nullptr, "text"), 0);
    EXPECT_EQ(host::ShellExecuteA(nullptr, "open", "http://example.invalid/", nullptr, nullptr, 1),
              host::SE_ERR_NOASSOC);
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(host::MessageBoxA(nullptr, "Internet access not available.", "About", host::MB_OK), host::IDOK);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "About: Internet access not available.\n");
}

struct RecordingServices : host::WindowService, host::ShellService, host::MessageBoxService {
    host::HWND GetDlgItem(host::HWND dialog, int id) override {
        lastDialog = dialog;
        return reinterpret_cast<host::HWND>(static_cast<uintptr_t>(id) * 16);
    }
    bool SetWindowText(host::HWND window, const char* text) override {
        lastWindow = window;
        lastText = text;
        return true;
    }
    host::INT_PTR Open(host::HWND, const char* verb, const char* file, const char*, const char*, int show) override {
        lastText = std::string(verb) + " " + file;
        lastShow = show;
        return 42;
    }
    int Show(host::HWND, const char* text, const char* caption, host::UINT type) override {
        lastText = std::string(caption) + "|" + text;
        lastType = type;
        return 7;
    }
    host::HWND lastDialog = nullptr;
    host::HWND lastWindow = nullptr;
    std::string lastText;
    int lastShow = -1;
    host::UINT lastType = 0;
};

TEST_F(PlatformTest, CallsGoToTheInstalledServices) {
    RecordingServices services;
    host::InstallWindowService(&services);
    host::InstallShellService(&services);
    host::InstallMessageBoxService(&services);
    const auto dialog = reinterpret_cast<host::HWND>(0x100);

    EXPECT_EQ(host::GetDlgItem(dialog, 5), reinterpret_cast<host::HWND>(80));
    EXPECT_EQ(services.lastDialog, dialog);
    EXPECT_EQ(host::SetWindowTextA(dialog, "Version 1"), 1);
    EXPECT_EQ(services.lastText, "Version 1");
    EXPECT_EQ(host::ShellExecuteA(nullptr, "open", "page.html", nullptr, nullptr, host::SW_HIDE), 42);
    EXPECT_EQ(services.lastText, "open page.html");
    EXPECT_EQ(host::MessageBoxA(nullptr, "text", "caption", host::MB_ICONERROR), 7);
    EXPECT_EQ(services.lastText, "caption|text");
    EXPECT_EQ(services.lastType, host::MB_ICONERROR);

    host::InstallWindowService(nullptr);
    host::InstallShellService(nullptr);
    EXPECT_EQ(host::GetDlgItem(dialog, 5), nullptr);
    EXPECT_EQ(host::SetWindowTextA(dialog, "x"), 0);
    EXPECT_EQ(host::ShellExecuteA(nullptr, "open", "page.html", nullptr, nullptr, 1), host::SE_ERR_NOASSOC);
}

}  // namespace
