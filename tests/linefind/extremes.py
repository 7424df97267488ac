#!/usr/bin/env python3
"""linefind at the limits of its sizes: a file of a million sentences, a
typed string and a file name of a megabyte each."""
import random
import sys

from bigrun import check, check_run, finish, run

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
finish()
