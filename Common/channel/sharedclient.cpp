#include "sharedclient.h"

#include <shellapi.h>

#include <cwchar>

#include "debugtrace.h"
#include "nimbo/names.h"

namespace SharedMemory {
namespace {

std::wstring ProgramFolder() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    wchar_t* slash = std::wcsrchr(path, L'\\');
    if (slash != nullptr) *slash = L'\0';
    return path;
}

}  // namespace

CSharedClient::CSharedClient()
    : data_(std::make_shared<CSharedMemory>()), status_(std::make_shared<CSharedMemory>()) {}

bool CSharedClient::Open(const wchar_t* name, const wchar_t* verb) {
    if (name == nullptr || verb == nullptr) {
        DebugTrace(L"Failed to create the shared memory status channel. The input parameter is invalid. ");
        return false;
    }
    std::wstring statusName = std::wstring(name) + NimboNS::names::kStatusChannelSuffix;
    if (!status_->Create(statusName.c_str())) {
        DebugTrace(L"Failed to open the shared memory data channel %s. The shared memory is closed.", name);
        return false;
    }
    baseName_ = name;
    DebugTrace(L"The shared memory status channel %s is created successfully.", statusName.c_str());

    std::wstring host = ProgramFolder() + L"\\" + NimboNS::names::kElevhostExe;
    auto started =
        reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, verb, host.c_str(), name, nullptr, SW_SHOW));
    if (started <= 32) {
        CloseAll();
        status_->DeleteBackingFile();
        return false;
    }
    if (WaitForServer(name)) {
        DebugTrace(L"The shared memory data channel %s is opened successfully.", name);
        return true;
    }
    CloseAll();
    DebugTrace(L"Failed to open the shared memory data channel %s. The shared memory is closed.", name);
    return false;
}

bool CSharedClient::WaitForServer(const std::wstring& name) {
    // Only the first sighting of the server tries the data channel: the server creates it
    // before it writes 2, so a failure there means the server is already gone.
    bool tried = false;
    for (int attempt = 0; attempt < kServerWaitAttempts; ++attempt) {
        if (!tried && IsServerReady()) {
            tried = true;
            if (data_->Open(name)) return true;
        }
        Sleep(1);
    }
    return false;
}

bool CSharedClient::IsResultReady() {
    return status_->ReadsNumber(kStatusResultReady);
}

bool CSharedClient::IsServerReady() {
    return status_->ReadsNumber(kStatusServerReady);
}

bool CSharedClient::SignalCommand() {
    return status_->WriteNumber(kStatusCommandReady);
}

int CSharedClient::ReadData(const wchar_t*& text, int& length) {
    return data_->Read(text, length);
}

bool CSharedClient::WriteNumber(int value) {
    std::wstring text = std::to_wstring(value);
    return data_->Write(text.c_str(), static_cast<int>(text.size()));
}

bool CSharedClient::WriteData(const wchar_t* text, int length) {
    return data_->Write(text, length);
}

bool CSharedClient::IsDisconnected() {
    return data_->IsDisconnected();
}

void CSharedClient::CloseAll() {
    data_->Close();
    status_->Close();
}

void CSharedClient::DeleteFiles() {
    if (baseName_.empty()) return;
    std::wstring folder = status_->GetSharedFileFolder();
    DeleteFileWithRetries(folder + L"\\" + baseName_);
    DeleteFileWithRetries(folder + L"\\" + baseName_ + NimboNS::names::kStatusChannelSuffix);
}

}  // namespace SharedMemory
