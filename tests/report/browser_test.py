#!/usr/bin/env python3
"""Opens a report from disk in Debian's chromium, headless and without
network, as a person would: the page lists a row per file, the refused
file's reason, and shows the pictures.

Where chromium is not installed or shows no page at all here, says why and
exits 77 (skipped).

    browser_test.py <zwreport> <work folder>
"""
import os, random, shutil, struct, subprocess, sys, zlib
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from wavefile import write_stereo  # noqa: E402

RATE = 44100
FLAGS = ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
         "--disable-background-networking", "--disable-component-update", "--disable-sync",
         "--hide-scrollbars"]


def end(word, reason, code):
    print(f"{word}: {reason}")
    sys.exit(code)


def write_wave(path, seconds, anti=None):
    """Correlated stereo noise, in anti-phase between the two times of anti."""
    rng, frames = random.Random(7), []
    for i in range(int(seconds * RATE)):
        shared, own = rng.randint(-8000, 8000), rng.randint(-2000, 2000)
        left, right = shared + own, shared - own
        if anti and anti[0] * RATE <= i < anti[1] * RATE:
            right = -left
        frames.append((left, right))
    write_stereo(path, frames, RATE)


def png_pixels(path):
    """(width, height, rows of (r, g, b) tuples) of an 8-bit RGB or RGBA PNG."""
    with open(path, "rb") as f:
        data = f.read()
    at, idat = 8, b""
    while at < len(data):
        size, kind = struct.unpack(">I4s", data[at:at + 8])
        body = data[at + 8:at + 8 + size]
        if kind == b"IHDR":
            width, height, depth, color = struct.unpack(">IIBB", body[:10])
        elif kind == b"IDAT":
            idat += body
        at += 12 + size
    if depth != 8 or color not in (2, 6):
        end("FAILED", f"unexpected screenshot format: depth {depth}, colour type {color}", 1)
    step = 3 if color == 2 else 4
    raw, stride, rows, previous = zlib.decompress(idat), width * step, [], bytearray(width * step)
    for y in range(height):
        kind, line = raw[y * (stride + 1)], bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - step] if i >= step else 0
            b, c = previous[i], previous[i - step] if i >= step else 0
            if kind == 1:
                line[i] = (line[i] + a) & 255
            elif kind == 2:
                line[i] = (line[i] + b) & 255
            elif kind == 3:
                line[i] = (line[i] + (a + b) // 2) & 255
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        rows.append([tuple(line[x:x + 3]) for x in range(0, stride, step)])
        previous = line
    return width, height, rows


def main():
    zwreport, work = (os.path.abspath(a) for a in sys.argv[1:3])
    browser = shutil.which("chromium")
    if not browser:
        end("SKIPPED", "chromium is not installed (Debian's chromium)", 77)
    shutil.rmtree(work, ignore_errors=True)
    inputs, out = os.path.join(work, "in"), os.path.join(work, "out")
    os.makedirs(inputs)
    write_wave(os.path.join(inputs, "good.wav"), 2.0)
    write_wave(os.path.join(inputs, "failing.wav"), 3.0, anti=(0.5, 2.5))
    with open(os.path.join(inputs, "refused.wav"), "wb") as f:
        f.write(b"RIFF\x04\x00\x00\x00JUNK")
    code = subprocess.run([zwreport, "--out", out, inputs], capture_output=True).returncode
    if code != 2:
        end("FAILED", f"zwreport exited with {code}, not 2", 1)

    page = "file://" + os.path.join(out, "index.html")
    runs = 0

    def chromium(url, *args):
        """chromium's run on the page, or None and why it did not end."""
        nonlocal runs
        runs += 1
        profile = os.path.join(work, f"profile-{runs}")
        try:
            return subprocess.run([browser, *FLAGS, f"--user-data-dir={profile}", *args, url],
                                  capture_output=True, text=True, timeout=120), None
        except subprocess.TimeoutExpired:
            return None, "no answer within 120 s"
        except OSError as e:
            return None, str(e)

    def dom_of(url):
        """The page as chromium read it, or None and why not."""
        run, why = chromium(url, "--dump-dom")
        if run and (run.returncode or "<html" not in run.stdout):
            run, why = None, f"exit {run.returncode}: {run.stderr.strip()[-200:]}"
        return run and run.stdout, why

    # Only a browser that shows no page at all is a skip; one that shows a
    # blank page but not the report fails the test.
    dom, why = dom_of(page)
    if not dom:
        if not dom_of("data:text/html,<p>blank</p>")[0]:
            end("SKIPPED", f"chromium cannot run here ({why})", 77)
        end("FAILED", f"chromium shows a blank page but not the report ({why})", 1)
    rows = dom.count('class="file-row"')
    if rows != 3 or "not a WAVE file" not in dom:
        end("FAILED", f"the page shows {rows} rows of 3, or not the refused file's reason", 1)
    print("The page shows 3 rows and the refused file's reason.")

    shot = os.path.join(work, "report.png")
    # At half scale: a quarter of the pixels to decode here, the same colours.
    run, why = chromium(page, f"--screenshot={shot}", "--window-size=1700,900",
                        "--force-device-scale-factor=0.5")
    if not os.path.exists(shot):
        end("FAILED", f"chromium, which read the page, took no screenshot "
            f"({why or f'exit {run.returncode}'})", 1)
    _, _, pixels = png_pixels(shot)
    # Only the pictures have these: the plots' dark red zone and the scope's
    # yellow dots.
    red_zone = sum(1 for row in pixels for r, g, b in row if 50 <= r <= 58 and g < 20 and b < 22)
    dots = sum(1 for row in pixels for r, g, b in row if r > 90 and abs(r - g) < 40 and b < r // 2)
    if red_zone < 10000 or dots < 500:
        end("FAILED", f"the pictures do not show: {red_zone} red-zone pixels, {dots} dots", 1)
    print(f"passed: the pictures show ({red_zone} red-zone pixels, {dots} dots)")


if __name__ == "__main__":
    main()
