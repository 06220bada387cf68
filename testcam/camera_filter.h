// The virtual camera's DirectShow filter: a live video source with a capture pin, an optional
// still pin, optional IAMVideoProcAmp and IAMCameraControl, and IPersistPropertyBag through
// which the device moniker tells it which configured camera it is.
#pragma once

#include <dshow.h>
#include <wrl/client.h>

#include <string>

#include "testcam/camera_controls.h"
#include "testcam/frame_source.h"
#include "testcam/output_pin.h"
#include "testcam/shared_block.h"
#include "testcam/testcam_config.h"

class CameraFilter;

// IAMVideoProcAmp and IAMCameraControl have methods of the same names and signatures, so each
// is a small object of its own that shares the filter's identity and reference count.
class ProcAmpFacet final : public IAMVideoProcAmp {
public:
    explicit ProcAmpFacet(CameraFilter* filter) : filter_(filter) {}
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP GetRange(long property, long* min, long* max, long* step, long* def, long* caps) override;
    STDMETHODIMP Set(long property, long value, long flags) override;
    STDMETHODIMP Get(long property, long* value, long* flags) override;

private:
    CameraFilter* const filter_;
};

class CameraControlFacet final : public IAMCameraControl {
public:
    explicit CameraControlFacet(CameraFilter* filter) : filter_(filter) {}
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP GetRange(long property, long* min, long* max, long* step, long* def, long* caps) override;
    STDMETHODIMP Set(long property, long value, long flags) override;
    STDMETHODIMP Get(long property, long* value, long* flags) override;

private:
    CameraFilter* const filter_;
};

class CameraFilter final : public IBaseFilter, public IPersistPropertyBag, public IAMFilterMiscFlags {
public:
    static HRESULT Create(REFIID iid, void** out);

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IPersist, IMediaFilter, IBaseFilter
    STDMETHODIMP GetClassID(CLSID* clsid) override;
    STDMETHODIMP Stop() override;
    STDMETHODIMP Pause() override;
    STDMETHODIMP Run(REFERENCE_TIME start) override;
    STDMETHODIMP GetState(DWORD timeoutMs, FILTER_STATE* state) override;
    STDMETHODIMP SetSyncSource(IReferenceClock* clock) override;
    STDMETHODIMP GetSyncSource(IReferenceClock** clock) override;
    STDMETHODIMP EnumPins(IEnumPins** pins) override;
    STDMETHODIMP FindPin(LPCWSTR id, IPin** pin) override;
    STDMETHODIMP QueryFilterInfo(FILTER_INFO* info) override;
    STDMETHODIMP JoinFilterGraph(IFilterGraph* graph, LPCWSTR name) override;
    STDMETHODIMP QueryVendorInfo(LPWSTR* info) override;

    // IPersistPropertyBag
    STDMETHODIMP InitNew() override;
    STDMETHODIMP Load(IPropertyBag* bag, IErrorLog* log) override;
    STDMETHODIMP Save(IPropertyBag* bag, BOOL clearDirty, BOOL saveAll) override;

    // IAMFilterMiscFlags
    STDMETHODIMP_(ULONG) GetMiscFlags() override;

    // For the pins and facets.
    ULONG PinAddRef(PinKind kind);
    ULONG PinRelease(PinKind kind);
    CRITICAL_SECTION* Lock() { return &lock_; }
    FILTER_STATE State() const { return FILTER_STATE(InterlockedCompareExchange(&state_, 0, 0)); }
    IFilterGraph* Graph() const { return graph_; } // not referenced: the graph holds us
    OutputPin* CapturePin() { return &capturePin_; }
    void OnCaptureConnection(bool connected, const VideoType& type);
    CameraControls& Controls() { return controls_; }

private:
    CameraFilter();
    ~CameraFilter();
    CameraFilter(const CameraFilter&) = delete;
    CameraFilter& operator=(const CameraFilter&) = delete;

    void Configure(const TestCamConfig& config, bool publish);
    void Publish(const std::wstring& instanceName);
    HRESULT StartStreaming();
    void StopStreaming();
    static DWORD WINAPI StreamThread(void* filter);
    void StreamLoop();
    int DeliveryFps() const;

    // Lifetime: refs_ on the filter plus every pin reference.
    CRITICAL_SECTION refLock_;
    LONG refs_ = 1;
    LONG pinRefs_[2] = {0, 0};
    LONG life_ = 1;
    SharedBlockView block_;
    bool loaded_ = false;

    CRITICAL_SECTION lock_; // state, connections, configuration
    mutable LONG state_ = State_Stopped;
    REFERENCE_TIME start_ = 0;
    Microsoft::WRL::ComPtr<IReferenceClock> clock_;
    IFilterGraph* graph_ = nullptr; // not referenced: the graph holds the filter
    std::wstring name_;
    TestCamConfig config_;
    bool hasStill_ = true;

    OutputPin capturePin_;
    OutputPin stillPin_;
    ProcAmpFacet procAmp_;
    CameraControlFacet cameraControl_;
    CameraControls controls_;

    HANDLE thread_ = nullptr;
    HANDLE stopEvent_ = nullptr;
    FrameSource frames_; // streaming thread only
};
