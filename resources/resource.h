// Resource identifiers shared by the resource script and the code.
#pragma once

#define IDI_APP 107
#define IDB_NODEVICE 141
#define IDB_TOOLBAR 137
#define IDB_TOOLBAR_150 138 // the tool strip for 150 % display scales
#define IDB_TOOLBAR_200 139 // and for 200 %
#define IDB_CALIB_HELP 130
#define IDI_SETTINGS 5101
#define IDI_PHOTO 5103
#define IDI_VIDEO 5104
#define IDI_FILES 5105
