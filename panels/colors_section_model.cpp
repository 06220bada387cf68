#include "panels/colors_section_model.h"

#include "capture/power_line.h"

#include <algorithm>
#include <cstdint>

std::string_view ColorTextKey(int textId) {
    switch (textId) {
        case 1061:
            return "exposure";
        case 1062:
            return "white balance";
        case 1063:
            return "gain";
        case 1064:
            return "brightness";
        case 1065:
            return "contrast";
        case 1066:
            return "hue";
        case 1067:
            return "saturation";
        case 1068:
            return "sharpness";
        case 1069:
            return "gamma";
        default:
            return {};
    }
}

const ColorRow* ColorRowOfSlider(int sliderId) {
    for (const ColorRow& row : kColorRows) {
        if (row.sliderId == sliderId)
            return &row;
    }
    return nullptr;
}

const ColorRow* ColorRowOfAutoBox(int autoBoxId) {
    if (autoBoxId == 0)
        return nullptr;
    for (const ColorRow& row : kColorRows) {
        if (row.autoBoxId == autoBoxId)
            return &row;
    }
    return nullptr;
}

int64_t ColorSliderSpan(const CameraProperty& property) {
    // A slider position is a 32-bit int: a wider range loses its top end.
    return std::clamp<int64_t>(int64_t{property.max} - property.min, 0, INT32_MAX);
}

int ColorSliderPosition(const CameraProperty& property) {
    const int64_t position = int64_t{property.value} - property.min;
    return static_cast<int>(std::clamp<int64_t>(position, 0, ColorSliderSpan(property)));
}

int32_t ColorSliderValue(const CameraProperty& property, int position) {
    const int64_t p = std::clamp<int64_t>(position, 0, ColorSliderSpan(property));
    return static_cast<int32_t>(property.min + p);
}

std::wstring ColorRowLabel(const std::wstring& name, int32_t value) {
    return name + L"  " + std::to_wstring(value);
}

bool IsColorRowUsable(const ColorRow& row, const CameraProperty& property) {
    if (row.autoBoxId != 0 && property.autoCapable == 1)
        return property.autoOn == 0;
    return property.flags >= kControlFlagManual;
}

ColorRowView ColorRowViewOf(const ColorRow& row, const CameraProperty& property, const std::wstring& name) {
    ColorRowView view;
    view.usable = IsColorRowUsable(row, property);
    view.label = view.usable ? ColorRowLabel(name, property.value) : name;
    view.sliderSpan = ColorSliderSpan(property);
    view.sliderPosition = ColorSliderPosition(property);
    if (row.autoBoxId != 0) {
        view.autoBoxEnabled = property.autoCapable == 1;
        view.autoBoxTicked = property.autoOn == 1;
    }
    return view;
}

FrequencyListView FrequencyListOf(const CameraProperty& powerLine) {
    FrequencyListView view;
    view.enabled = powerLine.min >= 1 || powerLine.max >= 1;
    if (powerLine.min == 0 || powerLine.max == 0) {
        view.texts.push_back(L"N/A");
        view.values.push_back(0);
        view.selected = 0;
        return view;
    }
    const PowerLineList list = PowerLineItems(powerLine);
    for (const PowerLineItem& item : list.items) {
        view.texts.push_back(item.text);
        view.values.push_back(item.value);
    }
    if (!list.items.empty())
        view.selected = list.selected;
    return view;
}

int32_t FrequencyValueAt(const FrequencyListView& list, int index) {
    if (index < 0 || index >= static_cast<int>(list.values.size()))
        return 0;
    return list.values[index];
}

std::vector<ControlPlacement> ColorsSectionLayout(int width, const SectionUnits& u) {
    const int k = u.CollapsedHeight();
    const int wide = std::max(width - u.X(8), 0);
    std::vector<ControlPlacement> layout;
    layout.push_back({kColorsHeaderId, {0, 0, width, u.HeaderHeight()}});

    // Rows are 19 units apart, with two more after white balance, the second "Auto" row.
    int labelY = k + u.Y(4);
    int sliderY = k + u.Y(14);
    for (int i = 0; i < kColorRowCount; ++i) {
        if (i > 0) {
            const int gap = u.Y(i == 2 ? 21 : 19);
            labelY += gap;
            sliderY += gap;
        }
        const ColorRow& row = kColorRows[i];
        // A label holds the name and the value: it takes the row's width, up to the "Auto" box.
        const int labelWidth = row.autoBoxId != 0 ? std::max(width - u.X(38), 0) : wide;
        layout.push_back({row.labelId, {u.X(4), labelY, labelWidth, u.Y(8)}});
        layout.push_back({row.sliderId, {u.X(4), sliderY, wide, u.Y(8)}});
        if (row.autoBoxId != 0)
            layout.push_back({row.autoBoxId, {width - u.X(32), labelY, u.X(28), u.Y(10)}});
    }

    const int listY = sliderY + u.Y(12);
    layout.push_back({kFrequencyLabelId, {u.X(4), labelY + u.Y(23), u.X(48), u.Y(8)}});
    layout.push_back({kFrequencyListId, {u.X(54), listY, std::max(width - u.X(58), 0), u.Y(60)}});
    layout.push_back({kDefaultButtonId, {u.X(4), listY + u.Y(18), wide, u.Y(16)}});
    return layout;
}

int ColorsExpandedHeight(const SectionUnits& u) {
    return u.CollapsedHeight() + u.Y(218);
}
