#pragma once
// The real preparation and start of an app, for the launch parts of a build.
#include "launchenv.h"
#include "launchparts.h"

namespace NimboNS {

// Adds the preparation and the app start to `parts` once its update engine is there (they work
// with the engine's configuration); without an engine they stay null.
void AddAppStages(LaunchParts& parts, int adminInstalled, const LaunchEnvironment& environment = {});

}  // namespace NimboNS
