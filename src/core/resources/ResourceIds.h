// Resource and control ids, shared by the resource script and the code.
// Plain #defines so that the resource compiler reads this file too.
#ifndef MIRELKA_RESOURCE_IDS_H
#define MIRELKA_RESOURCE_IDS_H

#define IDD_LAUNCHER 102
#define IDR_TRAY_MENU 130
#define IDI_MIRELKA 128

#define IDC_TAB 1000
#define IDC_TARGET 1008
#define IDC_WORKDIR 1009
#define IDC_SHORTCUT 1010
#define IDC_SHORTCUT_LABEL 1011
#define IDC_TARGET_LABEL 1012
#define IDC_WORKDIR_LABEL 1013
#define IDC_BROWSE_DESKTOP 1014
#define IDC_BROWSE_STARTMENU 1015
#define IDC_REGISTER 1016
#define IDC_MODE_LIST 1018
#define IDC_MODE_SELECTOR 1019
#define IDC_MODE_LABEL 1020
#define IDC_DELETE 1021
#define IDC_BROWSE_COMMON_STARTMENU 1022
#define IDC_RESTORE 1023
#define IDC_TITLE_LABEL 1024
#define IDC_TITLE 1025

// The dialog's standard commands: Enter, and Esc / the close box / the ｷｬﾝｾﾙ button and item.
#define IDOK_COMMAND 1
#define IDCANCEL_COMMAND 2

#define ID_TRAY_EXIT 32900
#define ID_TRAY_SETTINGS 32901
#define ID_MODE_STARTUP 33000
#define ID_MODE_FIRST 33001
#define ID_MODE_LAST 33998
#define ID_MODE_UNHANDLED 33999
#define ID_LAUNCH_FIRST 34000
#define ID_LAUNCH_LAST 34999

#endif
