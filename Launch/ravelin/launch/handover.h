#pragma once
// The parameter file the launcher installer finds beside its command line.
#include <string>

namespace NimboNS {

// The temporary folder followed by "install_quillmark_nimbolauncher_param.ini".
std::wstring InstallerParameterFilePath();

// Replaces the file with one holding [Install] Param=<parameters>; false when it cannot be made.
bool WriteInstallerParameterFile(const std::wstring& path, const std::wstring& parameters);

}  // namespace NimboNS
