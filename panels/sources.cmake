# Sources of panels/: pure code (no windows.h) and Win32 code.
list(APPEND VANTIX_PURE_SOURCES
    panels/recent_files.cpp
)
list(APPEND VANTIX_WIN32_SOURCES
)
