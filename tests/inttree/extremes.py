#!/usr/bin/env python3
"""inttree at the limits of its numbers: values and menu choices of the
largest and smallest int and numbers that wrap; a chain of a million values
(a quarter under the sanitizers), the deepest tree there is, viewed and cut."""
import sys

from bigrun import check, check_run, finish, run, scaled

program = sys.argv[1]
menu = (b"\n0 - prosmotr dereva\n1 - prosmotr dereva v porjadke vozrastanija\n2 -prosmotr dereva v porjadke "
        b"ybvanija\n3 - dobavit' element\n4 - udalit' element\n5 - prosmotr dereva na boky\n6 - exit\n")


def listing(values):
    return b"".join(b"%4d " % v for v in values)


# The extreme values, one typed as 4294967297 (read as 1); menu choices
# outside 0 to 6 are refused, 4294967297 chooses 1.
r = run(program, b"2147483647\n3\n-2147483648\nn\n4294967297\ny\n7\n-1\n2147483647\n4294967297\n2\n6\n")
check_run(r, "values at the limits")
check(listing([-2147483648, 1, 2147483647]) + menu in r.out, "ascending view of the extremes")
check(listing([2147483647, 1, -2147483648]) + menu in r.out, "descending view of the extremes")

# A chain of values: views and deletions must not recurse as
# deep as the tree.
n = scaled(program, 1000000)
data = (b"0\n3\n" + b"".join(b"%d\nn\n" % v for v in range(1, n - 1)) + b"%d\ny\n" % (n - 1)
        + b"1\n4\n%d\n2\n6\n" % (n // 2))
r = run(program, data, memory_mb=160, timeout=120)
check_run(r, "a chain")
check(listing(range(n)) + menu in r.out, "a chain: ascending")
check(listing(v for v in range(n - 1, -1, -1) if v != n // 2) + menu in r.out,
      "a chain: descending after a deletion")
finish()
