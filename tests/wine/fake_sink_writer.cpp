#include "tests/wine/fake_sink_writer.h"

#include <mfapi.h>
#include <mferror.h>
#include <wrl/client.h>

#include <cstdlib>
#include <mutex>

using Microsoft::WRL::ComPtr;

namespace {

using Step = FakeSinkWriterScript::Step;

std::mutex s_lock;
FakeSinkWriterScript s_script;
FakeSinkWriterLog s_log;

void Violation(const std::string& what) {
    s_log.violations.push_back(what);
}

FakeVideoType Describe(IMFMediaType* type, const char* which) {
    FakeVideoType t;
    GUID major = GUID_NULL;
    bool complete = SUCCEEDED(type->GetGUID(MF_MT_MAJOR_TYPE, &major)) && major == MFMediaType_Video;
    complete &= SUCCEEDED(type->GetGUID(MF_MT_SUBTYPE, &t.subtype));
    complete &= SUCCEEDED(MFGetAttributeSize(type, MF_MT_FRAME_SIZE, &t.width, &t.height));
    complete &= SUCCEEDED(MFGetAttributeRatio(type, MF_MT_FRAME_RATE, &t.rateNumerator, &t.rateDenominator));
    complete &= SUCCEEDED(
        MFGetAttributeRatio(type, MF_MT_PIXEL_ASPECT_RATIO, &t.aspectNumerator, &t.aspectDenominator));
    complete &= SUCCEEDED(type->GetUINT32(MF_MT_INTERLACE_MODE, &t.interlace));
    if (!complete)
        Violation(std::string(which) + " type without major type, subtype, size, rate, aspect or interlace");
    type->GetUINT32(MF_MT_AVG_BITRATE, &t.bitRate);
    UINT32 stride = 0;
    t.hasStride = SUCCEEDED(type->GetUINT32(MF_MT_DEFAULT_STRIDE, &stride));
    t.stride = static_cast<INT32>(stride);
    return t;
}

class FakeSinkWriter final : public IMFSinkWriter {
public:
    explicit FakeSinkWriter(HANDLE file) : file_(file) { ++s_log.alive; }
    ~FakeSinkWriter() {
        CloseHandle(file_);
        --s_log.alive;
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (iid != IID_IUnknown && iid != IID_IMFSinkWriter) {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        *out = static_cast<IMFSinkWriter*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --refs_;
        if (left == 0) {
            std::lock_guard<std::mutex> guard(s_lock);
            delete this;
        }
        return left;
    }

    HRESULT STDMETHODCALLTYPE AddStream(IMFMediaType* type, DWORD* stream) override {
        std::lock_guard<std::mutex> guard(s_lock);
        Called("AddStream", !began_);
        s_log.output = Describe(type, "output");
        *stream = 0;
        streams_ = 1;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetInputMediaType(DWORD stream, IMFMediaType* type, IMFAttributes*) override {
        std::lock_guard<std::mutex> guard(s_lock);
        Called("SetInputMediaType", !began_ && stream < streams_);
        s_log.input = Describe(type, "input");
        if (!s_log.input.hasStride)
            Violation("input type without MF_MT_DEFAULT_STRIDE: the row order is left to the encoder");
        inputSet_ = true;
        return Outcome(Step::SetInputMediaType);
    }
    HRESULT STDMETHODCALLTYPE BeginWriting() override {
        std::lock_guard<std::mutex> guard(s_lock);
        Called("BeginWriting", !began_ && streams_ > 0 && inputSet_);
        const HRESULT hr = Outcome(Step::BeginWriting);
        began_ = SUCCEEDED(hr);
        return hr;
    }
    HRESULT STDMETHODCALLTYPE WriteSample(DWORD stream, IMFSample* sample) override {
        std::lock_guard<std::mutex> guard(s_lock);
        Called("WriteSample", began_ && stream < streams_);
        CheckSample(sample);
        const int index = samples_++;
        if (s_script.failAt == Step::WriteSample && index >= s_script.failingSample)
            return HRESULT_FROM_WIN32(ERROR_DISK_FULL);
        return S_OK;
    }
    // Not used by a recording.
    HRESULT STDMETHODCALLTYPE SendStreamTick(DWORD, LONGLONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE PlaceMarker(DWORD, void*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE NotifyEndOfSegment(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Flush(DWORD) override {
        std::lock_guard<std::mutex> guard(s_lock);
        Called("Flush", true);
        Violation("Flush: what the encoder still holds would be lost");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Finalize() override {
        std::lock_guard<std::mutex> guard(s_lock);
        Called("Finalize", began_);
        ++s_log.finalized;
        finalized_ = true;
        return Outcome(Step::Finalize);
    }
    HRESULT STDMETHODCALLTYPE GetServiceForStream(DWORD, REFGUID, REFIID, void** out) override {
        *out = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetStatistics(DWORD, MF_SINK_WRITER_STATISTICS*) override { return E_NOTIMPL; }

private:
    void Called(const char* method, bool allowedNow) {
        if (finalized_)
            Violation(std::string(method) + " after Finalize");
        else if (!allowedNow)
            Violation(std::string(method) + " out of order or on a stream that does not exist");
    }
    HRESULT Outcome(Step step) const { return s_script.failAt == step ? MF_E_INVALIDMEDIATYPE : S_OK; }

    void CheckSample(IMFSample* sample) {
        LONGLONG time = 0, duration = 0;
        DWORD buffers = 0, length = 0;
        if (FAILED(sample->GetSampleTime(&time)) || FAILED(sample->GetSampleDuration(&duration)))
            Violation("a sample without time or duration");
        if (s_log.times.empty() ? time != 0 : time <= s_log.times.back())
            Violation("sample times must start at 0 and go forward: " + std::to_string(time));
        const FakeVideoType& in = s_log.input;
        if (in.rateNumerator > 0 &&
            std::llabs(duration - 10000000LL * in.rateDenominator / in.rateNumerator) > 1)
            Violation("a sample duration that is not one frame of the declared rate: " +
                      std::to_string(duration));
        s_log.times.push_back(time);
        ComPtr<IMFMediaBuffer> buffer;
        sample->GetBufferCount(&buffers);
        sample->GetTotalLength(&length);
        const DWORD frameBytes = static_cast<DWORD>(std::abs(in.stride)) * in.height;
        if (buffers != 1 || length != frameBytes)
            Violation("a sample that is not one buffer of one whole frame");
        if (s_log.firstSample.empty() && SUCCEEDED(sample->ConvertToContiguousBuffer(&buffer))) {
            BYTE* data = nullptr;
            DWORD current = 0;
            if (SUCCEEDED(buffer->Lock(&data, nullptr, &current))) {
                s_log.firstSample.assign(data, data + current);
                buffer->Unlock();
            }
        }
    }

    ULONG refs_ = 1;
    HANDLE file_;
    DWORD streams_ = 0;
    bool inputSet_ = false;
    bool began_ = false;
    bool finalized_ = false;
    int samples_ = 0;
};

HRESULT WINAPI CreateFake(LPCWSTR url, IMFByteStream*, IMFAttributes* attributes, IMFSinkWriter** writer) {
    *writer = nullptr;
    std::lock_guard<std::mutex> guard(s_lock);
    GUID container = GUID_NULL;
    if (attributes)
        attributes->GetGUID(MF_TRANSCODE_CONTAINERTYPE, &container);
    s_log.containers.push_back(container);
    if (s_script.refuseFragmented && container == MFTranscodeContainerType_FMPEG4)
        return MF_E_UNSUPPORTED_BYTESTREAM_TYPE;
    // The real writer creates the file at once and keeps it to itself.
    HANDLE file = CreateFileW(url, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return HRESULT_FROM_WIN32(GetLastError());
    DWORD written = 0;
    WriteFile(file, "not a video", 11, &written, nullptr);
    s_log.output = {};
    s_log.input = {};
    s_log.times.clear();
    s_log.firstSample.clear();
    s_log.finalized = 0;
    *writer = new FakeSinkWriter(file);
    return S_OK;
}

} // namespace

ScopedFakeSinkWriter::ScopedFakeSinkWriter(const FakeSinkWriterScript& script)
    : previous_(g_mediaFoundation.createSinkWriterFromURL) {
    std::lock_guard<std::mutex> guard(s_lock);
    s_script = script;
    s_log = {};
    g_mediaFoundation.createSinkWriterFromURL = CreateFake;
}

ScopedFakeSinkWriter::~ScopedFakeSinkWriter() {
    g_mediaFoundation.createSinkWriterFromURL = previous_;
}

const FakeSinkWriterLog& ScopedFakeSinkWriter::Log() const {
    return s_log;
}
