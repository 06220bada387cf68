// Which video-input devices the program lists: USB cameras by their device path, apart from
// cameras built into the machine.
#pragma once

#include <cstddef>
#include <string>

// Paths this long or longer (in UTF-16 units) are not parsed; such a device is not listed.
inline constexpr size_t kDevicePathLimit = 512;

// Cuts the vendor and product id texts out of a device path such as
// "...\vid_1d6b&pid_0102&mi_00#demo#0": the vendor text follows "vid_" up to the next "&", the
// product text starts five units behind that "&" and runs to the next "&", and two "#" must
// follow. The searches are case-sensitive. On failure the texts are left as they were.
bool ParseUsbIds(const std::wstring& devicePath, std::wstring& vendorText, std::wstring& productText);

// Cameras built into the machine carry these words in their names and are not offered; an empty
// name is not offered either. Case-sensitive.
bool IsSkippedCameraName(const std::wstring& friendlyName);
