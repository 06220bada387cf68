// The attached cameras and which one is open.
#pragma once

// Index of the open camera in the device list, -1 while none is open.
extern int g_currentDevice;
