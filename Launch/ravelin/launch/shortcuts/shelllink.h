#pragma once
// Shell links (.lnk files) through COM. Every operation initializes COM for the calling thread
// as a single-threaded apartment and lets go of everything it created before it returns.
#include <string>

namespace NimboNS {

// Saves folder\name.lnk pointing to `target` (no arguments, shown normally). False without a
// folder or when the link cannot be saved.
bool CreateShellLink(const std::wstring& target, const std::wstring& folder, const std::wstring& name);

// Sets the icon of an existing link to the first icon of `icon`.
bool SetLinkIcon(const std::wstring& link, const std::wstring& icon);

// The target of an existing link as a long path; empty when there is none.
std::wstring GetLinkTarget(const std::wstring& link);

// The icon location of an existing link; empty when it has none (for checking what was set).
std::wstring GetLinkIcon(const std::wstring& link);

}  // namespace NimboNS
