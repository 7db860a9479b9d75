#include "panel/background.h"

#include "link/setuplog.h"
#include "nimbo/gdiplus.h"
#include "res/resource.h"

namespace NimboNS::installpanel {
namespace {

HBITMAP LoadWithGdiplus(const std::wstring& path) {
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) {
        WriteLogLine(L"Failed to startup Gdi+", kLogError);
        return nullptr;
    }
    HBITMAP bitmap = nullptr;
    {
        Gdiplus::Bitmap picture(path.c_str());
        if (picture.GetLastStatus() != Gdiplus::Ok ||
            picture.GetHBITMAP(Gdiplus::Color(255, 255, 255), &bitmap) != Gdiplus::Ok) {
            WriteLogLine(L"Failed to get HBITMAP from GDI+ Bitmap object.", kLogError);
            bitmap = nullptr;
        }
    }
    Gdiplus::GdiplusShutdown(token);
    return bitmap;
}

bool Exists(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

HBITMAP LoadBackground(const std::wstring& panelFolder, const std::wstring& resType, HMODULE module) {
    const wchar_t* extension = resType == L"1"   ? L"jpg"
                               : resType == L"2" ? L"jpeg"
                               : resType == L"3" ? L"png"
                                                 : nullptr;
    if (extension != nullptr) {
        const std::wstring path = panelFolder + L"\\background." + extension;
        if (Exists(path)) {
            if (HBITMAP bitmap = LoadWithGdiplus(path)) return bitmap;
        }
    }
    if (auto* bitmap = static_cast<HBITMAP>(LoadImageW(nullptr, L"background.bmp", IMAGE_BITMAP, 0, 0,
                                                       LR_LOADFROMFILE | LR_CREATEDIBSECTION)))
        return bitmap;
    return static_cast<HBITMAP>(
        LoadImageW(module, MAKEINTRESOURCEW(IDB_BACKGROUND), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
}

HBITMAP StretchedCopy(HBITMAP source, int width, int height) {
    if (source == nullptr || width <= 0 || height <= 0) return nullptr;
    BITMAP info{};
    GetObjectW(source, sizeof(info), &info);
    HDC screen = GetDC(nullptr);
    HBITMAP copy = CreateCompatibleBitmap(screen, width, height);
    HDC from = CreateCompatibleDC(screen), to = CreateCompatibleDC(screen);
    HGDIOBJ oldFrom = SelectObject(from, source), oldTo = SelectObject(to, copy);
    SetStretchBltMode(to, HALFTONE);
    SetBrushOrgEx(to, 0, 0, nullptr);
    StretchBlt(to, 0, 0, width, height, from, 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
    SelectObject(from, oldFrom);
    SelectObject(to, oldTo);
    DeleteDC(from);
    DeleteDC(to);
    ReleaseDC(nullptr, screen);
    return copy;
}

}  // namespace NimboNS::installpanel
