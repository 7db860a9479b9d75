; NimboLauncher_Installer.exe: installs the launcher's folder for the current user (default) or
; for all users (/ALLUSERS), records it in the registry and in an uninstall entry, and, when the
; launcher handed an app over to it, starts the launcher again with that app.
;
; Without /S the installer itself shows no window: installpanel.exe is its face (options,
; progress, questions), linked through a progress file, a shared memory and LauncherCfg.ini.
;
; makensis defines: BIN (the programs to pack), OUTFILE, VERSION (four numbers), ARCH (i686 or
; x86_64), SOURCE (this folder).
;
; Command line: /S  quiet, no window at all
;               /ALLUSERS | /CURRENTUSER   machine-wide (needs administrator rights) or per user
;               /HOME=folder               the apps folder ("NimboHome"), default below
;               /PORT=n                    the launcher's port (Config.ini)
;               /D=folder                  the launcher folder (last, without quotes)
; Exit codes: 0 installed, 1 cancelled by the user, 2 failed, 740 administrator rights missing.

Unicode true
ManifestDPIAware true
RequestExecutionLevel user
SetCompressor /SOLID lzma
Name "Nimbo Launcher"
OutFile "${OUTFILE}"
Icon "${SOURCE}\..\installpanel\res\installpanel.ico"
UninstallIcon "${SOURCE}\..\installpanel\res\installpanel.ico"
ShowInstDetails nevershow
ShowUninstDetails nevershow
AllowSkipFiles off

VIProductVersion "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductName" "Nimbo Launcher"
VIAddVersionKey /LANG=1033 "CompanyName" "Quillmark"
VIAddVersionKey /LANG=1033 "FileDescription" "Nimbo Launcher Setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Quillmark"

!include LogicLib.nsh
!include FileFunc.nsh

!define PRODUCT_KEY "Software\Quillmark\NimboLauncher\22.0"
!define PRODUCT_PARENT_KEY "Software\Quillmark\NimboLauncher"
!define COMPANY_KEY "Software\Quillmark"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\NimboLauncher_22.0"
!define UNINSTALLER "NimboLauncher_Uninstall.exe"
!define PARAM_FILE "install_quillmark_nimbolauncher_param.ini"

Var Quiet          ; 1: /S, no window at all
Var AllUsers       ; 1: machine-wide
Var Home           ; "NimboHome"
Var Upgrade        ; 1: this scope already has a launcher
Var OtherFolder    ; the launcher folder of the other scope, if any
Var Handover       ; the installer's own parameters when the launcher started it
Var AskedFolder    ; the /D= folder as given
Var Port           ; /PORT=: the launcher's port, written into Config.ini

!include "${SOURCE}\panel.nsh"
!include "${SOURCE}\files.nsh"

Page instfiles
UninstPage instfiles

Function .onInit
  Call PanelInit
  StrCpy $Quiet 0
  ${If} ${Silent}
    StrCpy $Quiet 1
  ${EndIf}
  Call ReadCommandLine
  Call ChooseScope
  Call FindInstallation
  ${If} $Quiet == 0
    ; installpanel shows everything; the installer's own pages stay hidden.
    SetSilent silent
  ${EndIf}
FunctionEnd

; Scope, apps folder and the hand-over text from the command line.
Function ReadCommandLine
  StrCpy $AllUsers 0
  StrCpy $Home ""
  StrCpy $AskedFolder ""
  StrCpy $Port ""
  ; The launcher starts its installer with the app URL (and perhaps options) as the only
  ; parameters; a parameter line that starts with a switch is not a hand-over. The text of a
  ; hand-over comes from a server's address and is never read for switches ("/ALLUSERS" or
  ; "/HOME=" may well be part of an app's path).
  Call TrimParameters
  Pop $Handover
  StrCpy $R1 $Handover 1
  ${If} $R1 == "/"
    StrCpy $Handover ""
  ${EndIf}
  ${If} $Handover != ""
    Return
  ${EndIf}
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/ALLUSERS" $R1
  ${IfNot} ${Errors}
    StrCpy $AllUsers 1
  ${EndIf}
  ClearErrors
  ${GetOptions} $R0 "/CURRENTUSER" $R1
  ${IfNot} ${Errors}
    StrCpy $AllUsers 0
  ${EndIf}
  ClearErrors
  ${GetOptions} $R0 "/PORT=" $R1
  ${IfNot} ${Errors}
    IntOp $Port $R1 + 0
  ${EndIf}
  ClearErrors
  ${GetOptions} $R0 "/HOME=" $R1
  ${IfNot} ${Errors}
    StrCpy $Home $R1
  ${EndIf}
  ; NSIS takes "/D=" off the parameters; the process's own command line still has it.
  System::Call 'kernel32::GetCommandLineW() t .R0'
  ClearErrors
  ${GetOptions} $R0 "/D=" $R1
  ${IfNot} ${Errors}
    StrCpy $AskedFolder $R1
  ${EndIf}
FunctionEnd

; The parameters without surrounding blanks, pushed.
Function TrimParameters
  ${GetParameters} $R0
  ${Do}
    StrCpy $R1 $R0 1
    ${IfThen} $R1 != " " ${|} ${ExitDo} ${|}
    StrCpy $R0 $R0 "" 1
  ${Loop}
  ${Do}
    StrCpy $R1 $R0 1 -1
    ${IfThen} $R1 != " " ${|} ${ExitDo} ${|}
    StrCpy $R0 $R0 -1
  ${Loop}
  Push $R0
FunctionEnd

Function ChooseScope
  ${If} "${ARCH}" == "x86_64"
    SetRegView 64
  ${EndIf}
  ${If} $AllUsers == 1
    SetShellVarContext all
  ${Else}
    SetShellVarContext current
  ${EndIf}
FunctionEnd

; An installation of this scope is upgraded in its own folders; the other scope's folder is
; kept apart (one folder cannot hold two launchers).
Function FindInstallation
  StrCpy $Upgrade 0
  ; NSIS drops a /D= folder it finds unusable; it is kept here, so that the folder check refuses
  ; it instead of installing somewhere else.
  ${If} $INSTDIR == ""
  ${AndIf} $AskedFolder != ""
    StrCpy $INSTDIR $AskedFolder
  ${EndIf}
  ${If} $AllUsers == 1
    ReadRegStr $R0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
    ReadRegStr $R1 HKLM "${PRODUCT_KEY}" "NimboHome"
    ReadRegStr $OtherFolder HKCU "${UNINSTALL_KEY}" "InstallLocation"
  ${Else}
    ReadRegStr $R0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
    ReadRegStr $R1 HKCU "${PRODUCT_KEY}" "NimboHome"
    ReadRegStr $OtherFolder HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${EndIf}
  ${If} $R0 != ""
  ${AndIf} ${FileExists} "$R0\launcher.exe"
    StrCpy $Upgrade 1
    ${If} $INSTDIR == ""
      StrCpy $INSTDIR $R0
    ${EndIf}
    ${If} $Home == ""
      StrCpy $Home $R1
    ${EndIf}
  ${EndIf}
  ${If} $INSTDIR == ""
    ${If} $AllUsers == 1
      ${If} "${ARCH}" == "x86_64"
        StrCpy $INSTDIR "$PROGRAMFILES64\Quillmark\NimboLauncher"
      ${Else}
        StrCpy $INSTDIR "$PROGRAMFILES\Quillmark\NimboLauncher"
      ${EndIf}
    ${Else}
      StrCpy $INSTDIR "$LOCALAPPDATA\Quillmark\NimboLauncher"
    ${EndIf}
  ${EndIf}
  ${If} $Home == ""
    ${If} $AllUsers == 1
      ; Expanded by each user's launcher: every user keeps the apps in a folder of their own.
      StrCpy $Home "%LOCALAPPDATA%\Quillmark\NimboApps"
    ${Else}
      StrCpy $Home "$LOCALAPPDATA\Quillmark\NimboApps"
    ${EndIf}
  ${EndIf}
FunctionEnd

Function IsAdmin
  UserInfo::GetAccountType
  Pop $R0
  ${If} $R0 == "Admin"
    Push 1
  ${Else}
    Push 0
  ${EndIf}
FunctionEnd

; Pushes 1 on an ARM processor (where this installer and the launcher run emulated).
Function IsArmMachine
  Push $R0
  Push $R1
  Push $R2
  StrCpy $R2 0
  System::Call 'kernel32::GetModuleHandleW(w "kernel32.dll") p .R0'
  System::Call 'kernel32::GetProcAddress(p R0, m "IsWow64Process2") p .R1'
  ${If} $R1 != 0
    System::Call 'kernel32::IsWow64Process2(p -1, *i .R0, *i .R1) i .R2'
    ${If} $R2 != 0
      IntOp $R1 $R1 & 0xFFFF
      StrCpy $R2 0
      ${If} $R1 = 0xAA64
      ${OrIf} $R1 = 0x01C0
      ${OrIf} $R1 = 0x01C2
      ${OrIf} $R1 = 0x01C4
        StrCpy $R2 1
      ${EndIf}
    ${Else}
      StrCpy $R2 0
    ${EndIf}
  ${EndIf}
  StrCpy $R0 $R2
  Pop $R2
  Pop $R1
  Exch $R0
FunctionEnd

; On an ARM processor the person decides whether to install anyway.
Function AskOnArm
  Call IsArmMachine
  Pop $R0
  ${If} $R0 != 1
    Return
  ${EndIf}
  Call PanelAskArm
  Pop $R0
  ${If} $R0 == "no"
    Call PanelFailed
    SetErrorLevel 1
    Quit
  ${EndIf}
FunctionEnd

Section "Launcher"
  ${If} $Quiet == 0
    Call StartPanel
  ${EndIf}
  ; Told before the person chooses anything.
  ${If} $AllUsers == 1
    Call IsAdmin
    Pop $R0
    ${If} $R0 != 1
      Call PanelNeedsAdmin
      SetErrorLevel 740
      Quit
    ${EndIf}
  ${EndIf}
  ${If} $Quiet == 0
    Call AskOnArm
    Call PanelCheckPort
    Pop $R0
    ${If} $R0 != 1
      SetErrorLevel 2
      Quit
    ${EndIf}
    Call WaitForStartInstall
  ${EndIf}

  ${If} $OtherFolder != ""
  ${AndIf} $OtherFolder == $INSTDIR
    Call PanelFailed
    SetErrorLevel 2
    Quit
  ${EndIf}

  Call CheckLauncherFolder
  Call WaitUntilFilesAreFree
  Call InstallFiles
  ${If} $Port != ""
    WriteINIStr "$INSTDIR\Config.ini" "Server" "NimboLauncher_Port" $Port
  ${EndIf}
  Call WriteRegistry
  Call PanelDone
  Call HandOverToLauncher
SectionEnd

; The launcher folder must be a folder this user can write: else nothing is installed.
Function CheckLauncherFolder
  ClearErrors
  CreateDirectory $INSTDIR
  FileOpen $R0 "$INSTDIR\nimbo_setup_check.tmp" w
  ${IfNot} ${Errors}
    FileClose $R0
    Delete "$INSTDIR\nimbo_setup_check.tmp"
    Return
  ${EndIf}
  ${If} $Quiet == 0
    Call PanelFolderNotAccessible
    Call PanelFailed
  ${EndIf}
  SetErrorLevel 2
  Quit
FunctionEnd

Function WriteRegistry
  ${If} $AllUsers == 1
    WriteRegStr HKLM "${PRODUCT_KEY}" "version" "${VERSION}"
    WriteRegStr HKLM "${PRODUCT_KEY}" "NimboHome" $Home
  ${Else}
    WriteRegStr HKCU "${PRODUCT_KEY}" "version" "${VERSION}"
    WriteRegStr HKCU "${PRODUCT_KEY}" "NimboHome" $Home
  ${EndIf}
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"
  ${If} $AllUsers == 1
    Call WriteUninstallEntryMachine
  ${Else}
    Call WriteUninstallEntryUser
  ${EndIf}
FunctionEnd

!macro WRITE_UNINSTALL_ENTRY ROOT
  ${GetSize} "$INSTDIR" "/S=0K" $R0 $R1 $R2
  WriteRegStr ${ROOT} "${UNINSTALL_KEY}" "DisplayName" "Nimbo Launcher"
  WriteRegStr ${ROOT} "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr ${ROOT} "${UNINSTALL_KEY}" "Publisher" "Quillmark"
  WriteRegStr ${ROOT} "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\launcher.exe"
  WriteRegStr ${ROOT} "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr ${ROOT} "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr ${ROOT} "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD ${ROOT} "${UNINSTALL_KEY}" "EstimatedSize" $R0
  WriteRegDWORD ${ROOT} "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD ${ROOT} "${UNINSTALL_KEY}" "NoRepair" 1
!macroend

Function WriteUninstallEntryMachine
  !insertmacro WRITE_UNINSTALL_ENTRY HKLM
FunctionEnd

Function WriteUninstallEntryUser
  !insertmacro WRITE_UNINSTALL_ENTRY HKCU
FunctionEnd

; The launcher wrote the app URL into the parameter file and started this installer with the
; same text; only then is the launcher started again with it, and only for an app URL (the
; launcher would run any other text as a command line).
Function HandOverToLauncher
  ${If} $Handover == ""
    Return
  ${EndIf}
  StrCpy $R0 "$TEMP\${PARAM_FILE}"
  ReadINIStr $R1 $R0 "Install" "Param"
  Delete $R0
  ${If} $R1 != $Handover
    Return
  ${EndIf}
  StrCpy $R2 $R1 7
  StrCpy $R3 $R1 8
  ${If} $R2 == "http://"
  ${OrIf} $R3 == "https://"
    Exec '"$INSTDIR\launcher.exe" -u $R1'
  ${EndIf}
FunctionEnd

;--------------------------------------------------------------------------------------------
; Uninstaller

Var UnAllUsers

Function un.onInit
  ${If} "${ARCH}" == "x86_64"
    SetRegView 64
  ${EndIf}
  ; The scope is the one whose uninstall entry names this folder.
  StrCpy $UnAllUsers 0
  ReadRegStr $R0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $R0 == $INSTDIR
    StrCpy $UnAllUsers 1
    SetShellVarContext all
  ${EndIf}
  ${IfNot} ${Silent}
    MessageBox MB_YESNO|MB_ICONQUESTION "Remove Nimbo Launcher from this computer?$\r$\n$\r$\nInstalled apps stay in their folders." /SD IDYES IDYES +2
    Abort
  ${EndIf}
FunctionEnd

Section "Uninstall"
  ; A launcher that still runs would keep its files: nothing is removed then, so that the
  ; uninstall entry still leads to a launcher that can be removed later.
  ${Do}
    Call un.FirstBusyFile
    Pop $R0
    ${If} $R0 == ""
      ${ExitDo}
    ${EndIf}
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "Nimbo Launcher is still running ($R0).$\r$\nClose it and click Retry." /SD IDCANCEL IDRETRY retry
    SetErrorLevel 2
    Abort
    retry:
  ${Loop}
  !insertmacro REMOVE_FILES
  Delete "$INSTDIR\${UNINSTALLER}"
  RMDir /r "$INSTDIR\log"
  RMDir /r "$INSTDIR\sharedfile"
  RMDir "$INSTDIR"
  ${If} $UnAllUsers == 1
    DeleteRegKey HKLM "${PRODUCT_KEY}"
    DeleteRegKey /ifempty HKLM "${PRODUCT_PARENT_KEY}"
    DeleteRegKey /ifempty HKLM "${COMPANY_KEY}"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
  ${Else}
    DeleteRegKey HKCU "${PRODUCT_KEY}"
    DeleteRegKey /ifempty HKCU "${PRODUCT_PARENT_KEY}"
    DeleteRegKey /ifempty HKCU "${COMPANY_KEY}"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
  ${EndIf}
SectionEnd
