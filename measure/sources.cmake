# Sources of measure/: pure code (no windows.h) and Win32 code.
list(APPEND VANTIX_PURE_SOURCES
    measure/calibration.cpp
)
list(APPEND VANTIX_WIN32_SOURCES
)
