#!/usr/bin/env python3
"""Writes sample_points.csv: a made-up laboratory trial of a wine fouling a
47 mm membrane disc at a constant 30 psi, read every 30 s at first and every
minute later. The resistance grows as R = R0 + a * w**n with w the volume
filtered per square metre of disc; the readings carry a little balance noise.
"""
import math
import random

AREA = (0.047 / 2) ** 2 * 3.14159      # m2
K = 30 * 6894.8 * AREA / 0.0015         # pressure * area / viscosity
R0, A, N = 0.9e12, 1.5e13, 1.5          # 1/m


def resistance(w):
    return R0 + A * w ** N


def main():
    rng = random.Random(46)
    times = [30, 60, 90, 120, 180, 240, 300, 360, 420, 480, 540, 600, 720, 840]
    volume, t_prev, rows = 0.0, 0, []
    for t in times:
        dt = t - t_prev
        # Constant pressure: integrate dV/dt = K / R(w) in small steps.
        for _ in range(dt * 10):
            volume += 0.1 * K * 1e6 / resistance(volume / 1e6 / AREA)
        t_prev = t
        reading = volume + rng.uniform(-0.08, 0.08)
        rows.append((round(reading, 1), t // 60, t % 60))
    with open("sample_points.csv", "w", newline="\n") as f:
        f.write("volume_ml,minutes,seconds\n")
        for v, m, s in rows:
            f.write(f"{v:.1f},{m},{s:02d}\n")


if __name__ == "__main__":
    main()
