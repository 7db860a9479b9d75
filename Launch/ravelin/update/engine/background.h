#pragma once
// The progress window's background picture, named by "LauncherSetup.ini" [RES] beside the host
// program: "Update.bmp" (type 0 and unknown types), "Update.jpg" (1), "Update.jpeg" (2) or
// "Update.png" (3).
#include <windows.h>

#include <string>

namespace NimboNS {

// The picture file the settings name, in `folder`.
std::wstring BackgroundImagePath(const std::wstring& folder);
// Loads the picture of `folder` as a bitmap the caller deletes; null when there is none.
HBITMAP LoadBackgroundImage(const std::wstring& folder);

}  // namespace NimboNS
