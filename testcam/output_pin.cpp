#include "testcam/output_pin.h"

#include <utility>

#include <wrl/client.h>

#include "testcam/camera_filter.h"
#include "testcam/enumerators.h"
#include "testcam/frame_source.h"
#include "testcam/locks.h"
#include "testcam/pin_parts.h"

static_assert(sizeof(VIDEO_STREAM_CONFIG_CAPS) == 128, "callers check the caps size");

namespace {

constexpr long kBuffers = 4;

bool IsComplete(const AM_MEDIA_TYPE* mt) {
    return mt && mt->majortype != GUID_NULL && mt->subtype != GUID_NULL && mt->formattype != GUID_NULL &&
           mt->pbFormat && mt->cbFormat;
}

VideoType AsRgb24(const VideoType& t) {
    return {kTestCamRgb24, t.width, t.height, t.interval};
}

void FreeTypes(std::vector<AM_MEDIA_TYPE>& types, size_t from) {
    for (size_t i = from; i < types.size(); ++i)
        FreeMediaTypeContents(types[i]);
}

} // namespace

OutputPin::OutputPin(CameraFilter* filter, PinKind kind) : filter_(filter), kind_(kind) {}

OutputPin::~OutputPin() {
    ReleaseConnection();
}

// IUnknown ---------------------------------------------------------------------------------

STDMETHODIMP OutputPin::QueryInterface(REFIID iid, void** out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IPin)
        *out = static_cast<IPin*>(this);
    else if (iid == IID_IKsPropertySet)
        *out = static_cast<IKsPropertySet*>(this);
    else if (iid == IID_IAMStreamConfig && kind_ == PinKind::Capture)
        *out = static_cast<IAMStreamConfig*>(this);
    else
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) OutputPin::AddRef() {
    return filter_->PinAddRef(kind_);
}
STDMETHODIMP_(ULONG) OutputPin::Release() {
    return filter_->PinRelease(kind_);
}

// Types ------------------------------------------------------------------------------------

void OutputPin::SetCapabilities(const std::vector<VideoType>& caps, bool offersRgb24) {
    caps_ = caps;
    offersRgb24_ = offersRgb24;
    hasSetFormat_ = false;
}

VideoType OutputPin::CurrentFormat() const {
    if (hasSetFormat_)
        return setFormat_;
    if (!caps_.empty())
        return caps_[0];
    return {kTestCamRgb24, 640, 480, IntervalForFps(30)};
}

// What the pin can connect with, best first. RGB24 leads so that a connection through a
// filter that takes anything (a tee) still ends in a type an RGB24 grabber takes.
static std::vector<VideoType> OfferedVideoTypes(PinKind kind, bool hasSetFormat, const VideoType& current,
                                                const std::vector<VideoType>& caps, bool offersRgb24) {
    std::vector<VideoType> list;
    auto add = [&list, offersRgb24](const VideoType& t) {
        if (!offersRgb24 && t.fourcc == kTestCamRgb24)
            return;
        for (const VideoType& x : list)
            if (SameKind(x, t) && x.interval == t.interval)
                return;
        list.push_back(t);
    };
    if (kind == PinKind::Still || hasSetFormat || caps.empty()) {
        add(AsRgb24(current));
        add(current);
        return list;
    }
    for (const VideoType& c : caps) {
        add(AsRgb24(c));
        add(c);
    }
    return list;
}

std::vector<AM_MEDIA_TYPE> OutputPin::OfferedTypes() const {
    std::vector<AM_MEDIA_TYPE> types;
    if (peer_) {
        // Connected: only the connection's own type, byte for byte, so that a downstream
        // filter that passes our types on (the sample grabber) keeps the same one.
        AM_MEDIA_TYPE mt;
        if (MediaType_Copy(mt_, &mt))
            types.push_back(mt);
        return types;
    }
    const VideoType current =
        kind_ == PinKind::Capture ? CurrentFormat() : filter_->CapturePin()->CurrentFormat();
    for (const VideoType& t : OfferedVideoTypes(kind_, hasSetFormat_, current, caps_, offersRgb24_)) {
        AM_MEDIA_TYPE mt;
        if (MediaType_Fill(t, &mt))
            types.push_back(mt);
    }
    return types;
}

bool OutputPin::Offers(const VideoType& type) const {
    const VideoType current =
        kind_ == PinKind::Capture ? CurrentFormat() : filter_->CapturePin()->CurrentFormat();
    for (const VideoType& t : OfferedVideoTypes(kind_, hasSetFormat_, current, caps_, offersRgb24_))
        if (SameKind(t, type))
            return true;
    return false;
}

// Connection -------------------------------------------------------------------------------

STDMETHODIMP OutputPin::Connect(IPin* receiver, const AM_MEDIA_TYPE* mt) {
    if (!receiver)
        return E_POINTER;
    Locked lock(filter_->Lock());
    if (peer_)
        return VFW_E_ALREADY_CONNECTED;
    if (filter_->State() != State_Stopped)
        return VFW_E_NOT_STOPPED;

    if (IsComplete(mt)) {
        VideoType t;
        if (!MediaType_Parse(*mt, &t) || !Offers(t))
            return VFW_E_TYPE_NOT_ACCEPTED;
        return TryConnect(receiver, *mt);
    }

    std::vector<AM_MEDIA_TYPE> ours = OfferedTypes();
    for (size_t i = 0; i < ours.size(); ++i) {
        if (MediaType_Matches(ours[i], mt) && SUCCEEDED(TryConnect(receiver, ours[i]))) {
            FreeTypes(ours, 0);
            return S_OK;
        }
    }
    FreeTypes(ours, 0);

    Microsoft::WRL::ComPtr<IEnumMediaTypes> theirs;
    if (SUCCEEDED(receiver->EnumMediaTypes(theirs.GetAddressOf())) && theirs) {
        MediaTypeHolder candidate;
        bool connected = false;
        while (!connected && theirs->Next(1, candidate.Receive(), nullptr) == S_OK) {
            VideoType t;
            connected = MediaType_Matches(*candidate.get(), mt) && MediaType_Parse(*candidate.get(), &t) &&
                        Offers(t) && SUCCEEDED(TryConnect(receiver, *candidate.get()));
        }
        if (connected)
            return S_OK;
    }
    return VFW_E_NO_ACCEPTABLE_TYPES;
}

HRESULT OutputPin::TryConnect(IPin* receiver, const AM_MEDIA_TYPE& mt) {
    VideoType t;
    if (!MediaType_Parse(mt, &t))
        return VFW_E_TYPE_NOT_ACCEPTED;
    if (t.interval <= 0) {
        const VideoType current =
            kind_ == PinKind::Capture ? CurrentFormat() : filter_->CapturePin()->CurrentFormat();
        t.interval = current.interval;
    }
    if (!MediaType_Copy(mt, &mt_))
        return E_OUTOFMEMORY;
    peer_ = receiver;
    connectedType_ = t;

    HRESULT hr = receiver->ReceiveConnection(this, &mt_);
    if (SUCCEEDED(hr)) {
        hr = receiver->QueryInterface(IID_IMemInputPin,
                                      reinterpret_cast<void**>(peerInput_.ReleaseAndGetAddressOf()));
        if (SUCCEEDED(hr))
            hr = DecideAllocator();
        if (FAILED(hr))
            receiver->Disconnect();
    }
    if (FAILED(hr)) {
        ReleaseConnection();
        return hr;
    }
    if (kind_ == PinKind::Capture)
        filter_->OnCaptureConnection(true, connectedType_);
    return S_OK;
}

HRESULT OutputPin::DecideAllocator() {
    return Pin_DecideAllocator(peerInput_.Get(), ImageSize(connectedType_), kBuffers,
                               allocator_.ReleaseAndGetAddressOf());
}

void OutputPin::ReleaseConnection() {
    if (allocator_) {
        allocator_->Decommit();
        allocator_.Reset();
    }
    peerInput_.Reset();
    peer_.Reset();
    FreeMediaTypeContents(mt_);
    mt_ = {};
    connectedType_ = {};
}

STDMETHODIMP OutputPin::ReceiveConnection(IPin*, const AM_MEDIA_TYPE*) {
    return E_UNEXPECTED;
}

STDMETHODIMP OutputPin::Disconnect() {
    Locked lock(filter_->Lock());
    if (filter_->State() != State_Stopped)
        return VFW_E_NOT_STOPPED;
    if (!peer_)
        return S_FALSE;
    ReleaseConnection();
    if (kind_ == PinKind::Capture)
        filter_->OnCaptureConnection(false, {});
    return S_OK;
}

STDMETHODIMP OutputPin::ConnectedTo(IPin** pin) {
    Locked lock(filter_->Lock());
    return Pin_ConnectedTo(peer_.Get(), pin);
}

STDMETHODIMP OutputPin::ConnectionMediaType(AM_MEDIA_TYPE* mt) {
    Locked lock(filter_->Lock());
    return Pin_ConnectionType(peer_.Get(), mt_, mt);
}

STDMETHODIMP OutputPin::QueryPinInfo(PIN_INFO* info) {
    return Pin_QueryInfo(filter_, PINDIR_OUTPUT, Name(), info);
}

STDMETHODIMP OutputPin::QueryDirection(PIN_DIRECTION* dir) {
    if (!dir)
        return E_POINTER;
    *dir = PINDIR_OUTPUT;
    return S_OK;
}

STDMETHODIMP OutputPin::QueryId(LPWSTR* id) {
    return Pin_QueryId(Name(), id);
}

STDMETHODIMP OutputPin::QueryAccept(const AM_MEDIA_TYPE* mt) {
    if (!mt)
        return E_POINTER;
    Locked lock(filter_->Lock());
    VideoType t;
    if (!MediaType_Parse(*mt, &t))
        return S_FALSE;
    // A connected pin cannot change its format on the fly.
    if (peer_)
        return SameKind(t, connectedType_) ? S_OK : S_FALSE;
    return Offers(t) ? S_OK : S_FALSE;
}

STDMETHODIMP OutputPin::EnumMediaTypes(IEnumMediaTypes** types) {
    if (!types)
        return E_POINTER;
    Locked lock(filter_->Lock());
    return CreateMediaTypeEnum(static_cast<IPin*>(this), OfferedTypes(), types);
}

STDMETHODIMP OutputPin::QueryInternalConnections(IPin**, ULONG*) {
    return E_NOTIMPL;
}
STDMETHODIMP OutputPin::EndOfStream() {
    return E_UNEXPECTED;
}
STDMETHODIMP OutputPin::BeginFlush() {
    return E_UNEXPECTED;
}
STDMETHODIMP OutputPin::EndFlush() {
    return E_UNEXPECTED;
}
STDMETHODIMP OutputPin::NewSegment(REFERENCE_TIME, REFERENCE_TIME, double) {
    return S_OK;
}

// IKsPropertySet ---------------------------------------------------------------------------

STDMETHODIMP OutputPin::Set(REFGUID, DWORD, void*, DWORD, void*, DWORD) {
    return E_NOTIMPL;
}

STDMETHODIMP OutputPin::Get(REFGUID set, DWORD id, void*, DWORD, void* data, DWORD dataSize,
                            DWORD* returned) {
    if (set != AMPROPSETID_Pin)
        return E_PROP_SET_UNSUPPORTED;
    if (id != AMPROPERTY_PIN_CATEGORY)
        return E_PROP_ID_UNSUPPORTED;
    if (returned)
        *returned = sizeof(GUID);
    if (!data)
        return returned ? S_OK : E_POINTER;
    if (dataSize < sizeof(GUID))
        return E_UNEXPECTED;
    *static_cast<GUID*>(data) = kind_ == PinKind::Capture ? PIN_CATEGORY_CAPTURE : PIN_CATEGORY_STILL;
    return S_OK;
}

STDMETHODIMP OutputPin::QuerySupported(REFGUID set, DWORD id, DWORD* support) {
    if (set != AMPROPSETID_Pin)
        return E_PROP_SET_UNSUPPORTED;
    if (id != AMPROPERTY_PIN_CATEGORY)
        return E_PROP_ID_UNSUPPORTED;
    if (support)
        *support = KSPROPERTY_SUPPORT_GET;
    return S_OK;
}

// IAMStreamConfig --------------------------------------------------------------------------

STDMETHODIMP OutputPin::SetFormat(AM_MEDIA_TYPE* mt) {
    Locked lock(filter_->Lock());
    VideoType chosen;
    if (mt) {
        VideoType t;
        if (!MediaType_Parse(*mt, &t) || (!offersRgb24_ && t.fourcc == kTestCamRgb24))
            return VFW_E_INVALIDMEDIATYPE;
        // The capability of that subtype and size (RGB24: of that size) whose frame rate is
        // nearest the one asked for; 0 asks for none in particular.
        const VideoType* best = nullptr;
        for (const VideoType& c : caps_) {
            const bool fits =
                t.fourcc == kTestCamRgb24 ? c.width == t.width && c.height == t.height : SameKind(c, t);
            if (!fits)
                continue;
            if (!best ||
                (t.interval > 0 && llabs(c.interval - t.interval) < llabs(best->interval - t.interval)))
                best = &c;
        }
        if (!best)
            return VFW_E_INVALIDMEDIATYPE;
        chosen = {t.fourcc, t.width, t.height, best->interval};
    }
    if (peer_ && filter_->State() != State_Stopped)
        return VFW_E_NOT_STOPPED;
    hasSetFormat_ = mt != nullptr;
    setFormat_ = chosen;
    IFilterGraph* graph = filter_->Graph();
    if (!peer_ || !graph)
        return S_OK;
    // Connected: the graph reconnects the pin, which now offers the new format.
    lock.Unlock();
    return graph->Reconnect(static_cast<IPin*>(this));
}

STDMETHODIMP OutputPin::GetFormat(AM_MEDIA_TYPE** mt) {
    if (!mt)
        return E_POINTER;
    Locked lock(filter_->Lock());
    if (peer_) {
        *mt = static_cast<AM_MEDIA_TYPE*>(CoTaskMemAlloc(sizeof(AM_MEDIA_TYPE)));
        if (*mt && !MediaType_Copy(mt_, *mt)) {
            FreeMediaType(*mt);
            *mt = nullptr;
        }
    } else {
        *mt = MediaType_Create(CurrentFormat());
    }
    return *mt ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP OutputPin::GetNumberOfCapabilities(int* count, int* size) {
    if (!count || !size)
        return E_POINTER;
    Locked lock(filter_->Lock());
    *count = int(caps_.size());
    *size = sizeof(VIDEO_STREAM_CONFIG_CAPS);
    return S_OK;
}

STDMETHODIMP OutputPin::GetStreamCaps(int index, AM_MEDIA_TYPE** mt, BYTE* caps) {
    if (!mt || !caps)
        return E_POINTER;
    Locked lock(filter_->Lock());
    *mt = nullptr;
    if (index < 0 || size_t(index) >= caps_.size())
        return S_FALSE;
    *mt = MediaType_Create(caps_[size_t(index)]);
    if (!*mt)
        return E_OUTOFMEMORY;
    FillStreamCaps(caps_[size_t(index)], reinterpret_cast<VIDEO_STREAM_CONFIG_CAPS*>(caps));
    return S_OK;
}

// Streaming --------------------------------------------------------------------------------

HRESULT OutputPin::Commit() {
    return allocator_ ? allocator_->Commit() : S_OK;
}

void OutputPin::Decommit() {
    if (allocator_)
        allocator_->Decommit();
}

HRESULT OutputPin::Deliver(FrameSource& source, TestCamPicture picture, int frameIndex, int fps,
                           REFERENCE_TIME start, REFERENCE_TIME stop, bool discontinuity) {
    if (!allocator_ || !peerInput_)
        return VFW_E_NOT_CONNECTED;
    Microsoft::WRL::ComPtr<IMediaSample> sample;
    HRESULT hr = allocator_->GetBuffer(sample.GetAddressOf(), nullptr, nullptr, 0);
    if (FAILED(hr))
        return hr; // decommitted: the filter is stopping
    BYTE* data = nullptr;
    sample->GetPointer(&data);
    const long size = source.Produce(connectedType_, picture, frameIndex, fps, data, sample->GetSize());
    if (size <= 0)
        return E_FAIL;
    sample->SetActualDataLength(size);
    sample->SetTime(&start, &stop);
    sample->SetSyncPoint(TRUE);
    sample->SetDiscontinuity(discontinuity);
    return peerInput_->Receive(sample.Get());
}
