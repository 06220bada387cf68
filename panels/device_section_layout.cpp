#include "panels/device_section_layout.h"

#include "base/layout_units.h"

#include <algorithm>
#include <iterator>

namespace {

constexpr int kExpandedDialogUnits = 92;
constexpr int kButtonRowDialogUnits = 20; // from one row of buttons to the next

} // namespace

SectionHeights DeviceSectionHeights(int baseUnitY, bool buttonsInOneColumn) {
    const int header = DialogUnitsToPixelsY(kSectionHeaderDialogUnits, baseUnitY);
    const int collapsed = header + 1;
    const int extraRows = buttonsInOneColumn ? DialogUnitsToPixelsY(2 * kButtonRowDialogUnits, baseUnitY) : 0;
    return {collapsed, collapsed + DialogUnitsToPixelsY(kExpandedDialogUnits, baseUnitY) + extraRows};
}

int DeviceButtonWidth(int clientWidth, int baseUnitX) {
    return std::max((clientWidth - DialogUnitsToPixelsX(14, baseUnitX)) / 2, 0);
}

DeviceSectionLayout LayoutDeviceSection(int clientWidth, int baseUnitX, int baseUnitY,
                                        bool buttonsInOneColumn, int labelTextWidth) {
    const auto X = [baseUnitX](int n) { return DialogUnitsToPixelsX(n, baseUnitX); };
    const auto Y = [baseUnitY](int n) { return DialogUnitsToPixelsY(n, baseUnitY); };
    const auto nonNegative = [](int v) { return std::max(v, 0); };

    DeviceSectionLayout l;
    const SectionHeights heights = DeviceSectionHeights(baseUnitY, buttonsInOneColumn);
    l.headerHeight = Y(kSectionHeaderDialogUnits);
    l.collapsedHeight = heights.collapsed;
    l.expandedHeight = heights.expanded;

    const int W = clientWidth;
    const int K = l.collapsedHeight;
    // Labels wide enough for "Resolution:" in every language; where the texts were measured, as
    // wide as the widest and no narrower than the lists' own margin.
    int labelX = X(2);
    int labelWidth = X(41);
    int comboX = X(43);
    int comboWidth = nonNegative(W - X(46));
    if (labelTextWidth >= 0) {
        labelX = X(1);
        labelWidth = std::max(labelTextWidth + 1, X(32));
        comboX = labelX + labelWidth + X(1);
        comboWidth = nonNegative(W - comboX - X(2));
    }
    const int B = DeviceButtonWidth(W, baseUnitX);
    const int rightButtonX = X(6) + B + X(4);

    auto at = [&l](int id) -> PanelRect& { return l.controls[static_cast<size_t>(id - kIdDeviceHeader)]; };
    at(kIdDeviceHeader) = {0, 0, nonNegative(W), l.headerHeight};
    at(kIdNameLabel) = {labelX, K + Y(5), labelWidth, Y(8)};
    at(kIdDeviceCombo) = {comboX, K + Y(3), comboWidth, Y(80)};
    at(kIdResolutionLabel) = {labelX, K + Y(5) + Y(15), labelWidth, Y(8)};
    at(kIdResolutionCombo) = {comboX, K + Y(3) + Y(15), comboWidth, Y(80)};
    at(kIdFormatLabel) = {labelX, K + Y(5) + Y(15) + Y(15), labelWidth, Y(8)};
    at(kIdFormatCombo) = {comboX, K + Y(3) + Y(15) + Y(15), comboWidth, Y(80)};
    if (buttonsInOneColumn) {
        const int wide = nonNegative(W - X(8));
        const int ids[] = {kIdPhotoButton, kIdVideoButton, kIdFilesButton, kIdSettingButton};
        for (int row = 0; row < 4; ++row)
            at(ids[row]) = {X(4), K + Y(51 + row * kButtonRowDialogUnits), wide, Y(16)};
        return l;
    }
    at(kIdPhotoButton) = {X(4), K + Y(51), B, Y(16)};
    at(kIdVideoButton) = {rightButtonX, K + Y(51), B, Y(16)};
    at(kIdFilesButton) = {X(4), K + Y(71), B, Y(16)};
    at(kIdSettingButton) = {rightButtonX, K + Y(71), B, Y(16)};
    return l;
}

std::vector<uint32_t> ListedSubtypes(const FormatMap& mjpgFormats, const FormatMap& yuy2Formats) {
    std::vector<uint32_t> listed;
    if (!mjpgFormats.empty())
        listed.push_back(kFourccMjpg);
    if (!yuy2Formats.empty())
        listed.push_back(kFourccYuy2);
    return listed;
}

std::wstring SubtypeText(uint32_t subtype) {
    return subtype == kFourccMjpg ? L"MJPG" : L"YUY2";
}

const FormatMap& MapOfSubtype(const FormatMap& mjpgFormats, const FormatMap& yuy2Formats, uint32_t subtype) {
    return subtype == kFourccMjpg ? mjpgFormats : yuy2Formats;
}

int RunningSubtypeItem(const std::vector<uint32_t>& listed, uint32_t runningSubtype) {
    if (listed.empty())
        return -1;
    const auto found = std::find(listed.begin(), listed.end(), runningSubtype);
    return found == listed.end() ? 0 : static_cast<int>(found - listed.begin());
}

std::vector<std::wstring> ResolutionTexts(const FormatMap& formats) {
    std::vector<std::wstring> texts;
    texts.reserve(formats.size());
    for (const auto& [area, format] : formats)
        texts.push_back(std::to_wstring(format.width) + L"x" + std::to_wstring(format.height));
    return texts;
}

namespace {

int LastItemOfSize(const FormatMap& formats, int width, int height) {
    int found = -1;
    int item = 0;
    for (const auto& [area, format] : formats) {
        if (format.width == width && format.height == height)
            found = item;
        ++item;
    }
    return found;
}

} // namespace

int SectionResolutionItem(const FormatMap& formats, int width, int height) {
    if (formats.empty())
        return -1;
    return std::max(LastItemOfSize(formats, width, height), 0);
}

int DialogResolutionItem(const FormatMap& formats, int width, int height) {
    if (formats.empty())
        return -1;
    const int found = LastItemOfSize(formats, width, height);
    return found >= 0 ? found : static_cast<int>(formats.size() / 2);
}

std::optional<VideoFormat> FormatAtItem(const FormatMap& formats, int item) {
    if (item < 0 || static_cast<size_t>(item) >= formats.size())
        return std::nullopt;
    return std::next(formats.begin(), item)->second;
}

const FormatMap& DialogFormatMap(const FormatMap& mjpgFormats, const FormatMap& yuy2Formats, int formatItem) {
    if (mjpgFormats.empty())
        return yuy2Formats;
    return formatItem == 0 ? mjpgFormats : yuy2Formats;
}

std::optional<uint32_t> SubtypeForFormatItem(const FormatMap& mjpgFormats, const FormatMap& yuy2Formats,
                                             int formatItem) {
    const std::vector<uint32_t> listed = ListedSubtypes(mjpgFormats, yuy2Formats);
    if (formatItem < 0 || static_cast<size_t>(formatItem) >= listed.size())
        return std::nullopt;
    return listed[static_cast<size_t>(formatItem)];
}

std::optional<VideoFormat> ResolutionChangeRequest(const FormatMap& formats, int item,
                                                   uint32_t runningSubtype, int contentWidth,
                                                   int contentHeight) {
    const std::optional<VideoFormat> picked = FormatAtItem(formats, item);
    if (!picked || (picked->width == contentWidth && picked->height == contentHeight))
        return std::nullopt;
    VideoFormat request = *picked;
    request.subtype = runningSubtype;
    return request;
}

PanelRect CentredDialogRect(const PanelRect& mainWindow, int dialogWidth, int dialogHeight) {
    const DialogCorner corner = DialogCornerOver(mainWindow.x, mainWindow.y, mainWindow.width, dialogWidth);
    return {corner.x, corner.y, dialogWidth, dialogHeight};
}
