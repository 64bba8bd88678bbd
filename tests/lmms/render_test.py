#!/usr/bin/env python3
"""Renders a short LMMS project through the 32-bit plug-in DLL and checks
that the result is the input delayed by exactly 512 frames.

LMMS (Debian's lmms:i386 with lmms-vst-server:i386) runs Windows plug-ins in
a helper process under Wine. The project holds one sample track playing a
known WAV, with the plug-in in the track's effect chain. The plug-in is loaded
through a tracing stand-in that writes down what the host asks of it.

Where the host cannot run, the test says why and exits 77: skipped, never
passed.

    render_test.py <ZanderwickScope.dll> <ZanderwickScopeTrace.dll> <work folder>
"""
import os
import random
import re
import shutil
import struct
import subprocess
import sys
import time

SKIPPED = 77
RATE = 44100
# LMMS plays a sample in 256-frame periods and drops whatever is left when
# no more than a period remains (it does so without any plug-in too). The
# input's last 128 frames may or may not be heard; all before them must be.
FRAMES = 86 * 256 + 128
HEARD = 86 * 256
DELAY = 512
UNIQUE_ID = "Expl"
LMMS_VST = "/usr/lib/i386-linux-gnu/lmms/libvsteffect.so"


def skip(reason):
    print(f"SKIPPED: {reason}")
    sys.exit(SKIPPED)


def fail(reason):
    print(f"FAILED: {reason}")
    sys.exit(1)


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def write_wave(path, frames):
    data = b"".join(struct.pack("<hh", l, r) for l, r in frames)
    header = b"RIFF" + struct.pack("<I", 36 + len(data)) + b"WAVEfmt "
    header += struct.pack("<IHHIIHH", 16, 1, 2, RATE, RATE * 4, 4, 16)
    header += b"data" + struct.pack("<I", len(data))
    with open(path, "wb") as f:
        f.write(header + data)


def read_float_wave(path):
    """(left, right) of a 32-bit float stereo WAV."""
    with open(path, "rb") as f:
        d = f.read()
    i, fmt, data = 12, None, None
    while i + 8 <= len(d):
        cid, size = d[i:i + 4], struct.unpack("<I", d[i + 4:i + 8])[0]
        body = d[i + 8:i + 8 + size]
        if cid == b"fmt ":
            fmt = struct.unpack("<HHIIHH", body[:16])
        elif cid == b"data":
            data = body
        i += 8 + size + (size & 1)
    if not fmt or data is None or fmt[0] != 3 or fmt[1] != 2 or fmt[2] != RATE:
        fail(f"the render is not 32-bit float stereo at {RATE} Hz: {fmt}")
    values = struct.unpack(f"<{len(data) // 4}f", data)
    return values[0::2], values[1::2]


PROJECT = """<?xml version="1.0"?>
<!DOCTYPE lmms-project>
<lmms-project creator="LMMS" version="1.0" type="song" creatorversion="1.2.2">
  <head timesig_numerator="4" bpm="120" timesig_denominator="4" mastervol="100" masterpitch="0"/>
  <song>
    <trackcontainer type="song">
      <track muted="0" name="Scope" solo="0" type="2">
        <sampletrack vol="100" pan="0" fxch="0">
          <fxchain enabled="1" numofeffects="1">
            <effect name="vsteffect" on="1" wet="1" gate="0" autoquit="1"
                    autoquit_numerator="4" autoquit_denominator="4" syncmode="0">
              <vsteffectcontrols plugin="{plugin}"/>
              <key><attribute name="file" value="{plugin}"/></key>
            </effect>
          </fxchain>
        </sampletrack>
        <sampletco pos="0" len="192" muted="0" src="{wave}" off="0"/>
      </track>
    </trackcontainer>
  </song>
</lmms-project>
"""


def main():
    if len(sys.argv) != 4:
        fail(__doc__)
    plugin, shim, work = (os.path.abspath(a) for a in sys.argv[1:])

    lmms = shutil.which("lmms")
    if not lmms or not os.path.exists(LMMS_VST):
        skip("LMMS with VST support is not installed (lmms:i386, lmms-vst-server:i386)")
    try:
        probe = subprocess.run([lmms, "--allowroot", "--version"], capture_output=True,
                               text=True, timeout=120)
    except subprocess.TimeoutExpired:
        skip("lmms:i386 did not even print its version within two minutes here")
    except OSError as e:
        skip(f"lmms:i386 cannot start here: {e}")
    if probe.returncode != 0:
        skip(f"lmms:i386 cannot start here (exit code {probe.returncode}): "
             f"{(probe.stderr or probe.stdout).strip()[:200]}")

    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(os.path.join(work, "home"))
    wave = os.path.join(work, "in.wav")
    rng = random.Random(15)
    frames = [(rng.randint(-16000, 16000), rng.randint(-16000, 16000)) for _ in range(FRAMES)]
    write_wave(wave, frames)
    with open(os.path.join(work, "scope.mmp"), "w") as f:
        f.write(PROJECT.format(plugin=shim, wave=wave))

    env = dict(os.environ)
    env.update(QT_QPA_PLATFORM="offscreen", HOME=os.path.join(work, "home"),
               ZW_TRACED_PLUGIN=windows_path(plugin),
               ZW_OPCODE_LOG=windows_path(os.path.join(work, "opcodes.txt")))
    out = os.path.join(work, "out.wav")
    command = [lmms, "--allowroot", "render", "scope.mmp", "-f", "wav", "-x", "1",
               "-s", str(RATE), "-a", "-o", out]
    start = time.monotonic()
    try:
        run = subprocess.run(command, cwd=work, env=env, capture_output=True, text=True,
                             timeout=600)
    except subprocess.TimeoutExpired:
        fail("the render did not end within ten minutes")
    seconds = time.monotonic() - start
    log = run.stdout + run.stderr
    with open(os.path.join(work, "lmms.log"), "w") as f:
        f.write(log)
    print(f"LMMS rendered in {seconds:.1f} s (exit code {run.returncode})")

    # A plug-in that fails to load still gives exit code 0 and a dry render.
    if run.returncode != 0:
        fail(f"LMMS ended with exit code {run.returncode}:\n{log[-2000:]}")
    if not re.search(r"unique ID: " + UNIQUE_ID, log):
        fail(f"the host's log does not name the plug-in's unique id {UNIQUE_ID}:\n{log[-2000:]}")
    trace = os.path.join(work, "opcodes.txt")
    if not os.path.exists(trace):
        fail("the tracing stand-in was not loaded")
    with open(trace) as f:
        print("What the host asked of the plug-in:\n" + f.read())

    left, right = read_float_wave(out)
    if len(left) < FRAMES + DELAY:
        fail(f"the render holds {len(left)} frames, fewer than {FRAMES + DELAY}")
    wrong = []
    for n in range(len(left)):
        k = n - DELAY
        heard = (left[n], right[n])
        want = (frames[k][0] / 32768.0, frames[k][1] / 32768.0) if 0 <= k < FRAMES else (0.0, 0.0)
        if heard != want and not (HEARD <= k and heard == (0.0, 0.0)):
            wrong.append(n)
    if wrong:
        fail(f"{len(wrong)} of {len(left)} frames are not the input delayed by {DELAY} frames; "
             f"the first at frame {wrong[0]}")
    print(f"The render is the input delayed by exactly {DELAY} frames ({len(left)} frames).")


if __name__ == "__main__":
    main()
