#!/usr/bin/python3
# Draws the program's icons and bitmaps into resources/. Run by hand, commit the output:
#   apt-get install -y python3-pil fonts-dejavu-core
#   tools/gen-resources/gen_resources.py [--preview /tmp/vantix-art]
# --preview also writes PNG renderings and a contact sheet to that folder. Each kind of picture is
# drawn by a module of its own beside this one (tool_strip, app_icon, button_icons, splash,
# calib_help), with the shared kit in drawing.
# Output is deterministic: rerunning without changes reproduces the same files.
"""Generator of the program's pictures (icons, tool strip, splash and help bitmaps)."""

import argparse
import os
import struct
import sys

from PIL import Image

from drawing import *  # noqa: F401,F403
from tool_strip import *  # noqa: F401,F403
from app_icon import *  # noqa: F401,F403
from button_icons import *  # noqa: F401,F403
from splash import *  # noqa: F401,F403
from calib_help import *  # noqa: F401,F403


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
