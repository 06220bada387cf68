// Identifiers of the Open-microscope dialog, shared by its template and its code.
#pragma once

#define IDD_OPEN_DEVICE 132
#define IDC_OPEN_SELECT_LABEL 100
#define IDC_OPEN_RESOLUTION_LABEL 101
#define IDC_OPEN_FORMAT_LABEL 102
#define IDC_OPEN_FORMAT 1018
#define IDC_OPEN_DEVICE_LIST 3005
#define IDC_OPEN_RESOLUTION 3014
