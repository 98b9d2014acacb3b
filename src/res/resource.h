// Resource ids of the program: string table, dialog templates, controls,
// the side picture and the icon. The numbers are fixed: the templates and
// the code refer to them, and the tests read them back from setup.exe.
#pragma once

// The maker's web site (scheme and host). The home page, the pages opened
// after an installation and the uninstall entry's "URLInfoAbout" use it.
#define SETUP_VENDOR_URL "http://www.quorvane.com"

// String table.
#define IDS_CLOSE_ONE_INSTANCE      1   // one other copy of the product runs
#define IDS_SETUP_CAPTION           2   // caption of the start-up message boxes
#define IDS_SETUP_ABORTED           3   // the user declined closing the copies
#define IDS_CLOSE_INSTANCES         4   // several copies run; %d is their number
#define IDS_CONFIRM_UNINSTALL       6
#define IDS_AGREEMENT_CAPTION       7
#define IDS_FINISH_BUTTON           8
#define IDS_INSTALLED               9
#define IDS_PRESS_FINISH            10
#define IDS_CONFIRM_CANCEL          11
#define IDS_BROWSE_TITLE            12
#define IDS_INVALID_FOLDER          13
#define IDS_OLD_VERSION_FOLDER      14
#define IDS_PRODUCT_NAME            15  // shortcut name and display name
#define IDS_OLDER_VERSION           16
#define IDS_SAME_VERSION            17
#define IDS_DAMAGED_SETUP           18
#define IDS_PREVIOUS_COPY_NOTE      19
#define IDS_UNINSTALLED             20
#define IDS_YES_BUTTON              21
#define IDS_NO_BUTTON               22
#define IDS_GROUP_TOO_SHORT         23
#define IDS_GROUP_IS_STARTUP        24
#define IDS_HELP_SHORTCUT           101
#define IDS_README_SHORTCUT         102
#define IDS_UNINSTALL_SHORTCUT      104
#define AFX_IDS_APP_TITLE           57344  // the application title

// Dialog templates.
#define IDD_SETUP                   103  // the wizard frame
#define IDD_AGREEMENT               104
#define IDD_WELCOME                 105
#define IDD_FOLDER                  106
#define IDD_GROUP                   107
#define IDD_START                   108

// Bitmap and icon.
#define IDB_SIDE_PICTURE            101
#define IDR_MAINFRAME               128

// Controls that the code never addresses (labels, the separator, the
// group box).
#ifndef IDC_STATIC
#define IDC_STATIC                  (-1)
#endif

// Controls of the frame (103); Back, Next and Cancel use 3, IDOK and IDCANCEL.
#define IDC_BACK                    3
#define IDC_PICTURE                 1002
// Agreement page (104).
#define IDC_AGREEMENT_TEXT          1000
// Welcome page (105).
#define IDC_VERSION                 1003
// Destination page (106).
#define IDC_CURRENT_USER            1001
#define IDC_ALL_USERS               1002
#define IDC_BROWSE                  1005
#define IDC_FOLDER_HINT             1006
#define IDC_FOLDER                  1013
// Program group page (107).
#define IDC_GROUP                   1000
#define IDC_AUTOSTART               1008
#define IDC_DESKTOP_ICON            1009
// Ready page (108).
#define IDC_READY_TEXT              1010
#define IDC_READY_HINT              1011
#define IDC_INSTALLING              1009
#define IDC_RUN_AFTER               1012

// The framework's standard help command.
#define ID_HELP                     0xE146
