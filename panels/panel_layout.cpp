#include "panels/panel_layout.h"

#include <algorithm>

uint32_t PackHeightsAnswer(int collapsed, int expanded) {
    const auto clamp16 = [](int v) { return static_cast<uint32_t>(std::clamp(v, 0, 0xFFFF)); };
    return clamp16(collapsed) | clamp16(expanded) << 16;
}

SectionHeights UnpackHeightsAnswer(uint32_t answer) {
    return {static_cast<int>(answer & 0xFFFF), static_cast<int>(answer >> 16)};
}

int SlotHeight(const PanelSlot& slot) {
    return slot.expanded ? slot.heights.expanded : slot.heights.collapsed;
}

int PanelContentHeight(std::span<const PanelSlot> slots, int topMargin) {
    int height = 2 * topMargin;
    for (const PanelSlot& slot : slots)
        height += SlotHeight(slot);
    return height;
}

PanelScroll ComputePanelScroll(int contentHeight, int clientHeight, int oldPosition) {
    PanelScroll scroll;
    if (clientHeight >= contentHeight)
        return scroll;
    scroll.showBar = true;
    scroll.range = contentHeight - clientHeight;
    scroll.position = std::clamp(oldPosition, 0, scroll.range);
    scroll.scrollMax = scroll.range + kPanelScrollPage - 1;
    return scroll;
}

int ScrolledPanelPosition(int request, int position, int thumbPosition, int lineStep, int contentHeight,
                          int clientHeight) {
    if (clientHeight >= contentHeight)
        return position;
    const int range = contentHeight - clientHeight;
    int next = position;
    switch (request) {
        case kScrollLineUp:
            next = position - lineStep;
            break;
        case kScrollLineDown:
            next = position + lineStep;
            break;
        case kScrollPageUp:
            next = position - 4 * lineStep;
            break;
        case kScrollPageDown:
            next = position + 4 * lineStep;
            break;
        case kScrollThumbPosition:
        case kScrollThumbTrack:
            next = thumbPosition & 0xFFFF;
            break;
        case kScrollTop:
            next = 0;
            break;
        case kScrollBottom:
            next = range;
            break;
        default:
            break;
    }
    return std::clamp(next, 0, range);
}

int WheelScrollRequest(int wheelDelta) {
    return wheelDelta > 0 ? kScrollLineUp : kScrollLineDown;
}

std::vector<PanelRect> LayoutPanelSections(std::span<const PanelSlot> slots, int clientWidth, int sideMargin,
                                           int topMargin, int scrollPosition) {
    std::vector<PanelRect> rects;
    rects.reserve(slots.size());
    const int width = std::max(clientWidth - 2 * sideMargin, 0);
    int y = topMargin - scrollPosition;
    for (const PanelSlot& slot : slots) {
        const int h = SlotHeight(slot);
        rects.push_back({sideMargin, y, width, h});
        y += h;
    }
    return rects;
}

Chevron HeaderChevron(int clientWidth, int clientHeight, bool expanded) {
    const int x = clientWidth - 20;
    if (expanded) {
        const int m = (clientHeight - 6) / 2;
        return {{x - 5, m + 5}, {x, m}, {x + 6, m + 6}};
    }
    const int m = (clientHeight + 8) / 2;
    return {{x - 5, m - 5}, {x, m}, {x + 6, m - 6}};
}

int HeaderTextY(int clientHeight, int textHeight) {
    return (clientHeight - textHeight) / 2;
}
