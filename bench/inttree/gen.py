#!/usr/bin/env python3
"""Typed input for inttree: a root, COUNT more values added in one batch,
then the views and exit.

    gen.py random COUNT SEED   values spread over the signed 32-bit range;
                               all four views
    gen.py sorted COUNT        0, 1, 2, ...: a tree that is one long chain;
                               the three listings but not the tree on its
                               side, whose indentation grows with the depth
                               (a quadratic amount of output on a chain)
"""
import random
import sys


def main():
    kind, count = sys.argv[1], int(sys.argv[2])
    if kind == "random":
        rng = random.Random(int(sys.argv[3]) if len(sys.argv) > 3 else 1)
        values = [rng.randint(-2**31, 2**31 - 1) for _ in range(count + 1)]
    elif kind == "sorted":
        values = list(range(count + 1))
    else:
        sys.exit("unknown kind " + kind)
    lines = [str(values[0]), "3"]
    for k, v in enumerate(values[1:], start=1):
        lines.append(str(v))
        lines.append("y" if k == count else "n")
    lines += ["0", "1", "2", "5", "6"] if kind == "random" else ["0", "1", "2", "6"]
    sys.stdout.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
