#include <gtest/gtest.h>

#include "harness.h"
#include "ravelin_export.h"

namespace {

using namespace NimboNS;

class RavelinExport : public testing::Test {
protected:
    void SetUp() override {
        module_ = LoadLibraryW((nimbo_test::BinFolder() + L"\\ravelin.dll").c_str());
        ASSERT_NE(module_, nullptr);
        create_ = reinterpret_cast<CreateServiceFn>(
            reinterpret_cast<void*>(GetProcAddress(module_, kCreateServiceExport)));
        ASSERT_NE(create_, nullptr) << "CreateServiceW is exported under its plain name";
    }
    void TearDown() override { FreeLibrary(module_); }
    HMODULE module_ = nullptr;
    CreateServiceFn create_ = nullptr;
};

TEST_F(RavelinExport, EachCallGivesAnIndependentRunObject) {
    IRun* first = create_();
    IRun* second = create_();
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first, second);
    EXPECT_EQ(first->RunApp(L"", 0), -1);
    first->Release();
    EXPECT_EQ(second->RunApp(nullptr, 0), -1);
    second->Release();
}

TEST_F(RavelinExport, RunAppStartsAPlainCommandLine) {
    nimbo_test::TempFolder folder;
    const std::wstring marker = folder / L"ran.txt";
    IRun* run = create_();
    ASSERT_NE(run, nullptr);
    const std::wstring command = L"cmd.exe /c echo ran> " + nimbo_test::Quote(marker);
    EXPECT_EQ(run->RunApp(command.c_str(), 0), 0);
    run->Release();
    for (int i = 0; i < 200 && !nimbo_test::FileExists(marker); ++i) Sleep(50);
    EXPECT_TRUE(nimbo_test::FileExists(marker));
}

}  // namespace
