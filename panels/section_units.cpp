#include "panels/section_units.h"

const ControlPlacement* FindPlacement(const std::vector<ControlPlacement>& layout, int id) {
    for (const ControlPlacement& placement : layout) {
        if (placement.id == id)
            return &placement;
    }
    return nullptr;
}

uint32_t PackSectionHeights(int collapsed, int expanded) {
    return (static_cast<uint32_t>(collapsed) & 0xFFFFu) | ((static_cast<uint32_t>(expanded) & 0xFFFFu) << 16);
}

int SliderScrollPosition(int request, int thumb16, int currentPosition, int64_t sliderSpan) {
    const bool thumb = request == kSliderThumbPosition || request == kSliderThumbTrack;
    if (thumb && sliderSpan <= 0xFFFF)
        return thumb16 & 0xFFFF;
    return currentPosition;
}
