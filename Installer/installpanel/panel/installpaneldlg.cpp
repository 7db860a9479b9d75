#include "panel/installpaneldlg.h"

#include <commctrl.h>

#include "controls/dpi.h"
#include "link/messagehook.h"
#include "link/setuplog.h"
#include "panel/background.h"
#include "panel/messages.h"
#include "res/resource.h"
#include "scwconv.h"
#include "ui/resources.h"

namespace NimboNS::installpanel {
namespace {

constexpr UINT_PTR kValidateTimer = 1;
constexpr UINT kValidateDelayMs = 500;
constexpr int kRowControls[kOptionRows][3] = {
    {IDC_LAUNCHER_LABEL, IDC_LAUNCHER_EDIT, IDC_LAUNCHER_BROWSE},
    {IDC_APPS_LABEL, IDC_APPS_EDIT, IDC_APPS_BROWSE},
    {IDC_MULTI_USER_LABEL, IDC_MULTI_USER_YES, IDC_MULTI_USER_NO},
};

RECT ChildRect(HWND dialog, int id) {
    RECT rect{};
    GetWindowRect(GetDlgItem(dialog, id), &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

HFONT MakeFont(int height) {
    return CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, VARIABLE_PITCH | FF_SWISS, L"Segoe UI");
}

HICON LoadIconFile(const std::wstring& path, int size) {
    return static_cast<HICON>(LoadImageW(nullptr, path.c_str(), IMAGE_ICON, size, size, LR_LOADFROMFILE));
}

}  // namespace

const ui::MessageEntry<CInstallpanelDlg> CInstallpanelDlg::kMessageMap[] = {
    {WM_PAINT, 0, &CInstallpanelDlg::OnPaint},
    {WM_CTLCOLORSTATIC, 0, &CInstallpanelDlg::OnCtlColorStatic},
    {WM_QUERYDRAGICON, 0, &CInstallpanelDlg::OnQueryDragIcon},
    {WM_TIMER, 0, &CInstallpanelDlg::OnTimer},
    {WM_CLOSE, 0, &CInstallpanelDlg::OnClose},
    {WM_COMMAND, IDOK, &CInstallpanelDlg::OnEnterKey},
    {WM_COMMAND, IDCANCEL, &CInstallpanelDlg::OnEscapeKey},
    {WM_COMMAND, IDC_ADVANCED_OPTIONS, &CInstallpanelDlg::OnAdvancedOptions},
    {WM_COMMAND, IDC_START_INSTALL, &CInstallpanelDlg::OnStartInstall},
    {WM_COMMAND, IDC_LAUNCHER_BROWSE, &CInstallpanelDlg::OnBrowseLauncher},
    {WM_COMMAND, IDC_APPS_BROWSE, &CInstallpanelDlg::OnBrowseApps},
    {UM_PROGRESS_FILE_CHANGED, 0, &CInstallpanelDlg::OnProgressFileChanged},
    {UM_SETUP_DONE, 0, &CInstallpanelDlg::OnSetupDone},
    {WM_ABORT, 0, &CInstallpanelDlg::OnAbort},
    {UM_NEED_ADMIN, 0, &CInstallpanelDlg::OnNeedAdmin},
    {WM_CLOSE_PRG_UI, 0, &CInstallpanelDlg::OnClosePrgUi},
    {UM_CLEAR_SHARED, 0, &CInstallpanelDlg::OnClearShared},
    {UM_FILE_IN_USE, 0, &CInstallpanelDlg::OnFileInUse},
    {WM_DIR_NOT_ACCESS, 0, &CInstallpanelDlg::OnDirNotAccess},
    {WM_CURRENT_NBL_TYPE, 0, &CInstallpanelDlg::OnCurrentNblType},
    {WM_DIR_CANNOT_SAME, 0, &CInstallpanelDlg::OnDirCannotSame},
    {WM_NBL_CANNOT_RUN, 0, &CInstallpanelDlg::OnNblCannotRun},
    {UM_ARM_QUESTION, 0, &CInstallpanelDlg::OnArmQuestion},
    {UM_PORT_IN_USE, 0, &CInstallpanelDlg::OnPortInUse},
};

CInstallpanelDlg::CInstallpanelDlg(PanelCommandLine commandLine, LanguageChoice language,
                                   CPanelSharedMemory& sharedMemory, HMODULE module)
    : ui::CDialog(IDD_INSTALLPANEL_DIALOG, language.langId, module),
      commandLine_(std::move(commandLine)),
      languageChoice_(std::move(language)),
      shared_(sharedMemory),
      config_(commandLine_.folder),
      watcher_(commandLine_.progressFile) {}

CInstallpanelDlg::~CInstallpanelDlg() {
    if (stopEvent_) SetEvent(stopEvent_.get());
    WaitForWatcher();
    if (iconsOwned_) {
        if (bigIcon_) DestroyIcon(bigIcon_);
        if (smallIcon_) DestroyIcon(smallIcon_);
    }
}

void CInstallpanelDlg::WaitForWatcher() {
    const DWORD result = watcher_.Join();
    if (result != 0) LogSystemError(L"The progress watcher ended with an error, ", result);
}

std::wstring CInstallpanelDlg::String(UINT id) const {
    return ui::LoadLangString(module(), id, language());
}

int CInstallpanelDlg::ShowMessage(const std::wstring& text, UINT flags) {
    return MessageBoxW(hwnd(), text.c_str(), settings_.appTitle.c_str(), flags);
}

std::wstring CInstallpanelDlg::ItemText(int id) const {
    HWND item = Item(id);
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(item)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(item, text.data(), static_cast<int>(text.size()))));
    return text;
}

bool CInstallpanelDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    return ui::DispatchMessageMap(this, kMessageMap, message, wParam, lParam, result);
}

BOOL CInstallpanelDlg::OnInitDialog() {
    CThreadMessageHook::SetTarget(hwnd());
    LogFormat(kLogInfo, L"Progress file: %s", commandLine_.progressFile.c_str());
    LogFormat(kLogInfo, L"Settings file: %s", config_.CfgPath().c_str());
    settings_ = config_.Load();
    ports_ = config_.ReadPorts();
    InitIcon();
    InitTexts();
    InitNblType();
    InitBackground();
    InitControls();
    InitLayout();
    StartWatcher();
    LogFormat(kLogInfo, L"Init language: SupportLanguage=%s, DetectLocaleName=%s, DetectLangID=[0x%X]",
              languageChoice_.supportLanguage.c_str(), languageChoice_.detectLocaleName.c_str(),
              languageChoice_.detectLangId);
    LogFormat(kLogInfo, L" AppLanguage=%s, langID=[0x%X]", languageChoice_.appLanguage.c_str(),
              languageChoice_.langId);
    if (!settings_.Upgrade()) SetTimer(hwnd(), kValidateTimer, kValidateDelayMs, nullptr);
    return TRUE;
}

void CInstallpanelDlg::OnDestroyed() {
    CThreadMessageHook::SetTarget(nullptr);
    if (stopEvent_) SetEvent(stopEvent_.get());
}

void CInstallpanelDlg::InitIcon() {
    const int big = GetSystemMetrics(SM_CXICON), small = GetSystemMetrics(SM_CXSMICON);
    if (settings_.allRead && !settings_.appLogo.empty()) {
        bigIcon_ = LoadIconFile(settings_.appLogo, big);
        smallIcon_ = LoadIconFile(settings_.appLogo, small);
    }
    if (bigIcon_ == nullptr) {
        bigIcon_ = LoadIconFile(L"zorb.ico", big);
        smallIcon_ = LoadIconFile(L"zorb.ico", small);
    }
    iconsOwned_ = bigIcon_ != nullptr;
    if (bigIcon_ == nullptr) {
        bigIcon_ = static_cast<HICON>(
            LoadImageW(module(), MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON, big, big, LR_SHARED));
        smallIcon_ = static_cast<HICON>(
            LoadImageW(module(), MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON, small, small, LR_SHARED));
    }
    SendMessageW(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_));
    SendMessageW(hwnd(), WM_SETICON, ICON_SMALL,
                 reinterpret_cast<LPARAM>(smallIcon_ ? smallIcon_ : bigIcon_));
}

void CInstallpanelDlg::InitTexts() {
    SetWindowTextW(hwnd(), settings_.appTitle.c_str());
    if (settings_.appMainHead.empty()) {
        WriteLogLine(L"strMainHead is empty, use default.", kLogInfo);
        SetDlgItemTextW(hwnd(), IDC_MAIN_HEAD, L"Installing...");
    } else {
        SetDlgItemTextW(hwnd(), IDC_MAIN_HEAD, settings_.appMainHead.c_str());
    }
    const int multiUser = settings_.userType == L"Multi" ? IDC_MULTI_USER_YES : IDC_MULTI_USER_NO;
    CheckRadioButton(hwnd(), IDC_MULTI_USER_YES, IDC_MULTI_USER_NO, multiUser);
    const struct {
        int control;
        UINT text;
    } kTexts[] = {
        {IDC_LAUNCHER_LABEL, IDS_LAUNCHER_FOLDER_LABEL},
        {IDC_APPS_LABEL, IDS_APPS_FOLDER_LABEL},
        {IDC_MULTI_USER_LABEL, IDS_MULTI_USER_LABEL},
        {IDC_MULTI_USER_YES, IDS_MULTI_USER_YES},
        {IDC_MULTI_USER_NO, IDS_MULTI_USER_NO},
        {IDC_ADVANCED_OPTIONS, IDS_ADVANCED_OPTIONS},
        {IDC_START_INSTALL, IDS_START_INSTALL},
        {IDC_LAUNCHER_BROWSE, IDS_BROWSE},
        {IDC_APPS_BROWSE, IDS_BROWSE},
    };
    for (const auto& entry : kTexts) SetDlgItemTextW(hwnd(), entry.control, String(entry.text).c_str());
    SendDlgItemMessageW(hwnd(), IDC_LAUNCHER_EDIT, EM_LIMITTEXT, 255, 0);
    SendDlgItemMessageW(hwnd(), IDC_APPS_EDIT, EM_LIMITTEXT, 255, 0);
    SetDlgItemTextW(hwnd(), IDC_LAUNCHER_EDIT, settings_.installPath.substr(0, 255).c_str());
    SetDlgItemTextW(hwnd(), IDC_APPS_EDIT, settings_.kxAppHome.substr(0, 255).c_str());
}

void CInstallpanelDlg::InitNblType() {
    existing_ = ParseNblDirNotBeSame(settings_.nblDirNotBeSame);
    LogFormat(kLogInfo, L"InitNblType: curNBLType=%d, NBLDirNotBeSame=%s, iniVal=%s", existing_.type,
              existing_.folder.c_str(), settings_.nblDirNotBeSame.c_str());
}

void CInstallpanelDlg::InitBackground() {
    GdiObject source(LoadBackground(commandLine_.folder, config_.BackgroundResType(), module()));
    RECT client{};
    GetClientRect(hwnd(), &client);
    const RECT base = ChildRect(hwnd(), IDC_BASE);
    background_.reset(StretchedCopy(static_cast<HBITMAP>(source.get()), client.right, base.top));
    if (!background_) return;
    backgroundBrush_.reset(CreatePatternBrush(static_cast<HBITMAP>(background_.get())));
    SendDlgItemMessageW(hwnd(), IDC_BACKGROUND, STM_SETIMAGE, IMAGE_BITMAP,
                        reinterpret_cast<LPARAM>(background_.get()));
    SetWindowPos(Item(IDC_BACKGROUND), HWND_BOTTOM, 0, 0, client.right, base.top, SWP_NOACTIVATE);
}

void CInstallpanelDlg::InitControls() {
    scale_ = GetDpi(hwnd());
    headFont_.reset(MakeFont(Scaled(18, scale_)));
    percentFont_.reset(MakeFont(Scaled(18, scale_)));
    SendDlgItemMessageW(hwnd(), IDC_MAIN_HEAD, WM_SETFONT, reinterpret_cast<WPARAM>(headFont_.get()), FALSE);
    SendDlgItemMessageW(hwnd(), IDC_PERCENT, WM_SETFONT, reinterpret_cast<WPARAM>(percentFont_.get()), FALSE);

    progress_.SubclassDlgItem(hwnd(), IDC_PROGRESS);
    SendMessageW(progress_.hwnd(), PBM_SETRANGE32, 0, 100);
    progress_.SetBkColor(RGB(255, 255, 255));
    progress_.SetBarColor(RGB(122, 235, 255));
    const RECT bar = ChildRect(hwnd(), IDC_PROGRESS);
    SetWindowPos(progress_.hwnd(), nullptr, 0, 0, bar.right - bar.left, Scaled(10, scale_),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

    const COLORREF white = RGB(255, 255, 255);
    start_.SubclassDlgItem(hwnd(), IDC_START_INSTALL);
    start_.SetFontHeight(Scaled(18, scale_));
    start_.SetTextColors({white, white, white, RGB(101, 168, 255)});
    start_.SetBackColors({RGB(12, 99, 206), RGB(6, 105, 226), RGB(5, 89, 193), RGB(38, 125, 237)});
    start_.SetImagePosition(4);

    const COLORREF blue = RGB(47, 137, 252);
    advanced_.SubclassDlgItem(hwnd(), IDC_ADVANCED_OPTIONS);
    advanced_.SetFontHeight(Scaled(18, scale_));
    advanced_.SetTextColors({white, RGB(0, 83, 186), RGB(0, 74, 165), RGB(101, 168, 255)});
    advanced_.SetBackColors({blue, blue, blue, blue});
    advanced_.SetImagePosition(0);
    advanced_.SetIcons(IDI_OPTIONS_COLLAPSED, module());
}

void CInstallpanelDlg::InitLayout() {
    if (!settings_.Upgrade()) {
        offered_[0] = settings_.LauncherRowWanted();
        offered_[1] = settings_.AppsRowWanted();
    }
    RECT client{};
    GetClientRect(hwnd(), &client);
    int rowTops[kOptionRows];
    for (int row = 0; row < kOptionRows; ++row) rowTops[row] = ChildRect(hwnd(), kRowControls[row][0]).top;
    const RowLayout layout = LayOutRows(offered_, rowTops, client.bottom);
    for (int row = 0; row < kOptionRows; ++row) {
        for (int id : kRowControls[row]) {
            HWND control = Item(id);
            if (layout.shown[row]) {
                const RECT rect = ChildRect(hwnd(), id);
                SetWindowPos(control, nullptr, rect.left, rect.top + layout.shift[row], 0, 0,
                             SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            } else {
                ShowWindow(control, SW_HIDE);
                if (id != kRowControls[row][0]) EnableWindow(control, FALSE);
            }
        }
    }
    if (!offered_[0] && !offered_[1]) {
        for (int id : {IDC_START_INSTALL, IDC_ADVANCED_OPTIONS}) {
            EnableWindow(Item(id), FALSE);
            ShowWindow(Item(id), SW_HIDE);
        }
    }
    collapsedHeight_ = ChildRect(hwnd(), IDC_BASE).top;
    expandedHeight_ = layout.expandedHeight;
    SetClientHeight(collapsedHeight_);
}

void CInstallpanelDlg::SetClientHeight(int height) {
    RECT window{}, client{};
    GetWindowRect(hwnd(), &window);
    GetClientRect(hwnd(), &client);
    const int frame = (window.bottom - window.top) - (client.bottom - client.top);
    SetWindowPos(hwnd(), nullptr, 0, 0, window.right - window.left, height + frame,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CInstallpanelDlg::StartWatcher() {
    stopEvent_.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!stopEvent_ || !watcher_.Start(hwnd(), stopEvent_.get())) {
        LogSystemError(L"failed to create thread for reading progress file.", GetLastError());
        watcher_.ReadOnce();
        PostMessageW(hwnd(), UM_PROGRESS_FILE_CHANGED, 0, 0);
    }
}

LRESULT CInstallpanelDlg::OnPaint(WPARAM, LPARAM) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(hwnd(), &paint);
    RECT client{};
    GetClientRect(hwnd(), &client);
    if (IsIconic(hwnd())) {
        SendMessageW(hwnd(), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
        const int x = (client.right - GetSystemMetrics(SM_CXICON) + 1) / 2;
        const int y = (client.bottom - GetSystemMetrics(SM_CYICON) + 1) / 2;
        DrawIcon(dc, x, y, bigIcon_);
    } else {
        const RECT base = ChildRect(hwnd(), IDC_BASE), picture = ChildRect(hwnd(), IDC_BACKGROUND);
        if (picture.left != 0 || picture.top != 0 || picture.right != client.right ||
            picture.bottom != base.top) {
            SetWindowPos(Item(IDC_BACKGROUND), nullptr, 0, 0, client.right, base.top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
        }
    }
    EndPaint(hwnd(), &paint);
    return 0;
}

LRESULT CInstallpanelDlg::OnCtlColorStatic(WPARAM wParam, LPARAM lParam) {
    auto dc = reinterpret_cast<HDC>(wParam);
    const int id = GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
    if (id != IDC_MAIN_HEAD && id != IDC_PERCENT && id != IDC_NOTE) {
        return DefWindowProcW(hwnd(), WM_CTLCOLORSTATIC, wParam, lParam);
    }
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, id == IDC_NOTE ? RGB(116, 116, 135) : RGB(255, 255, 255));
    if (!backgroundBrush_) return reinterpret_cast<LRESULT>(GetStockObject(HOLLOW_BRUSH));
    // The picture's own pattern, lined up with the picture behind the label.
    const RECT rect = ChildRect(hwnd(), id);
    SetBrushOrgEx(dc, -rect.left, -rect.top, nullptr);
    return reinterpret_cast<LRESULT>(backgroundBrush_.get());
}

LRESULT CInstallpanelDlg::OnQueryDragIcon(WPARAM, LPARAM) {
    return reinterpret_cast<LRESULT>(bigIcon_);
}

LRESULT CInstallpanelDlg::OnTimer(WPARAM timer, LPARAM) {
    if (timer != kValidateTimer || !IsWindowVisible(hwnd())) return 0;
    KillTimer(hwnd(), kValidateTimer);
    if (validatedOnce_) return 0;
    validatedOnce_ = true;
    ValidateOfferedFolders();
    return 0;
}

LRESULT CInstallpanelDlg::OnEnterKey(WPARAM, LPARAM) {
    HWND focus = GetFocus();
    const int id = focus != nullptr && GetParent(focus) == hwnd() ? GetDlgCtrlID(focus) : 0;
    if (id == IDC_ADVANCED_OPTIONS || id == IDC_START_INSTALL) {
        SendMessageW(hwnd(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(focus));
    }
    return 0;
}

LRESULT CInstallpanelDlg::OnEscapeKey(WPARAM, LPARAM) {
    return 0;
}

}  // namespace NimboNS::installpanel
