#pragma once
// Finding the .NET Framework's assembly registration tool.
#include <string>

namespace NimboNS {

// regasm.exe of the newest framework below the .NET install root (HKEY_LOCAL_MACHINE
// "SOFTWARE\Microsoft\.NETFramework", value "InstallRoot"; the 64-bit registry view for a
// 64-bit app); empty when there is none. Of several framework folders holding one, the folder
// with the greatest name (by wide-character code) wins.
std::wstring FindRegasm(bool is64Bit);

}  // namespace NimboNS
