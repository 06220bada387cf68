"""The tool strip: fourteen line icons at 40, 60 and 80 pixels."""

import math

from PIL import Image

from drawing import *  # noqa: F401,F403 (the shared drawing kit)


# ---------------------------------------------------------------------------------------------
# Tool strip: fourteen 40x40 line icons, drawn on a 40-unit grid. The larger strips for 150 % and
# 200 % display scales draw the same design at 60 and 80 pixels (not an enlarged 40-pixel strip).

TOOL_SIZES = (40, 60, 80)
TOOL_STRIP_FILES = {40: "toolbar.bmp", 60: "toolbar_60.bmp", 80: "toolbar_80.bmp"}

STROKE = 2.0


def tool_ruler(m):
    m.rect_outline(6, 13, 34, 27, STROKE, radius=1.5)
    for i, x in enumerate(range(10, 33, 4)):
        m.segment((x, 14), (x, 21 if i % 2 == 0 else 18.5), 1.5)


def tool_crosshair(m):
    m.segment((20, 6), (20, 16), STROKE)
    m.segment((20, 24), (20, 34), STROKE)
    m.segment((6, 20), (16, 20), STROKE)
    m.segment((24, 20), (34, 20), STROKE)
    m.ring(20, 20, 8, 1.5)
    m.circle(20, 20, 1.6)


def tool_line(m):
    m.stroke([(9, 31), (31, 9)], STROKE)


def tool_parallel(m):
    r = 3.5
    a, b = (10.5, 29.5), (29.5, 10.5)
    m.ring(*a, r, STROKE)
    m.ring(*b, r, STROKE)
    d = (r + STROKE / 2) / math.sqrt(2)
    m.segment((a[0] + d, a[1] - d), (b[0] - d, b[1] + d), STROKE)


def tool_rectangle(m):
    m.rect_outline(8, 11, 32, 29, STROKE)


def tool_circle(m):
    m.ring(20, 20, 12, STROKE)


def tool_concentric(m):
    m.ring(20, 20, 12.5, STROKE)
    m.circle(20, 20, 5.5)


def tool_angle(m):
    v = (8, 31)
    m.stroke([(33, 31), v, (25.5, 8.5)], STROKE)
    ang = math.degrees(math.atan2(31 - 8.5, 25.5 - 8))
    m.arc(8, 31, 11, 0, ang, 1.5, caps=False)


def tool_pencil(m):
    # Drawn lying along the x axis, then turned to point down-left.
    body = [(13, 16.5), (33, 16.5), (33, 23.5), (13, 23.5)]
    tip = [(13, 16.5), (4.5, 20), (13, 23.5)]
    rot = dict(angle_deg=-45, cx=20, cy=20)
    m.stroke(transform(body, **rot), STROKE, closed=True)
    m.stroke(transform(tip, **rot), STROKE)
    m.segment(*transform([(28.5, 16.5), (28.5, 23.5)], **rot), STROKE)
    m.poly(transform([(4.5, 20), (8.2, 18.5), (8.2, 21.5)], **rot))


def tool_arrow(m):
    m.stroke([(10, 30), (29, 11)], STROKE)
    m.stroke([(17, 11), (29, 11), (29, 23)], STROKE)


def tool_text(m):
    m.stroke([(10, 12), (10, 8), (30, 8), (30, 12)], STROKE)
    m.segment((20, 8), (20, 32), STROKE)
    m.stroke([(15.5, 32), (24.5, 32)], STROKE)


def tool_move(m):
    c, lo, hi, h = 20, 6.5, 33.5, 4.5
    m.segment((c, lo), (c, hi), STROKE)
    m.segment((lo, c), (hi, c), STROKE)
    for pts in (((c - h, lo + h), (c, lo), (c + h, lo + h)),
                ((c - h, hi - h), (c, hi), (c + h, hi - h)),
                ((lo + h, c - h), (lo, c), (lo + h, c + h)),
                ((hi - h, c - h), (hi, c), (hi - h, c + h))):
        m.stroke(pts, STROKE)


def tool_backspace(m):
    m.stroke([(14, 10), (34, 10), (34, 30), (14, 30), (5, 20)], STROKE, closed=True)
    m.segment((19, 15), (28, 25), STROKE)
    m.segment((28, 15), (19, 25), STROKE)
    for p in ((19, 15), (28, 25), (28, 15), (19, 25)):
        m.circle(*p, STROKE / 2)


def tool_bin(m):
    m.stroke([(7, 11), (33, 11)], STROKE)
    m.stroke([(16, 11), (16, 7), (24, 7), (24, 11)], STROKE)
    m.stroke([(10, 14), (12, 33), (28, 33), (30, 14)], STROKE)
    for x in (16, 20, 24):
        m.stroke([(x, 17), (x, 29)], 1.5)


TOOLS = [tool_ruler, tool_crosshair, tool_line, tool_parallel, tool_rectangle, tool_circle,
         tool_concentric, tool_angle, tool_pencil, tool_arrow, tool_text, tool_move,
         tool_backspace, tool_bin]


def tool_coverages(size=40):
    out = []
    for fn in TOOLS:
        m = Mask(size, size, unit=size / 40)
        fn(m)
        out.append(m.coverage())
    return out


def make_toolbar(size=40):
    strip = Image.new("RGB", (size * len(TOOLS), size), TRANSPARENT)
    px = strip.load()
    for i, cov in enumerate(tool_coverages(size)):
        c = cov.load()
        for y in range(size):
            for x in range(size):
                v = c[x, y]
                if v < 10:  # faint rims would only speckle the face
                    continue
                px[size * i + x, y] = mix(BUTTON_FACE, STRIP_INK, v / 255.0)
    return strip
