# Sources of app/: pure code (no windows.h) and Win32 code. The entry point (main.cpp) is
# added by the root list so the Wine tests can link the rest.
list(APPEND VANTIX_PURE_SOURCES
    app/app_settings.cpp
    app/registry_value.cpp
    app/string_table.cpp
    app/lang_english.cpp
    app/lang_chinese.cpp
    app/lang_french.cpp
    app/lang_spanish.cpp
    app/lang_german.cpp
    app/lang_japanese.cpp
    app/lang_korean.cpp
    app/lang_russian.cpp
    app/lang_italian.cpp
    app/lang_portuguese.cpp
    app/main_layout.cpp
    app/display_scale.cpp
    app/tool_commands.cpp
)
list(APPEND VANTIX_WIN32_SOURCES
    app/settings_store.cpp
    app/image_encoders.cpp
    app/window_classes.cpp
    app/main_window.cpp
    app/window_dpi.cpp
)
