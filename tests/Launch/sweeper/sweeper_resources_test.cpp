// The resources of the shipped sweeper.exe: texts, the progress dialog, icons and manifest.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "harness.h"
#include "nimbo/handle.h"

namespace {

using NimboNS::ModuleHandle;

ModuleHandle LoadSweeper() {
    return ModuleHandle(LoadLibraryExW((nimbo_test::BinFolder() + L"\\sweeper.exe").c_str(), nullptr,
                                       LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
}

const void* Resource(HMODULE module, const wchar_t* type, const wchar_t* name, WORD language, DWORD* size) {
    HRSRC found = FindResourceExW(module, type, name, language);
    if (found == nullptr) return nullptr;
    *size = SizeofResource(module, found);
    return LockResource(LoadResource(module, found));
}

TEST(SweeperResources, EnglishTextsAreTheProgramsOwn) {
    ModuleHandle module = LoadSweeper();
    ASSERT_TRUE(module);
    const std::pair<UINT, const wchar_t*> texts[] = {
        {201, L"Uninstalling "},
        {202, L"Initializing environment..."},
        {203, L"Uninstalling in progress..."},
        {204, L"The application is uninstalled successfully."},
        {205, L"Deleting the file \"%s\"..."},
        {206, L"Deleting the folder \"%s\"..."},
        {207, L"The folder or file is occupied by another program: %s."},
        {208, L"The application that needs to be uninstalled is not found."},
        {209, L"Uninstall %s"},
        {210, L"Are you sure you want to completely remove %s and all of its components?"},
    };
    for (const auto& [id, text] : texts) {
        wchar_t loaded[1024] = {};
        LoadStringW(module.get(), id, loaded, 1024);
        EXPECT_STREQ(loaded, text) << id;
    }
    DWORD size = 0;
    EXPECT_NE(Resource(module.get(), RT_STRING, MAKEINTRESOURCEW(201 / 16 + 1),
                       MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), &size),
              nullptr)
        << "the texts are language 1033";
}

// Reads an extended dialog template.
class TemplateReader {
public:
    explicit TemplateReader(const BYTE* data) : start_(data), at_(data) {}
    template <typename T>
    T Take() {
        T value;
        memcpy(&value, at_, sizeof(T));
        at_ += sizeof(T);
        return value;
    }
    // A name or an ordinal (0xFFFF followed by the number, given back as "#number").
    std::wstring NameOrOrdinal() {
        WORD first = Take<WORD>();
        if (first == 0xFFFF) return L"#" + std::to_wstring(Take<WORD>());
        std::wstring text;
        for (WORD c = first; c != 0; c = Take<WORD>()) text += static_cast<wchar_t>(c);
        return text;
    }
    void AlignToDword() { at_ = start_ + ((at_ - start_ + 3) & ~3); }
    void Skip(size_t bytes) { at_ += bytes; }

private:
    const BYTE* start_;
    const BYTE* at_;
};

struct Control {
    DWORD style;
    short x, y, cx, cy;
    DWORD id;
    std::wstring className, text;
};

TEST(SweeperResources, ProgressDialogHasItsLayout) {
    ModuleHandle module = LoadSweeper();
    ASSERT_TRUE(module);
    DWORD size = 0;
    auto* data = static_cast<const BYTE*>(Resource(module.get(), RT_DIALOG, MAKEINTRESOURCEW(129),
                                                   MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), &size));
    ASSERT_NE(data, nullptr);
    TemplateReader reader(data);
    ASSERT_EQ(reader.Take<WORD>(), 1);       // dlgVer
    ASSERT_EQ(reader.Take<WORD>(), 0xFFFF);  // extended template
    reader.Skip(8);                          // help id, extended style
    const DWORD style = reader.Take<DWORD>();
    const WORD count = reader.Take<WORD>();
    reader.Skip(4);  // x, y
    EXPECT_EQ(reader.Take<short>(), 379);
    EXPECT_EQ(reader.Take<short>(), 76);
    EXPECT_EQ(reader.NameOrOrdinal(), L"");  // no menu
    EXPECT_EQ(reader.NameOrOrdinal(), L"");  // the dialog class
    EXPECT_EQ(reader.NameOrOrdinal(), L"Uninstalling Application");
    EXPECT_EQ(style & (DS_CENTER | WS_CAPTION | WS_SYSMENU | DS_SETFONT),
              static_cast<DWORD>(DS_CENTER | WS_CAPTION | WS_SYSMENU | DS_SETFONT));
    EXPECT_EQ(reader.Take<WORD>(), 8);  // points
    reader.Skip(4);                     // weight, italic, character set
    EXPECT_EQ(reader.NameOrOrdinal(), L"MS Shell Dlg");

    std::vector<Control> controls;
    for (WORD i = 0; i < count; ++i) {
        reader.AlignToDword();
        reader.Skip(8);  // help id, extended style
        Control c{};
        c.style = reader.Take<DWORD>();
        c.x = reader.Take<short>();
        c.y = reader.Take<short>();
        c.cx = reader.Take<short>();
        c.cy = reader.Take<short>();
        c.id = reader.Take<DWORD>();
        c.className = reader.NameOrOrdinal();
        c.text = reader.NameOrOrdinal();
        reader.Skip(reader.Take<WORD>());
        controls.push_back(c);
    }
    ASSERT_EQ(controls.size(), 2u);
    const Control& bar = controls[0].id == 1002 ? controls[0] : controls[1];
    const Control& status = controls[0].id == 1001 ? controls[0] : controls[1];
    EXPECT_EQ(bar.id, 1002u);
    EXPECT_EQ(_wcsicmp(bar.className.c_str(), L"msctls_progress32"), 0);  // class names ignore case
    EXPECT_TRUE(bar.style & WS_BORDER);
    EXPECT_EQ((std::vector<short>{bar.x, bar.y, bar.cx, bar.cy}), (std::vector<short>{19, 27, 343, 10}));
    EXPECT_EQ(status.id, 1001u);
    EXPECT_EQ(status.className, L"#130");  // a static text
    EXPECT_EQ(status.text, L"Uninstalling...");
    EXPECT_EQ((std::vector<short>{status.x, status.y, status.cx, status.cy}),
              (std::vector<short>{19, 41, 340, 20}));
}

TEST(SweeperResources, IconsAndAManifestThatAsksForNoElevation) {
    ModuleHandle module = LoadSweeper();
    ASSERT_TRUE(module);
    EXPECT_NE(FindResourceW(module.get(), MAKEINTRESOURCEW(107), RT_GROUP_ICON), nullptr);
    EXPECT_NE(FindResourceW(module.get(), MAKEINTRESOURCEW(108), RT_GROUP_ICON), nullptr);
    HRSRC manifest = FindResourceW(module.get(), MAKEINTRESOURCEW(1), RT_MANIFEST);
    ASSERT_NE(manifest, nullptr);
    std::string text(static_cast<const char*>(LockResource(LoadResource(module.get(), manifest))),
                     SizeofResource(module.get(), manifest));
    EXPECT_NE(text.find("requestedExecutionLevel level=\"asInvoker\""), std::string::npos);
}

}  // namespace
