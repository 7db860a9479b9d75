#include "service.h"

#include <windows.h>

#include <algorithm>

#include "nimbo/handle.h"
#include "nimbo/names.h"

namespace NimboNS {
namespace {

constexpr wchar_t kDescription[] = L"Nimbo Launcher Description.";

ServiceHandle OpenManager() {
    return ServiceHandle(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
}

bool ServiceExists() {
    ServiceHandle manager = OpenManager();
    if (!manager) return false;
    ServiceHandle service(OpenServiceW(manager.get(), names::kServiceName, SERVICE_QUERY_CONFIG));
    return static_cast<bool>(service);
}

bool QueryStatus(SC_HANDLE service, SERVICE_STATUS_PROCESS& status) {
    DWORD needed = 0;
    return QueryServiceStatusEx(service, SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&status),
                                sizeof(status), &needed) != FALSE;
}

}  // namespace

void CreateLauncherService() {
    if (ServiceExists()) return;
    ServiceHandle manager = OpenManager();
    if (!manager) return;
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    ServiceHandle service(
        CreateServiceW(manager.get(), names::kServiceName, names::kServiceName, SERVICE_ALL_ACCESS,
                       SERVICE_WIN32_OWN_PROCESS | SERVICE_INTERACTIVE_PROCESS, SERVICE_AUTO_START,
                       SERVICE_ERROR_NORMAL, path, nullptr, nullptr, nullptr, nullptr, nullptr));
    if (!service) return;
    SERVICE_DESCRIPTIONW description{const_cast<wchar_t*>(kDescription)};
    ChangeServiceConfig2W(service.get(), SERVICE_CONFIG_DESCRIPTION, &description);
}

void DeleteLauncherService() {
    if (!ServiceExists()) return;
    ServiceHandle manager = OpenManager();
    if (!manager) return;
    ServiceHandle service(OpenServiceW(manager.get(), names::kServiceName, DELETE | SERVICE_STOP));
    if (!service) return;
    SERVICE_STATUS status{};
    ControlService(service.get(), SERVICE_CONTROL_STOP, &status);
    DeleteService(service.get());
}

void StartLauncherService(int argc, wchar_t** argv) {
    ServiceHandle manager = OpenManager();
    if (!manager) return;
    ServiceHandle service(OpenServiceW(manager.get(), names::kServiceName, SERVICE_ALL_ACCESS));
    if (!service) return;
    if (!StartServiceW(service.get(), static_cast<DWORD>(argc), const_cast<const wchar_t**>(argv))) return;
    SERVICE_STATUS_PROCESS status{};
    if (!QueryStatus(service.get(), status)) return;
    DWORD since = GetTickCount();
    DWORD checkPoint = status.dwCheckPoint;
    while (status.dwCurrentState == SERVICE_START_PENDING) {
        Sleep(std::clamp<DWORD>(status.dwWaitHint / 10, 1000, 10000));
        if (!QueryStatus(service.get(), status)) break;
        if (status.dwCheckPoint > checkPoint) {
            checkPoint = status.dwCheckPoint;
            since = GetTickCount();
        } else if (GetTickCount() - since > status.dwWaitHint) {
            break;
        }
    }
}

void StopLauncherService() {
    ServiceHandle manager = OpenManager();
    if (!manager) return;
    ServiceHandle service(OpenServiceW(manager.get(), names::kServiceName, SERVICE_ALL_ACCESS));
    if (!service) return;
    SERVICE_STATUS_PROCESS status{};
    if (!QueryStatus(service.get(), status) || status.dwCurrentState == SERVICE_STOPPED) return;
    while (status.dwCurrentState == SERVICE_STOP_PENDING) {
        Sleep(status.dwWaitHint);
        if (!QueryStatus(service.get(), status)) return;
        if (status.dwCurrentState == SERVICE_STOPPED) return;
    }
    SERVICE_STATUS stopStatus{};
    if (!ControlService(service.get(), SERVICE_CONTROL_STOP, &stopStatus)) return;
    DWORD waitHint = stopStatus.dwWaitHint;
    while (QueryStatus(service.get(), status) && status.dwCurrentState != SERVICE_STOPPED) {
        Sleep(waitHint);
        waitHint = status.dwWaitHint;
    }
}

bool RunServiceCommand(const wchar_t* command, int argc, wchar_t** argv) {
    if (_wcsicmp(command, L"-create") == 0) {
        CreateLauncherService();
    } else if (_wcsicmp(command, L"-delete") == 0) {
        DeleteLauncherService();
    } else if (_wcsicmp(command, L"-start") == 0) {
        StartLauncherService(argc, argv);
    } else if (_wcsicmp(command, L"-stop") == 0) {
        StopLauncherService();
    } else {
        return false;
    }
    return true;
}

}  // namespace NimboNS
