# Sources of base/: pure code (no windows.h) and Win32 code.
list(APPEND VANTIX_PURE_SOURCES
    base/app_settings.cpp
    base/registry_value.cpp
    base/string_table.cpp
    base/lang_english.cpp
    base/lang_chinese.cpp
    base/lang_french.cpp
    base/lang_spanish.cpp
    base/lang_german.cpp
    base/lang_japanese.cpp
    base/lang_korean.cpp
    base/lang_russian.cpp
    base/lang_italian.cpp
    base/lang_portuguese.cpp
    base/display_scale.cpp
    base/layout_units.cpp
    base/picture_size.cpp
)
list(APPEND VANTIX_WIN32_SOURCES
    base/window_dpi.cpp
    base/debug_output.cpp
)
