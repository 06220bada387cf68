#include "measure/measure_render.h"

#include <gdiplus.h>

#include <algorithm>
#include <array>
#include <memory>

struct MeasureDrawing {
    HDC dc = nullptr;
    HFONT labelFont = nullptr; // the view's
    COLORREF textColor = 0;
    std::unique_ptr<Gdiplus::Graphics> graphics;
    std::unique_ptr<Gdiplus::Pen> shapePen;
    std::unique_ptr<Gdiplus::Pen> thinPen;
    std::unique_ptr<Gdiplus::Pen> thickPen;
    std::unique_ptr<Gdiplus::SolidBrush> fill;
    GdiBrush lineBrush;
    GdiObject<HPEN> gridPen;
    GdiObject<HPEN> calibLinePen;
    GdiObject<HPEN> calibThinPen;
    // Strokes are collected into one path per pen and drawn together: one GDI+ call for a run of
    // lines and circles instead of one each (Wine's GDI+ spends most of a call on setting up).
    Gdiplus::GraphicsPath shapeStrokes;
    Gdiplus::GraphicsPath thinStrokes;
    Gdiplus::GraphicsPath thickStrokes;
    std::vector<std::array<Gdiplus::Point, 3>> triangles;
    bool strokesPending = false;
    std::vector<Gdiplus::Point> stroke; // room for a pencil stroke's points, kept between paints

    ~MeasureDrawing() {
        // GDI+ objects first: the graphics object draws on the context the GDI ones are used with.
        fill.reset();
        thickPen.reset();
        thinPen.reset();
        shapePen.reset();
        graphics.reset();
    }
};

namespace {

// A COLORREF made opaque for GDI+.
Gdiplus::Color Opaque(COLORREF c) {
    return Gdiplus::Color(255, GetRValue(c), GetGValue(c), GetBValue(c));
}

Gdiplus::GraphicsPath& StrokesOf(MeasureDrawing* d, OverlayPen pen) {
    switch (pen) {
        case OverlayPen::Thin:
            return d->thinStrokes;
        case OverlayPen::Thick:
            return d->thickStrokes;
        default:
            return d->shapeStrokes;
    }
}

// Draws the strokes and fills collected since the last GDI step. They all have the line colour,
// so their order among themselves does not show.
void FlushStrokes(MeasureDrawing* d) {
    if (!d->strokesPending)
        return;
    Gdiplus::Graphics& g = *d->graphics;
    const std::pair<Gdiplus::GraphicsPath*, Gdiplus::Pen*> runs[] = {
        {&d->shapeStrokes, d->shapePen.get()},
        {&d->thickStrokes, d->thickPen.get()},
        {&d->thinStrokes, d->thinPen.get()},
    };
    for (const auto& [path, pen] : runs) {
        if (path->GetPointCount() > 0)
            g.DrawPath(pen, path);
        path->Reset();
    }
    // One by one: overlapping heads in one path would cancel each other out under either fill mode.
    for (const auto& corners : d->triangles)
        g.FillPolygon(d->fill.get(), corners.data(), 3, Gdiplus::FillModeAlternate);
    d->triangles.clear();
    d->strokesPending = false;
}

HPEN GdiPen(MeasureDrawing* d, OverlayPen pen) {
    switch (pen) {
        case OverlayPen::Grid:
            return d->gridPen.get();
        case OverlayPen::CalibLine:
            return d->calibLinePen.get();
        case OverlayPen::CalibThin:
            return d->calibThinPen.get();
        default:
            return nullptr;
    }
}

RECT Rect(const ShapeRect& r) {
    return {r.left, r.top, r.right, r.bottom};
}

} // namespace

MeasureDrawing* CreateMeasureDrawing(HDC dc, const ViewStyle& style, HFONT labelFont, int dpi) {
    // Without a running GDI+ (a test that never started it) nothing is drawn rather than crashing.
    Gdiplus::GpGraphics* probe = nullptr;
    if (Gdiplus::DllExports::GdipCreateFromHDC(dc, &probe) != Gdiplus::Ok)
        return nullptr;
    Gdiplus::DllExports::GdipDeleteGraphics(probe);
    auto d = std::make_unique<MeasureDrawing>();
    d->dc = dc;
    d->labelFont = labelFont;
    d->textColor = style.textColor;
    d->graphics = std::make_unique<Gdiplus::Graphics>(dc);
    if (d->graphics->GetLastStatus() != Gdiplus::Ok)
        return nullptr;
    d->graphics->SetSmoothingMode(Gdiplus::SmoothingModeHighQuality);
    const Gdiplus::Color line = Opaque(style.lineColor);
    auto width = [&](OverlayPen pen) { return OverlayPenWidth(pen, style.lineWidth, dpi); };
    d->shapePen = std::make_unique<Gdiplus::Pen>(line, static_cast<Gdiplus::REAL>(width(OverlayPen::Shape)));
    d->thinPen = std::make_unique<Gdiplus::Pen>(line, static_cast<Gdiplus::REAL>(width(OverlayPen::Thin)));
    d->thickPen = std::make_unique<Gdiplus::Pen>(line, static_cast<Gdiplus::REAL>(width(OverlayPen::Thick)));
    d->fill = std::make_unique<Gdiplus::SolidBrush>(line);
    d->lineBrush.Reset(CreateSolidBrush(style.lineColor));
    d->gridPen.Reset(CreatePen(PS_SOLID, width(OverlayPen::Grid), style.gridColor));
    d->calibLinePen.Reset(CreatePen(PS_SOLID, width(OverlayPen::CalibLine), style.lineColor));
    d->calibThinPen.Reset(CreatePen(PS_SOLID, width(OverlayPen::CalibThin), style.lineColor));
    return d.release();
}

void DestroyMeasureDrawing(MeasureDrawing* drawing) {
    delete drawing;
}

ShapeSize DcTextMetrics::Extent(std::wstring_view text) const {
    SIZE size = {};
    GetTextExtentPoint32W(dc_, text.data(), static_cast<int>(text.size()), &size);
    return {size.cx, size.cy};
}

OverlaySession::OverlaySession(MeasureDrawing* drawing)
    : drawing_(drawing),
      font_(drawing->dc, drawing->labelFont ? drawing->labelFont : GetStockObject(DEFAULT_GUI_FONT)),
      metrics_(drawing->dc) {
    oldBkMode_ = SetBkMode(drawing->dc, TRANSPARENT);
    oldTextColor_ = SetTextColor(drawing->dc, drawing->textColor);
}

OverlaySession::~OverlaySession() {
    SetTextColor(drawing_->dc, oldTextColor_);
    SetBkMode(drawing_->dc, oldBkMode_);
}

void OverlaySession::Draw(const std::vector<OverlayItem>& items) {
    MeasureDrawing* d = drawing_;
    HDC dc = d->dc;
    SwitchedObject pens(dc); // restored after the last strokes are flushed
    for (const OverlayItem& item : items) {
        const bool plus = item.step == OverlayStep::Circle || item.step == OverlayStep::Polyline ||
                          item.step == OverlayStep::FillTriangle ||
                          (item.step == OverlayStep::Line && !GdiPen(d, item.pen));
        if (!plus)
            FlushStrokes(d); // GDI draws at once: what came before must be there first
        else
            d->strokesPending = true;
        switch (item.step) {
            case OverlayStep::Line:
                if (HPEN pen = GdiPen(d, item.pen)) {
                    pens.Select(pen);
                    MoveToEx(dc, item.a.x, item.a.y, nullptr);
                    LineTo(dc, item.b.x, item.b.y);
                } else {
                    Gdiplus::GraphicsPath& path = StrokesOf(d, item.pen);
                    path.StartFigure();
                    path.AddLine(item.a.x, item.a.y, item.b.x, item.b.y);
                }
                break;
            case OverlayStep::Circle: {
                const int size = item.rect.right - item.rect.left;
                d->shapeStrokes.StartFigure();
                d->shapeStrokes.AddArc(item.rect.left, item.rect.top, size, size, 0.0f, 360.0f);
                break;
            }
            case OverlayStep::Polyline:
                if (item.points && item.points->size() >= 2) {
                    d->stroke.clear();
                    for (const ShapePoint& p : *item.points)
                        d->stroke.emplace_back(p.x, p.y);
                    d->shapeStrokes.StartFigure();
                    d->shapeStrokes.AddLines(d->stroke.data(), static_cast<INT>(d->stroke.size()));
                }
                break;
            case OverlayStep::FillTriangle:
                d->triangles.push_back({Gdiplus::Point(item.a.x, item.a.y),
                                        Gdiplus::Point(item.b.x, item.b.y),
                                        Gdiplus::Point(item.c.x, item.c.y)});
                break;
            case OverlayStep::FillBox: {
                const RECT rc = Rect(item.rect);
                FillRect(dc, &rc, d->lineBrush.get());
                break;
            }
            case OverlayStep::FrameBox: {
                const RECT rc = Rect(item.rect);
                FrameRect(dc, &rc, d->lineBrush.get());
                break;
            }
            case OverlayStep::Text: {
                const RECT rc = Rect(item.rect);
                ExtTextOutW(dc, rc.left, rc.top, ETO_CLIPPED, &rc, item.text.c_str(),
                            static_cast<UINT>(item.text.size()), nullptr);
                break;
            }
        }
    }
    FlushStrokes(d);
}
