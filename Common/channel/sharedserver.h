#pragma once
// The server end of the command channel (used by elevhost): creates the data channel and
// reports itself on the client's status channel.
#include <memory>

#include "sharedmemory.h"

namespace SharedMemory {

class ISharedServer {
public:
    virtual ~ISharedServer() = default;
    virtual bool Open(const wchar_t* name) = 0;
    virtual bool IsCommandReady() = 0;
    virtual bool SignalResult() = 0;
    virtual int ReadData(const wchar_t*& text, int& length) = 0;
    virtual bool WriteNumber(int value) = 0;
    virtual bool WriteData(const wchar_t* text, int length) = 0;
    // True once the client's status channel is gone.
    virtual bool IsDisconnected() = 0;
    virtual void CloseAll() = 0;
    virtual void Release() = 0;
};

class CSharedServer : public ISharedServer {
public:
    CSharedServer();
    bool Open(const wchar_t* name) override;
    bool IsCommandReady() override;
    bool SignalResult() override;
    int ReadData(const wchar_t*& text, int& length) override;
    bool WriteNumber(int value) override;
    bool WriteData(const wchar_t* text, int length) override;
    bool IsDisconnected() override;
    void CloseAll() override;
    void Release() override;

private:
    std::shared_ptr<CSharedMemory> data_;
    std::shared_ptr<CSharedMemory> status_;
};

}  // namespace SharedMemory
