#include "testcam/decoders/transform_filter.h"

#include <vector>

#include "testcam/dll_objects.h"
#include "testcam/enumerators.h"
#include "testcam/locks.h"
#include "testcam/pin_parts.h"

namespace {

constexpr long kOutputBuffers = 2;

std::atomic<LONG> s_liveFilters{0};
std::atomic<bool> s_refuse{false};

// The output type for an input: RGB24 of the same size and rate, bottom-up.
VideoType Rgb24For(const VideoType& in) {
    return {kTestCamRgb24, in.width, in.height, in.interval};
}

} // namespace

// Both pins -------------------------------------------------------------------------------

STDMETHODIMP TransformPin::QueryInterface(REFIID iid, void** out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (iid != IID_IUnknown && iid != IID_IPin)
        return E_NOINTERFACE;
    *out = static_cast<IPin*>(this);
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) TransformPin::AddRef() {
    return filter_->AddRef();
}
STDMETHODIMP_(ULONG) TransformPin::Release() {
    return filter_->Release();
}

STDMETHODIMP TransformPin::Disconnect() {
    Locked lock(filter_->Lock());
    if (filter_->State() != State_Stopped)
        return VFW_E_NOT_STOPPED;
    if (!peer_)
        return S_FALSE;
    ReleaseConnection();
    return S_OK;
}

void TransformPin::ReleaseConnection() {
    if (allocator_ && dir_ == PINDIR_OUTPUT)
        allocator_->Decommit();
    allocator_.Reset();
    peerInput_.Reset();
    peer_.Reset();
    FreeMediaTypeContents(mt_);
    mt_ = {};
    type_ = {};
}

STDMETHODIMP TransformPin::ConnectedTo(IPin** pin) {
    Locked lock(filter_->Lock());
    return Pin_ConnectedTo(peer_.Get(), pin);
}

STDMETHODIMP TransformPin::ConnectionMediaType(AM_MEDIA_TYPE* mt) {
    Locked lock(filter_->Lock());
    return Pin_ConnectionType(peer_.Get(), mt_, mt);
}

STDMETHODIMP TransformPin::QueryDirection(PIN_DIRECTION* dir) {
    if (!dir)
        return E_POINTER;
    *dir = dir_;
    return S_OK;
}

STDMETHODIMP TransformPin::QueryPinInfo(PIN_INFO* info) {
    return Pin_QueryInfo(filter_, dir_, name_, info);
}

// Input pin -------------------------------------------------------------------------------

STDMETHODIMP TransformInputPin::QueryInterface(REFIID iid, void** out) {
    if (out && iid == IID_IMemInputPin) {
        *out = static_cast<IMemInputPin*>(this);
        AddRef();
        return S_OK;
    }
    return TransformPin::QueryInterface(iid, out);
}

bool TransformInputPin::Accepts(const AM_MEDIA_TYPE& mt, VideoType* type) const {
    return !TransformFilter::RefusesConnections() && MediaType_Parse(mt, type) &&
           filter_->AcceptsInput(*type);
}

STDMETHODIMP TransformInputPin::ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* mt) {
    if (!connector || !mt)
        return E_POINTER;
    Locked lock(filter_->Lock());
    if (peer_)
        return VFW_E_ALREADY_CONNECTED;
    if (filter_->State() != State_Stopped)
        return VFW_E_NOT_STOPPED;
    VideoType type;
    if (!Accepts(*mt, &type))
        return VFW_E_TYPE_NOT_ACCEPTED;
    if (!MediaType_Copy(*mt, &mt_))
        return E_OUTOFMEMORY;
    type_ = type;
    peer_ = connector;
    return S_OK;
}

STDMETHODIMP TransformInputPin::QueryAccept(const AM_MEDIA_TYPE* mt) {
    if (!mt)
        return E_POINTER;
    VideoType type;
    if (!Accepts(*mt, &type))
        return S_FALSE;
    Locked lock(filter_->Lock());
    return !peer_ || SameKind(type, type_) ? S_OK : S_FALSE;
}

STDMETHODIMP TransformInputPin::EnumMediaTypes(IEnumMediaTypes** types) {
    return types ? CreateMediaTypeEnum(static_cast<IPin*>(this), {}, types) : E_POINTER;
}

STDMETHODIMP TransformInputPin::NotifyAllocator(IMemAllocator* allocator, BOOL) {
    if (!allocator)
        return E_POINTER;
    Locked lock(filter_->Lock());
    allocator_ = allocator;
    return S_OK;
}

STDMETHODIMP TransformInputPin::Receive(IMediaSample* sample) {
    if (!sample)
        return E_POINTER;
    Locked stream(&filter_->streamLock_);
    if (filter_->State() == State_Stopped)
        return VFW_E_WRONG_STATE;
    return filter_->Output().Deliver(sample);
}

// Output pin ------------------------------------------------------------------------------

// The only type on offer is RGB24 of the input's size, so the input must be connected first.
STDMETHODIMP TransformOutputPin::Connect(IPin* receiver, const AM_MEDIA_TYPE* mt) {
    if (!receiver)
        return E_POINTER;
    Locked lock(filter_->Lock());
    if (peer_)
        return VFW_E_ALREADY_CONNECTED;
    if (filter_->State() != State_Stopped)
        return VFW_E_NOT_STOPPED;
    if (!filter_->Input().IsConnected())
        return VFW_E_NO_TYPES;
    AM_MEDIA_TYPE ours;
    if (!MediaType_Fill(Rgb24For(filter_->Input().Type()), &ours))
        return E_OUTOFMEMORY;
    const HRESULT hr = MediaType_Matches(ours, mt) ? TryConnect(receiver, ours) : VFW_E_NO_ACCEPTABLE_TYPES;
    FreeMediaTypeContents(ours);
    return hr;
}

HRESULT TransformOutputPin::TryConnect(IPin* receiver, const AM_MEDIA_TYPE& mt) {
    if (!MediaType_Copy(mt, &mt_) || !MediaType_Parse(mt, &type_)) {
        ReleaseConnection();
        return E_OUTOFMEMORY;
    }
    peer_ = receiver;
    HRESULT hr = receiver->ReceiveConnection(this, &mt_);
    if (SUCCEEDED(hr)) {
        hr = peer_.As(&peerInput_);
        if (SUCCEEDED(hr))
            hr = Pin_DecideAllocator(peerInput_.Get(), ImageSize(type_), kOutputBuffers,
                                     allocator_.ReleaseAndGetAddressOf());
        if (FAILED(hr))
            receiver->Disconnect();
    }
    if (FAILED(hr)) {
        ReleaseConnection();
        return hr == E_OUTOFMEMORY ? hr : VFW_E_NO_ACCEPTABLE_TYPES;
    }
    return S_OK;
}

STDMETHODIMP TransformOutputPin::QueryAccept(const AM_MEDIA_TYPE* mt) {
    if (!mt)
        return E_POINTER;
    Locked lock(filter_->Lock());
    VideoType type;
    return filter_->Input().IsConnected() && MediaType_Parse(*mt, &type) &&
                   SameKind(type, Rgb24For(filter_->Input().Type()))
               ? S_OK
               : S_FALSE;
}

STDMETHODIMP TransformOutputPin::EnumMediaTypes(IEnumMediaTypes** types) {
    if (!types)
        return E_POINTER;
    Locked lock(filter_->Lock());
    std::vector<AM_MEDIA_TYPE> list;
    AM_MEDIA_TYPE mt;
    if (peer_ ? MediaType_Copy(mt_, &mt)
              : filter_->Input().IsConnected() && MediaType_Fill(Rgb24For(filter_->Input().Type()), &mt))
        list.push_back(mt);
    return CreateMediaTypeEnum(static_cast<IPin*>(this), std::move(list), types);
}

// Converts one input sample into a sample of our allocator and hands it downstream, with the
// input's times and flags. A frame that cannot be converted is dropped.
HRESULT TransformOutputPin::Deliver(IMediaSample* input) {
    if (!allocator_ || !peerInput_)
        return VFW_E_NOT_CONNECTED;
    Microsoft::WRL::ComPtr<IMediaSample> sample;
    const HRESULT hr = allocator_->GetBuffer(&sample, nullptr, nullptr, 0);
    if (FAILED(hr))
        return hr; // decommitted: the filter is stopping
    BYTE* in = nullptr;
    BYTE* out = nullptr;
    input->GetPointer(&in);
    sample->GetPointer(&out);
    const long length =
        filter_->Transform(filter_->Input().Type(), in, input->GetActualDataLength(), out, sample->GetSize());
    if (length <= 0)
        return S_OK;
    sample->SetActualDataLength(length);
    REFERENCE_TIME start = 0, stop = 0;
    const HRESULT timed = input->GetTime(&start, &stop);
    if (SUCCEEDED(timed))
        sample->SetTime(&start, timed == VFW_S_NO_STOP_TIME ? nullptr : &stop);
    sample->SetSyncPoint(TRUE);
    sample->SetDiscontinuity(input->IsDiscontinuity() == S_OK);
    return peerInput_->Receive(sample.Get());
}

// Filter ----------------------------------------------------------------------------------

TransformFilter::TransformFilter(const CLSID& clsid) : clsid_(clsid) {
    InitializeCriticalSection(&lock_);
    InitializeCriticalSection(&streamLock_);
    ++s_liveFilters;
    DllObjects_Add();
}

TransformFilter::~TransformFilter() {
    DeleteCriticalSection(&streamLock_);
    DeleteCriticalSection(&lock_);
    --s_liveFilters;
    DllObjects_Remove();
}

LONG TransformFilter::LiveFilters() {
    return s_liveFilters.load();
}
void TransformFilter::RefuseConnections(bool refuse) {
    s_refuse = refuse;
}
bool TransformFilter::RefusesConnections() {
    return s_refuse.load();
}

STDMETHODIMP TransformFilter::QueryInterface(REFIID iid, void** out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (iid != IID_IUnknown && iid != IID_IBaseFilter && iid != IID_IMediaFilter && iid != IID_IPersist)
        return E_NOINTERFACE;
    *out = static_cast<IBaseFilter*>(this);
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) TransformFilter::Release() {
    const LONG refs = InterlockedDecrement(&refs_);
    if (refs == 0)
        delete this;
    return ULONG(refs);
}

STDMETHODIMP TransformFilter::GetClassID(CLSID* clsid) {
    if (!clsid)
        return E_POINTER;
    *clsid = clsid_;
    return S_OK;
}

STDMETHODIMP TransformFilter::GetState(DWORD, FILTER_STATE* state) {
    if (!state)
        return E_POINTER;
    *state = state_;
    return S_OK;
}

// Decommitting first wakes a sample waiting for a buffer; then a sample on its way finishes.
STDMETHODIMP TransformFilter::Stop() {
    {
        Locked lock(&lock_);
        state_ = State_Stopped;
        output_.Decommit();
    }
    Locked stream(&streamLock_);
    return S_OK;
}

HRESULT TransformFilter::Start(FILTER_STATE state) {
    Locked lock(&lock_);
    if (state_ == State_Stopped) {
        const HRESULT hr = output_.Commit();
        if (FAILED(hr))
            return hr;
    }
    state_ = state;
    return S_OK;
}

STDMETHODIMP TransformFilter::SetSyncSource(IReferenceClock* clock) {
    Locked lock(&lock_);
    clock_ = clock;
    return S_OK;
}

STDMETHODIMP TransformFilter::GetSyncSource(IReferenceClock** clock) {
    Locked lock(&lock_);
    return Filter_GetClock(clock_.Get(), clock);
}

STDMETHODIMP TransformFilter::EnumPins(IEnumPins** pins) {
    return CreatePinEnum(static_cast<IBaseFilter*>(this), {&input_, &output_}, pins);
}

STDMETHODIMP TransformFilter::FindPin(LPCWSTR id, IPin** pin) {
    return Filter_FindPin(id, {{input_.Name(), &input_}, {output_.Name(), &output_}}, pin);
}

STDMETHODIMP TransformFilter::QueryFilterInfo(FILTER_INFO* info) {
    Locked lock(&lock_);
    return Filter_QueryInfo(name_.c_str(), graph_, info);
}

STDMETHODIMP TransformFilter::JoinFilterGraph(IFilterGraph* graph, LPCWSTR name) {
    Locked lock(&lock_);
    graph_ = graph;
    name_ = name ? name : L"";
    return S_OK;
}
