#!/usr/bin/env python3
"""Writes resources/sounds/alert.wav, the default alert: a two-tone bell chime.

Stereo, 22 050 Hz, 16-bit PCM, 29 823 frames (119 292 data bytes, about 1.35 s).
Standard library only; the output is the same on every run.
"""

import math
import os
import struct
import wave

RATE = 22050
FRAMES = 29823
PEAK = 10 ** (-6 / 20)  # -6 dBFS

# (start s, fundamental Hz, pan -1..1, loudness): a high "ding" and a lower "dong" a major third below.
NOTES = [
    (0.00, 783.99, -0.25, 1.0),  # G5
    (0.42, 622.25, 0.25, 0.9),  # D#5
]
# Bell-like partials: (ratio to the fundamental, level, decay time constant s).
PARTIALS = [
    (1.0, 1.00, 0.55),
    (2.0, 0.45, 0.30),
    (3.0, 0.20, 0.18),
    (4.2, 0.08, 0.10),
]
ATTACK = 0.006  # raised-cosine onset, long enough to avoid a click
FADE_OUT = 0.20  # the whole chime reaches silence exactly at the last frame


def note_sample(t, freq):
    if t < 0:
        return 0.0
    onset = 0.5 - 0.5 * math.cos(math.pi * t / ATTACK) if t < ATTACK else 1.0
    s = 0.0
    for ratio, level, tau in PARTIALS:
        s += level * math.exp(-t / tau) * math.sin(2 * math.pi * freq * ratio * t)
    return onset * s


def render():
    left, right = [], []
    for n in range(FRAMES):
        t = n / RATE
        l = r = 0.0
        for start, freq, pan, loud in NOTES:
            v = loud * note_sample(t - start, freq)
            # Constant-power pan keeps both notes equally loud.
            angle = (pan + 1) * math.pi / 4
            l += v * math.cos(angle)
            r += v * math.sin(angle)
        remaining = (FRAMES - 1 - n) / RATE
        if remaining < FADE_OUT:
            g = 0.5 - 0.5 * math.cos(math.pi * remaining / FADE_OUT)
            l *= g
            r *= g
        left.append(l)
        right.append(r)
    top = max(max(abs(x) for x in left), max(abs(x) for x in right))
    scale = PEAK * 32767 / top
    data = bytearray()
    for l, r in zip(left, right):
        data += struct.pack("<hh", round(l * scale), round(r * scale))
    return bytes(data)


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    out = os.path.join(root, "resources", "sounds", "alert.wav")
    os.makedirs(os.path.dirname(out), exist_ok=True)
    data = render()
    assert len(data) == 119292, len(data)
    with wave.open(out, "wb") as w:
        w.setnchannels(2)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(data)
    print(f"{out}: {len(data)} data bytes, {FRAMES / RATE:.3f} s")


if __name__ == "__main__":
    main()
