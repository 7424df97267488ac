#!/usr/bin/env python3
"""Typed input for colinsert: the size, an n×n matrix a row per line, the
column on one line, a position in the middle and the answer that ends."""
import random
import sys

n = int(sys.argv[1]) if len(sys.argv) > 1 else 999
rng = random.Random(11)
out = sys.stdout
out.write("%d\n" % n)
for _ in range(n + 1):  # n rows, then the column
    out.write(" ".join(str(rng.randrange(-99, 1000)) for _ in range(n)))
    out.write("\n")
out.write("%d\nN\n" % (n // 2))
