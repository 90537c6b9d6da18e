#!/usr/bin/env python3
"""One engine cycle of both channels of a velomira-render WAV file, as an SVG picture.

    velomira-render --teeth 35 --missing 1 --position crankshaft --rpm 1000 --seconds 1 \\
        --exact-speed --cam 90 --out cycle.wav
    tools/cycle_picture.py cycle.wav 1000 docs/engine-cycle.svg

The render must use --exact-speed, so that one engine cycle (720 crankshaft degrees) lasts
exactly 120 / RPM seconds. The picture starts a little before a cam event found after the
first tenth of a second (the right channel's rise through 0), and the angle scale counts
from the wheel's first tooth after the gap, taken from the cam angle given with --angle.
Python's standard library only.
"""

import argparse
import struct
import wave

WIDTH, TRACE, MARGIN = 960, 120, 40


def read_stereo(path):
    with wave.open(path, "rb") as w:
        if w.getnchannels() != 2 or w.getsampwidth() != 2:
            raise SystemExit(f"{path}: expected 16-bit stereo")
        rate = w.getframerate()
        data = w.readframes(w.getnframes())
    samples = struct.unpack(f"<{len(data) // 2}h", data)
    return rate, samples[0::2], samples[1::2]


def first_cam_event(right, start):
    for i in range(start + 1, len(right)):
        if right[i - 1] < 0 <= right[i]:
            return i
    raise SystemExit("no cam event in the file: render it with --cam")


def polyline(levels, top, colour):
    step = WIDTH / (len(levels) - 1)
    points = " ".join(f"{i * step:.1f},{top + TRACE / 2 - level / 32000 * TRACE / 2:.1f}" for i, level in enumerate(levels))
    return f'<polyline fill="none" stroke="{colour}" stroke-width="1" points="{points}"/>'


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("wav")
    parser.add_argument("rpm", type=float)
    parser.add_argument("svg")
    parser.add_argument("--angle", type=float, default=90.0, help="the cam angle of the render, in degrees")
    args = parser.parse_args()
    rate, left, right = read_stereo(args.wav)
    cycle = round(120.0 / args.rpm * rate)
    frames_per_degree = cycle / 720.0
    event = first_cam_event(right, rate // 10)
    begin = event - round(args.angle * frames_per_degree)  # the first tooth after the gap
    if begin < 0 or begin + cycle >= len(left):
        raise SystemExit("the file is too short for a whole cycle around the event")
    height = 2 * TRACE + 3 * MARGIN
    parts = [f'<svg xmlns="http://www.w3.org/2000/svg" width="{WIDTH}" height="{height}" '
             f'viewBox="0 -{MARGIN} {WIDTH} {height}" font-family="sans-serif" font-size="12">',
             f'<rect x="0" y="-{MARGIN}" width="{WIDTH}" height="{height}" fill="white"/>']
    for degrees in range(0, 721, 90):
        x = degrees / 720 * WIDTH
        parts.append(f'<line x1="{x:.1f}" y1="0" x2="{x:.1f}" y2="{2 * TRACE + MARGIN}" stroke="#ccc"/>')
        anchor = "start" if degrees == 0 else "end" if degrees == 720 else "middle"
        parts.append(f'<text x="{x:.1f}" y="{2 * TRACE + MARGIN + 16}" text-anchor="{anchor}">{degrees}°</text>')
    parts.append(polyline(left[begin:begin + cycle + 1], 0, "#1f5fbf"))
    parts.append(polyline(right[begin:begin + cycle + 1], TRACE + MARGIN, "#bf3f1f"))
    parts.append('<text x="4" y="-8">left: crank wheel (crankshaft degrees from the first tooth after the gap)</text>')
    parts.append(f'<text x="4" y="{TRACE + MARGIN - 8}">right: cam signal, one event per engine cycle '
                 f'(at {args.angle:g}°)</text>')
    parts.append("</svg>")
    with open(args.svg, "w", encoding="utf-8") as out:
        out.write("\n".join(parts) + "\n")


if __name__ == "__main__":
    main()
