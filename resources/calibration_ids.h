// Identifiers of the calibration dialogs' templates and controls, shared by
// dialogs_calibration.rc and measure/calibration_dialogs.cpp. Plain defines for the resource
// compiler.
#pragma once

#define IDD_CALIB_MANAGE 2004
#define IDD_CALIBRATE 2005
#define IDD_CALIB_HELP 2007

// Manage dialog.
#define IDC_CALIB_LIST 3005
#define IDC_CALIB_RENAME 1030
#define IDC_CALIB_DELETE 1031
#define IDC_CALIB_CALIBRATE 3017
#define IDC_CALIB_APPLY 6
#define IDC_CALIB_HOWTO 3033

// Calibration dialog.
#define IDC_CALIB_TIP1 100
#define IDC_CALIB_TIP2 101
#define IDC_CALIB_UNIT_SHOWN 102
#define IDC_CALIB_UNIT_LABEL 103
#define IDC_CALIB_UNITS 1005
#define IDC_CALIB_LENGTH 3011

// Help dialog.
#define IDC_HOWTO_1 100
#define IDC_HOWTO_2 101
#define IDC_HOWTO_3 102
#define IDC_HOWTO_PICTURE 104
