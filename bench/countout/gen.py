#!/usr/bin/env python3
"""Typed input for one countout pass: SOLDIERS names, a start, a step and a direction.

usage: gen.py SOLDIERS START STEP DIRECTION > input
Names are s0000001, s0000002, ... (8 characters, kept whole).
"""
import sys


def main():
    soldiers, start, step, direction = int(sys.argv[1]), int(sys.argv[2]), int(sys.argv[3]), sys.argv[4]
    out = sys.stdout
    out.write(f"{soldiers}\n")
    out.write("".join(f"s{i:07d}\n" for i in range(1, soldiers + 1)))
    out.write(f"{start}\n{step}\n{direction}\nn\n")


if __name__ == "__main__":
    main()
