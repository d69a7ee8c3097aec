#pragma once
// The resource ids of TRAVEX.exe: menus, commands, accelerators, icons, bitmaps, dialogs and
// their controls. Read by travex.rc and by the C++ code, so an id is written once; plain macros,
// because the resource compiler reads nothing else.

// Menus and accelerators.
#define IDR_MENU_NO_DOCUMENT 20107
#define IDR_MENU_DOCUMENT 20108
#define IDR_ACCELERATORS 21000

// Menu commands (20001-20091 and 40098-40100); the status-bar help of a command is string
// (command − 19801).
#define IDM_NEW 20001
#define IDM_OPEN 20002
#define IDM_CLOSE 20003
#define IDM_SAVE 20004
#define IDM_SAVE_AS 20005
#define IDM_PRINT 20007
#define IDM_PRINT_SETUP 20008
#define IDM_EXIT 20009
#define IDM_UNDO 20011
#define IDM_CUT 20012
#define IDM_COPY 20013
#define IDM_PASTE 20014
#define IDM_FIND 20015
#define IDM_REPLACE 20016
#define IDM_DELETE 20017
#define IDM_SELECT_ALL 20018
#define IDM_SEND 20021
#define IDM_RECEIVE 20022
#define IDM_SCREEN_CAPTURE 20023
#define IDM_AUTO_SETTING_STEP 20028
#define IDM_FONT_SIZE_BASE 20032  // + font-size index 1-9
#define IDM_FONT_SIZE_8 20033
#define IDM_FONT_SIZE_9 20034
#define IDM_FONT_SIZE_10 20035
#define IDM_FONT_SIZE_11 20036
#define IDM_FONT_SIZE_12 20037
#define IDM_FONT_SIZE_14 20038
#define IDM_FONT_SIZE_16 20039
#define IDM_FONT_SIZE_18 20040
#define IDM_FONT_SIZE_20 20041
#define IDM_GROUP_FILES 20042
#define IDM_UNGROUP_FILES 20043
#define IDM_TOOLBAR 20051
#define IDM_KEYBOARD 20052
#define IDM_ARRANGE_ICONS 20061
#define IDM_CASCADE 20062
#define IDM_TILE_HORIZONTAL 20063
#define IDM_TILE_VERTICAL 20064
#define IDM_CLOSE_ALL 20065
#define IDM_FUNCTION_GROUP_BASE 20070  // + function group 1-17
#define IDM_FUNC_KEY_PAD 20071
#define IDM_FUNC_CALC 20072
#define IDM_FUNC_DRAW 20073
#define IDM_FUNC_FINANCE 20074
#define IDM_FUNC_LIST 20075
#define IDM_FUNC_MATH 20076
#define IDM_FUNC_MATRIX 20077
#define IDM_FUNC_PROG_COM 20078
#define IDM_FUNC_STAT 20079
#define IDM_FUNC_STAT_GRAPH 20081
#define IDM_FUNC_VAR 20082
#define IDM_FUNC_EQ_VAR 20083
#define IDM_FUNC_STAT_VAR 20084
#define IDM_FUNC_ZOOM_VAR 20085
#define IDM_FUNC_WIN_VAR 20086
#define IDM_FUNC_ZOOM 20087
#define IDM_FUNC_CATALOG 20090
#define IDM_ABOUT 20091
#define IDM_COMMUNICATION_PORT 40098
#define IDM_REPRO 40099
#define IDM_OPENING_TOOL 40100

// Icons of the window classes.
#define IDI_FRAME 22000
#define IDI_EDITOR 22001
#define IDI_SCREEN 22002
#define IDI_KEYPAD 22003
#define IDI_FUNCTIONS 22004
#define IDI_SLIDES 22005

// Pictures.
#define IDB_ABOUT 165  // a BIN resource: the bitmap file as stored
#define IDB_TOOLBAR 23001
#define IDB_KEYBOARD 23014
#define IDB_KEYBOARD_PRESSED 23015
#define IDB_INDICATOR 23016

// Dialogs and their controls.
// Group Files and Ungroup Files: classic file dialogs on templates of our own, which keep the
// system's file dialog controls (file name 1152, files 1120, folders 1121, current folder 1088,
// file types 1136, drives 1137) and add the chosen files with their buttons.
#define IDD_GROUP_FILE 30000
#define IDD_UNGROUP_FOLDER 30001
#define IDD_UNGROUP_FILE 30005
#define IDC_SELECTED_FILES 1200
#define IDC_SELECT 1201
#define IDC_SELECT_ALL 1202
#define IDC_REMOVE 1203
#define IDC_REMOVE_ALL 1204
#define IDD_PRINTING 30004
#define IDC_PRINTING_DOCUMENT 1010
#define IDD_FILE_EXISTS 30006
#define IDD_SKIP 30007
#define IDD_ABOUT 30009
#define IDD_COMMUNICATION_PORT 161
#define IDD_AUTO_SETTING 163
#define IDD_SEND_FILES 30010
#define IDD_RECEIVE_FILES 30011
// Their own controls beside the common dialog's: the one action button (Send Files: "&OK",
// which starts the send; Receive Files: "&Select", which adds the highlighted items), the
// selection list with its buttons, and the calculator's items of Receive Files.
#define IDC_TRANSFER_ACTION 31001
#define IDC_TRANSFER_SELECT_ALL 31002
#define IDC_TRANSFER_REMOVE 31003
#define IDC_TRANSFER_REMOVE_ALL 31004
#define IDC_TRANSFER_SELECTION 31005
#define IDC_RECEIVE_ITEMS 31007
#define IDC_QUESTION_TEXT 1000
#define IDC_ALREADY_EXISTS 1001
// The answer buttons of the question dialogs (Cancel is IDCANCEL).
#define IDC_ANSWER_OVERWRITE_ALL 1
#define IDC_ANSWER_OVERWRITE 3
#define IDC_ANSWER_SKIP 4
