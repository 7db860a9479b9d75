#include "appstages.h"

#include <memory>

#include "apppreparation.h"
#include "start/appstart.h"
#include "update/iupdate.h"

namespace NimboNS {

void AddAppStages(LaunchParts& parts, int adminInstalled, const LaunchEnvironment& environment) {
    IUpdateConfig* config = parts.update != nullptr ? parts.update->GetConfig() : nullptr;
    if (config == nullptr) return;
    try {
        auto settings = std::make_shared<LaunchSettings>();
        auto log = std::make_shared<LaunchLog>();
        auto preparation = std::make_unique<CAppPreparation>(config, settings, log, environment);
        auto start = std::make_unique<CAppStart>(settings, log, adminInstalled, environment);
        parts.preparation = preparation.release();
        parts.start = start.release();
    } catch (...) {
        // Without memory for them the launch has no stages and fails.
    }
}

}  // namespace NimboNS
