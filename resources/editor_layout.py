"""The scope editor's layout as the program has it: the constexpr PortRect
lines of editor/EditorLayout.h, read by the artwork scripts so that the
pictures and the code agree on every position."""
import os
import re

HEADER = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "editor",
                      "EditorLayout.h")
LINE = re.compile(r"constexpr PortRect (k\w+) = \{\s*(-?\d+),\s*(-?\d+),\s*(-?\d+),\s*(-?\d+)\s*\};")


def editor_layout():
    """{name: (left, top, right, bottom)} of every rectangle in the header."""
    with open(HEADER) as f:
        return {m.group(1): tuple(int(v) for v in m.groups()[1:])
                for m in map(LINE.search, f) if m}
