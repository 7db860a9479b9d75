; The launcher's folder: what is installed, how busy files are waited for, what is removed.

; Programs and libraries: replaced on every installation.
!macro INSTALL_PROGRAM NAME PERCENT
  File "${BIN}\${NAME}"
  Push ${PERCENT}
  Call PanelProgress
!macroend

Function InstallFiles
  SetOutPath "$INSTDIR"
  Push 5
  Call PanelProgress
  !insertmacro INSTALL_PROGRAM "kxjson.dll" 10
  !insertmacro INSTALL_PROGRAM "kxcrypt.dll" 15
  !insertmacro INSTALL_PROGRAM "kxcompression.dll" 20
  !insertmacro INSTALL_PROGRAM "kxhttpclient.dll" 30
  !insertmacro INSTALL_PROGRAM "elevlink.dll" 35
  !insertmacro INSTALL_PROGRAM "elevhost.exe" 40
  !insertmacro INSTALL_PROGRAM "sweeper.exe" 45
  !insertmacro INSTALL_PROGRAM "installpanel.exe" 55
  !insertmacro INSTALL_PROGRAM "ravelin.dll" 80
  !insertmacro INSTALL_PROGRAM "launcher.exe" 85
  !insertmacro INSTALL_PROGRAM "loading_ica.gif" 88
  ; The settings a user or administrator may have changed survive an update.
  SetOverwrite off
  File "${BIN}\Config.ini"
  File "${SOURCE}\LauncherSetup.ini"
  SetOverwrite on
  Push 90
  Call PanelProgress
FunctionEnd

!macro REMOVE_FILES
  Delete "$INSTDIR\launcher.exe"
  Delete "$INSTDIR\ravelin.dll"
  Delete "$INSTDIR\elevlink.dll"
  Delete "$INSTDIR\elevhost.exe"
  Delete "$INSTDIR\sweeper.exe"
  Delete "$INSTDIR\installpanel.exe"
  Delete "$INSTDIR\kxjson.dll"
  Delete "$INSTDIR\kxcrypt.dll"
  Delete "$INSTDIR\kxcompression.dll"
  Delete "$INSTDIR\kxhttpclient.dll"
  Delete "$INSTDIR\loading_ica.gif"
  Delete "$INSTDIR\Config.ini"
  Delete "$INSTDIR\LauncherSetup.ini"
!macroend

!macro CHECK_BUSY UN NAME
  ${If} $R3 == ""
    Push "$INSTDIR\${NAME}"
    Call ${UN}FileInUse
    Pop $R4
    ${If} $R4 == 1
      StrCpy $R3 "${NAME}"
    ${EndIf}
  ${EndIf}
!macroend

; The busy-file checks, for the installer and (with the prefix "un.") the uninstaller.
!macro BUSY_FILE_FUNCTIONS UN
; Pushes 1 when the file exists and another process holds it (a running program or a loaded
; library cannot be opened for writing), else 0.
Function ${UN}FileInUse
  Exch $R0
  Push $R1
  Push $R2
  StrCpy $R2 0
  ${If} ${FileExists} $R0
    System::Call 'kernel32::CreateFileW(w R0, i 0x40000000, i 0, p 0, i 3, i 0x80, p 0) p .R1 ?e'
    Pop $R2
    ${If} $R1 = -1
      ${If} $R2 = 32  ; ERROR_SHARING_VIOLATION
        StrCpy $R2 1
      ${Else}
        StrCpy $R2 0
      ${EndIf}
    ${Else}
      System::Call 'kernel32::CloseHandle(p R1)'
      StrCpy $R2 0
    ${EndIf}
  ${EndIf}
  StrCpy $R0 $R2
  Pop $R2
  Pop $R1
  Exch $R0
FunctionEnd

; Pushes the name of the first program or library of the folder that is in use, or "".
Function ${UN}FirstBusyFile
  Push $R3
  StrCpy $R3 ""
  !insertmacro CHECK_BUSY "${UN}" "launcher.exe"
  !insertmacro CHECK_BUSY "${UN}" "ravelin.dll"
  !insertmacro CHECK_BUSY "${UN}" "elevlink.dll"
  !insertmacro CHECK_BUSY "${UN}" "elevhost.exe"
  !insertmacro CHECK_BUSY "${UN}" "sweeper.exe"
  !insertmacro CHECK_BUSY "${UN}" "installpanel.exe"
  !insertmacro CHECK_BUSY "${UN}" "kxjson.dll"
  !insertmacro CHECK_BUSY "${UN}" "kxcrypt.dll"
  !insertmacro CHECK_BUSY "${UN}" "kxcompression.dll"
  !insertmacro CHECK_BUSY "${UN}" "kxhttpclient.dll"
  Exch $R3
FunctionEnd

!macroend
!insertmacro BUSY_FILE_FUNCTIONS ""
!insertmacro BUSY_FILE_FUNCTIONS "un."

; A launcher that handed over to this installer is still ending: give it time. When a program
; stays busy, the user is asked to end it (panel) or the installation fails (quiet).
Function WaitUntilFilesAreFree
  StrCpy $R5 0
  ${Do}
    Call FirstBusyFile
    Pop $R6
    ${If} $R6 == ""
      Return
    ${EndIf}
    IntOp $R5 $R5 + 1
    ${If} $R5 < 40
      Sleep 250
      ${Continue}
    ${EndIf}
    ${If} $Quiet == 1
      SetErrorLevel 2
      Quit
    ${EndIf}
    Call PanelAskFileInUse
    Pop $R7
    ${If} $R7 != "yes"
      Call PanelFailed
      SetErrorLevel 1
      Quit
    ${EndIf}
    StrCpy $R5 30
  ${Loop}
FunctionEnd
