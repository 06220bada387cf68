# Sources of app/: pure code (no windows.h) and Win32 code. The entry point (main.cpp) is
# added by the root list so the Wine tests can link the rest.
list(APPEND VANTIX_PURE_SOURCES
    app/main_layout.cpp
    app/tool_commands.cpp
)
list(APPEND VANTIX_WIN32_SOURCES
    app/window_classes.cpp
    app/main_window.cpp
)
