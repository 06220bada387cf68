# Sources of measure/: pure code (no windows.h) and Win32 code.
list(APPEND VANTIX_PURE_SOURCES
    measure/calibration.cpp
    measure/labels.cpp
    measure/measure_table.cpp
    measure/overlay_plan.cpp
    measure/shape_editor.cpp
    measure/shape_geometry.cpp
    measure/shape_layout.cpp
    measure/calibration_texts.cpp
)
list(APPEND VANTIX_WIN32_SOURCES
    measure/measure_render.cpp
)
