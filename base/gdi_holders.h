// Scoped holders for GDI lifetimes: objects, device contexts, selections into them and the GDI+
// start-up. Each gives back what it holds when it goes, in the reverse order of making.
#pragma once

#include <windows.h>

#include <gdiplus.h>

#include <utility>

// A pen, brush, font, bitmap or region the holder deletes.
template <typename Handle> class GdiObject {
public:
    GdiObject() = default;
    explicit GdiObject(Handle handle) : handle_(handle) {}
    ~GdiObject() { Reset(); }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    GdiObject(GdiObject&& other) noexcept : handle_(other.Release()) {}
    GdiObject& operator=(GdiObject&& other) noexcept {
        if (this != &other)
            Reset(other.Release());
        return *this;
    }

    Handle get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }
    void Reset(Handle handle = nullptr) {
        if (handle_)
            DeleteObject(handle_);
        handle_ = handle;
    }
    Handle Release() {
        Handle handle = handle_;
        handle_ = nullptr;
        return handle;
    }

private:
    Handle handle_ = nullptr;
};

using GdiBitmap = GdiObject<HBITMAP>;
using GdiBrush = GdiObject<HBRUSH>;
using GdiFont = GdiObject<HFONT>;

// A window's device context (GetDC), released when the holder goes. Null window: the screen.
class WindowDc {
public:
    explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~WindowDc() {
        if (dc_)
            ReleaseDC(window_, dc_);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// The device context of a WM_PAINT (BeginPaint / EndPaint).
class PaintDc {
public:
    explicit PaintDc(HWND window) : window_(window), dc_(BeginPaint(window, &paint_)) {}
    ~PaintDc() { EndPaint(window_, &paint_); }
    PaintDc(const PaintDc&) = delete;
    PaintDc& operator=(const PaintDc&) = delete;
    HDC get() const { return dc_; }
    const RECT& Area() const { return paint_.rcPaint; }

private:
    HWND window_;
    PAINTSTRUCT paint_ = {};
    HDC dc_;
};

// A memory device context compatible with `dc` (null: the screen), deleted when the holder goes.
class MemoryDc {
public:
    explicit MemoryDc(HDC dc) : dc_(CreateCompatibleDC(dc)) {}
    ~MemoryDc() {
        if (dc_)
            DeleteDC(dc_);
    }
    MemoryDc(const MemoryDc&) = delete;
    MemoryDc& operator=(const MemoryDc&) = delete;
    HDC get() const { return dc_; }

private:
    HDC dc_;
};

// An object selected into a device context for the holder's lifetime; what was selected before
// comes back when it goes. A null object selects nothing.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object)
        : dc_(dc), previous_(dc && object ? SelectObject(dc, object) : nullptr) {}
    ~SelectedObject() {
        if (previous_)
            SelectObject(dc_, previous_);
    }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// An off-screen bitmap (a back buffer): a bitmap compatible with a window's context, selected into a memory
// context of its own for drawing on. Check dc.get(): the context may fail where the bitmap did not.
struct OffscreenBitmap {
    OffscreenBitmap(HDC compatibleWith, GdiBitmap picture)
        : bitmap(std::move(picture)), dc(compatibleWith), selected(dc.get(), bitmap.get()) {}
    GdiBitmap bitmap;
    MemoryDc dc;
    SelectedObject selected;
};

// Objects of one kind switched into a device context one after another, such as the pens of a run
// of lines; what was there before the first comes back when the holder goes.
class SwitchedObject {
public:
    explicit SwitchedObject(HDC dc) : dc_(dc) {}
    ~SwitchedObject() {
        if (previous_)
            SelectObject(dc_, previous_);
    }
    SwitchedObject(const SwitchedObject&) = delete;
    SwitchedObject& operator=(const SwitchedObject&) = delete;
    void Select(HGDIOBJ object) {
        if (object == current_)
            return;
        HGDIOBJ displaced = SelectObject(dc_, object);
        if (!previous_)
            previous_ = displaced;
        current_ = object;
    }

private:
    HDC dc_;
    HGDIOBJ previous_ = nullptr;
    HGDIOBJ current_ = nullptr;
};

// GDI+ started for the holder's lifetime. Ok() is false where it could not start.
class GdiplusSession {
public:
    GdiplusSession() {
        Gdiplus::GdiplusStartupInput input;
        ok_ = Gdiplus::GdiplusStartup(&token_, &input, nullptr) == Gdiplus::Ok;
    }
    ~GdiplusSession() {
        if (ok_)
            Gdiplus::GdiplusShutdown(token_);
    }
    GdiplusSession(const GdiplusSession&) = delete;
    GdiplusSession& operator=(const GdiplusSession&) = delete;
    bool Ok() const { return ok_; }

private:
    ULONG_PTR token_ = 0;
    bool ok_ = false;
};
