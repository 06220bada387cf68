// Carries out the measurement overlay's drawing steps on the view's back buffer: GDI+ for the
// anti-aliased lines, circles, strokes and the arrow head, GDI for handle boxes, frames, texts, the
// crosshair and the calibration line. The drawing objects are made once per back buffer and style.
#pragma once

#include "base/gdi_holders.h"
#include "measure/overlay_plan.h"

#include <windows.h>

#include <vector>

struct MeasureDrawing;

// The drawing objects for a back buffer's device context in a style; the label font is the
// view's and stays its own. Null when GDI+ cannot draw on the context.
// Pens are as wide as the view's DPI asks (OverlayPenWidth).
MeasureDrawing* CreateMeasureDrawing(HDC dc, const ViewStyle& style, HFONT labelFont, int dpi = 96);
void DestroyMeasureDrawing(MeasureDrawing* drawing);

// Extents in the label font on a device context that has it selected.
class DcTextMetrics : public TextMetrics {
public:
    explicit DcTextMetrics(HDC dc) : dc_(dc) {}
    ShapeSize Extent(std::wstring_view text) const override;

private:
    HDC dc_;
};

// Selects the label font and the text colours for one overlay, and restores the context after.
class OverlaySession {
public:
    explicit OverlaySession(MeasureDrawing* drawing);
    ~OverlaySession();
    OverlaySession(const OverlaySession&) = delete;
    OverlaySession& operator=(const OverlaySession&) = delete;
    const TextMetrics& Metrics() const { return metrics_; }
    void Draw(const std::vector<OverlayItem>& items);

private:
    MeasureDrawing* drawing_;
    SelectedObject font_;
    int oldBkMode_ = 0;
    COLORREF oldTextColor_ = 0;
    DcTextMetrics metrics_;
};
