// Where a camera's configuration and record live: HKCU\Software\VantixTestCam\<instance>.
// The key's values hold the configuration (written by the tests); its "State" subkey holds what
// the filters changed (control values, the Set-call record).
#pragma once

#include <string>
#include <vector>

#include "testcam/testcam_control.h"

bool CameraRegistry_WriteConfig(const TestCamConfig& config);
// False when the camera has no key; `config` then keeps what it held.
bool CameraRegistry_ReadConfig(const std::wstring& instanceName, TestCamConfig* config);
bool CameraRegistry_DeleteCamera(const std::wstring& instanceName);
void CameraRegistry_ClearState(const std::wstring& instanceName);

// A control's state as the filters last left it; false when no Set changed it yet.
bool CameraRegistry_ReadControl(const std::wstring& instanceName, TestCamInterface iface, long property,
                                TestCamProperty* out);
void CameraRegistry_WriteControl(const std::wstring& instanceName, TestCamInterface iface, long property,
                                 const TestCamProperty& value);

void CameraRegistry_AppendSetCall(const std::wstring& instanceName, const TestCamSetCall& call);
std::vector<TestCamSetCall> CameraRegistry_ReadSetCalls(const std::wstring& instanceName);
void CameraRegistry_ClearSetCalls(const std::wstring& instanceName);
