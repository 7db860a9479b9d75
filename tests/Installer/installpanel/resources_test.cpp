// installpanel.exe's resources: every language has the window and all its texts, and the texts
// fit the values put into them.
#include <gtest/gtest.h>

#include "harness.h"
#include "nimbo/handle.h"
#include "res/resource.h"
#include "scwconv.h"
#include "ui/resources.h"

using namespace NimboNS;

namespace {

ModuleHandle LoadPanel() {
    return ModuleHandle(LoadLibraryExW((nimbo_test::BinFolder() + L"\\installpanel.exe").c_str(), nullptr,
                                       LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
}

struct LanguageCase {
    const char* name;
    LANGID id;
};
void PrintTo(const LanguageCase& c, std::ostream* os) {
    *os << c.name;
}
class LanguageResources : public testing::TestWithParam<LanguageCase> {};

// The printf conversions of a text, in order ("%%" is no conversion).
std::wstring Conversions(const std::wstring& text) {
    std::wstring found;
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != L'%') continue;
        if (text[i + 1] == L'%') {
            ++i;
            continue;
        }
        found += text[i + 1];
    }
    return found;
}

const struct {
    UINT id;
    const wchar_t* conversions;
} kStrings[] = {
    {IDS_RESTART_MESSAGE, L""},
    {IDS_NEED_ADMIN, L""},
    {IDS_APPS_PATH_EMPTY, L""},
    {IDS_PORT_IN_USE, L"d"},
    {IDS_PORTS_IN_USE, L"dd"},
    {IDS_LAUNCHER_PATH_EMPTY, L""},
    {IDS_APPS_FOLDER_LABEL, L""},
    {IDS_MULTI_USER_LABEL, L""},
    {IDS_MULTI_USER_YES, L""},
    {IDS_MULTI_USER_NO, L""},
    {IDS_ADVANCED_OPTIONS, L""},
    {IDS_START_INSTALL, L""},
    {IDS_BROWSE, L""},
    {IDS_LAUNCHER_FOLDER_LABEL, L""},
    {IDS_PORT_LOG_UNREADABLE, L""},
    {IDS_FILE_IN_USE, L"ss"},
    {IDS_PATH_NOT_ACCESSIBLE, L""},
    {IDS_PATH_HAS_LAUNCHER, L""},
    {IDS_PATH_CANNOT_RUN_EXE, L""},
    {IDS_LAUNCHER_CANNOT_RUN, L""},
    {IDS_ARM_QUESTION, L""},
};

TEST_P(LanguageResources, HaveTheWindowAndEveryTextWithItsPlaceholders) {
    ModuleHandle panel = LoadPanel();
    ASSERT_TRUE(panel);
    const LANGID id = GetParam().id;
    EXPECT_NE(FindResourceExW(panel.get(), RT_DIALOG, MAKEINTRESOURCEW(IDD_INSTALLPANEL_DIALOG), id),
              nullptr);
    for (const auto& expected : kStrings) {
        // The exact language, not a fallback.
        ASSERT_NE(FindResourceExW(panel.get(), RT_STRING, MAKEINTRESOURCEW(expected.id / 16 + 1), id),
                  nullptr);
        const std::wstring text = ui::LoadLangString(panel.get(), expected.id, id);
        EXPECT_FALSE(text.empty()) << expected.id;
        EXPECT_EQ(Conversions(text), expected.conversions) << expected.id << ": " << WideToUtf8(text);
    }
    // Texts that lists of folders are appended to end with a line break or blanks.
    for (UINT listed : {IDS_PATH_NOT_ACCESSIBLE, IDS_PATH_CANNOT_RUN_EXE, IDS_LAUNCHER_CANNOT_RUN,
                        IDS_PORT_LOG_UNREADABLE}) {
        EXPECT_EQ(ui::LoadLangString(panel.get(), listed, id).back(), L'\n') << listed;
    }
}

INSTANTIATE_TEST_SUITE_P(Languages, LanguageResources,
                         testing::Values(LanguageCase{"English", 1033}, LanguageCase{"Danish", 1030},
                                         LanguageCase{"Dutch", 1043}, LanguageCase{"French", 1036},
                                         LanguageCase{"German", 1031}, LanguageCase{"Italian", 1040},
                                         LanguageCase{"Norwegian", 1044}, LanguageCase{"Spanish", 3082},
                                         LanguageCase{"Swedish", 1053}, LanguageCase{"Japanese", 1041}));

TEST(Resources, EnglishTextsAreTheProductsOwn) {
    ModuleHandle panel = LoadPanel();
    ASSERT_TRUE(panel);
    EXPECT_EQ(ui::LoadLangString(panel.get(), IDS_ADVANCED_OPTIONS, 1033), L"&Advanced Options");
    EXPECT_EQ(ui::LoadLangString(panel.get(), IDS_START_INSTALL, 1033), L"Start &Install");
    EXPECT_EQ(ui::LoadLangString(panel.get(), IDS_MULTI_USER_YES, 1033),
              L"&Yes (This option requires admin rights to install)");
    EXPECT_EQ(
        ui::LoadLangString(panel.get(), IDS_PATH_HAS_LAUNCHER, 1033),
        L"Please select a different installation path. The current path already contains another version "
        L"of Nimbo Launcher.\nPath:  ");
    // A language the program does not carry falls back to English.
    EXPECT_EQ(ui::LoadLangString(panel.get(), IDS_BROWSE, 0x0816), L"Browse");
    EXPECT_NE(FindResourceW(panel.get(), MAKEINTRESOURCEW(IDD_MYMESSAGEBOX), RT_DIALOG), nullptr);
    EXPECT_NE(FindResourceW(panel.get(), MAKEINTRESOURCEW(IDB_BACKGROUND), RT_BITMAP), nullptr);
    for (int icon = IDR_MAINFRAME; icon == IDR_MAINFRAME; ++icon)
        EXPECT_NE(FindResourceW(panel.get(), MAKEINTRESOURCEW(icon), RT_GROUP_ICON), nullptr);
    for (int icon = 134; icon <= 141; ++icon)
        EXPECT_NE(FindResourceW(panel.get(), MAKEINTRESOURCEW(icon), RT_GROUP_ICON), nullptr) << icon;
}

}  // namespace
