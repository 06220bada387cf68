# Sources of view/: pure code (no windows.h) and Win32 code.
list(APPEND VANTIX_PURE_SOURCES
    view/back_buffer_pixels.cpp
    view/view_geometry.cpp
)
list(APPEND VANTIX_WIN32_SOURCES
    view/measure_view.cpp
    view/camera_view.cpp
    view/picture_copy.cpp
    view/view_commands.cpp
    view/view_composition.cpp
    view/view_query.cpp
    view/view_stats.cpp
)
