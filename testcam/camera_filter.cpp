#include "testcam/camera_filter.h"

#include <cstring>
#include <cwchar>
#include <new>

#include "testcam/camera_registry.h"
#include "testcam/dll_objects.h"
#include "testcam/enumerators.h"
#include "testcam/locks.h"
#include "testcam/pin_parts.h"
#include "testcam/testcam_control.h"

namespace {

std::vector<VideoType> CapabilitiesOf(const TestCamConfig& config) {
    std::vector<VideoType> caps;
    for (const TestCamFormat& f : config.formats)
        caps.push_back(VideoTypeFor(f));
    return caps;
}

// "\\?\usb#<instance>#{...}\global" -> "<instance>".
std::wstring InstanceFromDevicePath(const std::wstring& path) {
    const size_t start = path.find(L"usb#");
    const size_t end = path.rfind(L"#{");
    if (start == std::wstring::npos || end == std::wstring::npos || end <= start + 4)
        return {};
    return path.substr(start + 4, end - start - 4);
}

std::wstring ReadBagString(IPropertyBag* bag, const wchar_t* name) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BSTR;
    std::wstring text;
    if (SUCCEEDED(bag->Read(name, &v, nullptr)) && v.vt == VT_BSTR && v.bstrVal)
        text = v.bstrVal;
    VariantClear(&v);
    return text;
}

} // namespace

HRESULT CameraFilter::Create(REFIID iid, void** out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    auto* filter = new (std::nothrow) CameraFilter;
    if (!filter)
        return E_OUTOFMEMORY;
    const HRESULT hr = filter->QueryInterface(iid, out);
    filter->Release();
    return hr;
}

CameraFilter::CameraFilter()
    : capturePin_(this, PinKind::Capture), stillPin_(this, PinKind::Still), procAmp_(this),
      cameraControl_(this) {
    InitializeCriticalSection(&refLock_);
    InitializeCriticalSection(&lock_);
    stopEvent_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    DllObjects_Add();
    // Until the device moniker says which camera this is, it is the default one.
    TestCamConfig config;
    CameraRegistry_ReadConfig(config.instanceName, &config);
    Configure(config, false);
}

CameraFilter::~CameraFilter() {
    StopStreaming();
    clock_.Reset();
    {
        Locked lock(&lock_);
        if (capturePin_.IsConnected())
            OnCaptureConnection(false, {});
    }
    if (block_) {
        // Released without being stopped first: it no longer runs either.
        if (State() == State_Running)
            InterlockedDecrement(&block_->running);
        InterlockedDecrement(&block_->filterObjects);
    }
    block_.Close();
    if (stopEvent_)
        CloseHandle(stopEvent_);
    DeleteCriticalSection(&lock_);
    DeleteCriticalSection(&refLock_);
    DllObjects_Remove();
}

// References -------------------------------------------------------------------------------

STDMETHODIMP CameraFilter::QueryInterface(REFIID iid, void** out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IBaseFilter || iid == IID_IMediaFilter || iid == IID_IPersist)
        *out = static_cast<IBaseFilter*>(this);
    else if (iid == IID_IPersistPropertyBag)
        *out = static_cast<IPersistPropertyBag*>(this);
    else if (iid == IID_IAMFilterMiscFlags)
        *out = static_cast<IAMFilterMiscFlags*>(this);
    else if (iid == IID_IAMVideoProcAmp && config_.hasVideoProcAmp)
        *out = static_cast<IAMVideoProcAmp*>(&procAmp_);
    else if (iid == IID_IAMCameraControl && config_.hasCameraControl)
        *out = static_cast<IAMCameraControl*>(&cameraControl_);
    else
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) CameraFilter::AddRef() {
    Locked lock(&refLock_);
    ++refs_;
    ++life_;
    if (block_)
        InterlockedIncrement(&block_->filterRefs);
    return ULONG(refs_);
}

STDMETHODIMP_(ULONG) CameraFilter::Release() {
    Locked lock(&refLock_);
    const LONG refs = --refs_;
    const LONG life = --life_;
    if (block_)
        InterlockedDecrement(&block_->filterRefs);
    lock.Unlock();
    if (life == 0)
        delete this;
    return ULONG(refs);
}

ULONG CameraFilter::PinAddRef(PinKind kind) {
    Locked lock(&refLock_);
    const LONG n = ++pinRefs_[int(kind)];
    ++life_;
    if (block_)
        InterlockedIncrement(kind == PinKind::Capture ? &block_->capturePinRefs : &block_->stillPinRefs);
    return ULONG(n);
}

ULONG CameraFilter::PinRelease(PinKind kind) {
    Locked lock(&refLock_);
    const LONG n = --pinRefs_[int(kind)];
    const LONG life = --life_;
    if (block_)
        InterlockedDecrement(kind == PinKind::Capture ? &block_->capturePinRefs : &block_->stillPinRefs);
    lock.Unlock();
    if (life == 0)
        delete this;
    return ULONG(n);
}

// Counts this filter's references in the camera's shared block from now on.
void CameraFilter::Publish(const std::wstring& instanceName) {
    Locked lock(&refLock_);
    if (block_ || !block_.Open(instanceName, true))
        return;
    InterlockedIncrement(&block_->filterObjects);
    InterlockedExchangeAdd(&block_->filterRefs, refs_);
    InterlockedExchangeAdd(&block_->capturePinRefs, pinRefs_[0]);
    InterlockedExchangeAdd(&block_->stillPinRefs, pinRefs_[1]);
}

// Configuration ----------------------------------------------------------------------------

void CameraFilter::Configure(const TestCamConfig& config, bool publish) {
    Locked lock(&lock_);
    config_ = config;
    hasStill_ = config.stillPin;
    capturePin_.SetCapabilities(CapabilitiesOf(config), !config.uvcOnly);
    stillPin_.SetCapabilities({}, !config.uvcOnly);
    controls_.Configure(config, publish);
    if (publish)
        Publish(config.instanceName);
}

void CameraFilter::OnCaptureConnection(bool connected, const VideoType& type) {
    if (!block_)
        return;
    InterlockedExchange(&block_->fourcc, LONG(type.fourcc));
    InterlockedExchange(&block_->width, type.width);
    InterlockedExchange(&block_->height, type.height);
    InterlockedExchange(&block_->connected, connected ? 1 : 0);
}

STDMETHODIMP CameraFilter::InitNew() {
    return S_OK;
}

STDMETHODIMP CameraFilter::Load(IPropertyBag* bag, IErrorLog*) {
    if (!bag)
        return E_POINTER;
    {
        Locked lock(&lock_);
        if (loaded_)
            return E_UNEXPECTED;
        if (State() != State_Stopped || capturePin_.IsConnected() || stillPin_.IsConnected())
            return VFW_E_WRONG_STATE;
        loaded_ = true;
    }
    std::wstring instance = ReadBagString(bag, L"TestCamInstance");
    if (!TestCam_IsValidInstanceName(instance))
        instance = InstanceFromDevicePath(ReadBagString(bag, L"DevicePath"));
    TestCamConfig config;
    if (TestCam_IsValidInstanceName(instance))
        config.instanceName = instance;
    CameraRegistry_ReadConfig(config.instanceName, &config);
    Configure(config, true);
    return S_OK;
}

STDMETHODIMP CameraFilter::Save(IPropertyBag*, BOOL, BOOL) {
    return E_NOTIMPL;
}

STDMETHODIMP_(ULONG) CameraFilter::GetMiscFlags() {
    return AM_FILTER_MISC_FLAGS_IS_SOURCE;
}

// IBaseFilter ------------------------------------------------------------------------------

STDMETHODIMP CameraFilter::GetClassID(CLSID* clsid) {
    if (!clsid)
        return E_POINTER;
    *clsid = CLSID_VantixTestCam;
    return S_OK;
}

STDMETHODIMP CameraFilter::GetState(DWORD, FILTER_STATE* state) {
    if (!state)
        return E_POINTER;
    *state = State();
    // A live source has nothing to cue while paused.
    return *state == State_Paused ? VFW_S_CANT_CUE : S_OK;
}

STDMETHODIMP CameraFilter::SetSyncSource(IReferenceClock* clock) {
    Locked lock(&lock_);
    clock_ = clock;
    return S_OK;
}

STDMETHODIMP CameraFilter::GetSyncSource(IReferenceClock** clock) {
    Locked lock(&lock_);
    return Filter_GetClock(clock_.Get(), clock);
}

STDMETHODIMP CameraFilter::EnumPins(IEnumPins** pins) {
    Locked lock(&lock_);
    std::vector<IPin*> list = {&capturePin_};
    if (hasStill_)
        list.push_back(&stillPin_);
    return CreatePinEnum(static_cast<IBaseFilter*>(this), list, pins);
}

STDMETHODIMP CameraFilter::FindPin(LPCWSTR id, IPin** pin) {
    Locked lock(&lock_);
    return Filter_FindPin(id, {{L"Capture", &capturePin_}, {L"Still", hasStill_ ? &stillPin_ : nullptr}},
                          pin);
}

STDMETHODIMP CameraFilter::QueryFilterInfo(FILTER_INFO* info) {
    Locked lock(&lock_);
    return Filter_QueryInfo(name_.c_str(), graph_, info);
}

STDMETHODIMP CameraFilter::JoinFilterGraph(IFilterGraph* graph, LPCWSTR name) {
    Locked lock(&lock_);
    graph_ = graph;
    name_ = name ? name : L"";
    return S_OK;
}

STDMETHODIMP CameraFilter::QueryVendorInfo(LPWSTR*) {
    return E_NOTIMPL;
}

// Facets -----------------------------------------------------------------------------------

STDMETHODIMP ProcAmpFacet::QueryInterface(REFIID iid, void** out) {
    return filter_->QueryInterface(iid, out);
}
STDMETHODIMP_(ULONG) ProcAmpFacet::AddRef() {
    return filter_->AddRef();
}
STDMETHODIMP_(ULONG) ProcAmpFacet::Release() {
    return filter_->Release();
}
STDMETHODIMP ProcAmpFacet::GetRange(long property, long* min, long* max, long* step, long* def, long* caps) {
    return filter_->Controls().GetRange(TestCamInterface::VideoProcAmp, property, min, max, step, def, caps);
}
STDMETHODIMP ProcAmpFacet::Set(long property, long value, long flags) {
    return filter_->Controls().Set(TestCamInterface::VideoProcAmp, property, value, flags);
}
STDMETHODIMP ProcAmpFacet::Get(long property, long* value, long* flags) {
    return filter_->Controls().Get(TestCamInterface::VideoProcAmp, property, value, flags);
}

STDMETHODIMP CameraControlFacet::QueryInterface(REFIID iid, void** out) {
    return filter_->QueryInterface(iid, out);
}
STDMETHODIMP_(ULONG) CameraControlFacet::AddRef() {
    return filter_->AddRef();
}
STDMETHODIMP_(ULONG) CameraControlFacet::Release() {
    return filter_->Release();
}
STDMETHODIMP CameraControlFacet::GetRange(long property, long* min, long* max, long* step, long* def,
                                          long* caps) {
    return filter_->Controls().GetRange(TestCamInterface::CameraControl, property, min, max, step, def, caps);
}
STDMETHODIMP CameraControlFacet::Set(long property, long value, long flags) {
    return filter_->Controls().Set(TestCamInterface::CameraControl, property, value, flags);
}
STDMETHODIMP CameraControlFacet::Get(long property, long* value, long* flags) {
    return filter_->Controls().Get(TestCamInterface::CameraControl, property, value, flags);
}
