#pragma once
// elevlink.dll's command object: runs command lines with administrator rights through elevhost.
// Bind it at run time: LoadLibraryW(L"elevlink.dll"), then GetProcAddress(module,
// Elevlink::kCreateCommandObjectExport) cast to Elevlink::CreateCommandObjectFn.
namespace Elevlink {

class ICommand {
public:
    // Starts elevhost beside the host program and connects to it: flag 0 elevated ("runas"),
    // any other value not elevated ("open").
    virtual bool Open(int flag) = 0;
    // Runs one command line (`length` characters, without the terminating zero, below 512)
    // and returns its exit code, or -1 when it could not be run or elevhost went away.
    virtual int Execute(const wchar_t* command, int length) = 0;
    // Closes the channel; elevhost notices and ends within about a second.
    virtual int Close() = 0;
    // Deletes the channel's files and destroys the object.
    virtual void Release() = 0;

protected:
    // Holders end the object with Release, never with delete.
    virtual ~ICommand() = default;
};

using CreateCommandObjectFn = ICommand* (*)();
inline constexpr char kCreateCommandObjectExport[] = "CreateCommandObject";

}  // namespace Elevlink
