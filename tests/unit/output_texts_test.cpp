#include "base/string_table.h"
#include "output/output_names.h"
#include "output/record_clock.h"
#include "output/video_encoding.h"

#include <gtest/gtest.h>

#include <limits>
#include <utility>

namespace {

const LocalTime kShot = {2024, 1, 31, 9, 45, 2, 7};

TEST(OutputNames, NamesFromTheLocalTimeInAFullShortFolderFreeOfSemicolons) {
    EXPECT_EQ(MakePhotoName(L"C:\\Shots", kShot, 0), L"C:\\Shots\\20240131-094502.jpg");
    EXPECT_EQ(MakePhotoName(L"C:\\Shots", kShot, 1), L"C:\\Shots\\20240131-094502.png");
    EXPECT_EQ(MakePhotoName(L"C:\\Shots", kShot, 7), L"C:\\Shots\\20240131-094502.png"); // any non-zero
    EXPECT_EQ(MakeVideoName(L"C:\\Shots", kShot), L"C:\\Shots\\20240131-094502-007.mp4");

    // Same second, same photo name (the caller's duplicate check relies on it); videos differ.
    LocalTime laterInSecond = kShot;
    laterInSecond.milliseconds = 950;
    EXPECT_EQ(MakePhotoName(L"x", laterInSecond, 0), MakePhotoName(L"x", kShot, 0));
    EXPECT_NE(MakeVideoName(L"x", laterInSecond), MakeVideoName(L"x", kShot));

    const std::wstring folder = L"C:\\Users\\\u5f20\u4f1f\\" + std::wstring(230, L'a');
    const std::wstring name = MakePhotoName(folder, kShot, 1);
    EXPECT_EQ(name, folder + L"\\20240131-094502.png");

    EXPECT_TRUE(IsJpegPhotoPath(L"C:\\a\\20240131-094502.jpg"));
    EXPECT_FALSE(IsJpegPhotoPath(L"C:\\a\\20240131-094502.png"));
    EXPECT_FALSE(IsJpegPhotoPath(L"C:\\a\\b.JPG"));
    EXPECT_FALSE(IsJpegPhotoPath(L"jp"));
    EXPECT_TRUE(IsJpegPhotoPath(L"jpg"));

    const LocalTime latest{2099, 12, 31, 23, 59, 59, 999};
    const struct {
        std::wstring folder;
        bool usable;
    } cases[] = {
        {L"C:\\Pictures", true},
        {L"d:\\", true},
        {L"\\\\server\\share\\scans", true},
        {L"C:\\" + std::wstring(232, L'f'), true}, // the longest that still holds every name
        {L"C:\\" + std::wstring(233, L'f'), false},
        {L"", false},           // photos would land at the drive root
        {L"Pictures", false},   // relative to whatever the current folder is
        {L"\\Pictures", false}, // the root of the current drive
        {L"C:Pictures", false},
        {L"\\\\\\x", false},
        {L"C:\\a;b", false}, // would split its files' entries in the stored list
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "folder of " << c.folder.size() << " characters");
        EXPECT_EQ(IsUsableSaveFolder(c.folder), c.usable);
        if (c.usable) {
            EXPECT_LE(MakeVideoName(c.folder, latest).size(), 259u);
            EXPECT_LE(MakePhotoName(c.folder, latest, 1).size(), 259u);
        }
    }
}

TEST(RecordClock, TextsTimeLimitListAndStoredValues) {
    EXPECT_EQ(ClockText(599), L"59.9");
    EXPECT_EQ(ClockText(600), L"1:00.0");
    EXPECT_EQ(ClockText(37003), L"61:40.3");
    EXPECT_EQ(ClockText(-5), L"0.0");

    SelectLanguage(0);
    // "No limit" first, then ascending up to the eight hours the settings keep, each with its text.
    ASSERT_EQ(kTimeLimits.size(), 11u);
    EXPECT_EQ(std::pair(kTimeLimits[0].seconds, kTimeLimits.back().seconds), std::pair(0, 28800));
    for (size_t i = 0; i < kTimeLimits.size(); ++i) {
        EXPECT_FALSE(GetText(kTimeLimits[i].key).empty()) << i;
        EXPECT_TRUE(i == 0 || kTimeLimits[i].seconds > kTimeLimits[i - 1].seconds) << i;
    }

    EXPECT_EQ(TimeLimitIndex(45), 0);   // not in the list: "No limit", and starting stores 0
    EXPECT_EQ(TimeLimitSeconds(-1), 0); // no selection
    EXPECT_EQ(TimeLimitSeconds(11), 0);
    for (size_t i = 0; i < kTimeLimits.size(); ++i)
        EXPECT_EQ(TimeLimitIndex(TimeLimitSeconds(static_cast<int>(i))), static_cast<int>(i));

    EXPECT_FALSE(TimeLimitReached(99, 10));
    EXPECT_TRUE(TimeLimitReached(100, 10));
    EXPECT_FALSE(TimeLimitReached(1000000, 0));
}

TEST(VideoEncoding, BitRateFrameRateAndAQueueOfAboutOneSecond) {
    EXPECT_EQ(AverageBitRate(1279), 2000000u);
    EXPECT_EQ(AverageBitRate(1280), 4000000u);
    EXPECT_EQ(AverageBitRate(1920), 8000000u);
    EXPECT_EQ(AverageBitRate(2048), 10000000u);

    EXPECT_DOUBLE_EQ(RecordingFrameRate(5.0), 5.0);
    EXPECT_DOUBLE_EQ(RecordingFrameRate(4.99), 5.0);
    EXPECT_DOUBLE_EQ(RecordingFrameRate(29.97), 29.97);
    EXPECT_DOUBLE_EQ(RecordingFrameRate(1e9), 1000.0);
    EXPECT_DOUBLE_EQ(RecordingFrameRate(std::numeric_limits<double>::quiet_NaN()), 30.0);
    EXPECT_EQ(FrameRateNumerator(29.97), 29970u);
    EXPECT_EQ(FrameRateNumerator(2.0), 5000u);

    const size_t vga = 640 * 480 * 3;
    EXPECT_EQ(QueueCapacity(vga, 29.97), 30u);
    EXPECT_EQ(QueueCapacity(vga, 1.0), 5u); // the rate a recording takes at the least
    const size_t big = 2592 * 1944 * 3;     // 15.1 MB: 17 of them fit in 256 MiB
    EXPECT_EQ(QueueCapacity(big, 30.0), 17u);
    EXPECT_EQ(QueueCapacity(size_t{300} << 20, 30.0), 1u); // larger than the bound: still one
    EXPECT_EQ(QueueCapacity(vga, 30.0, vga * 4), 4u);
}

} // namespace
