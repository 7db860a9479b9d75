#include "launch_fixture.h"

#include <shlobj.h>
#include <shobjidl.h>
#include <tlhelp32.h>

#include <algorithm>

#include "nimbo/names.h"
#include "scwconv.h"

namespace launch_e2e {
namespace {

// What the launcher has beside it once installed.
constexpr const wchar_t* kInstalledFiles[] = {
    L"elevlink.dll", L"elevhost.exe", L"sweeper.exe",       L"loading_ica.gif",
    L"kxjson.dll",   L"kxcrypt.dll",  L"kxcompression.dll", L"kxhttpclient.dll",
};

void RemoveTree(const std::wstring& folder) {
    if (!nimbo_test::FolderExists(folder)) return;
    std::wstring from = folder;
    from.push_back(L'\0');  // the list ends with a second terminator
    SHFILEOPSTRUCTW operation{};
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    operation.fFlags = FOF_NO_UI;
    SHFileOperationW(&operation);
}

// The user names CTest gives this program (CMakeLists.txt).
constexpr wchar_t kTestUserPrefix[] = L"nimbo-launch-e2e";

// "NimboHome" of the current user, as the launcher reads it; empty when there is none.
std::wstring RegistryHome() {
    wchar_t value[2600] = {};
    DWORD bytes = sizeof(value) - sizeof(wchar_t);
    if (RegGetValueW(HKEY_CURRENT_USER, NimboNS::names::kRegistryKey, NimboNS::names::kRegistryHomeValue,
                     RRF_RT_REG_SZ, nullptr, value, &bytes) != ERROR_SUCCESS)
        return {};
    return value;
}

bool StartsWithFolder(const std::wstring& path, const std::wstring& folder) {
    return path.size() > folder.size() && path[folder.size()] == L'\\' &&
           _wcsnicmp(path.c_str(), folder.c_str(), folder.size()) == 0;
}

// Processes whose program lies below `folder`.
std::vector<DWORD> ProgramsBelow(const std::wstring& folder) {
    std::vector<DWORD> found;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return found;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID);
        if (process == nullptr) continue;
        wchar_t path[MAX_PATH] = {};
        DWORD size = MAX_PATH;
        if (QueryFullProcessImageNameW(process, 0, path, &size) && StartsWithFolder(path, folder))
            found.push_back(entry.th32ProcessID);
        CloseHandle(process);
    }
    CloseHandle(snapshot);
    return found;
}

}  // namespace

TestUser::TestUser() {
    wchar_t name[256] = {};
    DWORD size = 256;
    GetUserNameW(name, &size);
    name_ = name;
    // The profile as the shell derives it from the user name. The environment's USERPROFILE may
    // name another user's: Wine fills it from the session, which another user may have begun.
    wchar_t profile[MAX_PATH] = {};
    if (SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_PROFILE, nullptr, SHGFP_TYPE_CURRENT, profile)))
        profile_ = profile;
    const std::wstring own = L"\\" + name_;
    own_ = name_.rfind(kTestUserPrefix, 0) == 0 && profile_.size() > own.size() &&
           _wcsicmp(profile_.c_str() + profile_.size() - own.size(), own.c_str()) == 0;
    if (!own_) return;
    Empty();
    for (const std::wstring& folder : {desktop(), programs(), localAppData()})
        SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
}

TestUser::~TestUser() {
    if (own_) Empty();
}

void TestUser::Empty() const {
    for (const std::wstring& path :
         {desktop(), programs(), localAppData() + L"\\NimboLauncher", localAppData() + L"\\Temp"})
        RemoveTree(path);
    DeleteFileW((localAppData() + L"\\preload.txt").c_str());
}

Environment TestUser::environment() const {
    return {{L"USERNAME", name_},
            {L"USERPROFILE", profile_},
            {L"APPDATA", profile_ + L"\\AppData\\Roaming"},
            {L"LOCALAPPDATA", localAppData()}};
}

std::wstring TestUser::programs() const {
    return profile_ + L"\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs";
}

bool ReadUtf16Ini(const std::wstring& path, IniSections& sections) {
    const std::string bytes = nimbo_test::ReadFileText(path);
    if (bytes.size() < 2 || bytes.size() % 2 != 0 || static_cast<unsigned char>(bytes[0]) != 0xFF ||
        static_cast<unsigned char>(bytes[1]) != 0xFE)
        return false;
    const std::wstring text(reinterpret_cast<const wchar_t*>(bytes.data() + 2), (bytes.size() - 2) / 2);
    std::wstring section;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos) end = text.size();
        std::wstring line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == L'\r') line.pop_back();
        if (line.size() > 1 && line.front() == L'[' && line.back() == L']') {
            section = line.substr(1, line.size() - 2);
            sections[section];
        } else if (size_t equals = line.find(L'='); equals != std::wstring::npos) {
            sections[section][line.substr(0, equals)] = line.substr(equals + 1);
        }
    }
    return true;
}

std::wstring ReadUtf16Text(const std::wstring& path) {
    const std::string bytes = nimbo_test::ReadFileText(path);
    return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / 2);
}

std::map<std::string, std::string> ReadReport(const std::wstring& path) {
    std::map<std::string, std::string> values;
    const std::string text = nimbo_test::ReadFileText(path);
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (size_t equals = line.find('='); equals != std::string::npos)
            values[line.substr(0, equals)] = line.substr(equals + 1);
    }
    return values;
}

bool ReadLink(const std::wstring& path, Link& link) {
    const HRESULT initialized = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IShellLinkW* shellLink = nullptr;
    IPersistFile* file = nullptr;
    bool read = false;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void**>(&shellLink))) &&
        SUCCEEDED(shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
        SUCCEEDED(file->Load(path.c_str(), STGM_READ))) {
        wchar_t target[MAX_PATH] = {}, icon[MAX_PATH] = {};
        int index = 0;
        read = SUCCEEDED(shellLink->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH)) &&
               SUCCEEDED(shellLink->GetIconLocation(icon, MAX_PATH, &index));
        link.target = target;
        link.icon = icon;
    }
    if (file != nullptr) file->Release();
    if (shellLink != nullptr) shellLink->Release();
    if (SUCCEEDED(initialized)) CoUninitialize();
    return read;
}

std::vector<std::wstring> FilesIn(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        if (wcscmp(data.cFileName, L".") != 0 && wcscmp(data.cFileName, L"..") != 0)
            names.push_back(data.cFileName);
    } while (FindNextFileW(find, &data));
    FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

bool WaitForProgramsToEnd(const std::wstring& folder, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (!ProgramsBelow(folder).empty()) {
        if (GetTickCount64() > deadline) {
            for (DWORD id : ProgramsBelow(folder)) {
                HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id);
                if (process == nullptr) continue;
                TerminateProcess(process, 1);
                WaitForSingleObject(process, 5000);
                CloseHandle(process);
            }
            return false;
        }
        Sleep(100);
    }
    return true;
}

// The app's report once it has taken the ready event (or closed without it).
std::map<std::string, std::string> ReportOnceReady(const std::wstring& appFolder) {
    const std::wstring path = appFolder + L"\\NimboSample.report.txt";
    std::map<std::string, std::string> report;
    for (int i = 0; i < 200; ++i) {
        report = ReadReport(path);
        if (report["signalled"] == "1" || report["closed"] == "1") break;
        Sleep(50);
    }
    return report;
}

// The UpdateGuid of the app configuration document the launch left in the app folder.
std::string InstalledUpdateGuid(const std::wstring& appFolder) {
    auto run = nimbo_test::RunProgram(nimbo_test::Quote(nimbo_test::BinFolder() + L"\\nimbo-publish.exe") +
                                      L" show-config " + nimbo_test::Quote(appFolder + L"\\appconfig.json"));
    const std::string key = "\"UpdateGuid\"";
    size_t at = run.output.find(key);
    if (at == std::string::npos) return {};
    const size_t open = run.output.find('"', run.output.find(':', at) + 1);
    const size_t close = run.output.find('"', open + 1);
    return open == std::string::npos || close == std::string::npos
               ? std::string()
               : run.output.substr(open + 1, close - open - 1);
}

std::vector<e2e::AppFile> SampleFiles(const std::string& version) {
    return {{L"NimboSample.exe", nimbo_test::ReadFileText(nimbo_test::BinFolder() + L"\\NimboSample.exe")},
            {L"version.txt", version + "\r\n"},
            {L"sample.ico", std::string("\0\0\1\0\0\0", 6)}};
}

void LaunchTest::SetUp() {
    if (launcher_e2e::MachineWideKeyExists()) GTEST_SKIP() << "a machine-wide installation key is present";
    user_ = std::make_unique<TestUser>();
    if (!user_->own())
        GTEST_SKIP() << "run through CTest, which gives this program a user and a profile of its own";
    ASSERT_TRUE(nimbo_test::FolderExists(user_->desktop())) << "no profile folder for " << user_->profile();
    launcher_ = std::make_unique<launcher_e2e::LauncherFolder>(launcher_e2e::Ravelin::Real);
    for (const wchar_t* file : kInstalledFiles) {
        ASSERT_TRUE(
            CopyFileW((nimbo_test::BinFolder() + L"\\" + file).c_str(), (*launcher_ / file).c_str(), FALSE))
            << "missing in the build: " << NimboNS::WideToUtf8(file);
    }
}

void LaunchTest::TearDown() {
    // The apps close themselves; their folders can go once they have.
    if (user_ && user_->own()) WaitForProgramsToEnd(user_->profile());
    for (const std::wstring& folder : appFolders_) {
        WaitForProgramsToEnd(folder);
        RemoveTree(folder);
    }
    nginx_.reset();
    launcher_.reset();
    user_.reset();
}

void LaunchTest::PublishBaseAndServe() {
    ASSERT_TRUE(deployment.PublishRuntime());
    // A launcher no installed launcher is older than: no launch hands over to its installer.
    ASSERT_TRUE(deployment.PublishLauncher("1.0", "1.0", "installer 1.0"));
    nginx_ = std::make_unique<nimbo_test::TestServer>("nginxserve.py", deployment.Folder());
    ASSERT_TRUE(nginx_->Ready());
}

::testing::AssertionResult LaunchTest::PublishSample(const std::string& name, const std::string& version,
                                                     const std::string& extra) {
    if (deployment.PublishApp(name, version, SampleFiles(version), extra, "NimboSample.exe"))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "publishing " << name << " " << version << " failed";
}

std::wstring LaunchTest::AppFolder(const std::wstring& name) const {
    const std::wstring registryHome = RegistryHome();
    const std::wstring home =
        registryHome.empty() ? user_->localAppData() + L"\\NimboLauncher" : registryHome + L"\\Applications";
    const std::wstring folder = home + L"\\127.0.0.1_" + name;
    // A home folder of the registry is shared with other launches: the app folder goes at the end.
    if (!registryHome.empty() &&
        std::find(appFolders_.begin(), appFolders_.end(), folder) == appFolders_.end())
        appFolders_.push_back(folder);
    return folder;
}

Result LaunchTest::Launch(const std::wstring& request, DWORD timeoutMs) {
    return StartLaunch(request)->Wait(timeoutMs);
}

std::unique_ptr<launcher_e2e::LauncherProcess> LaunchTest::StartLaunch(const std::wstring& request) {
    return std::make_unique<launcher_e2e::LauncherProcess>(*launcher_, L"-u " + request,
                                                           user_->environment());
}

std::vector<std::string> LaunchTest::RequestsSince(size_t since) const {
    std::vector<std::string> lines;
    const std::string log = nginx_->Log();
    size_t start = since;
    while (start < log.size()) {
        size_t end = log.find('\n', start);
        if (end == std::string::npos) end = log.size();
        if (end > start) lines.push_back(log.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

std::string RequestPath(const std::string& line) {
    // METHOD URI STATUS BYTES "RANGE" "IF_RANGE" "COOKIE"; the URI may hold spaces.
    const std::string head = line.substr(0, line.find(" \""));
    const size_t bytes = head.rfind(' ');
    const size_t status =
        bytes == std::string::npos || bytes == 0 ? std::string::npos : head.rfind(' ', bytes - 1);
    const size_t method = head.find(' ');
    if (status == std::string::npos || method == std::string::npos || method >= status) return {};
    return head.substr(method + 1, status - method - 1);
}

std::string LaunchTest::LauncherLog() const {
    std::wstring newest;
    FILETIME newestTime{};
    WIN32_FIND_DATAW data;
    const std::wstring folder = *launcher_ / NimboNS::names::kLogFolder;
    HANDLE find = FindFirstFileW((folder + L"\\*.log").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return {};
    do {
        if (newest.empty() || CompareFileTime(&data.ftLastWriteTime, &newestTime) > 0) {
            newest = data.cFileName;
            newestTime = data.ftLastWriteTime;
        }
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return nimbo_test::ReadFileText(folder + L"\\" + newest);
}

}  // namespace launch_e2e
