#!/usr/bin/env python3
"""studentdb at the limits of its numbers: menu choices, house and flat
numbers of the largest and smallest int and numbers that wrap; texts of a
megabyte; a file of 300,000 records (a quarter under the sanitizers) sorted and
saved."""
import random
import struct
import sys

from bigrun import check, check_run, finish, run, sanitized, scaled

program = sys.argv[1]


def record(name, street, house, flat):
    return struct.pack("<20s20sii", name, street, house, flat)


# Menu choices 7, -1 and INT_MAX refused; numbers kept as an int keeps them,
# 4294967297 read as 1 and -4294967297 as -1; texts of a megabyte cut to 19.
big = b"N" * (1 << 20)
r = run(program, b"7\n-1\n2147483647\n4\n" + big + b"\n" + b"S" * (1 << 20)
        + b"\n2147483647\n-2147483648\n\xe4\nB\nC\n4294967297\n-4294967297\nn\n5\n3\n" + big + b"\n0\n",
        memory_mb=64)
check_run(r, "numbers at the limits")
check(r.out.count("Повторите ввод!\n".encode("cp1251")) == 3, "three menu choices refused")
saved = record(b"N" * 19, b"S" * 19, 2147483647, -2147483648) + record(b"B", b"C", 1, -1)
check(r.files.get("students.dat") == saved, "the records saved")
check(b" " + b"N" * 19 + b" " + b"S" * 19 + b"2147483647-2147483648" in r.out, "search by a name of a megabyte")

# On a UTF-8 console: a megabyte of bytes that are mostly no UTF-8 as a
# name, a megabyte of Cyrillic as a street; both are cut to 19 bytes.
random.seed(8)
junk = bytes(random.randrange(256) for _ in range(1 << 20)).replace(b"\n", b"x")
r = run(program, b"4\n" + junk + b"\n" + "Ж".encode() * (1 << 19) + b"\n1\n2\nn\n5\n3\n" + junk + b"\n0\n",
        env={"LC_ALL": "C.UTF-8"}, memory_mb=64)
check_run(r, "a megabyte typed on a UTF-8 console")
saved = r.files.get("students.dat", b"")
check(len(saved) == 48 and saved[20:40] == "Ж".encode("cp1251") * 19 + b"\0", "UTF-8 console: the record saved")

# Many records: sorted by the first letter of the name (a stable sort,
# the letter a signed byte) and saved.
n = scaled(program, 300000)
names = [b"%c%d" % (0x41 + i * 7919 % 26 + (0x9F if i % 3 == 0 else 0), i) for i in range(n)]
records = [record(names[i], b"s%d" % (i % 1000), i, -i) for i in range(n)]
data = b"".join(records)
r = run(program, b"1\n5\n0\n", files={"students.dat": data}, memory_mb=256)
check_run(r, f"{n} records")
order = sorted(range(n), key=lambda i: struct.unpack("b", names[i][:1])[0])
check(r.files.get("students.dat") == b"".join(records[i] for i in order), f"{n} records sorted and saved")

# A file larger than the memory allowed (only measurable without the
# sanitizers): the load says so and the run ends with status 1, before a
# save of the records that fitted could drop the rest of the file.
if not sanitized(program):
    big_file = bytes(48 << 21)
    r = run(program, b"5\n0\n", files={"students.dat": big_file}, memory_mb=64)
    check(r.status == 1 and r.err == b"studentdb: out of memory\n",
          f"a file larger than memory: status {r.status}, {r.err!r}")
    check(r.out == "Ошибка!\n".encode("cp1251"), "a file larger than memory: the load said so")
    check(r.files.get("students.dat") == big_file, "a file larger than memory: the file as it was")
finish()
