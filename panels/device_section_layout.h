// The Device section's geometry and the lists it and the Open-microscope dialog show: which
// formats (MJPG, YUY2) a camera offers, its resolutions, which item is selected, and which format
// an item stands for. Pure code; device_section.cpp and open_device_dialog.cpp use it.
#pragma once

#include "capture/format_map.h"
#include "capture/video_format.h"
#include "panels/panel_layout.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

// Child identifiers of the section's controls.
inline constexpr int kIdDeviceHeader = 100;
inline constexpr int kIdNameLabel = 101;
inline constexpr int kIdDeviceCombo = 102;
inline constexpr int kIdResolutionLabel = 103;
inline constexpr int kIdResolutionCombo = 104;
inline constexpr int kIdFormatLabel = 105;
inline constexpr int kIdFormatCombo = 106;
inline constexpr int kIdPhotoButton = 107;
inline constexpr int kIdVideoButton = 108;
inline constexpr int kIdFilesButton = 109;
inline constexpr int kIdSettingButton = 110;
inline constexpr int kDeviceControlCount = 11; // 100 to 110

struct DeviceSectionLayout {
    int headerHeight = 0;    // H
    int collapsedHeight = 0; // K = H + 1
    int expandedHeight = 0;
    std::array<PanelRect, kDeviceControlCount> controls; // [id - 100]
};

// The section's metrics and, for a client width, where its eleven controls go. Every dialog unit
// figure is converted to pixels on its own before the pixels are added. The four buttons stand two
// by two, or one below the other when a caption is too wide for half the section. With
// labelTextWidth (the widest label's text in pixels) the labels are as wide as that and the lists
// take the rest; without it (-1) the labels have a fixed width.
DeviceSectionLayout LayoutDeviceSection(int clientWidth, int baseUnitX, int baseUnitY,
                                        bool buttonsInOneColumn = false, int labelTextWidth = -1);

// The collapsed and expanded heights alone (what the panel asks for).
SectionHeights DeviceSectionHeights(int baseUnitY, bool buttonsInOneColumn = false);

// The width of each button while they stand two by two.
int DeviceButtonWidth(int clientWidth, int baseUnitX);

// The format list of a camera: "MJPG" when it has MJPG formats, then "YUY2" when it has YUY2
// formats.
std::vector<uint32_t> ListedSubtypes(const FormatMap& mjpgFormats, const FormatMap& yuy2Formats);
std::wstring SubtypeText(uint32_t subtype);

// The map of a subtype: MJPG's for MJPG, YUY2's for anything else.
const FormatMap& MapOfSubtype(const FormatMap& mjpgFormats, const FormatMap& yuy2Formats, uint32_t subtype);

// The item of the section's format list that shows the running subtype; 0 when none does, -1
// for an empty list.
int RunningSubtypeItem(const std::vector<uint32_t>& listed, uint32_t runningSubtype);

// "%dx%d" for every format of the map, in map order (ascending area).
std::vector<std::wstring> ResolutionTexts(const FormatMap& formats);

// The section's resolution selection: the last format of this size, else the first; -1 for an
// empty map.
int SectionResolutionItem(const FormatMap& formats, int width, int height);

// The dialog's resolution selection: the last format of this size, else the middle one
// (count / 2); -1 for an empty map.
int DialogResolutionItem(const FormatMap& formats, int width, int height);

// The format at a list position, or nothing when the position is not inside the map.
std::optional<VideoFormat> FormatAtItem(const FormatMap& formats, int item);

// The dialog's map for a format item: the YUY2 map when the camera has no MJPG formats, else
// the MJPG map for item 0 and the YUY2 map for any other.
const FormatMap& DialogFormatMap(const FormatMap& mjpgFormats, const FormatMap& yuy2Formats, int formatItem);

// The subtype the section switches to for a format item: YUY2 when the camera has no MJPG, MJPG
// when it has no YUY2, else MJPG for item 0 and YUY2 for item 1. Nothing for an item the list
// does not have.
std::optional<uint32_t> SubtypeForFormatItem(const FormatMap& mjpgFormats, const FormatMap& yuy2Formats,
                                             int formatItem);

// The request the section reopens the camera with after the user picks another resolution: the
// running subtype with the picked format's size and interpolated flag. Nothing when the item is
// not inside the map or the picture already has that size.
std::optional<VideoFormat> ResolutionChangeRequest(const FormatMap& formats, int item,
                                                   uint32_t runningSubtype, int contentWidth,
                                                   int contentHeight);

// Where the Open-microscope dialog goes: over the main window as every dialog (DialogCornerOver).
PanelRect CentredDialogRect(const PanelRect& mainWindow, int dialogWidth, int dialogHeight);
