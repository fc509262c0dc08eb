#!/usr/bin/env python3
"""Writes data/yippee.wav: a short rising chime (C major arpeggio) played by
the tip check when a row has three or more hits or the MegaBall.

Only the standard library is used, and the output is the same on every run.
Usage: scripts/make-sound.py [OUTPUT]   (default: data/yippee.wav beside this folder)
"""
import math
import os
import struct
import sys
import wave

RATE = 22050          # samples per second, mono, 16 bit
LENGTH = 0.70         # seconds
NOTES = [             # (start in seconds, frequency in Hz)
    (0.00, 523.25),   # C5
    (0.08, 659.25),   # E5
    (0.16, 783.99),   # G5
    (0.24, 1046.50),  # C6
]
ATTACK = 0.006        # soft start of every note, no click
DECAY = 7.0           # exponential decay per second
PEAK = 0.55           # of full scale after normalising


def note(t, start, freq):
    t -= start
    if t < 0.0:
        return 0.0
    env = math.exp(-DECAY * t) * min(1.0, t / ATTACK)
    # A bell-like tone: the fundamental with a little octave and twelfth.
    w = 2.0 * math.pi * freq * t
    return env * (math.sin(w) + 0.30 * math.sin(2.0 * w) + 0.12 * math.sin(3.0 * w))


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.normpath(os.path.join(here, "..", "data", "yippee.wav"))
    count = int(RATE * LENGTH)
    fade = int(RATE * 0.03)
    samples = []
    for i in range(count):
        t = i / RATE
        s = sum(note(t, start, freq) for start, freq in NOTES)
        if i >= count - fade:  # fade out to silence at the very end
            s *= (count - i) / fade
        samples.append(s)
    top = max(abs(s) for s in samples) or 1.0
    frames = b"".join(struct.pack("<h", int(round(s / top * PEAK * 32767))) for s in samples)
    with wave.open(out, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(frames)
    print(f"{out}: {count / RATE:.2f} s, {os.path.getsize(out)} bytes")


if __name__ == "__main__":
    main()
