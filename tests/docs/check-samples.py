#!/usr/bin/env python3
"""Checks every dialogue sample of the README and of the manual pages
against the program it shows.

    check-samples.py [--show] BIN_DIR DOCUMENT...

A sample is what a terminal shows: the program's output with each typed
answer and its line break where the program waited for it. It is marked by
a comment right before it, naming the program and how to run it:

    README.md (the sample is the next ```text block):
        <!-- sample: linefind
        locale: C.UTF-8
        file: text.txt, in Windows-1251: Мама мыла раму.
        typed: text.txt | мыл | n
        -->

    a manual page (the sample is the next .Bd -literal display, where the
    typed answers are bold, so a page needs no "typed:" line):
        .\\" sample: linefind
        .\\" locale: C.UTF-8

locale sets LC_ALL (otherwise C); file puts a file into the empty working
directory first, and its text must also be quoted in the document; typed
lists the answers, " | " between them. In a README sample a line "..."
stands for one or more lines left out.

The program runs once with no answer, once with the first answer, and so
on up to all of them. The console takes one typed line at a time and ends
the program quietly when input ends, so each run shows exactly what the
terminal shows before the next answer is typed; the samples are built from
those runs and must match. Every ```text block and every literal display
must be a marked sample. --show prints each sample as the programs give it.
"""

import difflib
import os
import re
import subprocess
import sys
import tempfile

TYPED_ON = "\x01"  # marks where a typed answer begins
TYPED_OFF = "\x02"  # and where it ends, within a sample's text

ROFF_NAMED = {"aq": "'", "dq": '"', "mu": "\u00d7", "rs": "\\", "ti": "~", "ha": "^", "ga": "`"}


class SampleError(Exception):
    pass


def decode_roff(text, where, strict=True):
    """The characters a line of a manual page shows, with bold text marked
    as typed. Only the escapes the samples use are known; the others are
    an error, or with strict=False left as they are."""
    out = []
    i = 0
    while i < len(text):
        ch = text[i]
        if ch != "\\":
            out.append(ch)
            i += 1
            continue
        rest = text[i + 1 :]
        m = re.match(r"\[u([0-9A-F]{4,5})\]", rest)
        if m:
            out.append(chr(int(m.group(1), 16)))
            i += 1 + m.end()
            continue
        if rest.startswith("(") and rest[1:3] in ROFF_NAMED:
            out.append(ROFF_NAMED[rest[1:3]])
            i += 4
            continue
        simple = {"&": "", "-": "-", "e": "\\", " ": " ", "fB": TYPED_ON, "fR": TYPED_OFF, "fP": TYPED_OFF}
        for escape, shown in simple.items():
            if rest.startswith(escape):
                out.append(shown)
                i += 1 + len(escape)
                break
        else:
            if rest.startswith('"'):
                break  # a comment to the end of the line
            if not strict:
                out.append(ch)
                i += 1
                continue
            raise SampleError(f"{where}: unknown escape \\{rest[:4]!r}")
    return "".join(out)


def parse_marker(lines, where):
    if not lines or not lines[0].startswith("sample:"):
        raise SampleError(f"{where}: a sample marker starts with 'sample: PROGRAM'")
    marker = {"program": lines[0].split(":", 1)[1].strip(), "env": {"LC_ALL": "C"}, "files": [], "typed": None}
    for line in lines[1:]:
        key, sep, value = line.partition(":")
        value = value.strip()
        if not sep:
            raise SampleError(f"{where}: marker line {line!r} is not 'key: value'")
        if key == "locale":
            marker["env"]["LC_ALL"] = value
        elif key == "file":
            m = re.fullmatch(r"(\S+?)(, in Windows-1251)?: (.*)", value)
            if not m:
                raise SampleError(f"{where}: file line {value!r} is not 'NAME[, in Windows-1251]: TEXT'")
            encoding = "cp1251" if m.group(2) else "utf-8"
            marker["files"].append((m.group(1), m.group(3), encoding))
        elif key == "typed":
            marker["typed"] = [answer.strip() for answer in value.split("|")]
        else:
            raise SampleError(f"{where}: unknown marker key {key!r}")
    return marker


def readme_samples(path, text):
    """(marker, expected text, line number) of every sample of a README."""
    lines = text.split("\n")
    samples = []
    marker = None
    i = 0
    while i < len(lines):
        line = lines[i]
        if line.startswith("<!-- sample:"):
            body = [line[len("<!-- ") :]]
            i += 1
            while i < len(lines) and lines[i].strip() != "-->":
                body.append(lines[i])
                i += 1
            marker = parse_marker(body, f"{path}:{i + 1}")
        elif line.startswith("```text"):
            start = i + 1
            block = []
            i += 1
            while i < len(lines) and lines[i] != "```":
                block.append(lines[i])
                i += 1
            if marker is None:
                raise SampleError(f"{path}:{start}: a ```text block without a sample marker before it")
            if marker["typed"] is None:
                raise SampleError(f"{path}:{start}: a README sample needs a 'typed:' line")
            samples.append((marker, "\n".join(block) + "\n", start))
            marker = None
        elif line.strip() and marker is not None:
            raise SampleError(f"{path}:{i + 1}: a sample marker must come right before its ```text block")
        i += 1
    return samples


def page_samples(path, text):
    """(marker, expected text with typed answers marked, line number) of
    every sample of a manual page."""
    lines = text.split("\n")
    samples = []
    i = 0
    while i < len(lines):
        line = lines[i]
        if line.startswith('.\\" sample:'):
            body = []
            while i < len(lines) and lines[i].startswith('.\\" ') and (
                not body or not lines[i].startswith('.\\" sample:')
            ):
                body.append(decode_roff(lines[i][4:], f"{path}:{i + 1}"))
                i += 1
            marker = parse_marker(body, f"{path}:{i}")
            if i >= len(lines) or not lines[i].startswith(".Bd -literal"):
                raise SampleError(f"{path}:{i + 1}: a sample marker must come right before '.Bd -literal'")
            start = i + 1
            block = []
            i += 1
            while i < len(lines) and lines[i] != ".Ed":
                if lines[i].startswith((".", "'")):
                    raise SampleError(f"{path}:{i + 1}: a request or macro inside a sample")
                block.append(decode_roff(lines[i], f"{path}:{i + 1}"))
                i += 1
            expected = "\n".join(block) + "\n"
            marker["typed"] = [m.group(1) for m in re.finditer(f"{TYPED_ON}([^{TYPED_OFF}]*){TYPED_OFF}\n", expected)]
            if expected.count(TYPED_ON) != len(marker["typed"]):
                raise SampleError(f"{path}:{start}: bold text must be a whole typed answer at the end of a line")
            samples.append((marker, expected, start))
        elif line.startswith(".Bd -literal"):
            raise SampleError(f"{path}:{i + 1}: a literal display without a sample marker before it")
        i += 1
    return samples


def run(program, answers, marker):
    """What the program writes when the given answers are typed."""
    env = {k: v for k, v in os.environ.items() if not k.startswith("LC_") and k not in ("LANG", "LANGUAGE")}
    env.update(marker["env"])
    with tempfile.TemporaryDirectory() as work:
        for name, content, encoding in marker["files"]:
            with open(os.path.join(work, name), "wb") as f:
                f.write(content.encode(encoding))
        typed = "".join(answer + "\n" for answer in answers).encode("utf-8")
        done = subprocess.run([program], input=typed, capture_output=True, cwd=work, env=env, timeout=20)
    if done.returncode != 0:
        raise SampleError(f"{os.path.basename(program)} ended with status {done.returncode}")
    return done.stdout


def terminal_view(program, marker):
    """The sample as the program gives it, typed answers marked."""
    answers = marker["typed"]
    view = ""
    shown = b""
    for k in range(len(answers) + 1):
        out = run(program, answers[:k], marker)
        if not out.startswith(shown):
            raise SampleError(f"with {k} answers the output no longer begins with the output of {k - 1}")
        view += out[len(shown) :].decode("utf-8")
        shown = out
        if k < len(answers):
            view += TYPED_ON + answers[k] + TYPED_OFF + "\n"
    if not view.endswith("\n"):
        view += "\n"
    return expand_tabs(view)


def expand_tabs(text):
    """Tabs as a terminal shows them, stops every 8 columns."""
    lines = []
    for line in text.split("\n"):
        column = 0
        out = []
        for ch in line:
            if ch == "\t":
                pad = 8 - column % 8
                out.append(" " * pad)
                column += pad
            else:
                out.append(ch)
                if ch not in (TYPED_ON, TYPED_OFF):
                    column += 1
        lines.append("".join(out))
    return "\n".join(lines)


def matches(expected, view):
    """Whether view is expected, where a line "..." stands for one or more lines."""
    pattern = "".join(
        r"(?:[^\n]*\n)+?" if line == "..." else re.escape(line + "\n") for line in expected[:-1].split("\n")
    )
    return re.fullmatch(pattern, view) is not None


def printable(text):
    return text.replace(TYPED_ON, "[").replace(TYPED_OFF, "]")


def check_document(bin_dir, path, show):
    with open(path, encoding="utf-8") as f:
        text = f.read()
    is_page = re.search(r"\.\d$", path) is not None
    samples = page_samples(path, text) if is_page else readme_samples(path, text)
    if not samples:
        raise SampleError(f"{path}: no sample found")
    # The files a sample needs are quoted in the document, outside the
    # markers (comments of either kind).
    if is_page:
        quoted = "\n".join(decode_roff(line, path, strict=False) for line in text.split("\n"))
    else:
        quoted = re.sub(r"<!--.*?-->", "", text, flags=re.S)
    quoted = quoted.replace(TYPED_ON, "").replace(TYPED_OFF, "")
    failures = 0
    for marker, expected, line in samples:
        program = os.path.join(os.path.abspath(bin_dir), marker["program"])
        where = f"{path}:{line} ({marker['program']})"
        for name, content, _ in marker["files"]:
            if content not in quoted:
                print(f"{where}: the text of {name} is not quoted in the document", file=sys.stderr)
                failures += 1
        view = terminal_view(program, marker)
        if not is_page:
            view = view.replace(TYPED_ON, "").replace(TYPED_OFF, "")
        if show:
            print(f"== {where}\n{printable(view)}", end="")
        if matches(expected, view):
            continue
        failures += 1
        diff = difflib.unified_diff(
            printable(expected).split("\n"), printable(view).split("\n"), "sample", "program", lineterm=""
        )
        print(f"{where}: the sample differs from the program's dialogue\n" + "\n".join(diff), file=sys.stderr)
    if failures == 0:
        print(f"{path}: {len(samples)} sample(s) match")
    return failures


def main(argv):
    show = "--show" in argv
    args = [a for a in argv if a != "--show"]
    if len(args) < 2:
        print(__doc__.split("\n\n")[1], file=sys.stderr)
        return 2
    failures = 0
    for path in args[1:]:
        try:
            failures += check_document(args[0], path, show)
        except (SampleError, OSError, subprocess.TimeoutExpired, UnicodeDecodeError) as e:
            print(f"{path}: {e}", file=sys.stderr)
            failures += 1
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
