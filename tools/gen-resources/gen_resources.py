#!/usr/bin/python3
# Draws the program's icons and bitmaps into resources/. Run by hand, commit the output:
#   apt-get install -y python3-pil fonts-dejavu-core
#   tools/gen-resources/gen_resources.py [--preview /tmp/vantix-art]
# --preview also writes PNG renderings and a contact sheet to that folder.
# Output is deterministic: rerunning without changes reproduces the same files.
"""Generator of the program's pictures (icons, tool strip, splash and help bitmaps)."""

import argparse
import io
import math
import os
import random
import struct
import sys

from PIL import Image, ImageChops, ImageDraw, ImageFilter, ImageFont

HERE = os.path.dirname(os.path.abspath(__file__))
RESOURCES = os.path.normpath(os.path.join(HERE, "..", "..", "resources"))

FONT_DIR = "/usr/share/fonts/truetype/dejavu"
FONT_REGULAR = os.path.join(FONT_DIR, "DejaVuSans.ttf")
FONT_BOLD = os.path.join(FONT_DIR, "DejaVuSans-Bold.ttf")

# The tool buttons paint their face in this colour and draw the strip over it with white as the
# transparent colour. Edge pixels are blended towards the face rather than towards white, so the
# anti-aliased rims do not show as a pale halo on the button.
BUTTON_FACE = (143, 220, 220)
STRIP_INK = (58, 62, 68)
TRANSPARENT = (255, 255, 255)

# Brand colours shared by the app icon and the splash picture.
NAVY = (24, 42, 58)
TEAL = (0, 150, 160)
TEAL_LIGHT = (64, 196, 204)
BLUE_DEEP = (14, 70, 120)


def font(path, size):
    return ImageFont.truetype(path, size)


# ---------------------------------------------------------------------------------------------
# Vector drawing on a supersampled coverage mask

class Mask:
    """A binary coverage mask drawn at k times the final size, in final-pixel coordinates.

    (x, y) is a point of the continuous plane; pixel (i, j) covers [i, i+1) x [j, j+1), so a
    2-wide horizontal stroke centred on y = 20.0 fills exactly rows 19 and 20 after reduction.
    """

    def __init__(self, w, h, k=8, unit=1.0):
        """unit: final pixels per drawing unit, for drawing one design at several sizes."""
        self.w, self.h, self.k, self.unit = w, h, k, unit
        self.im = Image.new("L", (w * k, h * k), 0)
        self.draw = ImageDraw.Draw(self.im)

    def _map(self, pts):
        k = self.k * self.unit
        return [(x * k - 0.5, y * k - 0.5) for x, y in pts]

    def poly(self, pts, value=255):
        self.draw.polygon(self._map(pts), fill=value)

    def hole(self, outer, inner):
        """Adds the region inside outer and outside inner."""
        tmp = Image.new("L", self.im.size, 0)
        d = ImageDraw.Draw(tmp)
        d.polygon(self._map(outer), fill=255)
        d.polygon(self._map(inner), fill=0)
        self.im = ImageChops.lighter(self.im, tmp)
        self.draw = ImageDraw.Draw(self.im)

    def circle(self, cx, cy, r, value=255):
        self.poly(circle_pts(cx, cy, r), value)

    def ring(self, cx, cy, r, w):
        self.hole(circle_pts(cx, cy, r + w / 2), circle_pts(cx, cy, r - w / 2))

    def segment(self, a, b, w):
        (x0, y0), (x1, y1) = a, b
        dx, dy = x1 - x0, y1 - y0
        n = math.hypot(dx, dy)
        if n == 0:
            return
        nx, ny = -dy / n * w / 2, dx / n * w / 2
        self.poly([(x0 + nx, y0 + ny), (x1 + nx, y1 + ny), (x1 - nx, y1 - ny), (x0 - nx, y0 - ny)])

    def stroke(self, pts, w, closed=False, caps=True):
        """Polyline with round joins; round caps unless caps is False (then butt ends)."""
        pts = list(pts)
        if closed:
            pts.append(pts[0])
        for a, b in zip(pts, pts[1:]):
            self.segment(a, b, w)
        inner = pts[1:-1] if not closed else pts
        for p in inner:
            self.circle(p[0], p[1], w / 2)
        if caps and not closed:
            self.circle(pts[0][0], pts[0][1], w / 2)
            self.circle(pts[-1][0], pts[-1][1], w / 2)

    def arc(self, cx, cy, r, a0, a1, w, caps=True):
        """Arc from angle a0 to a1 (degrees, counter-clockwise on screen, y up)."""
        outer = arc_pts(cx, cy, r + w / 2, a0, a1)
        inner = arc_pts(cx, cy, r - w / 2, a1, a0)
        self.poly(outer + inner)
        if caps:
            for a in (a0, a1):
                px, py = polar(cx, cy, r, a)
                self.circle(px, py, w / 2)

    def rect(self, x0, y0, x1, y1, radius=0.0, value=255):
        self.poly(rrect_pts(x0, y0, x1, y1, radius), value)

    def rect_outline(self, x0, y0, x1, y1, w, radius=0.0):
        h = w / 2
        self.hole(rrect_pts(x0 - h, y0 - h, x1 + h, y1 + h, radius + h if radius else 0),
                  rrect_pts(x0 + h, y0 + h, x1 - h, y1 - h, max(radius - h, 0) if radius else 0))

    def coverage(self):
        """The mask reduced to its final size: 0..255 coverage per pixel."""
        return self.im.resize((self.w, self.h), Image.BOX)


def polar(cx, cy, r, deg):
    a = math.radians(deg)
    return (cx + r * math.cos(a), cy - r * math.sin(a))


def circle_pts(cx, cy, r, n=None):
    n = n or max(48, int(r * 24))
    return [(cx + r * math.cos(2 * math.pi * i / n), cy + r * math.sin(2 * math.pi * i / n))
            for i in range(n)]


def arc_pts(cx, cy, r, a0, a1):
    n = max(8, int(abs(a1 - a0) / 2))
    return [polar(cx, cy, r, a0 + (a1 - a0) * i / n) for i in range(n + 1)]


def rrect_pts(x0, y0, x1, y1, r):
    if r <= 0:
        return [(x0, y0), (x1, y0), (x1, y1), (x0, y1)]
    r = min(r, (x1 - x0) / 2, (y1 - y0) / 2)
    pts = []
    for cx, cy, a0 in ((x1 - r, y0 + r, 90), (x0 + r, y0 + r, 180),
                       (x0 + r, y1 - r, 270), (x1 - r, y1 - r, 360)):
        pts += arc_pts(cx, cy, r, a0 - 90, a0)
    return pts


def transform(pts, angle_deg=0.0, dx=0.0, dy=0.0, cx=0.0, cy=0.0):
    """Rotates points about (cx, cy) (degrees, clockwise on screen), then moves them."""
    a = math.radians(angle_deg)
    c, s = math.cos(a), math.sin(a)
    out = []
    for x, y in pts:
        x, y = x - cx, y - cy
        out.append((cx + x * c - y * s + dx, cy + x * s + y * c + dy))
    return out


# ---------------------------------------------------------------------------------------------
# Colour layers

def solid(size, rgb, alpha=255):
    return Image.new("RGBA", size, tuple(rgb) + (alpha,))


def paint(canvas, cov, fill, opacity=1.0):
    """Composites fill (a colour or an RGBA image) onto canvas through coverage cov (mode L)."""
    if isinstance(fill, tuple):
        fill = solid(canvas.size, fill)
    a = cov if opacity >= 1.0 else cov.point(lambda v: int(v * opacity + 0.5))
    if fill.mode == "RGBA":
        a = ImageChops.multiply(a, fill.getchannel("A"))
    layer = fill.convert("RGB").convert("RGBA")
    layer.putalpha(a)
    canvas.alpha_composite(layer)


def vgradient(size, top, bottom):
    w, h = size
    g = Image.linear_gradient("L").resize((w, h), Image.BILINEAR)
    return Image.composite(solid(size, bottom), solid(size, top), g)


def radial(size, cx, cy, r, inner, outer):
    """Radial gradient: inner colour at (cx, cy), outer colour from radius r on."""
    w, h = size
    g = Image.radial_gradient("L")  # 256x256, 0 at the centre, 255 at radius 128
    s = r / 128.0
    big = g.resize((max(1, int(256 * s)), max(1, int(256 * s))), Image.BILINEAR)
    field = Image.new("L", size, 255)
    field.paste(big, (int(cx - big.width / 2), int(cy - big.height / 2)))
    return Image.composite(solid(size, outer), solid(size, inner), field)


def reduce_rgba(im, size):
    """Downsamples with premultiplied alpha so transparent pixels do not darken the edges."""
    return im.convert("RGBa").resize(size, Image.BOX).convert("RGBA")


def mix(c0, c1, t):
    return tuple(int(round(a + (b - a) * t)) for a, b in zip(c0, c1))


# ---------------------------------------------------------------------------------------------
# File writers

def bmp_bytes(im):
    """24-bit BI_RGB bitmap, BITMAPINFOHEADER, bottom-up rows padded to 4 bytes."""
    im = im.convert("RGB")
    w, h = im.size
    stride = (w * 3 + 3) & ~3
    pad = b"\0" * (stride - w * 3)
    raw = im.tobytes("raw", "BGR")
    rows = [raw[y * w * 3:(y + 1) * w * 3] + pad for y in range(h - 1, -1, -1)]
    pixels = b"".join(rows)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    head = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    return head + info + pixels


def ico_dib(im):
    """One 32-bit icon image: BITMAPINFOHEADER (double height), BGRA bottom-up, AND mask."""
    w, h = im.size
    raw = im.tobytes("raw", "BGRA")
    xor = b"".join(raw[y * w * 4:(y + 1) * w * 4] for y in range(h - 1, -1, -1))
    mask_stride = ((w + 31) // 32) * 4
    alpha = im.getchannel("A").tobytes()
    and_rows = []
    for y in range(h - 1, -1, -1):
        row = bytearray(mask_stride)
        for x in range(w):
            if alpha[y * w + x] == 0:
                row[x >> 3] |= 0x80 >> (x & 7)
        and_rows.append(bytes(row))
    mask = b"".join(and_rows)
    info = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return info + xor + mask


def ico_bytes(images):
    """An .ico of RGBA images in the given order; 256-pixel images are stored as PNG."""
    blobs = []
    for im in images:
        if im.width >= 256:
            buf = io.BytesIO()
            im.save(buf, "PNG", optimize=True)
            blobs.append(buf.getvalue())
        else:
            blobs.append(ico_dib(im))
    offset = 6 + 16 * len(images)
    head = struct.pack("<HHH", 0, 1, len(images))
    entries = b""
    for im, blob in zip(images, blobs):
        entries += struct.pack("<BBBBHHII", im.width % 256, im.height % 256, 0, 0, 1, 32,
                               len(blob), offset)
        offset += len(blob)
    return head + entries + b"".join(blobs)


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


# ---------------------------------------------------------------------------------------------
# Program icon: a microscope on a round lens-blue badge

def microscope(body, slide, P, t=1.0):
    """The microscope in a 0..1 design box; P maps design points to pixels, t thickens parts.

    body receives the white silhouette, slide the specimen slide on the stage."""
    def poly(m, pts):
        m.poly(P(pts))

    poly(body, rrect_pts(0.18, 0.86, 0.82, 0.94, 0.035))            # foot
    poly(body, rrect_pts(0.60 - 0.015 * t, 0.62, 0.71 + 0.015 * t, 0.87, 0))  # pillar
    poly(body, rrect_pts(0.20, 0.62, 0.72, 0.62 + 0.06 * t, 0.015))   # stage
    # Arm: a thick C from the pillar round the back to the tube.
    arm = [polar(0.50, 0.44, 0.19, a) for a in range(-70, 146, 5)]
    w = 0.11 * t
    for a, b in zip(arm, arm[1:]):
        body.segment(*P([a, b]), w * P.scale)
    for x, y in arm:
        body.circle(*P([(x, y)])[0], w * P.scale / 2)
    # Tube leaning back from the objective over the stage up to the eyepiece.
    rot = dict(angle_deg=-30, cx=0.36, cy=0.52)
    tw = 0.075 * t
    gap = 0.02 if t <= 1.0 else 0.0
    parts = [rrect_pts(0.36 - tw, 0.15 + gap, 0.36 + tw, 0.47, 0.01),            # tube
             rrect_pts(0.36 - tw - 0.03, 0.05, 0.36 + tw + 0.03, 0.15, 0.02),    # eyepiece
             [(0.36 - tw, 0.46), (0.36 + tw, 0.46),                               # objective
              (0.36 + tw * 0.55, 0.545), (0.36 - tw * 0.55, 0.545)]]
    for part in parts:
        poly(body, transform(part, **rot))
    if slide is not None:
        poly(slide, rrect_pts(0.24, 0.585, 0.52, 0.62, 0.008))


class Mapping:
    """Design box (0..1) to pixel coordinates: scale, then offset."""

    def __init__(self, scale, ox, oy):
        self.scale, self.ox, self.oy = scale, ox, oy

    def __call__(self, pts):
        return [(self.ox + x * self.scale, self.oy + y * self.scale) for x, y in pts]


def draw_app_icon(size):
    k = 8 if size <= 48 else 4
    S = size * k
    canvas = Image.new("RGBA", (S, S), (0, 0, 0, 0))
    # Badge: a blue disc lit from the top left, with a thin light rim like a lens mount.
    cx = cy = size / 2
    r = size / 2 - (0.02 * size if size >= 48 else 0.0)
    badge = Mask(size, size, k)
    badge.circle(cx, cy, r)
    fill = radial((S, S), S * 0.34, S * 0.28, S * 0.95, (58, 156, 214), BLUE_DEEP)
    paint(canvas, badge.im, fill)
    if size >= 48:
        rim = Mask(size, size, k)
        rim.ring(cx, cy, r - size * 0.03, size * 0.03)
        paint(canvas, rim.im, (150, 214, 236), 0.85)
    # The microscope, centred on the disc by its drawn bounds.
    t = {16: 1.7, 24: 1.4, 32: 1.2}.get(size, 1.0)
    scale = size * {16: 0.84, 24: 0.80}.get(size, 0.72)
    probe = Mask(size, size, k)
    microscope(probe, None, Mapping(scale, 0, 0), t)
    x0, y0, x1, y1 = probe.im.getbbox()
    ox = cx - (x0 + x1) / 2 / k
    oy = cy - (y0 + y1) / 2 / k
    if size < 48:  # put the foot's bottom and the pillar's back on pixel edges
        oy = round(oy + 0.94 * scale) - 0.94 * scale
        ox = round(ox + (0.71 + 0.015 * t) * scale) - (0.71 + 0.015 * t) * scale
    body, slide = Mask(size, size, k), Mask(size, size, k)
    microscope(body, slide if size >= 32 else None, Mapping(scale, ox, oy), t)
    if size >= 48:  # a soft shadow lifts the instrument off the disc
        shadow = body.im.filter(ImageFilter.GaussianBlur(size * k / 90))
        shadow = ImageChops.multiply(ImageChops.offset(shadow, size * k // 80, size * k // 60),
                                     badge.im)
        paint(canvas, shadow, (6, 30, 60), 0.45)
    paint(canvas, body.im, (250, 252, 255))
    paint(canvas, slide.im, TEAL_LIGHT)
    # Soft highlight across the top of the lens.
    if size >= 48:
        hl = Mask(size, size, k)
        hl.poly([(x, y) for x, y in circle_pts(cx - r * 0.05, cy - r * 0.55, r * 0.75)
                 if y < cy - r * 0.12])
        hl.im = ImageChops.multiply(hl.im, badge.im)
        paint(canvas, hl.im.filter(ImageFilter.GaussianBlur(k * size / 48)), (255, 255, 255), 0.10)
    return reduce_rgba(canvas, (size, size))


def make_app_icon():
    return [draw_app_icon(s) for s in (16, 24, 32, 48, 256)]


# ---------------------------------------------------------------------------------------------
# Device-section button icons (gear, camera, video camera, folder), drawn on a 24-unit grid

SLATE = (70, 82, 96)
SLATE_LIGHT = (110, 124, 140)
REC_RED = (226, 58, 48)
FOLDER_BACK = (214, 156, 36)
FOLDER_FRONT_TOP = (255, 214, 102)
FOLDER_FRONT_BOTTOM = (240, 182, 52)


class Glyph:
    """Icon canvas in 24-unit coordinates, rendered at any pixel size."""

    def __init__(self, size, k=8):
        self.size, self.k = size, k
        self.u = size / 24.0
        self.canvas = Image.new("RGBA", (size * k, size * k), (0, 0, 0, 0))

    def mask(self):
        m = Mask(self.size, self.size, self.k)
        u = self.u
        orig = m._map
        m._map = lambda pts: orig([(x * u, y * u) for x, y in pts])
        return m

    def fill(self, m, colour, opacity=1.0):
        paint(self.canvas, m.im, colour, opacity)

    def vfill(self, m, top, bottom, y0, y1):
        S = self.size * self.k
        g = Image.new("RGBA", (S, S), top + (255,))
        a, b = int(y0 * self.u * self.k), int(y1 * self.u * self.k)
        g.paste(vgradient((S, max(1, b - a)), top, bottom), (0, a))
        g.paste(solid((S, S - b), bottom), (0, b))
        paint(self.canvas, m.im, g)

    def image(self):
        return reduce_rgba(self.canvas, (self.size, self.size))


def icon_gear(size):
    g = Glyph(size)
    m = g.mask()
    teeth, ro, ri = 8, 11.0, 8.4
    pts = []
    half_tip, half_root = 360.0 / teeth * 0.17, 360.0 / teeth * 0.27 + 8  # degrees
    for i in range(teeth):
        a = 360.0 * i / teeth + 90
        pts += [polar(12, 12, ri, a - half_root), polar(12, 12, ro, a - half_tip),
                polar(12, 12, ro, a + half_tip), polar(12, 12, ri, a + half_root)]
    m.poly(pts)
    m.circle(12, 12, ri)
    m.circle(12, 12, 3.6, 0)
    g.vfill(m, SLATE_LIGHT, SLATE, 1, 23)
    inner = g.mask()
    inner.ring(12, 12, 5.9, 1.2)
    g.fill(inner, (255, 255, 255), 0.28)
    return g.image()


def icon_camera(size):
    g = Glyph(size)
    body = g.mask()
    body.rect(1.5, 6.5, 22.5, 20.5, 2.6)
    body.rect(7.5, 3.8, 15.5, 8, 1.2)
    g.vfill(body, SLATE_LIGHT, SLATE, 4, 21)
    bezel = g.mask()
    bezel.circle(12, 13.5, 5.6)
    g.fill(bezel, (226, 232, 238))
    lens = g.mask()
    lens.circle(12, 13.5, 4.4)
    g.vfill(lens, (84, 170, 236), (20, 86, 160), 9, 18)
    hl = g.mask()
    hl.circle(10.6, 12.1, 1.3)
    g.fill(hl, (255, 255, 255), 0.85)
    flash = g.mask()
    flash.rect(17.5, 8.5, 20.5, 10.3, 0.6)
    g.fill(flash, (255, 226, 120))
    return g.image()


def icon_video(size):
    g = Glyph(size)
    body = g.mask()
    body.rect(1.5, 7, 16, 19, 2.4)
    body.poly([(15, 11.2), (22.5, 7.2), (22.5, 18.8), (15, 14.8)])
    g.vfill(body, SLATE_LIGHT, SLATE, 6, 20)
    window = g.mask()
    window.rect(4, 9.5, 13.5, 16.5, 1.2)
    g.fill(window, (255, 255, 255), 0.18)
    rec = g.mask()
    rec.circle(6.6, 13, 1.9)
    g.fill(rec, REC_RED)
    return g.image()


def icon_folder(size):
    g = Glyph(size)
    back = g.mask()
    back.poly(rrect_pts(1.5, 4.5, 10.5, 9, 1.2))
    back.poly([(9, 4.5), (10.5, 4.5), (12.8, 7), (12.8, 9), (9, 9)])
    back.rect(1.5, 6.8, 22.5, 20.5, 1.6)
    g.fill(back, FOLDER_BACK)
    paper = g.mask()
    paper.rect(3.5, 8.2, 20.5, 14, 0.6)
    g.fill(paper, (252, 252, 248))
    front = g.mask()
    front.rect(1.5, 10, 22.5, 20.5, 1.6)
    g.vfill(front, FOLDER_FRONT_TOP, FOLDER_FRONT_BOTTOM, 10, 20.5)
    edge = g.mask()
    edge.rect(1.5, 10, 22.5, 11, 0.5)
    g.fill(edge, (255, 240, 190), 0.8)
    return g.image()


BUTTON_ICONS = {"settings.ico": icon_gear, "photo.ico": icon_camera,
                "video.ico": icon_video, "files.ico": icon_folder}


def make_button_icon(fn):
    # 24 comes first: loading the icon at its own size takes the directory's first image.
    return [fn(s) for s in (24, 16, 32)]


# ---------------------------------------------------------------------------------------------
# Synthetic micrographs for the splash tiles

def voronoi(w, h, seeds, fn):
    """Calls fn(d1, d2, index_of_nearest, x, y) per pixel; returns an RGB image."""
    im = Image.new("RGB", (w, h))
    px = im.load()
    for y in range(h):
        for x in range(w):
            best = second = 1e18
            bi = 0
            for i, (sx, sy) in enumerate(seeds):
                d = (x - sx) ** 2 + (y - sy) ** 2
                if d < best:
                    second, best, bi = best, d, i
                elif d < second:
                    second = d
            px[x, y] = fn(math.sqrt(best), math.sqrt(second), bi, x, y)
    return im


def jittered_seeds(rng, w, h, step, jitter=0.45, margin=1):
    seeds = []
    y = -step * margin
    row = 0
    while y < h + step * margin:
        x = -step * margin + (step / 2 if row % 2 else 0)
        while x < w + step * margin:
            seeds.append((x + rng.uniform(-jitter, jitter) * step,
                          y + rng.uniform(-jitter, jitter) * step))
            x += step
        y += step * 0.87
        row += 1
    return seeds


def tile_he_tissue(n, rng):
    """Stained tissue: pink cytoplasm, purple nuclei, pale membranes."""
    seeds = jittered_seeds(rng, n, n, 17)
    nuc = [(rng.uniform(3.4, 5.2), rng.uniform(-1.5, 1.5), rng.uniform(-1.5, 1.5))
           for _ in seeds]
    shade = [rng.uniform(-18, 18) for _ in seeds]

    def px(d1, d2, i, x, y):
        r, ox, oy = nuc[i]
        sx, sy = seeds[i]
        dn = math.hypot(x - sx - ox, (y - sy - oy) * 1.2)
        if d2 - d1 < 1.6:
            return (246, 214, 226)
        if dn < r:
            t = dn / r
            return mix((78, 40, 120), (128, 78, 164), t * t)
        s = shade[i]
        return (int(232 + s * 0.3), int(150 + s), int(190 + s * 0.6))
    im = voronoi(n, n, seeds, px)
    return im.filter(ImageFilter.GaussianBlur(0.8))


def tile_fluorescence(n, rng):
    """Fluorescent cells: green cytoplasm with blue nuclei on black."""
    im = Image.new("RGB", (n * 2, n * 2), (4, 8, 10))
    cells = []
    for _ in range(14):
        cx, cy = rng.uniform(0, 2 * n), rng.uniform(0, 2 * n)
        rx, ry = rng.uniform(14, 24), rng.uniform(10, 18)
        cells.append((cx, cy, rx, ry, rng.uniform(0, 180)))
    glow = Image.new("RGB", im.size, (0, 0, 0))
    gd = ImageDraw.Draw(glow)
    for cx, cy, rx, ry, a in cells:
        pts = transform([(cx + rx * math.cos(t / 10) * (1 + 0.12 * math.sin(3 * t / 10 + a)),
                          cy + ry * math.sin(t / 10)) for t in range(63)], a, cx=cx, cy=cy)
        gd.polygon(pts, fill=(50, 200, 80))
    glow = glow.filter(ImageFilter.GaussianBlur(3))
    im = ImageChops.add(im, glow)
    im = im.filter(ImageFilter.GaussianBlur(1.5))
    nuclei = Image.new("RGB", im.size, (0, 0, 0))
    d = ImageDraw.Draw(nuclei)
    for cx, cy, rx, ry, a in cells:
        pts = transform([(cx + rx * 0.38 * math.cos(t / 10), cy + ry * 0.45 * math.sin(t / 10))
                         for t in range(63)], a, cx=cx, cy=cy)
        d.polygon(pts, fill=(40, 90, 250))
    im = ImageChops.add(im, nuclei.filter(ImageFilter.GaussianBlur(2.0)))
    return im.resize((n, n), Image.LANCZOS)


def tile_crystal(n, rng):
    """Crystals under crossed polarisers: faceted grains in interference colours."""
    seeds = [(rng.uniform(-10, n + 10), rng.uniform(-10, n + 10)) for _ in range(16)]
    palette = [(250, 196, 60), (70, 170, 230), (220, 80, 150), (120, 210, 120),
               (250, 130, 60), (150, 100, 220), (240, 230, 120), (60, 120, 200)]
    grains = [(rng.choice(palette), rng.uniform(0, math.pi), rng.uniform(0.4, 1.0))
              for _ in seeds]

    def px(d1, d2, i, x, y):
        col, ang, k = grains[i]
        if d2 - d1 < 1.2:
            return (20, 18, 30)
        band = 0.5 + 0.5 * math.sin((x * math.cos(ang) + y * math.sin(ang)) * 0.12 * k)
        return tuple(int(c * (0.25 + 0.75 * band)) for c in col)
    return voronoi(n, n, seeds, px).filter(ImageFilter.GaussianBlur(0.6))


def tile_plant(n, rng):
    """Plant epidermis: elongated cells with green chloroplasts."""
    seeds = jittered_seeds(rng, n, n * 2, 22, 0.3)
    seeds = [(x, y / 2) for x, y in seeds]  # cells twice as long as high... then turned
    rnd = [rng.uniform(-12, 12) for _ in seeds]

    def px(d1, d2, i, x, y):
        if d2 - d1 < 2.0:
            return (92, 120, 48)
        s = rnd[i]
        return (int(196 + s), int(222 + s * 0.5), int(150 + s))
    im = voronoi(n, n, seeds, px)
    d = ImageDraw.Draw(im)
    for _ in range(90):
        x, y = rng.uniform(0, n), rng.uniform(0, n)
        r = rng.uniform(1.4, 2.4)
        d.ellipse((x - r, y - r, x + r, y + r), fill=(46, 128, 40))
    return im.filter(ImageFilter.GaussianBlur(0.9))


def tile_diatoms(n, rng):
    """Dark-field diatoms: glowing ribbed valves on deep blue."""
    im = vgradient((n, n), (12, 26, 52), (4, 10, 26)).convert("RGB")
    glow = Image.new("L", (n, n), 0)
    for _ in range(6):
        cx, cy = rng.uniform(10, n - 10), rng.uniform(10, n - 10)
        L, W = rng.uniform(18, 32), rng.uniform(5, 8)
        if rng.random() < 0.3:
            L = W = rng.uniform(9, 13)  # a round, centric one
        a = rng.uniform(0, 180)
        outline = transform([(cx + L * math.cos(t / 20), cy + W * math.sin(t / 20))
                             for t in range(126)], a, cx=cx, cy=cy)
        layer = Image.new("L", (n, n), 0)
        ImageDraw.Draw(layer).polygon(outline, fill=255)
        ribs = Image.new("L", (n, n), 70)
        rd = ImageDraw.Draw(ribs)
        for j in range(-int(L), int(L) + 1, 3):
            rd.line(transform([(cx + j, cy - W), (cx + j, cy + W)], a, cx=cx, cy=cy),
                    fill=235, width=1)
        rd.line(transform([(cx - L, cy), (cx + L, cy)], a, cx=cx, cy=cy), fill=255, width=1)
        edge = ImageChops.subtract(layer, layer.filter(ImageFilter.MinFilter(3)))
        glow = ImageChops.lighter(glow, ImageChops.lighter(ImageChops.multiply(layer, ribs),
                                                           edge))
    halo = glow.filter(ImageFilter.GaussianBlur(3)).point(lambda v: min(255, v * 2))
    im = Image.composite(solid((n, n), (60, 120, 190)).convert("RGB"), im, halo)
    im = Image.composite(solid((n, n), (214, 240, 255)).convert("RGB"), im,
                         glow.filter(ImageFilter.GaussianBlur(0.6)))
    return im


def add_noise(im, rng, amplitude):
    """Adds faint grey sensor noise (seeded, so reruns give the same picture)."""
    w, h = im.size
    noise = Image.frombytes("L", (w, h), rng.randbytes(w * h)).filter(ImageFilter.BoxBlur(0.6))
    # A box blur pulls uniform noise towards 128; stretch it back to about +-amplitude.
    lo = noise.point(lambda v: max(0, min(255, (128 - v) * amplitude // 40)))
    hi = noise.point(lambda v: max(0, min(255, (v - 128) * amplitude // 40)))
    rgb = im.convert("RGB")
    rgb = ImageChops.subtract(rgb, Image.merge("RGB", [lo] * 3))
    return ImageChops.add(rgb, Image.merge("RGB", [hi] * 3))


def lens_finish(im):
    """Slight vignette as seen through a microscope eyepiece camera."""
    n = im.width
    v = Image.radial_gradient("L").resize((n, n), Image.BILINEAR)
    v = v.point(lambda p: max(0, min(255, int((p - 110) * 0.55))))
    return Image.composite(solid(im.size, (0, 0, 0)).convert("RGB"), im, v)


# ---------------------------------------------------------------------------------------------
# Splash / no-device picture (600 x 375)

def spaced_text(draw, x, y, text, fnt, fill, spacing):
    """Letter-spaced text from x; returns its width."""
    x0 = x
    for ch in text:
        draw.text((x, y), ch, font=fnt, fill=fill)
        x += draw.textlength(ch, font=fnt) + spacing
    return x - spacing - x0


def spaced_width(draw, text, fnt, spacing):
    return sum(draw.textlength(ch, font=fnt) + spacing for ch in text) - spacing


def logo_block(canvas, cx, cy):
    """The product logo (emblem, name, tag line) centred on (cx, cy)."""
    draw = ImageDraw.Draw(canvas)
    big = font(FONT_BOLD, 40)
    small = font(FONT_REGULAR, 12)
    w1 = draw.textlength("Vantix ", font=big)
    w2 = draw.textlength("Quorel", font=big)
    emblem = draw_app_icon(64)
    gap = 14
    total = emblem.width + gap + w1 + w2
    x = round(cx - total / 2)
    canvas.alpha_composite(emblem, (x, round(cy - emblem.height / 2)))
    tx = x + emblem.width + gap
    # The name sits on the emblem's centre line with the tag line under it.
    draw.text((tx, cy + 4), "Vantix", font=big, fill=NAVY, anchor="ls")
    draw.text((tx + w1, cy + 4), "Quorel", font=big, fill=TEAL, anchor="ls")
    tag = "DIGITAL IMAGING SOFTWARE"
    spacing = 3.1
    tw = spaced_width(draw, tag, small, spacing)
    spaced_text(draw, tx + (w1 + w2 - tw) / 2 + 1, cy + 12, tag, small, (98, 112, 124), spacing)


def tile_cluster(canvas, corner, tiles, size, step, flip):
    """Tiles in a staircase growing from a corner, fading as they reach into the field."""
    ox, oy = corner
    cells = [(0, 0), (1, 0), (0, 1), (2, 0), (1, 1), (0, 2)]
    for (gx, gy), tile in zip(cells, tiles):
        opacity = (1.0, 0.9, 0.65)[gx + gy]
        x = ox - (gx + 1) * step + (step - size) if flip else ox + gx * step
        y = oy - (gy + 1) * step + (step - size) if flip else oy + gy * step
        t = lens_finish(tile.resize((size, size), Image.LANCZOS)).convert("RGBA")
        mask = Mask(size, size, 4)
        mask.rect(0, 0, size, size, 3)
        t.putalpha(mask.coverage().point(lambda v: int(v * opacity + 0.5)))
        canvas.alpha_composite(t, (x, y))


def make_nodevice():
    W, H = 600, 375
    bar = 40
    canvas = Image.new("RGBA", (W, H), (255, 255, 255, 255))
    # Dark bars with a teal hairline against the white field.
    canvas.paste(vgradient((W, bar), (42, 56, 66), (24, 34, 42)), (0, 0))
    canvas.paste(vgradient((W, bar), (24, 34, 42), (42, 56, 66)), (0, H - bar))
    d = ImageDraw.Draw(canvas)
    d.rectangle([0, bar, W - 1, bar + 1], fill=TEAL)
    d.rectangle([0, H - bar - 2, W - 1, H - bar - 1], fill=TEAL)
    top, bottom = bar + 2, H - bar - 2
    # The field brightens towards the logo.
    field = radial((W, bottom - top), W / 2, (bottom - top) / 2, 340,
                   (255, 255, 255), (236, 242, 245))
    canvas.alpha_composite(field, (0, top))

    rng = random.Random(1407)
    n = 96
    # Corner tile first, then along the top (or bottom) edge, down (or up), diagonally.
    tiles_a = [tile_he_tissue(n, rng), tile_fluorescence(n, rng), tile_plant(n, rng),
               tile_crystal(n, rng), tile_diatoms(n, rng), tile_crystal(n, rng)]
    tiles_b = [tile_fluorescence(n, rng), tile_plant(n, rng), tile_he_tissue(n, rng),
               tile_diatoms(n, rng), tile_crystal(n, rng), tile_plant(n, rng)]
    size, step, inset = 46, 50, 6
    tile_cluster(canvas, (inset, top + inset), tiles_a, size, step, False)
    tile_cluster(canvas, (W - inset, bottom - inset), tiles_b, size, step, True)

    logo_block(canvas, W / 2, (top + bottom) / 2 - 4)
    # Maker's mark in the top bar.
    spaced_text(ImageDraw.Draw(canvas), 18, 13, "VANTIX", font(FONT_BOLD, 12),
                (140, 192, 198), 2.5)
    return canvas.convert("RGB")


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


# ---------------------------------------------------------------------------------------------
# Checks of what was written (format details that windres and LoadImage depend on)

def check_bmp(path, w, h):
    data = open(path, "rb").read()
    assert data[:2] == b"BM", path
    size, _, _, off = struct.unpack_from("<IHHI", data, 2)
    hs, bw, bh, planes, bpp, comp = struct.unpack_from("<IiiHHI", data, 14)
    stride = (w * 3 + 3) & ~3
    assert (size, off, hs) == (len(data), 54, 40), path
    assert (bw, bh, planes, bpp, comp) == (w, h, 1, 24, 0), path
    assert len(data) == 54 + stride * h, path


def check_ico(path, sizes):
    data = open(path, "rb").read()
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    assert (reserved, kind, count) == (0, 1, len(sizes)), path
    for i, s in enumerate(sizes):
        w, h, _, _, planes, bpp, n, off = struct.unpack_from("<BBBBHHII", data, 6 + 16 * i)
        assert (w or 256, h or 256, planes, bpp) == (s, s, 1, 32), path
        blob = data[off:off + n]
        assert len(blob) == n, path
        if s >= 256:
            assert blob[:8] == b"\x89PNG\r\n\x1a\n", path
        else:
            hs, bw, bh, _, bbpp = struct.unpack_from("<IiiHH", blob)
            assert (hs, bw, bh, bbpp) == (40, s, 2 * s, 32), path
            assert n == 40 + s * s * 4 + ((s + 31) // 32) * 4 * s, path


def check_strip(im, size=40):
    """Each image keeps a clear white border (the key colour) and has a glyph in it."""
    assert im.size == (size * len(TOOLS), size)
    for i in range(len(TOOLS)):
        cell = im.crop((size * i, 0, size * i + size, size))
        for x in range(size):  # a clear border keeps the glyph off the button's edge
            for y in (0, size - 1):
                assert cell.getpixel((x, y)) == TRANSPARENT, (i, x, y)
                assert cell.getpixel((y, x)) == TRANSPARENT, (i, y, x)
        inked = sum(1 for p in cell.getdata() if p != TRANSPARENT)
        assert inked > size, i


# ---------------------------------------------------------------------------------------------
# Previews

def enlarge(im, f):
    return im.resize((im.width * f, im.height * f), Image.NEAREST)


def strip_on_face(strip, wash_alpha=0):
    """The strip as the buttons show it: white keyed out over the face, optional green wash."""
    key = Image.new("L", strip.size)
    key.putdata([255 if p == TRANSPARENT else 0 for p in strip.getdata()])
    out = Image.composite(Image.new("RGB", strip.size, BUTTON_FACE), strip, key)
    if wash_alpha:
        out = Image.blend(out, Image.new("RGB", strip.size, (0, 111, 0)), wash_alpha / 255.0)
    return out


def write_previews(folder, strip, app, buttons, nodevice, calib):
    os.makedirs(folder, exist_ok=True)
    strip.save(os.path.join(folder, "toolbar.png"))
    nodevice.save(os.path.join(folder, "nodevice.png"))
    calib.save(os.path.join(folder, "calib_help.png"))
    # The splash as the view shows it: centred on the no-device fill of a wider window.
    view = Image.new("RGB", (800, 520), (48, 62, 71))
    view.paste(nodevice, ((800 - 600) // 2, (520 - 375) // 2))
    view.save(os.path.join(folder, "nodevice_in_view.png"))

    # Contact sheet: the strip as buttons on the face (plain, checked, hover), enlarged, then
    # the program icon and the four button icons at every size, actual and enlarged.
    rows = []
    rows.append(enlarge(strip, 3))
    for alpha in (0, 96, 144):  # plain, checked, hover
        face_strip = strip_on_face(strip, alpha)
        wash = mix(BUTTON_FACE, (0, 111, 0), alpha / 255.0)
        faces = Image.new("RGB", (54 * len(TOOLS) - 2, 52), (200, 200, 200))
        for i in range(len(TOOLS)):
            cell = Image.new("RGB", (52, 52), wash)
            cell.paste(face_strip.crop((40 * i, 0, 40 * i + 40, 40)), (6, 6))
            faces.paste(cell, (54 * i, 0))
        rows.append(enlarge(faces, 2))
    icon_row = Image.new("RGBA", (1600, 300), (255, 255, 255, 255))
    x = 10
    for im in app:
        f = max(1, min(8, 256 // im.width))
        big = enlarge(im, f)
        icon_row.alpha_composite(big, (x, 10))
        if f > 1:
            icon_row.alpha_composite(im, (x, 280 - im.height))
        x += big.width + 16
    rows.append(icon_row.convert("RGB"))
    for bg in ((255, 255, 255), (240, 240, 240), (32, 32, 32)):
        brow = Image.new("RGBA", (1600, 140), bg + (255,))
        x = 10
        for name, ims in buttons.items():
            for im in ims:
                brow.alpha_composite(enlarge(im, 4), (x, 4))
                brow.alpha_composite(im, (x, 134 - im.height))
                x += im.width * 4 + 10
            x += 20
        rows.append(brow.convert("RGB"))
    width = max(r.width for r in rows)
    height = sum(r.height + 12 for r in rows)
    sheet = Image.new("RGB", (width, height), (255, 255, 255))
    y = 0
    for r in rows:
        sheet.paste(r, (0, y))
        y += r.height + 12
    sheet.save(os.path.join(folder, "contact_sheet.png"))


# ---------------------------------------------------------------------------------------------

def main(argv):
    ap = argparse.ArgumentParser(description=__doc__)
    ap.add_argument("--out", default=RESOURCES, help="resource folder (default: the repo's)")
    ap.add_argument("--preview", metavar="DIR", help="also write PNG renderings to DIR")
    args = ap.parse_args(argv)

    strips = {size: make_toolbar(size) for size in TOOL_SIZES}
    for size, im in strips.items():
        check_strip(im, size)
    strip = strips[40]
    app = make_app_icon()
    buttons = {name: make_button_icon(fn) for name, fn in BUTTON_ICONS.items()}
    nodevice = make_nodevice()
    calib = make_calib_help()

    def write(name, data):
        with open(os.path.join(args.out, name), "wb") as f:
            f.write(data)

    for size, im in strips.items():
        write(TOOL_STRIP_FILES[size], bmp_bytes(im))
    write("nodevice.bmp", bmp_bytes(nodevice))
    write("calib_help.bmp", bmp_bytes(calib))
    write("app.ico", ico_bytes(app))
    for name, ims in buttons.items():
        write(name, ico_bytes(ims))

    for size in TOOL_SIZES:
        check_bmp(os.path.join(args.out, TOOL_STRIP_FILES[size]), size * len(TOOLS), size)
    check_bmp(os.path.join(args.out, "nodevice.bmp"), 600, 375)
    check_bmp(os.path.join(args.out, "calib_help.bmp"), 545, 307)
    check_ico(os.path.join(args.out, "app.ico"), [16, 24, 32, 48, 256])
    for name in buttons:
        check_ico(os.path.join(args.out, name), [24, 16, 32])

    if args.preview:
        write_previews(args.preview, strip, app, buttons, nodevice, calib)
        for size in TOOL_SIZES[1:]:
            strips[size].save(os.path.join(args.preview, "toolbar_%d.png" % size))
            on_face = strip_on_face(strips[size])
            enlarge(on_face, 2).save(os.path.join(args.preview, "toolbar_%d_on_face.png" % size))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
