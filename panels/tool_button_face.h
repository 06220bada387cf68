// How a tool button looks and reacts to the mouse, apart from the window that shows it: where the
// image sits on the face, how strong the green wash is, what counts as "over the button", and
// what each mouse message does to the hover and pressed states.
#pragma once

#include <cstdint>

inline constexpr int kTipTextCapacity = 64; // 63 characters and the terminator

inline constexpr int kWashAlphaChecked = 96;
inline constexpr int kWashAlphaHover = 144;
inline constexpr int kWashAlphaPressed = 180;

struct FacePoint {
    int x;
    int y;
};

// Top-left of the image, centred on the face with integer halves: (6, 6) for 40 x 40 on 52 x 52.
FacePoint ToolImageOrigin(int faceWidth, int faceHeight, int imageSize = 40);

struct ToolStrip;

// The strip for a window's DPI: the largest whose images are no larger than the 40-pixel image
// scaled to that DPI, so images are drawn pixel for pixel and never stretched.
const ToolStrip& ToolStripForDpi(int dpi);

// Where the button at `index` of the row goes and which image it shows at a window's DPI.
struct ToolButtonPlace {
    int x = 0;
    int size = 0; // the face is size x size at y = 0
    int stripId = 0;
    int imageX = 0; // left edge of its image in that strip
    int imageSize = 0;
};
ToolButtonPlace PlaceToolButton(int index, int dpi);

// Alpha of the wash blended over the face; only the strongest state counts (pressed over hover
// over checked). 0 means no wash at all.
int ToolWashAlpha(bool hover, bool pressed, bool checked);

// Whether a client point of a mouse message is over a face of the given size. The coordinates are
// the message's unsigned 16-bit words, so points left of or above the button (negative while the
// button holds the capture) come out large and outside. Column 0 and row 0 count as outside.
bool IsOverToolButton(std::uint16_t x, std::uint16_t y, int width, int height);

struct ToolButtonMouse {
    bool hover = false;
    bool pressed = false;
};

// What the window has to do after a mouse message.
struct ToolButtonMouseEffect {
    bool takeCapture = false;
    bool releaseCapture = false;
    bool repaint = false;
    bool click = false; // post the button's command to the parent
};

// The button follows the pointer with the mouse capture instead of leave notifications: it takes
// the capture when the pointer enters and lets it go when the pointer leaves, except while pressed.
ToolButtonMouseEffect ToolButtonMouseMove(ToolButtonMouse& state, bool inside, bool hasCapture);
ToolButtonMouseEffect ToolButtonLeftDown(ToolButtonMouse& state, bool inside, bool hasCapture);
// A click is a release over the button after a press on it. The capture stays after such a click
// so that the next move out of the button is seen and clears the hover.
ToolButtonMouseEffect ToolButtonLeftUp(ToolButtonMouse& state, bool inside, bool hasCapture);
// Someone cancelled the mouse mode (a dialog or another window came up): forget hover and press.
ToolButtonMouseEffect ToolButtonCancelMode(ToolButtonMouse& state, bool hasCapture);

// Copies a tip text into a button's fixed buffer, cut to 63 characters; null gives an empty tip.
void CopyTipText(wchar_t (&tip)[kTipTextCapacity], const wchar_t* text);
