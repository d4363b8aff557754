// Resource ids of the window tests' dialog templates and picture.
#pragma once

#define IDD_TEST_FRAME 200
#define IDD_TEST_PAGE 201
#define IDD_TEST_CONTROLS 202
#define IDB_TEST_PICTURE 300

#define IDC_FRAME_NEXT 1001
#define IDC_FRAME_QUIT 1002
#define IDC_PAGE_BUTTON 1101
#define IDC_PAGE_LABEL 1102
#define IDC_LIST 1201
#define IDC_OWNER_DRAWN 1202
#define IDC_MISSING 1999
