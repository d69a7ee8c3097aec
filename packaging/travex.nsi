; TRAVEX for Windows: the application, its calculator font, travex-cli and the cable driver
; package in one 64-bit installer, with an uninstaller that removes exactly what was installed.
; Built by scripts/package, which defines VERSION, STAGE (the folder of files to install) and
; OUTFILE, and SIGN_UNINSTALLER when the uninstaller is to be signed.
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!include LogicLib.nsh
!include FileFunc.nsh

!define PRODUCT "TRAVEX"
!define PUBLISHER "ZELTA"
!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\TRAVEX"
!define MENU_FOLDER "$SMPROGRAMS\TRAVEX"
; SetupCopyOEMInf: copy style SPOST_PATH (the driver files stay where the INF is).
!define SPOST_PATH 1
; SetupUninstallOEMInf: remove the package even while a cable still uses it; the driver stays
; loaded for that cable until it is unplugged.
!define SUOI_FORCEDELETE 1

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\ZELTA\TRAVEX"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "FileDescription" "${PRODUCT} setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "${PUBLISHER}"

!ifdef SIGN_UNINSTALLER
!uninstfinalize '${SIGN_UNINSTALLER} "%1"' = 0
!endif

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Function .onInit
    SetRegView 64
    SetShellVarContext all
FunctionEnd

Function un.onInit
    SetRegView 64
    SetShellVarContext all
FunctionEnd

Section "TRAVEX"
    SetOutPath "$INSTDIR"
    File "${STAGE}\TRAVEX.exe"
    File "${STAGE}\WTMQV7.TTF"
    File "${STAGE}\travex-cli.exe"
    SetOutPath "$INSTDIR\driver"
    File "${STAGE}\driver\QMUB417K.inf"
    File "${STAGE}\driver\QMUB417K.sys"
!if /FileExists "${STAGE}\driver\QMUB417K.cat"
    File "${STAGE}\driver\QMUB417K.cat"
!endif
    SetOutPath "$INSTDIR"
    WriteUninstaller "$INSTDIR\Uninstall.exe"

    CreateDirectory "${MENU_FOLDER}"
    CreateShortcut "${MENU_FOLDER}\TRAVEX.lnk" "$INSTDIR\TRAVEX.exe"
    CreateShortcut "${MENU_FOLDER}\Uninstall TRAVEX.lnk" "$INSTDIR\Uninstall.exe"

    WriteRegStr HKLM "${UNINST_KEY}" "DisplayName" "${PRODUCT} ${VERSION}"
    WriteRegStr HKLM "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINST_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKLM "${UNINST_KEY}" "DisplayIcon" "$INSTDIR\TRAVEX.exe"
    WriteRegStr HKLM "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINST_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
    WriteRegStr HKLM "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINST_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINST_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD HKLM "${UNINST_KEY}" "EstimatedSize" $0

    ; The driver package goes into the driver store; Windows installs it when the cable is
    ; plugged in. The store's name for the INF (oemN.inf on Windows) is kept for the uninstaller.
    System::Call 'setupapi::SetupCopyOEMInfW(w "$INSTDIR\driver\QMUB417K.inf", p 0, i ${SPOST_PATH}, i 0, w .r1, i ${NSIS_MAX_STRLEN}, p 0, p 0) i .r0 ?e'
    Pop $2
    ${If} $0 <> 0
        ${GetFileName} "$1" $3
        WriteRegStr HKLM "${UNINST_KEY}" "DriverInf" "$3"
        DetailPrint "Driver package staged as $3"
    ${Else}
        DetailPrint "Driver package not staged (error $2)"
        MessageBox MB_OK|MB_ICONEXCLAMATION "The cable driver could not be added to the driver store (error $2). Install it later from $INSTDIR\driver\QMUB417K.inf." /SD IDOK
        SetErrorLevel 3
    ${EndIf}
SectionEnd

Section "Uninstall"
    ReadRegStr $0 HKLM "${UNINST_KEY}" "DriverInf"
    ${If} $0 != ""
        System::Call 'setupapi::SetupUninstallOEMInfW(w r0, i ${SUOI_FORCEDELETE}, p 0) i .r1 ?e'
        Pop $2
        ${If} $1 = 0
            DetailPrint "Driver package $0 not removed from the driver store (error $2)"
        ${Else}
            ; Its precompiled form goes with it (some SetupAPI versions leave it).
            ${GetBaseName} "$0" $3
            Delete "$WINDIR\inf\$3.pnf"
        ${EndIf}
    ${EndIf}

    Delete "${MENU_FOLDER}\TRAVEX.lnk"
    Delete "${MENU_FOLDER}\Uninstall TRAVEX.lnk"
    RMDir "${MENU_FOLDER}"

    ; Only the installed files, and the font resource file TRAVEX.exe makes beside its font;
    ; settings, reproduction settings and data files the user keeps in these folders stay, and
    ; so do the folders that still hold them. A file still in use (TRAVEX.exe left running, its
    ; font loaded) goes at the next restart.
    Delete /REBOOTOK "$INSTDIR\driver\QMUB417K.inf"
    Delete /REBOOTOK "$INSTDIR\driver\QMUB417K.sys"
    Delete /REBOOTOK "$INSTDIR\driver\QMUB417K.cat"
    RMDir "$INSTDIR\driver"
    Delete /REBOOTOK "$INSTDIR\TRAVEX.exe"
    Delete /REBOOTOK "$INSTDIR\WTMQV7.TTF"
    Delete /REBOOTOK "$INSTDIR\WTMQV7_0.FOT"
    Delete /REBOOTOK "$INSTDIR\travex-cli.exe"
    Delete /REBOOTOK "$INSTDIR\Uninstall.exe"
    RMDir "$INSTDIR"
    ${If} "$INSTDIR" == "$PROGRAMFILES64\ZELTA\TRAVEX"
        RMDir "$PROGRAMFILES64\ZELTA"
    ${EndIf}

    DeleteRegKey HKLM "${UNINST_KEY}"
SectionEnd
