#!/usr/bin/env python3
"""Mutation runner for the input parsers.

Puts each mutant of mutants.py (one source line replaced) into a scratch copy of the tree, builds
the native sanitizer tests there and runs them: a mutant the tests fail on is killed, one they
pass survives. The working tree is never written; the scratch copy is restored after every
mutant. A mutant whose line is not found exactly once is an error, so the table cannot rot.

    tools/mutate/mutate.py              every mutant, then the score
    tools/mutate/mutate.py -k utf8      only mutants whose id or reason holds "utf8"
    tools/mutate/mutate.py --check      only check that every mutant's line is found
"""

import argparse
import filecmp
import os
import shutil
import subprocess
import sys
import time
from pathlib import Path

sys.dont_write_bytecode = True
from mutants import MUTANTS  # noqa: E402

TOP = Path(__file__).resolve().parents[2]
SCRATCH = TOP / "build" / "mutate" / "tree"
BUILD_DIR = SCRATCH / "build" / "host"
# The tests that run every parser line natively; the parsers have no Windows-only code.
TARGET = "update_parsing_tests"
HOST_BUILT = {"src/update/http_response.cpp", "src/update/version_list.cpp"}
TEST_TIMEOUT_SECONDS = 60


def tree_files():
    """Tracked and new files of the working tree, as the scratch copy must hold them."""
    out = subprocess.run(["git", "ls-files", "-co", "--exclude-standard", "-z"], cwd=TOP,
                         check=True, capture_output=True).stdout
    return [Path(p.decode()) for p in out.split(b"\0") if p]


def sync_scratch():
    """Copies the files that differ, so that an incremental build rebuilds only what changed."""
    for rel in tree_files():
        source, copy = TOP / rel, SCRATCH / rel
        if not source.is_file():
            continue
        if copy.is_file() and filecmp.cmp(source, copy, shallow=False):
            continue
        copy.parent.mkdir(parents=True, exist_ok=True)
        shutil.copyfile(source, copy)
        shutil.copymode(source, copy)


def locate(mutant, text):
    """The index of the mutant's line in text's lines; raises when it is not there exactly once."""
    lines = text.split("\n")
    hits = [i for i, line in enumerate(lines) if line.strip() == mutant["line"]]
    if len(hits) != 1:
        found = "not found" if not hits else f"found {len(hits)} times"
        raise LookupError(f"{mutant['id']}: line {found} in {mutant['file']}: {mutant['line']!r}")
    return lines, hits[0]


def mutated(mutant, text):
    lines, i = locate(mutant, text)
    indent = lines[i][: len(lines[i]) - len(lines[i].lstrip())]
    lines[i] = indent + mutant["replacement"]
    return "\n".join(lines), i + 1


def run(args, log):
    with open(log, "a") as out:
        out.write(f"\n$ {' '.join(map(str, args))}\n")
        out.flush()
        return subprocess.run(args, cwd=SCRATCH, stdout=out, stderr=subprocess.STDOUT).returncode


def configure(log):
    if (BUILD_DIR / "CMakeCache.txt").is_file():
        return True
    return run(["cmake", "--preset", "host"], log) == 0


def build(log):
    return run(["cmake", "--build", "--preset", "host", "--target", TARGET], log) == 0


def tests_pass(log):
    return run(["ctest", "--preset", "host", "--timeout", str(TEST_TIMEOUT_SECONDS)], log) == 0


def try_mutant(mutant, log):
    """Returns killed, survived or did not build; the file is restored whatever happens."""
    path = SCRATCH / mutant["file"]
    original = path.read_text()
    text, line = mutated(mutant, original)
    mutant["at"] = f"{mutant['file']}:{line}"
    try:
        path.write_text(text)
        if not build(log):
            return "did not build"
        return "survived" if tests_pass(log) else "killed"
    finally:
        path.write_text(original)


def check_table(selected):
    errors = []
    for mutant in selected:
        if mutant["file"] not in HOST_BUILT:
            errors.append(f"{mutant['id']}: {mutant['file']} is not built by the host preset")
            continue
        try:
            locate(mutant, (TOP / mutant["file"]).read_text())
        except LookupError as error:
            errors.append(str(error))
    return errors


def percent(part, whole):
    return f"{100 * part / whole:.0f} %" if whole else "n/a"


def report(results):
    counted = [(m, r) for m, r in results if r != "did not build"]
    killed = sum(r == "killed" for _, r in counted)
    effective = [(m, r) for m, r in counted if not m.get("equivalent")]
    effective_killed = sum(r == "killed" for _, r in effective)
    print(f"\nscore: {killed} of {len(counted)} built mutants killed ({percent(killed, len(counted))}); "
          f"{len(results) - len(counted)} did not build")
    print(f"of the {len(effective)} that change behaviour: {effective_killed} killed "
          f"({percent(effective_killed, len(effective))})")
    for mutant, result in results:
        if result == "survived":
            why = mutant.get("equivalent")
            print(f"  survivor {mutant['id']}: " + (f"equivalent: {why}" if why else mutant["reason"]))


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("-k", dest="pattern", help="only mutants whose id or reason holds this")
    parser.add_argument("--check", action="store_true", help="only check the table's lines")
    options = parser.parse_args()
    selected = [m for m in MUTANTS if not options.pattern
                or options.pattern in m["id"] or options.pattern in m["reason"]]

    errors = check_table(selected)
    for error in errors:
        print(f"error: {error}")
    if errors or options.check:
        print(f"{len(selected)} mutants, {len(errors)} errors")
        return 1 if errors else 0

    SCRATCH.mkdir(parents=True, exist_ok=True)
    log = SCRATCH.parent / "log.txt"
    log.write_text("")
    print(f"scratch tree {SCRATCH}, build log {log}")
    sync_scratch()
    if not (configure(log) and build(log) and tests_pass(log)):
        print("the unmutated tree does not build or its tests fail: see the log")
        return 1

    results = []
    for mutant in selected:
        started = time.monotonic()
        result = try_mutant(mutant, log)
        results.append((mutant, result))
        print(f"{result:<14} {mutant['id']:<32} {mutant['at']:<36} "
              f"{time.monotonic() - started:4.0f} s  {mutant['reason']}", flush=True)
    build(log)  # leaves the scratch build matching the tree
    report(results)
    return 0


if __name__ == "__main__":
    sys.exit(main())
