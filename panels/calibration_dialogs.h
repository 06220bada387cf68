// The calibration dialogs: the modal manage dialog over the ten slots, the modeless calibration
// dialog that goes with the line in the camera view, and the help page. Win32 code.
#pragma once

#include <windows.h>

// The modeless calibration dialog while it exists; the message loop hands it its messages.
extern HWND g_hCalibrateDlg;

// What the manage dialog keeps between its openings, in the record of the window that opens it.
struct ManageCalibrationsMemory {
    int rememberedRow = 0;     // row selected when it opens; -1 = none
    POINT savedPos = {-1, -1}; // its top-left corner; (-1, -1) = centre it over the main window
};

// The manage dialog's init parameter: its ManageCalibrationsMemory* (null: it keeps nothing).
INT_PTR CALLBACK ManageCalibrationsDlgProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK CalibrationDlgProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK CalibrationHelpDlgProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// Runs the manage dialog modally over `owner`, starting from and updating `memory`. Returns
// IDC_CALIB_CALIBRATE when the user chose Calibrate (g_calibration.calibrating then names the slot),
// IDC_CALIB_APPLY after Apply, else IDCANCEL.
INT_PTR RunManageCalibrationsDialog(HWND owner, ManageCalibrationsMemory& memory);

// Creates the calibration dialog for g_calibration.calibrating, hidden; null on failure.
HWND CreateCalibrationDialog(HWND owner);

// The toolbar's Calibrate button: the manage dialog over `owner` (the main window), then, when the
// user chose Calibrate, the calibration dialog with its line on the picture at 100 %.
void StartCalibration(HWND owner, ManageCalibrationsMemory& memory);
