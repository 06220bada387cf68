# Sources of capture/: pure code (no windows.h) and Win32 code.
list(APPEND VANTIX_PURE_SOURCES
    capture/camera_property.cpp
    capture/format_map.cpp
    capture/frame_copy.cpp
    capture/frame_delivery.cpp
    capture/frame_rate.cpp
    capture/frame_ring.cpp
    capture/power_line.cpp
    capture/signal_frame.cpp
    capture/usb_ids.cpp
    capture/video_format.cpp
    capture/frame_filters.cpp
    capture/frame_filters_x86.cpp
    capture/frame_filters_avx512.cpp
)
# GCC for Windows does not realign the stack for 64-byte registers it spills; unaligned moves are as
# fast where the address happens to be aligned, and do not fault where it is not.
if(WIN32 AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    set_source_files_properties(capture/frame_filters_avx512.cpp PROPERTIES COMPILE_OPTIONS
        "-Wa,-muse-unaligned-vector-move")
endif()
list(APPEND VANTIX_WIN32_SOURCES
    capture/camera_arrival.cpp
    capture/camera_controls.cpp
    capture/capture_graph.cpp
    capture/capture_session.cpp
    capture/device_list.cpp
    capture/frame_callbacks.cpp
    capture/media_types.cpp
)
