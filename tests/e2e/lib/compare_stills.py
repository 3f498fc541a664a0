#!/usr/bin/env python3
"""Compares two PNG stills of the same size: PSNR (dB) over RGB and the share of pixels with any
channel more than LEVELS off. Prints one line; exits 1 when the PSNR is below MIN_DB or the share
is above MAX_SHARE. PNGs are decoded by ffmpeg (no Python imaging library is needed).

usage: compare_stills.py A.png B.png [MIN_DB MAX_SHARE LEVELS]"""
import math
import subprocess
import sys


def rgb(path):
    out = subprocess.run(
        ["ffmpeg", "-v", "error", "-i", path, "-f", "rawvideo", "-pix_fmt", "rgb24", "-"],
        check=True, stdout=subprocess.PIPE).stdout
    return out


def main():
    a_path, b_path = sys.argv[1], sys.argv[2]
    min_db = float(sys.argv[3]) if len(sys.argv) > 3 else 40.0
    max_share = float(sys.argv[4]) if len(sys.argv) > 4 else 0.005
    levels = int(sys.argv[5]) if len(sys.argv) > 5 else 8
    a, b = rgb(a_path), rgb(b_path)
    if len(a) != len(b) or not a:
        print(f"{b_path}: size differs from {a_path}")
        return 1
    squares = 0
    off = 0
    worst = 0
    for i in range(0, len(a), 3):
        d0 = a[i] - b[i]
        d1 = a[i + 1] - b[i + 1]
        d2 = a[i + 2] - b[i + 2]
        squares += d0 * d0 + d1 * d1 + d2 * d2
        m = max(abs(d0), abs(d1), abs(d2))
        if m > levels:
            off += 1
        if m > worst:
            worst = m
    pixels = len(a) // 3
    mse = squares / len(a)
    psnr = 99.0 if mse == 0 else 10 * math.log10(255 * 255 / mse)
    share = off / pixels
    ok = psnr >= min_db and share <= max_share
    print(f"{b_path}: PSNR {psnr:.2f} dB, {100 * share:.3f} % of pixels more than {levels} off, "
          f"largest difference {worst}{'' if ok else '  FAILED'}")
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
