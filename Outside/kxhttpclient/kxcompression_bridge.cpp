// The Extractor backed by kxcompression.dll (loaded by name once, kept for the process's life).
#include "archive.h"

#include "outside/kxcompression.h"
#include "outside/kxhttpclient.h"

#include <windows.h>

#include <mutex>

namespace kxhttp {

using namespace NimboNS;

namespace {

// Extraction reports are not needed here; only a failure's text is kept for debugging.
class QuietDelegate : public Compression::IExtractDelegate {
public:
    int OnExtractBegin(const wchar_t*, int) override { return 0; }
    int OnExtractProgress(long long, long long) override { return 0; }
    int OnExtractItemStart(const wchar_t*) override { return 0; }
    int OnExtractItem(int, const wchar_t*) override { return 0; }
    int OnExtractEnd(int) override { return 0; }
    int OnExtractError(const wchar_t* text) override {
        if (text) OutputDebugStringW((std::wstring(L"kxhttpclient: ") + text).c_str());
        return 0;
    }
    void Release() override {}
};

class KxCompression : public Extractor {
public:
    int Extract(const std::wstring& archive, const std::wstring& folder) override {
        Compression::CreateExtractorFn create = Factory();
        if (create == nullptr) return KXHTTP_E_NO_EXTRACTOR;
        Compression::IExtractor* extractor = create();
        if (extractor == nullptr) return KXHTTP_E_NO_EXTRACTOR;
        QuietDelegate delegate;
        extractor->SetCallback(&delegate);
        int result = extractor->Extract(archive.c_str(), folder.c_str());
        extractor->Release();
        return result == Compression::kSuccess ? 0 : KXHTTP_E_UNWRAP;
    }

private:
    Compression::CreateExtractorFn Factory() {
        std::call_once(loaded_, [this] {
            HMODULE module = LoadLibraryW(L"kxcompression.dll");
            if (module)
                factory_ = reinterpret_cast<Compression::CreateExtractorFn>(
                    reinterpret_cast<void*>(GetProcAddress(module, Compression::kCreateExtractor)));
        });
        return factory_;
    }

    std::once_flag loaded_;
    Compression::CreateExtractorFn factory_ = nullptr;
};

}  // namespace

Extractor& KxCompressionExtractor() {
    static KxCompression extractor;
    return extractor;
}

}  // namespace kxhttp
