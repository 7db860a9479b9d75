#pragma once
// The installer's messages to installpanel (WM_APP + n).
#include <windows.h>

namespace NimboNS::installpanel {

inline constexpr UINT UM_PROGRESS_FILE_CHANGED = 0x8001;
inline constexpr UINT UM_SETUP_DONE = 0x8002;
inline constexpr UINT WM_ABORT = 0x8004;
inline constexpr UINT UM_NEED_ADMIN = 0x8005;
inline constexpr UINT WM_CLOSE_PRG_UI = 0x8006;
inline constexpr UINT UM_CLEAR_SHARED = 0x8007;
inline constexpr UINT UM_FILE_IN_USE = 0x8008;
inline constexpr UINT WM_DIR_NOT_ACCESS = 0x8009;
inline constexpr UINT WM_CURRENT_NBL_TYPE = 0x800A;
inline constexpr UINT WM_DIR_CANNOT_SAME = 0x800B;
inline constexpr UINT WM_NBL_CANNOT_RUN = 0x800C;
inline constexpr UINT UM_ARM_QUESTION = 0x800D;
inline constexpr UINT UM_PORT_IN_USE = 0x8064;

}  // namespace NimboNS::installpanel
