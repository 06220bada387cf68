// Photos and videos of the real program with the virtual camera: the three ways to take a photo,
// one photo a second, JPEG at the picture's content size, the record dialog with its time
// limit, pause and stop, and recordings that end by a kill, a pulled camera or the program closing.
//
// The recorded files are copied to the artifact folder and listed with what they must hold in
// output-videos/manifest.txt; check_videos.sh then has ffprobe read each of them.
#include "output/record_dialog.h"
#include "panels/panel_layout.h"
#include "panels/panel_messages.h"
#include "resources/dialogs_record_ids.h"
#include "tests/e2e/e2e_support.h"

#include <psapi.h>

#include <climits>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace output_e2e {
namespace {

constexpr wchar_t kCamera[] = L"vid_1d6b&pid_0102&mi_00#output#1";
constexpr wchar_t kSaveFolder[] = L"C:\\vantix-output";

// Settings the program starts with.
struct Settings {
    int width = 640;
    int height = 480;
    bool interpolated = false;
    int maxRecordSeconds = 0;
    std::wstring saveFolder = kSaveFolder;
};

std::vector<std::wstring> SavedFiles(const wchar_t* pattern) {
    return FilesIn(kSaveFolder, pattern);
}

// The clock text as tenths of a second ("9.5" -> 95; no recording here reaches a minute); -1 when
// unreadable.
long ClockTenths(const std::wstring& text) {
    int seconds = 0, tenths = 0;
    if (swscanf(text.c_str(), L"%d.%d", &seconds, &tenths) == 2)
        return seconds * 10 + tenths;
    return -1;
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

// Copies the video out of the test's prefix and lists it for check_videos.sh.
void ListForCheck(const std::wstring& video, VideoExpectation e) {
    const std::wstring folder = VideoFolder();
    ASSERT_TRUE(CopyFileW(video.c_str(),
                          (folder + L"\\" + std::wstring(e.name.begin(), e.name.end())).c_str(), FALSE))
        << "cannot copy " << Utf8(video);
    std::FILE* manifest = _wfopen((folder + L"\\manifest.txt").c_str(), L"a");
    ASSERT_NE(manifest, nullptr);
    std::fprintf(manifest,
                 "%s codec=%s width=%d height=%d rate=%.2f clock=%.1f min_duration=%.1f max_gap=0.5\n",
                 e.name.c_str(), e.codec.c_str(), e.width, e.height, e.rate, e.clock, e.minDuration);
    std::fclose(manifest);
}

class OutputTest : public ProgramTest {
protected:
    static void SetUpTestSuite() {
        // A new list for this run.
        DeleteFileW((VideoFolder() + L"\\manifest.txt").c_str());
    }

    void SetUp() override {
        ClearSettings();
        for (const std::wstring& file : SavedFiles(L"*.*"))
            DeleteFileW(file.c_str());
        CreateDirectoryW(kSaveFolder, nullptr);
    }

    // Starts the program with a camera of one format and waits for the live picture.
    void Start(const Settings& settings, TestCamFormat format = {kTestCamMjpg, 640, 480, 30}) {
        ASSERT_TRUE(AddCamera(kCamera, L"Output Scope", {format}));
        ASSERT_TRUE(StoreRequestedFormat(true, settings.width, settings.height, settings.interpolated));
        StoreSettings({{L"jpgPng", 0}, // JPEG
                       {L"MaxRecordTime", static_cast<DWORD>(settings.maxRecordSeconds)},
                       {L"LineColor", 0x0000FF}}); // red, for the measurement shapes
        WriteSetting(L"ImgDir", settings.saveFolder);
        Launch();
        ASSERT_TRUE(WaitFor([&] { return Query(kQueryContentWidth) > 0 && Query(kQueryPaints) > 2; }, 15000))
            << "no live picture";
    }

    // Waits until `count` JPEG photos are in the save folder, each written to its end.
    bool PhotosBecome(size_t count) {
        return WaitFor(
            [&] {
                const std::vector<std::wstring> files = SavedFiles(L"*.jpg");
                if (files.size() != count)
                    return false;
                for (const std::wstring& file : files) {
                    if (!CompletePhoto(ReadBytes(file), false))
                        return false;
                }
                return true;
            },
            8000);
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
        Command(IDC_VIDEO);
        return WaitForDialog([](HWND hwnd) { return GetDlgItem(hwnd, IDC_REC_CLOCK) != nullptr; }, 10000);
    }

    // Presses Start in the record dialog (opened first without one); the camera's count and the
    // time from then on give the rate the file must have.
    HWND StartRecording(HWND dialog = nullptr) {
        if (!dialog)
            dialog = OpenRecordDialog();
        frames0_ = CameraFrames();
        t0_ = GetTickCount();
        if (dialog)
            PressButton(dialog, IDOK);
        return dialog;
    }
    double Rate() const { return (CameraFrames() - frames0_) / ((GetTickCount() - t0_) / 1000.0); }

    static long Clock(HWND dialog) { return ClockTenths(WindowText(GetDlgItem(dialog, IDC_REC_CLOCK))); }
    static std::wstring Label(HWND dialog, int id) { return WindowText(GetDlgItem(dialog, id)); }

    // Follows the clock until it shows at least `tenths` (or the dialog is gone); the last reading.
    static long WaitForClock(HWND dialog, long tenths, DWORD timeoutMs) {
        long last = -1;
        WaitFor(
            [&] {
                if (!IsWindow(dialog))
                    return true;
                const long now = Clock(dialog);
                if (now >= 0)
                    last = now;
                return last >= tenths;
            },
            timeoutMs);
        return last;
    }

    long CameraFrames() const { return TestCam_ReadStatus(kCamera).framesDelivered; }
    static std::string Codec(HWND dialog) {
        return SendWithTimeout(dialog, UM_RECORD_QUERY, kRecordQueryWriter, 0) == 1 ? "h264" : "mjpeg";
    }

    // The save folder holds one video, listed (or not) as the latest file; it goes to check_videos.sh.
    void ExpectOneVideo(VideoExpectation e, bool listed = true) {
        const std::vector<std::wstring> videos = SavedFiles(L"*.mp4");
        ASSERT_EQ(videos.size(), 1u);
        if (listed) {
            EXPECT_EQ(StoredString(L"LatestFiles"), videos[0] + L";");
        }
        ListForCheck(videos[0], e);
    }

    long frames0_ = 0;
    DWORD t0_ = 0;
};

} // namespace

TEST_F(OutputTest, SpaceThePhotoCommandAndTheSnapshotButtonEachSaveOnePhoto) {
    Start({});

    // Space in the view, the Device section's photo command, the camera's own button: one each.
    const std::function<void()> requests[] = {[&] { PostMessageW(view_, WM_KEYDOWN, VK_SPACE, 0x00390001); },
                                              [&] { Command(IDC_PHOTO); },
                                              [&] { ASSERT_TRUE(TestCam_PressSnapshot(kCamera)); }};
    for (size_t i = 0; i < 3; ++i) {
        StartOfASecond();
        requests[i]();
        EXPECT_TRUE(PhotosBecome(i + 1)) << "request " << i;
    }

    // Two requests within the same second: one photo.
    StartOfASecond();
    Command(IDC_PHOTO);
    ASSERT_TRUE(TestCam_PressSnapshot(kCamera));
    EXPECT_TRUE(PhotosBecome(4));
    Sleep(1500);
    EXPECT_EQ(SavedFiles(L"*.jpg").size(), 4u);

    // JPEG (PhotosBecome reads the type) at the camera's size, showing the camera's picture.
    const Picture photo = LoadPicture(SavedFiles(L"*.jpg").front());
    EXPECT_EQ(photo.width, 640);
    EXPECT_EQ(photo.height, 480);
    // JPEG shifts colours a little at sharp edges, even at quality 100.
    EXPECT_GE(MatchingShare(photo, 640, 480, 16, [](int x, int y) { return POINT{x, y}; }), 0.95);
}

TEST_F(OutputTest, PhotoOfAnInterpolatedFormatHasTheContentSizeWhateverTheZoom) {
    Start({.width = 1920, .height = 1080, .interpolated = true});
    ASSERT_EQ(Query(kQueryContentWidth), 1920);
    EXPECT_LT(Query(kQueryZoom), 100) << "a 1920-wide picture starts fitted to the window";
    Command(IDC_PHOTO);
    ASSERT_TRUE(PhotosBecome(1));
    const Picture photo = LoadPicture(SavedFiles(L"*.jpg").front());
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
    const Settings settings{.saveFolder = L"C:\\vantix-blocker\\photos"};
    Start(settings);
    Command(IDC_PHOTO);
    // The user is told, in a box owned by the main window that names the folder (in its text
    // static, id 0xFFFF).
    HWND box = WaitForDialog([&](HWND hwnd) { return GetWindow(hwnd, GW_OWNER) == main_; }, 10000);
    ASSERT_NE(box, nullptr) << "no message box";
    const std::wstring told = WindowText(GetDlgItem(box, 0xFFFF));
    PressButton(box, IDOK);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(box); }, 5000));
    EXPECT_NE(told.find(L"The photo could not be saved in this folder:"), std::wstring::npos);
    EXPECT_NE(told.find(settings.saveFolder), std::wstring::npos);
    EXPECT_EQ(StoredString(L"LatestFiles"), L"");
    DeleteFileW(L"C:\\vantix-blocker");
}

TEST_F(OutputTest, PauseStopsTheClockAndLeavesNoGapInTheFile) {
    Start({.maxRecordSeconds = 45}, {kTestCamMjpg, 1280, 720, 30}); // 45 s is not in the list: "No limit"
    HWND dialog = OpenRecordDialog();
    ASSERT_NE(dialog, nullptr);
    StartRecording(dialog);
    EXPECT_GE(WaitForClock(dialog, 30, 10000), 30);
    EXPECT_EQ(StoredDword(L"MaxRecordTime"), 0u) << "starting stores the selected limit";
    PressButton(dialog, IDC_REC_PAUSE);
    ASSERT_TRUE(WaitFor([&] { return Label(dialog, IDC_REC_PAUSE) == L"Resume"; }, 5000));
    // Frames that came before the pause may still be on their way to the file; then nothing moves.
    long paused = -1;
    EXPECT_TRUE(WaitFor(
        [&] {
            const long before = Clock(dialog);
            Sleep(700);
            paused = Clock(dialog);
            return paused == before;
        },
        5000));
    Sleep(2500);
    EXPECT_EQ(Clock(dialog), paused) << "the clock stands while paused";
    PressButton(dialog, IDC_REC_PAUSE);
    ASSERT_TRUE(WaitFor([&] { return Label(dialog, IDC_REC_PAUSE) == L"Pause"; }, 5000));
    const long clock = WaitForClock(dialog, paused + 30, 10000);
    EXPECT_GE(clock, paused + 30);
    const std::string codec = Codec(dialog);
    PressButton(dialog, IDOK);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(dialog); }, 10000)) << "Stop ends the dialog";
    ExpectOneVideo({"paused.mp4", codec, 1280, 720, Rate(), clock / 10.0, 0});
}

TEST_F(OutputTest, PullingTheCameraEndsTheRecordingWithAPlayableFile) {
    Start({});
    HWND dialog = StartRecording();
    ASSERT_NE(dialog, nullptr);
    ASSERT_GE(WaitForClock(dialog, 30, 10000), 30);
    const std::string codec = Codec(dialog);
    const double rate = Rate();

    ASSERT_TRUE(TestCam_Unregister(kCamera));
    TestCam_NotifyDeviceChange(view_, false);
    EXPECT_TRUE(WaitFor([&] { return Label(dialog, IDOK) == L"Start"; }, 10000))
        << "the dialog is ready for a new start";
    EXPECT_FALSE(Label(dialog, IDC_REC_STATUS).empty());
    EXPECT_EQ(SendWithTimeout(dialog, UM_RECORD_QUERY, kRecordQueryRecording, 0), 0);
    const long clock = Clock(dialog);
    Sleep(1000);
    EXPECT_EQ(Clock(dialog), clock) << "the clock stopped";
    PressButton(dialog, IDCANCEL);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(dialog); }, 5000));

    // Listed although no Stop completed it.
    ExpectOneVideo({"camera-pulled.mp4", codec, 640, 480, rate, clock / 10.0, 0});
}

// Recordings that end with the program: killed, closed while a stop completes the file, closed
// while recording. Each file must still play; all but the killed one are listed for the next start.
TEST_F(OutputTest, ARecordingEndedWithTheProgramStillPlays) {
    enum class Ending { Kill, CloseWhileStopping, CloseWhileRecording };
    const struct {
        Ending ending;
        const char* file;
        int width, height;
        long clockTenths;
        double minDuration;
    } cases[] = {{Ending::Kill, "killed.mp4", 640, 480, 55, 4.0},
                 {Ending::CloseWhileStopping, "closed-while-stopping.mp4", 1920, 1080, 30, 2.5},
                 {Ending::CloseWhileRecording, "closed-while-recording.mp4", 640, 480, 30, 2.5}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        SetUp();
        Start({}, {kTestCamMjpg, c.width, c.height, 30});
        HWND dialog = StartRecording();
        ASSERT_NE(dialog, nullptr);
        ASSERT_GE(WaitForClock(dialog, c.clockTenths, 15000), c.clockTenths);
        const double rate = Rate();
        const std::string codec = Codec(dialog);
        if (c.ending == Ending::Kill) {
            // As abrupt as it gets: no message, no clean-up in the program.
            EndProgram(&session_, true, 10000);
        } else {
            if (c.ending == Ending::CloseWhileStopping)
                PressButton(dialog, IDOK); // the main window closes while the file is being completed
            EXPECT_EQ(CloseProgram(&session_), 0u) << "the program crashed or hung";
        }
        ExpectOneVideo({c.file, codec, c.width, c.height, rate, -1, c.minDuration}, c.ending != Ending::Kill);
    }
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
        for (const wchar_t* dll : dlls)
            RegSetKeyValueW(HKEY_CURRENT_USER, kOverrides, dll, REG_SZ, L"", sizeof(wchar_t));
    }
    ~DisabledDlls() { RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults\\vantix.exe"); }

private:
    static constexpr wchar_t kOverrides[] = L"Software\\Wine\\AppDefaults\\vantix.exe\\DllOverrides";
};

// As on a Windows N edition, which comes without Media Foundation: the program starts, shows the
// picture, takes a photo and records with its own writer until the time limit ends the recording
// by itself; the photo and the video are listed.
TEST_F(OutputTest, WithoutMediaFoundationTheProgramPhotographsAndRecordsUntilTheTimeLimitEndsIt) {
    const DisabledDlls noMediaFoundation({L"mfplat", L"mfreadwrite"});
    Start({.maxRecordSeconds = 10});
    EXPECT_FALSE(HasModule(session_.process.hProcess, L"mfplat.dll"));
    EXPECT_FALSE(HasModule(session_.process.hProcess, L"mfreadwrite.dll"));
    EXPECT_TRUE(HasModule(session_.process.hProcess, L"gdiplus.dll")) << "the module list is readable";
    Command(IDC_PHOTO);
    ASSERT_TRUE(PhotosBecome(1));
    const std::wstring photo = SavedFiles(L"*.jpg")[0];
    HWND files = GetDlgItem(GetDlgItem(panel_, kIdFilesSection), 101);

    HWND dialog = OpenRecordDialog();
    ASSERT_NE(dialog, nullptr);
    StartRecording(dialog);
    ASSERT_TRUE(WaitFor([&] { return Label(dialog, IDOK) == L"Stop"; }, 5000));
    EXPECT_EQ(Codec(dialog), "mjpeg");
    const long clock = WaitForClock(dialog, LONG_MAX, 20000);
    EXPECT_FALSE(IsWindow(dialog)) << "the dialog did not close by itself";
    EXPECT_GE(clock, 99);
    EXPECT_LE(clock, 110);
    EXPECT_TRUE(WaitFor([&] { return SendWithTimeout(files, LB_GETCOUNT, 0, 0) == 2; }, 5000))
        << "not in Files";
    ExpectOneVideo({"time-limit.mp4", "mjpeg", 640, 480, Rate(), clock / 10.0, 0}, false);
    EXPECT_EQ(StoredString(L"LatestFiles"), SavedFiles(L"*.mp4")[0] + L";" + photo + L";");
    EXPECT_EQ(CloseProgram(&session_), 0u);
}

} // namespace output_e2e
