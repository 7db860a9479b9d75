#pragma once
// kxhttpclient.dll loaded by name, as the launcher loads it.
#include "outside/kxhttpclient.h"

#include <windows.h>

#include <memory>

namespace kxtest {

struct Releaser {
    template <typename T>
    void operator()(T* object) const {
        if (object) object->Release();
    }
};
using SyncPtr = std::unique_ptr<NimboNS::ISyncDownload, Releaser>;
using AsyncPtr = std::unique_ptr<NimboNS::IAsyncDownload, Releaser>;
using TaskPtr = std::unique_ptr<NimboNS::IDownloadTask, Releaser>;

inline HMODULE Library() {
    static HMODULE module = LoadLibraryW(L"kxhttpclient.dll");
    return module;
}

inline SyncPtr NewSync() {
    auto create = reinterpret_cast<NimboNS::PFN_CreateSyncDownload>(
        reinterpret_cast<void*>(GetProcAddress(Library(), "CreateSyncDownload")));
    return SyncPtr(create ? create() : nullptr);
}

inline AsyncPtr NewAsync() {
    auto create = reinterpret_cast<NimboNS::PFN_CreateAsyncDownload>(
        reinterpret_cast<void*>(GetProcAddress(Library(), "CreateAsyncDownload")));
    return AsyncPtr(create ? create() : nullptr);
}

}  // namespace kxtest
