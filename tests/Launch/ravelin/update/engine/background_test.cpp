// The progress window's background picture: which file "LauncherSetup.ini" names, and that each
// kind loads (bmp through LoadImageW, the others through GDI+) into a bitmap of its own size.
#include <gtest/gtest.h>

#include <vector>

#include "engine/background.h"
#include "harness.h"
#include "nimbo/gdiplus.h"

namespace {

using NimboNS::LoadBackgroundImage;

constexpr COLORREF kPicture = RGB(200, 30, 60);

// A 24-bit bottom-up BMP of one colour.
std::string BmpBytes(int width, int height, COLORREF colour) {
    const int row = (width * 3 + 3) & ~3;
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER info{};
    info.biSize = sizeof(info);
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biSizeImage = static_cast<DWORD>(row * height);
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(info);
    file.bfSize = file.bfOffBits + info.biSizeImage;
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof(file));
    bytes.append(reinterpret_cast<const char*>(&info), sizeof(info));
    std::string pixels(static_cast<size_t>(row * height), '\0');
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            pixels[y * row + x * 3] = static_cast<char>(GetBValue(colour));
            pixels[y * row + x * 3 + 1] = static_cast<char>(GetGValue(colour));
            pixels[y * row + x * 3 + 2] = static_cast<char>(GetRValue(colour));
        }
    return bytes + pixels;
}

// Re-encodes a BMP file with the GDI+ encoder of `mime`.
bool Encode(const std::wstring& bmp, const std::wstring& target, const wchar_t* mime) {
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) return false;
    bool saved = false;
    {
        UINT count = 0, size = 0;
        Gdiplus::GetImageEncodersSize(&count, &size);
        std::vector<BYTE> buffer(size);
        auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
        Gdiplus::GetImageEncoders(count, size, codecs);
        Gdiplus::Bitmap image(bmp.c_str());
        for (UINT i = 0; i < count; ++i) {
            if (wcscmp(codecs[i].MimeType, mime) == 0)
                saved = image.Save(target.c_str(), &codecs[i].Clsid, nullptr) == Gdiplus::Ok;
        }
    }
    Gdiplus::GdiplusShutdown(token);
    return saved;
}

COLORREF PixelOf(HBITMAP bitmap, int x, int y) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    COLORREF colour = GetPixel(dc, x, y);
    SelectObject(dc, old);
    DeleteDC(dc);
    return colour;
}

bool Near(COLORREF a, COLORREF b) {
    return abs(GetRValue(a) - GetRValue(b)) < 12 && abs(GetGValue(a) - GetGValue(b)) < 12 &&
           abs(GetBValue(a) - GetBValue(b)) < 12;
}

void SetType(const nimbo_test::TempFolder& folder, const wchar_t* type) {
    WritePrivateProfileStringW(L"RES", L"UPDATEAPP_RESTYPE", type, (folder / L"LauncherSetup.ini").c_str());
}

TEST(Background, EachKindNamedBySettingsLoadsAtItsOwnSize) {
    struct Case {
        const wchar_t* type;  // null: no settings file at all
        const wchar_t* file;
        const wchar_t* mime;  // null: the BMP itself
    };
    const Case cases[] = {
        {nullptr, L"Update.bmp", nullptr},
        {L"0", L"Update.bmp", nullptr},
        {L"1", L"Update.jpg", L"image/jpeg"},
        {L"2", L"Update.jpeg", L"image/jpeg"},
        {L"3", L"Update.png", L"image/png"},
        {L"7", L"Update.bmp", nullptr},    // an unknown kind means bmp, read through GDI+
        {L"png", L"Update.bmp", nullptr},  // not a number: kind 0
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        nimbo_test::TempFolder folder;
        const std::wstring bmp = folder / L"source.bmp";
        ASSERT_TRUE(nimbo_test::WriteFileText(bmp, BmpBytes(64, 40, kPicture)));
        if (c.type != nullptr) SetType(folder, c.type);
        if (c.mime == nullptr) {
            CopyFileW(bmp.c_str(), (folder / c.file).c_str(), FALSE);
        } else {
            ASSERT_TRUE(Encode(bmp, folder / c.file, c.mime));
        }
        EXPECT_EQ(NimboNS::BackgroundImagePath(folder.path()), folder / c.file);
        HBITMAP bitmap = LoadBackgroundImage(folder.path());
        ASSERT_NE(bitmap, nullptr);
        BITMAP info{};
        GetObjectW(bitmap, sizeof(info), &info);
        EXPECT_EQ(info.bmWidth, 64);
        EXPECT_EQ(info.bmHeight, 40);
        EXPECT_TRUE(Near(PixelOf(bitmap, 10, 10), kPicture));
        DeleteObject(bitmap);
    }
}

TEST(Background, MissingOrBrokenPictureLoadsNothing) {
    const wchar_t* types[] = {L"0", L"1", L"3"};
    for (const wchar_t* type : types) {
        nimbo_test::TempFolder folder;
        SetType(folder, type);
        EXPECT_EQ(LoadBackgroundImage(folder.path()), nullptr) << type;
        nimbo_test::WriteFileText(NimboNS::BackgroundImagePath(folder.path()), "not a picture at all");
        EXPECT_EQ(LoadBackgroundImage(folder.path()), nullptr) << type;
    }
}

}  // namespace
