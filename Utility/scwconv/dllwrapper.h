#pragma once
// Loads one of the outside libraries by path and finds its entry functions, keeping a
// readable text of the last failure.
#include <windows.h>

#include <string>

namespace NimboNS {
namespace dll {

class DllInvoker {
public:
    DllInvoker() = default;
    virtual ~DllInvoker();
    DllInvoker(const DllInvoker&) = delete;
    DllInvoker& operator=(const DllInvoker&) = delete;

    bool Load(const wchar_t* path);
    bool IsLoaded() const { return module_ != nullptr; }
    FARPROC GetFunction(const char* name) const;
    void Unload();
    HMODULE Module() const { return module_; }

private:
    HMODULE module_ = nullptr;
};

}  // namespace dll

class CDllWrapper {
public:
    virtual ~CDllWrapper() = default;
    // Releases whatever the derived wrapper holds; called before every load.
    virtual void ReleaseAll() = 0;
    virtual bool Initialize() = 0;

    bool LoadDll(const wchar_t* path);
    FARPROC GetFunction(const wchar_t* name);
    const std::wstring& GetLastErrorText() const { return lastError_; }

    template <typename Fn>
    Fn GetFunctionAs(const wchar_t* name) {
        return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetFunction(name)));
    }

protected:
    dll::DllInvoker invoker_;
    std::wstring path_;
    std::wstring lastError_;
};

}  // namespace NimboNS
