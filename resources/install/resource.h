// Resource ids of the installer.
#pragma once

// String table: the default install folder.
#define IDS_DEFAULT_FOLDER 1

// Icons and the banner.
#define IDI_SETUP 102
#define IDI_ERROR_MARK 105
#define IDI_PROGRESS 106
#define IDB_BANNER 107

// Dialog templates.
#define IDD_INSTALL 101
#define IDD_SETUP 103
#define IDD_MISSING_SOURCE 104
#define IDD_REMOVE 105
#define IDD_NOT_REMOVED 107
#define IDD_INSTALL_PATH 108
#define IDD_FOLDER_NOT_CREATED 109

// Controls.
#define IDC_STATUS 100
#define IDC_INSTALL_CHOICE 1000
#define IDC_REMOVE_CHOICE 1001
#define IDC_ERROR_NAME 1001
#define IDC_INSTALL_FOLDER 1004
#define IDC_BROWSE 1005
