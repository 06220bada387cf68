// The camera view's side of measuring: its mouse, key and measurement commands handed to the shape
// editor, the overlay drawn into its back buffer, deleting shapes from the main window.
#pragma once

#include "view/camera_view.h"

#include <windows.h>

// Mouse and keys (client pixels, the message's key flags).
void MeasureMouseDown(CameraViewState* v, int x, int y);
void MeasureMouseMove(CameraViewState* v, WPARAM keys, int x, int y);
void MeasureMouseUp(CameraViewState* v);
void MeasureDeleteSelected(CameraViewState* v); // Delete or Backspace

// View commands 8002 (tool) and 8005 (text note: NoteCommand).
void MeasureSelectTool(CameraViewState* v, int tool);
void MeasureTextCommand(CameraViewState* v, NoteCommand command);

// The overlay onto the back buffer, at 100 % without digital zoom only.
void DrawMeasureOverlay(CameraViewState* v);

// Main-window commands 3028 (delete last) and 3029 (delete all).
void DeleteViewShapes(HWND view, bool all);
