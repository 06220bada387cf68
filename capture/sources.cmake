# Sources of capture/: pure code (no windows.h) and Win32 code.
list(APPEND VANTIX_PURE_SOURCES
    capture/devices.cpp
    capture/video_format.cpp
)
list(APPEND VANTIX_WIN32_SOURCES
)
