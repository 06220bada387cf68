// What every pin of the tests' filters answers alike: its id and info, its peer and connection
// type, the type patterns Connect is given, and the allocator an output pin settles on; and what
// the filters answer alike: their name and graph, their clock, a pin found by its id.
#pragma once

#include <dshow.h>

#include <initializer_list>

// A null pattern, or GUID_NULL in a field, matches anything.
bool MediaType_Matches(const AM_MEDIA_TYPE& mt, const AM_MEDIA_TYPE* pattern);

HRESULT Pin_QueryId(const wchar_t* name, LPWSTR* id);
HRESULT Pin_QueryInfo(IBaseFilter* filter, PIN_DIRECTION dir, const wchar_t* name, PIN_INFO* info);
HRESULT Pin_ConnectedTo(IPin* peer, IPin** pin);
HRESULT Pin_ConnectionType(IPin* peer, const AM_MEDIA_TYPE& connection, AM_MEDIA_TYPE* mt);

// The downstream pin may bring its own allocator; without one (as the sample grabber under Wine
// answers) the pin makes a memory allocator of its own. Either is sized for at least `buffers`
// buffers of `bufferSize` bytes and handed down; `out` gets a reference.
HRESULT Pin_DecideAllocator(IMemInputPin* peer, long bufferSize, long buffers, IMemAllocator** out);

// The filter's name and graph as it joined it (the graph is not held: it holds the filter).
HRESULT Filter_QueryInfo(const wchar_t* name, IFilterGraph* graph, FILTER_INFO* info);
HRESULT Filter_GetClock(IReferenceClock* clock, IReferenceClock** out);
// The pin of `pins` named `id` (a null pin is not there).
struct NamedPin {
    const wchar_t* id;
    IPin* pin;
};
HRESULT Filter_FindPin(LPCWSTR id, std::initializer_list<NamedPin> pins, IPin** out);
