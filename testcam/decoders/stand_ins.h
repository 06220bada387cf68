// The two stand-ins for the system's decoders, under the system's own class ids, and what the
// DLL exports to tests that load it into their process.
#pragma once

#include <windows.h>

#include <unknwn.h>

HRESULT CreateMjpegDecoder(REFIID iid, void** out);    // CLSID_MjpegDec: MJPG -> RGB24
HRESULT CreateColourConverter(REFIID iid, void** out); // CLSID_Colour: YUY2 -> RGB24

// Exported (see decoders.def).
extern "C" LONG WINAPI TestDecoders_LiveFilters();
extern "C" void WINAPI TestDecoders_RefuseConnections(BOOL refuse);
