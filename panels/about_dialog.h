// The About box (template 2008): the product title and a rights notice, untranslated.
#pragma once

#include <windows.h>

inline constexpr wchar_t kAboutRightsNotice[] = L"Copyright (C) Vantix. All rights reserved.";

// Runs the box modally over `owner`; returns IDOK or IDCANCEL.
INT_PTR ShowAboutDialog(HWND owner);
