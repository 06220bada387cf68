// The calibration line: a horizontal line across the middle of the picture whose two end bars the
// user drags onto ruler marks while a calibration is taken. The view's `calibLineLength` says
// whether it is shown and how long it is:
//   0                     off (the shapes show);
//   kCalibLineNew (4800)  on, not laid out yet: the next layout makes it a third of the picture
//                         wide, at least 300 pixels, centred;
//   anything else         on, that many content pixels long (never below kCalibLineMinLength).
// Pure code (no windows.h); everything here is inline so the dialogs and the view share it as is.
#pragma once

#include <algorithm>

inline constexpr int kCalibLineNew = 4800;       // value that turns the line on
inline constexpr int kCalibLineNewAbove = 2000;  // lengths above this still need their layout
inline constexpr int kCalibLineMinNew = 300;     // shortest new line
inline constexpr int kCalibLineMinLength = 200;  // the user cannot drag it shorter
inline constexpr int kCalibBarHalfHeight = 60;   // end bars from H/2 - 60 to H/2 + 60
inline constexpr int kCalibGrabHalfWidth = 2;    // grab box: x - 2 .. x + 2, right edge outside

// The line's place in content pixels; it lies at y = contentHeight / 2.
struct CalibrationLine {
    int length = 0; // the view's calibLineLength
    int leftX = 0;
    int rightX = 0;
};

inline bool CalibrationLineOn(int calibLineLength) {
    return calibLineLength != 0;
}

// The length in content pixels that the line has, or gets at its layout, in a picture
// `contentWidth` wide. The calibration dialog reads this on OK (the view may not have painted the
// new line yet).
inline int CalibrationLinePixels(int calibLineLength, int contentWidth) {
    if (calibLineLength > kCalibLineNewAbove)
        return std::max(std::min(calibLineLength, contentWidth / 3), kCalibLineMinNew);
    return calibLineLength;
}

// Lays a new line out (a length above kCalibLineNewAbove); a line already laid out is returned
// unchanged. 640 wide: 300 pixels from 170 to 470; 1920 wide: 640 pixels from 640 to 1280.
inline CalibrationLine LayoutCalibrationLine(CalibrationLine line, int contentWidth) {
    if (line.length > kCalibLineNewAbove) {
        line.length = CalibrationLinePixels(line.length, contentWidth);
        line.leftX = (contentWidth - line.length) / 2;
        line.rightX = line.leftX + line.length;
    }
    return line;
}

// Grab box of the end bar at x (left/top inside, right/bottom outside).
struct CalibrationGrabBox {
    int left = 0, top = 0, right = 0, bottom = 0;
    bool Contains(int px, int py) const { return px >= left && px < right && py >= top && py < bottom; }
};
inline CalibrationGrabBox CalibrationGrabBoxAt(int x, int contentHeight) {
    const int mid = contentHeight / 2;
    return {x - kCalibGrabHalfWidth, mid - kCalibBarHalfHeight, x + kCalibGrabHalfWidth,
            mid + kCalibBarHalfHeight};
}

// Moving the left end by dx: refused (false, line unchanged) for no movement, when the end would
// reach x < 1, or when the line would get shorter than kCalibLineMinLength.
inline bool DragCalibrationLeftEnd(CalibrationLine& line, int dx) {
    if (dx == 0 || line.leftX + dx < 1 || line.length - dx < kCalibLineMinLength)
        return false;
    line.leftX += dx;
    line.length -= dx;
    return true;
}

// Moving the right end by dx: refused for no movement, when the end would reach the picture's
// right edge (x >= contentWidth), or when the line would get shorter than kCalibLineMinLength.
inline bool DragCalibrationRightEnd(CalibrationLine& line, int dx, int contentWidth) {
    if (dx == 0 || line.rightX + dx >= contentWidth || line.length + dx < kCalibLineMinLength)
        return false;
    line.rightX += dx;
    line.length += dx;
    return true;
}
