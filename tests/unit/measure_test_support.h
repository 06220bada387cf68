// Helpers of the measurement tests: a stand-in for the label font, shapes, and a view that records
// what the shape editor asks of it.
#pragma once

#include "measure/calibration.h"
#include "measure/overlay_plan.h"
#include "measure/shape_editor.h"

#include <string>
#include <vector>

// Every character 7 pixels wide, lines 16 high (an empty text is one line high, as GDI says).
class FakeMetrics : public TextMetrics {
public:
    ShapeSize Extent(std::wstring_view text) const override {
        return {static_cast<int>(text.size()) * 7, 16};
    }
};

// Results written out whole, to compare at once: a point "x,y", a box "left,top-right,bottom", an
// overlay step by step "L 1,2-3,4; Ft 0,0-8,8; T 5,5-40,21 text" (the step's letter, the pen's
// unless it is the shape pen, then what the step draws).
inline std::wstring Describe(ShapePoint p) {
    return std::to_wstring(p.x) + L',' + std::to_wstring(p.y);
}
inline std::wstring Describe(ShapeRect r) {
    return Describe(ShapePoint{r.left, r.top}) + L'-' + Describe(ShapePoint{r.right, r.bottom});
}
inline std::wstring Describe(const std::vector<OverlayItem>& items) {
    static const wchar_t* const kPens[] = {L" ", L"t ", L"k ", L"g ", L"c ", L"d "};
    std::wstring out;
    for (const OverlayItem& i : items) {
        out += (out.empty() ? L"" : L"; ") + std::wstring(1, L"LCPVFBT"[static_cast<int>(i.step)]);
        out += kPens[static_cast<int>(i.pen)];
        if (i.step == OverlayStep::Line || i.step == OverlayStep::FillTriangle)
            out += Describe(i.a) + L'-' + Describe(i.b);
        if (i.step == OverlayStep::FillTriangle)
            out += L'-' + Describe(i.c);
        else if (i.step == OverlayStep::Polyline)
            out += std::to_wstring(i.points->size());
        else if (i.step != OverlayStep::Line)
            out += Describe(i.rect);
        if (i.step == OverlayStep::Text)
            out += L' ' + i.text;
    }
    return out;
}

inline MeasureShape MakeShape(int kind, ShapePoint p1, ShapePoint p2, ShapePoint p3 = kUnplacedPoint,
                              std::wstring text = {}) {
    MeasureShape s;
    s.kind = kind;
    s.p1 = p1;
    s.p2 = p2;
    s.p3 = p3;
    s.text = std::move(text);
    return s;
}

// A slot as the calibration dialog fills it.
inline Calibration MakeCalibration(std::wstring name, int unit, int pixels, float length, int date = 20240131,
                                   uint32_t resolution = PackResolution(1280, 720)) {
    Calibration c;
    c.name = std::move(name);
    c.unit = unit;
    c.pixels = pixels;
    c.length = length;
    c.date = date;
    c.resolution = resolution;
    c.scale = DeriveScale(pixels, length);
    return c;
}

class RecordingHost : public EditorHost {
public:
    ShapeSize Extent(std::wstring_view text) const override { return metrics.Extent(text); }
    void PanBy(int x, int y) override { pans.push_back({x, y}); }
    void RedrawNow() override { ++redraws; }
    void Invalidate() override { ++invalidations; }
    void CaptureMouse() override { captured = true; }
    void ReleaseMouse() override { captured = false; }

    FakeMetrics metrics;
    std::vector<ShapePoint> pans;
    int redraws = 0;
    int invalidations = 0;
    bool captured = false;
};

// A 640 x 480 picture centred in an 800 x 600 window: content = client - (80, 60).
struct TestView {
    int calibLineLength = 0;
    EditorView view;
    TestView(int clientWidth = 800, int clientHeight = 600, int contentWidth = 640, int contentHeight = 480) {
        view.contentWidth = contentWidth;
        view.contentHeight = contentHeight;
        view.marginX = clientWidth > contentWidth ? (clientWidth - contentWidth) / 2 : 0;
        view.marginY = clientHeight > contentHeight ? (clientHeight - contentHeight) / 2 : 0;
        view.calibLineLength = &calibLineLength;
        view.prompt = L" Input text, drag to move. ";
    }
    int MarginX() const { return view.marginX; }
    int MarginY() const { return view.marginY; }
};
