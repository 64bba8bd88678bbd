#!/usr/bin/env python3
"""The LV2 bundle in Debian's LV2 tools, one check per call:

  turtle  the bundle's Turtle files, the plug-in's and the UI's, parse with
          serdi and keep to the LV2 vocabularies (lv2_validate)
  ports   lv2ls finds the plug-in, lv2info gives its class, latency and ports
  apply   lv2apply, which runs the plug-in one frame per call, renders a
          stereo file: the input 512 frames late, with mono 1 its mono sum

    host_test.py turtle|ports|apply BUNDLE WORK

Where a tool is missing, it says so and exits 77 (skipped). tests/dist
calls check_ports and check_apply on the bundles users unpack.
"""
import os, random, re, shutil, struct, subprocess, sys

URI = "urn:zanderwick:scope"
DELAY, RATE, FRAMES = 512, 44100, 5000
AUDIO, CONTROL, ATOM = "lv2core#AudioPort", "lv2core#ControlPort", "atom#AtomPort"
IN, OUT, OPTIONAL = "lv2core#InputPort", "lv2core#OutputPort", "lv2core#connectionOptional"
# index: symbol, types, properties, in the order of lv2/ScopePorts.h
PORTS = {0: ("in_l", {AUDIO, IN}, set()), 1: ("in_r", {AUDIO, IN}, set()),
         2: ("out_l", {AUDIO, OUT}, set()), 3: ("out_r", {AUDIO, OUT}, set()),
         4: ("mono", {CONTROL, IN}, {"lv2core#toggled"}),
         5: ("latency", {CONTROL, OUT}, {"lv2core#reportsLatency", "lv2core#integer"}),
         6: ("correlation", {CONTROL, OUT}, set()), 7: ("range_min", {CONTROL, OUT}, set()),
         8: ("range_max", {CONTROL, OUT}, set()), 9: ("control", {ATOM, IN}, {OPTIONAL}),
         10: ("notify", {ATOM, OUT}, {OPTIONAL})}


class Failed(Exception):
    pass


def tool(name):
    if not shutil.which(name):
        print(f"SKIPPED: {name} is not installed (tools/setup.sh installs it)")
        sys.exit(77)
    return name


def run(command, bundle=None):
    """Runs a tool; with a bundle, LV2_PATH names it and the LV2 vocabularies."""
    env = dict(os.environ, LV2_PATH=os.path.dirname(os.path.abspath(bundle)) + ":/usr/lib/lv2") \
        if bundle else None
    done = subprocess.run(command, capture_output=True, text=True, env=env, timeout=240)
    if done.returncode:
        raise Failed(f"{' '.join(command)} exited with {done.returncode}:\n"
                     f"{done.stdout[-1500:]}{done.stderr[-1500:]}")
    return done.stdout + done.stderr


def check_turtle(bundle, work):
    tool("sord_validate")
    files = [os.path.join(bundle, f) for f in sorted(os.listdir(bundle)) if f.endswith(".ttl")]
    for path in files:
        run([tool("serdi"), "-q", "-o", "ntriples", path])
    report = run([tool("lv2_validate"), *files])
    if "Found 0 errors" not in report or re.search(r"^error", report, re.M):
        raise Failed(f"lv2_validate:\n{report[-3000:]}")
    print(f"{len(files)} Turtle files parse and keep to the LV2 vocabularies")


def check_ports(bundle, work):
    if URI not in run([tool("lv2ls")], bundle).split():
        raise Failed(f"lv2ls does not list {URI}")
    info = run([tool("lv2info"), URI], bundle)
    for line in ("Name:              Zanderwick Scope", "Class:             Analyser Plugin",
                 "Has latency:       yes, reported by port 5"):
        if line not in info:
            raise Failed(f"lv2info does not say '{line}':\n{info}")
    names = lambda text: {uri.split("/")[-1] for uri in re.findall(r"\S+#\w+", text)}
    listed = {}
    for index, body in re.findall(r"Port (\d+):\n(.*?)(?=\n\tPort \d+:|\Z)", info, re.S):
        types, rest = body.split("Symbol:")
        listed[int(index)] = (rest.split()[0], names(types), names(rest.partition("Properties:")[2]))
    if listed != PORTS:
        raise Failed(f"lv2info lists the ports as\n{listed}\nnot\n{PORTS}")
    print(f"lv2info gives the class, the latency port and {len(listed)} ports")


def single(x):
    """x rounded to single precision, as the plug-in computes."""
    return struct.unpack("<f", struct.pack("<f", x))[0]


def check_apply(bundle, work):
    tool("lv2apply")
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    rng = random.Random(30)
    frames = [(single(rng.uniform(-0.9, 0.9)), single(rng.uniform(-0.9, 0.9))) for _ in range(FRAMES)]
    data = b"".join(struct.pack("<ff", *frame) for frame in frames)
    with open(os.path.join(work, "in.wav"), "wb") as f:
        f.write(b"RIFF" + struct.pack("<I", 36 + len(data)) + b"WAVEfmt "
                + struct.pack("<IHHIIHH", 16, 3, 2, RATE, RATE * 8, 8, 32) + b"data"
                + struct.pack("<I", len(data)) + data)
    for mono in (0, 1):
        target = os.path.join(work, f"out-mono{mono}.wav")
        run(["lv2apply", "-i", os.path.join(work, "in.wav"), "-o", target, "-c", "mono", str(mono),
             URI], bundle)
        with open(target, "rb") as f:
            d = f.read()
        # libsndfile writes float as it was given, with more chunks before the data.
        at, fmt = d.index(b"data") + 8, struct.unpack("<HHI", d[20:28])
        samples = d[at:at + struct.unpack("<I", d[at - 4:at])[0]]
        out = list(zip(*[iter(struct.unpack(f"<{len(samples) // 4}f", samples))] * 2))
        wrong = []
        for n, heard in enumerate(out):
            k = n - DELAY
            summed = single(single(frames[k][0] + frames[k][1]) * 0.5) if k >= 0 else 0.0
            want = (0.0, 0.0) if k < 0 else (summed, summed) if mono else frames[k]
            if heard != want:
                wrong.append((n, heard, want))
        if fmt not in ((3, 2, RATE), (0xFFFE, 2, RATE)) or len(out) != FRAMES or wrong:
            raise Failed(f"mono {mono}: format {fmt}, {len(out)} frames, {len(wrong)} not the "
                         f"input {'summed to mono and ' if mono else ''}delayed by {DELAY}: "
                         f"{wrong[:3]}")
        print(f"mono {mono}: the output is the input {'summed to mono and ' if mono else ''}"
              f"delayed by exactly {DELAY} frames, one frame per run() ({FRAMES} frames)")


if __name__ == "__main__":
    check, bundle, work = sys.argv[1:4]
    try:
        {"turtle": check_turtle, "ports": check_ports, "apply": check_apply}[check](bundle, work)
    except (Failed, subprocess.TimeoutExpired) as e:
        print(f"FAILED: {e}")
        sys.exit(1)
