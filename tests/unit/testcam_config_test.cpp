// The virtual camera's configuration as text in the registry: what tests write is what the
// camera reads, and anything malformed is refused rather than half read.
#include "testcam/testcam_config.h"

#include <gtest/gtest.h>

TEST(TestCamFormats, RoundTripThroughText) {
    const std::vector<TestCamFormat> formats = {{kTestCamMjpg, 1280, 720, 30},
                                                {kTestCamYuy2, 320, 240, 15},
                                                {kTestCamRgb24, 640, 480, 5},
                                                {TestCamFourcc('N', 'V', '1', '2'), 8192, 1, 1000}};
    const std::wstring text = TestCam_FormatsToText(formats);
    EXPECT_EQ(text, L"MJPG 1280x720@30, YUY2 320x240@15, RGB24 640x480@5, NV12 8192x1@1000");
    std::vector<TestCamFormat> back;
    ASSERT_TRUE(TestCam_FormatsFromText(text, &back));
    EXPECT_EQ(back, formats);
    ASSERT_TRUE(TestCam_FormatsFromText(L"  MJPG   640x480@30 ,YUY2 640x480@15  ", &back));
    EXPECT_EQ(back.size(), 2u);
    ASSERT_TRUE(TestCam_FormatsFromText(L"", &back));
    EXPECT_TRUE(back.empty());
}

TEST(TestCamFormats, RefuseMalformedText) {
    std::vector<TestCamFormat> kept = {{kTestCamMjpg, 640, 480, 30}};
    for (const wchar_t* bad : {L"MJPG", L"MJPG 640x480", L"MJPG 640*480@30", L"MJP 640x480@30",
                               L"MJPEG 640x480@30", L"MJPG 0x480@30", L"MJPG 640x8193@30", L"MJPG 640x480@0",
                               L"MJPG 640x480@1001", L"MJPG -640x480@30", L"MJPG 640x480@30 YUY2 320x240@30",
                               L"MJPG 640x480@30,,", L"MJPG 99999999999x480@30", L"MJPG 640x480@30x"}) {
        std::vector<TestCamFormat> out = kept;
        EXPECT_FALSE(TestCam_FormatsFromText(bad, &out)) << bad;
        EXPECT_EQ(out, kept) << bad;
    }
}

TEST(TestCamProperties, RoundTripAndAbsence) {
    const TestCamProperty exposure = {true, -13, -1, 1, -6, 3, -7, 1};
    TestCamProperty back;
    ASSERT_TRUE(TestCam_PropertyFromText(TestCam_PropertyToText(exposure), &back));
    EXPECT_EQ(back, exposure);
    EXPECT_EQ(TestCam_PropertyToText(TestCamProperty{}), L"-");
    back = exposure;
    ASSERT_TRUE(TestCam_PropertyFromText(L" - ", &back));
    EXPECT_FALSE(back.present);
    for (const wchar_t* bad : {L"", L"1 2 3 4 5 6", L"1 2 3 4 5 6 7 8", L"-1x 2 3 4 5 6 7", L"--"})
        EXPECT_FALSE(TestCam_PropertyFromText(bad, &back)) << bad;
}

TEST(TestCamDefaults, DescribeAUsableMicroscope) {
    const TestCamConfig c;
    EXPECT_TRUE(TestCam_IsValidInstanceName(c.instanceName));
    // Capabilities of the same area at two rates, and sizes below 640x480.
    int sameArea = 0, small = 0;
    for (const TestCamFormat& a : c.formats) {
        small += a.width * a.height < 640 * 480;
        for (const TestCamFormat& b : c.formats)
            sameArea += &a != &b && a.fourcc == b.fourcc && a.width == b.width && a.height == b.height &&
                        a.fps != b.fps;
    }
    EXPECT_GT(sameArea, 0);
    EXPECT_GT(small, 0);
    // Every present control starts inside its range, in a mode it has.
    for (const TestCamProperty& p : c.procAmp) {
        if (!p.present)
            continue;
        EXPECT_LE(p.min, p.defaultValue);
        EXPECT_LE(p.defaultValue, p.max);
        EXPECT_TRUE(p.capsFlags & p.flags);
    }
    EXPECT_TRUE(c.cameraControl[4].present); // exposure
    EXPECT_TRUE(c.procAmp[kTestCamPowerLineFrequency].present);
}

TEST(TestCamInstanceNames, AreUsableAsRegistryKeys) {
    EXPECT_TRUE(TestCam_IsValidInstanceName(L"vid_1d6b&pid_0102&mi_00#demo#0"));
    EXPECT_FALSE(TestCam_IsValidInstanceName(L""));
    EXPECT_FALSE(TestCam_IsValidInstanceName(L"a\\b"));
    EXPECT_FALSE(TestCam_IsValidInstanceName(std::wstring(201, L'a')));
    EXPECT_FALSE(TestCam_IsValidInstanceName(std::wstring(L"a\nb")));
}
