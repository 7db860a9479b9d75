#include "replace/extract.h"

#include <cstdio>

#include "catalog/catalog.h"
#include "nimbo/names.h"
#include "plog/Record.h"

namespace NimboNS {

int CExtractDelegate::OnExtractBegin(const wchar_t*, int) {
    return 0;
}

int CExtractDelegate::OnExtractProgress(long long, long long) {
    return 0;
}

int CExtractDelegate::OnExtractItemStart(const wchar_t*) {
    return 0;
}

int CExtractDelegate::OnExtractItem(int n, const wchar_t* item) {
    lastItemNumber = n;
    lastItem = item != nullptr ? item : L"";
    return 0;
}

int CExtractDelegate::OnExtractEnd(int) {
    return 0;
}

int CExtractDelegate::OnExtractError(const wchar_t* text) {
    lastError = text != nullptr ? text : L"";
    return 0;
}

void CExtractDelegate::Release() {
    delete this;
}

int UnzipArchive(HMODULE& library, CExtractDelegate& callback, const wchar_t* archive, const wchar_t* folder,
                 const ExtractLogFn& log) {
    if (library == nullptr) library = LoadLibraryW(names::kCompressionDll);
    if (library == nullptr) return 1;
    auto create = reinterpret_cast<Compression::CreateExtractorFn>(
        reinterpret_cast<void*>(GetProcAddress(library, Compression::kCreateExtractor)));
    if (create == nullptr) return 1;
    Compression::IExtractor* extractor = create();
    if (extractor == nullptr) return 1;
    extractor->SetCallback(&callback);
    const int result = extractor->Extract(archive, folder);
    extractor->SetCallback(nullptr);
    // The library lets callers end an extractor; a launcher that serves many launches would
    // otherwise keep one per archive.
    extractor->Release();
    if (result == Compression::kSuccess) return 0;

    wchar_t line[260] = {};
    _snwprintf(line, 259, GetLocalizedMessage(msg::kUnzipFailed), archive != nullptr ? archive : L"",
               callback.lastError.c_str());
    line[259] = L'\0';
    if (log) log(plog::error, line);
    // A library that breaks its contract with 0 must still read as a failure.
    return result != 0 ? result : -1;
}

}  // namespace NimboNS
