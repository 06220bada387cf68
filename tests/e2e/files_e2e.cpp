// The Files section of the real program with the virtual camera: the saved photos and videos it
// lists at start and after a photo, the preview of the selected one at 25 %, and
// the double click that has the shell open a file with the program associated with its type.
#include "panels/panel_layout.h"
#include "panels/panel_messages.h"
#include "tests/e2e/e2e_support.h"

#include <string>
#include <vector>

namespace files_e2e {
namespace {

constexpr wchar_t kCamera[] = L"vid_1d6b&pid_0102&mi_00#files#1";
constexpr COLORREF kPreviewBackground = RGB(240, 255, 255);
constexpr COLORREF kPlayFill = RGB(31, 31, 191);

// Quadrant colours of the planted pictures.
constexpr COLORREF kQuadrants[2][2] = {{RGB(255, 0, 0), RGB(0, 160, 0)}, {RGB(0, 0, 255), RGB(250, 250, 0)}};

void SaveQuadrantPicture(const std::wstring& path, int width, int height) {
    Gdiplus::Bitmap bitmap(width, height, PixelFormat24bppRGB);
    Gdiplus::Graphics graphics(&bitmap);
    for (int row = 0; row < 2; ++row) {
        for (int column = 0; column < 2; ++column) {
            const COLORREF c = kQuadrants[row][column];
            Gdiplus::SolidBrush brush(Gdiplus::Color(GetRValue(c), GetGValue(c), GetBValue(c)));
            graphics.FillRectangle(&brush, column * width / 2, row * height / 2, width / 2, height / 2);
        }
    }
    const CLSID jpeg = EncoderFor(L"image/jpeg");
    ASSERT_EQ(bitmap.Save(path.c_str(), &jpeg, nullptr), Gdiplus::Ok);
}

// Opening a file "with the system's viewer" copies it to `marker`: the association the test gives
// the extension runs the command interpreter.
void AssociateJpegWithCopy(const std::wstring& marker) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, L".jpg", 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    WriteString(key, nullptr, L"VantixFilesE2E.jpg");
    RegCloseKey(key);
    ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, L"VantixFilesE2E.jpg\\shell\\open\\command", 0, nullptr, 0,
                              KEY_WRITE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    WriteString(key, nullptr, L"C:\\windows\\system32\\cmd.exe /c copy /y \"%1\" \"" + marker + L"\"");
    RegCloseKey(key);
}

class Files : public ProgramTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(gdiplus_.Ok());
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        folder_ = std::wstring(temp) + L"vantix-files-e2e";
        CreateDirectoryW(folder_.c_str(), nullptr);
        ASSERT_TRUE(AddCamera(kCamera, L"Files Scope", {{kTestCamMjpg, 640, 480, 30}}));
    }

    std::wstring Saved(const wchar_t* name) const { return folder_ + L"\\" + name; }

    // Starts with the save folder and the recent files as the last run left them.
    void Start(const std::wstring& latestFiles) {
        WriteSetting(L"ImgDir", folder_);
        WriteSetting(L"LatestFiles", latestFiles);
        Launch();
        section_ = GetDlgItem(panel_, kIdFilesSection);
        ASSERT_NE(section_, nullptr);
        list_ = GetDlgItem(section_, 101);
        preview_ = GetDlgItem(section_, 102);
        ASSERT_NE(list_, nullptr);
        ASSERT_NE(preview_, nullptr);
        ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(list_) && IsWindowVisible(preview_); }, 5000));
        ShowWholePreview();
    }

    // The panel scrolls when the window is too low for all its sections: bring the preview in.
    void ShowWholePreview() {
        RECT panelRect = {};
        GetWindowRect(panel_, &panelRect);
        RECT previewRect = {};
        GetWindowRect(preview_, &previewRect);
        if (previewRect.bottom > panelRect.bottom)
            PostMessageW(panel_, WM_VSCROLL, SB_BOTTOM, 0);
        EXPECT_TRUE(WaitFor(
            [&] {
                GetWindowRect(preview_, &previewRect);
                return previewRect.bottom <= panelRect.bottom;
            },
            5000));
    }

    int ListCount() const { return static_cast<int>(SendWithTimeout(list_, LB_GETCOUNT, 0, 0)); }

    int ItemY(int index) const {
        const int height = static_cast<int>(SendMessageW(list_, LB_GETITEMHEIGHT, 0, 0));
        const int top = static_cast<int>(SendMessageW(list_, LB_GETTOPINDEX, 0, 0));
        return (index - top) * height + height / 2;
    }

    void ClickItem(int index) {
        PostMouse(list_, WM_LBUTTONDOWN, 20, ItemY(index), MK_LBUTTON);
        PostMouse(list_, WM_LBUTTONUP, 20, ItemY(index));
        EXPECT_TRUE(WaitFor([&] { return SendMessageW(list_, LB_GETCURSEL, 0, 0) == index; }, 5000));
    }

    void DoubleClick(HWND hwnd, int x, int y) {
        PostMouse(hwnd, WM_LBUTTONDOWN, x, y, MK_LBUTTON);
        PostMouse(hwnd, WM_LBUTTONUP, x, y);
        PostMouse(hwnd, WM_LBUTTONDBLCLK, x, y, MK_LBUTTON);
        PostMouse(hwnd, WM_LBUTTONUP, x, y);
    }

    // Screen point of pixel (x, y) of a picture shown dw x dh, centred, in the preview.
    POINT PreviewPoint(int dw, int dh, int x, int y) const {
        RECT client = {};
        GetClientRect(preview_, &client);
        POINT p = {(client.right - dw) / 2 + x, (client.bottom - dh) / 2 + y};
        ClientToScreen(preview_, &p);
        return p;
    }

    // The planted 640 x 480 quadrant picture, shown at 160 x 120.
    bool ShowsQuadrantPicture() const {
        const POINT inside[] = {PreviewPoint(160, 120, 20, 20), PreviewPoint(160, 120, 140, 20),
                                PreviewPoint(160, 120, 20, 100), PreviewPoint(160, 120, 140, 100)};
        for (int i = 0; i < 4; ++i) {
            if (!Near(ScreenPixel(inside[i]), kQuadrants[i / 2][i % 2], 24))
                return false;
        }
        return ScreenPixel(PreviewPoint(160, 120, -3, 60)) == kPreviewBackground &&
               ScreenPixel(PreviewPoint(160, 120, 162, 60)) == kPreviewBackground &&
               ScreenPixel(PreviewPoint(160, 120, 80, -3)) == kPreviewBackground &&
               ScreenPixel(PreviewPoint(160, 120, 80, 122)) == kPreviewBackground;
    }

    bool ShowsOnlyBackground() const {
        RECT client = {};
        GetClientRect(preview_, &client);
        for (int y = 2; y < client.bottom; y += 11) {
            for (int x = 2; x < client.right; x += 11) {
                POINT p = {x, y};
                ClientToScreen(preview_, &p);
                if (ScreenPixel(p) != kPreviewBackground)
                    return false;
            }
        }
        return true;
    }

    std::wstring folder_;
    HWND section_ = nullptr;
    HWND list_ = nullptr;
    HWND preview_ = nullptr;
};

} // namespace

TEST_F(Files, ListsSavedFilesPreviewsThemAndOpensThemWithTheSystemViewer) {
    // Two earlier files and one that has gone since, as the last run left them (newest first).
    const std::wstring photo = Saved(L"20240101-080000.jpg");
    const std::wstring video = Saved(L"20240101-080500-123.mp4");
    SaveQuadrantPicture(photo, 640, 480);
    SaveQuadrantPicture(Saved(L"20240101-080500-123.jpg"), 640, 480);
    {
        HANDLE file = CreateFileW(video.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        CloseHandle(file);
    }
    Start(Saved(L"20240101-090000.jpg") + L";" + video + L";" + photo + L";");
    EXPECT_EQ(ListCount(), 2);
    EXPECT_TRUE(ShowsOnlyBackground()) << "nothing is selected at start";

    // The photo: a quarter of its size in the middle of the preview.
    ClickItem(0);
    EXPECT_TRUE(WaitFor([&] { return ShowsQuadrantPicture(); }, 5000));
    SaveScreenshot(L"files-photo-preview.bmp");

    // The video: its picture with the play mark.
    ClickItem(1);
    EXPECT_TRUE(WaitFor([&] { return ScreenPixel(PreviewPoint(160, 120, 76, 60)) == kPlayFill; }, 5000));
    EXPECT_TRUE(Near(ScreenPixel(PreviewPoint(160, 120, 20, 20)), kQuadrants[0][0], 24));
    SaveScreenshot(L"files-video-preview.bmp");

    // A photo taken now goes to the end of the list and first into the stored list.
    ASSERT_TRUE(WaitFor([&] { return Live(); }, 10000)) << "no live picture";
    Command(IDC_PHOTO);
    ASSERT_TRUE(WaitFor([&] { return ListCount() == 3; }, 10000));
    const std::wstring stored = StoredString(L"LatestFiles");
    const size_t end = stored.find(L';');
    ASSERT_NE(end, std::wstring::npos);
    const std::wstring newPhoto = stored.substr(0, end);
    EXPECT_EQ(newPhoto.rfind(folder_ + L"\\", 0), 0u) << "saved in the save folder";
    EXPECT_TRUE(FileExists(newPhoto));
    EXPECT_EQ(stored.substr(end + 1), video + L";" + photo + L";");
    EXPECT_EQ(SendMessageW(list_, LB_GETCURSEL, 0, 0), 1) << "the new photo is not selected by itself";
    ClickItem(2);
    SaveScreenshot(L"files-new-photo-preview.bmp");

    // A double click on an item opens it with the program associated with its type.
    const std::wstring fromList = Saved(L"opened-from-list.bin");
    AssociateJpegWithCopy(fromList);
    DoubleClick(list_, 20, ItemY(0));
    EXPECT_TRUE(
        WaitFor([&] { return FileExists(fromList) && ReadBytes(fromList) == ReadBytes(photo); }, 20000));
    EXPECT_TRUE(WaitFor([&] { return ShowsQuadrantPicture(); }, 5000));

    // On the preview a single click opens nothing; a double click opens the selected file.
    const std::wstring fromPreview = Saved(L"opened-from-preview.bin");
    AssociateJpegWithCopy(fromPreview);
    PostMouse(preview_, WM_LBUTTONDOWN, 50, 50, MK_LBUTTON);
    PostMouse(preview_, WM_LBUTTONUP, 50, 50);
    Sleep(2000);
    EXPECT_FALSE(FileExists(fromPreview));
    DoubleClick(preview_, 50, 50);
    EXPECT_TRUE(WaitFor([&] { return FileExists(fromPreview) && ReadBytes(fromPreview) == ReadBytes(photo); },
                        20000));
}

} // namespace files_e2e
