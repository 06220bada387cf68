#include "view/measure_view.h"

#include "base/gdi_holders.h"
#include "base/win32_window.h"
#include "base/window_dpi.h"
#include "measure/measure_render.h"
#include "view/view_geometry.h"

#include <string_view>

namespace {

EditorView EditorViewOf(CameraViewState* v) {
    EditorView e;
    const SIZE client = ClientSize(v->window);
    e.contentWidth = v->contentWidth;
    e.contentHeight = v->contentHeight;
    e.marginX = CentringMargin(client.cx, v->contentWidth);
    e.marginY = CentringMargin(client.cy, v->contentHeight);
    e.scrollX = v->scrollX;
    e.scrollY = v->scrollY;
    e.measuring = v->zoomPercent == 100 && v->digitalZoomStep == 0;
    e.calibLineLength = &v->calibLineLength;
    e.prompt = v->inputHintText;
    return e;
}

// Measures in the label font on the back buffer, or on the window while there is none.
class ViewHost : public EditorHost {
public:
    explicit ViewHost(CameraViewState* v) : v_(v) {}

    ShapeSize Extent(std::wstring_view text) const override {
        if (HDC back = BackBufferDc(*v_))
            return ExtentOn(back, text);
        const WindowDc window(v_->window);
        return ExtentOn(window.get(), text);
    }
    void PanBy(int x, int y) override { ::PanBy(*v_, x, y); }
    void RedrawNow() override { ::RedrawNow(*v_); }
    void Invalidate() override { InvalidateRect(v_->window, nullptr, FALSE); }
    void CaptureMouse() override { SetCapture(v_->window); }
    void ReleaseMouse() override {
        if (GetCapture() == v_->window)
            ReleaseCapture();
    }

private:
    ShapeSize ExtentOn(HDC dc, std::wstring_view text) const {
        HFONT font = EnsureLabelFont(v_, dc);
        const SelectedObject selected(dc, font ? font : GetStockObject(DEFAULT_GUI_FONT));
        return DcTextMetrics(dc).Extent(text);
    }

    CameraViewState* v_;
};

} // namespace

void MeasureMouseDown(CameraViewState* v, int x, int y) {
    ViewHost host(v);
    EditorMouseDown(v->measure, EditorViewOf(v), host, x, y);
}

void MeasureMouseMove(CameraViewState* v, WPARAM keys, int x, int y) {
    ViewHost host(v);
    EditorMouseMove(v->measure, EditorViewOf(v), host, (keys & MK_LBUTTON) != 0, x, y);
}

void MeasureMouseUp(CameraViewState* v) {
    ViewHost host(v);
    EditorMouseUp(v->measure, EditorViewOf(v), host);
}

void MeasureDeleteSelected(CameraViewState* v) {
    if (DeleteSelectedShape(v->measure))
        InvalidateRect(v->window, nullptr, FALSE);
}

void MeasureSelectTool(CameraViewState* v, int tool) {
    const bool drawing = v->measure.buttonDown;
    if (!EditorSelectTool(v->measure, tool))
        return;
    if (drawing && GetCapture() == v->window)
        ReleaseCapture();
    InvalidateRect(v->window, nullptr, FALSE);
}

void MeasureTextCommand(CameraViewState* v, NoteCommand command) {
    ViewHost host(v);
    EditorTextCommand(v->measure, EditorViewOf(v), host, command);
    InvalidateRect(v->window, nullptr, FALSE);
}

void DrawMeasureOverlay(CameraViewState* v) {
    if (v->zoomPercent != 100 || v->digitalZoomStep != 0 || !v->measureDrawing)
        return;
    LayoutCalibrationLineOf(v->measure, v->calibLineLength, v->contentWidth);
    OverlayInput in;
    in.width = v->contentWidth;
    in.height = v->contentHeight;
    in.scale = v->scale;
    in.unit = v->unitText;
    in.ruler = v->ruler;
    in.crosshair = v->crosshair;
    in.lineWidth = v->style.lineWidth;
    in.calibLineLength = v->calibLineLength;
    in.prompt = v->inputHintText;
    in.dpi = WindowDpi(v->window);
    OverlaySession session(v->measureDrawing.get());
    BuildOverlay(v->measure, in, session.Metrics(), v->overlay);
    session.Draw(v->overlay);
}

void DeleteViewShapes(HWND view, bool all) {
    CameraViewState* v = CameraViewStateOf(view);
    if (!v)
        return;
    if (all ? DeleteAllShapes(v->measure) : DeleteLastShape(v->measure))
        InvalidateRect(v->window, nullptr, FALSE);
}
