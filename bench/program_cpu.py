#!/usr/bin/env python3
"""What the running program costs under Wine, next to two floors: a minimal
Win32 program with the same windows and timers (bench/Baseline.cpp), and the
same program streaming silence through wave-out as the program streams its
sound (bench/StreamingBaseline.cpp).

Run through bench/program-cpu, which sets up Wine and Xvfb. Reads the CPU
time of the program's process and of the wineserver from /proc for a fixed
interval in each state, the seconds of audio played from the captured file,
and the resident memory, before and after many stop/play cycles. Stopped is
compared with the window-and-timer floor, playing with the streaming floor,
both at real-time pace: the test sound sink takes audio faster than real
time, so the CPU per second of audio is added to the share that costs
without sound."""
import argparse
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "support"))
from wavefile import write_stereo  # noqa: E402

TICKS = os.sysconf("SC_CLK_TCK")
RATE = 44100
FRAME_BYTES = 4


def cpu_ticks(pid):
    """User plus system time of a process and all its threads, in ticks."""
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return int(fields[11]) + int(fields[12])


def resident_kib(pid):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    return 0


def wineserver_pid():
    prefix = os.environ["WINEPREFIX"]
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open(f"/proc/{entry}/comm") as f:
                if not f.read().startswith("wineserver"):
                    continue
            with open(f"/proc/{entry}/environ", "rb") as f:
                if f"WINEPREFIX={prefix}".encode() in f.read().split(b"\0"):
                    return int(entry)
        except OSError:
            continue
    sys.exit("program-cpu: no wineserver for " + prefix)


def captured_seconds(path):
    try:
        return max(os.path.getsize(path) - 44, 0) / (RATE * FRAME_BYTES)
    except OSError:
        return 0.0


def wait_until(condition, seconds):
    end = time.time() + seconds
    while time.time() < end:
        if condition():
            return True
        time.sleep(0.05)
    return False


def write_noise_wave(path, seconds):
    """16-bit stereo noise at 44.1 kHz: something to play, and to scope."""
    state, samples = 1, []
    for _ in range(seconds * RATE * 2):
        state = (state * 1664525 + 1013904223) & 0xFFFFFFFF
        samples.append((state >> 16) % 30000 - 15000)
    write_stereo(path, zip(samples[0::2], samples[1::2]), RATE)


class Measure:
    """CPU of one process and the wineserver over an interval."""

    def __init__(self, pid, server):
        self.pid, self.server = pid, server
        self.start = (time.time(), cpu_ticks(pid), cpu_ticks(server))

    def done(self):
        wall = time.time() - self.start[0]
        program = (cpu_ticks(self.pid) - self.start[1]) / TICKS
        server = (cpu_ticks(self.server) - self.start[2]) / TICKS
        return wall, program, server


def drive(tools, window, *action):
    subprocess.run(["wine", os.path.join(tools, "zw_drive_window.exe"), window, *action],
                   check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def run_baseline(args, server):
    baseline = subprocess.Popen(["wine", args.baseline], stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL)
    time.sleep(args.settle)
    measure = Measure(baseline.pid, server)
    time.sleep(args.seconds)
    result = measure.done() + (resident_kib(baseline.pid),)
    drive(args.tools, "ZWBASELINE", "close")
    baseline.wait(timeout=30)
    return result


def start_playing(command, capture, what, cwd=None):
    """Starts a process that plays into the capture file; returns it once a
    second of sound has arrived."""
    if os.path.exists(capture):
        os.remove(capture)
    env = dict(os.environ, ZW_CAPTURE_WAV=capture)
    process = subprocess.Popen(command, cwd=cwd, env=env, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    if not wait_until(lambda: captured_seconds(capture) > 1.0, 60):
        process.kill()
        sys.exit(f"program-cpu: {what} played nothing")
    return process


def measure_playing(args, process, server, capture):
    """The CPU over an interval, the resident memory, and the seconds of
    audio played meanwhile."""
    played_at = captured_seconds(capture)
    measure = Measure(process.pid, server)
    time.sleep(args.seconds)
    result = measure.done() + (resident_kib(process.pid),)
    return result, captured_seconds(capture) - played_at


def run_streaming(args, server, capture):
    floor = start_playing(["wine", args.streaming], capture, "the streaming floor")
    result, audio = measure_playing(args, floor, server, capture)
    drive(args.tools, "ZWSTREAMING", "close")
    floor.wait(timeout=30)
    return result, audio


def run_program(args, server, folder, capture):
    program = start_playing(["wine", os.path.abspath(args.program)], capture, "the program",
                            cwd=folder)
    playing, audio = measure_playing(args, program, server, capture)

    drive(args.tools, "CDEMOWND", "key", "0x60")
    grows = lambda: (lambda before: (time.sleep(0.5), captured_seconds(capture) != before)[1])(
        captured_seconds(capture))
    wait_until(lambda: not grows(), 10)
    time.sleep(args.settle)
    measure = Measure(program.pid, server)
    time.sleep(args.seconds)
    stopped = measure.done() + (resident_kib(program.pid),)

    drive(args.tools, "CDEMOWND", "cycles", str(args.cycles), "40")
    time.sleep(args.settle)
    cycled = resident_kib(program.pid)
    drive(args.tools, "CDEMOWND", "close")
    program.wait(timeout=30)
    return playing, audio, stopped, cycled


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--program", default="build/win32/ZanderwickDemo.exe")
    parser.add_argument("--baseline", default="build/win32/bench/zw_bench_baseline.exe")
    parser.add_argument("--streaming", default="build/win32/bench/zw_bench_streaming.exe")
    parser.add_argument("--tools", default="build/win32/tools")
    parser.add_argument("--seconds", type=float, default=10.0, help="length of each interval")
    parser.add_argument("--settle", type=float, default=8.0,
                        help="pause before measuring: Wine warms up for seconds under qemu")
    parser.add_argument("--cycles", type=int, default=200, help="stop/play cycles")
    parser.add_argument("--work", default="build/bench-program")
    args = parser.parse_args()

    folder = os.path.abspath(args.work)
    capture = os.path.join(folder, "played.wav")
    write_noise_wave(os.path.join(folder, "Audio", "Zanderwick", "Stereo.wav"), 16)
    server = wineserver_pid()

    base_wall, base_program, base_server, base_kib = run_baseline(args, server)
    streaming, streamed = run_streaming(args, server, capture)
    (playing, audio, stopped, cycled) = run_program(args, server, folder, capture)
    base = (base_program + base_server) / base_wall

    def line(name, wall, program, server, kib):
        total = (program + server) / wall
        print(f"{name:10} program {100 * program / wall:6.2f} %  wineserver "
              f"{100 * server / wall:6.2f} %  together {100 * total:6.2f} % of one core "
              f"({total / base:5.2f} x baseline)  resident {kib / 1024:6.1f} MiB")

    print(f"CPU per second of wall time, {args.seconds:.0f} s each:")
    line("baseline", base_wall, base_program, base_server, base_kib)
    line("streaming", *streaming)
    line("stopped", *stopped)
    line("playing", *playing)

    def real_time(name, measured, seconds, silent_share):
        wall, program, server, _ = measured
        per_audio = (program + server) / seconds if seconds > 0 else float("inf")
        pace = per_audio + silent_share
        print(f"{name}: {seconds:.1f} s of audio in {wall:.1f} s; {100 * per_audio:.2f} % of one "
              f"core per second of audio; at real-time pace {100 * pace:.2f} %")
        return pace

    stopped_share = (stopped[1] + stopped[2]) / stopped[0]
    floor_pace = real_time("streaming floor", streaming, streamed, base)
    playing_pace = real_time("playing", playing, audio, stopped_share)
    print(f"stopped: {stopped_share / base:.2f} x the window-and-timer floor; playing at "
          f"real-time pace: {playing_pace / floor_pace:.2f} x the streaming floor")
    print(f"resident after {args.cycles} stop/play cycles: {cycled / 1024:.1f} MiB "
          f"(stopped before: {stopped[3] / 1024:.1f} MiB)")


if __name__ == "__main__":
    main()
