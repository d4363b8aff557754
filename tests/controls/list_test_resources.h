// Resource ids of the list and header tests.
#pragma once

#define IDD_FILE_LIST_HOST 400
#define IDD_HEADED_LIST_HOST 401
#define IDC_TEST_FILE_LIST 1005
#define IDC_TEST_HEADED_LIST 1010
