"""The drawing kit every picture uses: colours, fonts, coverage masks, colour layers and the BMP and ICO writers."""

import io
import math
import os
import struct

from PIL import Image, ImageChops, ImageDraw, ImageFont


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
