#pragma once
// The ids of the Repro dialogs and their controls, read by travex.rc and by the dialog code;
// plain macros, because the resource compiler reads nothing else.

#define IDD_REPRO 162
#define IDD_REPRO_PROGRESS 164
#define IDC_REPRO_IMAGE 1015
#define IDC_REPRO_PROGRESS 1019
#define IDC_REPRO_BROWSE 31001
