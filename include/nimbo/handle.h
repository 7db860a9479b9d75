#pragma once
// One move-only owner for every kind of Win32 handle. A traits type names the handle type,
// its empty value and its close function.
#include <windows.h>

#include <utility>

namespace NimboNS {

template <typename Traits>
class UniqueHandle {
public:
    using T = typename Traits::type;

    UniqueHandle() = default;
    explicit UniqueHandle(T value) : value_(value) {}
    ~UniqueHandle() { reset(); }

    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : value_(std::exchange(other.value_, Traits::empty())) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) reset(std::exchange(other.value_, Traits::empty()));
        return *this;
    }

    T get() const { return value_; }
    explicit operator bool() const { return value_ != Traits::empty(); }
    T release() { return std::exchange(value_, Traits::empty()); }
    void reset(T value = Traits::empty()) {
        T old = std::exchange(value_, value);
        if (old != Traits::empty()) Traits::close(old);
    }
    // For APIs that hand the handle back through an out parameter.
    T* put() {
        reset();
        return &value_;
    }

private:
    T value_ = Traits::empty();
};

namespace handle_traits {
template <typename H, auto Close>
struct NullEmpty {
    using type = H;
    static H empty() { return nullptr; }
    static void close(H h) { Close(h); }
};
template <auto Close>
struct InvalidEmpty {
    using type = HANDLE;
    static HANDLE empty() { return INVALID_HANDLE_VALUE; }
    static void close(HANDLE h) { Close(h); }
};
inline void CloseKernel(HANDLE h) { ::CloseHandle(h); }
inline void CloseFind(HANDLE h) { ::FindClose(h); }
inline void CloseKey(HKEY k) { ::RegCloseKey(k); }
inline void CloseView(void* p) { ::UnmapViewOfFile(p); }
inline void CloseWindow(HWND w) { ::DestroyWindow(w); }
inline void CloseModule(HMODULE m) { ::FreeLibrary(m); }
inline void CloseService(SC_HANDLE h) { ::CloseServiceHandle(h); }
inline void CloseGdi(HGDIOBJ h) { ::DeleteObject(h); }
}  // namespace handle_traits

// Kernel objects whose empty value is null: events, mutexes, processes, threads, mappings.
using Handle = UniqueHandle<handle_traits::NullEmpty<HANDLE, handle_traits::CloseKernel>>;
// Kernel objects whose empty value is INVALID_HANDLE_VALUE: files and pipes.
using FileHandle = UniqueHandle<handle_traits::InvalidEmpty<handle_traits::CloseKernel>>;
using FindHandle = UniqueHandle<handle_traits::InvalidEmpty<handle_traits::CloseFind>>;
using KeyHandle = UniqueHandle<handle_traits::NullEmpty<HKEY, handle_traits::CloseKey>>;
using MappedView = UniqueHandle<handle_traits::NullEmpty<void*, handle_traits::CloseView>>;
using WindowHandle = UniqueHandle<handle_traits::NullEmpty<HWND, handle_traits::CloseWindow>>;
using ModuleHandle = UniqueHandle<handle_traits::NullEmpty<HMODULE, handle_traits::CloseModule>>;
using ServiceHandle = UniqueHandle<handle_traits::NullEmpty<SC_HANDLE, handle_traits::CloseService>>;
using GdiObject = UniqueHandle<handle_traits::NullEmpty<HGDIOBJ, handle_traits::CloseGdi>>;

}  // namespace NimboNS
