#!/usr/bin/env python3
"""Draws the three typing sounds of the writing window as short mono WAVs.

writing: a light click, delete: a lower, duller tick, enter: a two-part
carriage thunk. 16-bit PCM at 22050 Hz keeps them small and plays on every
back end. Run from the repository root: python3 tools/typing_sounds/make_typing_sounds.py
"""
import math
import os
import random
import struct
import wave

RATE = 22050
OUT = os.path.join("res", "sound", "creation")


def click(freq, length, decay, noise, seed):
    rng = random.Random(seed)
    samples = []
    n = int(RATE * length)
    for i in range(n):
        t = i / RATE
        env = math.exp(-t * decay)
        tone = math.sin(2 * math.pi * freq * t)
        hiss = rng.uniform(-1.0, 1.0) * noise
        samples.append(env * (tone * (1.0 - noise) + hiss))
    return samples


def write(name, samples, gain=0.6):
    path = os.path.join(OUT, name)
    peak = max(abs(s) for s in samples) or 1.0
    frames = b"".join(struct.pack("<h", int(s / peak * gain * 32767)) for s in samples)
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(frames)


def main():
    os.makedirs(OUT, exist_ok=True)
    write("writing.wav", click(2400, 0.045, 140, 0.55, 1))
    write("delete.wav", click(900, 0.06, 100, 0.45, 2), gain=0.55)
    first = click(600, 0.05, 90, 0.5, 3)
    gap = [0.0] * int(RATE * 0.025)
    second = [s * 0.7 for s in click(350, 0.09, 45, 0.35, 4)]
    write("enter.wav", first + gap + second)


if __name__ == "__main__":
    main()
