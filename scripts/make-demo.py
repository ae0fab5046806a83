#!/usr/bin/env python3
"""Writes data/demo.wav, the recording bundled to show what the piano roll looks like.

A plucked melody in C major over a soft, held C major chord, stereo 16-bit
44.1 kHz, about 7.5 seconds, fading out at the end. Everything is synthesised
here from sines, so the file is our own and reproducible: the random numbers
(small variations of loudness and phase, and the dither) use a fixed seed.

Usage: scripts/make-demo.py [output path]   (default: data/demo.wav beside scripts/)
"""
import math
import os
import random
import struct
import sys
import wave

RATE = 44100
DURATION = 7.5  # seconds
PEAK_DBFS = -3.0
FADE_SECONDS = 1.2
SEED = 20240601

A4 = 440.0
C0_TO_A4 = 57  # notes are counted in semitones above C0, as the piano roll does

# The melody: (note name, start in seconds, length in seconds). 100 beats per minute.
MELODY = [
    ("E5", 0.30, 0.45), ("G5", 0.75, 0.45), ("A5", 1.20, 0.90),
    ("G5", 2.10, 0.30), ("E5", 2.40, 0.30), ("D5", 2.70, 0.60),
    ("C5", 3.30, 0.60), ("D5", 3.90, 0.30), ("E5", 4.20, 0.30),
    ("G5", 4.50, 1.05), ("C5", 5.55, 1.60),
]
# The held chord below it; each voice sits a little to one side (0 = left, 1 = right).
CHORD = [("C3", 0.25), ("E3", 0.70), ("G3", 0.45)]

NOTE_STEPS = {"C": 0, "D": 2, "E": 4, "F": 5, "G": 7, "A": 9, "B": 11}


def frequency(name):
    """Hz of a note name such as "A4" or "C#5" with A4 = 440 Hz."""
    semitones = NOTE_STEPS[name[0]] + (1 if "#" in name else 0) + 12 * int(name[-1])
    return A4 * 2.0 ** ((semitones - C0_TO_A4) / 12.0)


def pan_gains(position):
    """Equal-power left and right gains for a position from 0 (left) to 1 (right)."""
    angle = position * math.pi / 2
    return math.cos(angle), math.sin(angle)


def pluck_envelope(t, length):
    """Quick but not clicky attack, exponential decay, short release at the note's end."""
    attack = 0.012 if length < 0.8 else 0.045  # long notes swell in more softly
    rise = min(1.0, t / attack)
    decay = math.exp(-t / (0.55 if length < 0.8 else 1.4))
    release = min(1.0, max(0.0, (length - t) / 0.08))
    return rise * rise * decay * release


def add_melody_note(left, right, rng, name, start, length):
    base = frequency(name)
    velocity = 0.30 * rng.uniform(0.88, 1.0)
    gain_l, gain_r = pan_gains(0.55)
    # Partial amplitudes fall with order; higher partials also die away faster, as on a string.
    partials = [(k, 0.55 ** (k - 1), 1.0 + 0.9 * (k - 1)) for k in range(1, 6)]
    phases = [rng.uniform(0, 2 * math.pi) for _ in partials]
    vibrato = length >= 0.9  # only long notes sing
    first = int(start * RATE)
    count = int((length + 0.1) * RATE)
    phase = 0.0
    for i in range(count):
        t = i / RATE
        depth = 0.0
        if vibrato:  # about +-12 cents at 5.5 Hz, brought in after the attack
            depth = 0.007 * min(1.0, max(0.0, (t - 0.25) / 0.3)) * math.sin(2 * math.pi * 5.5 * t)
        phase += 2 * math.pi * base * (1.0 + depth) / RATE
        env = pluck_envelope(t, length + 0.1)
        value = 0.0
        for (k, amp, speed), p in zip(partials, phases):
            value += amp * math.exp(-t * speed) * math.sin(k * phase + p)
        value *= velocity * env
        left[first + i] += value * gain_l
        right[first + i] += value * gain_r


def add_chord(left, right, rng):
    """Soft organ-like voices held throughout; each channel gets its own slight detune
    and slow swell, so the two sides differ the way two microphones would."""
    count = len(left)
    for name, position in CHORD:
        base = frequency(name)
        gain_l, gain_r = pan_gains(position)
        for channel, gain, cents in ((left, gain_l, -3.0), (right, gain_r, 3.0)):
            f = base * 2.0 ** (cents / 1200.0)
            p0 = rng.uniform(0, 2 * math.pi)
            swell_rate = rng.uniform(0.25, 0.4)
            w = 2 * math.pi * f / RATE
            for i in range(count):
                t = i / RATE
                attack = min(1.0, t / 0.5)
                swell = 1.0 + 0.15 * math.sin(2 * math.pi * swell_rate * t + p0)
                x = w * i + p0
                value = math.sin(x) + 0.3 * math.sin(2 * x) + 0.1 * math.sin(3 * x)
                channel[i] += 0.06 * gain * attack * swell * value


def apply_fade(left, right):
    """Raised-cosine fade over the last FADE_SECONDS, and a few milliseconds in at the start."""
    count = len(left)
    fade = int(FADE_SECONDS * RATE)
    for i in range(count):
        g = 1.0
        if i < 256:
            g = i / 256
        if i >= count - fade:
            g *= 0.5 * (1.0 + math.cos(math.pi * (i - (count - fade)) / fade))
        left[i] *= g
        right[i] *= g


def to_pcm16(left, right, rng):
    """Scales the mix to PEAK_DBFS and quantises with triangular dither."""
    peak = max(max(abs(v) for v in left), max(abs(v) for v in right))
    scale = 32767.0 * 10.0 ** (PEAK_DBFS / 20.0) / peak
    frames = bytearray()
    for l, r in zip(left, right):
        for v in (l, r):
            s = round(v * scale + rng.random() - rng.random())
            frames += struct.pack("<h", max(-32768, min(32767, s)))
    return bytes(frames)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.normpath(os.path.join(here, "..", "data", "demo.wav"))
    rng = random.Random(SEED)
    count = int(DURATION * RATE)
    left = [0.0] * count
    right = [0.0] * count
    add_chord(left, right, rng)
    for name, start, length in MELODY:
        add_melody_note(left, right, rng, name, start, length)
    apply_fade(left, right)
    pcm = to_pcm16(left, right, rng)
    os.makedirs(os.path.dirname(os.path.abspath(out)), exist_ok=True)
    with wave.open(out, "wb") as w:
        w.setnchannels(2)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(pcm)
    print(f"wrote {out}: {count / RATE:.2f} s, {len(pcm) + 44} bytes")


if __name__ == "__main__":
    main()
