// Resource and control ids, shared by the .rc file and the code.
#pragma once

#define IDI_APP 128
#define IDD_MAIN 129
#define IDD_DONE 202
#define IDB_LOGO 203

// Main dialog
#define IDC_START_STOP 1008
#define IDC_LINK_TOPIC 1009
#define IDC_LINK_SITE 1011
#define IDC_LINK_FORUM 1012
#define IDC_STATUS 1017

// Completion dialog
#define IDC_SUMMARY 1019
