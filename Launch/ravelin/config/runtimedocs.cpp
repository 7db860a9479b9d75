// Where the runtime manifest and the launcher setup document are, what they list, and the
// runtime assemblies that also have to lie in the app folder.
#include <shlwapi.h>

#include "catalog.h"
#include "jsonread.h"
#include "pathjoin.h"
#include "plog/Record.h"
#include "scwconv.h"
#include "updateconfig.h"

namespace NimboNS {

namespace {

constexpr const wchar_t* kRuntimeAssemblies[] = {
    L"Ostrander.Tessellate.Ledgerview.Excel12.dll",
    L"Ostrander.Tessellate.DataSource.Sharing.dll",
    L"Ostrander.Tessellate.Db.dll",
    L"Ostrander.Tessellate.DbExt.dll",
};

const wchar_t* RuntimeAssemblyOf(const wchar_t* fileName) {
    for (const wchar_t* assembly : kRuntimeAssemblies) {
        if (_wcsnicmp(fileName, assembly, wcslen(assembly)) == 0) return assembly;
    }
    return nullptr;
}

// The package's file name after its last "\" without its extension.
std::wstring PackageBaseName(const std::wstring& fileName) {
    std::wstring base = fileName.substr(fileName.rfind(L'\\') + 1);
    size_t dot = base.rfind(L'.');
    if (dot != std::wstring::npos) base.erase(dot);
    return base;
}

}  // namespace

std::wstring CUpdateConfig::GetRuntimeServerFolder() {
    if (!runtimeUrl.empty()) return FormatWide(L"%s%s", runtimeUrl.c_str(), is64Bit ? L"/x64" : L"");
    const std::wstring folder = FormatWide(
        is64Bit ? L"NimboPublisher/runtime/%s/x64" : L"NimboPublisher/runtime/%s", runtimeVersion.c_str());
    return FormatWide(L"%s/%s", baseUrl.c_str(), folder.c_str());
}

std::wstring CUpdateConfig::GetRuntimeManifestUrl() {
    if (!runtimeUrl.empty()) {
        if (is64Bit) return FormatWide(L"%s%s/%s", runtimeUrl.c_str(), L"/x64", L"manifest.json");
        return FormatWide(L"%s/%s", runtimeUrl.c_str(), L"manifest.json");
    }
    const std::wstring path =
        FormatWide(is64Bit ? L"NimboPublisher/runtime/%s/x64/%s" : L"NimboPublisher/runtime/%s/%s",
                   runtimeVersion.c_str(), L"manifest.json");
    return FormatWide(L"%s/%s", baseUrl.c_str(), path.c_str());
}

std::wstring CUpdateConfig::GetLauncherSetupUrl() {
    if (!launcherUrl.empty()) return FormatWide(L"%s/%s", launcherUrl.c_str(), L"LauncherSetup.json");
    const std::wstring path = FormatWide(L"NimboPublisher/NimboInstall 22.0/%s", L"LauncherSetup.json");
    return FormatWide(L"%s/%s", baseUrl.c_str(), path.c_str());
}

std::wstring CUpdateConfig::GetLauncherPackageName() {
    return json::String(launcherSetupParser, launcherSetupRoot, L"package");
}

bool CUpdateConfig::BuildRuntimeRecord(kxjson::JsonNode file, RuntimeFileRecord& record) {
    kxjson::IJsonParser* p = manifestParser;
    const std::wstring name = json::String(p, file, L"name");
    const std::wstring path = json::String(p, file, L"path");
    record.Size = json::Int64(p, file, L"size", 0);
    record.Extract = json::Bool(p, file, L"isneedextract", 0);
    if (CopyField(record.Name, name) && CopyField(record.Path, path) &&
        CopyField(record.Action, json::String(p, file, L"action")) &&
        CopyField(record.HashCode, json::String(p, file, L"hashcode")) &&
        CopyField(record.PackageName, json::String(p, file, L"packagename")) && IsSafeRelativePath(name) &&
        IsSafeRelativePath(path) && IsSafeRelativePath(record.PackageName))
        return true;
    OutputLog(plog::error, GetLocalizedMessage(msg::kInvalidPath), path.empty() ? name : path + L"\\" + name);
    return false;
}

int CUpdateConfig::ReadModuleFiles(const std::wstring& moduleName, std::vector<RuntimeFileRecord>& list) {
    kxjson::IJsonParser* p = manifestParser;
    kxjson::JsonNode modules = json::Array(p, manifestRoot, L"modules");
    for (int index = 0, count = json::Size(p, modules); index < count; ++index) {
        kxjson::JsonNode module = json::Item(p, modules, index);
        if (module == nullptr || json::String(p, module, L"name").find(moduleName) == std::wstring::npos)
            continue;
        int accepted = 1;
        kxjson::JsonNode files = json::Array(p, module, L"files");
        for (int f = 0, fileCount = json::Size(p, files); f < fileCount; ++f) {
            kxjson::JsonNode file = json::ObjectItem(p, files, f);
            if (file == nullptr || !json::String(p, file, L"packagename").empty()) continue;
            RuntimeFileRecord record;
            if (BuildRuntimeRecord(file, record))
                list.push_back(record);
            else
                accepted = 0;
        }
        return accepted;
    }
    return 1;
}

int CUpdateConfig::ReadPackageFiles(std::vector<RuntimeFileRecord>& list, const RuntimeFileRecord& package) {
    kxjson::IJsonParser* p = manifestParser;
    const std::wstring base = PackageBaseName(package.Name);
    int accepted = 1;
    kxjson::JsonNode modules = json::Array(p, manifestRoot, L"modules");
    for (int index = 0, count = json::Size(p, modules); index < count; ++index) {
        kxjson::JsonNode module = json::Item(p, modules, index);
        if (module == nullptr || json::String(p, module, L"name").find(base) == std::wstring::npos) continue;
        kxjson::JsonNode files = json::Array(p, module, L"files");
        for (int f = 0, fileCount = json::Size(p, files); f < fileCount; ++f) {
            kxjson::JsonNode file = json::ObjectItem(p, files, f);
            if (file == nullptr || json::String(p, file, L"packagename") != package.Name) continue;
            RuntimeFileRecord record;
            if (!BuildRuntimeRecord(file, record)) {
                accepted = 0;
                continue;
            }
            list.push_back(record);
            if (const wchar_t* assembly = RuntimeAssemblyOf(record.Name))
                runtimeAssemblies.emplace_back(assembly);
        }
    }
    return accepted;
}

int CUpdateConfig::CopyRuntimeAssemblies() {
    int failed = 0;
    for (const std::wstring& assembly : runtimeAssemblies) {
        const std::wstring source = JoinPath(GetRuntimePath(), assembly);
        const std::wstring target = JoinPath(GetAppPath(), assembly);
        if (!PathFileExistsW(source.c_str())) {
            OutputLog(plog::error, GetLocalizedMessage(msg::kInvalidPath), source);
            failed = 1;
        } else if (!CopyFileW(source.c_str(), target.c_str(), FALSE)) {
            OutputLog(plog::error, GetLocalizedMessage(msg::kCopyFileFailed), source);
            failed = 1;
        }
    }
    runtimeAssemblies.clear();
    return failed;
}

}  // namespace NimboNS
