// Resource identifiers shared by the resource script and the code.
#pragma once

#define IDI_APP 107
#define IDB_NODEVICE 141
#define IDB_TOOLBAR 137
#define IDB_CALIB_HELP 130
#define IDI_SETTINGS 5101
#define IDI_PHOTO 5103
#define IDI_VIDEO 5104
#define IDI_FILES 5105
