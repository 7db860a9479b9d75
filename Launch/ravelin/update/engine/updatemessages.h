#pragma once
// Messages that carry the progress of an update run to its progress window. The worker thread
// and the download library's threads only post them; the window frees each payload after use.
#include <windows.h>

#include <string>

namespace NimboNS {

inline constexpr UINT WM_UPDATE_STAGE = WM_USER + 100;
inline constexpr UINT WM_UPDATE_ITEM = WM_USER + 101;
inline constexpr UINT WM_UPDATE_PROGRESS = WM_USER + 102;
inline constexpr UINT WM_UPDATE_SHOWLOG = WM_USER + 104;

// lParam of WM_UPDATE_STAGE.
struct StagePayload {
    std::wstring text;
    std::wstring caption;
    int stageCount = 0;
    int stage = 0;
};

// lParam of WM_UPDATE_ITEM.
struct ItemPayload {
    std::wstring text;
    std::wstring caption;
    int percent = 0;
};

// lParam of WM_UPDATE_PROGRESS.
struct ProgressPayload {
    int a = 0;
    int b = 0;
    int c = 0;
    int total = 0;
    int done = 0;
};

// Frees the payload that `message` carries in `lParam` (nothing for other messages).
void FreeUpdatePayload(UINT message, LPARAM lParam);

}  // namespace NimboNS
