#include "host/objparam.h"

#include <gtest/gtest.h>

namespace {

class MainWindowOnly : public host::CoreInterface {
public:
    host::HWND GetMainWindow() override { return reinterpret_cast<host::HWND>(0x40); }
    host::TimeValue GetTime() override { return 160; }
};

TEST(CoreInterfaceTest, InstalledInterfaceIsFound) {
    EXPECT_EQ(host::GetCOREInterface(), nullptr);
    MainWindowOnly core;
    host::SetCOREInterface(&core);
    EXPECT_EQ(host::GetCOREInterface(), &core);
    host::SetCOREInterface(nullptr);
    EXPECT_EQ(host::GetCOREInterface(), nullptr);
}

}  // namespace
