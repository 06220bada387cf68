"""The calibration help picture."""

import random

from PIL import Image, ImageDraw, ImageFilter

from drawing import *  # noqa: F401,F403 (the shared drawing kit)
from splash import add_noise


# ---------------------------------------------------------------------------------------------
# Calibration help picture (545 x 307)

def make_calib_help():
    W, H = 545, 307
    k = 2                      # the ruler is printed at twice the size, then reduced
    px_per_mm = 120
    x_of = lambda mm: 272 + (mm - 10) * px_per_mm  # noqa: E731 (the 10 mm mark is centred)
    edge_y = 30                # the ruler's top edge
    line_y = 110
    ink = (28, 28, 32)

    # Ruler surface under the ring light: brightest in the middle, falling off to the corners.
    base = radial((W * k, H * k), W * k * 0.5, H * k * 0.58, W * k * 0.8,
                  (248, 246, 239), (212, 208, 196)).convert("RGB")
    d = ImageDraw.Draw(base)
    d.rectangle([0, 0, W * k, edge_y * k], fill=(206, 211, 216))            # the stage
    d.rectangle([0, edge_y * k, W * k, (edge_y + 3) * k], fill=(186, 184, 176))  # the edge
    for mm in range(7, 14):
        x = x_of(mm)
        length = 175 if mm % 10 == 0 else (135 if mm % 5 == 0 else 100)
        d.rectangle([(x - 5.5) * k, (edge_y + 3) * k, (x + 5.5) * k, (edge_y + length) * k],
                    fill=ink)
    # The centimetre figure under its long mark, cut off by the edge of the field of view.
    fnum = font(FONT_BOLD, 120 * k)
    d.text((x_of(10) * k, (edge_y + 198) * k), "1", font=fnum, fill=ink, anchor="mt")
    # At this magnification the printing is slightly soft.
    img = base.resize((W, H), Image.LANCZOS).filter(ImageFilter.GaussianBlur(1.3))
    img = add_noise(img, random.Random(130), 5).convert("RGBA")

    # The calibration line laid from the 9 mm mark to the 11 mm mark, with its end bars and
    # the drag triangles the program shows at an end under the pointer.
    red = (228, 24, 24)
    xl, xr = x_of(9), x_of(11)
    m = Mask(W, H, 4)
    m.segment((xl, line_y), (xr, line_y), 2)
    for x in (xl, xr):
        m.segment((x, line_y - 60), (x, line_y + 60), 1.4)
        for y in (line_y - 30, line_y + 30):
            for side in (-1, 1):
                tip, back = x + 4 * side, x + 10 * side
                m.poly([(tip, y), (back, y - 5), (back, y + 5)])
    paint(img, m.im.resize((W, H), Image.BOX), red)

    cap = font(FONT_BOLD, 16)
    blue = (16, 70, 160)

    def caption(x, y, text, fill, anchor):
        # A soft halo of the ruler's colour keeps the caption readable over the marks.
        halo = Image.new("L", (W, H), 0)
        ImageDraw.Draw(halo).text((x, y), text, font=cap, fill=255, anchor=anchor,
                                  stroke_width=4, stroke_fill=255)
        paint(img, halo.filter(ImageFilter.GaussianBlur(2.5)), (250, 249, 243), 0.95)
        ImageDraw.Draw(img).text((x, y), text, font=cap, fill=fill, anchor=anchor)

    def leader(pts, fill):
        lm = Mask(W, H, 4)
        lm.stroke(pts, 1.3)
        lm.circle(*pts[-1], 2.4)
        paint(img, lm.coverage(), fill)

    caption((xl + xr) / 2, line_y - 9, "2.0mm", red, "ms")
    leader([(414, 196), (404, 196), (398, line_y + 38)], blue)
    caption(418, 196, "Adjust line", blue, "lm")
    x8 = x_of(8)
    leader([(64, 246), (x8 + 8, 246), (x8, edge_y + 104)], blue)
    caption(68, 246, "Ruler", blue, "lm")
    return img.convert("RGB")
