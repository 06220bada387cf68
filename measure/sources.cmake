# Sources of measure/: pure code (no windows.h) and Win32 code.
list(APPEND VANTIX_PURE_SOURCES
)
list(APPEND VANTIX_WIN32_SOURCES
)
