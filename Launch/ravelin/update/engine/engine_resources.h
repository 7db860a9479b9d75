#pragma once
// The progress window of an update run (a dialog resource of ravelin.dll).
#define IDD_UPDATE 101
#define IDC_UPDATE_RETRY 1001
#define IDC_UPDATE_COUNT 1002
#define IDC_UPDATE_PROGRESS 1003
#define IDC_UPDATE_CAPTION 1004
// Controls the stage and item messages are addressed to; the template has none of them.
#define IDC_UPDATE_STAGE_TEXT 1005
#define IDC_UPDATE_ITEM_PROGRESS 1006
#define IDC_UPDATE_ITEM_CAPTION 1007
