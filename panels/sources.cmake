# Sources of panels/: pure code (no windows.h) and Win32 code.
list(APPEND VANTIX_PURE_SOURCES
    panels/panel_layout.cpp
    panels/device_section_layout.cpp
    panels/files_layout.cpp
    panels/image_header.cpp
    panels/image_view_geometry.cpp
    panels/tool_button_table.cpp
    panels/tool_button_face.cpp
    panels/section_units.cpp
    panels/colors_section_model.cpp
    panels/preview_section_model.cpp
    panels/options_model.cpp
)
list(APPEND VANTIX_WIN32_SOURCES
    panels/text_input_dialog.cpp
    panels/calibration_dialogs.cpp
    panels/control_panel.cpp
    panels/section_header.cpp
    panels/device_section.cpp
    panels/open_device_dialog.cpp
    panels/tool_button.cpp
    panels/toolbar.cpp
    panels/files_section.cpp
    panels/image_viewer.cpp
    panels/section_controls.cpp
    panels/colors_section.cpp
    panels/preview_section.cpp
    panels/options_dialog.cpp
    panels/about_dialog.cpp
)
