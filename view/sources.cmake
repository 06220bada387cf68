# Sources of view/: pure code (no windows.h) and Win32 code.
list(APPEND VANTIX_PURE_SOURCES
    view/back_buffer_pixels.cpp
    view/frame_filters.cpp
    view/frame_filters_x86.cpp
    view/view_geometry.cpp
)
list(APPEND VANTIX_WIN32_SOURCES
    view/camera_view.cpp
)
