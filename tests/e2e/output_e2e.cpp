// Photos and videos of the real program with the virtual camera: the three ways to take a photo,
// one photo a second, JPEG or PNG at the picture's content size, the record dialog with its time
// limit, pause and stop, and recordings that end by a kill, a pulled camera or the program closing.
//
// The recorded files are copied to the artifact folder and listed with what they must hold in
// output-videos/manifest.txt; check_videos.sh then has ffprobe read each of them.
#include "output/record_dialog.h"
#include "resources/dialogs_record_ids.h"
#include "tests/e2e/program_session.h"
#include "testcam/testcam_control.h"
#include "view/camera_view.h"

#include <gdiplus.h>
#include <gtest/gtest.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace output_e2e {
namespace {

constexpr wchar_t kCamera[] = L"vid_1d6b&pid_0102&mi_00#output#1";
constexpr wchar_t kKey[] = L"Software\\Vantix";
constexpr wchar_t kSaveFolder[] = L"C:\\vantix-output";
constexpr int kPhotoCommand = 3008;
constexpr int kVideoCommand = 3009;
constexpr int kViewId = 108;

// Settings the program starts with.
struct Settings {
    int mjpg = 1;
    int width = 640;
    int height = 480;
    int interpolated = 0;
    int photoFormat = 0;
    int maxRecordSeconds = 0;
    std::wstring saveFolder = kSaveFolder;
    DWORD lineColor = 0x0000FF; // red, for the measurement shapes
};

void WriteDword(HKEY key, const wchar_t* name, DWORD value) {
    RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
}

void StoreSettings(const Settings& s) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    WriteDword(key, L"mjpg", s.mjpg);
    WriteDword(key, L"width", s.width);
    WriteDword(key, L"height", s.height);
    WriteDword(key, L"interpolated", s.interpolated);
    WriteDword(key, L"jpgPng", s.photoFormat);
    WriteDword(key, L"MaxRecordTime", s.maxRecordSeconds);
    WriteDword(key, L"LineColor", s.lineColor);
    RegSetValueExW(key, L"ImgDir", 0, REG_SZ, reinterpret_cast<const BYTE*>(s.saveFolder.c_str()),
                   static_cast<DWORD>((s.saveFolder.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
}

std::wstring StoredString(const wchar_t* name) {
    wchar_t text[1024] = {};
    DWORD size = sizeof text;
    if (RegGetValueW(HKEY_CURRENT_USER, kKey, name, RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS)
        return {};
    return text;
}

DWORD StoredDword(const wchar_t* name) {
    DWORD value = 0xFFFFFFFF;
    DWORD size = sizeof value;
    RegGetValueW(HKEY_CURRENT_USER, kKey, name, RRF_RT_REG_DWORD, nullptr, &value, &size);
    return value;
}

// Files of the save folder matching a pattern such as L"*.mp4", as full paths.
std::vector<std::wstring> SavedFiles(const wchar_t* pattern) {
    std::vector<std::wstring> files;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((std::wstring(kSaveFolder) + L"\\" + pattern).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return files;
    do {
        files.push_back(std::wstring(kSaveFolder) + L"\\" + found.cFileName);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return files;
}

void EmptySaveFolder() {
    for (const std::wstring& file : SavedFiles(L"*.*"))
        DeleteFileW(file.c_str());
    CreateDirectoryW(kSaveFolder, nullptr);
}

std::vector<uint8_t> ReadBytes(const std::wstring& path) {
    std::vector<uint8_t> bytes;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return bytes;
    LARGE_INTEGER size = {};
    GetFileSizeEx(file, &size);
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    if (!bytes.empty())
        ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    bytes.resize(read);
    CloseHandle(file);
    return bytes;
}

// The quantisation tables of a JPEG file, value after value, in file order.
std::vector<unsigned> QuantisationTables(const std::vector<uint8_t>& jpeg) {
    std::vector<unsigned> values;
    size_t at = 2;
    while (at + 4 <= jpeg.size() && jpeg[at] == 0xFF) {
        const uint8_t marker = jpeg[at + 1];
        const size_t length = static_cast<size_t>(jpeg[at + 2]) << 8 | jpeg[at + 3];
        if (marker == 0xDA) // start of scan: no tables after it
            break;
        if (marker == 0xDB) {
            size_t p = at + 4;
            while (p < at + 2 + length && p + 65 <= jpeg.size()) {
                const bool wide = (jpeg[p] >> 4) != 0;
                ++p;
                for (int i = 0; i < 64 && p + (wide ? 1 : 0) < jpeg.size(); ++i) {
                    values.push_back(wide ? (jpeg[p] << 8 | jpeg[p + 1]) : jpeg[p]);
                    p += wide ? 2 : 1;
                }
            }
        }
        at += 2 + length;
    }
    return values;
}

std::wstring WindowText(HWND hwnd) {
    wchar_t text[256] = {};
    DWORD_PTR result = 0;
    SendMessageTimeoutW(hwnd, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000,
                        &result);
    return text;
}

std::wstring WindowClass(HWND hwnd) {
    wchar_t name[128] = {};
    GetClassNameW(hwnd, name, 128);
    return name;
}

// The clock text as tenths of a second ("9.5" -> 95, "1:00.0" -> 600); -1 when unreadable.
long ClockTenths(const std::wstring& text) {
    int minutes = 0, seconds = 0, tenths = 0;
    if (swscanf(text.c_str(), L"%d:%d.%d", &minutes, &seconds, &tenths) == 3)
        return (minutes * 60 + seconds) * 10 + tenths;
    if (swscanf(text.c_str(), L"%d.%d", &seconds, &tenths) == 2)
        return seconds * 10 + tenths;
    return -1;
}

// The artifact folder as the test run gives it (the current folder without one).
std::wstring ArtifactFolder() {
    if (const char* artifacts = std::getenv("VANTIX_ARTIFACTS"))
        return ToWindowsPath(artifacts);
    return L".";
}

std::wstring VideoFolder() {
    const std::wstring folder = ArtifactFolder() + L"\\output-videos";
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

// What check_videos.sh expects of one recorded file.
struct VideoExpectation {
    std::string name;  // file name in output-videos
    std::string codec; // "mjpeg" or "h264"
    int width = 0;
    int height = 0;
    double rate = 0;        // frames a second the camera delivered meanwhile
    double clock = -1;      // the dialog's clock at the end, seconds; -1 when not known
    double minDuration = 0; // at least this long
};

std::string Narrow(const std::wstring& text) {
    std::string out;
    for (wchar_t c : text)
        out.push_back(static_cast<char>(c));
    return out;
}

// Copies the video out of the test's prefix and lists it for check_videos.sh.
void ListForCheck(const std::wstring& video, VideoExpectation e) {
    const std::wstring folder = VideoFolder();
    ASSERT_TRUE(CopyFileW(video.c_str(),
                          (folder + L"\\" + std::wstring(e.name.begin(), e.name.end())).c_str(), FALSE))
        << "cannot copy " << Narrow(video);
    std::FILE* manifest = _wfopen((folder + L"\\manifest.txt").c_str(), L"a");
    ASSERT_NE(manifest, nullptr);
    std::fprintf(manifest,
                 "%s codec=%s width=%d height=%d rate=%.2f clock=%.1f min_duration=%.1f max_gap=0.5\n",
                 e.name.c_str(), e.codec.c_str(), e.width, e.height, e.rate, e.clock, e.minDuration);
    std::fclose(manifest);
}

// A small picture saved by GDI+'s JPEG encoder at quality 100, to compare a photo's tables with.
std::wstring QualityHundredProbe() {
    const std::wstring path = std::wstring(kSaveFolder) + L"-probe.jpg";
    UINT count = 0, bytes = 0;
    Gdiplus::GetImageEncodersSize(&count, &bytes);
    std::vector<uint8_t> block(bytes);
    auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(block.data());
    Gdiplus::GetImageEncoders(count, bytes, codecs);
    for (UINT i = 0; i < count; ++i) {
        if (std::wstring(codecs[i].MimeType) != L"image/jpeg")
            continue;
        Gdiplus::Bitmap bitmap(32, 32, PixelFormat24bppRGB);
        ULONG quality = 100;
        Gdiplus::EncoderParameters parameters;
        parameters.Count = 1;
        parameters.Parameter[0].Guid = Gdiplus::EncoderQuality;
        parameters.Parameter[0].Type = Gdiplus::EncoderParameterValueTypeLong;
        parameters.Parameter[0].NumberOfValues = 1;
        parameters.Parameter[0].Value = &quality;
        bitmap.Save(path.c_str(), &codecs[i].Clsid, &parameters);
    }
    return path;
}

class GdiplusSession {
public:
    GdiplusSession() {
        Gdiplus::GdiplusStartupInput input;
        Gdiplus::GdiplusStartup(&token_, &input, nullptr);
    }
    ~GdiplusSession() { Gdiplus::GdiplusShutdown(token_); }

private:
    ULONG_PTR token_ = 0;
};

// A saved photo's pixels, read back.
struct Photo {
    int width = 0;
    int height = 0;
    std::vector<TestRgb> pixels;
    TestRgb At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

Photo LoadPhoto(const std::wstring& path) {
    Photo photo;
    Gdiplus::Bitmap bitmap(path.c_str());
    if (bitmap.GetLastStatus() != Gdiplus::Ok)
        return photo;
    photo.width = static_cast<int>(bitmap.GetWidth());
    photo.height = static_cast<int>(bitmap.GetHeight());
    Gdiplus::Rect all(0, 0, photo.width, photo.height);
    Gdiplus::BitmapData data;
    if (bitmap.LockBits(&all, Gdiplus::ImageLockModeRead, PixelFormat24bppRGB, &data) != Gdiplus::Ok)
        return photo;
    photo.pixels.resize(static_cast<size_t>(photo.width) * photo.height);
    for (int y = 0; y < photo.height; ++y) {
        const auto* row = static_cast<const uint8_t*>(data.Scan0) + static_cast<ptrdiff_t>(y) * data.Stride;
        for (int x = 0; x < photo.width; ++x)
            photo.pixels[static_cast<size_t>(y) * photo.width + x] = {row[3 * x + 2], row[3 * x + 1],
                                                                      row[3 * x]};
    }
    bitmap.UnlockBits(&data);
    return photo;
}

bool Near(TestRgb a, TestRgb b, int tolerance) {
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance &&
           std::abs(a.b - b.b) <= tolerance;
}

// Share of sample points where the photo shows the camera's picture: pixel (x, y) of the photo is
// pixel map(x, y) of the specimen at the camera's size (away from the turning marker).
double MatchingShare(const Photo& photo, int cameraWidth, int cameraHeight, int tolerance,
                     const std::function<POINT(int, int)>& map) {
    const TestRect marker = TestPicture_MarkerRect(cameraWidth, cameraHeight);
    int checked = 0, matched = 0;
    for (int y = 3; y < photo.height - 3; y += photo.height / 23) {
        for (int x = 3; x < photo.width - 3; x += photo.width / 29) {
            const POINT c = map(x, y);
            if (marker.Contains(c.x, c.y))
                continue;
            ++checked;
            matched += Near(photo.At(x, y),
                            TestPicture_SpecimenPixel(cameraWidth, cameraHeight, c.x, c.y, 0, 30), tolerance);
        }
    }
    return checked > 0 ? static_cast<double>(matched) / checked : 0.0;
}

struct DialogSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK FindRecordDialog(HWND hwnd, LPARAM lParam) {
    auto* search = reinterpret_cast<DialogSearch*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == search->processId && WindowClass(hwnd) == L"#32770" && GetDlgItem(hwnd, IDC_REC_CLOCK) &&
        IsWindowVisible(hwnd)) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

struct OwnedSearch {
    HWND owner;
    HWND found;
};

BOOL CALLBACK FindMessageBox(HWND hwnd, LPARAM lParam) {
    auto* search = reinterpret_cast<OwnedSearch*>(lParam);
    if (GetWindow(hwnd, GW_OWNER) == search->owner && WindowClass(hwnd) == L"#32770" &&
        !GetDlgItem(hwnd, IDC_REC_CLOCK) && IsWindowVisible(hwnd)) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK AppendStaticText(HWND child, LPARAM lParam) {
    if (_wcsicmp(WindowClass(child).c_str(), L"Static") == 0)
        *reinterpret_cast<std::wstring*>(lParam) += WindowText(child);
    return TRUE;
}

// The text of a message box owned by `owner`, which is then closed; empty when none came in time.
std::wstring TakeMessageBox(HWND owner, DWORD timeoutMs) {
    OwnedSearch search = {owner, nullptr};
    WaitFor(
        [&] {
            EnumWindows(FindMessageBox, reinterpret_cast<LPARAM>(&search));
            return search.found != nullptr;
        },
        timeoutMs);
    std::wstring text;
    if (!search.found)
        return text;
    EnumChildWindows(search.found, AppendStaticText, reinterpret_cast<LPARAM>(&text));
    PostMessageW(search.found, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    WaitFor([&] { return !IsWindow(search.found); }, 5000);
    return text;
}

class OutputTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        // A new list for this run.
        DeleteFileW((VideoFolder() + L"\\manifest.txt").c_str());
    }

    void SetUp() override {
        RegDeleteTreeW(HKEY_CURRENT_USER, kKey);
        EmptySaveFolder();
    }

    void TearDown() override {
        if (session_.process.hProcess) {
            EXPECT_EQ(CloseProgram(&session_), 0u);
        }
        TestCam_Unregister(kCamera);
        TestCam_RemoveConfig(kCamera);
        RegDeleteTreeW(HKEY_CURRENT_USER, kKey);
    }

    // Starts the program with a camera of one format and waits for the live picture.
    void Start(const Settings& settings, TestCamFormat format = {kTestCamMjpg, 640, 480, 30}) {
        TestCamConfig config;
        config.instanceName = kCamera;
        config.friendlyName = L"Output Scope";
        config.formats = {format};
        ASSERT_TRUE(TestCam_Register(config));
        StoreSettings(settings);
        ASSERT_TRUE(LaunchProgram(&session_));
        main_ = session_.mainWindow;
        view_ = GetDlgItem(main_, kViewId);
        ASSERT_NE(view_, nullptr);
        ASSERT_TRUE(
            WaitFor([&] { return QueryView(kQueryContentWidth) > 0 && QueryView(kQueryPaints) > 2; }, 15000))
            << "no live picture";
    }

    LRESULT QueryView(ViewQuery which) {
        DWORD_PTR result = 0;
        if (!SendMessageTimeoutW(view_, UM_VIEW_QUERY, which, 0, SMTO_ABORTIFHUNG, 5000, &result))
            return -1;
        return static_cast<LRESULT>(result);
    }

    void Command(int command) { PostMessageW(main_, WM_COMMAND, MAKEWPARAM(command, 0), 0); }

    // Waits until `count` photos are in the save folder, each written to its end.
    bool PhotosBecome(size_t count, const wchar_t* pattern = L"*.jpg") {
        return WaitFor(
            [&] {
                const std::vector<std::wstring> files = SavedFiles(pattern);
                if (files.size() != count)
                    return false;
                for (const std::wstring& file : files) {
                    if (!Complete(ReadBytes(file)))
                        return false;
                }
                return true;
            },
            8000);
    }

    // A whole JPEG or PNG file: it ends with its end marker.
    static bool Complete(const std::vector<uint8_t>& b) {
        const size_t n = b.size();
        if (n > 4 && b[0] == 0xFF && b[1] == 0xD8)
            return b[n - 2] == 0xFF && b[n - 1] == 0xD9;
        return n > 12 && b[1] == 'P' && b[n - 8] == 'I' && b[n - 7] == 'E' && b[n - 6] == 'N' &&
               b[n - 5] == 'D';
    }

    // Waits for the start of a new second, so that what follows falls within one second.
    static void StartOfASecond() {
        SYSTEMTIME now;
        GetLocalTime(&now);
        const WORD second = now.wSecond;
        while (now.wSecond == second) {
            Sleep(5);
            GetLocalTime(&now);
        }
    }

    HWND OpenRecordDialog() {
        Command(kVideoCommand);
        DialogSearch search = {session_.process.dwProcessId, nullptr};
        WaitFor(
            [&] {
                EnumWindows(FindRecordDialog, reinterpret_cast<LPARAM>(&search));
                return search.found != nullptr;
            },
            10000);
        if (!search.found)
            SaveScreenshot(L"record-dialog-missing.bmp");
        return search.found;
    }

    static void Press(HWND dialog, int id) {
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
    }

    static LRESULT AskDialog(HWND dialog, RecordQuery which) {
        DWORD_PTR result = 0;
        if (!SendMessageTimeoutW(dialog, UM_RECORD_QUERY, which, 0, SMTO_ABORTIFHUNG, 5000, &result))
            return -1;
        return static_cast<LRESULT>(result);
    }

    // Follows the clock until it shows at least `tenths` (or the dialog is gone); the last reading.
    static long WaitForClock(HWND dialog, long tenths, DWORD timeoutMs) {
        long last = -1;
        WaitFor(
            [&] {
                if (!IsWindow(dialog))
                    return true;
                const long now = ClockTenths(WindowText(GetDlgItem(dialog, IDC_REC_CLOCK)));
                if (now >= 0)
                    last = now;
                return last >= tenths;
            },
            timeoutMs);
        return last;
    }

    long CameraFrames() { return TestCam_ReadStatus(kCamera).framesDelivered; }

    std::string Codec(HWND dialog) { return AskDialog(dialog, kRecordQueryWriter) == 1 ? "h264" : "mjpeg"; }

    ProgramSession session_;
    HWND main_ = nullptr;
    HWND view_ = nullptr;
    GdiplusSession gdiplus_;
};

} // namespace

TEST_F(OutputTest, SpaceThePhotoCommandAndTheSnapshotButtonEachSaveOnePhoto) {
    Start(Settings{});
    ASSERT_TRUE(SavedFiles(L"*.jpg").empty());

    // Space in the view, the Device section's photo command, the camera's own button: one each.
    StartOfASecond();
    PostMessageW(view_, WM_KEYDOWN, VK_SPACE, 0x00390001);
    EXPECT_TRUE(PhotosBecome(1)) << "Space";
    StartOfASecond();
    Command(kPhotoCommand);
    EXPECT_TRUE(PhotosBecome(2)) << "photo command";
    StartOfASecond();
    ASSERT_TRUE(TestCam_PressSnapshot(kCamera));
    EXPECT_TRUE(PhotosBecome(3)) << "snapshot button";

    // Two requests within the same second: one photo.
    StartOfASecond();
    Command(kPhotoCommand);
    ASSERT_TRUE(TestCam_PressSnapshot(kCamera));
    EXPECT_TRUE(PhotosBecome(4));
    Sleep(1500);
    EXPECT_EQ(SavedFiles(L"*.jpg").size(), 4u);

    // Each is listed, newest first, in the stored recent files.
    const std::wstring latest = StoredString(L"LatestFiles");
    for (const std::wstring& photo : SavedFiles(L"*.jpg"))
        EXPECT_NE(latest.find(photo + L";"), std::wstring::npos) << Narrow(photo) << " in " << Narrow(latest);

    // JPEG at quality 100, at the camera's size, showing the camera's picture.
    const std::wstring path = SavedFiles(L"*.jpg").front();
    const std::vector<uint8_t> bytes = ReadBytes(path);
    ASSERT_GT(bytes.size(), 4u);
    EXPECT_EQ(bytes[0], 0xFF);
    EXPECT_EQ(bytes[1], 0xD8);
    // Quality 100: the tables the platform's encoder writes for it (all ones where it honours the
    // quality; Wine's encoder keeps its default whatever it is asked for).
    const std::vector<unsigned> tables = QuantisationTables(bytes);
    EXPECT_GE(tables.size(), 128u);
    EXPECT_EQ(tables, QuantisationTables(ReadBytes(QualityHundredProbe())));
    const Photo photo = LoadPhoto(path);
    EXPECT_EQ(photo.width, 640);
    EXPECT_EQ(photo.height, 480);
    // JPEG shifts colours a little at sharp edges, even at quality 100.
    EXPECT_GE(MatchingShare(photo, 640, 480, 16, [](int x, int y) { return POINT{x, y}; }), 0.95);
}

TEST_F(OutputTest, PngPhotoIsTheExactPictureWithTheShapesAndUpsideDownWithFlipVertical) {
    Settings settings;
    settings.photoFormat = 1;
    Start(settings);
    Command(kPhotoCommand);
    ASSERT_TRUE(PhotosBecome(1, L"*.png"));
    EXPECT_TRUE(SavedFiles(L"*.jpg").empty());
    const std::wstring first = SavedFiles(L"*.png").front();
    const std::vector<uint8_t> bytes = ReadBytes(first);
    ASSERT_GT(bytes.size(), 8u);
    EXPECT_EQ(bytes[1], 'P');
    const Photo photo = LoadPhoto(first);
    ASSERT_EQ(photo.width, 640);
    ASSERT_EQ(photo.height, 480);
    EXPECT_EQ(MatchingShare(photo, 640, 480, 2, [](int x, int y) { return POINT{x, y}; }), 1.0);

    // A line drawn with the Line tool is burnt into the next photo, where it was drawn.
    Command(3021);
    ASSERT_TRUE(WaitFor([&] { return QueryView(kQueryTool) == 1; }, 3000));
    RECT client = {};
    GetClientRect(view_, &client);
    const int left = (client.right - 640) / 2, top = (client.bottom - 480) / 2;
    auto mouse = [&](UINT msg, int x, int y, WPARAM keys) {
        DWORD_PTR result = 0;
        SendMessageTimeoutW(view_, msg, keys, MAKELPARAM(left + x, top + y), SMTO_ABORTIFHUNG, 5000, &result);
    };
    mouse(WM_LBUTTONDOWN, 100, 300, MK_LBUTTON);
    mouse(WM_MOUSEMOVE, 300, 300, MK_LBUTTON);
    mouse(WM_MOUSEMOVE, 500, 300, MK_LBUTTON);
    mouse(WM_LBUTTONUP, 500, 300, 0);
    ASSERT_TRUE(WaitFor([&] { return QueryView(kQueryShapeCount) == 1; }, 3000));
    StartOfASecond();
    Command(kPhotoCommand);
    ASSERT_TRUE(PhotosBecome(2, L"*.png"));
    std::wstring withLine;
    for (const std::wstring& file : SavedFiles(L"*.png"))
        if (file != first)
            withLine = file;
    const Photo lined = LoadPhoto(withLine);
    CopyFileW(withLine.c_str(), (ArtifactFolder() + L"\\photo-with-line.png").c_str(), FALSE);
    int red = 0;
    for (int x = 150; x <= 450; x += 25) {
        for (int y = 298; y <= 302; ++y) {
            const TestRgb c = lined.At(x, y);
            if (c.r > 200 && c.g < 90 && c.b < 90) {
                ++red;
                break;
            }
        }
    }
    EXPECT_EQ(red, 13) << "the line is in the photo";
    Command(3029); // delete all
    Command(3030); // stop measuring
    ASSERT_TRUE(WaitFor([&] { return QueryView(kQueryShapeCount) == 0; }, 3000));

    // Flip vertical, switched on in the Preview section as a user does.
    HWND panel = GetDlgItem(main_, 109);
    HWND preview = panel ? GetDlgItem(panel, 101) : nullptr;
    HWND flip = preview ? GetDlgItem(preview, 105) : nullptr;
    if (!flip || WindowClass(preview) != L"CtrlPanelFlipWndClass")
        GTEST_SKIP() << "no Preview section with a Flip vert box in this build";
    PostMessageW(flip, BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return SendMessageW(flip, BM_GETCHECK, 0, 0) == BST_CHECKED; }, 5000));
    Sleep(500); // a few frames drawn upside down
    StartOfASecond();
    Command(kPhotoCommand);
    ASSERT_TRUE(PhotosBecome(3, L"*.png"));
    std::wstring second;
    for (const std::wstring& file : SavedFiles(L"*.png"))
        if (file != first && file != withLine)
            second = file;
    const Photo flipped = LoadPhoto(second);
    CopyFileW(second.c_str(), (ArtifactFolder() + L"\\photo-flipped.png").c_str(), FALSE);
    ASSERT_EQ(flipped.height, 480);
    EXPECT_EQ(MatchingShare(flipped, 640, 480, 2, [](int x, int y) { return POINT{x, 479 - y}; }), 1.0);
    PostMessageW(flip, BM_CLICK, 0, 0);
}

TEST_F(OutputTest, PhotoOfAnInterpolatedFormatHasTheContentSizeWhateverTheZoom) {
    Settings settings;
    settings.width = 1920;
    settings.height = 1080;
    settings.interpolated = 1;
    Start(settings);
    ASSERT_EQ(QueryView(kQueryContentWidth), 1920);
    EXPECT_LT(QueryView(kQueryZoom), 100) << "a 1920-wide picture starts fitted to the window";
    Command(kPhotoCommand);
    ASSERT_TRUE(PhotosBecome(1));
    const Photo photo = LoadPhoto(SavedFiles(L"*.jpg").front());
    CopyFileW(SavedFiles(L"*.jpg").front().c_str(), (ArtifactFolder() + L"\\photo-interpolated.jpg").c_str(),
              FALSE);
    EXPECT_EQ(photo.width, 1920);
    EXPECT_EQ(photo.height, 1080);
    // The 640x480 frame stretched over it.
    EXPECT_GE(MatchingShare(photo, 640, 480, 12,
                            [](int x, int y) {
                                return POINT{x * 640 / 1920, y * 480 / 1080};
                            }),
              0.9);
}

TEST_F(OutputTest, APhotoThatCannotBeSavedIsNotListed) {
    // A file where the save folder should be: nothing can be saved there.
    HANDLE blocker = CreateFileW(L"C:\\vantix-blocker", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(blocker, INVALID_HANDLE_VALUE);
    CloseHandle(blocker);
    Settings settings;
    settings.saveFolder = L"C:\\vantix-blocker\\photos";
    Start(settings);
    Command(kPhotoCommand);
    // The user is told, in a box owned by the main window that names the folder.
    const std::wstring told = TakeMessageBox(main_, 10000);
    EXPECT_NE(told.find(L"The photo could not be saved in this folder:"), std::wstring::npos)
        << "no message box";
    EXPECT_NE(told.find(settings.saveFolder), std::wstring::npos);
    EXPECT_EQ(StoredString(L"LatestFiles"), L"");

    // The record dialog cannot start either: it stays at "Start" and says why.
    HWND dialog = OpenRecordDialog();
    ASSERT_NE(dialog, nullptr);
    Press(dialog, IDOK);
    EXPECT_TRUE(WaitFor([&] { return !WindowText(GetDlgItem(dialog, IDC_REC_STATUS)).empty(); }, 10000));
    EXPECT_EQ(WindowText(GetDlgItem(dialog, IDOK)), L"Start");
    EXPECT_EQ(AskDialog(dialog, kRecordQueryRecording), 0);
    SaveScreenshot(L"record-cannot-start.bmp");
    Press(dialog, IDCANCEL);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(dialog); }, 5000));
    EXPECT_EQ(StoredString(L"LatestFiles"), L"");
    DeleteFileW(L"C:\\vantix-blocker");
}

TEST_F(OutputTest, TimeLimitEndsTheRecordingByItselfAndTheFileIsListed) {
    Settings settings;
    settings.maxRecordSeconds = 10;
    Start(settings);
    HWND dialog = OpenRecordDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(WindowText(dialog), L"Record video");
    EXPECT_EQ(SendDlgItemMessageW(dialog, IDC_REC_LIMIT, CB_GETCURSEL, 0, 0), 1) << "10 seconds";
    EXPECT_EQ(WindowText(GetDlgItem(dialog, IDOK)), L"Start");

    const long frames0 = CameraFrames();
    const DWORD t0 = GetTickCount();
    Press(dialog, IDOK);
    ASSERT_TRUE(WaitFor([&] { return WindowText(GetDlgItem(dialog, IDOK)) == L"Stop"; }, 5000));
    const std::string codec = Codec(dialog);
    WaitForClock(dialog, 50, 10000);
    SaveScreenshot(L"record-running.bmp");
    long clock = -1;
    EXPECT_TRUE(WaitFor(
        [&] {
            if (!IsWindow(dialog))
                return true;
            const long now = ClockTenths(WindowText(GetDlgItem(dialog, IDC_REC_CLOCK)));
            if (now >= 0)
                clock = now;
            return false;
        },
        20000))
        << "the dialog did not close by itself";
    const double seconds = (GetTickCount() - t0) / 1000.0;
    const double rate = (CameraFrames() - frames0) / seconds;
    EXPECT_GE(clock, 99);
    EXPECT_LE(clock, 110);

    const std::vector<std::wstring> videos = SavedFiles(L"*.mp4");
    ASSERT_EQ(videos.size(), 1u);
    EXPECT_EQ(StoredString(L"LatestFiles"), videos[0] + L";");
    EXPECT_EQ(StoredDword(L"MaxRecordTime"), 10u);
    ListForCheck(videos[0], {"time-limit.mp4", codec, 640, 480, rate, clock / 10.0, 0});
}

TEST_F(OutputTest, PauseStopsTheClockAndLeavesNoGapInTheFile) {
    Settings settings;
    settings.maxRecordSeconds = 45; // not in the list: "No limit"
    Start(settings, {kTestCamMjpg, 1280, 720, 30});
    HWND dialog = OpenRecordDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(SendDlgItemMessageW(dialog, IDC_REC_LIMIT, CB_GETCURSEL, 0, 0), 0);

    const long frames0 = CameraFrames();
    const DWORD t0 = GetTickCount();
    Press(dialog, IDOK);
    EXPECT_GE(WaitForClock(dialog, 30, 10000), 30);
    EXPECT_EQ(StoredDword(L"MaxRecordTime"), 0u) << "starting stores the selected limit";
    Press(dialog, IDC_REC_PAUSE);
    ASSERT_TRUE(WaitFor([&] { return WindowText(GetDlgItem(dialog, IDC_REC_PAUSE)) == L"Resume"; }, 5000));
    // Frames that came before the pause may still be on their way to the file; then nothing moves.
    long paused = -1;
    EXPECT_TRUE(WaitFor(
        [&] {
            const long before = ClockTenths(WindowText(GetDlgItem(dialog, IDC_REC_CLOCK)));
            Sleep(700);
            paused = ClockTenths(WindowText(GetDlgItem(dialog, IDC_REC_CLOCK)));
            return paused == before;
        },
        5000));
    Sleep(2500);
    EXPECT_EQ(ClockTenths(WindowText(GetDlgItem(dialog, IDC_REC_CLOCK))), paused)
        << "the clock stands while paused";
    Press(dialog, IDC_REC_PAUSE);
    ASSERT_TRUE(WaitFor([&] { return WindowText(GetDlgItem(dialog, IDC_REC_PAUSE)) == L"Pause"; }, 5000));
    const long clock = WaitForClock(dialog, paused + 30, 10000);
    EXPECT_GE(clock, paused + 30);
    const std::string codec = Codec(dialog);
    Press(dialog, IDOK);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(dialog); }, 10000)) << "Stop ends the dialog";
    const double rate = (CameraFrames() - frames0) / ((GetTickCount() - t0) / 1000.0);

    const std::vector<std::wstring> videos = SavedFiles(L"*.mp4");
    ASSERT_EQ(videos.size(), 1u);
    EXPECT_EQ(StoredString(L"LatestFiles"), videos[0] + L";");
    ListForCheck(videos[0], {"paused.mp4", codec, 1280, 720, rate, clock / 10.0, 0});
}

TEST_F(OutputTest, ARecordingKilledAfterFiveSecondsStillPlays) {
    Start(Settings{});
    HWND dialog = OpenRecordDialog();
    ASSERT_NE(dialog, nullptr);
    const long frames0 = CameraFrames();
    const DWORD t0 = GetTickCount();
    Press(dialog, IDOK);
    ASSERT_GE(WaitForClock(dialog, 55, 15000), 55);
    const double rate = (CameraFrames() - frames0) / ((GetTickCount() - t0) / 1000.0);
    const std::string codec = Codec(dialog);
    // As abrupt as it gets: no message, no clean-up in the program.
    TerminateProcess(session_.process.hProcess, 9);
    WaitForSingleObject(session_.process.hProcess, 10000);
    CloseHandle(session_.process.hThread);
    CloseHandle(session_.process.hProcess);
    session_.process = {};

    const std::vector<std::wstring> videos = SavedFiles(L"*.mp4");
    ASSERT_EQ(videos.size(), 1u);
    ListForCheck(videos[0], {"killed.mp4", codec, 640, 480, rate, -1, 4.0});
}

TEST_F(OutputTest, PullingTheCameraEndsTheRecordingWithAPlayableFile) {
    Start(Settings{});
    HWND dialog = OpenRecordDialog();
    ASSERT_NE(dialog, nullptr);
    const long frames0 = CameraFrames();
    const DWORD t0 = GetTickCount();
    Press(dialog, IDOK);
    ASSERT_GE(WaitForClock(dialog, 30, 10000), 30);
    const std::string codec = Codec(dialog);
    const double rate = (CameraFrames() - frames0) / ((GetTickCount() - t0) / 1000.0);

    ASSERT_TRUE(TestCam_Unregister(kCamera));
    TestCam_NotifyDeviceChange(view_, false);
    EXPECT_TRUE(WaitFor([&] { return WindowText(GetDlgItem(dialog, IDOK)) == L"Start"; }, 10000))
        << "the dialog is ready for a new start";
    EXPECT_FALSE(WindowText(GetDlgItem(dialog, IDC_REC_STATUS)).empty());
    EXPECT_EQ(AskDialog(dialog, kRecordQueryRecording), 0);
    const long clock = ClockTenths(WindowText(GetDlgItem(dialog, IDC_REC_CLOCK)));
    SaveScreenshot(L"record-camera-pulled.bmp");
    Sleep(1000);
    EXPECT_EQ(ClockTenths(WindowText(GetDlgItem(dialog, IDC_REC_CLOCK))), clock) << "the clock stopped";

    // Starting again without a camera says so and stays ready.
    Press(dialog, IDOK);
    Sleep(1000);
    EXPECT_EQ(WindowText(GetDlgItem(dialog, IDOK)), L"Start");
    Press(dialog, IDCANCEL);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(dialog); }, 5000));

    const std::vector<std::wstring> videos = SavedFiles(L"*.mp4");
    ASSERT_EQ(videos.size(), 1u);
    ListForCheck(videos[0], {"camera-pulled.mp4", codec, 640, 480, rate, clock / 10.0, 0});
    // Listed although no Stop completed it, and still listed after a restart.
    EXPECT_EQ(StoredString(L"LatestFiles"), videos[0] + L";");
    EXPECT_EQ(CloseProgram(&session_), 0u);
    ASSERT_TRUE(LaunchProgram(&session_));
    EXPECT_EQ(CloseProgram(&session_), 0u);
    EXPECT_EQ(StoredString(L"LatestFiles"), videos[0] + L";");
}

TEST_F(OutputTest, ClosingTheProgramWhileAStopWaitsKeepsTheFile) {
    Start(Settings{}, {kTestCamMjpg, 1920, 1080, 30});
    HWND dialog = OpenRecordDialog();
    ASSERT_NE(dialog, nullptr);
    const long frames0 = CameraFrames();
    const DWORD t0 = GetTickCount();
    Press(dialog, IDOK);
    ASSERT_GE(WaitForClock(dialog, 30, 10000), 30);
    const std::string codec = Codec(dialog);
    const double rate = (CameraFrames() - frames0) / ((GetTickCount() - t0) / 1000.0);
    // Stop, and close the main window while the file is being completed.
    Press(dialog, IDOK);
    PostMessageW(main_, WM_CLOSE, 0, 0);
    DWORD exitCode = STILL_ACTIVE;
    ASSERT_EQ(WaitForSingleObject(session_.process.hProcess, 20000), WAIT_OBJECT_0) << "the program hangs";
    GetExitCodeProcess(session_.process.hProcess, &exitCode);
    EXPECT_EQ(exitCode, 0u);
    CloseHandle(session_.process.hThread);
    CloseHandle(session_.process.hProcess);
    session_.process = {};

    const std::vector<std::wstring> videos = SavedFiles(L"*.mp4");
    ASSERT_EQ(videos.size(), 1u);
    EXPECT_EQ(StoredString(L"LatestFiles"), videos[0] + L";");
    ListForCheck(videos[0], {"closed-while-stopping.mp4", codec, 1920, 1080, rate, -1, 2.5});
}

TEST_F(OutputTest, ClosingTheProgramDuringARecordingKeepsTheFile) {
    Start(Settings{});
    HWND dialog = OpenRecordDialog();
    ASSERT_NE(dialog, nullptr);
    const long frames0 = CameraFrames();
    const DWORD t0 = GetTickCount();
    Press(dialog, IDOK);
    ASSERT_GE(WaitForClock(dialog, 30, 10000), 30);
    const std::string codec = Codec(dialog);
    const double rate = (CameraFrames() - frames0) / ((GetTickCount() - t0) / 1000.0);
    EXPECT_EQ(CloseProgram(&session_), 0u) << "the program crashed or hung";

    const std::vector<std::wstring> videos = SavedFiles(L"*.mp4");
    ASSERT_EQ(videos.size(), 1u);
    EXPECT_EQ(StoredString(L"LatestFiles"), videos[0] + L";") << "kept and listed for the next start";
    ListForCheck(videos[0], {"closed-while-recording.mp4", codec, 640, 480, rate, -1, 2.5});
}

// Whether a process has loaded a DLL of that name.
bool HasModule(HANDLE process, const wchar_t* name) {
    HMODULE modules[512];
    DWORD bytes = 0;
    if (!EnumProcessModules(process, modules, sizeof modules, &bytes))
        return false;
    for (DWORD i = 0; i < bytes / sizeof(HMODULE) && i < 512; ++i) {
        wchar_t file[MAX_PATH] = {};
        GetModuleBaseNameW(process, modules[i], file, MAX_PATH);
        if (_wcsicmp(file, name) == 0)
            return true;
    }
    return false;
}

// Wine's DLL overrides for the program alone: the DLLs named are not loaded, as if the system had
// none.
class DisabledDlls {
public:
    explicit DisabledDlls(std::initializer_list<const wchar_t*> dlls) {
        HKEY key = nullptr;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, kOverrides, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                            nullptr) != ERROR_SUCCESS)
            return;
        for (const wchar_t* dll : dlls)
            RegSetValueExW(key, dll, 0, REG_SZ, reinterpret_cast<const BYTE*>(L""), sizeof(wchar_t));
        RegCloseKey(key);
    }
    ~DisabledDlls() { RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults\\vantix.exe"); }

private:
    static constexpr wchar_t kOverrides[] = L"Software\\Wine\\AppDefaults\\vantix.exe\\DllOverrides";
};

// As on a Windows N edition, which comes without Media Foundation: the program starts, shows the
// picture, takes a photo and records with its own writer.
TEST_F(OutputTest, WithoutMediaFoundationTheProgramStillShowsPhotographsAndRecords) {
    const DisabledDlls noMediaFoundation({L"mfplat", L"mfreadwrite"});
    Start(Settings{});
    EXPECT_FALSE(HasModule(session_.process.hProcess, L"mfplat.dll"));
    EXPECT_FALSE(HasModule(session_.process.hProcess, L"mfreadwrite.dll"));
    EXPECT_TRUE(HasModule(session_.process.hProcess, L"gdiplus.dll")) << "the module list is readable";
    Command(kPhotoCommand);
    EXPECT_TRUE(PhotosBecome(1));

    HWND dialog = OpenRecordDialog();
    ASSERT_NE(dialog, nullptr);
    const long frames0 = CameraFrames();
    const DWORD t0 = GetTickCount();
    Press(dialog, IDOK);
    const long clock = WaitForClock(dialog, 40, 10000);
    ASSERT_GE(clock, 40);
    EXPECT_EQ(Codec(dialog), "mjpeg");
    const double rate = (CameraFrames() - frames0) / ((GetTickCount() - t0) / 1000.0);
    Press(dialog, IDOK);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(dialog); }, 10000));
    const std::vector<std::wstring> videos = SavedFiles(L"*.mp4");
    ASSERT_EQ(videos.size(), 1u);
    ListForCheck(videos[0], {"no-media-foundation.mp4", "mjpeg", 640, 480, rate, clock / 10.0, 0});
    EXPECT_EQ(CloseProgram(&session_), 0u);
}

} // namespace output_e2e
