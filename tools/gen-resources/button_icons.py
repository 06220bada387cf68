"""The device-section button icons."""


from PIL import Image

from drawing import *  # noqa: F401,F403 (the shared drawing kit)


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
