// DirectShow pieces the platform headers leave out, and the capture formats read from media types.
#pragma once

#include "capture/media_type_free.h"
#include "capture/video_format.h"

#include <dshow.h>

#include <cstdint>
#include <optional>

#if __has_include(<qedit.h>)
#include <qedit.h>
#else
// Current SDKs no longer ship qedit.h; the sample grabber is still part of the platform.
MIDL_INTERFACE("0579154A-2B53-4994-B0D0-E773148EFF85")
ISampleGrabberCB : public IUnknown {
public:
    virtual HRESULT STDMETHODCALLTYPE SampleCB(double sampleTime, IMediaSample* sample) = 0;
    virtual HRESULT STDMETHODCALLTYPE BufferCB(double sampleTime, BYTE* buffer, long length) = 0;
};
MIDL_INTERFACE("6B652FFF-11FE-4fce-92AD-0266B5D7C78F")
ISampleGrabber : public IUnknown {
public:
    virtual HRESULT STDMETHODCALLTYPE SetOneShot(BOOL oneShot) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetMediaType(const AM_MEDIA_TYPE* type) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetConnectedMediaType(AM_MEDIA_TYPE * type) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetBufferSamples(BOOL bufferThem) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetCurrentBuffer(long* size, long* buffer) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetCurrentSample(IMediaSample * *sample) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetCallback(ISampleGrabberCB * callback, long whichMethod) = 0;
};
#endif

// Not declared by any platform header. Internal linkage, so they cannot clash with a library's.
constexpr CLSID CLSID_SampleGrabber = {
    0xC1F400A0, 0x3F08, 0x11D3, {0x9F, 0x0B, 0x00, 0x60, 0x08, 0x03, 0x9E, 0x37}};
constexpr CLSID CLSID_NullRenderer = {
    0xC1F400A4, 0x3F08, 0x11D3, {0x9F, 0x0B, 0x00, 0x60, 0x08, 0x03, 0x9E, 0x37}};

// The media subtype of a FOURCC: {fourcc-0000-0010-8000-00AA00389B71}.
GUID SubtypeFromFourcc(uint32_t fourcc);

// The capture format a capability's media type describes: video, MJPG or YUY2, with a
// VIDEOINFOHEADER or VIDEOINFOHEADER2 format block. Nothing for anything else.
std::optional<VideoFormat> CaptureFormatOf(const AM_MEDIA_TYPE& type);
