// The video recorder, its writers and the record dialog against Wine's real Media Foundation, WIC,
// GDI+ and file system, in-process: frames are handed over as the capture code hands them, and
// the dialog records from the virtual camera.
#include "base/app_settings.h"
#include "capture/capture_session.h"
#include "app/main_window.h"
#include "base/string_table.h"
#include "capture/frame_rate.h"
#include "capture/video_format.h"
#include "output/frame_sinks.h"
#include "output/media_foundation_api.h"
#include "output/record_clock.h"
#include "output/record_dialog.h"
#include "output/video_encoding.h"
#include "output/video_recorder.h"
#include "resources/dialogs_record_ids.h"
#include "tests/unit/mp4_test_reader.h"
#include "testcam/testcam_control.h"
#include "tests/support/dialogs.h"
#include "tests/wine/capture_fixture.h"
#include "tests/wine/fake_sink_writer.h"
#include "tests/support/file_bytes.h"
#include "tests/support/picture.h"
#include "base/gdi_holders.h"
#include "tests/support/message_pump.h"
#include "tests/support/win32_support.h"
#include "output/settings_store.h"

#include <gtest/gtest.h>
#include <mfapi.h>
#include <objbase.h>

#include <optional>
#include <string>
#include <vector>

namespace {

// A bottom-up BGR frame: grey, with a red block in the picture's top-left corner (the end of the
// buffer) and a blue one in its bottom-left corner (the start).
std::vector<uint8_t> Frame(int width, int height) {
    std::vector<uint8_t> frame(static_cast<size_t>(width) * height * 3, 128);
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            uint8_t* top = &frame[(static_cast<size_t>(height - 1 - y) * width + x) * 3];
            top[0] = 0, top[1] = 0, top[2] = 255;
            uint8_t* bottom = &frame[(static_cast<size_t>(y) * width + x) * 3];
            bottom[0] = 255, bottom[1] = 0, bottom[2] = 0;
        }
    }
    return frame;
}

bool Reddish(COLORREF c) {
    return GetRValue(c) > 200 && GetGValue(c) < 60 && GetBValue(c) < 60;
}

// COM, Media Foundation, GDI+ and the English texts for the whole test program, as the program
// has them (the recorder's own threads join the multithreaded apartment themselves).
class Platform : public testing::Environment {
public:
    void SetUp() override {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        StartMediaFoundation();
        gdiplus_.emplace();
        SelectLanguage(0);
    }
    void TearDown() override {
        gdiplus_.reset();
        StopMediaFoundation();
        CoUninitialize();
    }

private:
    std::optional<GdiplusSession> gdiplus_;
};
testing::Environment* const s_platform = testing::AddGlobalTestEnvironment(new Platform);

// The frames still being encoded when the file is finished are in it too.
TEST(MjpegSink, FinishWritesEveryFrameItWasGiven) {
    const std::wstring path = TempFolder(L"vantix-rec") + L"\\sink.mp4";
    MjpegSinkError error = MjpegSinkError::None;
    std::unique_ptr<FrameSink> sink = CreateMjpegSink({path, 320, 240, 30.0}, &error);
    ASSERT_NE(sink, nullptr);
    const std::vector<uint8_t> frame = Frame(320, 240);
    for (int i = 0; i < 45; ++i)
        EXPECT_NE(sink->WriteFrame(frame.data(), i * 333333LL), FrameSink::Result::Failed);
    EXPECT_TRUE(sink->Finish());
    EXPECT_EQ(ReadMp4(ReadBytes(path)).SampleCount(), 45u);
}

TEST(FileByteSink, AppendsPatchesAndReportsWhatFails) {
    const std::wstring path = TempFolder(L"vantix-rec") + L"\\bytes.bin";
    {
        FileByteSink sink;
        DWORD error = 0;
        ASSERT_TRUE(sink.Open(path, &error));
        const uint8_t a[] = {1, 2, 3, 4, 5};
        const uint8_t b[] = {6, 7};
        const uint8_t patch[] = {9, 9};
        EXPECT_TRUE(sink.CanSeek());
        EXPECT_TRUE(sink.Write(a, sizeof a));
        EXPECT_TRUE(sink.WriteAt(1, patch, sizeof patch));
        EXPECT_TRUE(sink.Write(b, sizeof b)); // still appends at the end
    }
    EXPECT_EQ(ReadBytes(path), (std::vector<uint8_t>{1, 9, 9, 4, 5, 6, 7}));

    FileByteSink folder;
    DWORD error = 0;
    EXPECT_FALSE(folder.Open(TempFolder(L"vantix-rec"), &error)); // a folder, not a file
    EXPECT_NE(error, 0u);
    const uint8_t c[] = {1};
    EXPECT_FALSE(folder.Write(c, 1));
}

class RecorderTest : public testing::Test {
protected:
    void SetUp() override {
        g_capture.currentFormat = VideoFormat{kFourccMjpg, 160, 120, 0};
        g_capture.frameRate = 2.0f; // a camera that has just started
        folder_ = TempFolder(L"vantix-rec");
    }
    void TearDown() override {
        StopRecording();
        g_capture.currentFormat = VideoFormat{0, 0, 0, 0};
        g_capture.frameRate = kDefaultFrameRate;
    }
    static void Offer(int count) {
        const std::vector<uint8_t> frame = Frame(160, 120);
        for (int i = 0; i < count; ++i) {
            OfferRecorderFrame(frame.data(), frame.size());
            Sleep(33);
        }
    }
    std::wstring folder_;
};

TEST_F(RecorderTest, RecordsTheHandedOverFramesWithTheProgramsOwnWriterWhereMediaFoundationCannot) {
    const std::wstring path = folder_ + L"\\20240131-094502-007.mp4";
    ASSERT_EQ(StartRecording(path), RecordStartError::None);
    EXPECT_TRUE(IsRecording());
    // Wine has no H.264 encoder and no MP4 sink: the fallback writes under the same name.
    EXPECT_EQ(CurrentVideoWriter(), VideoWriterKind::MotionJpeg);
    EXPECT_EQ(StartRecording(folder_ + L"\\other.mp4"), RecordStartError::Busy);

    Offer(30);
    Sleep(300);
    EXPECT_GT(RecordedTenths(), 7);
    const RecorderFigures figures = CurrentRecorderFigures();
    EXPECT_EQ(figures.offered, 30u);
    EXPECT_EQ(figures.dropped, 0u);

    EXPECT_EQ(StopRecording(), RecordingEnd::Complete);
    EXPECT_FALSE(IsRecording());

    // Every frame taken is in the file or counted out.
    const std::vector<uint8_t> bytes = ReadBytes(path);
    Mp4TestFile file;
    ASSERT_NO_THROW(file = ReadMp4(bytes));
    const RecorderFigures done = CurrentRecorderFigures();
    EXPECT_EQ(done.written, file.SampleCount());
    EXPECT_EQ(done.written + done.dropped + done.refused + done.discarded, done.offered);
    ASSERT_GE(file.SampleCount(), 25u);
    EXPECT_EQ(file.width, 160);
    EXPECT_TRUE(file.hasIndex);
    // The measured 2 frames a second was raised to 5 before the writer took it: the last frame
    // lasts a fifth of a second.
    const Mp4TestSample& last = file.fragments.back().samples.back();
    EXPECT_EQ(last.duration, file.mediaTimescale / 5);
    // The file's time: 30 frames at 33 ms and more (a pause is the e2e and unit tests').
    const double seconds = static_cast<double>(file.Duration()) / file.mediaTimescale;
    EXPECT_GT(seconds, 1.0);
    EXPECT_LT(seconds, 1.6);

    // Each sample a JPEG picture of its frame, and the first frame as a picture beside the video
    // for the Files section's preview: the top of the picture is the end of the buffer.
    const Mp4TestSample& first = file.fragments.front().samples.front();
    const std::wstring sample = folder_ + L"\\first-sample.jpg";
    ASSERT_TRUE(WriteBytes(sample, {&bytes[first.offset], &bytes[first.offset] + first.size}));
    for (const std::wstring& jpeg : {sample, folder_ + L"\\20240131-094502-007.jpg"}) {
        const Picture picture = LoadPicture(jpeg);
        EXPECT_EQ(picture.width, 160);
        EXPECT_TRUE(Reddish(picture.At(3, 3)));
        EXPECT_FALSE(Reddish(picture.At(3, 115)));
    }

    // Idle again: a new recording can start. Stopped before any frame, it leaves no file.
    const std::wstring again = folder_ + L"\\again.mp4";
    ASSERT_EQ(StartRecording(again), RecordStartError::None);
    EXPECT_EQ(StopRecording(), RecordingEnd::Empty);
    EXPECT_EQ(GetFileAttributesW(again.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(StopRecording(), RecordingEnd::NotRunning);

    // A recording that cannot start leaves the recorder idle: the next start is not refused as busy.
    EXPECT_EQ(StartRecording(L"C:\\no-such-folder\\x\\a.mp4"), RecordStartError::CannotCreateFile);
    g_capture.currentFormat = VideoFormat{0, 0, 0, 0};
    EXPECT_EQ(StartRecording(folder_ + L"\\b.mp4"), RecordStartError::NoCamera);
}

// What a window saw when a message reached it during a stop.
struct DuringStop {
    bool outerWaiting = false; // set around the outer StopRecording by the test
    bool handledWhileOuterWaited = false;
};
DuringStop s_duringStop;

TEST_F(RecorderTest, MessagesFlowWhileAStopWaitsAndANestedStopReturnsAtOnce) {
    // Large frames, so that completing the file takes a while (the encoders finish their frames).
    g_capture.currentFormat = VideoFormat{kFourccMjpg, 1920, 1080, 0};
    const std::wstring path = folder_ + L"\\nested.mp4";
    ASSERT_EQ(StartRecording(path), RecordStartError::None);
    HWND window = CreateWindowW(L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    // A window that stops the recording itself, as a dialog being destroyed does, and a main
    // window that closes meanwhile.
    SetWindowLongPtrW(window, GWLP_WNDPROC,
                      reinterpret_cast<LONG_PTR>(+[](HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
                          if (msg != WM_APP)
                              return DefWindowProcW(hwnd, msg, wParam, lParam);
                          s_duringStop.handledWhileOuterWaited = s_duringStop.outerWaiting;
                          StopRecording();
                          PostQuitMessage(7); // once the nested stop has returned
                          return LRESULT{0};
                      }));
    const std::vector<uint8_t> frame = Frame(1920, 1080);
    for (int i = 0; i < 6; ++i)
        OfferRecorderFrame(frame.data(), frame.size());
    s_duringStop = {};
    PostMessageW(window, WM_APP, 0, 0);
    s_duringStop.outerWaiting = true;
    StopRecording();
    s_duringStop.outerWaiting = false;

    EXPECT_TRUE(s_duringStop.handledWhileOuterWaited) << "no message was dispatched during the wait";
    // The quit that came during the wait is there for the message loop afterwards.
    MSG msg = {};
    EXPECT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 7u);
    Mp4TestFile file;
    ASSERT_NO_THROW(file = ReadMp4(ReadBytes(path)));
    EXPECT_GE(file.SampleCount(), 1u);
    DestroyWindow(window);
}

TEST(MediaFoundationSink, KeepsTheSinkWritersContractThroughARecordingWithAPause) {
    const ScopedFakeSinkWriter fake({});
    const std::wstring path = TempFolder(L"vantix-rec") + L"\\mf.mp4";
    int64_t now = 5000000; // the recorder's clock, driven by the test
    FrameRecorder recorder([&] { return now; });
    RecorderThreadHooks hooks;
    hooks.starting = [] { CoInitializeEx(nullptr, COINIT_MULTITHREADED); };
    hooks.ending = [] { CoUninitialize(); };
    const VideoFileSetup setup{path, 160, 120, 30.0};
    ASSERT_TRUE(
        recorder.Start([&] { return CreateMediaFoundationSink(setup, nullptr); }, 160, 120, 30.0, hooks));

    const std::vector<uint8_t> frame = Frame(160, 120);
    auto offer = [&](int count) {
        for (int i = 0; i < count; ++i) {
            now += 333333;
            recorder.OfferFrame(frame.data(), frame.size());
        }
    };
    offer(12);
    recorder.Pause();
    now += 50000000; // five seconds paused
    recorder.Resume();
    offer(12);
    ASSERT_TRUE(PumpUntil([&] { return recorder.Figures().written == 24; }, 5000));
    EXPECT_TRUE(recorder.Join());

    const FakeSinkWriterLog& log = fake.Log();
    EXPECT_TRUE(log.violations.empty()) << testing::PrintToString(log.violations);
    ASSERT_EQ(log.containers.size(), 1u);
    EXPECT_EQ(log.containers[0], MFTranscodeContainerType_FMPEG4)
        << "a killed program leaves a playable file";
    EXPECT_EQ(log.alive, 0);
    EXPECT_EQ(log.finalized, 1);

    const FakeVideoType& out = log.output;
    EXPECT_EQ(out.subtype, MFVideoFormat_H264);
    EXPECT_EQ(out.bitRate, AverageBitRate(160));
    const FakeVideoType& in = log.input;
    EXPECT_EQ(in.subtype, MFVideoFormat_RGB24);
    // Both types take these from one helper; the fake notes an input type without them.
    EXPECT_EQ(out.width, 160u);
    EXPECT_EQ(out.height, 120u);
    EXPECT_EQ(static_cast<double>(out.rateNumerator) / out.rateDenominator, 30.0);
    EXPECT_EQ(out.aspectNumerator, out.aspectDenominator);
    EXPECT_EQ(out.interlace, static_cast<UINT32>(MFVideoInterlace_Progressive));

    // The pause left out: no step between two samples much longer than a frame.
    ASSERT_EQ(log.times.size(), 24u);
    for (size_t i = 1; i < log.times.size(); ++i)
        EXPECT_LE(log.times[i] - log.times[i - 1], 500000) << i;

    // The picture's top row (red at the left) is where the declared stride puts the top row.
    // With no violation noted, the sample is |stride| x height bytes.
    ASSERT_EQ(log.firstSample.size(), frame.size());
    const auto topLeft = log.firstSample.begin() + (in.stride < 0 ? 119 * 480 : 0);
    EXPECT_EQ(std::vector<uint8_t>(topLeft, topLeft + 3), (std::vector<uint8_t>{0, 0, 255}));
}

// The product's recorder with a writer that fails at one step or refuses the fragmented file.
TEST_F(RecorderTest, SinkWriterFailuresEndOrFallBackAndAreNotReportedAsSuccess) {
    using Step = FakeSinkWriterScript::Step;
    const struct {
        const char* name;
        FakeSinkWriterScript script;
        VideoWriterKind writer;
        bool endsByItself;
        bool complete;
        size_t creations;
    } cases[] = {
        {"fragmented refused", {Step::None, 0, true}, VideoWriterKind::MediaFoundation, false, true, 2},
        {"begin fails", {Step::BeginWriting, 0, false}, VideoWriterKind::MotionJpeg, false, true, 2},
        {"input refused", {Step::SetInputMediaType, 0, false}, VideoWriterKind::MotionJpeg, false, true, 2},
        {"write fails", {Step::WriteSample, 3, false}, VideoWriterKind::MediaFoundation, true, false, 1},
        {"finalize fails", {Step::Finalize, 0, false}, VideoWriterKind::MediaFoundation, false, false, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ScopedFakeSinkWriter fake(c.script);
        const std::wstring path = folder_ + L"\\failing.mp4";
        ASSERT_EQ(StartRecording(path), RecordStartError::None);
        EXPECT_EQ(CurrentVideoWriter(), c.writer);
        Offer(8);
        if (c.endsByItself)
            EXPECT_TRUE(PumpUntil([] { return RecordingFailed(); }, 5000)) << "the dialog is told";
        else
            EXPECT_FALSE(RecordingFailed());
        StopRecording();
        EXPECT_EQ(LastRecordingComplete(), c.complete);

        const FakeSinkWriterLog& log = fake.Log();
        EXPECT_TRUE(log.violations.empty()) << testing::PrintToString(log.violations);
        EXPECT_EQ(log.containers.size(), c.creations);
        EXPECT_EQ(log.alive, 0);
        if (c.writer == VideoWriterKind::MediaFoundation) {
            EXPECT_EQ(log.finalized, 1) << "what was written is kept";
            EXPECT_EQ(log.times.size(), c.endsByItself ? 4u : 8u) << "nothing after a failed write";
        } else {
            // The failed writer's start of a file is gone: the own writer's file under that name.
            Mp4TestFile file;
            ASSERT_NO_THROW(file = ReadMp4(ReadBytes(path)));
            EXPECT_GE(file.SampleCount(), 1u);
        }
    }
}

// The record dialog run modal, as the main window runs it, driven from a timer of its own loop.
class RecordDialogTest : public CaptureTest {
protected:
    void SetUp() override {
        CaptureTest::SetUp();
        g_settings = AppSettings{};
        g_settings.saveFolder = TempFolder(L"vantix-rec-dialog");
        g_mainWindow.window = CreateWindowW(L"STATIC", L"owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 50,
                                            900, 600, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    }
    void TearDown() override {
        DestroyWindow(g_mainWindow.window);
        g_mainWindow.window = nullptr;
        CaptureTest::TearDown();
    }

    // Runs the dialog modal, as the main window does, with these steps driving it.
    static void Run(std::vector<Step> steps) {
        RunSteps(
            [] {
                ShowRecordDialog(g_mainWindow.window, g_mainWindow.recentFiles, g_mainWindow.controlPanel);
            },
            std::move(steps));
    }
    static HWND Dialog() { return FindDialog(GetText("rec video").c_str()); }
    static bool Press(int id) {
        PostMessageW(Dialog(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
        return true;
    }
};

// Without a camera Start stays Start and says why; the limit chosen is kept all the same. A
// recording whose file cannot be completed is not announced: the dialog stays, says so in one line
// and is ready for a new start; the file keeps what was written and is not listed.
TEST_F(RecordDialogTest, WithoutACameraStartSaysWhyAndACompletionThatFailsIsNotAnnounced) {
    g_settings.maxRecordSeconds = 3600;
    const size_t recentBefore = g_mainWindow.recentFiles.paths.size();
    std::wstring status;
    Run({[] {
             HWND dialog = Dialog();
             if (!dialog)
                 return false;
             for (int id : {IDOK, IDC_REC_PAUSE, IDC_REC_LIMIT_LABEL})
                 EXPECT_FALSE(WindowText(GetDlgItem(dialog, id)).empty()) << id;
             EXPECT_EQ(WindowText(GetDlgItem(dialog, IDC_REC_CLOCK)), L"0.0");
             EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_REC_PAUSE)));
             HWND list = GetDlgItem(dialog, IDC_REC_LIMIT);
             std::vector<std::wstring> limits;
             for (const TimeLimit& limit : kTimeLimits)
                 limits.push_back(GetText(limit.key));
             EXPECT_EQ(ComboItems(list), limits);
             EXPECT_EQ(SendMessageW(list, CB_GETCURSEL, 0, 0), TimeLimitIndex(3600));

             EXPECT_TRUE(IsPlacedOverOwner(dialog, g_mainWindow.window));

             // The clock has a font of its own, larger than the dialog's.
             HFONT clockFont =
                 reinterpret_cast<HFONT>(SendDlgItemMessageW(dialog, IDC_REC_CLOCK, WM_GETFONT, 0, 0));
             HFONT dialogFont = reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
             LOGFONTW big = {}, small = {};
             GetObjectW(clockFont, sizeof big, &big);
             GetObjectW(dialogFont, sizeof small, &small);
             EXPECT_GT(std::abs(big.lfHeight), 2 * std::abs(small.lfHeight));

             SendMessageW(list, CB_SETCURSEL, 2, 0);
             return Press(IDOK);
         },
         [&] {
             status = WindowText(GetDlgItem(Dialog(), IDC_REC_STATUS));
             EXPECT_EQ(WindowText(GetDlgItem(Dialog(), IDOK)), GetText("start rec"));
             return Press(IDCANCEL);
         }});
    EXPECT_EQ(status, L"No camera is open.");
    EXPECT_EQ(g_settings.maxRecordSeconds, TimeLimitSeconds(2)) << "starting takes the selected limit";

    g_capture.requestedFormat = FormatFromSettings(1, 160, 120, 0);
    ASSERT_TRUE(
        RegisterAndOpen(TestCam_MakeConfig(kDemoInstance, L"Record Scope", {{kTestCamMjpg, 160, 120, 30}})));

    const ScopedFakeSinkWriter fake({FakeSinkWriterScript::Step::Finalize, 0, false});
    DWORD started = 0;
    Run({[&] {
             started = GetTickCount();
             return Dialog() && Press(IDOK); // Start
         },
         [&] { return GetTickCount() - started >= 1000 && Press(IDOK); }, // Stop after a second
         [&] {
             // Ready again once the file is done with.
             if (WindowText(GetDlgItem(Dialog(), IDOK)) != GetText("start rec"))
                 return false;
             status = WindowText(GetDlgItem(Dialog(), IDC_REC_STATUS));
             return Press(IDCANCEL);
         }});
    EXPECT_EQ(status, GetText("rec incomplete"));
    EXPECT_EQ(g_mainWindow.recentFiles.paths.size(), recentBefore);
    EXPECT_FALSE(FilesIn(g_settings.saveFolder, L"*.mp4").empty()) << "what was written stays on disk";
}

} // namespace
