#pragma once
// The launcher's entry: picks the run mode from the command line and from who runs it.
namespace NimboNS {

// The process exit code for this command line.
int LauncherMain(int argc, wchar_t** argv);

}  // namespace NimboNS
