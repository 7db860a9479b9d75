#include "dllwrapper.h"

#include "scwconv.h"

namespace NimboNS {
namespace dll {

DllInvoker::~DllInvoker() { Unload(); }

bool DllInvoker::Load(const wchar_t* path) {
    Unload();
    if (path == nullptr) return false;
    module_ = LoadLibraryW(path);
    return module_ != nullptr;
}

FARPROC DllInvoker::GetFunction(const char* name) const {
    if (module_ == nullptr || name == nullptr) return nullptr;
    return GetProcAddress(module_, name);
}

void DllInvoker::Unload() {
    if (module_ != nullptr) {
        FreeLibrary(module_);
        module_ = nullptr;
    }
}

}  // namespace dll

bool CDllWrapper::LoadDll(const wchar_t* path) {
    ReleaseAll();
    lastError_.clear();
    path_ = path ? path : L"";
    if (invoker_.Load(path_.c_str())) return true;
    lastError_ = FormatWide(L"Failed to load the library \"%s\".", path_.c_str());
    return false;
}

FARPROC CDllWrapper::GetFunction(const wchar_t* name) {
    std::string narrow = WideToUtf8(name ? name : L"");
    FARPROC fn = invoker_.GetFunction(narrow.c_str());
    if (fn == nullptr) {
        lastError_ = FormatWide(L"Cannot find the entry function \"%s\" in the library \"%s\".", name ? name : L"",
                                path_.c_str());
    }
    return fn;
}

}  // namespace NimboNS
