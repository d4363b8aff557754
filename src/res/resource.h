// Resource ids of the setup, shared by setup.rc and the code. Plain #defines only: the resource
// compiler reads this file too.
#pragma once

// The application icon.
#define IDR_MAINFRAME 128

// Dialog templates: the wizard frame and its three pages.
#define IDD_SETUP_DIALOG 102
#define IDD_WELCOME 129
#define IDD_COMPLETE 131
#define IDD_INSTALL 132

// Pictures: the side picture of the Welcome and Complete pages (Korean and English editions)
// and the logo of the Install page.
#define IDB_SIDE_KO 134
#define IDB_LOGO 136
#define IDB_SIDE_EN 137

// Controls. The frame's buttons:
#define IDC_BACK 1000
#define IDC_NEXT 1001
#define IDC_CANCEL 1002
// the Install page's overall progress bar and file list:
#define IDC_PROGRESS 1004
#define IDC_FILE_LIST 1005
// the Welcome page's home-page label, kept hidden:
#define IDC_HOMEPAGE 1006
