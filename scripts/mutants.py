#!/usr/bin/env python3
"""Fault injection: does the suite notice when a rule of the product breaks?

Each row of tests/mutants/faults.tsv names a file, a text that must occur in
it exactly once, and what to put there instead. One scratch copy of the tree
at HEAD (outside the repository, with its own build folder) takes each fault
in turn: apply, rebuild, run the suite until its first failure, put back.
A failure counts once the failed tests fail again; one that then passes is
named in the row's line, and the tests run once more.
The copy stays between runs (MUTANTS_DIR, by default in the temporary
folder) and is brought to HEAD file by file, so that builds stay incremental.

  scripts/mutants.py [--check] [--fresh] [--no-baseline] [ID ...]

--check only confirms that every pattern matches exactly once in the working copy.
Patterns and replacements may hold \\n, \\t and \\\\.
"""
import argparse
import filecmp
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

ROOT = subprocess.run(["git", "rev-parse", "--show-toplevel"], capture_output=True, text=True,
                      check=True, cwd=os.path.dirname(os.path.abspath(__file__))).stdout.strip()
TABLE = os.path.join("tests", "mutants", "faults.tsv")
# The package's test builds a .deb, and gains nothing from a fault in the code.
SKIP_TESTS = "^packaging_"
ROW_LIMIT = int(os.environ.get("MUTANTS_ROW_SECONDS", "600"))
JOBS = os.environ.get("MUTANTS_JOBS", "2")
# The tests nearest a file's layer run first, so that a caught fault is known sooner.
NEAREST = {"engine": "engine|hardening|reader", "platform": "platform|ui", "ui": "ui|hardening",
           "app": "app|e2e|hardening|reader", "resources": "resources"}


def unescape(text):
    out, i = [], 0
    while i < len(text):
        if text[i] == "\\" and i + 1 < len(text):
            out.append({"n": "\n", "t": "\t", "\\": "\\"}.get(text[i + 1], "\\" + text[i + 1]))
            i += 2
        else:
            out.append(text[i])
            i += 1
    return "".join(out)


def read_table(tree):
    rows = []
    with open(os.path.join(tree, TABLE), encoding="utf-8") as table:
        for number, line in enumerate(table, 1):
            line = line.rstrip("\n")
            if not line.strip() or line.startswith("#"):
                continue
            cells = line.split("\t")
            if len(cells) not in (5, 6):
                sys.exit(f"{TABLE}:{number}: {len(cells)} cells, not 5 or 6")
            ident, path, pattern, replacement, rule = cells[:5]
            rows.append(dict(id=ident, path=path, pattern=unescape(pattern), replacement=unescape(replacement),
                             rule=rule, harmless=cells[5] if len(cells) == 6 else "", line=number))
    ids = [row["id"] for row in rows]
    if len(ids) != len(set(ids)):
        sys.exit(f"{TABLE}: an id is used twice")
    return rows


def check(tree, rows):
    bad = []
    for row in rows:
        try:
            with open(os.path.join(tree, row["path"]), encoding="utf-8") as source:
                count = source.read().count(row["pattern"])
        except OSError as error:
            count, row["why"] = 0, str(error)
        if count != 1:
            bad.append(f"{row['id']} ({TABLE}:{row['line']}): {row['path']}: the pattern matches {count} times")
    return bad


def sync(source, target):
    """Makes `target` hold what `source` holds, touching only the files that differ."""
    for folder, folders, files in os.walk(target, topdown=False):
        for name in files + folders:
            path = os.path.join(folder, name)
            if not os.path.lexists(os.path.join(source, os.path.relpath(path, target))):
                shutil.rmtree(path) if os.path.isdir(path) and not os.path.islink(path) else os.remove(path)
    for folder, _, files in os.walk(source):
        into = os.path.join(target, os.path.relpath(folder, source))
        os.makedirs(into, exist_ok=True)
        for name in files:
            new, old = os.path.join(folder, name), os.path.join(into, name)
            if not os.path.exists(old) or not filecmp.cmp(new, old, shallow=False):
                shutil.copy2(new, old)
                os.utime(old)   # newer than what was built from the old one


def run(command, cwd, limit, log):
    log.write("$ " + " ".join(command) + "\n")
    log.flush()
    process = subprocess.Popen(command, cwd=cwd, stdout=log, stderr=subprocess.STDOUT, start_new_session=True)
    try:
        return process.wait(timeout=limit)
    except subprocess.TimeoutExpired:
        # The tests it started too, which share its process group.
        os.killpg(process.pid, signal.SIGKILL)
        process.wait()
        return "timeout"


def failed_tests(build):
    try:
        with open(os.path.join(build, "Testing", "Temporary", "LastTestsFailed.log"), encoding="utf-8") as f:
            return ", ".join(line.strip().split(":", 1)[-1] for line in f if line.strip())
    except OSError:
        return ""


def suite(row, build, start, log):
    """Runs the tests nearest the row's file, then the rest, until a failure: ctest's status (0, a failure,
    "timeout"), the failed tests, and the failures that did not come again."""
    test_cmd = ["ctest", "-j", JOBS, "--stop-on-failure", "--output-on-failure", "--timeout", "180", "-E", SKIP_TESTS]
    rerun_cmd = ["ctest", "--rerun-failed", "--output-on-failure", "--timeout", "180"]
    left = lambda: max(60, ROW_LIMIT - (time.monotonic() - start))
    labels = NEAREST.get(row["path"].split("/")[0])
    tested, failed, flaky = 0, "", []
    for phase in [["-L", f"^({labels})$"], ["-LE", f"^({labels})$"]] if labels else [[]]:
        # A failure that does not come again was the test's own, not the fault's: the phase runs again.
        for _ in range(2):
            tested = run(test_cmd + phase, build, left(), log)
            if tested in (0, "timeout"):
                break
            failed = failed_tests(build)
            if run(rerun_cmd, build, left(), log) != 0:
                break
            flaky.append(failed)
        if tested != 0:
            break
    return tested, failed, flaky


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--check", action="store_true", help="only check that every pattern matches once")
    parser.add_argument("--fresh", action="store_true", help="start from a new scratch copy")
    parser.add_argument("--no-baseline", action="store_true",
                        help="skip the suite on the unchanged tree (when HEAD has just passed it)")
    parser.add_argument("ids", nargs="*", help="only these rows")
    args = parser.parse_args()

    # The table is the working copy's, so rows can be tried before they are committed; the code is HEAD's.
    rows = read_table(ROOT)
    if args.ids:
        unknown = set(args.ids) - {row["id"] for row in rows}
        if unknown:
            sys.exit("unknown rows: " + ", ".join(sorted(unknown)))
        rows = [row for row in rows if row["id"] in args.ids]
    if args.check:
        bad = check(ROOT, rows)
        print("\n".join(bad) or f"{len(rows)} faults, each pattern matches once")
        sys.exit(1 if bad else 0)
    scratch = os.environ.get("MUTANTS_DIR", os.path.join(tempfile.gettempdir(), f"corvex-mutants-{os.getuid()}"))
    if args.fresh:
        shutil.rmtree(scratch, ignore_errors=True)
    tree, build = os.path.join(scratch, "tree"), os.path.join(scratch, "build")
    os.makedirs(tree, exist_ok=True)
    with tempfile.TemporaryDirectory() as head:
        archive = subprocess.run(["git", "archive", "HEAD"], cwd=ROOT, capture_output=True, check=True).stdout
        subprocess.run(["tar", "-x", "-C", head], input=archive, check=True)
        sync(head, tree)
    bad = check(tree, rows)
    if bad:
        print("\n".join(bad))
        sys.exit("the table does not fit the code at HEAD")
    log_path = os.path.join(scratch, "log")
    build_cmd = ["cmake", "--build", build, "-j", JOBS]
    test_cmd = ["ctest", "-j", JOBS, "--stop-on-failure", "--timeout", "180", "-E", SKIP_TESTS]
    with open(log_path, "w") as log:
        print(f"building the scratch copy in {scratch} ...", flush=True)
        if run(["cmake", "-S", tree, "-B", build, "-DCORVEX_BUILD_BENCH=OFF"], tree, None, log) != 0 \
                or run(build_cmd, tree, None, log) != 0:
            sys.exit(f"the unchanged tree does not build: see {log_path}")
        if not args.no_baseline and run(test_cmd, build, None, log) != 0:
            sys.exit(f"the unchanged tree fails its suite ({failed_tests(build)}): see {log_path}")

    results = []
    for row in rows:
        source_path = os.path.join(tree, row["path"])
        with open(source_path, encoding="utf-8") as f:
            original = f.read()
        with open(source_path, "w", encoding="utf-8") as f:
            f.write(original.replace(row["pattern"], row["replacement"], 1))
        start = time.monotonic()
        row_log = os.path.join(scratch, f"{row['id']}.log")
        with open(row_log, "w") as log:
            built = run(build_cmd, tree, ROW_LIMIT, log)
            tested, failed, flaky = suite(row, build, start, log) if built == 0 else (None, "", [])
        # Written anew, so the next build compiles it again (from the cache).
        with open(source_path, "w", encoding="utf-8") as f:
            f.write(original)
        if built != 0:
            verdict, by = "no-build", f"see {row_log}"
        elif tested == 0:
            verdict, by = "missed", row["harmless"] and "harmless: " + row["harmless"]
        elif tested == "timeout":
            verdict, by = "caught", "the suite ran out of time"
        else:
            verdict, by = "caught", failed
        if flaky:
            by += f" (failed once, then passed: {', '.join(flaky)})"
        results.append((row, verdict))
        print(f"{row['id']:28} {verdict:8} {time.monotonic() - start:5.0f} s  {by}", flush=True)

    missed = [row for row, verdict in results if verdict == "missed"]
    broken = [row for row, verdict in results if verdict == "no-build"]
    caught = len(results) - len(missed) - len(broken)
    judged = caught + len(missed)
    if missed:
        print("\nmissed:")
        for row in missed:
            print(f"  {row['id']} ({row['path']}): {row['rule']}" + (f"\n    harmless: {row['harmless']}" if row["harmless"] else ""))
    if broken:
        print("\ndo not build (fix these rows): " + ", ".join(row["id"] for row in broken))
    unexplained = sum(1 for row in missed if not row["harmless"])
    print(f"\nscore: {caught} of {judged} faults caught ({100.0 * caught / max(judged, 1):.0f} %), "
          f"{len(missed) - unexplained} missed as harmless, {unexplained} missed unexplained")
    sys.exit(1 if broken else 0)


if __name__ == "__main__":
    main()
