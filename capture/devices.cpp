#include "capture/devices.h"

int g_currentDevice = -1;
