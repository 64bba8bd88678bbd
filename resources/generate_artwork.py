#!/usr/bin/python3
"""Draws every bitmap and icon of Zanderwick Demo.

Run with Debian's /usr/bin/python3 (python3-pil, fonts-liberation2 and
fonts-dejavu-core installed). The outputs are committed next to this script,
so building the program never needs it; run it again only to change the
artwork, then run check_artwork.py.

Positions that the program relies on (the scope view, the correlation
views, the MONO switch, the logo's click area, the toolbar buttons, the help
pages' flags and the credits' version line) are collected in the constants
below, the editor's read from editor/EditorLayout.h; everything else is free
design.

The editor's and the toolbar's pictures are drawn at every size that
resources/ResourceIds.h lists (ZOOM_SIZES), by the same code: it is written
in the pixels of the 100 % panel, and ZDraw, font() and smooth() turn those
into the pixels of the size being drawn, with fonts at the larger size and
every edge where the program's scaled layout puts it (a position v lands on
floor(v * zoom)). At 100 % they hand everything to the picture library
unchanged.
"""

import math
import os
import random
import struct
import sys

from PIL import Image, ImageDraw, ImageFont

from editor_layout import editor_layout, zooms

HERE = os.path.dirname(os.path.abspath(__file__))
BITMAP_DIR = os.path.join(HERE, "bitmaps")
ICON_DIR = os.path.join(HERE, "icons")

# ---------------------------------------------------------------------------
# Fixed positions (editor coordinates unless said otherwise; rectangles are
# left, top, right, bottom with right and bottom exclusive).

LAYOUT = editor_layout()
EDITOR_SIZE = LAYOUT["kPanelArea"][2:]
SCOPE_VIEW = LAYOUT["kScopeArea"]        # the program draws the dots here
RANGE_VIEW = LAYOUT["kRangeArea"]        # min..max band of the correlation
POINTER_VIEW = LAYOUT["kPointerArea"]    # the correlation pointer's strip
MONO_BUTTON = LAYOUT["kMonoButtonArea"]  # the MONO switch (one state shown)
LOGO_AREA = LAYOUT["kCreditsClickArea"]  # click here for the credits
VERSION_LINE = LAYOUT["kVersionLineArea"]  # on the credits: "Version 1.0"
BANDS_PANEL = LAYOUT["kBandsPanelArea"]  # the strip "Bands and history" adds
BAND_METERS = (("LOW", LAYOUT["kLowBandArea"]), ("MID", LAYOUT["kMidBandArea"]),
               ("HIGH", LAYOUT["kHighBandArea"]))
HISTORY_VIEW = LAYOUT["kHistoryArea"]    # the correlation over the last 10 s

# Columns where the views put -1, -0.2, 0, +0.2 and +1, relative to their
# own left edge.
RANGE_TICKS = (0, 68, 85, 102, 171)
POINTER_TICKS = (2, 70, 88, 105, 173)

SCOPE_SIZE = (SCOPE_VIEW[2] - SCOPE_VIEW[0], SCOPE_VIEW[3] - SCOPE_VIEW[1])
SCOPE_CENTRE = ((SCOPE_SIZE[0] - 1) // 2, (SCOPE_SIZE[1] - 1) // 2)
# The view maps +-1.6109737 onto its full width/height; one unit of side or
# mid is therefore about 40 pixels, and the loudest possible point (both
# channels at the peak) lies sqrt(2) units from the centre.
SCOPE_UNIT = 130 / (2 * 1.6109737)

TOOLBAR_SIZE = (670, 59)
TOOLBAR_BUTTONS = {"open": 5, "stop": 87, "play": 113, "help": 193}
TOOLBAR_BUTTON_TOP = 4
BUTTON_SIZE = (23, 22)

HELP_WIDTH = 600
HELP_HEIGHT = {"de": 1792, "en": 1790}
FLAG_UK = (409, 9, 466, 56)
FLAG_DE = (487, 9, 544, 56)

# Colours the program draws with; the artwork stays out of their way.
DOT_YELLOW = (255, 255, 0)
CORR_RED = (255, 0, 0)
CORR_YELLOW = (255, 255, 0)
CORR_GREEN = (0, 255, 0)
CAPTION_TEXT = (239, 239, 231)

# Our own palette.
PANEL_TOP = (44, 47, 52)
PANEL_BOTTOM = (27, 29, 33)
DISPLAY_BG = (9, 10, 12)
TEXT_LIGHT = (222, 225, 229)
TEXT_MID = (150, 156, 164)
TEXT_DIM = (104, 110, 118)
AMBER = (255, 170, 40)
AMBER_DIM = (150, 100, 30)
HIGHLIGHT = (78, 83, 90)
SHADOW = (10, 11, 13)

SS = 4  # supersampling factor for smooth shapes

# ---------------------------------------------------------------------------
# Sizes: the zoom being drawn, and where the picture being drawn starts on
# the panel (in 100 % pixels), so that its edges land where the panel's do.

ZOOMS = {percent: folder for percent, (folder, _) in zooms().items()}  # folder under bitmaps/
ZOOM = 1.0
ORIGIN = (0, 0)


def ex(v):
    """Column of the drawn picture where the 100 % column v starts."""
    return math.floor((ORIGIN[0] + v) * ZOOM) - math.floor(ORIGIN[0] * ZOOM)


def ey(v):
    return math.floor((ORIGIN[1] + v) * ZOOM) - math.floor(ORIGIN[1] * ZOOM)


def zsize(size):
    return ex(size[0]), ey(size[1])


class at_origin:
    """Draws a part of the panel that starts at (left, top) as a picture of
    its own."""

    def __init__(self, left, top):
        self.origin = (left, top)

    def __enter__(self):
        global ORIGIN
        self.saved, ORIGIN = ORIGIN, self.origin

    def __exit__(self, *_):
        global ORIGIN
        ORIGIN = self.saved


class ZFont:
    """A font drawn at the zoom whose lengths are measured at 100 %."""

    def __init__(self, real):
        self.real = real

    def getlength(self, text):
        return self.real.getlength(text) / ZOOM


class ZDraw:
    """ImageDraw.Draw taking 100 % coordinates: lines, points and boxes
    cover the pixels their 100 % pixels become, text is placed at the scaled
    position. At 100 % every call goes to the picture library as it is."""

    def __init__(self, img):
        self.d = ImageDraw.Draw(img)

    def box(self, l, t, r, b):
        """The pixels of the inclusive 100 % box l..r, t..b."""
        return [ex(l), ey(t), ex(r + 1) - 1, ey(b + 1) - 1]

    def line(self, xy, fill=None, width=1):
        if ZOOM == 1:
            return self.d.line(xy, fill=fill, width=width)
        (x0, y0), (x1, y1) = xy
        if x0 == x1 or y0 == y1:
            self.d.rectangle(self.box(min(x0, x1), min(y0, y1), max(x0, x1), max(y0, y1)),
                             fill=fill)
        else:
            self.d.line([(ex(x0 + 0.5), ey(y0 + 0.5)), (ex(x1 + 0.5), ey(y1 + 0.5))], fill=fill,
                        width=max(1, round(width * ZOOM)))

    def point(self, xy, fill=None):
        if ZOOM == 1:
            return self.d.point(xy, fill=fill)
        self.d.rectangle(self.box(xy[0], xy[1], xy[0], xy[1]), fill=fill)

    def rectangle(self, xy, fill=None, outline=None, width=1):
        if ZOOM == 1:
            return self.d.rectangle(xy, fill=fill, outline=outline, width=width)
        self.d.rectangle(self.box(*xy), fill=fill, outline=outline, width=int(width * ZOOM))

    def rounded_rectangle(self, xy, radius, fill=None, outline=None, width=1):
        if ZOOM == 1:
            return self.d.rounded_rectangle(xy, radius, fill=fill, outline=outline, width=width)
        self.d.rounded_rectangle(self.box(*xy), radius * ZOOM, fill=fill, outline=outline,
                                 width=int(width * ZOOM))

    def text(self, xy, txt, font=None, fill=None, anchor=None):
        if ZOOM == 1:
            return self.d.text(xy, txt, font=font, fill=fill, anchor=anchor)
        self.d.text(((ORIGIN[0] + xy[0]) * ZOOM - math.floor(ORIGIN[0] * ZOOM),
                     (ORIGIN[1] + xy[1]) * ZOOM - math.floor(ORIGIN[1] * ZOOM)),
                    txt, font=font.real, fill=fill, anchor=anchor)

# ---------------------------------------------------------------------------
# Fonts

FONT_FILES = {
    "sans": ["/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf",
             "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"],
    "bold": ["/usr/share/fonts/truetype/liberation2/LiberationSans-Bold.ttf",
             "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"],
    "italic": ["/usr/share/fonts/truetype/liberation2/LiberationSans-Italic.ttf",
               "/usr/share/fonts/truetype/dejavu/DejaVuSans-Oblique.ttf"],
    "mono": ["/usr/share/fonts/truetype/liberation2/LiberationMono-Regular.ttf",
             "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf"],
    "dvbold": ["/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"],
    "dvsans": ["/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"],
}
_font_cache = {}


def font(style, size):
    key = (style, size, ZOOM)
    if key not in _font_cache:
        for path in FONT_FILES[style]:
            if os.path.exists(path):
                if ZOOM == 1:
                    _font_cache[key] = ImageFont.truetype(path, size)
                else:
                    _font_cache[key] = ZFont(ImageFont.truetype(path, round(size * ZOOM)))
                break
        else:
            sys.exit("generate_artwork: no font for %s; install fonts-liberation2"
                     % style)
    return _font_cache[key]


# ---------------------------------------------------------------------------
# Drawing helpers


def mix(a, b, t):
    """Colour a moved by t (0..1) towards b."""
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(3))


def vgradient(img, rect, top, bottom):
    """Top to bottom over the 100 % rectangle."""
    l, t, r, b = ex(rect[0]), ey(rect[1]), ex(rect[2]), ey(rect[3])
    d = ImageDraw.Draw(img)
    h = max(1, b - t - 1)
    for y in range(t, b):
        d.line([(l, y), (r - 1, y)], fill=mix(top, bottom, (y - t) / h))


def brushed(img, rect, amount, seed):
    """Fine horizontal streaks, like brushed metal; deterministic."""
    rnd = random.Random(seed)
    l, t, r, b = ex(rect[0]), ey(rect[1]), ex(rect[2]), ey(rect[3])
    px = img.load()
    for y in range(t, b):
        row = rnd.uniform(-amount, amount)
        for x in range(l, r):
            n = row * 0.6 + rnd.uniform(-amount, amount) * 0.4
            c = px[x, y]
            px[x, y] = tuple(max(0, min(255, int(round(v + n)))) for v in c[:3])


def smooth(size, paint):
    """Runs paint(draw, s) on a transparent layer SS times larger than size
    (the drawn picture's) and returns it scaled down to size, with
    antialiased edges. paint multiplies its 100 % coordinates by s."""
    w, h = size
    layer = Image.new("RGBA", (w * SS, h * SS), (0, 0, 0, 0))
    paint(ImageDraw.Draw(layer), round(SS * ZOOM))
    return layer.convert("RGBa").resize((w, h), Image.BOX).convert("RGBA")


def overlay(img, layer, pos=(0, 0)):
    base = img.convert("RGBA")
    base.alpha_composite(layer, pos)
    img.paste(base.convert("RGB"))


def recess(d, rect, depth=2, shadow=SHADOW, light=HIGHLIGHT, inner=None):
    """Bevel around rect (outside it) that makes rect look sunk in."""
    l, t, r, b = rect
    for i in range(1, depth + 1):
        k = (i - 1) / max(1, depth)
        sh = mix(shadow, PANEL_BOTTOM, k * 0.5)
        hi = mix(light, PANEL_BOTTOM, k * 0.5)
        d.line([(l - i, t - i), (r - 1 + i, t - i)], fill=sh)
        d.line([(l - i, t - i), (l - i, b - 1 + i)], fill=sh)
        d.line([(l - i, b - 1 + i), (r - 1 + i, b - 1 + i)], fill=hi)
        d.line([(r - 1 + i, t - i), (r - 1 + i, b - 1 + i)], fill=hi)
    if inner is not None:
        d.rectangle([l - 1, t - 1, r, b], outline=inner)


def text_width(txt, f, spacing=0):
    if spacing == 0:
        return f.getlength(txt)
    return sum(f.getlength(ch) for ch in txt) + spacing * (len(txt) - 1)


def draw_text(d, xy, txt, f, fill, anchor="ls", spacing=0):
    """Text with optional letter spacing; anchor as in PIL (l/m/r + s/m)."""
    x, y = xy
    if spacing == 0:
        d.text((x, y), txt, font=f, fill=fill, anchor=anchor)
        return
    w = text_width(txt, f, spacing)
    if anchor[0] == "m":
        x -= w / 2
    elif anchor[0] == "r":
        x -= w
    for ch in txt:
        d.text((round(x), y), ch, font=f, fill=fill, anchor="l" + anchor[1])
        x += f.getlength(ch) + spacing


def screw(img, cx, cy, r=3.2):
    def paint(d, s):
        d.ellipse([(cx - r - 0.6) * s, (cy - r - 0.6) * s,
                   (cx + r + 0.6) * s, (cy + r + 0.6) * s], fill=(8, 9, 10, 200))
        d.ellipse([(cx - r) * s, (cy - r) * s, (cx + r) * s, (cy + r) * s],
                  fill=(88, 93, 100, 255))
        d.ellipse([(cx - r + 0.8) * s, (cy - r + 0.8) * s,
                   (cx + r - 0.5) * s, (cy + r - 0.5) * s], fill=(58, 62, 68, 255))
        w = 0.55 * s
        a = math.radians(30)
        dx, dy = math.cos(a) * (r - 0.9) * s, math.sin(a) * (r - 0.9) * s
        d.line([(cx * s - dx, cy * s - dy), (cx * s + dx, cy * s + dy)],
               fill=(22, 24, 27, 255), width=int(w * 2))
    overlay(img, smooth(img.size, paint))


# ---------------------------------------------------------------------------
# Scope picture (also used small on the help pages)


def draw_scope(size, centre, unit, labels=True, label_font=None):
    """Dark disc with the M axis vertical and the L and R diagonals.

    A left-only signal lands on the upper-left/lower-right diagonal, a
    right-only one on the upper-right/lower-left one, mono on the vertical,
    anti-phase on the horizontal.
    """
    w, h = size
    cx, cy = centre
    rim = math.sqrt(2) * unit + 1.5      # just outside the loudest point
    img = Image.new("RGB", zsize(size), DISPLAY_BG)

    def disc(d, s):
        steps = 24
        for i in range(steps):
            rr = rim * (1 - i / steps)
            c = mix((15, 17, 20), (24, 27, 31), i / steps)
            d.ellipse([(cx + 0.5 - rr) * s, (cy + 0.5 - rr) * s,
                       (cx + 0.5 + rr) * s, (cy + 0.5 + rr) * s], fill=c + (255,))
        d.ellipse([(cx + 0.5 - rim) * s, (cy + 0.5 - rim) * s,
                   (cx + 0.5 + rim) * s, (cy + 0.5 + rim) * s],
                  outline=(70, 76, 84, 255), width=s)
        # single-channel full scale
        ru = unit
        n = 48
        for i in range(n):
            a0 = 2 * math.pi * i / n
            a1 = a0 + 2 * math.pi / n * 0.5
            box = [(cx + 0.5 - ru) * s, (cy + 0.5 - ru) * s,
                   (cx + 0.5 + ru) * s, (cy + 0.5 + ru) * s]
            d.arc(box, math.degrees(a0), math.degrees(a1),
                  fill=(48, 53, 60, 255), width=s)
    overlay(img, smooth(img.size, disc))

    d = ZDraw(img)
    reach = int(rim)
    axis = (52, 57, 64)
    faint = (36, 40, 45)
    # side axis (anti-phase), faint
    d.line([(cx - reach + 1, cy), (cx + reach - 1, cy)], fill=faint)
    # diagonals: one step across is one step up
    diag = int(reach / math.sqrt(2))
    for k in range(-diag, diag + 1):
        d.point((cx + k, cy - k), fill=axis)
        d.point((cx + k, cy + k), fill=axis)
    # mid axis
    d.line([(cx, cy - reach + 1), (cx, cy + reach - 1)], fill=axis)
    # small ticks on the mid axis at each quarter unit
    for q in range(-5, 6):
        if q == 0:
            continue
        y = cy - round(q * unit * 0.25 * math.sqrt(2))
        if abs(y - cy) < reach - 2:
            d.line([(cx - 1, y), (cx + 1, y)], fill=axis)
    d.point((cx, cy), fill=(90, 96, 104))

    if labels:
        f = label_font or font("bold", 10)
        lab = (128, 135, 144)
        off = rim / math.sqrt(2) + 5.5
        draw_text(d, (cx - off - 1, cy - off + 1), "L", f, lab, anchor="mm")
        draw_text(d, (cx + off + 2, cy - off + 1), "R", f, lab, anchor="mm")
        draw_text(d, (cx + 6, cy - rim + 9), "M", f, lab, anchor="mm")
    return img


def scope_points(kind, count, seed):
    """(side, mid) points as the analysis would produce them for a demo
    signal: peak-normalised to the louder channel, rotated by 45 degrees."""
    rnd = random.Random(seed)
    left, right = [], []
    for i in range(count):
        t = i / count
        a = math.sin(2 * math.pi * 3 * t) * 0.8 + math.sin(2 * math.pi * 11 * t) * 0.2
        a += rnd.gauss(0, 0.03)
        if kind == "mono":
            l, r = a, a
        elif kind == "left":
            l, r = a, 0.0
        elif kind == "right":
            l, r = 0.0, a
        elif kind == "anti":
            l, r = a, -a
        else:  # wide stereo: partly shared, partly independent
            common = (rnd.random() + rnd.random() - 1) * 0.8
            l = common + (rnd.random() + rnd.random() - 1) * 0.6
            r = common + (rnd.random() + rnd.random() - 1) * 0.6
        left.append(l)
        right.append(r)
    peak = max(max(abs(v) for v in left), max(abs(v) for v in right)) or 1.0
    k = 0.70710677
    return [((r - l) / peak * k, (r + l) / peak * k) for l, r in zip(left, right)]


def scope_with_dots(kind, size, unit, seed):
    cx, cy = size[0] // 2, size[1] // 2
    img = draw_scope(size, (cx, cy), unit, labels=True, label_font=font("bold", 9))
    px = img.load()
    for s, m in scope_points(kind, 512, seed):
        x = int(cx + s * unit)
        y = int(cy - m * unit)
        if 0 <= x < size[0] and 0 <= y < size[1]:
            px[x, y] = DOT_YELLOW
    return img


# ---------------------------------------------------------------------------
# Editor pieces


def make_scope_background():
    with at_origin(*SCOPE_VIEW[:2]):
        return draw_scope(SCOPE_SIZE, SCOPE_CENTRE, SCOPE_UNIT)


def make_pointer_strip():
    with at_origin(*POINTER_VIEW[:2]):
        return draw_pointer_strip()


def draw_pointer_strip():
    w = POINTER_VIEW[2] - POINTER_VIEW[0]
    h = POINTER_VIEW[3] - POINTER_VIEW[1]
    img = Image.new("RGB", zsize((w, h)), DISPLAY_BG)
    d = ZDraw(img)
    # a faint guide line along the base of the pointer
    d.line([(POINTER_TICKS[0], h - 1), (POINTER_TICKS[-1], h - 1)], fill=(30, 33, 37))
    for i, x in enumerate(POINTER_TICKS):
        major = i in (0, 2, 4)
        d.line([(x, h - (5 if major else 3)), (x, h - 1)],
               fill=(74, 80, 88) if major else (52, 57, 63))
    return img


def make_range_bar():
    with at_origin(*RANGE_VIEW[:2]):
        return draw_range_bar()


def draw_range_bar():
    w = RANGE_VIEW[2] - RANGE_VIEW[0]
    h = RANGE_VIEW[3] - RANGE_VIEW[1]
    img = Image.new("RGB", zsize((w, h)), (20, 22, 25))
    d = ZDraw(img)
    d.line([(0, 0), (w - 1, 0)], fill=(14, 15, 17))
    for i, x in enumerate(RANGE_TICKS):
        major = i in (0, 2, 4)
        d.line([(x, 0), (x, h - 1)], fill=(70, 76, 84) if major else (48, 53, 59))
    return img


def draw_mono_state(lit):
    with at_origin(*MONO_BUTTON[:2]):
        return draw_mono_face(lit)


def draw_mono_face(lit):
    w = MONO_BUTTON[2] - MONO_BUTTON[0]
    h = MONO_BUTTON[3] - MONO_BUTTON[1]
    img = Image.new("RGB", zsize((w, h)))
    if lit:
        vgradient(img, (0, 0, w, h), (58, 50, 36), (40, 34, 26))
    else:
        vgradient(img, (0, 0, w, h), (62, 66, 72), (40, 43, 48))
    d = ZDraw(img)
    # raised edges
    d.line([(0, 0), (w - 1, 0)], fill=(110, 100, 80) if lit else (104, 110, 118))
    d.line([(0, 0), (0, h - 1)], fill=(84, 76, 62) if lit else (80, 85, 92))
    d.line([(0, h - 1), (w - 1, h - 1)], fill=(16, 14, 12) if lit else (16, 17, 19))
    d.line([(w - 1, 0), (w - 1, h - 1)], fill=(22, 20, 16) if lit else (22, 24, 27))
    # LED
    led_x, led_y = 8.5, h / 2

    def led(dd, s):
        if lit:
            for i in range(8, 0, -1):
                rr = 2.2 + i * 0.55
                a = int(70 * (1 - i / 8) ** 1.5) + 6
                dd.ellipse([(led_x - rr) * s, (led_y - rr) * s,
                            (led_x + rr) * s, (led_y + rr) * s],
                           fill=(255, 160, 30, a))
            dd.ellipse([(led_x - 2.6) * s, (led_y - 2.6) * s,
                        (led_x + 2.6) * s, (led_y + 2.6) * s], fill=(255, 176, 40, 255))
            dd.ellipse([(led_x - 1.3) * s, (led_y - 1.6) * s,
                        (led_x + 0.9) * s, (led_y + 0.4) * s], fill=(255, 236, 170, 255))
        else:
            dd.ellipse([(led_x - 3.0) * s, (led_y - 3.0) * s,
                        (led_x + 3.0) * s, (led_y + 3.0) * s], fill=(14, 15, 17, 255))
            dd.ellipse([(led_x - 2.4) * s, (led_y - 2.4) * s,
                        (led_x + 2.4) * s, (led_y + 2.4) * s], fill=(70, 52, 30, 255))
            dd.ellipse([(led_x - 1.2) * s, (led_y - 1.6) * s,
                        (led_x + 0.6) * s, (led_y + 0.0) * s], fill=(110, 88, 58, 255))
    overlay(img, smooth(img.size, led))
    d = ZDraw(img)
    f = font("bold", 9)
    tx = 28.5
    if lit:
        draw_text(d, (tx, h // 2 + 4), "MONO", f, (255, 200, 100), anchor="ms", spacing=0.4)
    else:
        draw_text(d, (tx, h // 2 + 5), "MONO", f, (8, 9, 10), anchor="ms", spacing=0.4)
        draw_text(d, (tx, h // 2 + 4), "MONO", f, (196, 201, 207), anchor="ms", spacing=0.4)
    return img


def make_mono_button():
    off, on = draw_mono_state(False), draw_mono_state(True)
    img = Image.new("RGB", (off.width, off.height * 2))
    img.paste(off, (0, 0))
    img.paste(on, (0, off.height))
    return img


def draw_emblem(img, cx, cy, rr, dots):
    """Our emblem: a scope disc with its axes and an upright stereo cloud."""
    def paint(d, s):
        d.ellipse([(cx - rr - 1.5) * s, (cy - rr - 1.5) * s,
                   (cx + rr + 1.5) * s, (cy + rr + 1.5) * s], fill=(4, 5, 6, 255))
        d.ellipse([(cx - rr) * s, (cy - rr) * s, (cx + rr) * s, (cy + rr) * s],
                  fill=(22, 25, 29, 255), outline=(110, 116, 124, 255), width=s)
        ax = (60, 65, 72, 255)
        d.line([(cx * s, (cy - rr + 2) * s), (cx * s, (cy + rr - 2) * s)], fill=ax, width=s)
        q = (rr - 3) / math.sqrt(2)
        d.line([((cx - q) * s, (cy - q) * s), ((cx + q) * s, (cy + q) * s)], fill=ax, width=s)
        d.line([((cx + q) * s, (cy - q) * s), ((cx - q) * s, (cy + q) * s)], fill=ax, width=s)
        rnd = random.Random(7)
        dot = max(0.45, rr / 34)
        for _ in range(dots):
            a = rnd.gauss(0, 0.42)
            b = rnd.gauss(0, 0.15)
            x = cx + (a * math.sin(math.radians(12)) + b) * rr
            y = cy - a * math.cos(math.radians(12)) * rr
            if (x - cx) ** 2 + (y - cy) ** 2 < (rr - 2) ** 2:
                d.ellipse([(x - dot) * s, (y - dot) * s, (x + dot) * s, (y + dot) * s],
                          fill=(255, 232, 40, 255))
    overlay(img, smooth(img.size, paint))


def draw_logo(img, rect):
    """Emblem and name inside the area that opens the credits."""
    l, t, r, b = rect
    cy = (t + b) / 2
    draw_emblem(img, l + 10.5, cy, 9.5, 45)
    d = ZDraw(img)
    f = font("bold", 8)
    x0 = l + 23
    assert x0 + text_width("ZANDER", f, 0.5) <= r - 1
    draw_text(d, (x0, cy - 1), "ZANDER", f, TEXT_LIGHT, anchor="ls", spacing=0.5)
    draw_text(d, (x0, cy + 8), "WICK", f, AMBER, anchor="ls", spacing=0.5)


def make_editor_background(debug=False):
    w, h = EDITOR_SIZE
    img = Image.new("RGB", zsize((w, h)))
    vgradient(img, (0, 0, w, h), PANEL_TOP, PANEL_BOTTOM)
    brushed(img, (0, 0, w, h), 2.0, 101)
    d = ZDraw(img)
    # outer edge
    d.line([(0, 0), (w - 1, 0)], fill=(92, 97, 104))
    d.line([(0, 0), (0, h - 1)], fill=(70, 74, 80))
    d.line([(0, h - 1), (w - 1, h - 1)], fill=(8, 9, 10))
    d.line([(w - 1, 0), (w - 1, h - 1)], fill=(12, 13, 15))

    # title
    draw_text(d, (w // 2, 22), "ZANDERWICK", font("bold", 14), (0, 0, 0),
              anchor="ms", spacing=2.2)
    draw_text(d, (w // 2, 21), "ZANDERWICK", font("bold", 14), TEXT_LIGHT,
              anchor="ms", spacing=2.2)
    sub = "STEREO  SCOPE"
    draw_text(d, (w // 2, 36), sub, font("bold", 9), AMBER, anchor="ms", spacing=1.6)
    sw = text_width(sub, font("bold", 9), 1.6)
    for side in (-1, 1):
        x0 = w // 2 + side * (sw / 2 + 6)
        x1 = w // 2 + side * (sw / 2 + 40)
        d.line([(x0, 32), (x1, 32)], fill=(20, 21, 24))
        d.line([(x0, 33), (x1, 33)], fill=(70, 75, 82))

    # display window: the scope and the meter share one dark glass
    glass = (14, 44, 206, 227)
    d.rounded_rectangle([glass[0] - 1, glass[1] - 1, glass[2], glass[3]], 5,
                        fill=(62, 66, 72))
    d.rounded_rectangle([glass[0] - 1, glass[1] - 1, glass[2] - 1, glass[3] - 1], 5,
                        fill=(6, 7, 8))
    d.rounded_rectangle([glass[0], glass[1], glass[2] - 1, glass[3] - 1], 4,
                        fill=(17, 19, 22))
    # scope bezel
    l, t, r, b = SCOPE_VIEW
    d.rectangle([l - 3, t - 3, r + 2, b + 2], fill=(30, 33, 37))
    d.rectangle([l - 2, t - 2, r + 1, b + 1], fill=(4, 5, 6))
    d.rectangle([l - 1, t - 1, r, b], fill=(0, 0, 0))
    d.rectangle([l, t, r - 1, b - 1], fill=DISPLAY_BG)

    # correlation scale
    fnum = font("bold", 9)
    bx = RANGE_VIEW[0]
    px0 = POINTER_VIEW[0]
    for i, col in enumerate(RANGE_TICKS):
        x = bx + col
        major = i in (0, 2, 4)
        d.line([(x, 201 if major else 203), (x, 204)],
               fill=(120, 127, 136) if major else (84, 90, 98))
    for i, col in enumerate(POINTER_TICKS):
        x = px0 + col
        major = i in (0, 2, 4)
        d.line([(x, 221), (x, 223 if major else 222)],
               fill=(120, 127, 136) if major else (84, 90, 98))
    labels = {0: "\u22121", 2: "0", 4: "+1"}
    for i, txt in labels.items():
        x = bx + RANGE_TICKS[i]
        d.text((x + (1 if i == 0 else 0), 199), txt, font=fnum, fill=TEXT_MID, anchor="ms")
    # colour zones between bar and pointer: red, yellow, green, dimmed
    z0, zm1, zp1, z1 = (bx + c for c in (RANGE_TICKS[0], RANGE_TICKS[1],
                                         RANGE_TICKS[3], RANGE_TICKS[4]))
    d.line([(z0, 210), (zm1 - 1, 210)], fill=(120, 30, 26))
    d.line([(zm1 + 1, 210), (zp1 - 1, 210)], fill=(120, 112, 28))
    d.line([(zp1 + 1, 210), (z1, 210)], fill=(30, 110, 40))
    # the views themselves are drawn by the program; keep them dark here too
    for rect in (RANGE_VIEW, POINTER_VIEW):
        d.rectangle([rect[0], rect[1], rect[2] - 1, rect[3] - 1], fill=DISPLAY_BG)

    # MONO recess
    l, t, r, b = MONO_BUTTON
    d.rounded_rectangle([l - 3, t - 3, r + 2, b + 2], 2, fill=(14, 15, 17))
    recess(d, MONO_BUTTON, depth=2)
    d.rectangle([l, t, r - 1, b - 1], fill=(40, 43, 48))
    img.paste(draw_mono_state(False), (ex(l), ey(t)))

    # name of the meter and how to clear its range, left of the switch
    draw_text(d, (14, 240), "CORRELATION", font("dvbold", 7), TEXT_MID, anchor="ls",
              spacing=0.6)
    draw_text(d, (14, 250), "click bar to reset", font("dvsans", 8), TEXT_DIM, anchor="ls")

    # logo in the credits area
    draw_logo(img, LOGO_AREA)

    for cx, cy in ((6, 6), (w - 7, 6), (6, h - 7), (w - 7, h - 7)):
        screw(img, cx, cy)

    if debug:
        dd = ZDraw(img)
        for rect, col in ((SCOPE_VIEW, (255, 0, 255)), (RANGE_VIEW, (0, 255, 255)),
                          (POINTER_VIEW, (0, 255, 255)), (MONO_BUTTON, (255, 0, 255)),
                          (LOGO_AREA, (0, 128, 255))):
            dd.rectangle([rect[0], rect[1], rect[2] - 1, rect[3] - 1], outline=col)
    return img


def make_bands_background():
    """The strip below the panel: three band meters, each -1 .. +1 left to
    right over its dimmed colour zones, and the history, +1 at the top."""
    l, t, r, b = BANDS_PANEL
    w, h = r - l, b - t
    with at_origin(l, t):
        img = Image.new("RGB", zsize((w, h)))
        vgradient(img, (0, 0, w, h), PANEL_BOTTOM, (22, 24, 27))
        brushed(img, (0, 0, w, h), 2.0, 115)
        d = ZDraw(img)
        d.line([(0, 0), (w - 1, 0)], fill=(70, 75, 82))
        d.line([(0, 0), (0, h - 1)], fill=(70, 74, 80))
        d.line([(0, h - 1), (w - 1, h - 1)], fill=(8, 9, 10))
        d.line([(w - 1, 0), (w - 1, h - 1)], fill=(12, 13, 15))
        zones = ((-1.0, -0.2, (72, 22, 20)), (-0.2, 0.2, (72, 68, 20)),
                 (0.2, 1.0, (20, 66, 28)))
        for name, (ml, mt, mr, mb) in BAND_METERS:
            ml, mt, mr, mb = ml - l, mt - t, mr - l, mb - t
            draw_text(d, (14, mb), name, font("dvbold", 7), TEXT_MID, anchor="ls", spacing=0.6)
            recess(d, (ml, mt, mr, mb), depth=1)
            span = mr - ml - 1
            for low, high, colour in zones:
                x0 = ml + int((low + 1) / 2 * span + 0.5)
                x1 = ml + int((high + 1) / 2 * span + 0.5)
                d.rectangle([x0, mt, x1, mb - 1], fill=colour)
            d.line([(ml + span // 2, mt), (ml + span // 2, mb - 1)], fill=(110, 116, 124))
        hl, ht, hr, hb = (HISTORY_VIEW[0] - l, HISTORY_VIEW[1] - t, HISTORY_VIEW[2] - l,
                          HISTORY_VIEW[3] - t)
        recess(d, (hl, ht, hr, hb), depth=2)
        d.rectangle([hl, ht, hr - 1, hb - 1], fill=DISPLAY_BG)
        rows = hb - ht - 1
        for value, colour in ((0.2, (24, 50, 28)), (0.0, (44, 48, 54)), (-0.2, (56, 24, 22))):
            y = ht + int((1 - value) / 2 * rows)
            d.line([(hl, y), (hr - 1, y)], fill=colour)
        f = font("dvsans", 7)
        draw_text(d, (hl, h - 2), "\u221210 s", f, TEXT_DIM, anchor="ls")
        draw_text(d, (hr, h - 2), "now", f, TEXT_DIM, anchor="rs")
    return img


def make_credits():
    w, h = EDITOR_SIZE
    img = Image.new("RGB", zsize((w, h)))
    vgradient(img, (0, 0, w, h), (26, 28, 32), (12, 13, 15))
    d = ZDraw(img)
    d.rectangle([0, 0, w - 1, h - 1], outline=(70, 75, 82))
    d.rectangle([1, 1, w - 2, h - 2], outline=(8, 9, 10))

    # emblem on the left of the title block
    draw_emblem(img, 27.5, 34.5, 17, 140)
    d = ZDraw(img)
    draw_text(d, (52, 26), "Zanderwick Demo", font("bold", 15), TEXT_LIGHT, anchor="ls")
    draw_text(d, (53, 38), "STEREO SCOPE", font("bold", 8), AMBER, anchor="ls", spacing=1.5)
    # (52,42)-(202,54) stays plain: the version line is written there.

    d.line([(14, 62), (w - 15, 62)], fill=(6, 7, 8))
    d.line([(14, 63), (w - 15, 63)], fill=(52, 56, 62))

    y = 82
    f_head = font("bold", 8)
    f_body = font("sans", 10)
    f_body_b = font("bold", 10)
    blocks = [
        ("GONIOMETER AND CORRELATION METER", ["Stereo analysis in real time,",
                                              "built into a tiny WAV player."]),
        ("DESIGN AND CODE", ["The Zanderwick workshop"]),
        ("SOUNDS", ["Quillomara test recordings"]),
        ("THANKS", ["to everyone who still checks", "their mixes in mono."]),
    ]
    for head, lines in blocks:
        draw_text(d, (w // 2, y), head, f_head, AMBER_DIM, anchor="ms", spacing=1.2)
        y += 13
        for i, line in enumerate(lines):
            d.text((w // 2, y), line, font=f_body_b if i == 0 and len(lines) == 1 else f_body,
                   fill=(206, 210, 215), anchor="ms")
            y += 13
        y += 9

    d.line([(60, 236), (w - 61, 236)], fill=(44, 48, 53))
    draw_text(d, (w // 2, 249), "click anywhere to close", font("italic", 9), TEXT_DIM,
              anchor="ms")
    return img


# ---------------------------------------------------------------------------
# Toolbar


def button_face(pressed, glyph, lit_colour):
    w, h = BUTTON_SIZE
    img = Image.new("RGB", zsize((w, h)))
    if pressed:
        vgradient(img, (0, 0, w, h), (22, 24, 27), (34, 37, 41))
    else:
        vgradient(img, (0, 0, w, h), (72, 77, 84), (44, 47, 52))
    d = ZDraw(img)
    if pressed:
        d.line([(0, 0), (w - 1, 0)], fill=(6, 6, 7))
        d.line([(0, 0), (0, h - 1)], fill=(6, 6, 7))
        d.line([(1, 1), (w - 2, 1)], fill=(14, 15, 17))
        d.line([(1, 1), (1, h - 2)], fill=(14, 15, 17))
        d.line([(0, h - 1), (w - 1, h - 1)], fill=(70, 75, 82))
        d.line([(w - 1, 0), (w - 1, h - 1)], fill=(62, 66, 72))
    else:
        d.line([(0, 0), (w - 1, 0)], fill=(122, 128, 136))
        d.line([(0, 0), (0, h - 1)], fill=(96, 102, 110))
        d.line([(0, h - 1), (w - 1, h - 1)], fill=(10, 11, 12))
        d.line([(w - 1, 0), (w - 1, h - 1)], fill=(16, 17, 19))
    colour = lit_colour if pressed else (208, 212, 218)
    off = 1 if pressed else 0
    if pressed:
        overlay(img, smooth(img.size, lambda dd, s: glyph(dd, s, off, lit_colour + (70,), 1.4)))
    else:
        overlay(img, smooth(img.size, lambda dd, s: glyph(dd, s, off + 0.6, (0, 0, 0, 150), 0)))
    overlay(img, smooth(img.size, lambda dd, s: glyph(dd, s, off, colour + (255,), 0)))
    return img


def glyph_play(d, s, off, col, grow):
    cx, cy = 11.5 + off, 11 + off
    g = grow
    d.polygon([((cx - 4 - g) * s, (cy - 5.5 - g) * s), ((cx + 5.5 + g) * s, cy * s),
               ((cx - 4 - g) * s, (cy + 5.5 + g) * s)], fill=col)


def glyph_stop(d, s, off, col, grow):
    cx, cy = 11.5 + off, 11 + off
    r = 4.5 + grow
    d.rounded_rectangle([(cx - r) * s, (cy - r) * s, (cx + r) * s, (cy + r) * s],
                        radius=s, fill=col)


def glyph_open(d, s, off, col, grow):
    ox, oy = 3.5 + off, 5 + off
    g = grow
    # folder back with tab
    d.polygon([((ox - g) * s, (oy + 1 - g) * s), ((ox + 5) * s, (oy + 1 - g) * s),
               ((ox + 6.5) * s, (oy + 3 - g) * s), ((ox + 14 + g) * s, (oy + 3 - g) * s),
               ((ox + 14 + g) * s, (oy + 6) * s), ((ox - g) * s, (oy + 6) * s)], fill=col)
    # front flap, slanted open
    d.polygon([((ox + 2 - g) * s, (oy + 7) * s), ((ox + 16 + g) * s, (oy + 7) * s),
               ((ox + 13.5 + g) * s, (oy + 13 + g) * s), ((ox - g) * s, (oy + 13 + g) * s)],
              fill=col)
    d.polygon([((ox - g) * s, (oy + 6) * s), ((ox + 1) * s, (oy + 6) * s),
               ((ox + 1) * s, (oy + 13 + g) * s), ((ox - g) * s, (oy + 13 + g) * s)], fill=col)


def glyph_help(d, s, off, col, grow):
    cx, cy = 11.5 + off, 11 + off
    g = grow
    f = ImageFont.truetype(FONT_FILES["bold"][0], int((16 + 2 * g) * s))
    d.text((cx * s, (cy + 0.5) * s), "?", font=f, fill=col, anchor="mm")


BUTTONS = {
    108: ("play", glyph_play, (90, 255, 110)),
    109: ("stop", glyph_stop, (255, 176, 50)),
    110: ("open", glyph_open, (255, 200, 90)),
    111: ("help", glyph_help, (120, 190, 255)),
}


def make_button(bid):
    _, glyph, lit = BUTTONS[bid]
    normal, pressed = button_face(False, glyph, lit), button_face(True, glyph, lit)
    img = Image.new("RGB", (normal.width, normal.height * 2))
    img.paste(normal, (0, 0))
    img.paste(pressed, (0, normal.height))
    return img


def make_toolbar(debug=False):
    w, h = TOOLBAR_SIZE
    img = Image.new("RGB", zsize((w, h)))
    bar_h = 31
    vgradient(img, (0, 0, w, bar_h), (58, 62, 68), (36, 39, 44))
    vgradient(img, (0, bar_h, w, h), (36, 39, 44), (30, 32, 36))
    brushed(img, (0, 0, w, h), 2.2, 112)
    d = ZDraw(img)
    d.line([(0, 0), (w - 1, 0)], fill=(100, 106, 114))
    d.line([(0, bar_h - 2), (w - 1, bar_h - 2)], fill=(20, 22, 25))
    d.line([(0, bar_h - 1), (w - 1, bar_h - 1)], fill=(6, 7, 8))
    bw, bh = BUTTON_SIZE
    t = TOOLBAR_BUTTON_TOP
    for x in TOOLBAR_BUTTONS.values():
        d.rectangle([x - 2, t - 2, x + bw + 1, t + bh + 1], fill=(20, 22, 25))
        recess(d, (x, t, x + bw, t + bh), depth=1, shadow=(8, 9, 10),
               light=(84, 90, 97))
    # engraved separators between the groups
    for x in (58, 165):
        d.line([(x, 6), (x, 24)], fill=(22, 24, 27))
        d.line([(x + 1, 6), (x + 1, 24)], fill=(80, 85, 92))
    # Only the left part of the strip shows in the window; the rest stays plain.
    if debug:
        for x in TOOLBAR_BUTTONS.values():
            d.rectangle([x, t, x + bw - 1, t + bh - 1], outline=(255, 0, 255))
    return img


# ---------------------------------------------------------------------------
# Icons: classic DIB entries (BITMAPINFOHEADER, 32-bit BGRA, 1-bit AND mask)


def icon_image(size):
    s = size
    k = s / 32.0

    def paint(d, ss):
        # rounded dark tile
        d.rounded_rectangle([0.5 * ss, 0.5 * ss, (s - 0.5) * ss, (s - 0.5) * ss],
                            radius=5 * k * ss, fill=(34, 37, 42, 255),
                            outline=(110, 116, 124, 255), width=max(1, int(ss * k)))
        cx = cy = s / 2
        rr = 12.2 * k
        d.ellipse([(cx - rr) * ss, (cy - rr) * ss, (cx + rr) * ss, (cy + rr) * ss],
                  fill=(10, 11, 13, 255), outline=(150, 156, 164, 255),
                  width=max(1, int(ss * k * 1.2)))
        lw = max(1, int(ss * k * 0.9))
        ax = (70, 76, 84, 255)
        d.line([(cx * ss, (cy - rr + 1.5 * k) * ss), (cx * ss, (cy + rr - 1.5 * k) * ss)],
               fill=ax, width=lw)
        q = (rr - 2 * k) / math.sqrt(2)
        d.line([((cx - q) * ss, (cy - q) * ss), ((cx + q) * ss, (cy + q) * ss)], fill=ax, width=lw)
        d.line([((cx + q) * ss, (cy - q) * ss), ((cx - q) * ss, (cy + q) * ss)], fill=ax, width=lw)
        # an upright stereo cloud, as the scope shows it: a bright core
        # along a slightly leaning mid axis with loose dots around it
        lean = math.radians(8)
        h = (rr - 3 * k) * 0.95
        if s < 32:
            d.rectangle([7 * ss, 4 * ss, 9 * ss - 1, 12 * ss - 1], fill=(255, 232, 30, 255))
            for x, y in ((5, 6), (10, 9), (5, 10), (10, 5)):
                d.rectangle([x * ss, y * ss, (x + 1) * ss - 1, (y + 1) * ss - 1],
                            fill=(255, 232, 30, 190))
        else:
            d.line([((cx - math.sin(lean) * h) * ss, (cy + math.cos(lean) * h) * ss),
                    ((cx + math.sin(lean) * h) * ss, (cy - math.cos(lean) * h) * ss)],
                   fill=(255, 232, 30, 255), width=int(1.3 * ss))
            rnd = random.Random(5)
            for _ in range(40):
                a = max(-0.95, min(0.95, rnd.gauss(0, 0.45)))
                b = rnd.gauss(0, 0.22)
                x = cx + (a * math.sin(lean) + b) * h
                y = cy - a * math.cos(lean) * h
                d.rectangle([round(x) * ss, round(y) * ss, (round(x) + 1) * ss - 1,
                             (round(y) + 1) * ss - 1], fill=(255, 232, 30, 255))
    return smooth((s, s), paint)


def ico_entry(img):
    w, h = img.size
    px = img.load()
    xor = bytearray()
    for y in range(h - 1, -1, -1):          # bottom-up rows
        for x in range(w):
            r, g, b, a = px[x, y]
            xor += bytes((b, g, r, a))
    mask_row = ((w + 31) // 32) * 4
    mask = bytearray()
    for y in range(h - 1, -1, -1):
        row = bytearray(mask_row)
        for x in range(w):
            if px[x, y][3] < 128:
                row[x // 8] |= 0x80 >> (x % 8)
        mask += row
    header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0,
                         len(xor) + len(mask), 0, 0, 0, 0)
    return header + bytes(xor) + bytes(mask)


def write_ico(path, images):
    entries = [ico_entry(im) for im in images]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for im, data in zip(images, entries):
        w, h = im.size
        out += struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    out += b"".join(entries)
    with open(path, "wb") as f:
        f.write(out)


# ---------------------------------------------------------------------------
# Help pages

# ---------------------------------------------------------------------------
# Help pages: 600 pixels wide, German and English, with the language flags
# at the top right. The texts live in help_text.py.

from help_text import PAGES  # noqa: E402

HELP_BG = (23, 25, 29)
HELP_HEADER_BG = (35, 38, 43)
HELP_TEXT = (212, 215, 220)
HELP_STRONG = (246, 247, 249)
HELP_CODE = (140, 200, 240)
HELP_MUTED = (140, 146, 154)
HELP_RULE = (52, 56, 62)
HELP_MARGIN = 30
HELP_BODY = 13
HELP_LINE = 19
HELP_HEADER_H = 84
HELP_FOOTER_H = 46


def union_jack(size):
    """British flag stretched over size, supersampled pixel by pixel."""
    w, h = size
    img = Image.new("RGB", size)
    px = img.load()
    blue, red, white = (1, 33, 105), (200, 16, 46), (255, 255, 255)
    root5 = math.sqrt(5)

    def colour(u, v):
        if abs(u - 30) < 3 or abs(v - 15) < 3:
            return red
        if abs(u - 30) < 5 or abs(v - 15) < 5:
            return white
        left, top = u < 30, v < 15
        if left == top:      # upper hoist / lower fly: the (0,0)-(60,30) diagonal
            dd = (u - 2 * v) / root5
            red_band = (-2 < dd < 0) if left else (0 < dd < 2)
        else:                # lower hoist / upper fly
            dd = (u + 2 * v - 60) / root5
            red_band = (0 < dd < 2) if left else (-2 < dd < 0)
        if red_band:
            return red
        if abs(dd) < 3:
            return white
        return blue

    n = 4
    for y in range(h):
        for x in range(w):
            acc = [0, 0, 0]
            for j in range(n):
                for i in range(n):
                    c = colour((x + (i + 0.5) / n) / w * 60, (y + (j + 0.5) / n) / h * 30)
                    acc[0] += c[0]
                    acc[1] += c[1]
                    acc[2] += c[2]
            px[x, y] = tuple(int(round(a / (n * n))) for a in acc)
    return img


def german_flag(size):
    w, h = size
    img = Image.new("RGB", size)
    d = ImageDraw.Draw(img)
    bands = [(0, 0, 0), (221, 0, 0), (255, 206, 0)]
    for i, c in enumerate(bands):
        d.rectangle([0, round(i * h / 3), w - 1, round((i + 1) * h / 3) - 1], fill=c)
    return img


def dimmed(img, bg):
    grey = img.convert("L").convert("RGB")
    half = Image.blend(img, grey, 0.6)
    return Image.blend(half, Image.new("RGB", img.size, bg), 0.6)


def draw_flag(page, rect, flag, bright):
    l, t, r, b = rect
    inner = flag((r - l - 2, b - t - 2))
    if not bright:
        inner = dimmed(inner, HELP_HEADER_BG)
    d = ImageDraw.Draw(page)
    d.rectangle([l, t, r - 1, b - 1], outline=(200, 204, 210) if bright else (70, 74, 80))
    page.paste(inner, (l + 1, t + 1))


def parse_rich(text):
    """Words of a paragraph with their styles: *bold*, `code`, plain."""
    words = []
    style = "sans"
    buf = ""
    space = False

    def flush():
        nonlocal buf, space
        parts = buf.split(" ")
        for i, part in enumerate(parts):
            if i > 0:
                space = True
            if part:
                words.append((part, style, space))
                space = False
        buf = ""

    for ch in text:
        if ch == "*":
            flush()
            style = "sans" if style == "bold" else "bold"
        elif ch == "`":
            flush()
            style = "sans" if style == "mono" else "mono"
        else:
            buf += ch
    flush()
    return words


def rich_font(style, size=HELP_BODY):
    return font(style, size - 1 if style == "mono" else size)


def rich_lines(text, width, size=HELP_BODY):
    lines, line, x = [], [], 0.0
    space_w = rich_font("sans", size).getlength(" ")
    for word, style, space in parse_rich(text):
        ww = rich_font(style, size).getlength(word)
        gap = space_w if (space and line) else 0
        if line and x + gap + ww > width:
            lines.append(line)
            line, x, gap = [], 0.0, 0
        line.append((x + gap, word, style))
        x += gap + ww
    if line:
        lines.append(line)
    return lines


def draw_rich(d, x, y, text, width, size=HELP_BODY, line_h=HELP_LINE, colour=HELP_TEXT):
    """Draws a wrapped paragraph whose first baseline is y + size; returns its height."""
    lines = rich_lines(text, width, size)
    if d is not None:
        for n, line in enumerate(lines):
            base = y + size + n * line_h
            for lx, word, style in line:
                fill = {"bold": HELP_STRONG, "mono": HELP_CODE}.get(style, colour)
                d.text((round(x + lx), base), word, font=rich_font(style, size),
                       fill=fill, anchor="ls")
    return len(lines) * line_h


class HelpPage:
    def __init__(self, page, width, height, lang, helpers):
        self.page = page
        self.width = width
        self.height = height
        self.lang = lang
        self.helpers = helpers
        self.text_w = width - 2 * HELP_MARGIN

    # Each block draws itself at y when img is given and returns its height.

    def block_p(self, img, y, text):
        d = ImageDraw.Draw(img) if img else None
        return draw_rich(d, HELP_MARGIN, y, text, self.text_w) + 8

    def block_intro(self, img, y, text):
        d = ImageDraw.Draw(img) if img else None
        return draw_rich(d, HELP_MARGIN, y, text, self.text_w, size=14, line_h=21) + 8

    def block_note(self, img, y, text):
        d = ImageDraw.Draw(img) if img else None
        return draw_rich(d, HELP_MARGIN, y, text, self.text_w, size=12, line_h=17,
                         colour=HELP_MUTED) + 4

    def block_h(self, img, y, text):
        if img:
            d = ImageDraw.Draw(img)
            d.line([(HELP_MARGIN, y), (self.width - HELP_MARGIN - 1, y)], fill=HELP_RULE)
            d.rectangle([HELP_MARGIN, y + 11, HELP_MARGIN + 3, y + 25], fill=AMBER)
            d.text((HELP_MARGIN + 11, y + 24), text, font=font("bold", 17), fill=AMBER,
                   anchor="ls")
        return 34

    def block_scopes(self, img, y, entries):
        n = len(entries)
        size = 84
        pitch = self.text_w / n
        if img:
            d = ImageDraw.Draw(img)
            for i, (kind, title, caption) in enumerate(entries):
                cx = HELP_MARGIN + pitch * (i + 0.5)
                x = round(cx - size / 2)
                pic = self.helpers["scope"](kind, (size, size), 24.0, 11 + i)
                d.rectangle([x - 1, y - 1, x + size, y + size], outline=(58, 62, 68))
                img.paste(pic, (x, y))
                d.text((cx, y + size + 16), title, font=font("bold", 12), fill=HELP_STRONG,
                       anchor="ms")
                d.text((cx, y + size + 30), caption, font=font("sans", 11), fill=HELP_MUTED,
                       anchor="ms")
        return size + 40

    def block_meter(self, img, y, labels):
        """An enlarged copy of the editor's meter: range bar over pointer."""
        h = 70
        if not img:
            return h + 8
        d = ImageDraw.Draw(img)
        x0 = HELP_MARGIN + 96
        x1 = self.width - HELP_MARGIN - 24
        panel = (HELP_MARGIN, y, self.width - HELP_MARGIN, y + h)
        d.rounded_rectangle([panel[0], panel[1], panel[2] - 1, panel[3] - 1], 6,
                            fill=(12, 13, 15), outline=(58, 62, 68))

        def col(v):
            return x0 + (v + 1) / 2 * (x1 - x0)
        bar_t, bar_b = y + 14, y + 21
        ptr_t, ptr_b = y + 27, y + 42
        d.rectangle([x0, bar_t, x1, bar_b - 1], fill=(24, 26, 30))
        lo, hi, now = -0.45, 0.62, 0.38
        d.rectangle([col(lo), bar_t, col(hi), bar_b - 1], fill=CORR_YELLOW)
        d.rectangle([col(lo), bar_t, col(-0.2), bar_b - 1], fill=CORR_RED)
        d.rectangle([col(0.2), bar_t, col(hi), bar_b - 1], fill=CORR_GREEN)
        px_now = col(now)
        overlay(img, smooth(img.size, lambda dd, s: dd.polygon(
            [(px_now * s, ptr_t * s), ((px_now + 7) * s, ptr_b * s),
             ((px_now - 7) * s, ptr_b * s)], fill=CORR_GREEN + (255,))))
        d = ImageDraw.Draw(img)
        for i, v in enumerate((-1, -0.2, 0, 0.2, 1)):
            x = round(col(v))
            major = i in (0, 2, 4)
            d.line([(x, ptr_b + 3), (x, ptr_b + (9 if major else 6))],
                   fill=(150, 156, 164) if major else (100, 106, 114))
            d.text((x, ptr_b + 24), labels["ticks"][i], font=font("bold" if major else "sans", 12),
                   fill=HELP_TEXT if major else HELP_MUTED, anchor="ms")
        d.text((HELP_MARGIN + 14, bar_b - 1), labels["range"], font=font("sans", 12),
               fill=HELP_MUTED, anchor="ls")
        d.text((HELP_MARGIN + 14, ptr_b - 3), labels["pointer"], font=font("sans", 12),
               fill=HELP_MUTED, anchor="ls")
        return h + 8

    def _rows(self, img, y, rows, label_w, icon):
        """Definition rows: icon, bold label, wrapped text."""
        total = 0
        d = ImageDraw.Draw(img) if img else None
        for n, row in enumerate(rows):
            key, label, text = row
            tx = HELP_MARGIN + label_w
            hgt = max(draw_rich(None, tx, 0, text, self.width - HELP_MARGIN - tx), 22)
            if img:
                icon(img, d, key, HELP_MARGIN, y + total, label)
                d = ImageDraw.Draw(img)
                draw_rich(d, tx, y + total + 1, text, self.width - HELP_MARGIN - tx)
            total += hgt + 5
        return total + 4

    def block_colours(self, img, y, rows):
        colours = {"green": CORR_GREEN, "yellow": CORR_YELLOW, "red": CORR_RED}

        def icon(img, d, key, x, yy, label):
            c = colours[key]
            overlay(img, smooth(img.size, lambda dd, s: dd.polygon(
                [((x + 12) * s, (yy + 3) * s), ((x + 19) * s, (yy + 16) * s),
                 ((x + 5) * s, (yy + 16) * s)], fill=c + (255,))))
            ImageDraw.Draw(img).text((x + 30, yy + 15), label, font=font("bold", HELP_BODY),
                                     fill=HELP_STRONG, anchor="ls")
        return self._rows(img, y, rows, 96, icon)

    def block_buttons(self, img, y, rows):
        def icon(img, d, bid, x, yy, label):
            pic = self.helpers["button"](bid)
            d.rectangle([x + 3, yy - 2, x + 3 + 24, yy + 21], fill=(12, 13, 15))
            img.paste(pic, (x + 4, yy - 1))
            ImageDraw.Draw(img).text((x + 38, yy + 15), label, font=font("bold", HELP_BODY),
                                     fill=HELP_STRONG, anchor="ls")
        return self._rows(img, y, rows, 136, icon)

    def block_keys(self, img, y, rows):
        def icon(img, d, key, x, yy, label):
            f = font("bold", 12)
            kw = max(30, f.getlength(key) + 16)
            d.rounded_rectangle([x + 4, yy - 2, x + 4 + kw, yy + 20], 4,
                                fill=(58, 62, 69), outline=(18, 19, 22))
            d.line([(x + 8, yy - 1), (x + kw, yy - 1)], fill=(104, 110, 118))
            d.text((x + 4 + kw / 2, yy + 13), key, font=f, fill=HELP_STRONG, anchor="ms")
        return self._rows(img, y, [(k, k, t) for k, t in rows], 136, icon)

    def measure(self, kind, arg):
        return getattr(self, "block_" + kind)(None, 0, arg)

    def draw(self, kind, arg, y):
        return getattr(self, "block_" + kind)(self.page, y, arg)


def render_help_page(content, width, height, lang, helpers, debug=False):
    page = Image.new("RGB", (width, height), HELP_BG)
    d = ImageDraw.Draw(page)
    # header with title and the two flags
    vgradient(page, (0, 0, width, HELP_HEADER_H), (44, 47, 53), HELP_HEADER_BG)
    d.line([(0, HELP_HEADER_H), (width - 1, HELP_HEADER_H)], fill=(10, 11, 13))
    d.line([(0, HELP_HEADER_H + 1), (width - 1, HELP_HEADER_H + 1)], fill=(52, 56, 62))
    d.text((HELP_MARGIN, 42), content["title"], font=font("bold", 28), fill=HELP_STRONG,
           anchor="ls")
    d.text((HELP_MARGIN + 1, 66), content["subtitle"], font=font("bold", 15), fill=AMBER,
           anchor="ls")
    draw_flag(page, FLAG_UK, union_jack, lang == "en")
    draw_flag(page, FLAG_DE, german_flag, lang == "de")
    d = ImageDraw.Draw(page)
    for rect, label, bright in ((FLAG_UK, content["flag_labels"][0], lang == "en"),
                                (FLAG_DE, content["flag_labels"][1], lang == "de")):
        d.text(((rect[0] + rect[2]) / 2, rect[3] + 16), label, font=font("bold", 11),
               fill=HELP_STRONG if bright else (110, 116, 124), anchor="ms")

    hp = HelpPage(page, width, height, lang, helpers)
    blocks = content["blocks"]
    top = HELP_HEADER_H + 18
    used = sum(hp.measure(k, a) for k, a in blocks)
    headings = sum(1 for k, _ in blocks if k == "h")
    base_gap = 8
    room = height - HELP_FOOTER_H - 16 - top - used - base_gap * headings
    if room < 0:
        raise SystemExit("help page %s: text is %d pixels too long" % (lang, -room))
    gap = base_gap + min(room // max(1, headings), 26)
    y = top
    for kind, arg in blocks:
        if kind == "h":
            y += gap
        y += hp.draw(kind, arg, y)

    # footer
    fy = height - HELP_FOOTER_H
    d = ImageDraw.Draw(page)
    d.line([(HELP_MARGIN, fy), (width - HELP_MARGIN - 1, fy)], fill=HELP_RULE)
    d.text((width // 2, fy + 27), content["footer"], font=font("sans", 12), fill=HELP_MUTED,
           anchor="ms")
    if debug:
        for rect in (FLAG_UK, FLAG_DE):
            d.rectangle([rect[0], rect[1], rect[2] - 1, rect[3] - 1], outline=(255, 0, 255))
        print("help %s: %d rows spare, gap %d" % (lang, room, gap))
        return page
    return page.quantize(colors=256, method=Image.Quantize.MEDIANCUT,
                         dither=Image.Dither.NONE)


# ---------------------------------------------------------------------------

BITMAP_NAMES = {
    101: "101_editor_background.bmp",
    102: "102_credits.bmp",
    103: "103_mono_button.bmp",
    104: "104_scope_background_copy.bmp",
    105: "105_scope_background.bmp",
    106: "106_pointer_strip.bmp",
    107: "107_range_bar.bmp",
    108: "108_button_play.bmp",
    109: "109_button_stop.bmp",
    110: "110_button_open.bmp",
    111: "111_button_help.bmp",
    112: "112_toolbar_background.bmp",
    113: "113_help_german.bmp",
    114: "114_help_english.bmp",
    115: "115_bands_background.bmp",
}
ICON_NAMES = {101: "zanderwick.ico", 102: "zanderwick_small.ico"}


def build_panel_and_toolbar(debug=False):
    """The pictures drawn at every size, at the current one."""
    pics = {
        101: make_editor_background(debug),
        102: make_credits(),
        103: make_mono_button(),
        104: make_scope_background(),
        105: make_scope_background(),
        106: make_pointer_strip(),
        107: make_range_bar(),
        112: make_toolbar(debug),
        115: make_bands_background(),
    }
    for bid in BUTTONS:
        pics[bid] = make_button(bid)
    return pics


def build_zoomed(percent, debug=False):
    """The editor's and the toolbar's pictures at another size."""
    global ZOOM
    ZOOM = percent / 100
    try:
        return build_panel_and_toolbar(debug)
    finally:
        ZOOM = 1.0


def build_all(debug=False):
    pics = build_panel_and_toolbar(debug)
    helpers = {"button": lambda bid: pics[bid].crop((0, 0) + BUTTON_SIZE),
               "scope": scope_with_dots}
    pics[113] = render_help_page(PAGES["de"], HELP_WIDTH, HELP_HEIGHT["de"], "de",
                                 helpers, debug)
    pics[114] = render_help_page(PAGES["en"], HELP_WIDTH, HELP_HEIGHT["en"], "en",
                                 helpers, debug)
    return pics


def main(argv):
    debug = "--debug" in argv
    preview = None
    if "--preview" in argv:
        preview = argv[argv.index("--preview") + 1]
    pics = build_all(debug)
    zoomed = {percent: build_zoomed(percent, debug) for percent in ZOOMS if percent != 100}
    if preview:
        os.makedirs(preview, exist_ok=True)
        for percent, more in zoomed.items():
            for bid, img in more.items():
                img.save(os.path.join(preview, "%d@%d.png" % (bid, percent)))
        for bid, img in pics.items():
            big = 1 if img.size[0] >= 400 else (2 if img.size[0] >= 150 else 4)
            img.convert("RGB").resize((img.size[0] * big, img.size[1] * big),
                                      Image.NEAREST).save(
                os.path.join(preview, "%d.png" % bid))
        for size in (32, 16):
            icon_image(size).resize((size * 8, size * 8), Image.NEAREST).save(
                os.path.join(preview, "icon%d.png" % size))
        if debug:
            return 0
    if debug:
        return 0
    os.makedirs(BITMAP_DIR, exist_ok=True)
    os.makedirs(ICON_DIR, exist_ok=True)
    for bid, img in pics.items():
        path = os.path.join(BITMAP_DIR, BITMAP_NAMES[bid])
        if img.mode == "P":
            img.save(path, format="BMP")
        else:
            img.convert("RGB").save(path, format="BMP")
    for percent, more in zoomed.items():
        folder = os.path.join(BITMAP_DIR, ZOOMS[percent])
        os.makedirs(folder, exist_ok=True)
        for bid, img in more.items():
            img.convert("RGB").save(os.path.join(folder, BITMAP_NAMES[bid]), format="BMP")
    big, small = icon_image(32), icon_image(16)
    write_ico(os.path.join(ICON_DIR, ICON_NAMES[101]), [big, small])
    write_ico(os.path.join(ICON_DIR, ICON_NAMES[102]), [small, big])
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
