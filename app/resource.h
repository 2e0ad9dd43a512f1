// Resource ids of Tavrix.rc.
#pragma once

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

// Dialogs, strings, icons.
#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_TAVRIX_DIALOG 102
#define IDD_WAIT 103
#define IDD_CALIBRATE 104
#define IDR_MAINFRAME 128

// The system-menu command of the About box.
#define IDM_ABOUTBOX 0x0010

// Main window (dialog 102).
#define IDC_INQUIRY_ID 1000
#define IDC_STATUS 1001
#define IDC_UPDATE_FIRMWARE 1002
#define IDC_EXIT 1003
#define IDC_ABOUT 1004
#define IDC_PORT 1005
#define IDC_DISABLE_COMPAT_CHECK 1006
#define IDC_CALIBRATE 1007
#define IDC_PRINT_GRID 1008
#define IDC_OVERRIDE_NAME 1009
#define IDC_OVERRIDE_NAME_FLAG 1010
#define IDC_BEEPS_ON_FAULT 1012
#define IDC_APPLY_SETTINGS 1013
#define IDC_AUTOLOADER_SN 1014
#define IDC_PRINTER_SN 1015
#define IDC_UPDATE_SN 1016
#define IDC_DISCS_PICKED 1017
#define IDC_PRINT_COUNT 1020
#define IDC_RIBBON_COUNT 1021
#define IDC_IMAGE_COUNT 1022
#define IDC_BEEPS_SPIN 1023
#define IDC_IMAGE_COUNT_LABEL 1024

// About box (dialog 100).
#define IDC_ABOUT_VERSION 1000
#define IDC_ABOUT_LEGAL 1001
#define IDC_ABOUT_DATE 1002

// Wait window (dialog 103).
#define IDC_WAIT_TEXT 1003

// Calibration dialog (dialog 104).
#define IDC_CAL_TEST 1000
#define IDC_CAL_SAVE_OFFSET 1001
#define IDC_CAL_RESTORE_DEFAULT 1002
#define IDC_CAL_STATUS 1003
#define IDC_CAL_LEFT_OFFSET 1004
#define IDC_CAL_RIGHT_OFFSET 1005
#define IDC_CAL_LEFT_MARGIN 1006
#define IDC_CAL_TOP_MARGIN 1007
