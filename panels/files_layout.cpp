#include "panels/files_layout.h"

#include <algorithm>

FilesSectionLayout ComputeFilesSectionLayout(int width, int baseUnitY) {
    const int w = std::max(width, 0);
    auto y = [baseUnitY](int units) { return DialogUnitsToPixelsY(units, baseUnitY); };
    const int headerHeight = y(14);
    const int collapsed = headerHeight + 1;
    const int previewHeight = static_cast<int>(0.75 * w);

    FilesSectionLayout layout;
    layout.collapsedHeight = collapsed;
    layout.header = {0, 0, w, headerHeight};
    layout.list = {0, collapsed + y(2), w, y(128)};
    layout.preview = {0, collapsed + y(133), w, previewHeight};
    layout.expandedHeight = layout.preview.y + previewHeight;
    return layout;
}
