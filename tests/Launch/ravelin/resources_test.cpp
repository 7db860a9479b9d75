#include <gtest/gtest.h>

#include "harness.h"
#include "ravelin_resources.h"
#include "scwconv.h"

namespace {

class RavelinStrings : public testing::Test {
protected:
    void SetUp() override {
        module_ = LoadLibraryExW((nimbo_test::BinFolder() + L"\\ravelin.dll").c_str(), nullptr,
                                 LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(module_, nullptr);
    }
    void TearDown() override { FreeLibrary(module_); }
    HMODULE module_ = nullptr;
};

TEST_F(RavelinStrings, RepliesAndWarningReadAsShipped) {
    using NimboNS::LoadFormattedString;
    EXPECT_EQ(LoadFormattedString(module_, IDS_INCORRECT_DATA),
              L"Error: Incorrect data sent to the app launcher.");
    EXPECT_EQ(LoadFormattedString(module_, IDS_CONNECTION_ESTABLISHED, 12345),
              L"Websocket connection between the app launcher and server is established at port 12345");
    EXPECT_EQ(LoadFormattedString(module_, IDS_FINISH), L"finish.");
    EXPECT_EQ(LoadFormattedString(module_, IDS_READY_TO_DOWNLOAD_LAUNCHER),
              L"Ready to download the app launcher..");
    EXPECT_EQ(LoadFormattedString(module_, IDS_APP_STARTED, L"apps"),
              L"The app is started successfully: apps.");
    std::wstring warning = LoadFormattedString(module_, IDS_REGISTER_WARNING, L"ocx1.ocx");
    EXPECT_EQ(warning.rfind(L"Failed to register ocx1.ocx. Please ensure", 0), 0u);
    EXPECT_NE(warning.find(L"Click OK to continue or Cancel to exit."), std::wstring::npos);
    for (UINT id = IDS_INCORRECT_DATA; id <= IDS_REGISTER_WARNING; ++id)
        EXPECT_FALSE(LoadFormattedString(module_, id, L"x", 1).empty()) << id;
}

}  // namespace
