// The GDI+ image encoders the program saves photos with.
#pragma once

#include <windows.h>

// Looked up once at start-up; all zero while the platform offers no encoder for the type.
extern CLSID g_jpegEncoderClsid;
extern CLSID g_bmpEncoderClsid;
extern CLSID g_pngEncoderClsid;

// Reads the installed encoders and keeps the JPEG, BMP and PNG ones. Returns 1 when the list was
// read (whether or not all three were found), 0 when there is no list. GDI+ must be started.
int LookupImageEncoders();
