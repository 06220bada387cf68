# Sources of output/: pure code (no windows.h) and Win32 code.
list(APPEND VANTIX_PURE_SOURCES
    output/mp4_boxes.cpp
    output/mp4_muxer.cpp
)
list(APPEND VANTIX_WIN32_SOURCES
)
