// The two sample-grabber callbacks. They run on the graph's streaming threads and only post
// messages to, or invalidate, the window the capture graph notifies.
#pragma once

#include "capture/media_types.h"

// Every preview frame: the signal frame posts UM_ZOOM_STEP; any other frame of the negotiated size
// is copied into the frame ring, filtered, published, handed to the recorder hook, and the view
// is invalidated (no erase).
ISampleGrabberCB* PreviewFrameCallback();

// Every still image: posts UM_STILL_BUTTON. The image itself is not used.
ISampleGrabberCB* StillImageCallback();
