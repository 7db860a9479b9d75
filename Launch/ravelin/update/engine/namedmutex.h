#pragma once
// Holds a system-wide named mutex for a scope. A mutex that cannot be created is skipped: the
// guarded step then runs without it.
#include <windows.h>

#include <string>

#include "nimbo/handle.h"

namespace NimboNS {

class NamedMutexLock {
public:
    explicit NamedMutexLock(const std::wstring& name) : mutex_(CreateMutexW(nullptr, FALSE, name.c_str())) {
        if (!mutex_) return;
        const DWORD result = WaitForSingleObject(mutex_.get(), INFINITE);
        owned_ = result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
    }
    ~NamedMutexLock() { Unlock(); }
    NamedMutexLock(const NamedMutexLock&) = delete;
    NamedMutexLock& operator=(const NamedMutexLock&) = delete;

    void Unlock() {
        if (owned_) ReleaseMutex(mutex_.get());
        owned_ = false;
        mutex_.reset();
    }
    bool Owned() const { return owned_; }

private:
    Handle mutex_;
    bool owned_ = false;
};

}  // namespace NimboNS
