#pragma once
// The picture behind the heading and the progress bar.
#include <windows.h>

#include <string>

namespace NimboNS::installpanel {

// "background.jpg", ".jpeg" or ".png" in the panel's folder for types "1", "2", "3" (through
// GDI+); otherwise, or when that file is missing, "background.bmp" from the current folder;
// failing that the bitmap resource. The caller owns the bitmap.
HBITMAP LoadBackground(const std::wstring& panelFolder, const std::wstring& resType, HMODULE module);
// A copy of `source` stretched to width x height; the caller owns it.
HBITMAP StretchedCopy(HBITMAP source, int width, int height);

}  // namespace NimboNS::installpanel
