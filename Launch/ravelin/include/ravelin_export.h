#pragma once
// How a host program binds ravelin.dll at run time: LoadLibraryW(kRavelinDll), then
// GetProcAddress(module, kCreateServiceExport) called as a CreateServiceFn. The exported name is
// undecorated on both architectures. (It shares its name with the Win32 service API, so it is
// never declared where <windows.h> is visible.)
#include "irun.h"

namespace NimboNS {

using CreateServiceFn = IRun* (*)();
inline constexpr char kCreateServiceExport[] = "CreateServiceW";

}  // namespace NimboNS
