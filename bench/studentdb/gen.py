#!/usr/bin/env python3
"""Writes a students.dat of N records (default 1,000,000): Cyrillic and
Latin names and streets, house and flat numbers of both signs."""
import random
import struct
import sys

n = int(sys.argv[1]) if len(sys.argv) > 1 else 1_000_000
out = sys.argv[2] if len(sys.argv) > 2 else "students.dat"
rng = random.Random(5)
surnames = [s.encode("cp1251") for s in (
    "Иванов", "Петров", "Сидорова", "Ёлкин", "Яковлев", "Smith", "Brown", "ёжиков", "антонова",
    "Кузнецов", "Wilson", "Орлова", "Zhukov", "Лебедев", "Miller", "Ульянова")]
streets = [s.encode("cp1251") for s in (
    "Ленина", "Мира", "Садовая", "Baker Street", "Невский пр.", "Арбат", "Elm St", "Тверская",
    "Лесная", "Main Road", "Цветной б-р", "Школьная")]
with open(out, "wb") as f:
    chunk = []
    for i in range(n):
        name = (rng.choice(surnames) + str(i).encode())[:19].ljust(20, b"\0")
        street = rng.choice(streets)[:19].ljust(20, b"\0")
        chunk.append(name + street + struct.pack("<ii", rng.randint(-50, 500), rng.randint(-10, 2000)))
        if len(chunk) == 65536:
            f.write(b"".join(chunk))
            chunk.clear()
    f.write(b"".join(chunk))
