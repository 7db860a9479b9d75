#pragma once
// CRuntimeUpdater: installs or completes the runtime version the app needs, in one folder per
// runtime version shared by every app that uses it. Files are only added or completed, never removed.
#include <string>
#include <vector>

#include "config/records.h"
#include "tasks/updater.h"

namespace NimboNS {

class CRuntimeUpdater : public CUpdater {
public:
    explicit CRuntimeUpdater(CUpdateConfig* config);

    int LoadConfig() override;  // downloads and reads manifest.json
    int NeedUpdate() override;
    int DoUpdate() override;

    int PrepareRuntimeFolder();
    int QueueRuntimeModules();
    int IsRuntimeFileComplete(RuntimeFileRecord& record);
    int QueueRuntimeFile(const RuntimeFileRecord& record);
    int CheckRuntimePackage(const RuntimeFileRecord& record);

    std::wstring RecordUrl(const RuntimeFileRecord& record);
    std::wstring RecordTarget(const RuntimeFileRecord& record);
    std::wstring RecordCheckPath(const RuntimeFileRecord& record);

    const std::vector<RuntimeFileRecord>& QueuedFiles() const { return queued; }

private:
    std::vector<RuntimeFileRecord> queued;
};

}  // namespace NimboNS
