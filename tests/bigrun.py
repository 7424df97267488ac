"""Runs a program as a process on a large generated input, for the tests of
numbers at their limits and inputs of millions of values.

run() gives the exit status, the output, what was written to standard error
and the files of the working directory (those of up to 256 MiB);
make_files(directory), when given, makes further files there first (a
sparse file, say). With memory_mb the program runs in an address space of
that size (not under the sanitizers, whose shadow
memory needs far more), so a program that takes more than the data needs
fails. check() records a failure; finish() ends the script with status 1
after any failure.
"""
import os
import subprocess
import sys
import resource
import tempfile

failures = []


def sanitized(program):
    """True when the program carries a sanitizer runtime (its memory use is
    then no measure of what the data needs)."""
    try:
        libs = subprocess.run(["ldd", program], capture_output=True, text=True).stdout
    except OSError:
        return False
    return "libasan" in libs or "libubsan" in libs


def scaled(program, n):
    """n, or a quarter of it for a program under the sanitizers, which run
    several times slower: the sizes stay far beyond any fixed limit while
    the suite stays fast."""
    return n // 4 if sanitized(program) else n


class Result:
    def __init__(self, status, out, err, files):
        self.status = status  # negative: killed by that signal
        self.out = out
        self.err = err
        self.files = files  # name -> bytes, the working directory afterwards (files up to 256 MiB)


def run(program, data, files=None, env=None, timeout=60, memory_mb=None, make_files=None):
    with tempfile.TemporaryDirectory(prefix="bigrun.") as root:
        work = os.path.join(root, "work")
        os.mkdir(work)
        for name, content in (files or {}).items():
            with open(os.path.join(work, name), "wb") as f:
                f.write(content)
        if make_files is not None:
            make_files(work)
        with open(os.path.join(root, "stdin"), "wb") as f:
            f.write(data)
        environment = {k: v for k, v in os.environ.items() if not k.startswith(("LC_", "LANG"))}
        environment["LC_ALL"] = "C"
        environment.update(env or {})
        with open(os.path.join(root, "stdin"), "rb") as stdin, open(os.path.join(root, "stdout"), "wb") as stdout:
            limit = None
            if memory_mb is not None and not sanitized(program):
                size = memory_mb * 1024 * 1024

                def limit():
                    resource.setrlimit(resource.RLIMIT_AS, (size, size))

            p = subprocess.Popen([os.path.abspath(program)], cwd=work, stdin=stdin, stdout=stdout,
                                 stderr=subprocess.PIPE, env=environment, preexec_fn=limit)
            try:
                err = p.communicate(timeout=timeout)[1]
                status = p.returncode
            except subprocess.TimeoutExpired:
                p.kill()
                err = p.communicate()[1]
                status = "timeout"
        with open(os.path.join(root, "stdout"), "rb") as f:
            out = f.read()
        after = {}
        for name in os.listdir(work):
            path = os.path.join(work, name)
            if os.path.isfile(path) and os.path.getsize(path) <= 1 << 28:
                with open(path, "rb") as f:
                    after[name] = f.read()
        return Result(status, out, err, after)


def check(ok, what):
    if not ok:
        failures.append(what)
        print("FAIL:", what, file=sys.stderr)


def check_run(result, what):
    """The run ended by itself, in time, with status 0."""
    check(result.status == 0, f"{what}: exit status {result.status}")


def finish():
    if failures:
        print(f"{len(failures)} check(s) failed", file=sys.stderr)
        sys.exit(1)
    print("all checks passed")
