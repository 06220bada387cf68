"""The program icon."""


from PIL import Image, ImageChops, ImageFilter

from drawing import *  # noqa: F401,F403 (the shared drawing kit)


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
