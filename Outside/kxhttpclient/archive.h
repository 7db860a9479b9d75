#pragma once
// Unpacking of downloaded archives: the one-file zip behind an app-file URL, and packages that a
// task asks to extract. The unpacking itself is kxcompression's; this is the little around it.
#include <string>

namespace kxhttp {

class Extractor {
public:
    virtual ~Extractor() = default;
    // Unpacks `archive` into `folder` (created when missing): 0, KXHTTP_E_NO_EXTRACTOR or
    // KXHTTP_E_UNWRAP.
    virtual int Extract(const std::wstring& archive, const std::wstring& folder) = 0;
};

// kxcompression.dll, loaded by name on first use and kept for the life of the process.
Extractor& KxCompressionExtractor();

// The payload starts like a zip archive.
bool LooksLikeZip(const std::wstring& path);
// `lastSegment` (of the URL) is the target's file name followed by ".zip", compared without case.
bool IsWrappedName(const std::wstring& lastSegment, const std::wstring& target);
// Unpacks the one-file zip `archive` beside `target` and moves its file over `target`: the entry
// named like the target, or the only file of the archive. 0 or a result code; nothing of the
// unpacking is left behind either way.
int UnwrapSingleFile(Extractor& extractor, const std::wstring& archive, const std::wstring& target);

// Deletes a folder with everything in it (best effort).
void RemoveTree(const std::wstring& folder);

}  // namespace kxhttp
