"""The no-device picture with its synthetic micrographs."""

import math
import random

from PIL import Image, ImageChops, ImageDraw, ImageFilter

from drawing import *  # noqa: F401,F403 (the shared drawing kit)
from app_icon import draw_app_icon


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
