; The Windows installer: Velmar, Orlenta, Kestrum, qorvel, the web page and
; the two text files into one folder, Start-menu entries for all users, and
; an uninstaller listed in Apps and features that takes away what this put
; there and nothing else. scripts/windows-installer.sh calls it as
;
;   makensis -DVERSION=1.0.0 -DSRCDIR=FOLDER -DOUTFILE=qorvel-setup.exe \
;            [-DWEBPAGE=index.html] packaging/windows/qorvel.nsi
;
; FOLDER holds velmar.exe, orlenta.exe, kestrum.exe, qorvel.exe, README.txt,
; LICENSE.txt and qorvel.txt; VERSION has three numbers, as in project() of CMakeLists.txt.

Unicode true
; The programs are 64-bit only, so the installer is too: it then sees the
; 64-bit Program Files and registry without redirection, and it refuses to
; start on 32-bit Windows, where nothing it carries could run.
Target amd64-unicode

!ifndef VERSION
  !error "VERSION is not defined (makensis -DVERSION=1.0.0)"
!endif
!ifndef SRCDIR
  !error "SRCDIR is not defined (makensis -DSRCDIR=the folder of the programs)"
!endif
!ifndef OUTFILE
  !define OUTFILE "qorvel-setup.exe"
!endif

; Fixed names: the uninstaller must find the same ones whatever language
; either of them ran in.
!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Qorvel"
!define MENU "$SMPROGRAMS\Qorvel"
!define LNK_VELMAR "Velmar 蒙文网页排版.lnk"
!define LNK_ORLENTA "Orlenta 蒙科立蒙文转换.lnk"
!define LNK_KESTRUM "Kestrum 哈斯蒙文转换.lnk"
!define LNK_README "README.lnk"

Name "Qorvel ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Qorvel"
; A new version goes where the last one is, unless /D= says otherwise.
InstallDirRegKey HKLM "${UNINST_KEY}" "InstallLocation"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
ManifestDPIAware true
BrandingText "Qorvel ${VERSION}"

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=0 "ProductName" "Qorvel"
VIAddVersionKey /LANG=0 "CompanyName" "Qorvel"
VIAddVersionKey /LANG=0 "FileDescription" "Qorvel ${VERSION} Setup"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
; As packaging/copyright has it.
VIAddVersionKey /LANG=0 "LegalCopyright" "Copyright 2026 Qorvel developers"

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh

!define MUI_ABORTWARNING
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
; The first language is the one a system in neither language gets.
!insertmacro MUI_LANGUAGE "SimpChinese"
!insertmacro MUI_LANGUAGE "English"

LangString MSG_ADMIN ${LANG_SIMPCHINESE} "安装或卸载 Qorvel 需要管理员权限。请右键单击程序，选择“以管理员身份运行”。"
LangString MSG_ADMIN ${LANG_ENGLISH} "Installing or uninstalling Qorvel needs administrator rights. Right-click the program and choose Run as administrator."
LangString MSG_IN_USE ${LANG_SIMPCHINESE} "$INSTDIR\$0 正在运行。请关闭它，然后单击“重试”。"
LangString MSG_IN_USE ${LANG_ENGLISH} "$INSTDIR\$0 is running. Close it, then click Retry."

; Program Files, the all-users Start menu and HKLM: a user who is not an
; administrator (UAC off, or an old Windows) would get half an installation.
; 740 is ERROR_ELEVATION_REQUIRED, for scripts that run it silently.
!macro REQUIRE_ADMIN
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 != "admin"
    MessageBox MB_ICONSTOP|MB_OK "$(MSG_ADMIN)" /SD IDOK
    SetErrorLevel 740
    Quit
  ${EndIf}
!macroend

; Windows will neither replace nor delete a program while it runs. Found
; only halfway, that would leave an installation with some programs gone,
; or the old and new mixed; so all four are checked before anything changes
; (a running one cannot be opened for writing), and the user is asked to
; close the one found. A silent run stops there with status 2, nothing
; changed and the entry in Apps and features kept.
!macro PROGRAM_CLOSED_FUNCTION un
  Function ${un}ProgramClosed  ; $0: the program's file name
    retry:
    ${If} ${FileExists} "$INSTDIR\$0"
      ClearErrors
      FileOpen $1 "$INSTDIR\$0" a
      ${If} ${Errors}
        MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(MSG_IN_USE)" /SD IDCANCEL IDRETRY retry
        Abort
      ${EndIf}
      FileClose $1
    ${EndIf}
  FunctionEnd
!macroend
!insertmacro PROGRAM_CLOSED_FUNCTION ""
!insertmacro PROGRAM_CLOSED_FUNCTION "un."

!macro PROGRAMS_CLOSED un
  !insertmacro PROGRAM_CLOSED_CALL "${un}" "velmar.exe"
  !insertmacro PROGRAM_CLOSED_CALL "${un}" "orlenta.exe"
  !insertmacro PROGRAM_CLOSED_CALL "${un}" "kestrum.exe"
  !insertmacro PROGRAM_CLOSED_CALL "${un}" "qorvel.exe"
!macroend
!macro PROGRAM_CLOSED_CALL un name
  StrCpy $0 "${name}"
  Call ${un}ProgramClosed
!macroend

Function .onInit
  SetShellVarContext all
  SetRegView 64
  !insertmacro REQUIRE_ADMIN
FunctionEnd

Section "Qorvel"
  !insertmacro PROGRAMS_CLOSED ""
  SetOutPath "$INSTDIR"
  File "${SRCDIR}/velmar.exe"
  File "${SRCDIR}/orlenta.exe"
  File "${SRCDIR}/kestrum.exe"
  File "${SRCDIR}/qorvel.exe"
  File "${SRCDIR}/README.txt"
  File "${SRCDIR}/LICENSE.txt"
  File "${SRCDIR}/qorvel.txt"
!ifdef WEBPAGE
  File "/oname=index.html" "${WEBPAGE}"
!else
  ; An update without the web page leaves no stale one from before.
  Delete "$INSTDIR\index.html"
!endif
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; The working folder of each shortcut is $INSTDIR (the SetOutPath above).
  CreateDirectory "${MENU}"
  CreateShortcut "${MENU}\${LNK_VELMAR}" "$INSTDIR\velmar.exe"
  CreateShortcut "${MENU}\${LNK_ORLENTA}" "$INSTDIR\orlenta.exe"
  CreateShortcut "${MENU}\${LNK_KESTRUM}" "$INSTDIR\kestrum.exe"
  CreateShortcut "${MENU}\${LNK_README}" "$INSTDIR\README.txt"

  WriteRegStr HKLM "${UNINST_KEY}" "DisplayName" "Qorvel"
  WriteRegStr HKLM "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINST_KEY}" "Publisher" "Qorvel"
  WriteRegStr HKLM "${UNINST_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegStr HKLM "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINST_KEY}" "DisplayIcon" "$INSTDIR\velmar.exe"
  WriteRegDWORD HKLM "${UNINST_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINST_KEY}" "NoRepair" 1
  ; Apps and features shows this, in KB.
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD HKLM "${UNINST_KEY}" "EstimatedSize" $0
SectionEnd

Function un.onInit
  SetShellVarContext all
  SetRegView 64
  !insertmacro REQUIRE_ADMIN
FunctionEnd

; Only the files this installed: a folder given with /D= may hold the
; user's own, and it stays when anything is left in it.
Section "Uninstall"
  !insertmacro PROGRAMS_CLOSED "un."
  Delete "$INSTDIR\velmar.exe"
  Delete "$INSTDIR\orlenta.exe"
  Delete "$INSTDIR\kestrum.exe"
  Delete "$INSTDIR\qorvel.exe"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\qorvel.txt"
  Delete "$INSTDIR\index.html"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"

  Delete "${MENU}\${LNK_VELMAR}"
  Delete "${MENU}\${LNK_ORLENTA}"
  Delete "${MENU}\${LNK_KESTRUM}"
  Delete "${MENU}\${LNK_README}"
  RMDir "${MENU}"

  DeleteRegKey HKLM "${UNINST_KEY}"
SectionEnd
