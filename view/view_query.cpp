#include "view/view_query.h"

#include "measure/labels.h"
#include "view/camera_view.h"
#include "view/view_stats.h"

#include <bit>
#include <cmath>
#include <cwchar>

namespace {

// A shape's point packed for a query: x in the low, y in the high 16 bits.
intptr_t PackPoint(ShapePoint p) {
    const uint32_t x = static_cast<uint16_t>(p.x);
    const uint32_t y = static_cast<uint16_t>(p.y);
    return static_cast<intptr_t>(x | (y << 16));
}

} // namespace

intptr_t AnswerViewQuery(const CameraViewState& view, int which, intptr_t argument) {
    const CameraViewState* v = &view;
    const std::vector<MeasureShape>& shapes = v->measure.shapes;
    const bool validShape = argument >= 0 && static_cast<size_t>(argument) < shapes.size();
    switch (which) {
        case kQueryPaints:
            return v->stats.paints;
        case kQueryComposeMedian:
            return v->stats.compose.Percentile(50);
        case kQueryCompose95:
            return v->stats.compose.Percentile(95);
        case kQueryFramePathMedian:
            return v->stats.framePath.Percentile(50);
        case kQueryFramePath95:
            return v->stats.framePath.Percentile(95);
        case kQueryFramesPainted:
            return v->stats.framesPainted;
        case kQueryFrameCopy:
            return FrameCopyMicros(v->frameWidth, v->frameHeight);
        case kQueryZoom:
            return v->zoomPercent;
        case kQueryDisplayWidth:
            return v->displayWidth;
        case kQueryDisplayHeight:
            return v->displayHeight;
        case kQueryContentWidth:
            return v->contentWidth;
        case kQueryContentHeight:
            return v->contentHeight;
        case kQueryDigitalZoom:
            return v->digitalZoomStep;
        case kQueryScrollX:
            return v->scrollX;
        case kQueryScrollY:
            return v->scrollY;
        case kQueryScrollBars:
            return (v->hScrollShown ? 1 : 0) | (v->vScrollShown ? 2 : 0);
        case kQueryFitToWindow:
            return v->fitToWindow;
        case kQueryTool:
            return v->measure.currentTool;
        case kQueryCrosshair:
            return v->crosshair;
        case kQueryScaleBits:
            return std::bit_cast<uint32_t>(v->scale);
        case kQueryUnit:
            return v->unitIndex;
        case kQueryCalibLine:
            return v->calibLineLength;
        case kQueryShapeCount:
            return static_cast<intptr_t>(shapes.size());
        case kQuerySelectedShape:
            return v->measure.selectedIndex;
        case kQueryHoveredShape:
            return v->measure.hoverIndex;
        case kQueryPendingPhase:
            return v->measure.pendingPhase;
        case kQueryShapeKind:
            return validShape ? shapes[static_cast<size_t>(argument)].kind : -1;
        case kQueryShapeP1:
            return validShape ? PackPoint(shapes[static_cast<size_t>(argument)].p1) : -1;
        case kQueryShapeLabel: {
            if (!validShape)
                return -1;
            const MeasureShape& shape = shapes[static_cast<size_t>(argument)];
            const ShapeLabels labels = LabelsOfShape(shape, shape.kind, v->scale, v->unitText);
            if (labels.count == 0)
                return -1;
            return static_cast<intptr_t>(std::lround(std::wcstod(labels.lines[0].c_str(), nullptr) * 1000.0));
        }
        default:
            return -1;
    }
}
