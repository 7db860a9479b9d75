#include "commandimpl.h"

#include <windows.h>

#include <cstdlib>
#include <new>
#include <string>

#include "debugtrace.h"

namespace Elevlink {
namespace {

using SharedMemory::DebugTrace;

constexpr wchar_t kElevatedVerb[] = L"runas";
constexpr wchar_t kPlainVerb[] = L"open";

}  // namespace

CCommamdImpl::CCommamdImpl() : client_(std::make_shared<SharedMemory::CSharedClient>()) {}

// Every operation is called from another module: nothing may unwind out of it.
bool CCommamdImpl::Open(int flag) {
    try {
        wchar_t name[10] = {};
        if (_ultow_s(GetCurrentProcessId(), name, 10, 10) != 0) return false;
        return client_->Open(name, flag == 0 ? kElevatedVerb : kPlainVerb);
    } catch (...) {
        return false;
    }
}

int CCommamdImpl::Execute(const wchar_t* command, int length) {
    try {
        if (!client_->WriteData(command, length)) {
            DebugTrace(L"Failed to write to the command line.");
            return -1;
        }
        DebugTrace(L"Writing to the command line: %s.",
                   std::wstring(command, static_cast<size_t>(length)).c_str());
        // Without the 3 elevhost never answers, and the wait below has no end while it lives.
        if (!client_->SignalCommand()) {
            DebugTrace(L"Connection disconnected, and the shared memory status channel is closed.");
            client_->CloseAll();
            return -1;
        }
        return WaitForResult();
    } catch (...) {
        return -1;
    }
}

int CCommamdImpl::WaitForResult() {
    for (;;) {
        if (client_->IsResultReady()) {
            const wchar_t* text = nullptr;
            int length = 0;
            if (client_->ReadData(text, length) > 0) {
                DebugTrace(L"Read and return the result of the command: %s.", text);
                return _wtoi(text);
            }
        } else if (client_->IsDisconnected()) {
            break;
        }
        Sleep(1);
    }
    DebugTrace(L"Connection disconnected, and the shared memory status channel is closed.");
    client_->CloseAll();
    return -1;
}

int CCommamdImpl::Close() {
    try {
        DebugTrace(L"The shared memory is closed.");
        client_->CloseAll();
    } catch (...) {
    }
    return 0;
}

void CCommamdImpl::Release() {
    try {
        // Closing first lets elevhost go and the files be deleted even when Close was skipped.
        client_->CloseAll();
        client_->DeleteFiles();
    } catch (...) {
    }
    delete this;
}

ICommand* NewCommandObject() {
    try {
        return new CCommamdImpl();
    } catch (...) {
        return nullptr;
    }
}

}  // namespace Elevlink
