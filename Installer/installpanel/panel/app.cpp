#include "panel/app.h"

#include <commctrl.h>
#include <objbase.h>

#include "link/cmdline.h"
#include "link/language.h"
#include "link/messagehook.h"
#include "link/settings.h"
#include "link/setuplog.h"
#include "link/sharedmem.h"
#include "panel/installpaneldlg.h"

namespace NimboNS::installpanel {

int CInstallpanelApp::Run(HINSTANCE instance) {
    INITCOMMONCONTROLSEX controls{
        sizeof(controls), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES | ICC_LINK_CLASS | ICC_DATE_CLASSES |
                              ICC_USEREX_CLASSES | ICC_COOL_CLASSES | ICC_INTERNET_CLASSES |
                              ICC_PAGESCROLLER_CLASS | ICC_NATIVEFNTCTL_CLASS};
    InitCommonControlsEx(&controls);
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    MSG queue;
    PeekMessageW(&queue, nullptr, WM_USER, WM_USER, PM_NOREMOVE);

    SetupLog().SetPath(DefaultSetupLogPath());
    SetProcessDPIAware();

    const PanelCommandLine commandLine = ParseCommandLine(SplitCommandLine(GetCommandLineW()));
    const LanguageChoice language = ChooseLanguage(CPanelConfig(commandLine.folder).Read(L"SupportLanguage"));
    SetThreadUILanguage(language.langId);

    CThreadMessageHook hook;
    hook.Install();
    CPanelSharedMemory sharedMemory;
    sharedMemory.Create(commandLine.memName);

    INT_PTR result = -1;
    {
        CInstallpanelDlg dialog(commandLine, language, sharedMemory, instance);
        result = dialog.DoModal(nullptr);
        if (result == -1) LogSystemError(L"failed to show the main window, ", GetLastError());
        dialog.WaitForWatcher();
    }
    hook.Remove();
    sharedMemory.Close();
    if (SUCCEEDED(com)) CoUninitialize();
    return 0;
}

}  // namespace NimboNS::installpanel
