#include "panels/tool_button_face.h"

#include "base/display_scale.h"
#include "panels/tool_button_table.h"

FacePoint ToolImageOrigin(int faceWidth, int faceHeight, int imageSize) {
    return {(faceWidth - imageSize) / 2, (faceHeight - imageSize) / 2};
}

const ToolStrip& ToolStripForDpi(int dpi) {
    const int wanted = ScaleForDpi(kToolImageSize, dpi);
    const ToolStrip* chosen = &kToolStrips[0];
    for (const ToolStrip& strip : kToolStrips) {
        if (strip.imageSize <= wanted)
            chosen = &strip;
    }
    return *chosen;
}

ToolButtonPlace PlaceToolButton(int index, int dpi) {
    ToolButtonPlace place;
    if (index < 0 || index >= kToolButtonCount)
        return place;
    const ToolButtonSpec& entry = kToolButtons[static_cast<size_t>(index)];
    const ToolStrip& strip = ToolStripForDpi(dpi);
    place.x = ScaleForDpi(entry.x, dpi);
    place.size = ScaleForDpi(kToolButtonSize, dpi);
    place.stripId = strip.resourceId;
    place.imageSize = strip.imageSize;
    place.imageX = entry.imageX / kToolImageSize * strip.imageSize;
    return place;
}

int ToolWashAlpha(bool hover, bool pressed, bool checked) {
    if (pressed)
        return kWashAlphaPressed;
    if (hover)
        return kWashAlphaHover;
    if (checked)
        return kWashAlphaChecked;
    return 0;
}

bool IsOverToolButton(std::uint16_t x, std::uint16_t y, int width, int height) {
    return x > 0 && x < width && y > 0 && y < height;
}

ToolButtonMouseEffect ToolButtonMouseMove(ToolButtonMouse& state, bool inside, bool hasCapture) {
    ToolButtonMouseEffect effect;
    if (inside == state.hover)
        return effect;
    state.hover = inside;
    // While pressed the capture is held until the release, wherever the pointer goes.
    if (!state.pressed) {
        effect.takeCapture = inside && !hasCapture;
        effect.releaseCapture = !inside && hasCapture;
    }
    effect.repaint = true;
    return effect;
}

ToolButtonMouseEffect ToolButtonLeftDown(ToolButtonMouse& state, bool inside, bool hasCapture) {
    ToolButtonMouseEffect effect;
    effect.takeCapture = !hasCapture;
    state.pressed = true;
    // The press says where the pointer is even when no move came before it.
    state.hover = inside;
    effect.repaint = true;
    return effect;
}

ToolButtonMouseEffect ToolButtonLeftUp(ToolButtonMouse& state, bool inside, bool hasCapture) {
    ToolButtonMouseEffect effect;
    effect.releaseCapture = !inside && hasCapture;
    const bool wasPressed = state.pressed;
    state.pressed = false;
    state.hover = inside;
    effect.repaint = true;
    // A release without a press here (a drag that started elsewhere) is not a click.
    effect.click = wasPressed && inside;
    return effect;
}

ToolButtonMouseEffect ToolButtonCancelMode(ToolButtonMouse& state, bool hasCapture) {
    ToolButtonMouseEffect effect;
    if (!hasCapture)
        return effect;
    effect.releaseCapture = true;
    state.hover = false;
    state.pressed = false;
    effect.repaint = true;
    return effect;
}

void CopyTipText(wchar_t (&tip)[kTipTextCapacity], const wchar_t* text) {
    int n = 0;
    if (text) {
        for (; n < kTipTextCapacity - 1 && text[n] != L'\0'; ++n)
            tip[n] = text[n];
    }
    tip[n] = L'\0';
}
