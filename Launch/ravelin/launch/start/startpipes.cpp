#include "startpipes.h"

#include "nimbo/names.h"
#include "scwconv.h"

namespace NimboNS {
namespace {

bool CreatePipePair(FileHandle& read, FileHandle& write) {
    SECURITY_ATTRIBUTES attributes{sizeof attributes, nullptr, TRUE};
    HANDLE r = nullptr, w = nullptr;
    if (!CreatePipe(&r, &w, &attributes, 0)) return false;
    read.reset(r);
    write.reset(w);
    return SetHandleInformation(r, HANDLE_FLAG_INHERIT, 0) && SetHandleInformation(w, HANDLE_FLAG_INHERIT, 0);
}

bool InheritableCopy(HANDLE source, FileHandle& copy) {
    HANDLE duplicate = nullptr;
    if (!DuplicateHandle(GetCurrentProcess(), source, GetCurrentProcess(), &duplicate, 0, TRUE,
                         DUPLICATE_SAME_ACCESS))
        return false;
    copy.reset(duplicate);
    return true;
}

}  // namespace

std::wstring ReadyEventName() {
    return FormatWide(L"%s%lu", names::kReadyEventPrefix, static_cast<unsigned long>(GetCurrentProcessId()));
}

bool StartPipes::Create(const std::wstring& eventName) {
    Close();
    eventName_ = eventName;
    if (!CreatePipePair(inputRead_, inputWrite_) || !CreatePipePair(outputRead_, outputWrite_)) return false;
    readyEvent_.reset(CreateEventW(nullptr, FALSE, FALSE, eventName.c_str()));
    if (!readyEvent_) return false;
    return InheritableCopy(outputWrite_.get(), childError_) &&
           InheritableCopy(inputRead_.get(), childInput_) &&
           InheritableCopy(outputWrite_.get(), childOutput_);
}

void StartPipes::CloseChildCopies() {
    childInput_.reset();
    childOutput_.reset();
    childError_.reset();
}

bool StartPipes::WriteEventName() {
    if (!inputWrite_) return false;
    const DWORD bytes = static_cast<DWORD>(eventName_.size() * sizeof(wchar_t));
    DWORD written = 0;
    return WriteFile(inputWrite_.get(), eventName_.data(), bytes, &written, nullptr) && written == bytes;
}

void StartPipes::DrainOutput() {
    if (!outputRead_) return;
    char buffer[4096];
    DWORD available = 0;
    while (PeekNamedPipe(outputRead_.get(), nullptr, 0, nullptr, &available, nullptr) && available > 0) {
        DWORD read = 0;
        if (!ReadFile(outputRead_.get(), buffer, sizeof buffer, &read, nullptr) || read == 0) return;
    }
}

void StartPipes::Close() {
    CloseChildCopies();
    inputRead_.reset();
    inputWrite_.reset();
    outputRead_.reset();
    outputWrite_.reset();
    readyEvent_.reset();
}

}  // namespace NimboNS
