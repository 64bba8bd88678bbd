#!/usr/bin/env python3
"""The LV2 bundle in Debian's LV2 tools, one check per call:

  turtle  every Turtle file of the bundle, and the UI's (still outside the
          bundle), parses with serdi and keeps to the LV2 vocabularies
          (lv2_validate)
  ports   lv2ls finds the plug-in and lv2info lists its class, latency and ports
  apply   lv2apply (which runs the plug-in one frame per call) renders a
          stereo file: the output is the input 512 frames late, and with mono
          1 the mono sum of it

    host_test.py turtle|ports|apply BUNDLE WORK

Where a tool is missing, says so and exits 77 (skipped). tests/dist runs
the apply check on the bundles users unpack (import and call apply()).
"""
import os, random, re, shutil, struct, subprocess, sys

URI = "urn:zanderwick:scope"
SOURCE = os.path.join(os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__)))),
                      "lv2")
DELAY, RATE, FRAMES = 512, 44100, 5000
AUDIO, CONTROL, ATOM = "lv2core#AudioPort", "lv2core#ControlPort", "atom#AtomPort"
IN, OUT = "lv2core#InputPort", "lv2core#OutputPort"
# index: symbol, types, properties (lv2/ScopePorts.h gives the same order)
PORTS = {
    0: ("in_l", {AUDIO, IN}, set()),
    1: ("in_r", {AUDIO, IN}, set()),
    2: ("out_l", {AUDIO, OUT}, set()),
    3: ("out_r", {AUDIO, OUT}, set()),
    4: ("mono", {CONTROL, IN}, {"lv2core#toggled"}),
    5: ("latency", {CONTROL, OUT}, {"lv2core#reportsLatency", "lv2core#integer"}),
    6: ("correlation", {CONTROL, OUT}, set()),
    7: ("range_min", {CONTROL, OUT}, set()),
    8: ("range_max", {CONTROL, OUT}, set()),
    9: ("control", {ATOM, IN}, {"lv2core#connectionOptional"}),
    10: ("notify", {ATOM, OUT}, {"lv2core#connectionOptional"}),
}


class Failed(Exception):
    pass


def tool(name):
    path = shutil.which(name)
    if not path:
        print(f"SKIPPED: {name} is not installed (tools/setup.sh installs it)")
        sys.exit(77)
    return path


def run(command, env=None):
    done = subprocess.run(command, capture_output=True, text=True, env=env, timeout=240)
    if done.returncode:
        raise Failed(f"{' '.join(command)} exited with {done.returncode}:\n{done.stderr[-2000:]}")
    return done.stdout


def lv2_env(bundle):
    """Only this bundle, and the LV2 vocabularies that say what its classes are."""
    return dict(os.environ, LV2_PATH=f"{os.path.dirname(os.path.abspath(bundle))}:/usr/lib/lv2")


def check_turtle(bundle, work):
    serdi, validate = tool("serdi"), tool("lv2_validate")
    tool("sord_validate")
    files = sorted(os.path.join(bundle, f) for f in os.listdir(bundle) if f.endswith(".ttl"))
    files += [os.path.join(SOURCE, f) for f in ("ZanderwickScopeUI.ttl", "manifest-ui.ttl")]
    for path in files:
        run([serdi, "-q", "-o", "ntriples", path])
    report = subprocess.run([validate, *files], capture_output=True, text=True, timeout=240)
    errors = [l for l in (report.stdout + report.stderr).splitlines() if l.startswith("error")]
    if report.returncode or errors or "Found 0 errors" not in report.stdout + report.stderr:
        raise Failed(f"lv2_validate:\n{report.stdout[-2000:]}{report.stderr[-2000:]}")
    print(f"{len(files)} Turtle files parse and keep to the LV2 vocabularies")


def check_ports(bundle, work):
    lv2ls, lv2info = tool("lv2ls"), tool("lv2info")
    env = lv2_env(bundle)
    if URI not in run([lv2ls], env).split():
        raise Failed(f"lv2ls does not list {URI}")
    info = run([lv2info, URI], env)
    for line in ("Class:             Analyser Plugin", "Has latency:       yes, reported by port 5",
                 "Name:              Zanderwick Scope"):
        if line not in info:
            raise Failed(f"lv2info does not say '{line}':\n{info}")
    listed = {}
    for index, body in re.findall(r"Port (\d+):\n(.*?)(?=\n\tPort \d+:|\Z)", info, re.S):
        names = lambda text: {u.split("/")[-1] for u in re.findall(r"\S+#\w+", text)}
        types, rest = body.split("Symbol:")
        props = rest.split("Properties:")[1] if "Properties:" in rest else ""
        listed[int(index)] = (rest.split()[0], names(types), names(props))
    if listed != PORTS:
        raise Failed(f"lv2info lists the ports as\n{listed}\nnot\n{PORTS}")
    print(f"lv2info lists the class, the latency port and {len(listed)} ports")


def write_wave(path, frames):
    """A 32-bit float stereo WAV."""
    data = b"".join(struct.pack("<ff", l, r) for l, r in frames)
    with open(path, "wb") as f:
        f.write(b"RIFF" + struct.pack("<I", 36 + len(data)) + b"WAVEfmt "
                + struct.pack("<IHHIIHH", 16, 3, 2, RATE, RATE * 8, 8, 32)
                + b"data" + struct.pack("<I", len(data)) + data)


def read_wave(path):
    """The frames of a float stereo WAV, as libsndfile writes it."""
    with open(path, "rb") as f:
        d = f.read()
    i, chunks = 12, {}
    while i + 8 <= len(d):
        size = struct.unpack("<I", d[i + 4:i + 8])[0]
        chunks[d[i:i + 4]] = d[i + 8:i + 8 + size]
        i += 8 + size + (size & 1)
    fmt = chunks.get(b"fmt ", bytes(16))
    tag, channels, rate = struct.unpack("<HHI", fmt[:8])
    bits = struct.unpack("<H", fmt[14:16])[0]
    if tag == 0xFFFE:
        tag = struct.unpack("<H", fmt[24:26])[0]
    if (tag, channels, rate, bits) != (3, 2, RATE, 32) or b"data" not in chunks:
        raise Failed(f"{path} is not 32-bit float stereo at {RATE} Hz: {(tag, channels, rate, bits)}")
    v = struct.unpack(f"<{len(chunks[b'data']) // 4}f", chunks[b"data"])
    return list(zip(v[0::2], v[1::2]))


def single(x):
    """x rounded to single precision, as the plug-in computes."""
    return struct.unpack("<f", struct.pack("<f", x))[0]


def check_apply(bundle, work):
    lv2apply = tool("lv2apply")
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    rng = random.Random(30)
    frames = [(single(rng.uniform(-0.9, 0.9)), single(rng.uniform(-0.9, 0.9))) for _ in range(FRAMES)]
    source = os.path.join(work, "in.wav")
    write_wave(source, frames)
    for mono in (0, 1):
        target = os.path.join(work, f"out-mono{mono}.wav")
        run([lv2apply, "-i", source, "-o", target, "-c", "mono", str(mono), URI], lv2_env(bundle))
        out = read_wave(target)
        if len(out) != FRAMES:
            raise Failed(f"lv2apply wrote {len(out)} frames for {FRAMES}")
        wrong = []
        for n, heard in enumerate(out):
            if n < DELAY:
                want = (0.0, 0.0)
            elif mono:
                m = single(single(frames[n - DELAY][0] + frames[n - DELAY][1]) * 0.5)
                want = (m, m)
            else:
                want = frames[n - DELAY]
            if heard != want:
                wrong.append((n, heard, want))
        if wrong:
            raise Failed(f"mono {mono}: {len(wrong)} of {FRAMES} frames are not the input "
                         f"{'summed to mono and ' if mono else ''}delayed by {DELAY}; "
                         f"the first (frame, heard, wanted): {wrong[:3]}")
        print(f"mono {mono}: the output is the input {'summed to mono and ' if mono else ''}"
              f"delayed by exactly {DELAY} frames, one frame per run() ({FRAMES} frames)")


CHECKS = {"turtle": check_turtle, "ports": check_ports, "apply": check_apply}

if __name__ == "__main__":
    check, bundle, work = sys.argv[1], sys.argv[2], sys.argv[3]
    try:
        CHECKS[check](bundle, work)
    except (Failed, subprocess.TimeoutExpired) as e:
        print(f"FAILED: {e}")
        sys.exit(1)
