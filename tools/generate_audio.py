#!/usr/bin/env python3
"""Writes the program's demo audio (committed; run again only to change it).

Audio/Zanderwick/Stereo.wav   22 s, 44.1 kHz, 16-bit stereo: the default file.
    Its first 15 seconds (the part the program loops) walk through what the
    goniometer can show, one short musical phrase each:
        0.0 -  2.5 s  mono: the same chord in both channels (vertical line)
        2.5 -  5.0 s  wide stereo: different voices left and right (a cloud)
        5.0 -  7.0 s  left only (the diagonal towards L)
        7.0 -  9.0 s  right only (the diagonal towards R)
        9.0 - 11.0 s  anti-phase: right = -left (horizontal line, red pointer)
       11.0 - 15.0 s  a melody panned slowly from left to right
       15.0 - 22.0 s  a coda: the full arrangement
Audio/Quillomara/             files for the open dialog:
    Harbour48k24.wav  48 kHz, 24-bit stereo
    Lantern8bitMono.wav  44.1 kHz, 8-bit mono
    Reed22k.wav       22.05 kHz 16-bit stereo, which the program refuses
tests/editor/phase_turn.wav   for the panel's pixel tests: 48 blocks of 512
    frames, a tone whose right channel slides out of phase with the left, so
    that the meter falls from +1 to about -0.5 and the range bar shows all
    three colours.

Only the standard library is used, and the output is the same on every run.
"""
import math
import os
import random
import struct
import wave

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "Audio")


def note(name):
    """Frequency of a note like 'A3' or 'C#4'."""
    names = {"C": -9, "C#": -8, "D": -7, "D#": -6, "E": -5, "F": -4, "F#": -3,
             "G": -2, "G#": -1, "A": 0, "A#": 1, "B": 2}
    pitch, octave = name[:-1], int(name[-1])
    return 440.0 * 2 ** ((names[pitch] + 12 * (octave - 4)) / 12)


class Track:
    def __init__(self, rate, seconds):
        self.rate = rate
        self.n = int(rate * seconds)
        self.left = [0.0] * self.n
        self.right = [0.0] * self.n

    def add(self, start, length, voice, gain_l, gain_r):
        """Mixes voice(t) for t in [0, length) at `start` seconds, with a pan
        given as two gains (constant, or functions of the time in seconds)."""
        first = int(start * self.rate)
        count = min(int(length * self.rate), self.n - first)
        gl = gain_l if callable(gain_l) else (lambda _t, g=gain_l: g)
        gr = gain_r if callable(gain_r) else (lambda _t, g=gain_r: g)
        for i in range(count):
            t = i / self.rate
            v = voice(t)
            if v:
                at = (first + i) / self.rate
                self.left[first + i] += v * gl(at)
                self.right[first + i] += v * gr(at)


def envelope(t, length, attack=0.01, release=0.25):
    if t < attack:
        return t / attack
    if t > length - release:
        return max(0.0, (length - t) / release)
    return 1.0


def pluck(freq, length, bright=3):
    """A plucked string: a few decaying harmonics."""
    def voice(t):
        e = envelope(t, length, 0.004, 0.1) * math.exp(-3.0 * t)
        s = 0.0
        for h in range(1, bright + 1):
            s += math.sin(2 * math.pi * freq * h * t) * math.exp(-0.8 * h * t) / h
        return 0.5 * e * s
    return voice


def pad(freqs, length, detune=0.0):
    """A soft chord of slightly detuned saw-like tones."""
    def voice(t):
        e = envelope(t, length, 0.25, 0.4)
        s = 0.0
        for i, f in enumerate(freqs):
            f2 = f * (1 + detune * (i - 1))
            s += (math.sin(2 * math.pi * f2 * t) + 0.3 * math.sin(4 * math.pi * f2 * t)
                  + 0.12 * math.sin(6 * math.pi * f2 * t))
        return 0.18 * e * s / len(freqs)
    return voice


def bass(freq, length):
    def voice(t):
        e = envelope(t, length, 0.01, 0.08) * (0.6 + 0.4 * math.exp(-4 * t))
        return 0.35 * e * (math.sin(2 * math.pi * freq * t) + 0.25 * math.sin(4 * math.pi * freq * t))
    return voice


def kick(length=0.3):
    def voice(t):
        if t > length:
            return 0.0
        f = 45 + 90 * math.exp(-25 * t)
        return 0.6 * math.exp(-9 * t) * math.sin(2 * math.pi * f * t)
    return voice


def hat(seed, length=0.06):
    rng = random.Random(seed)
    noise = [rng.uniform(-1, 1) for _ in range(int(length * 44100) + 2)]
    def voice(t):
        i = int(t * 44100)
        if i >= len(noise) - 1:
            return 0.0
        return 0.12 * math.exp(-60 * t) * (noise[i] - noise[i + 1])
    return voice


def melody(track, start, notes, step, gain_l, gain_r, bright=4):
    for k, name in enumerate(notes):
        if name:
            track.add(start + k * step, step * 1.6, pluck(note(name), step * 1.6, bright), gain_l, gain_r)


def beat(track, start, bars, tempo_step, gain_l=0.8, gain_r=0.8, seed=1):
    for b in range(bars * 4):
        t = start + b * tempo_step
        if b % 2 == 0:
            track.add(t, 0.3, kick(), gain_l, gain_r)
        track.add(t + tempo_step / 2, 0.06, hat(seed + b), gain_l * 0.7, gain_r)


def stereo_demo():
    tr = Track(44100, 22.0)
    q = 0.3125  # one beat at 96 bpm... close enough to a relaxed groove

    # 0.0 - 2.5 s: mono. Everything identical in both channels.
    tr.add(0.0, 2.5, pad([note("A3"), note("C4"), note("E4")], 2.5), 0.9, 0.9)
    tr.add(0.0, 2.5, bass(note("A2"), 2.5), 0.9, 0.9)
    melody(tr, 0.0, ["E5", "", "C5", "", "A4", "", "C5", ""], q, 0.7, 0.7)

    # 2.5 - 5.0 s: wide stereo. Different, detuned voices on each side.
    tr.add(2.5, 2.5, pad([note("F3"), note("A3"), note("C4")], 2.5, 0.004), 1.0, 0.15)
    tr.add(2.5, 2.5, pad([note("F3"), note("C4"), note("E4")], 2.5, -0.006), 0.15, 1.0)
    melody(tr, 2.5, ["C5", "F5", "A5", "F5", "C5", "F5", "A5", "C6"], q, 0.85, 0.1)
    melody(tr, 2.5 + q / 2, ["A4", "", "G4", "", "F4", "", "E4", ""], q, 0.1, 0.85)

    # 5.0 - 7.0 s: the left channel alone.
    tr.add(5.0, 2.0, bass(note("G2"), 2.0), 0.9, 0.0)
    melody(tr, 5.0, ["B4", "D5", "G5", "D5", "B4", "G4"], q, 0.8, 0.0)

    # 7.0 - 9.0 s: the right channel alone.
    tr.add(7.0, 2.0, bass(note("E2"), 2.0), 0.0, 0.9)
    melody(tr, 7.0, ["G#4", "B4", "E5", "B4", "G#4", "E4"], q, 0.0, 0.8)

    # 9.0 - 11.0 s: anti-phase. The right channel is the left one inverted.
    tr.add(9.0, 2.0, pad([note("D3"), note("F3"), note("A3")], 2.0), 0.9, -0.9)
    melody(tr, 9.0, ["A4", "", "D5", "", "F5", "E5"], q, 0.8, -0.8)

    # 11.0 - 15.0 s: a phrase that pans slowly from left to right.
    def pan_l(t):
        p = min(1.0, max(0.0, (t - 11.0) / 4.0))
        return math.cos(p * math.pi / 2)

    def pan_r(t):
        p = min(1.0, max(0.0, (t - 11.0) / 4.0))
        return math.sin(p * math.pi / 2)

    melody(tr, 11.0, ["A4", "C5", "E5", "A5", "G5", "E5", "C5", "D5",
                      "E5", "G5", "A5", "C6", "B5", "G5"], q * 0.9, pan_l, pan_r, 5)
    tr.add(11.0, 4.0, pad([note("A3"), note("C4"), note("E4")], 4.0), 0.35, 0.35)

    # 15.0 - 22.0 s: the coda, everything together.
    tr.add(15.0, 7.0, pad([note("A3"), note("C4"), note("E4"), note("G4")], 7.0, 0.003), 0.8, 0.5)
    tr.add(15.0, 7.0, pad([note("A3"), note("E4"), note("G4")], 7.0, -0.004), 0.5, 0.8)
    for k, name in enumerate(["A2", "F2", "C3", "G2"]):
        tr.add(15.0 + k * 1.6, 1.6, bass(note(name), 1.6), 0.8, 0.8)
    beat(tr, 15.0, 5, q)
    melody(tr, 15.5, ["E5", "G5", "A5", "", "G5", "E5", "D5", "", "C5", "D5", "E5", "", "A4"],
           q, 0.7, 0.45)
    return tr


def scaled(track, peak=0.89):
    top = max(max(abs(v) for v in track.left), max(abs(v) for v in track.right))
    g = peak / top if top else 0.0
    return [v * g for v in track.left], [v * g for v in track.right]


def write(path, rate, bits, channels, left, right=None):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    frames = bytearray()
    full = (1 << (bits - 1)) - 1
    for i in range(len(left)):
        chans = [left[i]] if channels == 1 else [left[i], right[i]]
        for v in chans:
            s = max(-full, min(full, int(round(v * full))))
            if bits == 8:
                frames += struct.pack("<B", s + 128)
            elif bits == 16:
                frames += struct.pack("<h", s)
            else:
                frames += struct.pack("<i", s)[:3]
    with wave.open(path, "wb") as w:
        w.setnchannels(channels)
        w.setsampwidth(bits // 8)
        w.setframerate(rate)
        w.writeframes(bytes(frames))


def harbour():
    """Eight seconds of slow stereo arpeggios at 48 kHz."""
    tr = Track(48000, 8.0)
    chords = [["D3", "F#3", "A3"], ["B2", "D3", "F#3"], ["G2", "B2", "D3"], ["A2", "C#3", "E3"]]
    for k, chord in enumerate(chords):
        tr.add(k * 2.0, 2.0, pad([note(n) for n in chord], 2.0, 0.003), 0.9, 0.6)
        tr.add(k * 2.0, 2.0, pad([note(n) for n in chord], 2.0, -0.003), 0.6, 0.9)
        for j in range(8):
            n = chord[j % 3][:-1] + str(int(chord[j % 3][-1]) + 2)
            side = j % 2
            tr.add(k * 2.0 + j * 0.25, 0.5, pluck(note(n), 0.5), 0.9 if side == 0 else 0.3,
                   0.3 if side == 0 else 0.9)
    return tr


def lantern():
    """Six seconds of a music-box tune in mono, 8-bit."""
    tr = Track(44100, 6.0)
    melody(tr, 0.0, ["C5", "E5", "G5", "C6", "G5", "E5", "F5", "A5", "C6", "A5", "F5", "D5",
                     "G5", "B5", "D6", "B5", "C6", "", "C5"], 0.3, 1.0, 1.0, 6)
    tr.add(0.0, 6.0, pad([note("C3"), note("G3")], 6.0), 1.0, 1.0)
    return tr


def reed():
    tr = Track(22050, 3.0)
    tr.add(0.0, 3.0, pad([note("E3"), note("G#3"), note("B3")], 3.0), 0.8, 0.8)
    return tr


def phase_turn():
    """The right channel lags the left by a phase growing from 0 to 2.4
    radians; a period of 128 frames, as the editor's tests use."""
    n = 48 * 512
    left = [0.8 * math.sin(2 * math.pi * i / 128 + 0.1) for i in range(n)]
    right = [0.6 * math.sin(2 * math.pi * i / 128 + 0.1 - 2.4 * i / n) for i in range(n)]
    return left, right


def main():
    left, right = scaled(stereo_demo())
    write(os.path.join(ROOT, "Zanderwick", "Stereo.wav"), 44100, 16, 2, left, right)
    left, right = scaled(harbour())
    write(os.path.join(ROOT, "Quillomara", "Harbour48k24.wav"), 48000, 24, 2, left, right)
    left, _ = scaled(lantern())
    write(os.path.join(ROOT, "Quillomara", "Lantern8bitMono.wav"), 44100, 8, 1, left)
    left, right = scaled(reed())
    write(os.path.join(ROOT, "Quillomara", "Reed22k.wav"), 22050, 16, 2, left, right)
    write(os.path.join(ROOT, "..", "tests", "editor", "phase_turn.wav"), 44100, 16, 2,
          *phase_turn())


if __name__ == "__main__":
    main()
