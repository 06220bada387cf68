#include "measure/calibration_line.h"

#include <gtest/gtest.h>

#include <tuple>
#include <utility>

TEST(CalibrationLine, NewLineIsAThirdOfThePictureAtLeast300CentredAndTheDialogReadsIt) {
    CalibrationLine l = LayoutCalibrationLine({kCalibLineNew, 0, 0}, 640);
    // 640 / 3 = 213 is raised to 300.
    EXPECT_EQ(std::tuple(l.length, l.leftX, l.rightX), std::tuple(300, 170, 470));
    l = LayoutCalibrationLine({kCalibLineNew, 0, 0}, 1920);
    EXPECT_EQ(std::tuple(l.length, l.leftX, l.rightX), std::tuple(640, 640, 1280));
    // A line laid out already is kept as it is.
    const CalibrationLine dragged = {412, 100, 512};
    l = LayoutCalibrationLine(dragged, 1920);
    EXPECT_EQ(std::tuple(l.length, l.leftX, l.rightX), std::tuple(412, 100, 512));

    EXPECT_EQ(CalibrationLinePixels(kCalibLineNew, 30000), 4800); // never longer than asked
    EXPECT_EQ(CalibrationLinePixels(437, 640), 437);
    EXPECT_FALSE(CalibrationLineOn(0));
    EXPECT_TRUE(CalibrationLineOn(kCalibLineNew));
}

TEST(CalibrationLine, EndsKeepTwoHundredPixelsAndStayInsideThePicture) {
    CalibrationLine l = {300, 170, 470};
    EXPECT_FALSE(DragCalibrationLeftEnd(l, 0));
    EXPECT_TRUE(DragCalibrationLeftEnd(l, 100));
    EXPECT_EQ(std::pair(l.length, l.leftX), std::pair(200, 270));
    EXPECT_FALSE(DragCalibrationLeftEnd(l, 1)); // would be 199
    EXPECT_EQ(l.leftX, 270);
    EXPECT_FALSE(DragCalibrationLeftEnd(l, -270)); // x 0 is outside
    EXPECT_TRUE(DragCalibrationLeftEnd(l, -269));
    EXPECT_EQ(std::tuple(l.leftX, l.length, l.rightX), std::tuple(1, 469, 470));

    // The right end stops one pixel short of the right edge.
    l = {300, 170, 470};
    EXPECT_FALSE(DragCalibrationRightEnd(l, 170, 640));
    EXPECT_TRUE(DragCalibrationRightEnd(l, 169, 640));
    EXPECT_EQ(std::pair(l.rightX, l.length), std::pair(639, 469));
    EXPECT_FALSE(DragCalibrationRightEnd(l, -270, 640)); // 199
    EXPECT_TRUE(DragCalibrationRightEnd(l, -269, 640));
    EXPECT_EQ(std::tuple(l.length, l.rightX, l.leftX), std::tuple(200, 370, 170));
}

TEST(CalibrationLine, GrabBoxesAreFiveWideAndOneHundredTwentyHigh) {
    const CalibrationGrabBox box = CalibrationGrabBoxAt(170, 480);
    for (const auto& [x, y] : {std::pair{168, 180}, {171, 299}})
        EXPECT_TRUE(box.Contains(x, y)) << x << "," << y;
    // Right of the right edge (172), left of the left, above the top, below the bottom.
    for (const auto& [x, y] : {std::pair{172, 240}, {167, 240}, {170, 179}, {170, 300}})
        EXPECT_FALSE(box.Contains(x, y)) << x << "," << y;
}
