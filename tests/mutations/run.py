#!/usr/bin/env python3
"""Runs the suites against each deliberate fault of mutations.txt and prints which suite kills it.

A fault is killed when its suite fails, survives when the suite passes, and counts as neither when
the tree does not build with it or its `find` text no longer occurs exactly once (re-anchor it).
Each fault is applied to the source, built and tested, then undone; run it in a checkout whose
builds you can spare (a worktree), since it rebuilds the presets there. On demand, not in CI.

  tests/mutations/run.py [--suites native,win32] [--only ID,ID] [--out table.md]

native runs `ctest --preset native`; win32 (or win64, where 32-bit programs cannot run) runs the
Windows suite `win_tests` under Wine, plus any test a fault names in `windows-tests`.
"""
import argparse
import pathlib
import signal
import subprocess
import sys

ROOT = pathlib.Path(__file__).resolve().parents[2]


def read_mutations(path):
    mutations, current, key = [], None, None
    for line in path.read_text().splitlines():
        if line.startswith("#"):
            continue
        if not line.strip():
            current = key = None
            continue
        if current is None:
            current = {}
            mutations.append(current)
        if line.startswith(" ") and key:
            current[key] += "\n" + line  # a find or replace text of several lines
            continue
        key, _, value = line.partition(": ")
        current[key] = value
    return mutations


def run(command, timeout):
    try:
        return subprocess.run(command, cwd=ROOT, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                              timeout=timeout).returncode == 0
    except subprocess.TimeoutExpired:
        return False  # a hang is a failure the suite caught


def suite_result(suite, mutation):
    if suite == "native" and mutation.get("where") == "win32":
        return "-"  # not compiled natively
    if not run(["cmake", "--build", "--preset", suite], 1800):
        return "no build"
    if suite == "native":
        passed = run(["ctest", "--preset", "native", "-j2", "--timeout", "120"], 900)
    else:
        tests = ["win_tests"] + mutation.get("windows-tests", "").split()
        passed = run(["ctest", "--preset", suite, "--timeout", "300", "-R", "^(" + "|".join(tests) + ")$"], 1200)
    return "survived" if passed else "killed"


def main():
    # A sweep stopped with kill must still undo the fault it is testing (the `finally` below).
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    parser = argparse.ArgumentParser()
    parser.add_argument("--suites", default="native,win32")
    parser.add_argument("--only", default="")
    parser.add_argument("--out")
    args = parser.parse_args()
    suites = args.suites.split(",")
    wanted = set(filter(None, args.only.split(",")))
    for suite in suites:
        subprocess.run(["cmake", "--preset", suite], cwd=ROOT, stdout=subprocess.DEVNULL, check=True)

    rows = ["| fault | file | function | " + " | ".join(suites) + " |", "|---|---|---|" + "---|" * len(suites)]
    for mutation in read_mutations(pathlib.Path(__file__).with_name("mutations.txt")):
        if wanted and mutation["id"] not in wanted:
            continue
        source = ROOT / mutation["file"]
        original = source.read_text()
        if original.count(mutation["find"]) != 1:
            results = ["unanchored"] * len(suites)
        else:
            source.write_text(original.replace(mutation["find"], mutation["replace"]))
            try:
                results = [suite_result(suite, mutation) for suite in suites]
            finally:
                source.write_text(original)
        rows.append(f"| {mutation['id']} | {mutation['file']} | {mutation['function']} | " + " | ".join(results) + " |")
        print(rows[-1], flush=True)
    if args.out:
        pathlib.Path(args.out).write_text("\n".join(rows) + "\n")


if __name__ == "__main__":
    sys.exit(main())
