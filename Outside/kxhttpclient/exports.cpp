// The two factories kxhttpclient.dll exports by name.
#include "archive.h"
#include "asyncdownload.h"
#include "syncdownload.h"

extern "C" {

__declspec(dllexport) NimboNS::ISyncDownload* CreateSyncDownload() {
    try {
        return new kxhttp::CSyncDownload(kxhttp::KxCompressionExtractor());
    } catch (...) {
        return nullptr;
    }
}

__declspec(dllexport) NimboNS::IAsyncDownload* CreateAsyncDownload() {
    try {
        return new kxhttp::CAsyncDownload(kxhttp::KxCompressionExtractor());
    } catch (...) {
        return nullptr;
    }
}

}  // extern "C"
