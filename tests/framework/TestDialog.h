#pragma once
// Ids of the framework tests' dialog template (TestDialog.rc).
#define IDD_TEST 200
#define IDC_T_NAME 100
#define IDC_T_NUMBER 101
#define IDC_T_FLAG 102
#define IDC_T_LIST 103
#define IDC_T_CODE 104
#define IDC_T_SPIN 105
#define IDC_T_GO 110
#define IDC_T_LAST 111
