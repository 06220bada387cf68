// Asking the camera view for its figures (UM_VIEW_QUERY), in the same process or from outside it.
#pragma once

#include "tests/support/win32_support.h"
#include "view/view_query.h"

// -1 when the view does not answer within 5 s.
inline LRESULT Query(HWND view, ViewQuery which, LPARAM argument = 0) {
    return SendWithTimeout(view, UM_VIEW_QUERY, static_cast<WPARAM>(which), argument);
}
