// IEnumPins and IEnumMediaTypes over snapshots taken when the enumerator is made. Each holds a
// reference on what it enumerates the pins or types of, so it keeps its owner alive.
#pragma once

#include <dshow.h>

#include <vector>

// `types` become the enumerator's (it frees them).
HRESULT CreateMediaTypeEnum(IUnknown* owner, std::vector<AM_MEDIA_TYPE> types, IEnumMediaTypes** out);
HRESULT CreatePinEnum(IUnknown* owner, std::vector<IPin*> pins, IEnumPins** out);
