// The Files section of the real program with the virtual camera: the saved photos and videos it
// lists at start and after a photo, and the double click that has the shell open a file with the
// program associated with its type. What the preview shows is the Wine tests' (files_test).
#include "output/image_encoders.h"
#include "panels/panel_layout.h"
#include "panels/panel_messages.h"
#include "tests/e2e/e2e_support.h"

#include <string>

namespace files_e2e {
namespace {

constexpr wchar_t kCamera[] = L"vid_1d6b&pid_0102&mi_00#files#1";

// Opening a file "with the system's viewer" copies it to `marker`: the association the test gives
// the extension runs the command interpreter.
void AssociateJpegWithCopy(const std::wstring& marker) {
    const std::wstring type = L"VantixFilesE2E.jpg";
    const std::wstring command = L"C:\\windows\\system32\\cmd.exe /c copy /y \"%1\" \"" + marker + L"\"";
    for (const auto& [key, value] :
         {std::pair{L".jpg", type}, {L"VantixFilesE2E.jpg\\shell\\open\\command", command}})
        ASSERT_EQ(RegSetKeyValueW(HKEY_CLASSES_ROOT, key, nullptr, REG_SZ, value.c_str(),
                                  static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))),
                  ERROR_SUCCESS)
            << Utf8(key);
}

class Files : public ProgramTest {
protected:
    void SetUp() override {
        folder_ = TempFolder(L"vantix-files-e2e");
        ASSERT_TRUE(AddCamera(kCamera, L"Files Scope", {{kTestCamMjpg, 640, 480, 30}}));
    }

    std::wstring Saved(const wchar_t* name) const { return folder_ + L"\\" + name; }

    // Starts with the save folder and the recent files as the last run left them.
    void Start(const std::wstring& latestFiles) {
        WriteSetting(L"ImgDir", folder_);
        WriteSetting(L"LatestFiles", latestFiles);
        Launch();
        section_ = GetDlgItem(panel_, kIdFilesSection);
        list_ = GetDlgItem(section_, 101);
        preview_ = GetDlgItem(section_, 102);
        ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(list_) && IsWindowVisible(preview_); }, 5000));
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

    std::wstring folder_;
    HWND section_ = nullptr;
    HWND list_ = nullptr;
    HWND preview_ = nullptr;
};

} // namespace

TEST_F(Files, ListsSavedFilesAndOpensThemWithTheSystemViewer) {
    // Two earlier files and one that has gone since, as the last run left them (newest first).
    const std::wstring photo = Saved(L"20240101-080000.jpg");
    const std::wstring video = Saved(L"20240101-080500-123.mp4");
    {
        Gdiplus::Bitmap black(64, 48, PixelFormat24bppRGB);
        LookupImageEncoders();
        ASSERT_EQ(black.Save(photo.c_str(), &g_jpegEncoderClsid, nullptr), Gdiplus::Ok);
    }
    ASSERT_TRUE(WriteBytes(video, {}));
    Start(Saved(L"20240101-090000.jpg") + L";" + video + L";" + photo + L";");
    EXPECT_EQ(ListCount(), 2);
    // Nothing is selected at start, and the preview (scrolled into sight) shows only its background.
    EXPECT_EQ(SendMessageW(list_, LB_GETCURSEL, 0, 0), LB_ERR);
    PostMessageW(panel_, WM_VSCROLL, SB_BOTTOM, 0);
    RECT box = {};
    GetClientRect(preview_, &box);
    EXPECT_TRUE(WaitFor(
        [&] { return ScreenPixel(preview_, box.right / 2, box.bottom / 2) == RGB(240, 255, 255); }, 5000));

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
    EXPECT_EQ(SendMessageW(list_, LB_GETCURSEL, 0, 0), LB_ERR) << "the new photo is not selected by itself";
    ClickItem(2);

    // A double click on an item opens it with the program associated with its type.
    const std::wstring fromList = Saved(L"opened-from-list.bin");
    AssociateJpegWithCopy(fromList);
    DoubleClick(list_, 20, ItemY(0));
    EXPECT_TRUE(
        WaitFor([&] { return FileExists(fromList) && ReadBytes(fromList) == ReadBytes(photo); }, 20000));

    // On the preview a single click opens nothing; a double click opens the selected file (the one
    // the list's double click selected).
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
