#include "shelllink.h"

#include <windows.h>
#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>
#include <shobjidl.h>

#include "scwconv.h"

namespace NimboNS {
namespace {

template <typename T>
void Let(T*& object) {
    if (object != nullptr) object->Release();
    object = nullptr;
}

// One shell link object with its file interface, on a thread with COM initialized.
class ShellLink {
public:
    ShellLink() {
        const HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        initialized_ = SUCCEEDED(init);
        if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                    reinterpret_cast<void**>(&link_))))
            link_ = nullptr;
        if (link_ != nullptr &&
            FAILED(link_->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file_))))
            file_ = nullptr;
    }
    ~ShellLink() {
        Let(file_);
        Let(link_);
        if (initialized_) CoUninitialize();
    }
    ShellLink(const ShellLink&) = delete;
    ShellLink& operator=(const ShellLink&) = delete;

    bool usable() const { return file_ != nullptr; }
    IShellLinkW* link() const { return link_; }
    IPersistFile* file() const { return file_; }

private:
    bool initialized_ = false;
    IShellLinkW* link_ = nullptr;
    IPersistFile* file_ = nullptr;
};

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

bool CreateShellLink(const std::wstring& target, const std::wstring& folder, const std::wstring& name) {
    if (folder.empty()) return false;
    ShellLink shell;
    if (!shell.usable()) return false;
    const std::wstring path = FormatWide(L"%s\\%s.lnk", folder.c_str(), name.c_str());
    return SUCCEEDED(shell.link()->SetPath(target.c_str())) &&
           SUCCEEDED(shell.link()->SetShowCmd(SW_SHOWNORMAL)) &&
           SUCCEEDED(shell.file()->Save(path.c_str(), TRUE));
}

bool SetLinkIcon(const std::wstring& link, const std::wstring& icon) {
    if (link.empty() || icon.empty()) return false;
    ShellLink shell;
    return shell.usable() && SUCCEEDED(shell.file()->Load(link.c_str(), STGM_READWRITE)) &&
           SUCCEEDED(shell.link()->SetIconLocation(icon.c_str(), 0)) &&
           SUCCEEDED(shell.file()->Save(link.c_str(), TRUE));
}

std::wstring GetLinkTarget(const std::wstring& link) {
    if (link.empty() || !Exists(link)) return {};
    ShellLink shell;
    wchar_t target[MAX_PATH] = {};
    if (!shell.usable() || FAILED(shell.file()->Load(link.c_str(), STGM_READ)) ||
        shell.link()->GetPath(target, MAX_PATH, nullptr, SLGP_SHORTPATH) != S_OK)
        return {};
    wchar_t longPath[MAX_PATH] = {};
    const DWORD length = GetLongPathNameW(target, longPath, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::wstring(longPath, length) : std::wstring();
}

std::wstring GetLinkIcon(const std::wstring& link) {
    if (link.empty() || !Exists(link)) return {};
    ShellLink shell;
    wchar_t icon[MAX_PATH] = {};
    int index = 0;
    if (!shell.usable() || FAILED(shell.file()->Load(link.c_str(), STGM_READ)) ||
        FAILED(shell.link()->GetIconLocation(icon, MAX_PATH, &index)))
        return {};
    return icon;
}

}  // namespace NimboNS
