// The calibration dialogs: the modal manage dialog over the ten slots, the modeless calibration
// dialog that goes with the line in the camera view, and the help page. Win32 code.
#pragma once

#include <windows.h>

// The modeless calibration dialog while it exists; the message loop hands it its messages.
extern HWND g_hCalibrateDlg;

// Kept between openings of the manage dialog.
extern int g_rememberedCalibrationRow; // row selected when it opens; -1 = none
extern POINT g_savedManagePos;         // its top-left corner; (-1, -1) = centre it over the main window

INT_PTR CALLBACK ManageCalibrationsDlgProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK CalibrationDlgProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK CalibrationHelpDlgProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// Runs the manage dialog modally over `owner`. Returns IDC_CALIB_CALIBRATE when the user chose
// Calibrate (g_calibration.calibrating then names the slot), IDC_CALIB_APPLY after Apply, else IDCANCEL.
INT_PTR RunManageCalibrationsDialog(HWND owner);

// Creates the calibration dialog for g_calibration.calibrating, hidden; null on failure.
HWND CreateCalibrationDialog(HWND owner);

// The toolbar's Calibrate button: the manage dialog over `owner` (the main window), then, when the
// user chose Calibrate, the calibration dialog with its line on the picture at 100 %.
void StartCalibration(HWND owner);
