#include "testcam/pin_parts.h"

#include <cstring>
#include <cwchar>

#include <wrl/client.h>

#include "testcam/media_types.h"

bool MediaType_Matches(const AM_MEDIA_TYPE& mt, const AM_MEDIA_TYPE* pattern) {
    return !pattern || ((pattern->majortype == GUID_NULL || pattern->majortype == mt.majortype) &&
                        (pattern->subtype == GUID_NULL || pattern->subtype == mt.subtype) &&
                        (pattern->formattype == GUID_NULL || pattern->formattype == mt.formattype));
}

HRESULT Pin_QueryId(const wchar_t* name, LPWSTR* id) {
    if (!id)
        return E_POINTER;
    const size_t bytes = (std::wcslen(name) + 1) * sizeof(wchar_t);
    *id = static_cast<LPWSTR>(CoTaskMemAlloc(bytes));
    if (!*id)
        return E_OUTOFMEMORY;
    std::memcpy(*id, name, bytes);
    return S_OK;
}

HRESULT Pin_QueryInfo(IBaseFilter* filter, PIN_DIRECTION dir, const wchar_t* name, PIN_INFO* info) {
    if (!info)
        return E_POINTER;
    info->pFilter = filter;
    filter->AddRef();
    info->dir = dir;
    wcsncpy(info->achName, name, MAX_PIN_NAME - 1);
    info->achName[MAX_PIN_NAME - 1] = L'\0';
    return S_OK;
}

HRESULT Pin_ConnectedTo(IPin* peer, IPin** pin) {
    if (!pin)
        return E_POINTER;
    *pin = peer;
    if (!peer)
        return VFW_E_NOT_CONNECTED;
    peer->AddRef();
    return S_OK;
}

HRESULT Pin_ConnectionType(IPin* peer, const AM_MEDIA_TYPE& connection, AM_MEDIA_TYPE* mt) {
    if (!mt)
        return E_POINTER;
    if (!peer) {
        std::memset(mt, 0, sizeof *mt);
        return VFW_E_NOT_CONNECTED;
    }
    return MediaType_Copy(connection, mt) ? S_OK : E_OUTOFMEMORY;
}

HRESULT Pin_DecideAllocator(IMemInputPin* peer, long bufferSize, long buffers, IMemAllocator** out) {
    ALLOCATOR_PROPERTIES wanted = {};
    peer->GetAllocatorRequirements(&wanted);
    ALLOCATOR_PROPERTIES props = {};
    props.cBuffers = wanted.cBuffers > buffers ? wanted.cBuffers : buffers;
    props.cbBuffer = wanted.cbBuffer > bufferSize ? wanted.cbBuffer : bufferSize;
    props.cbAlign = wanted.cbAlign > 0 ? wanted.cbAlign : 1;
    props.cbPrefix = wanted.cbPrefix;
    auto use = [&](Microsoft::WRL::ComPtr<IMemAllocator>& allocator) {
        ALLOCATOR_PROPERTIES actual = {};
        if (FAILED(allocator->SetProperties(&props, &actual)) || actual.cbBuffer < bufferSize ||
            FAILED(peer->NotifyAllocator(allocator.Get(), FALSE)))
            return false;
        *out = allocator.Detach();
        return true;
    };
    Microsoft::WRL::ComPtr<IMemAllocator> allocator;
    if (SUCCEEDED(peer->GetAllocator(allocator.GetAddressOf())) && allocator && use(allocator))
        return S_OK;
    allocator.Reset();
    const HRESULT hr =
        CoCreateInstance(CLSID_MemoryAllocator, nullptr, CLSCTX_INPROC_SERVER, IID_IMemAllocator,
                         reinterpret_cast<void**>(allocator.GetAddressOf()));
    if (FAILED(hr))
        return hr;
    return use(allocator) ? S_OK : VFW_E_NO_ALLOCATOR;
}

HRESULT Filter_QueryInfo(const wchar_t* name, IFilterGraph* graph, FILTER_INFO* info) {
    if (!info)
        return E_POINTER;
    wcsncpy(info->achName, name, MAX_FILTER_NAME - 1);
    info->achName[MAX_FILTER_NAME - 1] = L'\0';
    info->pGraph = graph;
    if (graph)
        graph->AddRef();
    return S_OK;
}

HRESULT Filter_GetClock(IReferenceClock* clock, IReferenceClock** out) {
    if (!out)
        return E_POINTER;
    *out = clock;
    if (clock)
        clock->AddRef();
    return S_OK;
}

HRESULT Filter_FindPin(LPCWSTR id, std::initializer_list<NamedPin> pins, IPin** out) {
    if (!id || !out)
        return E_POINTER;
    *out = nullptr;
    for (const NamedPin& named : pins) {
        if (named.pin && std::wcscmp(id, named.id) == 0) {
            *out = named.pin;
            named.pin->AddRef();
            return S_OK;
        }
    }
    return VFW_E_NOT_FOUND;
}
