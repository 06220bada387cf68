#include "panels/preview_section_model.h"

#include <algorithm>

namespace {

int* SwitchOf(PreviewSwitches& s, int id) {
    switch (id) {
        case kFlipHorzBoxId:
            return &s.mirror;
        case kFlipVertBoxId:
            return &s.flipVertical;
        case kGrayBoxId:
            return &s.gray;
        case kBinaryBoxId:
            return &s.binary;
        case kInvertBoxId:
            return &s.invert;
        case kEmbossBoxId:
            return &s.emboss;
        default:
            return nullptr;
    }
}

bool IsEffectBox(int id) {
    return id >= kGrayBoxId && id <= kEmbossBoxId;
}

} // namespace

PreviewSwitches AfterFilterBoxClick(PreviewSwitches switches, int id, bool ticked) {
    int* own = SwitchOf(switches, id);
    if (!own)
        return switches;
    if (ticked && IsEffectBox(id)) {
        for (int other = kGrayBoxId; other <= kEmbossBoxId; ++other)
            *SwitchOf(switches, other) = 0;
    }
    *own = ticked ? 1 : 0;
    return switches;
}

bool FilterBoxTicked(const PreviewSwitches& switches, int id) {
    PreviewSwitches copy = switches;
    const int* own = SwitchOf(copy, id);
    return own && *own != 0;
}

std::wstring ZoomReadout(int percent) {
    return std::to_wstring(percent) + L"%";
}

int PreviewBoxWidth(int width, const SectionUnits& u) {
    return std::max((width - u.X(14)) / 2, 0);
}

std::vector<ControlPlacement> PreviewSectionLayout(int width, const SectionUnits& u, bool oneColumn) {
    const int k = u.CollapsedHeight();
    const int half = PreviewBoxWidth(width, u);
    const int left = u.X(7);
    const int right = u.X(2) + half + u.X(7);
    const int r1 = k + u.Y(25);
    const int boxHeight = u.Y(12);
    std::vector<ControlPlacement> layout = {
        {kPreviewHeaderId, {0, 0, width, u.HeaderHeight()}},
        {kZoomReadoutId, {u.X(4), k + u.Y(4), u.X(48), u.Y(8)}},
        {kZoomSliderId, {u.X(4), k + u.Y(14), std::max(width - u.X(8), 0), u.Y(8)}},
        {kZoom100BoxId, {width - u.X(50), k + u.Y(4), u.X(46), u.Y(10)}},
    };
    for (size_t i = 0; i < kFilterBoxes.size(); ++i) {
        const int row = static_cast<int>(oneColumn ? i : i / 2);
        const int y = r1 + row * u.Y(12);
        if (oneColumn)
            layout.push_back({kFilterBoxes[i].id, {left, y, right + half - left, boxHeight}});
        else
            layout.push_back({kFilterBoxes[i].id, {i % 2 == 0 ? left : right, y, half, boxHeight}});
    }
    return layout;
}

int PreviewExpandedHeight(const SectionUnits& u, bool oneColumn) {
    return u.CollapsedHeight() + u.Y(66) + (oneColumn ? 3 * u.Y(12) : 0);
}
