#pragma once
// The ICommand behind elevlink's export: the client end of the command channel named by this
// process's id.
#include <memory>

#include "icommand.h"
#include "sharedclient.h"

namespace Elevlink {

class CCommamdImpl : public ICommand {
public:
    CCommamdImpl();
    ~CCommamdImpl() override = default;

    bool Open(int flag) override;
    int Execute(const wchar_t* command, int length) override;
    int Close() override;
    void Release() override;

private:
    int WaitForResult();

    std::shared_ptr<SharedMemory::ISharedClient> client_;
};

// A new command object, or null when it cannot be made. Never throws.
ICommand* NewCommandObject();

}  // namespace Elevlink
