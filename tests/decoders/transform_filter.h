// A small DirectShow transform filter: one input pin, one output pin, video in, RGB24 out, one
// output sample for each input sample, delivered on the upstream filter's streaming thread. The
// two stand-ins for the system's decoders derive from it and only say what they take and how
// they convert a frame.
#pragma once

#include <dshow.h>

#include <atomic>

#include "testcam/media_types.h"

class TransformFilter;

// What both pins share: the filter they belong to, their name and direction, and the connection.
class TransformPin : public IPin {
public:
    TransformPin(TransformFilter* filter, PIN_DIRECTION dir, const wchar_t* name)
        : filter_(filter), dir_(dir), name_(name) {}
    TransformPin(const TransformPin&) = delete;
    TransformPin& operator=(const TransformPin&) = delete;

    STDMETHODIMP Disconnect() override;
    STDMETHODIMP ConnectedTo(IPin** pin) override;
    STDMETHODIMP ConnectionMediaType(AM_MEDIA_TYPE* mt) override;
    STDMETHODIMP QueryPinInfo(PIN_INFO* info) override;
    STDMETHODIMP QueryDirection(PIN_DIRECTION* dir) override;
    STDMETHODIMP QueryId(LPWSTR* id) override;
    STDMETHODIMP QueryInternalConnections(IPin**, ULONG*) override { return E_NOTIMPL; }

protected:
    virtual ~TransformPin() = default;
    virtual void ReleaseConnection() = 0;

    TransformFilter* const filter_;
    const PIN_DIRECTION dir_;
    const wchar_t* const name_;
    IPin* peer_ = nullptr;
    AM_MEDIA_TYPE mt_ = {};
    VideoType type_;
};

class TransformInputPin final : public TransformPin, public IMemInputPin {
public:
    explicit TransformInputPin(TransformFilter* filter) : TransformPin(filter, PINDIR_INPUT, L"Input") {}
    ~TransformInputPin() override;

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    STDMETHODIMP Connect(IPin* receiver, const AM_MEDIA_TYPE* mt) override;
    STDMETHODIMP ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* mt) override;
    STDMETHODIMP QueryAccept(const AM_MEDIA_TYPE* mt) override;
    STDMETHODIMP EnumMediaTypes(IEnumMediaTypes** types) override;
    STDMETHODIMP EndOfStream() override;
    STDMETHODIMP BeginFlush() override;
    STDMETHODIMP EndFlush() override;
    STDMETHODIMP NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) override;

    STDMETHODIMP GetAllocator(IMemAllocator** allocator) override;
    STDMETHODIMP NotifyAllocator(IMemAllocator* allocator, BOOL readOnly) override;
    STDMETHODIMP GetAllocatorRequirements(ALLOCATOR_PROPERTIES* props) override;
    STDMETHODIMP Receive(IMediaSample* sample) override;
    STDMETHODIMP ReceiveMultiple(IMediaSample** samples, long count, long* processed) override;
    STDMETHODIMP ReceiveCanBlock() override;

    bool IsConnected() const { return peer_ != nullptr; }
    const VideoType& Type() const { return type_; }

private:
    void ReleaseConnection() override;

    IMemAllocator* allocator_ = nullptr;
    std::atomic<bool> flushing_{false};
};

class TransformOutputPin final : public TransformPin {
public:
    explicit TransformOutputPin(TransformFilter* filter) : TransformPin(filter, PINDIR_OUTPUT, L"Output") {}
    ~TransformOutputPin() override;

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    STDMETHODIMP Connect(IPin* receiver, const AM_MEDIA_TYPE* mt) override;
    STDMETHODIMP ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* mt) override;
    STDMETHODIMP QueryAccept(const AM_MEDIA_TYPE* mt) override;
    STDMETHODIMP EnumMediaTypes(IEnumMediaTypes** types) override;
    STDMETHODIMP EndOfStream() override;
    STDMETHODIMP BeginFlush() override;
    STDMETHODIMP EndFlush() override;
    STDMETHODIMP NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) override;

    // Called by the filter and the input pin.
    IPin* Peer() const { return peer_; }
    HRESULT Commit() { return allocator_ ? allocator_->Commit() : S_OK; }
    void Decommit() {
        if (allocator_)
            allocator_->Decommit();
    }
    HRESULT Deliver(IMediaSample* input); // streaming thread

private:
    HRESULT TryConnect(IPin* receiver, const AM_MEDIA_TYPE& mt);
    HRESULT DecideAllocator();
    void ReleaseConnection() override;

    IMemInputPin* peerInput_ = nullptr;
    IMemAllocator* allocator_ = nullptr;
};

class TransformFilter : public IBaseFilter {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    STDMETHODIMP GetClassID(CLSID* clsid) override;
    STDMETHODIMP Stop() override;
    STDMETHODIMP Pause() override;
    STDMETHODIMP Run(REFERENCE_TIME start) override;
    STDMETHODIMP GetState(DWORD timeout, FILTER_STATE* state) override;
    STDMETHODIMP SetSyncSource(IReferenceClock* clock) override;
    STDMETHODIMP GetSyncSource(IReferenceClock** clock) override;
    STDMETHODIMP EnumPins(IEnumPins** pins) override;
    STDMETHODIMP FindPin(LPCWSTR id, IPin** pin) override;
    STDMETHODIMP QueryFilterInfo(FILTER_INFO* info) override;
    STDMETHODIMP JoinFilterGraph(IFilterGraph* graph, LPCWSTR name) override;
    STDMETHODIMP QueryVendorInfo(LPWSTR* info) override;

    // What the filter converts: whether it takes this input type, and one frame (returns the
    // bytes written to `out`, 0 when the frame cannot be converted).
    virtual bool AcceptsInput(const VideoType& in) const = 0;
    virtual long Transform(const VideoType& in, const BYTE* data, long length, BYTE* out, long outSize) = 0;

    CRITICAL_SECTION* Lock() { return &lock_; }
    FILTER_STATE State() const { return state_.load(); }
    TransformInputPin& Input() { return input_; }
    TransformOutputPin& Output() { return output_; }

    // Filters of either kind alive in this process, and a switch that makes every input pin
    // refuse every connection (for tests of a decoder the camera cannot connect to).
    static LONG LiveFilters();
    static void RefuseConnections(bool refuse);
    static bool RefusesConnections();

protected:
    explicit TransformFilter(const CLSID& clsid);
    virtual ~TransformFilter();

private:
    friend class TransformInputPin;
    friend class TransformPin;
    const CLSID clsid_;
    LONG refs_ = 1;
    CRITICAL_SECTION lock_;
    CRITICAL_SECTION streamLock_; // held while a sample is converted and delivered
    std::atomic<FILTER_STATE> state_{State_Stopped};
    IReferenceClock* clock_ = nullptr;
    IFilterGraph* graph_ = nullptr; // not held: the graph holds the filter
    WCHAR name_[MAX_FILTER_NAME] = {};
    TransformInputPin input_{this};
    TransformOutputPin output_{this};
};

// The output type for an input: RGB24 of the same size and rate, bottom-up.
inline VideoType Rgb24For(const VideoType& in) {
    return {kTestCamRgb24, in.width, in.height, in.interval};
}
