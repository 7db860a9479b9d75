#pragma once
// Entry names: from the archive's bytes to a path that stays inside the destination folder.
#include <string>

#include "zip_directory.h"

namespace Compression {

// The name as text: UTF-8 when the archive says so (flag or Unicode path field) or when the bytes
// are valid UTF-8, else the OEM code page that DOS-era tools wrote.
std::wstring DecodeName(const ZipEntry& entry);

// Turns a name into a path relative to the destination, "\" separated. Refuses, with an English
// reason, every name that could land elsewhere or name something other than a plain file: an
// absolute path, a drive letter or any ":", a ".." part, a device name, characters Windows does
// not allow. "." parts and empty parts are dropped. isFolder: the name ends with a separator.
bool MakeRelativePath(const std::wstring& name, std::wstring& relative, bool& isFolder, std::wstring& reason);

}  // namespace Compression
