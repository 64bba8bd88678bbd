#!/usr/bin/env python3
"""Renders a one-track LMMS project (a known WAV on a sample track, the
plug-in in the track's effect chain) through the 32-bit DLL, and checks that
the render is the input delayed by exactly 512 frames. The plug-in is loaded
through a tracing stand-in that writes down what the host asks.

Where LMMS cannot be installed or started, says why and exits 77 (skipped).

    render_test.py <ZanderwickScope.dll> <ZanderwickScopeTrace.dll> <work folder>
"""
import os, random, re, shutil, struct, subprocess, sys, time
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from wavefile import write_stereo  # noqa: E402

RATE, DELAY = 44100, 512
# LMMS plays a sample in 256-frame periods and drops what is left once no
# more than a period remains, plug-in or not: the last 128 frames may be lost.
FRAMES, HEARD = 86 * 256 + 128, 86 * 256
PROJECT = """<?xml version="1.0"?>
<!DOCTYPE lmms-project>
<lmms-project creator="LMMS" version="1.0" type="song" creatorversion="1.2.2">
 <head timesig_numerator="4" bpm="120" timesig_denominator="4" mastervol="100" masterpitch="0"/>
 <song><trackcontainer type="song">
  <track muted="0" name="Scope" solo="0" type="2">
   <sampletrack vol="100" pan="0" fxch="0"><fxchain enabled="1" numofeffects="1">
    <effect name="vsteffect" on="1" wet="1" gate="0" autoquit="1" autoquit_numerator="4"
            autoquit_denominator="4" syncmode="0">
     <vsteffectcontrols plugin="{plugin}"/><key><attribute name="file" value="{plugin}"/></key>
    </effect></fxchain></sampletrack>
   <sampletco pos="0" len="192" muted="0" src="{wave}" off="0"/>
  </track>
 </trackcontainer></song>
</lmms-project>
"""


def end(word, reason, code):
    print(f"{word}: {reason}")
    sys.exit(code)


def samples(path):
    """The frames of a 32-bit float stereo WAV at RATE."""
    with open(path, "rb") as f:
        d = f.read()
    i, chunks = 12, {}
    while i + 8 <= len(d):
        size = struct.unpack("<I", d[i + 4:i + 8])[0]
        chunks[d[i:i + 4]] = d[i + 8:i + 8 + size]
        i += 8 + size + (size & 1)
    fmt = struct.unpack("<HHI", chunks.get(b"fmt ", bytes(8))[:8])
    if fmt != (3, 2, RATE) or b"data" not in chunks:
        end("FAILED", f"the render is not float stereo at {RATE} Hz: {fmt}", 1)
    v = struct.unpack(f"<{len(chunks[b'data']) // 4}f", chunks[b"data"])
    return list(zip(v[0::2], v[1::2]))


def main():
    plugin, shim, work = (os.path.abspath(a) for a in sys.argv[1:4])
    lmms = shutil.which("lmms")
    if not lmms or not os.path.exists("/usr/lib/i386-linux-gnu/lmms/libvsteffect.so"):
        end("SKIPPED", "LMMS with VST support is not installed (lmms:i386, lmms-vst-server:i386)", 77)
    try:
        probe = subprocess.run([lmms, "--allowroot", "--version"], capture_output=True, text=True,
                               timeout=120)
        if probe.returncode:
            raise OSError(f"exit code {probe.returncode}: {probe.stderr.strip()[:200]}")
    except (OSError, subprocess.TimeoutExpired) as e:
        end("SKIPPED", f"lmms:i386 cannot start on this machine ({e})", 77)

    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(os.path.join(work, "home"))
    rng = random.Random(15)
    frames = [(rng.randint(-16000, 16000), rng.randint(-16000, 16000)) for _ in range(FRAMES)]
    write_stereo(os.path.join(work, "in.wav"), frames, RATE)
    with open(os.path.join(work, "scope.mmp"), "w") as f:
        f.write(PROJECT.format(plugin=shim, wave=os.path.join(work, "in.wav")))

    windows = lambda path: "Z:" + path.replace("/", "\\")
    opcodes = os.path.join(work, "opcodes.txt")
    # Without Wine's debugger a crash ends the plug-in's server process at
    # once, where the debugger would hold it until the render timed out.
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen", HOME=os.path.join(work, "home"),
               WINEDLLOVERRIDES=os.environ.get("WINEDLLOVERRIDES", "") + ";winedbg.exe=d",
               ZW_TRACED_PLUGIN=windows(plugin), ZW_OPCODE_LOG=windows(opcodes))
    # Only a run that failed before the plug-in was loaded (the stand-in
    # writes its log first) is tried again: LMMS or its plug-in server did not
    # start. Whatever ends a run once the plug-in is loaded is judged.
    for _ in range(3):
        start = time.monotonic()
        try:
            run = subprocess.run([lmms, "--allowroot", "render", "scope.mmp", "-f", "wav", "-x",
                                  "1", "-s", str(RATE), "-a", "-o", "out.wav"],
                                 cwd=work, env=env, capture_output=True, text=True, timeout=600)
        except subprocess.TimeoutExpired:
            end("FAILED", "the render did not end within ten minutes", 1)
        print(f"LMMS rendered in {time.monotonic() - start:.1f} s (exit code {run.returncode})")
        if run.returncode == 0 or os.path.exists(opcodes):
            break
        print(f"It failed before it loaded the plug-in; trying again:\n{run.stderr[-1000:]}")
    log = run.stdout + run.stderr
    # Wine says so on the server's output, which LMMS passes on (in the middle
    # of its progress line).
    crash = re.search(r"wine: Unhandled[^\r\n]*", log)
    if crash:
        end("FAILED", f"the plug-in's host process crashed: {crash[0]}\n{log[-2000:]}", 1)
    asked = ""
    if os.path.exists(opcodes):
        with open(opcodes) as f:
            asked = f.read()
        print("What the host asked of the plug-in:\n" + asked)
    # A plug-in that fails to load still gives exit code 0 and a dry render.
    # LMMS names the plug-in it runs on its standard output, which a crash
    # of LMMS after the plug-in was closed (below) can take with it
    # unwritten; the stand-in's log then tells that the host ran it.
    closed = "\nopcode 1 " in asked
    ran = "unique ID: Expl" in log or (run.returncode and closed and "processReplacing" in asked)
    if not asked or not ran:
        end("FAILED", f"the host did not run the plug-in (unique ID Expl):\n{log[-2000:]}", 1)
    if not closed:
        end("FAILED", f"the host's process ended (exit code {run.returncode}) while the plug-in "
            f"was open:\n{log[-2000:]}", 1)
    if run.returncode:
        # Measured before: 4 of 20 renders through a bare pass-through
        # plug-in, none without a plug-in. The render is judged as written.
        print(f"LMMS ended with exit code {run.returncode} after it had closed the plug-in, as "
              "LMMS 1.2 under qemu now and then does after a render through any VST plug-in")

    out = samples(os.path.join(work, "out.wav"))
    wrong = 0
    for n, heard in enumerate(out):
        k = n - DELAY
        want = (frames[k][0] / 32768, frames[k][1] / 32768) if 0 <= k < FRAMES else (0.0, 0.0)
        wrong += heard != want and not (k >= HEARD and heard == (0.0, 0.0))
    if len(out) < FRAMES + DELAY or wrong:
        end("FAILED", f"{wrong} of {len(out)} frames are not the input delayed by {DELAY}", 1)
    print(f"The render is the input delayed by exactly {DELAY} frames ({len(out)} frames).")


if __name__ == "__main__":
    main()
