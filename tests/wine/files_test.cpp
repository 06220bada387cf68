// The image viewer and the Files section in-process under Wine: real GDI+ decoding, GDI drawing,
// the list box, the registry's file associations and the shell.
#include "output/output_messages.h"
#include "base/app_settings.h"
#include "output/image_encoders.h"
#include "base/string_table.h"
#include "app/window_classes.h"
#include "panels/files_layout.h"
#include "panels/files_section.h"
#include "output/video_preview_picture.h"
#include "panels/image_viewer.h"
#include "output/recent_files.h"
#include "output/settings_store.h"

#include "base/gdi_holders.h"
#include "base/win32_window.h"
#include "tests/support/canvas.h"
#include "tests/support/file_bytes.h"
#include "tests/support/message_pump.h"
#include "tests/support/recording_host.h"
#include "tests/support/win32_support.h"

#include <gdiplus.h>
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

namespace {

class Environment : public testing::Environment {
public:
    void SetUp() override {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        ASSERT_TRUE(gdiplus_.Ok());
        ASSERT_EQ(LookupImageEncoders(), 1);
        ASSERT_EQ(RegisterWindowClasses(GetModuleHandleW(nullptr)), 11);
        SelectLanguage(0);
    }
    void TearDown() override { CoUninitialize(); }

private:
    GdiplusSession gdiplus_;
};
[[maybe_unused]] testing::Environment* const g_environment =
    testing::AddGlobalTestEnvironment(new Environment);

std::wstring TempPath(const std::wstring& name) {
    static const std::wstring folder = TempFolder(L"vantix-files-" + std::to_wstring(GetCurrentProcessId()));
    return folder + L"\\" + name;
}

// Quadrant colours of the test pictures.
constexpr COLORREF kTopLeft = RGB(255, 0, 0);
constexpr COLORREF kTopRight = RGB(0, 160, 0);
constexpr COLORREF kBottomLeft = RGB(0, 0, 255);
constexpr COLORREF kBottomRight = RGB(250, 250, 0);

// Saves a picture of four coloured quadrants with the given encoder.
void SavePicture(const std::wstring& path, int width, int height, const CLSID& encoder) {
    Gdiplus::Bitmap bitmap(width, height, PixelFormat24bppRGB);
    {
        Gdiplus::Graphics graphics(&bitmap);
        const COLORREF colours[] = {kTopLeft, kTopRight, kBottomLeft, kBottomRight};
        for (int i = 0; i < 4; ++i) {
            Gdiplus::SolidBrush brush(
                Gdiplus::Color(GetRValue(colours[i]), GetGValue(colours[i]), GetBValue(colours[i])));
            graphics.FillRectangle(&brush, i % 2 ? width / 2 : 0, i / 2 ? height / 2 : 0, width - width / 2,
                                   height - height / 2);
        }
    }
    ASSERT_EQ(bitmap.Save(path.c_str(), &encoder, nullptr), Gdiplus::Ok);
}

const ImageViewState* ViewData(HWND viewer) {
    return WindowRecord<ImageViewState>(viewer);
}

void Load(HWND viewer, const std::wstring& path) {
    SendMessageW(viewer, WM_COMMAND, MAKEWPARAM(kImageLoadCommand, 0),
                 reinterpret_cast<LPARAM>(path.c_str()));
}

// The picture's size, its displayed size and the scroll offsets: "1280x960 as 320x240 from 42,31".
std::string Holds(const ImageViewState* v) {
    return std::to_string(v->imageWidth) + "x" + std::to_string(v->imageHeight) + " as " +
           std::to_string(v->displayWidth) + "x" + std::to_string(v->displayHeight) + " from " +
           std::to_string(v->scrollX) + "," + std::to_string(v->scrollY);
}

// The colours the viewer paints at these points.
std::vector<COLORREF> PaintedAt(HWND viewer, std::initializer_list<POINT> points) {
    const Painted painted(viewer);
    std::vector<COLORREF> colours;
    for (POINT p : points)
        colours.push_back(painted.At(p.x, p.y));
    return colours;
}

bool IsEmpty(HWND viewer) {
    const ImageViewState* v = ViewData(viewer);
    return v->pixels.empty() && v->imageWidth == 0 && v->imageHeight == 0 && v->displayWidth == 0;
}

// Every pixel of the window is the viewer's background.
::testing::AssertionResult ShowsOnlyBackground(HWND viewer) {
    const SIZE client = ClientSize(viewer);
    const Painted painted(viewer);
    for (int y = 0; y < client.cy; y += 7) {
        for (int x = 0; x < client.cx; x += 7) {
            const COLORREF c = painted.At(x, y);
            if (c != kImageBackground)
                return ::testing::AssertionFailure() << "pixel " << x << "," << y << " is " << std::hex << c;
        }
    }
    return ::testing::AssertionSuccess();
}

class FilesSectionTest : public testing::Test {
protected:
    void SetUp() override {
        recent_.paths.clear();
        g_settings = AppSettings();
        SelectLanguage(0);
        static int round = 0;
        folder_ = TempPath(L"saved-" + std::to_wstring(++round));
        CreateDirectoryW(folder_.c_str(), nullptr);
        parent_ = CreateRecordingHost(600, 800);
        ASSERT_NE(parent_, nullptr);
    }
    void TearDown() override {
        DestroyWindow(parent_);
        recent_.paths.clear();
    }

    std::wstring Saved(const std::wstring& name) const { return folder_ + L"\\" + name; }

    HWND CreateSection() {
        FilesSectionCreation creation = {252, &recent_};
        section_ = CreateWindowExW(
            0, kCtrlPanelFilesWndClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0,
            0, 0, parent_, reinterpret_cast<HMENU>(INT_PTR{102}), GetModuleHandleW(nullptr), &creation);
        list_ = GetDlgItem(section_, kFilesListId);
        preview_ = GetDlgItem(section_, kFilesPreviewId);
        return section_;
    }

    int ListCount() const { return static_cast<int>(SendMessageW(list_, LB_GETCOUNT, 0, 0)); }

    // As the list box reports a click or a double click on item `index`.
    void Choose(int index, int code) {
        SendMessageW(list_, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
        SendMessageW(section_, WM_COMMAND, MAKEWPARAM(kFilesListId, code), reinterpret_cast<LPARAM>(list_));
    }

    std::wstring folder_;
    HWND parent_ = nullptr;
    HWND section_ = nullptr;
    HWND list_ = nullptr;
    HWND preview_ = nullptr;
    RecentFiles recent_;
};

// The Files section's preview (at a quarter), with nothing listed.
class ImageViewerTest : public FilesSectionTest {
protected:
    void SetUp() override {
        FilesSectionTest::SetUp();
        ASSERT_NE(CreateSection(), nullptr);
    }
};

TEST_F(ImageViewerTest, LargePhotoAtQuarterSizeIsCentredAndDraggable) {
    const std::wstring photo = TempPath(L"20240131-094502.png");
    SavePicture(photo, 1280, 960, g_pngEncoderClsid);
    Load(preview_, photo);

    const ImageViewState* v = ViewData(preview_);
    EXPECT_EQ(Holds(v), "1280x960 as 320x240 from 42,31");
    // The window shows the middle 236 x 177 of the 320 x 240 picture: all four quadrants.
    EXPECT_EQ(PaintedAt(preview_, {{60, 40}, {180, 40}, {60, 140}, {180, 140}, {0, 0}, {235, 176}}),
              (std::vector{kTopLeft, kTopRight, kBottomLeft, kBottomRight, kTopLeft, kBottomRight}));

    // Dragging right by 30 shows more of the left side; the button up ends the drag.
    SendMessageW(preview_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 100));
    SendMessageW(preview_, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(130, 100));
    EXPECT_EQ(Holds(v), "1280x960 as 320x240 from 12,31");
    SendMessageW(preview_, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(230, 40)); // past the edge
    EXPECT_EQ(Holds(v), "1280x960 as 320x240 from 0,63");
    SendMessageW(preview_, WM_LBUTTONUP, 0, MAKELPARAM(230, 40));
    EXPECT_EQ(GetFocus(), preview_); // the press took the focus, and the arrow keys come to it
    EXPECT_EQ(SendMessageW(preview_, WM_GETDLGCODE, 0, 0), DLGC_WANTARROWS);
    SendMessageW(preview_, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(0, 0));
    EXPECT_EQ(Holds(v), "1280x960 as 320x240 from 0,63");

    // A larger window keeps the offset within the picture.
    SetWindowPos(preview_, nullptr, 0, 0, 301, 201, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(Holds(v), "1280x960 as 320x240 from 0,39");

    // A smaller zoom: the offset follows the smaller picture, centred in the window (the last
    // point is the odd pixel beyond the right band).
    SendMessageW(preview_, WM_COMMAND, MAKEWPARAM(kImageZoomCommand, 0), 15);
    EXPECT_EQ(Holds(v), "1280x960 as 192x144 from 0,0");
    EXPECT_EQ(
        PaintedAt(preview_, {{54 + 5, 28 + 5}, {54 + 186, 28 + 138}, {53, 100}, {54 + 192, 100}, {300, 200}}),
        (std::vector{kTopLeft, kBottomRight, kImageBackground, kImageBackground, kImageBackground}));
}

TEST_F(ImageViewerTest, VideoShowsItsPictureWithThePlayMark) {
    const std::wstring video = TempPath(L"20240131-094502-007.mp4");
    ASSERT_TRUE(WriteBytes(video, {0, 0, 0, 24, 'f', 't', 'y', 'p'}));
    SavePicture(TempPath(L"20240131-094502-007.jpg"), 640, 480, g_jpegEncoderClsid);
    Load(preview_, video);
    ASSERT_EQ(ViewData(preview_)->displayWidth, 160);
    // Inside the triangle, its white outline, and the picture.
    const std::vector<COLORREF> at = PaintedAt(preview_, {{38 + 76, 28 + 60}, {38 + 73, 28 + 50}, {58, 48}});
    EXPECT_EQ(std::vector(at.begin(), at.begin() + 2), (std::vector{kImagePlayFill, RGB(255, 255, 255)}));
    EXPECT_TRUE(Near(at[2], kTopLeft, 24));

    // Only "mp4" in lower case stands for a video: the file itself is tried, and is no picture.
    Load(preview_, TempPath(L"20240131-094502-007.MP4"));
    EXPECT_TRUE(IsEmpty(preview_));

    // A video without its picture leaves the window empty.
    const std::wstring lonely = TempPath(L"20240131-100000-001.mp4");
    ASSERT_TRUE(WriteBytes(lonely, {0, 0, 0, 24, 'f', 't', 'y', 'p'}));
    Load(preview_, lonely);
    EXPECT_TRUE(IsEmpty(preview_));
    EXPECT_TRUE(ShowsOnlyBackground(preview_));
}

// A well-formed PNG whose header claims 30000 x 30000 pixels (2.7 GB at 24 bits) over an empty
// picture stream.
constexpr char kHugePng[] =
    "\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\x75\x30\0\0\x75\x30\x08\x02\0\0\0\xe9\x45\x6f\xed"
    "\0\0\0\x08IDAT\x78\x9c\x03\0\0\0\0\x01\x48\x06\x89\xd2\0\0\0\0IEND\xae\x42\x60\x82";

// One file for each way a load fails: a name too short, a file that is not there, one the decoder
// refuses, and a picture too large to hold (what each format's header claims: unit tests).
TEST_F(ImageViewerTest, WhatCannotBeShownLeavesTheWindowEmpty) {
    const std::wstring good = TempPath(L"good.png");
    SavePicture(good, 320, 240, g_pngEncoderClsid);
    ASSERT_TRUE(WriteBytes(TempPath(L"text.jpg"), {'h', 'e', 'l', 'l', 'o'}));
    ASSERT_TRUE(WriteBytes(TempPath(L"huge.png"), {kHugePng, kHugePng + sizeof kHugePng - 1}));
    for (const std::wstring& path :
         {TempPath(L"missing.jpg"), std::wstring(L"a.j"), TempPath(L"text.jpg"), TempPath(L"huge.png")}) {
        SCOPED_TRACE(testing::Message() << path.size() << " characters");
        Load(preview_, good);
        ASSERT_FALSE(IsEmpty(preview_));
        const DWORD start = GetTickCount();
        Load(preview_, path);
        EXPECT_LT(GetTickCount() - start, 2000u); // a huge picture is turned away, not decoded
        EXPECT_TRUE(IsEmpty(preview_));
        EXPECT_TRUE(ShowsOnlyBackground(preview_));
    }
    Load(preview_, good);
    SendMessageW(preview_, WM_COMMAND, MAKEWPARAM(kImageLoadCommand, 0), 0); // no path at all
    EXPECT_TRUE(IsEmpty(preview_));
}

} // namespace

// How the stored text is read (overlong entries, a text cut short) is the unit tests'; here the
// files on disk decide.
TEST_F(FilesSectionTest, ListsTheStoredFilesThatStillExistSortedByPath) {
    for (const wchar_t* kept : {L"20240131-094510.jpg", L"20240131-094530-123.mp4", L"20240131-094550.jpg",
                                L"20240131-094530-123.jpg", L"20240131-094545-001.jpg"})
        ASSERT_TRUE(WriteBytes(Saved(kept), {1, 2, 3}));
    // Newest first as saved. A video deleted meanwhile leaves its preview picture, which goes at
    // start; the one beside a video still there stays.
    for (const wchar_t* name : {L"20240131-094545-001.mp4", L"20240131-094550.jpg", L"20240131-094540.jpg",
                                L"20240131-094530-123.mp4", L"20240131-094520.png", L"20240131-094510.jpg"})
        g_settings.latestFilesText += Saved(name) + L";";

    ASSERT_NE(CreateSection(), nullptr);
    const std::vector<std::wstring> expected = {
        Saved(L"20240131-094510.jpg"), Saved(L"20240131-094530-123.mp4"), Saved(L"20240131-094550.jpg")};
    EXPECT_EQ(recent_.paths, expected);
    EXPECT_FALSE(FileExists(Saved(L"20240131-094545-001.jpg")));
    EXPECT_TRUE(FileExists(Saved(L"20240131-094530-123.jpg")));

    // A new photo adds one item at the end, however often the message comes.
    ASSERT_TRUE(WriteBytes(Saved(L"20240131-094600.jpg"), {1}));
    AddRecentFile(recent_, Saved(L"20240131-094600.jpg"));
    SendMessageW(section_, UM_RECENT_FILE_ADDED, 3, 0);
    EXPECT_EQ(ListCount(), 4);
    SendMessageW(section_, UM_RECENT_FILE_ADDED, 3, 0);
    EXPECT_EQ(ListCount(), 4);
    EXPECT_EQ(SendMessageW(list_, LB_GETCURSEL, 0, 0), LB_ERR); // nothing selected by it
}

TEST_F(FilesSectionTest, SelectingPreviewsAtAQuarter) {
    const std::wstring photo = Saved(L"20240131-094502.png");
    SavePicture(photo, 1280, 960, g_pngEncoderClsid);
    g_settings.latestFilesText = photo + L";";
    ASSERT_NE(CreateSection(), nullptr);
    ASSERT_EQ(ListCount(), 1);
    const ImageViewState* v = ViewData(preview_);
    Choose(0, LBN_SELCHANGE);
    EXPECT_EQ(Holds(v), "1280x960 as 320x240 from 42,31");
    Choose(-1, LBN_SELCHANGE);
    EXPECT_TRUE(IsEmpty(preview_));

    // An item the recent-files list does not have (beyond its end) previews nothing.
    Choose(0, LBN_SELCHANGE);
    SendMessageW(list_, LB_ADDSTRING, 0, 99);
    Choose(1, LBN_SELCHANGE);
    EXPECT_TRUE(IsEmpty(preview_));

    // Deleted while listed: a double click takes the entry away and asks the shell nothing.
    SendMessageW(list_, LB_DELETESTRING, 1, 0);
    ASSERT_TRUE(DeleteFileW(photo.c_str()));
    Choose(0, LBN_DBLCLK);
    EXPECT_EQ(ListCount(), 0);
    EXPECT_TRUE(recent_.paths.empty());
    EXPECT_TRUE(IsEmpty(preview_));
}

TEST_F(FilesSectionTest, RecordingLeavesAPreviewPictureBesideTheVideo) {
    // A 33 x 20 frame as the capture ring holds it: bottom row first, packed rows; the lower half
    // of the picture blue, the upper half red.
    const int width = 33;
    const int height = 20;
    std::vector<uint8_t> frame(static_cast<size_t>(width) * 3 * height, 0);
    for (size_t i = 0; i < frame.size(); i += 3)
        frame[i < frame.size() / 2 ? i : i + 2] = 255; // blue bytes in the rows first in memory, then red
    const std::wstring video = Saved(L"20240131-094502-007.mp4");
    ASSERT_TRUE(WriteBytes(video, {0, 0, 0, 24, 'f', 't', 'y', 'p'}));
    ASSERT_TRUE(SaveVideoPreviewPicture(video, frame.data(), width, height));
    const std::wstring picture = Saved(L"20240131-094502-007.jpg");

    // An existing picture is kept; names without "mp4" and empty frames are refused.
    const std::vector<unsigned char> first = ReadBytes(picture);
    std::vector<uint8_t> other(frame.size(), 128);
    EXPECT_FALSE(SaveVideoPreviewPicture(video, other.data(), width, height));
    EXPECT_EQ(ReadBytes(picture), first);
    EXPECT_FALSE(SaveVideoPreviewPicture(Saved(L"clip.MP4"), frame.data(), width, height));
    EXPECT_FALSE(FileExists(Saved(L"clip.jpg")));
    EXPECT_FALSE(SaveVideoPreviewPicture(Saved(L"empty.mp4"), nullptr, width, height));
    EXPECT_FALSE(SaveVideoPreviewPicture(Saved(L"empty.mp4"), frame.data(), 0, height));
    EXPECT_FALSE(FileExists(Saved(L"empty.jpg")));

    // The Files section previews the video through it: the upper half red, the lower blue.
    g_settings.latestFilesText = video + L";";
    ASSERT_NE(CreateSection(), nullptr);
    Choose(0, LBN_SELCHANGE);
    const ImageViewState* v = ViewData(preview_);
    ASSERT_EQ(Holds(v), "33x20 as 8x5 from 0,0");
    const auto at = [v](int x, int y) { // the viewer holds the picture bottom row first
        const BYTE* p = &v->pixels[(v->pixels.size() / 20) * (19 - y) + 3 * x];
        return RGB(p[2], p[1], p[0]);
    };
    EXPECT_TRUE(Near(at(16, 2), RGB(255, 0, 0), 40));
    EXPECT_TRUE(Near(at(16, 17), RGB(0, 0, 255), 40));
}
