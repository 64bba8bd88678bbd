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

from editor_layout import editor_layout

HERE = os.path.dirname(os.path.abspath(__file__))
LAYOUT = editor_layout()
RANGE_VIEW = LAYOUT["kRangeArea"]
POINTER_VIEW = LAYOUT["kPointerArea"]


def size_of(rect, states=1):
    """Width and height of a picture that fills rect (in this many states)."""
    return rect[2] - rect[0], (rect[3] - rect[1]) * states


# id: (file name, width, height, bits per pixel)
BITMAPS = {
    101: ("101_editor_background.bmp", 220, 270, 24),
    102: ("102_credits.bmp", 220, 270, 24),
    103: ("103_mono_button.bmp", *size_of(LAYOUT["kMonoButtonArea"], 2), 24),
    104: ("104_scope_background_copy.bmp", *size_of(LAYOUT["kScopeArea"]), 24),
    105: ("105_scope_background.bmp", *size_of(LAYOUT["kScopeArea"]), 24),
    106: ("106_pointer_strip.bmp", *size_of(POINTER_VIEW), 24),
    107: ("107_range_bar.bmp", *size_of(RANGE_VIEW), 24),
    108: ("108_button_play.bmp", 23, 44, 24),
    109: ("109_button_stop.bmp", 23, 44, 24),
    110: ("110_button_open.bmp", 23, 44, 24),
    111: ("111_button_help.bmp", 23, 44, 24),
    112: ("112_toolbar_background.bmp", 670, 59, 24),
    113: ("113_help_german.bmp", 600, 1627, 8),
    114: ("114_help_english.bmp", 600, 1625, 8),
}
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


def main():
    pics = {}
    for bid, (name, w, h, bits) in sorted(BITMAPS.items()):
        path = os.path.join(HERE, "bitmaps", name)
        try:
            pic = Picture(path)
        except (OSError, ValueError) as e:
            check("bitmap %d readable" % bid, False, str(e))
            continue
        ok = (pic.width, pic.height, pic.bits) == (w, h, bits)
        check("bitmap %d is %d x %d, %d-bit" % (bid, w, h, bits), ok,
              "" if ok else "found %d x %d, %d-bit" % (pic.width, pic.height, pic.bits))
        pics[bid] = pic
    if len(pics) != len(BITMAPS):
        return finish()

    ed = pics[101]
    # the scale's ticks just above the range bar and just below the pointer strip
    check_ticks("editor ticks above the range bar", ed, RANGE_VIEW[1] - 2,
                [RANGE_VIEW[0] + c for c in RANGE_TICKS])
    check_ticks("editor ticks below the pointer strip", ed, POINTER_VIEW[3] + 1,
                [POINTER_VIEW[0] + c for c in POINTER_TICKS])
    check_ticks("pointer strip ticks", pics[106], 7, POINTER_TICKS[1:-1])
    check("pointer strip end ticks", lum(pics[106].px(2, 7)) > lum(pics[106].px(5, 5)) + 15
          and lum(pics[106].px(173, 7)) > lum(pics[106].px(170, 5)) + 15)
    check_ticks("range bar ticks", pics[107], 1, RANGE_TICKS[1:-1])
    check("range bar end ticks", lum(pics[107].px(0, 1)) > lum(pics[107].px(2, 1)) + 15
          and lum(pics[107].px(171, 1)) > lum(pics[107].px(169, 1)) + 15)
    for bid in (106, 107):
        brightest = max(lum(c) for c in pics[bid].region((0, 0, pics[bid].width,
                                                          pics[bid].height)))
        check("bitmap %d stays dark under the coloured marks" % bid, brightest < 110,
              "brightest %.0f" % brightest)

    scope = pics[105]
    check("scope copies identical", pics[104].rows == scope.rows)
    yellowish = [c for c in scope.region((0, 0, 131, 129))
                 if c[0] > 150 and c[1] > 150 and c[2] < 100]
    check("scope background has nothing the yellow dots could hide in", not yellowish)
    check("scope background is dark", mean(lum(c) for c in scope.region((0, 0, 131, 129))) < 40)
    # M axis vertical through column 65, the L and R diagonals through (65, 64)
    m_axis = all(lum(scope.px(65, y)) > lum(scope.px(62, y)) + 10 for y in (20, 40, 90, 110))
    check("scope M axis on column 65", m_axis)
    diag = all(lum(scope.px(65 - k, 64 - k)) > lum(scope.px(65 - k, 64 - k + 3)) + 10
               and lum(scope.px(65 + k, 64 - k)) > lum(scope.px(65 + k, 64 - k + 3)) + 10
               for k in (10, 20, 30))
    check("scope L and R diagonals through the centre", diag)
    for label, rect in (("L", (2, 2, 32, 32)), ("R", (99, 2, 129, 32))):
        check("scope label %s in its corner" % label,
              max(lum(c) for c in scope.region(rect)) > 100)

    mono = pics[103]
    off = mono.region((0, 0, 46, 19))
    on = mono.region((0, 19, 46, 38))
    check("MONO on state glows", mean(sat(c) for c in on) > mean(sat(c) for c in off) + 10
          and max(c[0] for c in on) > 240)

    credits = pics[102]
    area = credits.region((52, 42, 202, 54))
    plain = max(lum(c) for c in area) < 60 and max(lum(c) for c in area) - min(
        lum(c) for c in area) < 12
    check("credits version line area plain and dark", plain)

    for bid in (108, 109, 110, 111):
        pic = pics[bid]
        normal, pressed = pic.region((0, 0, 23, 22)), pic.region((0, 22, 23, 44))
        check("button %d has a distinct pressed state" % bid,
              sum(1 for a, b in zip(normal, pressed) if a != b) > 200)
    bar = pics[112].region((0, 0, 230, 31))
    check("toolbar background is dark and not flat",
          mean(lum(c) for c in bar) < 90 and len(set(bar)) > 20)

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
    path = os.path.join(HERE, "ZanderwickDemo.rc")
    with open(path) as f:
        lines = [ln.strip() for ln in f if ln.strip() and not ln.strip().startswith("//")]
    ids = resource_ids()
    found = {}
    for ln in lines:
        if ln == '#include "ResourceIds.h"':
            continue
        m = re.match(r'^(\w+)\s+(BITMAP|ICON)\s+"([^"]+)"$', ln)
        if not m or m.group(1) not in ids:
            check("resource script line understood", False, ln)
            continue
        found[(m.group(2), ids[m.group(1)])] = m.group(3)
    want = {("BITMAP", b): "bitmaps/" + n for b, (n, _, _, _) in BITMAPS.items()}
    want.update({("ICON", i): "icons/" + n for i, n in ICONS.items()})
    check("resource script numbers every picture and icon", found == want,
          "" if found == want else "differs: %s" % sorted(set(found.items()) ^ set(want.items())))
    missing = [p for p in found.values() if not os.path.exists(os.path.join(HERE, p))]
    check("resource script names existing files", not missing, ", ".join(missing))


def finish():
    passed = sum(1 for r in results if r)
    failed = len(results) - passed
    print("%d passed, %d failed" % (passed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
