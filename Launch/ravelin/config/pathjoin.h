#pragma once
// Joining a folder and a name the way the update code does it everywhere.
#include <string>

namespace NimboNS {

// Empty folder: empty. Name "." (any case): the folder. Short texts: PathCombineW. Long texts
// (260 characters together or more): the name appended after one "\".
std::wstring JoinPath(const std::wstring& folder, const std::wstring& name);

// PathCombineW when both are given, else whichever part is not empty.
std::wstring JoinPathSimple(const std::wstring& folder, const std::wstring& name);

}  // namespace NimboNS
