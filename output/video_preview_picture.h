// The picture the Files section previews a recording through.
#pragma once

#include <cstdint>
#include <string>

// The preview picture of a recording, for the recorder to call when a recording ends: saves the
// frame as a JPEG beside the video under the video's name with "jpg" in place of "mp4", which is
// where the Files section looks for it. `pixels` holds the frame as the capture ring does: 24-bit
// blue-green-red, rows of width * 3 bytes without gaps, bottom row first. Does nothing and returns
// false when the path does not end in "mp4", the picture exists already, the frame is empty or the
// save fails. Needs GDI+ started and the encoders looked up; any thread.
bool SaveVideoPreviewPicture(const std::wstring& videoPath, const uint8_t* pixels, int width, int height);
