; The link to installpanel.exe, the installer's window: it runs from the plug-in folder with
; LauncherCfg.ini (options in, the user's choices and "SetupStatus" out), a progress file the
; installer writes, and a shared memory of 600 bytes in which it answers questions.

!define PANEL_TITLE "Nimbo Launcher Setup"
!define PANEL_MEMORY_BYTES 600
!define UM_NEED_ADMIN 0x8005
!define UM_FILE_IN_USE 0x8008
!define WM_DIR_NOT_ACCESS 0x8009
!define UM_ARM_QUESTION 0x800D
!define UM_PORT_IN_USE 0x8064
!define PORT_SCRIPT_RESOURCE 156
!define SYNCHRONIZE_AND_QUERY 0x101000  ; SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION
!define FILE_MAP_ALL_ACCESS 0xF001F

Var PanelProcess   ; process handle, 0 when no panel runs
Var PanelWindow
Var PanelMapping
Var PanelView
Var PanelCfg
Var PanelProgressFile
Var PanelPercent

Function PanelInit
  StrCpy $PanelProcess 0
  StrCpy $PanelWindow 0
  StrCpy $PanelMapping 0
  StrCpy $PanelView 0
  StrCpy $PanelCfg ""
  StrCpy $PanelProgressFile ""
  StrCpy $PanelPercent 0
FunctionEnd

; Pushes 1 while the panel's process runs.
Function PanelRunning
  Push $R0
  StrCpy $R0 0
  ${If} $PanelProcess != 0
    System::Call 'kernel32::WaitForSingleObject(p $PanelProcess, i 0) i .R0'
    ${If} $R0 = 258  ; WAIT_TIMEOUT
      StrCpy $R0 1
    ${Else}
      StrCpy $R0 0
    ${EndIf}
  ${EndIf}
  Exch $R0
FunctionEnd

; Pushes the text in the shared memory.
Function PanelReadShared
  Push $R0
  StrCpy $R0 ""
  ${If} $PanelView != 0
    System::Call '*$PanelView(&w299 .R0)'
  ${EndIf}
  Exch $R0
FunctionEnd

Function PanelWriteSettings
  ; UTF-16 with a byte-order mark, so that the profile functions keep any folder name.
  FileOpen $R0 $PanelCfg w
  FileWriteWord $R0 0xFEFF
  FileWriteUTF16LE $R0 "[KXAppSetting]$\r$\n"
  FileClose $R0
  WriteINIStr $PanelCfg KXAppSetting "SupportLanguage" "Auto-detect"
  WriteINIStr $PanelCfg KXAppSetting "AppLogo" "$PLUGINSDIR\setup.ico"
  WriteINIStr $PanelCfg KXAppSetting "AppTitle" "${PANEL_TITLE}"
  ${If} $Upgrade == 1
    WriteINIStr $PanelCfg KXAppSetting "AppMainHead" "Updating Nimbo Launcher..."
  ${Else}
    WriteINIStr $PanelCfg KXAppSetting "AppMainHead" "Installing Nimbo Launcher..."
  ${EndIf}
  WriteINIStr $PanelCfg KXAppSetting "IsCustomAppHome" "1"
  WriteINIStr $PanelCfg KXAppSetting "KXAppHome" $Home
  WriteINIStr $PanelCfg KXAppSetting "IsCustomInstallPath" "1"
  WriteINIStr $PanelCfg KXAppSetting "InstallPath" $INSTDIR
  WriteINIStr $PanelCfg KXAppSetting "InstallMode" $AllUsers
  ${If} $AllUsers == 1
    WriteINIStr $PanelCfg KXAppSetting "UserType" "Multi"
  ${Else}
    WriteINIStr $PanelCfg KXAppSetting "UserType" "Single"
  ${EndIf}
  WriteINIStr $PanelCfg KXAppSetting "IsUpgrade" $Upgrade
  WriteINIStr $PanelCfg KXAppSetting "IsSingleInstalled" $Upgrade
  WriteINIStr $PanelCfg KXAppSetting "IsLauncherInstalled" $Upgrade
  WriteINIStr $PanelCfg KXAppSetting "WithServerOption" "0"
  WriteINIStr $PanelCfg KXAppSetting "WithServerAllowChange" "0"
  ; A launcher of the other scope: 1 public (for all users), 2 standard (per user).
  ${If} $OtherFolder != ""
    ${If} $AllUsers == 1
      WriteINIStr $PanelCfg KXAppSetting "NblDirNotBeSame" "2|$OtherFolder"
    ${Else}
      WriteINIStr $PanelCfg KXAppSetting "NblDirNotBeSame" "1|$OtherFolder"
    ${EndIf}
  ${Else}
    WriteINIStr $PanelCfg KXAppSetting "NblDirNotBeSame" ""
  ${EndIf}
  WriteINIStr $PanelCfg KXAppSetting "NeedRestartPC" "0"
  WriteINIStr $PanelCfg KXAppSetting "SetupStatus" ""
  ; The ports the launcher listens on, for the panel's port messages.
  ${If} $Port != ""
    WriteINIStr "$PLUGINSDIR\Config.ini" "Server" "NimboLauncher_Port" $Port
  ${EndIf}
  ReadINIStr $R0 "$PLUGINSDIR\Config.ini" "Server" "NimboLauncher_Port"
  ${If} $R0 == ""
  ${OrIf} $R0 == "0"
    StrCpy $R0 26571
  ${EndIf}
  WriteINIStr "$PLUGINSDIR\Config.ini" "ServerListener" "LauncherWithoutService_Port" $R0
  IntOp $R0 $R0 + 1
  WriteINIStr "$PLUGINSDIR\Config.ini" "ServerListener" "LauncherWithService_Port" $R0
FunctionEnd

; Starts the panel and waits until its window is up. Without it the installation goes on
; without a window, as with /S.
Function StartPanel
  InitPluginsDir
  SetOutPath "$PLUGINSDIR"
  File "${BIN}\installpanel.exe"
  File "${BIN}\elevhost.exe"
  File "${BIN}\Config.ini"
  File "${SOURCE}\LauncherSetup.ini"
  File "/oname=setup.ico" "${SOURCE}\..\installpanel\res\installpanel.ico"
  StrCpy $PanelCfg "$PLUGINSDIR\LauncherCfg.ini"
  StrCpy $PanelProgressFile "$PLUGINSDIR\progress.ini"
  Call PanelWriteSettings
  Push 0
  Call PanelProgress

  System::Call 'kernel32::GetCurrentProcessId() i .R0'
  StrCpy $R9 "NimboLauncherSetup_$R0"
  System::Call '*(&l4, p 0, p 0, p 0, i 0, i 0, i 0, i 0, i 0, i 0, i 0, i 0, &i2 0, &i2 0, p 0, p 0, p 0, p 0) p .R1'
  System::Call '*(p 0, p 0, i 0, i 0) p .R2'
  System::Call 'kernel32::CreateProcessW(p 0, w `"$PLUGINSDIR\installpanel.exe" "$PanelProgressFile" /mem=$R9`, p 0, p 0, i 0, i 0, p 0, w "$PLUGINSDIR", p R1, p R2) i .R0'
  ${If} $R0 != 0
    System::Call '*$R2(p .R3, p .R4, i, i)'
    System::Call 'kernel32::CloseHandle(p R4)'
    StrCpy $PanelProcess $R3
  ${EndIf}
  System::Free $R1
  System::Free $R2
  ${If} $PanelProcess == 0
    Return
  ${EndIf}

  ; The panel creates the shared memory ("0001") and then shows its window.
  StrCpy $R5 0
  ${Do}
    ${If} $PanelView == 0
      System::Call 'kernel32::OpenFileMappingW(i ${FILE_MAP_ALL_ACCESS}, i 0, w R9) p .R0'
      ${If} $R0 != 0
        StrCpy $PanelMapping $R0
        System::Call 'kernel32::MapViewOfFile(p R0, i ${FILE_MAP_ALL_ACCESS}, i 0, i 0, p ${PANEL_MEMORY_BYTES}) p .R0'
        StrCpy $PanelView $R0
      ${EndIf}
    ${EndIf}
    ${If} $PanelView != 0
      FindWindow $R0 "#32770" "${PANEL_TITLE}"
      ${If} $R0 != 0
        System::Call 'user32::GetWindowThreadProcessId(p R0, *i .R6)'
        System::Call 'kernel32::GetProcessId(p $PanelProcess) i .R7'
        ${If} $R6 = $R7
          StrCpy $PanelWindow $R0
          Return
        ${EndIf}
      ${EndIf}
    ${EndIf}
    Call PanelRunning
    Pop $R0
    IntOp $R5 $R5 + 1
    ${If} $R0 == 0
    ${OrIf} $R5 > 600
      Call PanelForget
      Return
    ${EndIf}
    Sleep 100
  ${Loop}
FunctionEnd

; No panel after all: close what was opened of it.
Function PanelForget
  ${If} $PanelView != 0
    System::Call 'kernel32::UnmapViewOfFile(p $PanelView)'
  ${EndIf}
  ${If} $PanelMapping != 0
    System::Call 'kernel32::CloseHandle(p $PanelMapping)'
  ${EndIf}
  ${If} $PanelProcess != 0
    System::Call 'kernel32::CloseHandle(p $PanelProcess)'
  ${EndIf}
  StrCpy $PanelView 0
  StrCpy $PanelMapping 0
  StrCpy $PanelProcess 0
FunctionEnd

; A new installation waits until the user has chosen the folders and clicked Start Install
; ("SetupStatus" = "Continue"); closing the window cancels it.
Function WaitForStartInstall
  ${If} $PanelProcess == 0
  ${OrIf} $Upgrade == 1
    Return
  ${EndIf}
  ${Do}
    ReadINIStr $R0 $PanelCfg KXAppSetting "SetupStatus"
    ${If} $R0 == "Continue"
      ${ExitDo}
    ${EndIf}
    Call PanelRunning
    Pop $R1
    ${If} $R0 == "Exit"
    ${OrIf} $R1 == 0
      Call PanelWaitForEnd
      SetErrorLevel 1
      Quit
    ${EndIf}
    Sleep 200
  ${Loop}
  ReadINIStr $R0 $PanelCfg KXAppSetting "InstallPath"
  ReadINIStr $R1 $PanelCfg KXAppSetting "KXAppHome"
  ExpandEnvStrings $R0 $R0
  ${If} $R0 != ""
    StrCpy $INSTDIR $R0
  ${EndIf}
  ; A machine-wide apps folder stays unexpanded: each user's launcher expands it.
  ${If} $AllUsers != 1
    ExpandEnvStrings $R1 $R1
  ${EndIf}
  ${If} $R1 != ""
    StrCpy $Home $R1
  ${EndIf}
FunctionEnd

; Percent on the stack: written into the progress file the panel watches.
Function PanelProgress
  Exch $R0
  Push $R1
  StrCpy $PanelPercent $R0
  ${If} $PanelProgressFile != ""
    FileOpen $R1 $PanelProgressFile w
    FileWrite $R1 "Progress=$R0$\r$\nStatus=0$\r$\n"
    FileClose $R1
  ${EndIf}
  Pop $R1
  Pop $R0
FunctionEnd

; Waits until the panel has gone (it closes itself at 100 percent or on a failure status).
Function PanelWaitForEnd
  ${If} $PanelProcess != 0
    System::Call 'kernel32::WaitForSingleObject(p $PanelProcess, i 60000) i .R0'
    Call PanelForget
  ${EndIf}
FunctionEnd

Function PanelDone
  Push 100
  Call PanelProgress
  Call PanelWaitForEnd
FunctionEnd

Function PanelFailed
  ${If} $PanelProgressFile != ""
    FileOpen $R1 $PanelProgressFile w
    FileWrite $R1 "Progress=$PanelPercent$\r$\nStatus=-1$\r$\n"
    FileClose $R1
  ${EndIf}
  Call PanelWaitForEnd
FunctionEnd

; The panel tells the user that administrator rights are missing and closes when they are told.
Function PanelNeedsAdmin
  Call PanelRunning
  Pop $R0
  ${If} $R0 == 1
    System::Call 'user32::PostMessageW(p $PanelWindow, i ${UM_NEED_ADMIN}, p 0, p 0)'
    System::Call 'kernel32::WaitForSingleObject(p $PanelProcess, i -1)'
  ${EndIf}
  Call PanelForget
FunctionEnd

; Posts a question (message, wParam) to the panel and waits for its answer in the shared memory;
; pushes the answer, or "" when the panel has gone.
Function PanelAsk
  Exch $R2  ; wParam
  Exch
  Exch $R3  ; message
  Push $R0
  Push $R1
  Call PanelRunning
  Pop $R0
  StrCpy $R1 ""
  ${If} $R0 == 1
    System::Call '*$PanelView(&i2 0)'
    System::Call 'user32::PostMessageW(p $PanelWindow, i R3, p R2, p 0)'
    ${Do}
      Sleep 200
      Call PanelReadShared
      Pop $R1
      ${If} $R1 != ""
        ${ExitDo}
      ${EndIf}
      Call PanelRunning
      Pop $R0
    ${LoopUntil} $R0 == 0
  ${EndIf}
  StrCpy $R2 $R1
  Pop $R1
  Pop $R0
  Pop $R3
  Exch $R2
FunctionEnd

; Asks the user whether the busy launcher was ended; pushes "yes" or something else.
Function PanelAskFileInUse
  Push ${UM_FILE_IN_USE}
  Push 0
  Call PanelAsk
FunctionEnd

; Asks whether to install on an ARM processor; pushes "yes", "no", or "" without a panel.
Function PanelAskArm
  Push ${UM_ARM_QUESTION}
  Push 0
  Call PanelAsk
FunctionEnd

; A new installation needs the launcher's port: installpanel's port-check script (its resource
; "BAT" 156) looks for a program that holds it; the panel then names it and closes, and the
; installation fails. Pushes 1 when the port is free (or cannot be checked).
Function PanelCheckPort
  Push 1
  ${If} $PanelProcess == 0
  ${OrIf} $Upgrade == 1
    Return
  ${EndIf}
  System::Call 'kernel32::LoadLibraryExW(w "$PLUGINSDIR\installpanel.exe", p 0, i 2) p .R0'
  ${If} $R0 == 0
    Return
  ${EndIf}
  System::Call 'kernel32::FindResourceW(p R0, p ${PORT_SCRIPT_RESOURCE}, w "BAT") p .R1'
  ${If} $R1 != 0
    System::Call 'kernel32::SizeofResource(p R0, p R1) i .R2'
    System::Call 'kernel32::LoadResource(p R0, p R1) p .R3'
    System::Call 'kernel32::LockResource(p R3) p .R4'
    FileOpen $R5 "$PLUGINSDIR\portcheck.bat" w
    System::Call 'kernel32::WriteFile(p R5, p R4, i R2, *i .R6, p 0)'
    FileClose $R5
  ${EndIf}
  System::Call 'kernel32::FreeLibrary(p R0)'
  ${IfNot} ${FileExists} "$PLUGINSDIR\portcheck.bat"
    Return
  ${EndIf}
  ReadINIStr $R7 "$PLUGINSDIR\Config.ini" "ServerListener" "LauncherWithoutService_Port"
  nsExec::Exec '"$SYSDIR\cmd.exe" /c ""$PLUGINSDIR\portcheck.bat" "$R7""'
  Pop $R8
  ${If} $R8 == "error"
  ${OrIf} $R8 == "timeout"
    Return
  ${EndIf}
  IntOp $R8 $R8 & 1
  ${If} $R8 = 1
    Pop $R0
    Push 0
    System::Call 'user32::PostMessageW(p $PanelWindow, i ${UM_PORT_IN_USE}, p R8, p 0)'
    Call PanelWaitForEnd
  ${EndIf}
FunctionEnd

; Tells the user that the launcher folder cannot be written and waits until they have read it.
Function PanelFolderNotAccessible
  Push ${WM_DIR_NOT_ACCESS}
  Push 1
  Call PanelAsk
  Pop $R0
FunctionEnd
