#pragma once
// Archive extraction for the update run: the callback object kxcompression reports to, and the
// Unzip step of the update delegate.
#include <windows.h>

#include <functional>
#include <string>

#include "outside/kxcompression.h"

namespace NimboNS {

// Keeps the last item and the last error text the extractor reported; the texts are never
// cleared, one object serves every extraction of a run.
class CExtractDelegate : public Compression::IExtractDelegate {
public:
    int OnExtractBegin(const wchar_t* archive, int itemCount) override;
    int OnExtractProgress(long long done, long long total) override;
    int OnExtractItemStart(const wchar_t* item) override;
    int OnExtractItem(int n, const wchar_t* item) override;
    int OnExtractEnd(int result) override;
    int OnExtractError(const wchar_t* text) override;
    ~CExtractDelegate() override = default;
    void Release() override;

    int lastItemNumber = 0;
    std::wstring lastItem;
    std::wstring lastError;
};

using ExtractLogFn = std::function<void(int severity, const std::wstring& line)>;

// Unpacks `archive` into `folder` with kxcompression.dll, loaded into `library` on first use (the
// caller keeps the handle and frees it when the run ends). 0 on success; 1 when the library or its
// export is missing (nothing logged); otherwise the extractor's result, after logging message 47
// with the archive and the last error text at error severity. The caller serialises calls.
int UnzipArchive(HMODULE& library, CExtractDelegate& callback, const wchar_t* archive, const wchar_t* folder,
                 const ExtractLogFn& log);

}  // namespace NimboNS
