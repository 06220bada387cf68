// The Files section of the real program with the virtual camera: the saved photos and videos it
// lists at start and after a photo or a recording, the preview of the selected one at 25 %, and
// the double click that has the shell open a file with the program associated with its type.
#include "tests/e2e/program_session.h"
#include "testcam/testcam_control.h"
#include "view/camera_view.h"

#include <gdiplus.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace files_e2e {
namespace {

constexpr wchar_t kCamera[] = L"vid_1d6b&pid_0102&mi_00#files#1";
constexpr wchar_t kKey[] = L"Software\\Vantix";
constexpr COLORREF kPreviewBackground = RGB(240, 255, 255);
constexpr COLORREF kPlayFill = RGB(31, 31, 191);

// Quadrant colours of the planted pictures.
constexpr COLORREF kQuadrants[2][2] = {{RGB(255, 0, 0), RGB(0, 160, 0)}, {RGB(0, 0, 255), RGB(250, 250, 0)}};

std::wstring WindowClass(HWND hwnd) {
    wchar_t name[128] = {};
    GetClassNameW(hwnd, name, 128);
    return name;
}

struct ClassSearch {
    const wchar_t* className;
    HWND found;
};

BOOL CALLBACK FindByClass(HWND hwnd, LPARAM lParam) {
    auto* search = reinterpret_cast<ClassSearch*>(lParam);
    if (WindowClass(hwnd) == search->className) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

HWND FindDescendant(HWND parent, const wchar_t* className) {
    ClassSearch search = {className, nullptr};
    EnumChildWindows(parent, FindByClass, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

struct DialogSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK FindDialog(HWND hwnd, LPARAM lParam) {
    auto* search = reinterpret_cast<DialogSearch*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == search->processId && WindowClass(hwnd) == L"#32770" && IsWindowVisible(hwnd)) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

void WriteString(HKEY key, const wchar_t* name, const std::wstring& value) {
    RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

std::wstring StoredString(const wchar_t* name) {
    wchar_t text[1024] = {};
    DWORD size = sizeof text;
    if (RegGetValueW(HKEY_CURRENT_USER, kKey, name, RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS)
        return {};
    return text;
}

std::vector<unsigned char> ReadBytes(const std::wstring& path) {
    std::vector<unsigned char> bytes;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return bytes;
    bytes.resize(GetFileSize(file, nullptr));
    DWORD got = 0;
    ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
    CloseHandle(file);
    bytes.resize(got);
    return bytes;
}

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

CLSID EncoderFor(const wchar_t* mimeType) {
    UINT count = 0;
    UINT bytes = 0;
    Gdiplus::GetImageEncodersSize(&count, &bytes);
    std::vector<unsigned char> block(bytes);
    auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(block.data());
    Gdiplus::GetImageEncoders(count, bytes, codecs);
    for (UINT i = 0; i < count; ++i) {
        if (codecs[i].MimeType && wcscmp(codecs[i].MimeType, mimeType) == 0)
            return codecs[i].Clsid;
    }
    return {};
}

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

bool Near(COLORREF a, COLORREF b, int tolerance = 24) {
    return std::abs(GetRValue(a) - GetRValue(b)) <= tolerance &&
           std::abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
           std::abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

COLORREF ScreenPixel(POINT p) {
    HDC screen = GetDC(nullptr);
    const COLORREF c = GetPixel(screen, p.x, p.y);
    ReleaseDC(nullptr, screen);
    return c;
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

void PostMouse(HWND hwnd, UINT msg, int x, int y) {
    const WPARAM keys = (msg == WM_LBUTTONDOWN || msg == WM_LBUTTONDBLCLK) ? MK_LBUTTON : 0;
    PostMessageW(hwnd, msg, keys, MAKELPARAM(x, y));
}

class Files : public testing::Test {
protected:
    void SetUp() override {
        Gdiplus::GdiplusStartupInput input;
        ASSERT_EQ(Gdiplus::GdiplusStartup(&gdiplus_, &input, nullptr), Gdiplus::Ok);
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        folder_ = std::wstring(temp) + L"vantix-files-e2e";
        CreateDirectoryW(folder_.c_str(), nullptr);
        TestCamConfig config;
        config.instanceName = kCamera;
        config.friendlyName = L"Files Scope";
        config.formats = {{kTestCamMjpg, 640, 480, 30}};
        ASSERT_TRUE(TestCam_Register(config));
    }

    void TearDown() override {
        if (session_.process.hProcess) {
            EXPECT_EQ(CloseProgram(&session_), 0u);
        }
        TestCam_Unregister(kCamera);
        TestCam_RemoveConfig(kCamera);
        RegDeleteTreeW(HKEY_CURRENT_USER, kKey);
        Gdiplus::GdiplusShutdown(gdiplus_);
    }

    std::wstring Saved(const wchar_t* name) const { return folder_ + L"\\" + name; }

    void StoreSettings(const std::wstring& latestFiles) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        WriteString(key, L"ImgDir", folder_);
        WriteString(key, L"LatestFiles", latestFiles);
        RegCloseKey(key);
    }

    void Start() {
        ASSERT_TRUE(LaunchProgram(&session_));
        section_ = FindDescendant(session_.mainWindow, L"CtrlPanelFilesWndClass");
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
        HWND panel = GetDlgItem(session_.mainWindow, 109);
        RECT panelRect = {};
        GetWindowRect(panel, &panelRect);
        RECT previewRect = {};
        GetWindowRect(preview_, &previewRect);
        if (previewRect.bottom > panelRect.bottom)
            PostMessageW(panel, WM_VSCROLL, SB_BOTTOM, 0);
        EXPECT_TRUE(WaitFor(
            [&] {
                GetWindowRect(preview_, &previewRect);
                return previewRect.bottom <= panelRect.bottom;
            },
            5000));
    }

    int ListCount() const {
        DWORD_PTR count = 0;
        SendMessageTimeoutW(list_, LB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, 5000, &count);
        return static_cast<int>(count);
    }

    int ItemY(int index) const {
        const int height = static_cast<int>(SendMessageW(list_, LB_GETITEMHEIGHT, 0, 0));
        const int top = static_cast<int>(SendMessageW(list_, LB_GETTOPINDEX, 0, 0));
        return (index - top) * height + height / 2;
    }

    void ClickItem(int index) {
        PostMouse(list_, WM_LBUTTONDOWN, 20, ItemY(index));
        PostMouse(list_, WM_LBUTTONUP, 20, ItemY(index));
        EXPECT_TRUE(WaitFor([&] { return SendMessageW(list_, LB_GETCURSEL, 0, 0) == index; }, 5000));
    }

    void DoubleClick(HWND hwnd, int x, int y) {
        PostMouse(hwnd, WM_LBUTTONDOWN, x, y);
        PostMouse(hwnd, WM_LBUTTONUP, x, y);
        PostMouse(hwnd, WM_LBUTTONDBLCLK, x, y);
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
            if (!Near(ScreenPixel(inside[i]), kQuadrants[i / 2][i % 2]))
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

    // The camera is open and its picture shown.
    bool Live() const {
        HWND view = GetDlgItem(session_.mainWindow, 108);
        DWORD_PTR width = 0;
        DWORD_PTR paints = 0;
        return SendMessageTimeoutW(view, UM_VIEW_QUERY, kQueryContentWidth, 0, SMTO_ABORTIFHUNG, 5000,
                                   &width) &&
               SendMessageTimeoutW(view, UM_VIEW_QUERY, kQueryPaints, 0, SMTO_ABORTIFHUNG, 5000, &paints) &&
               static_cast<LRESULT>(width) > 0 && paints > 0;
    }

    ULONG_PTR gdiplus_ = 0;
    std::wstring folder_;
    ProgramSession session_;
    HWND section_ = nullptr;
    HWND list_ = nullptr;
    HWND preview_ = nullptr;
};

// Does the preview show the picture in `path` at a quarter of its size? Each screen pixel must
// match one of the 4 x 4 picture pixels it stands for.
bool ShowsAtQuarter(HWND preview, const std::wstring& path) {
    Gdiplus::Bitmap picture(path.c_str());
    if (picture.GetLastStatus() != Gdiplus::Ok)
        return false;
    const int w = static_cast<int>(picture.GetWidth());
    const int h = static_cast<int>(picture.GetHeight());
    const int dw = w / 4;
    const int dh = h / 4;
    RECT client = {};
    GetClientRect(preview, &client);
    if (dw > client.right || dh > client.bottom)
        return false; // not for pictures larger than the preview
    int matched = 0;
    int checked = 0;
    for (int dy = 5; dy < dh; dy += 13) {
        for (int dx = 7; dx < dw; dx += 17) {
            POINT p = {(client.right - dw) / 2 + dx, (client.bottom - dh) / 2 + dy};
            ClientToScreen(preview, &p);
            const COLORREF shown = ScreenPixel(p);
            bool found = false;
            for (int sy = dy * 4 - 1; sy <= dy * 4 + 4 && !found; ++sy) {
                for (int sx = dx * 4 - 1; sx <= dx * 4 + 4 && !found; ++sx) {
                    Gdiplus::Color c;
                    picture.GetPixel(sx, sy, &c);
                    found = Near(shown, RGB(c.GetR(), c.GetG(), c.GetB()), 12);
                }
            }
            matched += found;
            ++checked;
        }
    }
    return checked > 50 && matched == checked;
}

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
    StoreSettings(Saved(L"20240101-090000.jpg") + L";" + video + L";" + photo + L";");

    Start();
    EXPECT_EQ(ListCount(), 2);
    EXPECT_TRUE(ShowsOnlyBackground()) << "nothing is selected at start";

    // The photo: a quarter of its size in the middle of the preview.
    ClickItem(0);
    EXPECT_TRUE(WaitFor([&] { return ShowsQuadrantPicture(); }, 5000));
    SaveScreenshot(L"files-photo-preview.bmp");

    // The video: its picture with the play mark.
    ClickItem(1);
    EXPECT_TRUE(WaitFor([&] { return ScreenPixel(PreviewPoint(160, 120, 76, 60)) == kPlayFill; }, 5000));
    EXPECT_TRUE(Near(ScreenPixel(PreviewPoint(160, 120, 20, 20)), kQuadrants[0][0]));
    SaveScreenshot(L"files-video-preview.bmp");

    // A photo taken now goes to the end of the list and first into the stored list.
    ASSERT_TRUE(WaitFor([&] { return Live(); }, 10000)) << "no live picture";
    PostMessageW(session_.mainWindow, WM_COMMAND, MAKEWPARAM(3008, 0), 0);
    ASSERT_TRUE(WaitFor([&] { return ListCount() == 3; }, 10000));
    const std::wstring stored = StoredString(L"LatestFiles");
    const size_t end = stored.find(L';');
    ASSERT_NE(end, std::wstring::npos);
    const std::wstring newPhoto = stored.substr(0, end);
    EXPECT_EQ(newPhoto.rfind(folder_ + L"\\", 0), 0u) << "saved in the save folder";
    EXPECT_TRUE(Exists(newPhoto));
    EXPECT_EQ(stored.substr(end + 1), video + L";" + photo + L";");
    EXPECT_EQ(SendMessageW(list_, LB_GETCURSEL, 0, 0), 1) << "the new photo is not selected by itself";
    ClickItem(2);
    EXPECT_TRUE(WaitFor([&] { return ShowsAtQuarter(preview_, newPhoto); }, 5000));
    SaveScreenshot(L"files-new-photo-preview.bmp");

    // A double click on an item opens it with the program associated with its type.
    const std::wstring fromList = Saved(L"opened-from-list.bin");
    AssociateJpegWithCopy(fromList);
    DoubleClick(list_, 20, ItemY(0));
    EXPECT_TRUE(WaitFor([&] { return Exists(fromList) && ReadBytes(fromList) == ReadBytes(photo); }, 20000));
    EXPECT_TRUE(WaitFor([&] { return ShowsQuadrantPicture(); }, 5000));

    // On the preview a single click opens nothing; a double click opens the selected file.
    const std::wstring fromPreview = Saved(L"opened-from-preview.bin");
    AssociateJpegWithCopy(fromPreview);
    PostMouse(preview_, WM_LBUTTONDOWN, 50, 50);
    PostMouse(preview_, WM_LBUTTONUP, 50, 50);
    Sleep(2000);
    EXPECT_FALSE(Exists(fromPreview));
    DoubleClick(preview_, 50, 50);
    EXPECT_TRUE(
        WaitFor([&] { return Exists(fromPreview) && ReadBytes(fromPreview) == ReadBytes(photo); }, 20000));
}

TEST_F(Files, RecordingIsListedAndPreviewedThroughThePictureSavedBesideIt) {
    StoreSettings(L"");
    Start();
    EXPECT_EQ(ListCount(), 0);
    ASSERT_TRUE(WaitFor([&] { return Live(); }, 10000)) << "no live picture";

    // Video button, then Start and Stop in the record dialog.
    PostMessageW(session_.mainWindow, WM_COMMAND, MAKEWPARAM(3009, 0), 0);
    DialogSearch search = {session_.process.dwProcessId, nullptr};
    ASSERT_TRUE(WaitFor(
        [&] {
            EnumWindows(FindDialog, reinterpret_cast<LPARAM>(&search));
            return search.found != nullptr;
        },
        10000))
        << (SaveScreenshot(L"files-no-record-dialog.bmp"), "no record dialog");
    HWND dialog = search.found;
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    Sleep(2500);
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    ASSERT_TRUE(WaitFor([&] { return ListCount() == 1; }, 20000));
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(dialog); }, 10000)) << "Stop ends the dialog";

    const std::wstring stored = StoredString(L"LatestFiles");
    ASSERT_GT(stored.size(), 5u);
    const std::wstring video = stored.substr(0, stored.size() - 1);
    ASSERT_EQ(video.substr(video.size() - 4), L".mp4");
    EXPECT_TRUE(Exists(video));
    const std::wstring picture = video.substr(0, video.size() - 3) + L"jpg";
    ASSERT_TRUE(Exists(picture)) << "no preview picture beside the video";
    {
        Gdiplus::Bitmap saved(picture.c_str());
        EXPECT_EQ(saved.GetWidth(), 640u);
        EXPECT_EQ(saved.GetHeight(), 480u);
    }

    ClickItem(0);
    EXPECT_TRUE(WaitFor([&] { return ScreenPixel(PreviewPoint(160, 120, 76, 60)) == kPlayFill; }, 5000));
    SaveScreenshot(L"files-recording-preview.bmp");
}

} // namespace files_e2e
