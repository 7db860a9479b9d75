// The lists of the app configuration document: file records, INI files, runtime modules, and the
// resumable-download threshold from the app's settings file.
#include <cwctype>

#include "catalog.h"
#include "jsonread.h"
#include "nimbo/names.h"
#include "pathjoin.h"
#include "plog/Record.h"
#include "updateconfig.h"

namespace NimboNS {

namespace {

constexpr unsigned long long kDefaultResumableSize = 2097152;

std::wstring RecordKey(const FileRecord& record) {
    return record.Path[0] == L'\0' ? std::wstring(record.Name) : JoinPath(record.Path, record.Name);
}

// A record from the server must stay inside the app folder and fit its fields.
bool FillRecord(kxjson::IJsonParser* parser, kxjson::JsonNode item, FileRecord& record) {
    const std::wstring name = json::String(parser, item, L"Name");
    const std::wstring path = json::String(parser, item, L"Path");
    record.Size = json::Int64(parser, item, L"Size", 0);
    record.Extractable = json::Bool(parser, item, L"Extractable", 0);
    return CopyField(record.Name, name) && CopyField(record.Path, path) &&
           CopyField(record.HashCode, json::String(parser, item, L"HashCode")) && IsSafeRelativePath(name) &&
           IsSafeRelativePath(path);
}

}  // namespace

int CUpdateConfig::ReadFileList(kxjson::JsonNode array, std::vector<FileRecord>& list) {
    int accepted = 1;
    const int count = json::Size(configParser, array);
    for (int index = 0; index < count; ++index) {
        kxjson::JsonNode item = json::ObjectItem(configParser, array, index);
        if (item == nullptr) continue;
        FileRecord record;
        if (FillRecord(configParser, item, record)) {
            list.push_back(record);
            continue;
        }
        const std::wstring path = json::String(configParser, item, L"Path");
        const std::wstring name = json::String(configParser, item, L"Name");
        OutputLog(plog::error, GetLocalizedMessage(msg::kInvalidPath),
                  path.empty() ? name : path + L"\\" + name);
        accepted = 0;
    }
    return accepted;
}

int CUpdateConfig::ReadFileListMember(const wchar_t* member, std::vector<FileRecord>& list) {
    kxjson::JsonNode array = json::Array(configParser, configRoot, member);
    if (array == nullptr) return 0;
    return ReadFileList(array, list);
}

int CUpdateConfig::ReadFileMap(const wchar_t* member, FileRecordMap& files) {
    std::vector<FileRecord> list;
    if (ReadFileListMember(member, list) != 1) return 0;
    for (const FileRecord& record : list) files.emplace(RecordKey(record), record);
    return 1;
}

int CUpdateConfig::GetPredownloadFiles(FileRecordMap& files) {
    return ReadFileMap(L"PredownloadFiles", files);
}

int CUpdateConfig::GetInstantDownloadFiles(FileRecordMap& files) {
    return ReadFileMap(L"InstantDownloadFiles", files);
}

// Every record of the server document that names a file in the app folder, checked before
// anything is downloaded: the file lists, the contents of their packages and RegisterFiles.
int CUpdateConfig::CheckServerFileLists() {
    std::vector<FileRecord> records;
    int accepted = 1;
    for (const wchar_t* member : {L"PredownloadFiles", L"InstantDownloadFiles"}) {
        if (kxjson::JsonNode array = json::Array(configParser, configRoot, member))
            accepted &= ReadFileList(array, records);
    }
    kxjson::JsonNode packages = json::Member(configParser, configRoot, L"Packages");
    std::vector<FileRecord> contents;
    for (const FileRecord& record : records) {
        if (record.Extractable == 0) continue;
        if (kxjson::JsonNode array = json::Array(configParser, packages, record.Name))
            accepted &= ReadFileList(array, contents);
    }
    kxjson::JsonNode registered = json::Array(configParser, configRoot, L"RegisterFiles");
    for (int index = 0, count = json::Size(configParser, registered); index < count; ++index) {
        const wchar_t* text = nullptr;
        kxjson::JsonNode item = json::Item(configParser, registered, index);
        if (item == nullptr || configParser->GetStringValue(item, &text) != 1 || text == nullptr) continue;
        if (wcslen(text) < MAX_PATH && IsSafeRelativePath(text)) continue;
        OutputLog(plog::error, GetLocalizedMessage(msg::kInvalidPath), text);
        accepted = 0;
    }
    return accepted;
}

void CUpdateConfig::ReadIniConfigFiles() {
    std::vector<IniConfigFile> files;
    kxjson::JsonNode array = json::Array(configParser, configRoot, L"IniConfigFiles");
    for (int index = 0, count = json::Size(configParser, array); index < count; ++index) {
        kxjson::JsonNode item = json::Item(configParser, array, index);
        const wchar_t* name = nullptr;
        int type = 0;
        if (item == nullptr || configParser->GetString(item, L"FileName", &name) != 1 || name == nullptr ||
            configParser->GetInt(item, L"UpdateType", &type) != 1)
            continue;
        IniConfigFile file;
        if (!CopyField(file.FileName, name)) {
            OutputLog(plog::error, GetLocalizedMessage(msg::kInvalidPath), name);
            continue;
        }
        file.UpdateType = type;
        files.push_back(file);
    }
    iniConfigFiles = std::move(files);
}

int CUpdateConfig::ReadRuntimeModules() {
    kxjson::JsonNode array = json::Array(configParser, configRoot, L"RuntimeModules");
    for (int index = 0, count = json::Size(configParser, array); index < count; ++index) {
        const wchar_t* name = nullptr;
        kxjson::JsonNode item = json::Item(configParser, array, index);
        if (item != nullptr && configParser->GetStringValue(item, &name) == 1 && name != nullptr)
            runtimeModules.emplace_back(name);
    }
    return 1;
}

void CUpdateConfig::ReadResumableDownloadFileSize() {
    wchar_t text[32] = {};
    const std::wstring settings = JoinPath(appPath, names::kAppSettingsIni);
    if (!settings.empty())
        GetPrivateProfileStringW(L"dwcenter", L"ResumableDownloadFileSize", L"", text, 32, settings.c_str());
    // Anything but a plain unsigned decimal that fits 64 bits keeps the default.
    unsigned long long value = 0;
    bool valid = text[0] != L'\0';
    for (const wchar_t* c = text; valid && *c != L'\0'; ++c) {
        const unsigned digit = static_cast<unsigned>(*c - L'0');
        if (digit > 9 || value > (~0ULL - digit) / 10) valid = false;
        value = value * 10 + digit;
    }
    resumableDownloadFileSize = valid ? value : kDefaultResumableSize;
}

}  // namespace NimboNS
