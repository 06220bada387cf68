// The main window's commands whose work belongs to windows and subsystems that join the program
// later: photos, the record dialog, the calibration dialogs and the Options dialog. Until then the
// commands do nothing, as any command does when what it needs is not there.
#include "app/main_window.h"

void TakePhoto() {}

void ShowOptionsDialog() {}

void ShowRecordDialog() {}

void StartCalibration() {}
