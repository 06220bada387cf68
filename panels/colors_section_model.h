// The Colors section's rows, their sliders' mapping to camera values, its labels, its power-line
// list and its layout. Pure code (no windows.h).
#pragma once

#include "capture/camera_property.h"
#include "panels/section_units.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Child identifiers of the section window.
inline constexpr int kColorsHeaderId = 100;
inline constexpr int kColorsFirstControlId = 101; // everything from here to the last shows
inline constexpr int kColorsLastControlId = 123;  // only while the section is expanded
inline constexpr int kExposureAutoId = 119;
inline constexpr int kWhiteBalanceAutoId = 120;
inline constexpr int kFrequencyLabelId = 121;
inline constexpr int kFrequencyListId = 122;
inline constexpr int kDefaultButtonId = 123;

// One slider row: its label and slider, the text identifier through which the label finds its
// name, the camera control it drives and its "Auto" box (0: none).
struct ColorRow {
    int labelId;
    int sliderId;
    int textId;
    CameraPropertyIndex property;
    int autoBoxId;
};

inline constexpr int kColorRowCount = 9;
inline constexpr std::array<ColorRow, kColorRowCount> kColorRows = {{
    {101, 110, 1061, kPropExposure, kExposureAutoId},
    {102, 111, 1062, kPropWhiteBalance, kWhiteBalanceAutoId},
    {103, 112, 1063, kPropGain, 0},
    {104, 113, 1064, kPropBrightness, 0},
    {105, 114, 1065, kPropContrast, 0},
    {106, 115, 1066, kPropHue, 0},
    {107, 116, 1067, kPropSaturation, 0},
    {108, 117, 1068, kPropSharpness, 0},
    {109, 118, 1069, kPropGamma, 0},
}};

// The string-table key of a row's text identifier (1061 "exposure" ... 1069 "gamma"); empty for
// any other number.
std::string_view ColorTextKey(int textId);

// The row whose slider (or "Auto" box) has this identifier, or nullptr.
const ColorRow* ColorRowOfSlider(int sliderId);
const ColorRow* ColorRowOfAutoBox(int autoBoxId);

// Sliders run from 0 to max - min; position p stands for the value min + p. A range whose max
// lies below its min gives a slider of one position; one wider than 2^31 - 1 is cut there.
int64_t ColorSliderSpan(const CameraProperty& property);
int ColorSliderPosition(const CameraProperty& property); // value - min, kept on the slider
int32_t ColorSliderValue(const CameraProperty& property, int position);

// How one row shows its control.
struct ColorRowView {
    bool usable = false;    // label with value, slider enabled
    std::wstring label;     // "Name:  value" when usable, the name alone otherwise
    int64_t sliderSpan = 0; // only meaningful when usable
    int sliderPosition = 0; //
    bool autoBoxEnabled = false;
    bool autoBoxTicked = false;
};

// A row is usable when the camera reports the control in manual mode. For the two controls with
// an "Auto" box the mode is the one last chosen (autoOn), since the reported mode is not read
// again after the box is switched.
bool IsColorRowUsable(const ColorRow& row, const CameraProperty& property);
ColorRowView ColorRowViewOf(const ColorRow& row, const CameraProperty& property, const std::wstring& name);

// The label while the user drags: "Name:  value".
std::wstring ColorRowLabel(const std::wstring& name, int32_t value);

// The power-line frequency list as the section shows it.
struct FrequencyListView {
    std::vector<std::wstring> texts; // "50 Hz", "60 Hz", or the one entry "N/A"
    std::vector<int32_t> values;     // what each entry sets; 0 for "N/A"
    int selected = -1;               // -1: nothing to select
    bool enabled = false;
};
FrequencyListView FrequencyListOf(const CameraProperty& powerLine);

// The value to set for the chosen entry; 0 when the entry stands for nothing.
int32_t FrequencyValueAt(const FrequencyListView& list, int index);

// The section's layout in a client width, and its expanded height. A row's label reaches across
// the row (up to the "Auto" box where there is one) so that long names keep their values in view.
std::vector<ControlPlacement> ColorsSectionLayout(int width, const SectionUnits& units);
int ColorsExpandedHeight(const SectionUnits& units);
