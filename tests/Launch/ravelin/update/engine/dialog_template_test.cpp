// The progress window's template as ravelin.dll carries it, read back from the DLL's resources.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/engine_resources.h"
#include "harness.h"

namespace {

struct Control {
    DWORD id = 0;
    std::wstring className;
    std::wstring text;
    DWORD style = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
};

struct Template {
    DWORD style = 0, exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    std::wstring caption;
    WORD pointSize = 0;
    std::wstring face;
    std::vector<Control> controls;
};

// Reads a DLGTEMPLATEEX and its DLGITEMTEMPLATEEX entries.
class Reader {
public:
    Reader(const BYTE* bytes, size_t size) : p_(bytes), end_(bytes + size) {}
    template <typename T>
    T Take() {
        T value{};
        if (p_ + sizeof(T) <= end_) memcpy(&value, p_, sizeof(T));
        p_ += sizeof(T);
        return value;
    }
    std::wstring SzOrOrd() {
        WORD first = Take<WORD>();
        if (first == 0xFFFF) return L"#" + std::to_wstring(Take<WORD>());
        std::wstring text;
        for (WORD c = first; c != 0 && p_ < end_; c = Take<WORD>()) text += static_cast<wchar_t>(c);
        return text;
    }
    void AlignDword(const BYTE* base) {
        while ((p_ - base) % 4 != 0) ++p_;
    }
    void Skip(size_t n) { p_ += n; }

private:
    const BYTE* p_;
    const BYTE* end_;
};

Template ReadTemplate(HMODULE module) {
    Template t;
    HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(IDD_UPDATE), RT_DIALOG);
    if (resource == nullptr) return t;
    const auto* base = static_cast<const BYTE*>(LockResource(LoadResource(module, resource)));
    Reader r(base, SizeofResource(module, resource));
    const WORD version = r.Take<WORD>(), signature = r.Take<WORD>();
    if (version != 1 || signature != 0xFFFF) return t;
    r.Take<DWORD>();  // help id
    t.exStyle = r.Take<DWORD>();
    t.style = r.Take<DWORD>();
    const WORD count = r.Take<WORD>();
    t.x = r.Take<short>(), t.y = r.Take<short>(), t.cx = r.Take<short>(), t.cy = r.Take<short>();
    r.SzOrOrd();  // menu
    r.SzOrOrd();  // class
    t.caption = r.SzOrOrd();
    if (t.style & DS_SETFONT) {
        t.pointSize = r.Take<WORD>();
        r.Take<WORD>();
        r.Take<BYTE>();
        r.Take<BYTE>();
        t.face = r.SzOrOrd();
    }
    for (WORD i = 0; i < count; ++i) {
        r.AlignDword(base);
        Control c;
        r.Take<DWORD>();  // help id
        r.Take<DWORD>();  // extended style
        c.style = r.Take<DWORD>();
        c.x = r.Take<short>(), c.y = r.Take<short>(), c.cx = r.Take<short>(), c.cy = r.Take<short>();
        c.id = r.Take<DWORD>();
        c.className = r.SzOrOrd();
        c.text = r.SzOrOrd();
        r.Skip(r.Take<WORD>());
        t.controls.push_back(c);
    }
    return t;
}

const Control* Find(const Template& t, DWORD id) {
    for (const Control& c : t.controls)
        if (c.id == id) return &c;
    return nullptr;
}

TEST(DialogTemplate, RavelinCarriesTheProgressWindowAsSpecifiedLayout) {
    HMODULE ravelin = LoadLibraryExW((nimbo_test::BinFolder() + L"\\ravelin.dll").c_str(), nullptr,
                                     LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(ravelin, nullptr);
    const Template t = ReadTemplate(ravelin);
    FreeLibrary(ravelin);

    EXPECT_EQ(t.style, static_cast<DWORD>(WS_POPUP | WS_MINIMIZE | WS_CAPTION | WS_SYSMENU | DS_CENTER |
                                          DS_MODALFRAME | DS_SETFONT | DS_FIXEDSYS));
    EXPECT_EQ(t.exStyle, 0u);
    EXPECT_EQ(t.cx, 400);
    EXPECT_EQ(t.cy, 214);
    EXPECT_EQ(t.caption, L"Update");
    EXPECT_EQ(t.pointSize, 8);
    EXPECT_EQ(t.face, L"MS Shell Dlg");

    struct Expected {
        DWORD id;
        const wchar_t* className;  // "#130" is the predefined static class, "#128" the button
        short x, y, cx, cy;
    };
    const Expected expected[] = {
        {IDC_UPDATE_PROGRESS, L"msctls_progress32", 20, 172, 359, 8},
        {IDC_UPDATE_CAPTION, L"#130", 20, 188, 65, 15},
        {IDC_UPDATE_COUNT, L"#130", 87, 188, 57, 8},
    };
    for (const Expected& e : expected) {
        const Control* c = Find(t, e.id);
        ASSERT_NE(c, nullptr) << e.id;
        EXPECT_EQ(_wcsicmp(c->className.c_str(), e.className), 0) << e.id;  // class names ignore case
        EXPECT_EQ(c->x, e.x) << e.id;
        EXPECT_EQ(c->y, e.y) << e.id;
        EXPECT_EQ(c->cx, e.cx) << e.id;
        EXPECT_EQ(c->cy, e.cy) << e.id;
        EXPECT_TRUE(c->style & WS_VISIBLE) << e.id;
    }
    const Control* retry = Find(t, IDC_UPDATE_RETRY);
    ASSERT_NE(retry, nullptr);
    EXPECT_EQ(retry->className, L"#128");
    EXPECT_EQ(retry->text, L"Retry");
    // Nothing else: the stage text and the item bar and caption are not part of the template.
    EXPECT_EQ(t.controls.size(), 4u);
}

}  // namespace
