#!/usr/bin/env python3
"""Typed input for maxcut: the size, then an n×n matrix a row per line.

Values are signed and up to six digits, so the absolute-value step has work
to do and the listings fill their five-column fields."""
import random
import sys

n = int(sys.argv[1]) if len(sys.argv) > 1 else 3000
rng = random.Random(7)
out = sys.stdout
out.write("%d\n" % n)
for _ in range(n):
    out.write(" ".join(str(rng.getrandbits(18) - 131072) for _ in range(n)))
    out.write("\n")
