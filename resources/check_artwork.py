#!/usr/bin/env python3
"""Checks the committed pictures and icons against what the program expects.

Needs nothing but Python 3: the BMP and ICO files are read by hand, so the
check also runs where the picture library is missing. Prints one line per
check and ends with "N passed, N failed"; exits 1 when anything failed.
"""

import os
import re
import struct
import sys

from editor_layout import editor_layout, zooms

HERE = os.path.dirname(os.path.abspath(__file__))
LAYOUT = editor_layout()
RANGE_VIEW = LAYOUT["kRangeArea"]
POINTER_VIEW = LAYOUT["kPointerArea"]


def size_of(rect, states=1):
    """Width and height of a picture that fills rect (in this many states)."""
    return rect[2] - rect[0], (rect[3] - rect[1]) * states


# The sizes the editor and the toolbar are drawn at, their folders and the
# offsets of their ids.
ZOOMS = {percent: folder for percent, (folder, _) in zooms().items()}
ZOOM_OFFSET = {percent: offset for percent, (_, offset) in zooms().items()}
# Ids of the pictures drawn at every size; the help pages exist at 100 % only.
ZOOMED = list(range(101, 113)) + [115]


def z(v, percent):
    """Where the 100 % position v lands at a size, as the program puts it."""
    return v * percent // 100


def within(rect, percent):
    """The size of what fills the 100 % rect at a size."""
    return z(rect[2], percent) - z(rect[0], percent), z(rect[3], percent) - z(rect[1], percent)


def bitmaps_at(percent):
    """id: (file name, width, height, bits per pixel) at a size."""
    panel = within(LAYOUT["kPanelArea"], percent)
    mono = within(LAYOUT["kMonoButtonArea"], percent)
    button = (z(23, percent), 2 * z(22, percent))
    sizes = {
        101: ("101_editor_background.bmp", *panel, 24),
        102: ("102_credits.bmp", *panel, 24),
        103: ("103_mono_button.bmp", mono[0], 2 * mono[1], 24),
        104: ("104_scope_background_copy.bmp", *within(LAYOUT["kScopeArea"], percent), 24),
        105: ("105_scope_background.bmp", *within(LAYOUT["kScopeArea"], percent), 24),
        106: ("106_pointer_strip.bmp", *within(POINTER_VIEW, percent), 24),
        107: ("107_range_bar.bmp", *within(RANGE_VIEW, percent), 24),
        108: ("108_button_play.bmp", *button, 24),
        109: ("109_button_stop.bmp", *button, 24),
        110: ("110_button_open.bmp", *button, 24),
        111: ("111_button_help.bmp", *button, 24),
        112: ("112_toolbar_background.bmp", z(670, percent), z(59, percent), 24),
        113: ("113_help_german.bmp", 600, 1792, 8),
        114: ("114_help_english.bmp", 600, 1790, 8),
        115: ("115_bands_background.bmp", *within(LAYOUT["kBandsPanelArea"], percent), 24),
    }
    if percent != 100:
        sizes = {bid: (os.path.join(ZOOMS[percent], name), *rest)
                 for bid, (name, *rest) in sizes.items() if bid in ZOOMED}
    return sizes


BITMAPS = bitmaps_at(100)
ICONS = {101: "zanderwick.ico", 102: "zanderwick_small.ico"}

RANGE_TICKS = (0, 68, 85, 102, 171)
POINTER_TICKS = (2, 70, 88, 105, 173)
FLAG_UK = (409, 9, 466, 56)
FLAG_DE = (487, 9, 544, 56)


class Picture:
    """An uncompressed 8- or 24-bit BMP, decoded to rows of RGB tuples."""

    def __init__(self, path):
        with open(path, "rb") as f:
            data = f.read()
        if data[:2] != b"BM":
            raise ValueError("not a BMP file")
        file_size, _, offset = struct.unpack_from("<IIi", data, 2)
        if file_size != len(data):
            raise ValueError("file size field %d, file has %d bytes" % (file_size, len(data)))
        (hsize, self.width, height, planes, self.bits, compression,
         _, _, _, used, _) = struct.unpack_from("<IiiHHIIiiII", data, 14)
        if hsize != 40:
            raise ValueError("header size %d, not a BITMAPINFOHEADER" % hsize)
        if planes != 1 or compression != 0:
            raise ValueError("planes %d, compression %d" % (planes, compression))
        if height <= 0:
            raise ValueError("top-down or empty bitmap")
        self.height = height
        palette = []
        if self.bits == 8:
            count = used or 256
            if count > 256 or 54 + 4 * count > offset:
                raise ValueError("bad palette of %d entries" % count)
            for i in range(count):
                b, g, r, _ = data[54 + 4 * i:58 + 4 * i]
                palette.append((r, g, b))
        elif self.bits != 24:
            raise ValueError("%d bits per pixel" % self.bits)
        stride = ((self.width * self.bits + 31) // 32) * 4
        if offset + stride * height > len(data):
            raise ValueError("pixel data cut short")
        self.rows = []
        for y in range(height):
            base = offset + (height - 1 - y) * stride
            if self.bits == 24:
                raw = data[base:base + 3 * self.width]
                self.rows.append([(raw[3 * x + 2], raw[3 * x + 1], raw[3 * x])
                                  for x in range(self.width)])
            else:
                raw = data[base:base + self.width]
                if max(raw) >= len(palette):
                    raise ValueError("pixel index beyond the palette")
                self.rows.append([palette[i] for i in raw])

    def px(self, x, y):
        return self.rows[y][x]

    def region(self, rect):
        l, t, r, b = rect
        return [self.rows[y][x] for y in range(t, b) for x in range(l, r)]


def lum(c):
    return 0.299 * c[0] + 0.587 * c[1] + 0.114 * c[2]


def sat(c):
    return max(c) - min(c)


def mean(values):
    values = list(values)
    return sum(values) / len(values)


results = []


def check(name, ok, detail=""):
    results.append(ok)
    print("%s %s%s" % ("ok  " if ok else "FAIL", name, (": " + detail) if detail else ""))


def check_ticks(name, pic, row, columns):
    """Each tick column is brighter than the columns two to the side."""
    bad = [x for x in columns
           if not (lum(pic.px(x, row)) > lum(pic.px(x - 2, row)) + 15
                   and lum(pic.px(x, row)) > lum(pic.px(x + 2, row)) + 15)]
    check(name, not bad, "no tick at column(s) %s" % bad if bad else "")


class Scaled:
    """A picture drawn at a size, read at 100 % positions: a picture that
    starts at the panel's (left, top) maps its own 100 % pixel (x, y) to the
    first pixel it became."""

    def __init__(self, pic, percent, left=0, top=0):
        self.pic, self.percent, self.left, self.top = pic, percent, left, top
        self.width, self.height, self.rows = pic.width, pic.height, pic.rows

    def at(self, x, y):
        return (z(self.left + x, self.percent) - z(self.left, self.percent),
                z(self.top + y, self.percent) - z(self.top, self.percent))

    def px(self, x, y):
        return self.pic.px(*self.at(x, y))

    def region(self, rect):
        l, t = self.at(rect[0], rect[1])
        r, b = self.at(rect[2], rect[3])
        return self.pic.region((l, t, r, b))

    def ticks(self, name, row, columns):
        """check_ticks on the first pixel each 100 % tick became."""
        y = self.at(0, row)[1]
        check_ticks(name, self.pic, y, [self.at(x, 0)[0] for x in columns])


def load(sizes, suffix):
    pics = {}
    for bid, (name, w, h, bits) in sorted(sizes.items()):
        path = os.path.join(HERE, "bitmaps", name)
        try:
            pic = Picture(path)
        except (OSError, ValueError) as e:
            check("bitmap %d readable%s" % (bid, suffix), False, str(e))
            continue
        ok = (pic.width, pic.height, pic.bits) == (w, h, bits)
        check("bitmap %d is %d x %d, %d-bit%s" % (bid, w, h, bits, suffix), ok,
              "" if ok else "found %d x %d, %d-bit" % (pic.width, pic.height, pic.bits))
        pics[bid] = pic
    return pics if len(pics) == len(sizes) else None


def check_size(percent):
    """The editor's and the toolbar's pictures at one size, read at the
    layout's 100 % positions."""
    suffix = "" if percent == 100 else " at %d %%" % percent
    pics = load(bitmaps_at(percent), suffix)
    if not pics:
        return None

    def at(bid, rect=(0, 0)):
        return Scaled(pics[bid], percent, rect[0], rect[1])

    def named(text):
        return text + suffix

    ed = at(101)
    # the scale's ticks just above the range bar and just below the pointer strip
    ed.ticks(named("editor ticks above the range bar"), RANGE_VIEW[1] - 2,
             [RANGE_VIEW[0] + c for c in RANGE_TICKS])
    ed.ticks(named("editor ticks below the pointer strip"), POINTER_VIEW[3] + 1,
             [POINTER_VIEW[0] + c for c in POINTER_TICKS])
    strip, bar = at(106, POINTER_VIEW), at(107, RANGE_VIEW)
    strip.ticks(named("pointer strip ticks"), 7, POINTER_TICKS[1:-1])
    check(named("pointer strip end ticks"), lum(strip.px(2, 7)) > lum(strip.px(5, 5)) + 15
          and lum(strip.px(173, 7)) > lum(strip.px(170, 5)) + 15)
    bar.ticks(named("range bar ticks"), 1, RANGE_TICKS[1:-1])
    check(named("range bar end ticks"), lum(bar.px(0, 1)) > lum(bar.px(2, 1)) + 15
          and lum(bar.px(171, 1)) > lum(bar.px(169, 1)) + 15)
    for bid in (106, 107):
        brightest = max(lum(c) for c in pics[bid].region((0, 0, pics[bid].width,
                                                          pics[bid].height)))
        check(named("bitmap %d stays dark under the coloured marks" % bid), brightest < 110,
              "brightest %.0f" % brightest)

    scope = at(105, LAYOUT["kScopeArea"])
    whole = scope.region((0, 0, 131, 129))
    check(named("scope copies identical"), pics[104].rows == scope.rows)
    yellowish = [c for c in whole if c[0] > 150 and c[1] > 150 and c[2] < 100]
    check(named("scope background has nothing the yellow dots could hide in"), not yellowish)
    check(named("scope background is dark"), mean(lum(c) for c in whole) < 40)
    # M axis vertical through column 65, the L and R diagonals through (65, 64)
    m_axis = all(lum(scope.px(65, y)) > lum(scope.px(62, y)) + 10 for y in (20, 40, 90, 110))
    check(named("scope M axis on column 65"), m_axis)
    diag = all(lum(scope.px(65 - k, 64 - k)) > lum(scope.px(65 - k, 64 - k + 3)) + 10
               and lum(scope.px(65 + k, 64 - k)) > lum(scope.px(65 + k, 64 - k + 3)) + 10
               for k in (10, 20, 35))
    check(named("scope L and R diagonals through the centre"), diag)
    for label, rect in (("L", (2, 2, 32, 32)), ("R", (99, 2, 129, 32))):
        check(named("scope label %s in its corner" % label),
              max(lum(c) for c in scope.region(rect)) > 100)

    mono = pics[103]
    half = mono.height // 2
    off = mono.region((0, 0, mono.width, half))
    on = mono.region((0, half, mono.width, mono.height))
    check(named("MONO on state glows"), mean(sat(c) for c in on) > mean(sat(c) for c in off) + 10
          and max(c[0] for c in on) > 240)

    area = at(102).region(LAYOUT["kVersionLineArea"])
    plain = max(lum(c) for c in area) < 60 and max(lum(c) for c in area) - min(
        lum(c) for c in area) < 12
    check(named("credits version line area plain and dark"), plain)

    for bid in (108, 109, 110, 111):
        pic = pics[bid]
        half = pic.height // 2
        normal, pressed = pic.region((0, 0, pic.width, half)), pic.region((0, half, pic.width,
                                                                            pic.height))
        check(named("button %d has a distinct pressed state" % bid),
              sum(1 for a, b in zip(normal, pressed) if a != b) > 200)
    bar = at(112).region((0, 0, 230, 31))
    check(named("toolbar background is dark and not flat"),
          mean(lum(c) for c in bar) < 90 and len(set(bar)) > 20)
    return pics


def main():
    pics = None
    for percent in ZOOMS:
        found = check_size(percent)
        pics = pics or found
    if not pics:
        return finish()

    for bid, bright, dim in ((114, FLAG_UK, FLAG_DE), (113, FLAG_DE, FLAG_UK)):
        page = pics[bid]
        inner = lambda r: (r[0] + 2, r[1] + 2, r[2] - 2, r[3] - 2)  # noqa: E731
        s_bright = mean(sat(c) for c in page.region(inner(bright)))
        s_dim = mean(sat(c) for c in page.region(inner(dim)))
        check("help page %d: own flag bright, other dimmed" % bid, s_bright > 2 * s_dim,
              "saturation %.0f vs %.0f" % (s_bright, s_dim))
        # the dimmed flag keeps a trace of its colours, the bright one all of them
        uk = page.region(inner(FLAG_UK))
        k = 60 if bright == FLAG_UK else 12
        check("help page %d: British flag has blue, red and white" % bid,
              any(c[2] > c[0] + k for c in uk) and any(c[0] > c[2] + k for c in uk)
              and any(min(c) > 2 * k for c in uk))
        k = 60 if bright == FLAG_DE else 12
        black, red, gold = (page.px(515, y) for y in (15, 32, 50))
        check("help page %d: German flag has black, red and gold bands" % bid,
              lum(black) < 40 and red[0] > red[1] + k and gold[1] > gold[2] + k
              and lum(gold) > lum(red) > lum(black))
        text = sum(1 for c in page.region((0, 100, 600, page.height - 60)) if lum(c) > 150)
        check("help page %d carries text" % bid, text > 20000, "%d light pixels" % text)
    check("help pages differ", pics[113].rows[200:400] != pics[114].rows[200:400])

    for iid, name in sorted(ICONS.items()):
        check_icon(iid, os.path.join(HERE, "icons", name))
    check_rc()
    return finish()


def check_icon(iid, path):
    try:
        with open(path, "rb") as f:
            data = f.read()
        reserved, kind, count = struct.unpack_from("<HHH", data, 0)
        sizes = []
        for i in range(count):
            w, h, colours, _, planes, bits, size, offset = struct.unpack_from(
                "<BBBBHHII", data, 6 + 16 * i)
            w, h = w or 256, h or 256
            entry = data[offset:offset + size]
            if entry[:8] == b"\x89PNG\r\n\x1a\n":
                raise ValueError("%d x %d entry is PNG" % (w, h))
            hsize, bw, bh, bplanes, bbits, comp = struct.unpack_from("<IiiHHI", entry, 0)
            mask = ((w + 31) // 32) * 4 * h
            if (hsize, bw, bh, bplanes, bbits, comp) != (40, w, 2 * h, 1, 32, 0):
                raise ValueError("%d x %d entry header %r" % (w, h, (hsize, bw, bh, bplanes,
                                                                       bbits, comp)))
            if size != 40 + w * h * 4 + mask or (planes, bits) != (1, 32):
                raise ValueError("%d x %d entry size %d" % (w, h, size))
            sizes.append(w)
        ok = reserved == 0 and kind == 1 and sorted(sizes) == [16, 32]
        check("icon %d holds classic 32 x 32 and 16 x 16 entries" % iid, ok,
              "" if ok else "sizes %s" % sizes)
    except (OSError, ValueError, struct.error) as e:
        check("icon %d" % iid, False, str(e))


def resource_ids():
    """{name: number} of the ids the scripts and the code share."""
    with open(os.path.join(HERE, "ResourceIds.h")) as f:
        return {m.group(1): int(m.group(2))
                for m in (re.match(r"#define\s+(\w+)\s+(\d+)\s*$", ln) for ln in f) if m}


def check_rc():
    """The program's script carries every picture at every size, the
    plug-in's the editor's, each under its shared id."""
    ids = resource_ids()
    want = {}
    for percent in ZOOMS:
        for bid, (name, _, _, _) in bitmaps_at(percent).items():
            want[("BITMAP", bid + ZOOM_OFFSET[percent])] = "bitmaps/" + name.replace(os.sep, "/")
    program = dict(want)
    program.update({("ICON", i): "icons/" + n for i, n in ICONS.items()})
    program[("24", ids["IDR_MANIFEST"])] = "ZanderwickDemo.manifest"
    plugin = {k: v for k, v in want.items() if k[1] % 100 <= 7 or k[1] % 100 == 15}
    for script, expected in (("ZanderwickDemo.rc", program), ("ZanderwickScope.rc", plugin)):
        with open(os.path.join(HERE, script)) as f:
            lines = [ln.strip() for ln in f if ln.strip() and not ln.strip().startswith("//")]
        found = {}
        for ln in lines:
            if ln == '#include "ResourceIds.h"':
                continue
            m = re.match(r'^(\w+)\s+(BITMAP|ICON|24)\s+"([^"]+)"$', ln)
            if not m or m.group(1) not in ids:
                check("%s: line understood" % script, False, ln)
                continue
            found[(m.group(2), ids[m.group(1)])] = m.group(3)
        check("%s numbers every picture" % script, found == expected,
              "" if found == expected else "differs: %s" % sorted(
                  set(found.items()) ^ set(expected.items())))
        missing = [p for p in found.values() if not os.path.exists(os.path.join(HERE, p))]
        check("%s names existing files" % script, not missing, ", ".join(missing))


def finish():
    passed = sum(1 for r in results if r)
    failed = len(results) - passed
    print("%d passed, %d failed" % (passed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
