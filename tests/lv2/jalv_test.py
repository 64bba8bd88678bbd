#!/usr/bin/env python3
"""The plug-in and its panel in jalv, as a user runs them, on an Xvfb and a
JACK server (the dummy driver) of the test's own:

  - jalv.gtk3 shows the panel in its window, the very picture zwpanel draws
    for silence (what the unconnected inputs give);
  - a wide stereo file played into its inputs (sndfile-jackplay,
    jack_connect) moves the dots;
  - a mono file, into both inputs, puts every dot on the M axis;
  - console jalv with -s shows the panel in a window of its own.

    jalv_test.py BUNDLE ZWPANEL WORK

Where a tool is missing, it says so and exits 77 (skipped). Every process
it starts ends with it, also when it fails or is killed.
"""
import ctypes, os, random, re, shutil, signal, struct, subprocess, sys, time, wave

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from host_test import URI, Failed, tool  # noqa: E402

RATE = 44100
# The scope's place on the 100 % panel and the column of its M axis.
SCOPE, M_AXIS = (46, 56, 177, 185), 65
started = []


def start(command, env, **options):
    """A process that gets SIGTERM when this script ends, however it ends."""
    libc = ctypes.CDLL("libc.so.6", use_errno=True)
    process = subprocess.Popen(command, env=env, stdout=subprocess.DEVNULL,
                               stderr=options.pop("stderr", subprocess.DEVNULL),
                               preexec_fn=lambda: libc.prctl(1, signal.SIGTERM), **options)
    started.append(process)
    return process


def stop(process):
    if process.poll() is None:
        process.terminate()
        try:
            process.wait(10)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()


def wait_for(what, check, process, seconds=60):
    """Waits until check() gives something, while the process that is to make
    it so lives, for at most the seconds given."""
    end = time.monotonic() + seconds
    while True:
        found = check()
        if found:
            return found
        if process.poll() is not None:
            raise Failed(f"{what}: {process.args[0]} ended with {process.returncode}")
        if time.monotonic() > end:
            raise Failed(f"{what}: not within {seconds} s")
        time.sleep(0.1)


def write_wav(path, channels, frames):
    with wave.open(path, "wb") as w:
        w.setnchannels(len(channels))
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(b"".join(struct.pack(f"<{len(channels)}h", *(c[i] for c in channels))
                               for i in range(frames)))


def ppm(data):
    """(width, height, rows of (r, g, b)) of a P6 picture of 8-bit values;
    None for anything else."""
    head = re.match(rb"P6\s+(\d+)\s+(\d+)\s+255\s", data)
    if not head:
        return None
    width, height = int(head.group(1)), int(head.group(2))
    body = data[head.end():]
    pixels = [tuple(body[i:i + 3]) for i in range(0, 3 * width * height, 3)]
    return width, height, [pixels[y * width:(y + 1) * width] for y in range(height)]


def capture(window, env):
    done = subprocess.run([tool("import"), "-window", window, "-depth", "8", "ppm:-"], env=env,
                          capture_output=True, timeout=30)
    return ppm(done.stdout) if done.returncode == 0 else None


def panel_windows(env):
    """The panel's X windows (made by our UI, named, with no class) and sizes."""
    tree = subprocess.run([tool("xwininfo"), "-root", "-tree"], env=env, capture_output=True,
                          text=True, timeout=30).stdout
    return re.findall(r"(0x[0-9a-f]+) \"Zanderwick Scope\": \(\)\s+(\d+)x(\d+)", tree)


def scope_marks(shot, silent):
    """The scope's pixels that differ from the silent panel's, in scope
    coordinates; none when the window could not be read."""
    if not shot or shot[:2] != silent[:2]:
        return set()
    left, top, right, bottom = SCOPE
    return {(x - left, y - top) for y in range(top, bottom) for x in range(left, right)
            if shot[2][y][x] != silent[2][y][x]}


def jack_ports(env):
    done = subprocess.run([tool("jack_lsp")], env=env, capture_output=True, text=True, timeout=30)
    return done.stdout.split() if done.returncode == 0 else []


def play(path, inputs, env):
    """sndfile-jackplay looping a file, its outputs into the plug-in's inputs."""
    player = start([tool("sndfile-jackplay"), "-l", "0", path], env)
    # The player registers its ports one by one: all of them, not the first.
    wanted = max(port for port, _ in inputs) + 1

    def outputs():
        found = [p for p in jack_ports(env) if re.fullmatch(r"jackplay:out_\d", p)]
        return found if len(found) >= wanted else []

    ports = wait_for("the player's ports", outputs, player)
    for port, target in inputs:
        subprocess.run([tool("jack_connect"), sorted(ports)[port], f"zwjalv:{target}"], env=env,
                       check=True, timeout=30)
    return player


def check(bundle, zwpanel, work):
    for name in ("Xvfb", "jackd", "jalv.gtk3", "jalv", "sndfile-jackplay", "jack_connect"):
        tool(name)
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    rng = random.Random(30)
    frames = 2 * RATE
    sounds = {"silence": [[0] * frames] * 2,
              "wide": [[rng.randint(-20000, 20000) for _ in range(frames)] for _ in range(2)],
              "mono": [[rng.randint(-20000, 20000) for _ in range(frames)]]}
    for name, channels in sounds.items():
        write_wav(os.path.join(work, f"{name}.wav"), channels, frames)
    silent_png = os.path.join(work, "silent.png")
    subprocess.run([zwpanel, os.path.join(work, "silence.wav"), silent_png], check=True)
    silent = ppm(subprocess.run([tool("convert"), silent_png, "-depth", "8", "ppm:-"], check=True,
                                capture_output=True).stdout)

    # A display and a JACK server of the test's own; the user's settings
    # are never read.
    read_end, write_end = os.pipe()
    xvfb = start(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24",
                  "-nolisten", "tcp"], None, pass_fds=(write_end,))
    os.close(write_end)
    number = b""
    while not number.endswith(b"\n"):
        chunk = os.read(read_end, 16)
        if not chunk:
            raise Failed(f"Xvfb ended with {xvfb.wait()} before naming its display")
        number += chunk
    os.close(read_end)
    server = f"zwtest{os.getpid()}"
    env = dict(os.environ, DISPLAY=f":{number.decode().strip()}", JACK_DEFAULT_SERVER=server,
               JACK_NO_AUDIO_RESERVATION="1", XDG_CONFIG_HOME=os.path.join(work, "config"),
               LV2_PATH=os.path.dirname(os.path.abspath(bundle)) + ":/usr/lib/lv2")
    jackd = start(["jackd", "-n", server, "-d", "dummy", "-r", str(RATE), "-p", "512"], env)
    wait_for("JACK", lambda: "system:playback_1" in jack_ports(env), jackd)

    jalv = start(["jalv.gtk3", "--jack-name", "zwjalv", "-x", URI], env)
    window, width, height = wait_for("jalv.gtk3's panel", lambda: panel_windows(env), jalv)[0]
    if (int(width), int(height)) != (220, 270):
        raise Failed(f"the panel is {width} x {height}, not 220 x 270")
    wait_for("the plug-in's inputs", lambda: "zwjalv:in_r" in jack_ports(env), jalv)
    wait_for("the panel as zwpanel draws it for silence",
             lambda: capture(window, env) == silent, jalv, 30)
    print("jalv.gtk3 shows the panel, pixel for pixel as zwpanel draws it for silence")

    player = play(os.path.join(work, "wide.wav"), [(0, "in_l"), (1, "in_r")], env)
    shown = set()

    def moving():
        marks = scope_marks(capture(window, env), silent)
        if len(marks) > 100:
            shown.add(frozenset(marks))
        return len(shown) >= 3
    wait_for("the dots of the wide file, moving", moving, jalv, 30)
    print(f"the dots move while the wide stereo file plays ({len(shown)} pictures seen)")
    stop(player)

    player = play(os.path.join(work, "mono.wav"), [(0, "in_l"), (0, "in_r")], env)

    def on_m_axis():
        marks = scope_marks(capture(window, env), silent)
        return len({y for _, y in marks}) >= 20 and {x for x, _ in marks} == {M_AXIS}
    wait_for("every dot of the mono file on the M axis", on_m_axis, jalv, 30)
    print("the mono file's dots all stand on the M axis")
    stop(player)
    stop(jalv)
    wait_for("jalv.gtk3's panel gone", lambda: not panel_windows(env), jackd, 30)

    # Console jalv shows the panel through its show interface, in a window
    # of its own; it runs while its input stays open.
    console = start(["jalv", "-s", "-n", "zwjalv", "-x", URI], env, stdin=subprocess.PIPE)
    window, width, height = wait_for("jalv -s's panel", lambda: panel_windows(env), console)[0]
    wait_for("the panel in its own window", lambda: capture(window, env) == silent, console, 30)
    print("jalv -s shows the panel in a window of its own")


if __name__ == "__main__":
    try:
        check(*sys.argv[1:4])
    except (Failed, subprocess.TimeoutExpired, subprocess.CalledProcessError) as e:
        print(f"FAILED: {e}")
        sys.exit(1)
    finally:
        for process in reversed(started):
            stop(process)
