// The DLL's count of live objects and server locks, for DllCanUnloadNow.
#pragma once

void DllObjects_Add();
void DllObjects_Remove();
void DllObjects_Lock(bool lock);
bool DllObjects_CanUnload();
