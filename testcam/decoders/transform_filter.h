// A small DirectShow transform filter: one input pin, one output pin, video in, RGB24 out, one
// output sample for each input sample, delivered on the upstream filter's streaming thread. The
// two stand-ins for the system's decoders derive from it and only say what they take and how
// they convert a frame. Its upstream is a live camera: no flushes, segments or end of stream
// come, and samples come one at a time.
#pragma once

#include <dshow.h>
#include <wrl/client.h>

#include <atomic>
#include <new>
#include <string>

#include "testcam/media_types.h"
#include "testcam/pin_parts.h"

class TransformFilter;

// What both pins share: the filter they belong to (whose count they share), their name and
// direction, the connection, and the answers of a pin of the other direction.
class TransformPin : public IPin {
public:
    TransformPin(TransformFilter* filter, PIN_DIRECTION dir, const wchar_t* name)
        : filter_(filter), dir_(dir), name_(name) {}
    TransformPin(const TransformPin&) = delete;
    TransformPin& operator=(const TransformPin&) = delete;

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP Connect(IPin*, const AM_MEDIA_TYPE*) override { return E_UNEXPECTED; }
    STDMETHODIMP ReceiveConnection(IPin*, const AM_MEDIA_TYPE*) override { return E_UNEXPECTED; }
    STDMETHODIMP Disconnect() override;
    STDMETHODIMP ConnectedTo(IPin** pin) override;
    STDMETHODIMP ConnectionMediaType(AM_MEDIA_TYPE* mt) override;
    STDMETHODIMP QueryPinInfo(PIN_INFO* info) override;
    STDMETHODIMP QueryDirection(PIN_DIRECTION* dir) override;
    STDMETHODIMP QueryId(LPWSTR* id) override { return Pin_QueryId(name_, id); }
    STDMETHODIMP QueryInternalConnections(IPin**, ULONG*) override { return E_NOTIMPL; }
    STDMETHODIMP EndOfStream() override { return S_OK; }
    STDMETHODIMP BeginFlush() override { return S_OK; }
    STDMETHODIMP EndFlush() override { return S_OK; }
    STDMETHODIMP NewSegment(REFERENCE_TIME, REFERENCE_TIME, double) override { return S_OK; }

    bool IsConnected() const { return peer_ != nullptr; }
    const VideoType& Type() const { return type_; }
    const wchar_t* Name() const { return name_; }

protected:
    virtual ~TransformPin() { ReleaseConnection(); }
    // Drops the connection and the allocator.
    void ReleaseConnection();

    TransformFilter* const filter_;
    const PIN_DIRECTION dir_;
    const wchar_t* const name_;
    Microsoft::WRL::ComPtr<IPin> peer_;
    Microsoft::WRL::ComPtr<IMemInputPin> peerInput_; // output pin only
    Microsoft::WRL::ComPtr<IMemAllocator> allocator_;
    AM_MEDIA_TYPE mt_ = {};
    VideoType type_;
};

class TransformInputPin final : public TransformPin, public IMemInputPin {
public:
    explicit TransformInputPin(TransformFilter* filter) : TransformPin(filter, PINDIR_INPUT, L"Input") {}

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override { return TransformPin::AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return TransformPin::Release(); }

    STDMETHODIMP ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* mt) override;
    STDMETHODIMP QueryAccept(const AM_MEDIA_TYPE* mt) override;
    STDMETHODIMP EnumMediaTypes(IEnumMediaTypes** types) override;

    // The upstream pin brings its own allocator.
    STDMETHODIMP GetAllocator(IMemAllocator**) override { return VFW_E_NO_ALLOCATOR; }
    STDMETHODIMP NotifyAllocator(IMemAllocator* allocator, BOOL readOnly) override;
    STDMETHODIMP GetAllocatorRequirements(ALLOCATOR_PROPERTIES*) override { return E_NOTIMPL; }
    STDMETHODIMP Receive(IMediaSample* sample) override;
    STDMETHODIMP ReceiveMultiple(IMediaSample**, long, long*) override { return E_NOTIMPL; }
    STDMETHODIMP ReceiveCanBlock() override { return S_OK; }

private:
    // Whether the filter takes this type now (a switch may make it refuse every type).
    bool Accepts(const AM_MEDIA_TYPE& mt, VideoType* type) const;
};

class TransformOutputPin final : public TransformPin {
public:
    explicit TransformOutputPin(TransformFilter* filter) : TransformPin(filter, PINDIR_OUTPUT, L"Output") {}

    STDMETHODIMP Connect(IPin* receiver, const AM_MEDIA_TYPE* mt) override;
    STDMETHODIMP QueryAccept(const AM_MEDIA_TYPE* mt) override;
    STDMETHODIMP EnumMediaTypes(IEnumMediaTypes** types) override;

    // Called by the filter and the input pin.
    HRESULT Commit() { return allocator_ ? allocator_->Commit() : S_OK; }
    void Decommit() {
        if (allocator_)
            allocator_->Decommit();
    }
    HRESULT Deliver(IMediaSample* input); // streaming thread

private:
    HRESULT TryConnect(IPin* receiver, const AM_MEDIA_TYPE& mt);
};

class TransformFilter : public IBaseFilter {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    // The pins share this count: a pin keeps its filter alive.
    STDMETHODIMP_(ULONG) AddRef() override { return ULONG(InterlockedIncrement(&refs_)); }
    STDMETHODIMP_(ULONG) Release() override;

    STDMETHODIMP GetClassID(CLSID* clsid) override;
    STDMETHODIMP Stop() override;
    STDMETHODIMP Pause() override { return Start(State_Paused); }
    STDMETHODIMP Run(REFERENCE_TIME) override { return Start(State_Running); }
    STDMETHODIMP GetState(DWORD timeout, FILTER_STATE* state) override;
    STDMETHODIMP SetSyncSource(IReferenceClock* clock) override;
    STDMETHODIMP GetSyncSource(IReferenceClock** clock) override;
    STDMETHODIMP EnumPins(IEnumPins** pins) override;
    STDMETHODIMP FindPin(LPCWSTR id, IPin** pin) override;
    STDMETHODIMP QueryFilterInfo(FILTER_INFO* info) override;
    STDMETHODIMP JoinFilterGraph(IFilterGraph* graph, LPCWSTR name) override;
    STDMETHODIMP QueryVendorInfo(LPWSTR*) override { return E_NOTIMPL; }

    // What the filter converts: whether it takes this input type, and one frame (returns the
    // bytes written to `out`, 0 when the frame cannot be converted).
    virtual bool AcceptsInput(const VideoType& in) const = 0;
    virtual long Transform(const VideoType& in, const BYTE* data, long length, BYTE* out, long outSize) = 0;

    // A new filter of kind `Filter` asked for `iid`.
    template <typename Filter> static HRESULT Create(REFIID iid, void** out) {
        Filter* filter = new (std::nothrow) Filter;
        if (!filter)
            return E_OUTOFMEMORY;
        const HRESULT hr = filter->QueryInterface(iid, out);
        filter->Release();
        return hr;
    }

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
    HRESULT Start(FILTER_STATE state);

    const CLSID clsid_;
    LONG refs_ = 1;
    CRITICAL_SECTION lock_;
    CRITICAL_SECTION streamLock_; // held while a sample is converted and delivered
    std::atomic<FILTER_STATE> state_{State_Stopped};
    Microsoft::WRL::ComPtr<IReferenceClock> clock_;
    IFilterGraph* graph_ = nullptr; // not held: the graph holds the filter
    std::wstring name_;
    TransformInputPin input_{this};
    TransformOutputPin output_{this};
};
