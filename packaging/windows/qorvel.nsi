; The Windows installer: Velmar, Orlenta, Kestrum, qorvel, the web page and
; the text files into one folder, Start-menu entries for all users, the
; folder on the machine's PATH (a choice, taken by default), and an
; uninstaller listed in Apps and features that takes away what this put
; there and nothing else. scripts/windows-installer.sh calls it as
;
;   makensis -DVERSION=1.0.0 -DSRCDIR=FOLDER -DOUTFILE=qorvel-setup.exe \
;            packaging/windows/qorvel.nsi
;
; FOLDER holds the files to install, path_entry.exe (path_entry.c, built
; for the PATH step) and files.nsh, the list of the files to install:
;
;   !macro QORVEL_FILES action
;     !insertmacro ${action} velmar.exe
;     ...
;   !macroend
;
; Installing, the check that none is in use and uninstalling all go over
; that one list, so whatever is installed is also taken away. A file on the
; list that FOLDER lacks (the web page, which is optional) is not
; installed, and one an earlier version installed is deleted.
; VERSION has three numbers, as in project() of CMakeLists.txt.
;
; A silent install (/S) puts the folder on PATH unless given /NOPATH.

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
!include "${SRCDIR}/files.nsh"

; Fixed names: the uninstaller must find the same ones whatever language
; either of them ran in.
!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Qorvel"
!define MENU "$SMPROGRAMS\Qorvel"
!macro QORVEL_SHORTCUTS action  ; the entry, the file it opens
  !insertmacro ${action} "Velmar 蒙文网页排版.lnk" velmar.exe
  !insertmacro ${action} "Orlenta 蒙科立蒙文转换.lnk" orlenta.exe
  !insertmacro ${action} "Kestrum 哈斯蒙文转换.lnk" kestrum.exe
  !insertmacro ${action} "README.lnk" README.txt
!macroend
!macro CREATE_SHORTCUT lnk target
  CreateShortcut "${MENU}\${lnk}" "$INSTDIR\${target}"
!macroend
!macro REMOVE_SHORTCUT lnk target
  Delete "${MENU}\${lnk}"
!macroend

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
!include Sections.nsh

!define MUI_ABORTWARNING
!insertmacro MUI_PAGE_COMPONENTS
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
LangString MSG_IN_USE ${LANG_SIMPCHINESE} "$INSTDIR\$0 正在使用（程序正在运行，或被其他程序打开）。请关闭它，然后单击“重试”。"
LangString MSG_IN_USE ${LANG_ENGLISH} "$INSTDIR\$0 is in use (the program is running, or another program has it open). Close it, then click Retry."
LangString MSG_PATH ${LANG_SIMPCHINESE} "无法更改系统 PATH（$1）。Qorvel 仍可使用；请在“系统属性 > 环境变量”中手动更改。"
LangString MSG_PATH ${LANG_ENGLISH} "The system PATH could not be changed ($1). Qorvel works all the same; change it by hand in System Properties > Environment Variables."
LangString SEC_PROGRAMS ${LANG_SIMPCHINESE} "Qorvel 程序"
LangString SEC_PROGRAMS ${LANG_ENGLISH} "Qorvel programs"
LangString DESC_PROGRAMS ${LANG_SIMPCHINESE} "Velmar、Orlenta、Kestrum、命令行工具 qorvel 和说明文件，以及“开始”菜单项。"
LangString DESC_PROGRAMS ${LANG_ENGLISH} "Velmar, Orlenta, Kestrum, the command-line tool qorvel and the text files, with Start-menu entries."
; Short: the list of components is narrow (the description says the rest).
LangString SEC_PATH ${LANG_SIMPCHINESE} "添加到系统 PATH"
LangString SEC_PATH ${LANG_ENGLISH} "Add to PATH"
LangString DESC_PATH ${LANG_SIMPCHINESE} "把安装文件夹加入系统 PATH：在任何文件夹的命令提示符中都可以输入 qorvel。卸载时移除此项，PATH 的其他内容不变。"
LangString DESC_PATH ${LANG_ENGLISH} "Puts the install folder on the system PATH: type qorvel in a Command Prompt in any folder. The uninstaller takes the entry away and leaves the rest of PATH as it is."

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

; Windows will neither replace nor delete a file in use (a running program,
; a text open in an editor that locks it). Found only halfway, that would
; leave an installation with some files gone, or the old and new mixed; so
; every file is checked before anything changes (one in use cannot be
; opened for writing), and the user is asked to close what holds it. A
; silent run stops there with status 2, nothing changed and the entry in
; Apps and features kept.
!macro FILE_CLOSED_FUNCTION un
  Function ${un}FileClosed  ; $0: the file's name
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
!insertmacro FILE_CLOSED_FUNCTION ""
!insertmacro FILE_CLOSED_FUNCTION "un."

; The three actions on one name of the list.
!macro CHECK_FILE name
  StrCpy $0 "${name}"
  !ifdef __UNINSTALL__
    Call un.FileClosed
  !else
    Call FileClosed
  !endif
!macroend
!macro INSTALL_FILE name
  !if /FileExists "${SRCDIR}/${name}"
    File "${SRCDIR}/${name}"
  !else
    Delete "$INSTDIR\${name}"
  !endif
!macroend
!macro REMOVE_FILE name
  Delete "$INSTDIR\${name}"
!macroend

; The PATH step, in path_entry.exe: NSIS's own strings would cut a PATH
; longer than 1,024 characters (see path_entry.c). $0 add or remove, $1
; the folder; $0 becomes its status (0 changed, 1 nothing to change). A
; failure is said and the rest goes on: the programs work without it.
!macro PATH_STEP_FUNCTION un
  Function ${un}PathStep
    InitPluginsDir
    File "/oname=$PLUGINSDIR\path_entry.exe" "${SRCDIR}/path_entry.exe"
    ClearErrors
    ExecWait '"$PLUGINSDIR\path_entry.exe" $0 "$1"' $0
    ${If} ${Errors}
      StrCpy $0 3
    ${EndIf}
    ${If} $0 > 1
      MessageBox MB_ICONEXCLAMATION|MB_OK "$(MSG_PATH)" /SD IDOK
    ${EndIf}
  FunctionEnd
!macroend
!insertmacro PATH_STEP_FUNCTION ""
!insertmacro PATH_STEP_FUNCTION "un."

; The folder an earlier install put on PATH ("" for none), as its
; uninstall entry keeps it: an update may go elsewhere, or be told to
; leave PATH alone.
Var PathEntry
Function ForgetPathEntry
  ${If} $PathEntry != ""
    StrCpy $0 remove
    StrCpy $1 $PathEntry
    Call PathStep
    DeleteRegValue HKLM "${UNINST_KEY}" "PathEntry"
    StrCpy $PathEntry ""
  ${EndIf}
FunctionEnd

Section "$(SEC_PROGRAMS)" SecPrograms
  SectionIn RO
  !insertmacro QORVEL_FILES CHECK_FILE
  !insertmacro CHECK_FILE uninstall.exe
  ReadRegStr $PathEntry HKLM "${UNINST_KEY}" "PathEntry"
  SetOutPath "$INSTDIR"
  !insertmacro QORVEL_FILES INSTALL_FILE
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; The working folder of each shortcut is $INSTDIR (the SetOutPath above).
  CreateDirectory "${MENU}"
  !insertmacro QORVEL_SHORTCUTS CREATE_SHORTCUT

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

; Recorded only when this added the entry: one the user had put there
; stays on uninstall. (NSIS compares the folders ignoring case, as
; path_entry.exe does.)
Section "$(SEC_PATH)" SecPath
  ${If} $PathEntry != $INSTDIR
    Call ForgetPathEntry
  ${EndIf}
  StrCpy $0 add
  StrCpy $1 $INSTDIR
  Call PathStep
  ${If} $0 == 0
    WriteRegStr HKLM "${UNINST_KEY}" "PathEntry" "$INSTDIR"
  ${EndIf}
  StrCpy $PathEntry ""
SectionEnd

; The choice not taken: an earlier install's entry goes.
Section "-"
  Call ForgetPathEntry
SectionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecPrograms} "$(DESC_PROGRAMS)"
  !insertmacro MUI_DESCRIPTION_TEXT ${SecPath} "$(DESC_PATH)"
!insertmacro MUI_FUNCTION_DESCRIPTION_END

Function .onInit
  SetShellVarContext all
  SetRegView 64
  !insertmacro REQUIRE_ADMIN
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/NOPATH" $1
  ${IfNot} ${Errors}
    !insertmacro UnselectSection ${SecPath}
  ${EndIf}
FunctionEnd

Function un.onInit
  SetShellVarContext all
  SetRegView 64
  !insertmacro REQUIRE_ADMIN
FunctionEnd

; Only the files this installed: a folder given with /D= may hold the
; user's own, and it stays when anything is left in it.
Section "Uninstall"
  !insertmacro QORVEL_FILES CHECK_FILE
  ReadRegStr $1 HKLM "${UNINST_KEY}" "PathEntry"
  ${If} $1 != ""
    StrCpy $0 remove
    Call un.PathStep
  ${EndIf}
  !insertmacro QORVEL_FILES REMOVE_FILE
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"

  !insertmacro QORVEL_SHORTCUTS REMOVE_SHORTCUT
  RMDir "${MENU}"

  DeleteRegKey HKLM "${UNINST_KEY}"
SectionEnd
