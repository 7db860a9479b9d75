#include "sharedserver.h"

#include "debugtrace.h"
#include "nimbo/names.h"

namespace SharedMemory {

CSharedServer::CSharedServer()
    : data_(std::make_shared<CSharedMemory>()), status_(std::make_shared<CSharedMemory>()) {}

bool CSharedServer::Open(const wchar_t* name) {
    if (name == nullptr) {
        DebugTrace(L"Failed to create the shared memory data channel. The input parameter is invalid.");
        return false;
    }
    if (!data_->Create(name)) {
        DebugTrace(L"Failed to create the shared memory data channel %s.", name);
        return false;
    }
    DebugTrace(L"The shared memory data channel %s is created successfully.", name);
    std::wstring statusName = std::wstring(name) + NimboNS::names::kStatusChannelSuffix;
    if (status_->Open(statusName) && status_->WriteNumber(kStatusServerReady)) {
        DebugTrace(L"The shared memory status channel %s is opened successfully.  Waiting for commands...",
                   statusName.c_str());
        return true;
    }
    data_->Close();
    DebugTrace(L"Failed to open the shared memory status channel %s. The shared memory is closed.",
               statusName.c_str());
    return false;
}

bool CSharedServer::IsCommandReady() {
    return status_->ReadsNumber(kStatusCommandReady);
}

bool CSharedServer::SignalResult() {
    return status_->WriteNumber(kStatusResultReady);
}

int CSharedServer::ReadData(const wchar_t*& text, int& length) {
    return data_->Read(text, length);
}

bool CSharedServer::WriteNumber(int value) {
    return data_->WriteNumber(value);
}

bool CSharedServer::WriteData(const wchar_t* text, int length) {
    if (text == nullptr || length == 0) return false;
    return data_->Write(text, length);
}

bool CSharedServer::IsDisconnected() {
    return status_->IsDisconnected();
}

void CSharedServer::CloseAll() {
    status_->Close();
    data_->Close();
}

void CSharedServer::Release() {
    delete this;
}

}  // namespace SharedMemory
