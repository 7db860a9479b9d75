#include "background.h"

#include "nimbo/gdiplus.h"
#include "nimbo/names.h"

namespace NimboNS {
namespace {

int ImageType(const std::wstring& folder) {
    const std::wstring settings = folder + L"\\" + names::kLauncherSetupIni;
    return static_cast<int>(GetPrivateProfileIntW(L"RES", L"UPDATEAPP_RESTYPE", 0, settings.c_str()));
}

const wchar_t* Extension(int type) {
    switch (type) {
        case 1:
            return L"jpg";
        case 2:
            return L"jpeg";
        case 3:
            return L"png";
        default:
            return L"bmp";
    }
}

HBITMAP LoadThroughGdiplus(const std::wstring& path) {
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) return nullptr;
    HBITMAP result = nullptr;
    Gdiplus::GpBitmap* bitmap = nullptr;
    if (Gdiplus::DllExports::GdipCreateBitmapFromFile(path.c_str(), &bitmap) == Gdiplus::Ok) {
        if (Gdiplus::DllExports::GdipCreateHBITMAPFromBitmap(bitmap, &result, 0) != Gdiplus::Ok)
            result = nullptr;
        Gdiplus::DllExports::GdipDisposeImage(bitmap);
    }
    Gdiplus::GdiplusShutdown(token);
    return result;
}

}  // namespace

std::wstring BackgroundImagePath(const std::wstring& folder) {
    return folder + L"\\Update." + Extension(ImageType(folder));
}

HBITMAP LoadBackgroundImage(const std::wstring& folder) {
    const int type = ImageType(folder);
    const std::wstring path = folder + L"\\Update." + Extension(type);
    if (type == 0) {
        return static_cast<HBITMAP>(
            LoadImageW(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_DEFAULTSIZE));
    }
    return LoadThroughGdiplus(path);
}

}  // namespace NimboNS
