#!/usr/bin/env python3
"""How much the unit suite catches: seeded single-line faults planted in the rules, the commands
and the level reader, each built and tested on its own.

The tree is copied into a folder of its own (build-mutate/src by default), so the sources are
never touched, and one build folder is reused, with ccache when it is there: a fault costs the
rebuild of one file. A fault that does not compile is drawn again; one that makes the suite fail
or hang is caught; the others survive and are listed, to be judged (a gap in the tests, or a fault
that changes nothing the game does).
"""

import argparse
import os
import random
import re
import shutil
import subprocess
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
SOURCES = ["game/*.cpp", "commands/*.cpp"]
TEST_TARGET = "kelo_unit_tests"
TEST_BINARY = Path("tests") / TEST_TARGET

# Operators swapped for another, written with the blanks around them that the code's format
# gives binary operators, so that template brackets, arrows and unary signs are left alone.
SWAPS = [
    (" == ", " != "), (" != ", " == "),
    (" < ", " <= "), (" <= ", " < "), (" > ", " >= "), (" >= ", " > "),
    (" && ", " || "), (" || ", " && "),
    (" + ", " - "), (" - ", " + "), (" * ", " / "), (" / ", " * "), (" % ", " / "),
    (" += ", " -= "), (" -= ", " += "),
    ("++", "--"), ("--", "++"),
    ("true", "false"), ("false", "true"),
]
INTEGER = re.compile(r"(?<![\w.'])(\d+)(?![\w.'])")
NOT = re.compile(r"!(?!=)")


def code_mask(line):
    """True for each character that is code: not in a string, a character literal or a comment."""
    mask = [True] * len(line)
    quote = None
    i = 0
    while i < len(line):
        c = line[i]
        if quote:
            mask[i] = False
            if c == "\\":
                if i + 1 < len(line):
                    mask[i + 1] = False
                i += 2
                continue
            if c == quote:
                quote = None
        elif c in "\"'":
            # A digit separator (120'000) is no character literal.
            if c == "'" and i > 0 and line[i - 1].isalnum():
                pass
            else:
                quote = c
                mask[i] = False
        elif line.startswith("//", i):
            for j in range(i, len(line)):
                mask[j] = False
            break
        i += 1
    return mask


def faults_of_line(path, number, line):
    """Every single fault of one line: (path, line number, new line, what was done)."""
    stripped = line.strip()
    if not stripped or stripped.startswith(("#", "//", "/*", "*")):
        return []
    mask = code_mask(line)
    out = []

    def at_code(start, end):
        return all(mask[start:end])

    for old, new in SWAPS:
        start = line.find(old)
        while start != -1:
            end = start + len(old)
            word = old.strip().isalpha()
            bounded = not word or (
                (start == 0 or not (line[start - 1].isalnum() or line[start - 1] == "_"))
                and (end == len(line) or not (line[end].isalnum() or line[end] == "_")))
            if at_code(start, end) and bounded:
                out.append((path, number, line[:start] + new + line[end:], f"{old.strip()} -> {new.strip()}"))
            start = line.find(old, start + 1)
    for m in INTEGER.finditer(line):
        if at_code(m.start(), m.end()):
            value = int(m.group(1))
            new = str(value + 1)
            out.append((path, number, line[:m.start()] + new + line[m.end():], f"{value} -> {new}"))
    for m in NOT.finditer(line):
        if at_code(m.start(), m.end()):
            out.append((path, number, line[:m.start()] + line[m.end():], "! dropped"))
    # A whole statement left out: a line that ends one and opens no block.
    if stripped.endswith(";") and not stripped.startswith(("}", "case ", "default")):
        indent = line[: len(line) - len(line.lstrip())]
        out.append((path, number, indent + "\n", "line dropped"))
    return out


def all_faults(root):
    faults = []
    for pattern in SOURCES:
        for path in sorted(root.glob(pattern)):
            relative = path.relative_to(root).as_posix()
            for number, line in enumerate(path.read_text(encoding="utf-8").splitlines(keepends=True), start=1):
                faults.extend(faults_of_line(relative, number, line))
    return faults


def tracked_files(root):
    listing = subprocess.run(["git", "-C", str(root), "ls-files", "-co", "--exclude-standard", "-z"],
                             check=True, capture_output=True).stdout.decode()
    return [name for name in listing.split("\0") if name]


def sync_copy(root, copy):
    """The working tree into `copy`, writing only the files that differ, so that their times stay
    and the build redoes only what changed."""
    wanted = set()
    for name in tracked_files(root):
        source = root / name
        if not source.is_file() or source.is_symlink():
            continue
        wanted.add(name)
        target = copy / name
        data = source.read_bytes()
        if not target.exists() or target.read_bytes() != data:
            target.parent.mkdir(parents=True, exist_ok=True)
            target.write_bytes(data)
            shutil.copymode(source, target)
    for path in copy.rglob("*"):
        if path.is_file() and path.relative_to(copy).as_posix() not in wanted:
            path.unlink()


def run(command, env, timeout=None, cwd=None):
    try:
        done = subprocess.run(command, env=env, cwd=cwd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                              timeout=timeout)
        return done.returncode, done.stdout.decode(errors="replace")
    except subprocess.TimeoutExpired:
        return None, ""


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--count", type=int, default=60, help="faults that compile, to be tested")
    parser.add_argument("--seed", type=int, default=12)
    parser.add_argument("--jobs", type=int, default=2)
    parser.add_argument("--work", type=Path, default=ROOT / "build-mutate", help="folder of the copy and its build")
    parser.add_argument("--list", action="store_true", help="only list the faults that would be drawn")
    args = parser.parse_args()

    faults = all_faults(ROOT)
    random.Random(args.seed).shuffle(faults)
    if args.list:
        for path, number, new, what in faults[: args.count]:
            print(f"{path}:{number}: {what}: {new.strip()}")
        return 0

    copy = args.work / "src"
    build = args.work / "build"
    copy.mkdir(parents=True, exist_ok=True)
    sync_copy(ROOT, copy)
    env = dict(os.environ)
    env.setdefault("CCACHE_BASEDIR", str(args.work))
    configure = ["cmake", "-S", str(copy), "-B", str(build), "-DCMAKE_BUILD_TYPE=RelWithDebInfo", "-DKELO_WERROR=ON",
                 "-DBUILD_TESTING=ON", "-DKELO_GUI=OFF", "-DKELO_BENCH=OFF"]
    if shutil.which("ccache"):
        configure.append("-DCMAKE_CXX_COMPILER_LAUNCHER=ccache")
    compile_ = ["cmake", "--build", str(build), "--target", TEST_TARGET, "-j", str(args.jobs)]
    test = [str(build / TEST_BINARY), "--gtest_brief=1", "--gtest_fail_fast"]

    status, output = run(configure, env)
    if status != 0:
        print(output, file=sys.stderr)
        return 2
    status, output = run(compile_, env)
    if status != 0:
        print(output, file=sys.stderr)
        return 2
    began = time.monotonic()
    status, output = run(test, env)
    plain = time.monotonic() - began
    if status != 0:
        print(output, file=sys.stderr)
        print("mutate: the unit suite fails without any fault planted", file=sys.stderr)
        return 2
    # A fault that makes the suite run far longer than it does is a hang: caught.
    limit = max(60.0, 5 * plain)
    print(f"{len(faults)} faults possible; the suite takes {plain:.1f} s; seed {args.seed}", flush=True)

    caught, survivors, stillborn, tried = 0, [], 0, 0
    for path, number, new, what in faults:
        if tried == args.count:
            break
        target = copy / path
        original = target.read_text(encoding="utf-8")
        lines = original.splitlines(keepends=True)
        before = lines[number - 1]
        lines[number - 1] = new
        target.write_text("".join(lines), encoding="utf-8")
        try:
            status, _ = run(compile_, env)
            if status != 0:
                stillborn += 1
                continue
            tried += 1
            status, _ = run(test, env, timeout=limit)
        finally:
            target.write_text(original, encoding="utf-8")
        where = f"{path}:{number}"
        verdict = "caught" if status != 0 else "SURVIVED"
        if status is None:
            verdict = "caught (hang)"
        if status != 0:
            caught += 1
        else:
            survivors.append((where, what, before.strip(), new.strip()))
        print(f"[{tried:>3}/{args.count}] {verdict:<13} {where} {what}: {new.strip()}", flush=True)

    # The copy built as it is, so that the next run starts from a clean build.
    run(compile_, env)
    share = 100.0 * caught / tried if tried else 0.0
    print()
    print(f"caught {caught} of {tried} faults ({share:.0f} %), seed {args.seed}; {stillborn} more did not compile")
    if survivors:
        print(f"{len(survivors)} survivors:")
        for where, what, before, after in survivors:
            print(f"  {where}: {what}")
            print(f"      {before}")
            print(f"   -> {after}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
