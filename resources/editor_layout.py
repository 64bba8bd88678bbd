"""The scope editor's layout as the program has it: the constexpr PortRect
lines of editor/EditorLayout.h, and the sizes it is drawn at from
resources/ResourceIds.h, read by the artwork scripts so that the pictures
and the code agree on every position and size."""
import os
import re

HERE = os.path.dirname(os.path.abspath(__file__))
HEADER = os.path.join(HERE, "..", "editor", "EditorLayout.h")
IDS = os.path.join(HERE, "ResourceIds.h")
LINE = re.compile(r"constexpr PortRect (k\w+) = \{\s*(-?\d+),\s*(-?\d+),\s*(-?\d+),\s*(-?\d+)\s*\};")


def editor_layout():
    """{name: (left, top, right, bottom)} of every rectangle in the header."""
    with open(HEADER) as f:
        return {m.group(1): tuple(int(v) for v in m.groups()[1:])
                for m in map(LINE.search, f) if m}


def zooms():
    """{percent: (folder under bitmaps/, offset of its picture ids)} of every
    size the editor and the toolbar are drawn at, smallest first."""
    with open(IDS) as f:
        text = f.read()
    sizes = [int(v) for v in re.search(r"#define ZOOM_SIZES ([\d, ]+)\n", text).group(1).split(",")]
    step = int(re.search(r"#define IDB_ZOOM_STEP (\d+)\n", text).group(1))
    return {percent: ("" if place == 0 else str(percent), place * step)
            for place, percent in enumerate(sizes)}
