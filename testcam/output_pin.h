// The camera's output pins: "Capture" (with IAMStreamConfig) and "Still". Each pin offers RGB24
// beside the camera's own subtype so that it connects where no decoder exists, picks its
// allocator itself when the downstream pin has none, and delivers samples on the filter's
// streaming thread. Its reference count is the filter's, so a pin lives as long as the filter.
#pragma once

#include <dshow.h>
#include <wrl/client.h>

#include <vector>

#include "testcam/media_types.h"
#include "testcam/test_picture.h"

class CameraFilter;
class FrameSource;

enum class PinKind : int { Capture = 0, Still = 1 };

class OutputPin final : public IPin, public IKsPropertySet, public IAMStreamConfig {
public:
    OutputPin(CameraFilter* filter, PinKind kind);
    ~OutputPin();
    OutputPin(const OutputPin&) = delete;
    OutputPin& operator=(const OutputPin&) = delete;

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IPin
    STDMETHODIMP Connect(IPin* receiver, const AM_MEDIA_TYPE* mt) override;
    STDMETHODIMP ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* mt) override;
    STDMETHODIMP Disconnect() override;
    STDMETHODIMP ConnectedTo(IPin** pin) override;
    STDMETHODIMP ConnectionMediaType(AM_MEDIA_TYPE* mt) override;
    STDMETHODIMP QueryPinInfo(PIN_INFO* info) override;
    STDMETHODIMP QueryDirection(PIN_DIRECTION* dir) override;
    STDMETHODIMP QueryId(LPWSTR* id) override;
    STDMETHODIMP QueryAccept(const AM_MEDIA_TYPE* mt) override;
    STDMETHODIMP EnumMediaTypes(IEnumMediaTypes** types) override;
    STDMETHODIMP QueryInternalConnections(IPin** pins, ULONG* count) override;
    STDMETHODIMP EndOfStream() override;
    STDMETHODIMP BeginFlush() override;
    STDMETHODIMP EndFlush() override;
    STDMETHODIMP NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) override;

    // IKsPropertySet: only the pin category
    STDMETHODIMP Set(REFGUID set, DWORD id, void* instance, DWORD instanceSize, void* data,
                     DWORD dataSize) override;
    STDMETHODIMP Get(REFGUID set, DWORD id, void* instance, DWORD instanceSize, void* data, DWORD dataSize,
                     DWORD* returned) override;
    STDMETHODIMP QuerySupported(REFGUID set, DWORD id, DWORD* support) override;

    // IAMStreamConfig (capture pin only)
    STDMETHODIMP SetFormat(AM_MEDIA_TYPE* mt) override;
    STDMETHODIMP GetFormat(AM_MEDIA_TYPE** mt) override;
    STDMETHODIMP GetNumberOfCapabilities(int* count, int* size) override;
    STDMETHODIMP GetStreamCaps(int index, AM_MEDIA_TYPE** mt, BYTE* caps) override;

    // For the filter. Called with the filter's lock held unless noted.
    // offersRgb24: RGB24 of each size beside the camera's own types.
    void SetCapabilities(const std::vector<VideoType>& caps, bool offersRgb24 = true);
    VideoType CurrentFormat() const; // the set format, else the first capability
    bool IsConnected() const { return peer_.Get() != nullptr; }
    VideoType ConnectedType() const { return connectedType_; }
    HRESULT Commit();
    void Decommit();
    // Streaming thread, while the filter is not stopped (the connection cannot change then).
    HRESULT Deliver(FrameSource& source, TestCamPicture picture, int frameIndex, int fps,
                    REFERENCE_TIME start, REFERENCE_TIME stop, bool discontinuity);

private:
    std::vector<AM_MEDIA_TYPE> OfferedTypes() const; // caller frees them
    bool Offers(const VideoType& type) const;
    HRESULT TryConnect(IPin* receiver, const AM_MEDIA_TYPE& mt);
    HRESULT DecideAllocator();
    void ReleaseConnection();
    const wchar_t* Name() const { return kind_ == PinKind::Capture ? L"Capture" : L"Still"; }

    CameraFilter* const filter_;
    const PinKind kind_;
    std::vector<VideoType> caps_;
    bool offersRgb24_ = true;
    bool hasSetFormat_ = false;
    VideoType setFormat_;

    // Released in ReleaseConnection in the order the connection needs: allocator, input, pin.
    Microsoft::WRL::ComPtr<IPin> peer_;
    Microsoft::WRL::ComPtr<IMemInputPin> peerInput_;
    Microsoft::WRL::ComPtr<IMemAllocator> allocator_;
    AM_MEDIA_TYPE mt_ = {};
    VideoType connectedType_;
};
