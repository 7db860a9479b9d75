#pragma once
// installpanel's main window (dialog 102): the heading, the progress bar and its percentage, and
// when expanded the launcher folder, the apps folder and Start Install. It answers the
// installer's messages and follows the progress file.
#include <windows.h>

#include <optional>
#include <string>

#include "controls/custombutton.h"
#include "controls/myprgctrl.h"
#include "link/cmdline.h"
#include "link/language.h"
#include "link/progressfile.h"
#include "link/settings.h"
#include "link/sharedmem.h"
#include "nimbo/handle.h"
#include "panel/layout.h"
#include "panel/pathcheck.h"
#include "panel/watcher.h"
#include "ui/dialog.h"
#include "ui/messagemap.h"

namespace NimboNS::installpanel {

class CInstallpanelDlg : public ui::CDialog {
public:
    CInstallpanelDlg(PanelCommandLine commandLine, LanguageChoice language, CPanelSharedMemory& sharedMemory,
                     HMODULE module = nullptr);
    ~CInstallpanelDlg() override;

    // After DoModal: waits until the progress watcher has ended.
    void WaitForWatcher();

protected:
    BOOL OnInitDialog() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void OnDestroyed() override;

private:
    static const ui::MessageEntry<CInstallpanelDlg> kMessageMap[];

    // Opening (installpaneldlg.cpp)
    void InitIcon();
    void InitTexts();
    void InitNblType();
    void InitBackground();
    void InitControls();
    void InitLayout();
    void StartWatcher();
    LRESULT OnPaint(WPARAM, LPARAM);
    LRESULT OnCtlColorStatic(WPARAM, LPARAM);
    LRESULT OnQueryDragIcon(WPARAM, LPARAM);
    LRESULT OnTimer(WPARAM, LPARAM);
    LRESULT OnEnterKey(WPARAM, LPARAM);
    LRESULT OnEscapeKey(WPARAM, LPARAM);

    // The installer's messages (installpaneldlg_installer.cpp)
    LRESULT OnProgressFileChanged(WPARAM, LPARAM);
    LRESULT OnSetupDone(WPARAM, LPARAM);
    LRESULT OnAbort(WPARAM, LPARAM);
    LRESULT OnNeedAdmin(WPARAM, LPARAM);
    LRESULT OnClosePrgUi(WPARAM, LPARAM);
    LRESULT OnClearShared(WPARAM, LPARAM);
    LRESULT OnFileInUse(WPARAM, LPARAM);
    LRESULT OnDirNotAccess(WPARAM, LPARAM);
    LRESULT OnCurrentNblType(WPARAM, LPARAM);
    LRESULT OnDirCannotSame(WPARAM, LPARAM);
    LRESULT OnNblCannotRun(WPARAM, LPARAM);
    LRESULT OnArmQuestion(WPARAM, LPARAM);
    LRESULT OnPortInUse(WPARAM, LPARAM);
    LRESULT OnClose(WPARAM, LPARAM);
    void CompleteInstallation();
    void OfferRestart();
    void EndWith(const wchar_t* setupStatus, INT_PTR result);

    // Options (installpaneldlg_options.cpp)
    LRESULT OnAdvancedOptions(WPARAM, LPARAM);
    LRESULT OnStartInstall(WPARAM, LPARAM);
    LRESULT OnBrowseLauncher(WPARAM, LPARAM);
    LRESULT OnBrowseApps(WPARAM, LPARAM);
    void SetExpanded(bool expanded);
    void Browse(int editId, bool launcherRow);
    bool ValidateFolders(const std::optional<std::wstring>& launcher,
                         const std::optional<std::wstring>& apps);
    void ValidateOfferedFolders();
    std::optional<std::wstring> OfferedFolder(int row) const;

    std::wstring String(UINT id) const;
    int ShowMessage(const std::wstring& text, UINT flags);
    std::wstring ItemText(int id) const;
    void SetClientHeight(int height);

    PanelCommandLine commandLine_;
    LanguageChoice languageChoice_;
    CPanelSharedMemory& shared_;
    CPanelConfig config_;
    PanelSettings settings_;
    LauncherPorts ports_;
    ExistingLauncher existing_;

    double scale_ = 1.0;
    bool offered_[kOptionRows] = {};
    bool expanded_ = false;
    int collapsedHeight_ = 0;
    int expandedHeight_ = 0;
    bool validatedOnce_ = false;

    HICON bigIcon_ = nullptr;
    HICON smallIcon_ = nullptr;
    bool iconsOwned_ = false;
    GdiObject headFont_;
    GdiObject percentFont_;
    GdiObject background_;
    GdiObject backgroundBrush_;
    CCustomButton advanced_;
    CCustomButton start_;
    CMyPrgCtrl progress_;

    Handle stopEvent_;
    CProgressWatcher watcher_;
    CProgressTracker tracker_;
};

}  // namespace NimboNS::installpanel
