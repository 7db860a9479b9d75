#pragma once
// The client end of the command channel (used by elevlink): creates the status channel, starts
// elevhost and opens the data channel that elevhost creates.
#include <memory>
#include <string>

#include "sharedmemory.h"

namespace SharedMemory {

class ISharedClient {
public:
    virtual ~ISharedClient() = default;
    // Creates the status channel `name`+"s", starts elevhost beside this program with `verb`
    // and waits for it to report that the data channel `name` exists.
    virtual bool Open(const wchar_t* name, const wchar_t* verb) = 0;
    virtual bool IsResultReady() = 0;
    virtual bool IsServerReady() = 0;
    virtual bool SignalCommand() = 0;
    virtual int ReadData(const wchar_t*& text, int& length) = 0;
    virtual bool WriteNumber(int value) = 0;
    virtual bool WriteData(const wchar_t* text, int length) = 0;
    // True once elevhost's data channel is gone.
    virtual bool IsDisconnected() = 0;
    virtual void CloseAll() = 0;
    virtual void DeleteFiles() = 0;
};

class CSharedClient : public ISharedClient {
public:
    // Attempts, one millisecond apart, to see elevhost come up.
    static constexpr int kServerWaitAttempts = 2000;

    CSharedClient();
    bool Open(const wchar_t* name, const wchar_t* verb) override;
    bool IsResultReady() override;
    bool IsServerReady() override;
    bool SignalCommand() override;
    int ReadData(const wchar_t*& text, int& length) override;
    bool WriteNumber(int value) override;
    bool WriteData(const wchar_t* text, int length) override;
    bool IsDisconnected() override;
    void CloseAll() override;
    void DeleteFiles() override;

private:
    bool WaitForServer(const std::wstring& name);

    std::shared_ptr<CSharedMemory> data_;
    std::shared_ptr<CSharedMemory> status_;
    // The base name given to Open: the data channel's file may exist before its object is named.
    std::wstring baseName_;
};

}  // namespace SharedMemory
