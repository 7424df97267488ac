#!/usr/bin/env python3
"""Typed input for one stringsort run: n, m, n lines and the sort choice.

usage: gen.py N M CHOICE SEED > input
Lines mix words, numbers and signs; about one line in ten repeats a key from
a small pool and one in twenty has no capital letter, so ties are common.
"""
import random
import sys


def word(rng, capital):
    letters = "abcdefghijklmnopqrstuvwxyz"
    w = "".join(rng.choice(letters) for _ in range(rng.randint(2, 8)))
    return w.capitalize() if capital else w


def line(rng, pool, m):
    roll = rng.random()
    if roll < 0.05:
        parts = [word(rng, False) for _ in range(rng.randint(1, 4))]
    elif roll < 0.15:
        parts = [word(rng, False), rng.choice(pool)]
    else:
        parts = []
        for _ in range(rng.randint(2, 7)):
            kind = rng.random()
            if kind < 0.55:
                parts.append(word(rng, rng.random() < 0.3))
            else:
                parts.append(rng.choice(["", "-", "+", "- "]) + str(rng.randint(0, 99999)))
    return " ".join(parts)[: m - 1]


def main():
    n, m, choice, seed = int(sys.argv[1]), int(sys.argv[2]), sys.argv[3], int(sys.argv[4])
    rng = random.Random(seed)
    pool = [word(rng, True) + " " + word(rng, False) for _ in range(50)]
    out = [str(n), str(m)]
    out += [line(rng, pool, m) for _ in range(n)]
    out.append(choice)
    sys.stdout.write("\n".join(out) + "\n")


main()
