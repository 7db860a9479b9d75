#pragma once
// The launcher's entry in the service control manager ("NimboLauncher_V2"), managed by
// SYSTEM with -create, -delete, -start and -stop.
namespace NimboNS {

// Created for service-control mode; holds nothing.
class CWinService {
public:
    virtual ~CWinService() = default;
    virtual void Release() { delete this; }
};

// Each step skips what fails; the caller's exit code is the last error afterwards.
void CreateLauncherService();
void DeleteLauncherService();
void StartLauncherService(int argc, wchar_t** argv);
void StopLauncherService();

// Runs the service-control command named by `command` ("-create", ...; any case). False when
// the text names none.
bool RunServiceCommand(const wchar_t* command, int argc, wchar_t** argv);

}  // namespace NimboNS
