#!/usr/bin/env python3
"""linefind at the limits of its sizes: a file of a million sentences, a
typed string and a file name of a megabyte each, and files of gigabytes
searched in a small address space."""
import os
import random
import sys

from bigrun import check, check_run, finish, run, sanitized, scaled

program = sys.argv[1]


def cp(s):
    return s.encode("cp1251")


ask_name = cp("Введите имя файла:\n")
ask_string = cp("Введите искомую строку:\n")
header = cp("Строка                                               Количество таких строк\n")
none_found = cp("Строк с таким элементом не найдено!\n")
again = cp("Продолжить поиск? y/n\n")
no_file = cp("Ошибка, такого файла не существует!") + cp("\nПовторить ввод? Да-д\n")


def row(text, count):
    return b" " * (25 - len(text)) + text + b"%50d\n" % count


# A million sentences, a thousand of them distinct; then a string of a
# megabyte that is nowhere.
n, distinct = 1000000, 1000
text = b"".join(b"Sentence %d abc. " % (i % distinct) for i in range(n))
r = run(program, b"text.txt\nabc\ny\ntext.txt\n" + b"z" * (1 << 20) + b"\nn\n", files={"text.txt": text},
        memory_mb=96)
check_run(r, "a million sentences")
rows = b"".join(row(b"Sentence %d abc." % k, n // distinct) for k in range(distinct))
check(r.out == ask_name + ask_string + header + rows + again + ask_name + ask_string + none_found + again,
      "a million sentences: the report")

# A file name of a megabyte names no file; the next try names one.
r = run(program, b"x" * (1 << 20) + b"\n\xe4\ntext.txt\nabc\nn\n", files={"text.txt": b"One abc."}, memory_mb=64)
check_run(r, "a file name of a megabyte")
check(r.out == ask_name + no_file + ask_name + ask_string + header + row(b"One abc.", 1) + again,
      "a file name of a megabyte: refused, then the next name")
# On a UTF-8 console: a megabyte of bytes that are mostly no UTF-8 as the
# file name and as the string.
random.seed(8)
junk = bytes(random.randrange(256) for _ in range(1 << 20)).replace(b"\n", b"x").replace(b"\0", b"x")
r = run(program, junk + b"\n\xd0\xb4\ntext.txt\n" + junk + b"\nn\n", files={"text.txt": b"One abc."},
        env={"LC_ALL": "C.UTF-8"}, memory_mb=64)
check_run(r, "a megabyte of odd bytes on a UTF-8 console")
check(r.out.endswith("Строк с таким элементом не найдено!\nПродолжить поиск? y/n\n".encode()),
      "UTF-8 console: the search ran and found nothing")

# Files far larger than the memory allowed, sparse so that they cost nothing
# to make: 4 GiB without a full stop (the string in the middle), and a
# sentence of 1 GiB that does not match followed by short ones and one of
# 8 MiB that match. The search holds a window and the matching sentences,
# never the sentence it is reading. A quarter of the sizes under the
# sanitizers, which need more memory than the limit allows.
huge, long_size = scaled(program, 4 << 30), scaled(program, 1 << 30)
eight = b"needle " + b"y" * (8 << 20) + b"."


def make_large_files(work):
    with open(os.path.join(work, "huge.txt"), "wb") as f:
        f.truncate(huge)
        f.seek(huge // 2)
        f.write(b"needle")
    with open(os.path.join(work, "long.txt"), "wb") as f:
        f.seek(long_size)
        f.write(b". needle one." + eight + b" " + eight + b"needle one.after needle")


r = run(program, b"huge.txt\nneedle\ny\nlong.txt\nneedle\nn\n", make_files=make_large_files, memory_mb=64,
        timeout=120)
check_run(r, "files of gigabytes")
check(r.out == ask_name + ask_string + none_found + again + ask_name + ask_string + header
      + row(b"needle one.", 2) + row(eight, 2) + again, "files of gigabytes: the reports")

# A matching sentence larger than the memory allowed: a message on standard
# error and status 1, not a report that looks complete.
if not sanitized(program):
    def make_matching_giant(work):
        with open(os.path.join(work, "giant.txt"), "wb") as f:
            f.write(b"First needle. needle")
            f.seek(256 << 20)
            f.write(b".")

    r = run(program, b"giant.txt\nneedle\nn\n", make_files=make_matching_giant, memory_mb=64)
    check(r.status == 1 and r.err == b"linefind: out of memory\n" and r.out == ask_name + ask_string,
          f"a matching sentence beyond memory: status {r.status}, {r.err!r}")
finish()
