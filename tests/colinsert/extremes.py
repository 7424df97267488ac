#!/usr/bin/env python3
"""colinsert at the limits of its numbers: the largest size its three-digit
read takes (999, a million elements), positions of the largest int, negative
and wrapping."""
import random
import sys

from bigrun import check, check_run, finish, run

program = sys.argv[1]
error = b"Eror, vvedenno nedopyctimoe znachenie\n"

# Positions 2147483647, -1 and INT_MIN are refused; 4294967297 is read as 1.
r = run(program, b"1\n5\n7\n2147483647\n-1\n-2147483648\n4294967297\nN\n")
check_run(r, "positions at the limits")
check(r.out.count(error) == 3, "three positions refused")
check(r.out.endswith(b"Rezultat:\n\n  5  7\nReturn?\n Y/N?\n"), "4294967297 is position 1")

# Sizes: 1000 is read as 100 and a 0 left for the first element.
r = run(program, b"1000\n")
check_run(r, "size of four digits")
check(r.out.endswith(b"mas[0][0] = mas[0][1] = "), "size 1000 read as 100")

# 999 x 999 with a column inserted in the middle.
n = 999
random.seed(8)
values = [random.randint(0, 99) for _ in range(n * n)]
column = [random.randint(0, 99) for _ in range(n)]
k = 500
data = (f"{n}\n".encode() + b"".join(b"%d\n" % v for v in values) + b"".join(b"%d\n" % v for v in column)
        + f"{k}\nN\n".encode())
r = run(program, data, memory_mb=48)
check_run(r, "999 x 999")
rows = r.out.split(b"Rezultat:\n\n", 1)[-1].split(b"\nReturn?", 1)[0].split(b"\n")
check(len(rows) == n, f"999 x 999: {len(rows)} rows")
for i in (0, n // 2, n - 1):
    expected = values[i * n:i * n + k] + [column[i]] + values[i * n + k:(i + 1) * n]
    check(i < len(rows) and [int(x) for x in rows[i].split()] == expected, f"999 x 999: row {i}")
finish()
