# Sources of panels/: pure code (no windows.h) and Win32 code.
list(APPEND VANTIX_PURE_SOURCES
    panels/recent_files.cpp
    panels/tool_button_table.cpp
    panels/tool_button_face.cpp
)
list(APPEND VANTIX_WIN32_SOURCES
    panels/tool_button.cpp
    panels/toolbar.cpp
)
