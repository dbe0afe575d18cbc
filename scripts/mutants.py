#!/usr/bin/env python3
"""Breaks the code on purpose, one catalogued fault at a time, and tells which test noticed.

The catalogue (tests/mutants/*.txt) lists faults a developer could really make. The runner
copies the tree once into a scratch folder outside it, with a host build of its own, applies
each entry there (and undoes it before the next), rebuilds incrementally and runs the host
tests, stopping at the first test that fails. The working tree is only read.

Usage: scripts/mutants.sh [--sample] [--only ID[,ID...]] [--catalogue FILE...] [--binaries NAME,...] [--check] [--self-test]
"""
import argparse
import glob
import hashlib
import json
import os
import re
import shutil
import signal
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
# The long random model test runs a short, fixed range of seeds: the same mutant is caught
# (or not) the same way every time.
MODEL_ENV = {"TARNWICK_MODEL_SEQUENCES": os.environ.get("MUTANTS_MODEL_SEQUENCES", "300"),
             "TARNWICK_MODEL_SEED": "1"}


class Entry:
    def __init__(self, ident, why, where):
        self.ident, self.why, self.where = ident, why, where
        self.file = None
        self.find = None
        self.replace = None
        self.sample = False


def parse_catalogue(paths):
    """Entries are blocks: '[id] what a user or the machine would notice', then 'file:',
    'find:' and 'with:' lines ('find+:' and 'with+:' continue them on a new line), and an
    optional 'sample: yes'. Lines starting with '#' are comments."""
    entries, errors = [], []
    for path in paths:
        current = None
        with open(path, encoding="utf-8") as f:
            for number, raw in enumerate(f, 1):
                line = raw.rstrip("\n")
                where = f"{os.path.relpath(path, ROOT)}:{number}"
                if not line.strip() or line.startswith("#"):
                    continue
                head = re.match(r"^\[([A-Za-z0-9_.-]+)\]\s+(.+)$", line)
                if head:
                    current = Entry(head.group(1), head.group(2).strip(), where)
                    entries.append(current)
                    continue
                field = re.match(r"^(file|find|find\+|with|with\+|sample):(?: (.*))?$", line)
                if not field or current is None:
                    errors.append(f"{where}: not an entry line: {line}")
                    continue
                key, value = field.group(1), field.group(2) or ""
                if key == "file":
                    current.file = value.strip()
                elif key == "find":
                    current.find = value
                elif key == "with":
                    current.replace = value
                elif key == "find+" and current.find is not None:
                    current.find += "\n" + value
                elif key == "with+" and current.replace is not None:
                    current.replace += "\n" + value
                elif key == "sample":
                    current.sample = value.strip() == "yes"
                else:
                    errors.append(f"{where}: {key} before its first line")
    seen = set()
    for e in entries:
        if e.ident in seen:
            errors.append(f"{e.where}: the id {e.ident} is used twice")
        seen.add(e.ident)
        if not e.file or e.find is None or e.replace is None:
            errors.append(f"{e.where}: [{e.ident}] needs file:, find: and with:")
        elif e.find == e.replace:
            errors.append(f"{e.where}: [{e.ident}] replaces its snippet by itself")
    return entries, errors


def tree_files(root):
    out = subprocess.run(["git", "ls-files", "-z", "-co", "--exclude-standard"], cwd=root,
                         check=True, capture_output=True).stdout
    return [p for p in out.decode("utf-8", "surrogateescape").split("\0") if p and os.path.isfile(os.path.join(root, p))]


def sync_tree(root, scratch):
    """Copies what differs, so that the scratch build stays incremental; a file left mutated
    by an interrupted run is put right here too."""
    src = os.path.join(scratch, "src")
    os.makedirs(src, exist_ok=True)
    files = tree_files(root)
    listed = os.path.join(scratch, "files.txt")
    previous = set()
    if os.path.exists(listed):
        with open(listed, encoding="utf-8", errors="surrogateescape") as f:
            previous = set(f.read().splitlines())
    for rel in previous - set(files):
        try:
            os.remove(os.path.join(src, rel))
        except FileNotFoundError:
            pass
    for rel in files:
        a, b = os.path.join(root, rel), os.path.join(src, rel)
        with open(a, "rb") as f:
            data = f.read()
        try:
            with open(b, "rb") as f:
                if f.read() == data:
                    continue
        except FileNotFoundError:
            os.makedirs(os.path.dirname(b), exist_ok=True)
        with open(b, "wb") as f:
            f.write(data)
        shutil.copymode(a, b)
    with open(listed, "w", encoding="utf-8", errors="surrogateescape") as f:
        f.write("\n".join(sorted(files)))
    return src


def run_logged(cmd, cwd, log, env=None, timeout=None):
    with open(log, "ab") as out:
        out.write(("\n$ " + " ".join(cmd) + "\n").encode())
        out.flush()
        try:
            return subprocess.run(cmd, cwd=cwd, stdout=out, stderr=subprocess.STDOUT, env=env,
                                  timeout=timeout).returncode
        except subprocess.TimeoutExpired:
            return None


class Build:
    def __init__(self, scratch, src, log):
        self.dir = os.path.join(scratch, "build")
        self.src, self.log = src, log
        self.jobs = str(os.cpu_count() or 2)

    def configure(self):
        # -O1: the tests behave as in the release build and each rebuild stays short.
        gen = ["-G", "Ninja"] if shutil.which("ninja") else []
        return run_logged(["cmake", "-S", self.src, "-B", self.dir, *gen, "-DCMAKE_BUILD_TYPE=Release",
                           "-DCMAKE_CXX_FLAGS_RELEASE=-O1 -DNDEBUG", "-DCMAKE_CXX_COMPILER=g++",
                           "-DTARNWICK_BENCHMARKS=OFF", "-DTARNWICK_WARNINGS_AS_ERRORS=OFF"],
                          self.src, self.log) == 0

    def build(self):
        return run_logged(["cmake", "--build", self.dir, "-j", self.jobs], self.src, self.log) == 0

    def test_binaries(self):
        out = subprocess.run(["ctest", "--show-only=json-v1"], cwd=self.dir, capture_output=True, text=True)
        seen = []
        for t in json.loads(out.stdout).get("tests", []):
            exe = (t.get("command") or [None])[0]
            if exe and exe not in seen:
                seen.append(exe)
        return seen


def run_tests(binaries, first_for, log, timeouts):
    """Runs the test binaries, the one of the mutated module first, until one fails.
    Returns (test name, seconds per binary) or (None, ...) when everything passed."""
    module = first_for.split("/")[1] if first_for and first_for.startswith("src/") else ""
    order = sorted(binaries, key=lambda b: 0 if os.path.basename(b).startswith(module + "_") else 1)
    env = dict(os.environ, **MODEL_ENV)
    took = {}
    for exe in order:
        began = time.monotonic()
        name = os.path.basename(exe)
        try:
            proc = subprocess.run([exe, "--gtest_fail_fast"], capture_output=True,
                                  text=True, errors="replace", env=env, timeout=timeouts.get(exe, 300))
        except subprocess.TimeoutExpired as t:
            text = t.stdout.decode(errors="replace") if isinstance(t.stdout, bytes) else (t.stdout or "")
            with open(log, "a", encoding="utf-8") as f:
                f.write(f"\n--- {name}: timed out\n{text[-4000:]}\n")
            running = re.findall(r"^\[ RUN      \] (\S+)", text, re.M)
            return f"{name} (timed out{' in ' + running[-1] if running else ''})", took
        took[exe] = time.monotonic() - began
        if proc.returncode != 0:
            with open(log, "a", encoding="utf-8") as f:
                f.write(f"\n--- {name}: exit {proc.returncode}\n{proc.stdout[-6000:]}{proc.stderr[-2000:]}\n")
            failed = re.findall(r"^\[  FAILED  \] (\S+?)(?:,| \(|$)", proc.stdout, re.M)
            if failed:
                return failed[0], took
            running = re.findall(r"^\[ RUN      \] (\S+)", proc.stdout, re.M)
            what = running[-1] if running else name
            return f"{what} (exit {proc.returncode})", took
    return None, took


def apply(src, entry):
    path = os.path.join(src, entry.file)
    try:
        with open(path, encoding="utf-8", newline="") as f:
            original = f.read()
    except FileNotFoundError:
        return None, "NOT FOUND (no file " + entry.file + ")"
    count = original.count(entry.find)
    if count == 0:
        return None, "NOT FOUND (snippet not in " + entry.file + ")"
    if count > 1:
        return None, f"NOT FOUND (snippet in {count} places of {entry.file}: make it unique)"
    with open(path, "w", encoding="utf-8", newline="") as f:
        f.write(original.replace(entry.find, entry.replace))
    return original, None


def restore(src, entry, original):
    with open(os.path.join(src, entry.file), "w", encoding="utf-8", newline="") as f:
        f.write(original)


def check_snippets(root, entries, failed):
    """A quick look, without a build, after code that entries name has changed."""
    passed = 0
    for e in entries:
        try:
            with open(os.path.join(root, e.file), encoding="utf-8", newline="") as f:
                count = f.read().count(e.find)
        except FileNotFoundError:
            count = -1
        if count == 1:
            passed += 1
        else:
            failed += 1
            print(f"{e.ident:34} NOT FOUND ({'no file ' + e.file if count < 0 else f'{count} places in ' + e.file})")
    print(f"{passed} passed, {failed} failed")
    return 0 if failed == 0 else 1


def default_scratch():
    tag = hashlib.sha256(ROOT.encode()).hexdigest()[:10]
    return os.environ.get("MUTANTS_SCRATCH") or os.path.join(os.environ.get("TMPDIR", "/tmp"), "tarnwick-mutants-" + tag)


def choose(entries, args):
    if args.only:
        wanted = set(args.only.split(","))
        return [e for e in entries if e.ident in wanted]
    if args.sample:
        return [e for e in entries if e.sample]
    return entries


def rebuild_order(entries):
    """Headers last: a header's mutant rebuilds most of the tree, and so does its undo; last
    of all, the undo is never rebuilt."""
    return sorted(entries, key=lambda e: e.file.endswith(".h"))


def unsampled_files(entries):
    """The sample must touch every file the catalogue names."""
    files = {e.file for e in entries}
    return sorted(files - {e.file for e in entries if e.sample})


def main(argv):
    p = argparse.ArgumentParser(description="Runs the catalogue of deliberate faults against the host tests.")
    p.add_argument("--sample", action="store_true", help="only the entries marked 'sample: yes' (the test command's tenth)")
    p.add_argument("--only", help="only these ids, comma-separated")
    p.add_argument("--catalogue", nargs="+", help="catalogue files (default tests/mutants/*.txt)")
    p.add_argument("--self-test", action="store_true", help="check the runner itself")
    p.add_argument("--check", action="store_true", help="only check that every snippet is in its file, once")
    p.add_argument("--binaries", help="only these test binaries, comma-separated (default: every one)")
    p.add_argument("--root", default=ROOT, help=argparse.SUPPRESS)
    args = p.parse_args(argv)
    if args.self_test:
        return self_test()

    root = os.path.abspath(args.root)
    paths = args.catalogue or sorted(glob.glob(os.path.join(root, "tests", "mutants", "*.txt")))
    entries, errors = parse_catalogue(paths)
    if args.sample:
        errors += [f"{f} has entries but none marked 'sample: yes'" for f in unsampled_files(entries)]
    for e in errors:
        print("catalogue: " + e)
    if args.check:
        return check_snippets(root, choose(entries, args), len(errors))
    chosen = rebuild_order(choose(entries, args))
    if not chosen:
        print("no entries chosen")
        print(f"0 passed, {1 + len(errors)} failed")
        return 1

    scratch = default_scratch()
    os.makedirs(scratch, exist_ok=True)
    log = os.path.join(scratch, "mutants.log")
    open(log, "w").close()
    began = time.monotonic()
    src = sync_tree(root, scratch)
    build = Build(scratch, src, log)
    print(f"scratch: {scratch} (log: {log})", flush=True)
    if not (build.configure() and build.build()):
        print("the unmutated tree does not build; see the log")
        print(f"0 passed, {len(chosen) + len(errors)} failed")
        return 1
    binaries = build.test_binaries()
    if args.binaries:
        wanted = set(args.binaries.split(","))
        binaries = [b for b in binaries if os.path.basename(b) in wanted]
    caught, took = run_tests(binaries, "", log, {})
    if caught or not binaries:
        print(f"the unmutated tree fails its own tests ({caught or 'no tests'}); see the log")
        print(f"0 passed, {len(chosen) + len(errors)} failed")
        return 1
    # A mutant that makes a binary run ten times longer than it does unmutated has hung.
    timeouts = {exe: max(20.0, 10 * s) for exe, s in took.items()}
    print(f"baseline: built and passed in {time.monotonic() - began:.0f} s", flush=True)

    passed, failed = 0, len(errors)
    current = None

    def interrupted(signum, frame):
        raise KeyboardInterrupt

    signal.signal(signal.SIGTERM, interrupted)
    try:
        for e in chosen:
            original, problem = apply(src, e)
            if problem:
                failed += 1
                print(f"{e.ident:34} {problem}", flush=True)
                continue
            current = (e, original)
            if os.environ.get("MUTANTS_HOLD_APPLIED"):
                # The self-test interrupts a run here, with a mutant in place.
                print(f"applied {e.ident}", flush=True)
                time.sleep(float(os.environ["MUTANTS_HOLD_APPLIED"]))
            t0 = time.monotonic()
            if not build.build():
                outcome, ok = "BUILD FAILED (the mutant must compile; see the log)", False
            else:
                test, _ = run_tests(binaries, e.file, log, timeouts)
                outcome, ok = (f"caught by {test}", True) if test else ("SURVIVED: " + e.why, False)
            restore(src, e, original)
            current = None
            passed, failed = passed + ok, failed + (not ok)
            print(f"{e.ident:34} {outcome}  [{time.monotonic() - t0:.0f} s]", flush=True)
    except KeyboardInterrupt:
        if current:
            restore(src, *current)
        print("interrupted; the scratch copy is restored")
        print(f"{passed} passed, {failed + 1} failed")
        return 130
    print(f"{len(chosen)} entries in {time.monotonic() - began:.0f} s")
    print(f"{passed} passed, {failed} failed")
    return 0 if failed == 0 else 1


def tree_signature(root):
    """Every file of the tree but Git's own and the test command's logs: path, size, time and
    mode; the contents of the files Git sees as well."""
    h = hashlib.sha256()
    for dirpath, dirnames, filenames in os.walk(root):
        rel = os.path.relpath(dirpath, root)
        dirnames[:] = sorted(d for d in dirnames if not (rel == "." and d == ".git") and
                             os.path.join(rel, d) != os.path.join("build", "artifacts"))
        for name in sorted(filenames):
            st = os.lstat(os.path.join(dirpath, name))
            h.update(f"{os.path.join(rel, name)}\0{st.st_size}\0{st.st_mtime_ns}\0{st.st_mode}\n".encode())
    for rel in tree_files(root):
        with open(os.path.join(root, rel), "rb") as f:
            h.update(hashlib.sha256(f.read()).digest())
    return h.hexdigest()


def self_test():
    """The runner reports what it must: a missing snippet fails loudly, a change no test can
    see survives, and the tree is the same after a run and after an interrupted one."""
    scratch = default_scratch()
    os.makedirs(scratch, exist_ok=True)
    target = "src/timer/simple_timer.cpp"
    with open(os.path.join(ROOT, target), encoding="utf-8") as f:
        text = f.read()
    comments = [l for l in text.splitlines() if l.strip().startswith("//") and text.count(l) == 1]
    catalogue = os.path.join(scratch, "selftest.txt")
    with open(catalogue, "w", encoding="utf-8") as f:
        f.write(f"[missing] nothing: its snippet is nowhere\nfile: {target}\nfind: this text is in no file\nwith: x\n\n")
        f.write(f"[pointless] nothing: a comment changed\nfile: {target}\nfind: {comments[0]}\nwith: // changed\n\n")
        f.write(f"[held] nothing: interrupted while it is in place\nfile: {target}\nfind: {comments[0]}\n"
                "with: // changed, then interrupted\n")
    # The runner's reports are under test here, not the program: one small binary will do.
    me = [sys.executable, os.path.abspath(__file__), "--catalogue", catalogue, "--binaries", "timer_tests"]
    results = []

    def check(name, ok, detail=""):
        results.append(ok)
        print(f"{'ok  ' if ok else 'FAIL'} {name}{': ' + detail if detail and not ok else ''}", flush=True)

    before = tree_signature(ROOT)
    run = subprocess.run(me + ["--only", "missing,pointless"], capture_output=True, text=True)
    lines = run.stdout
    check("a snippet that is nowhere is reported NOT FOUND", re.search(r"^missing +NOT FOUND", lines, re.M) is not None, lines)
    check("a change no test can see is reported SURVIVED", re.search(r"^pointless +SURVIVED", lines, re.M) is not None, lines)
    check("either one fails the run", run.returncode != 0 and "0 passed, 2 failed" in lines, lines)
    check("the tree is byte-identical after a run", tree_signature(ROOT) == before)

    proc = subprocess.Popen(me + ["--only", "held"], stdout=subprocess.PIPE, text=True,
                            env=dict(os.environ, MUTANTS_HOLD_APPLIED="60"))
    seen = ""
    for line in proc.stdout:
        seen += line
        if line.startswith("applied held"):
            proc.send_signal(signal.SIGINT)
            break
    seen += proc.stdout.read()
    proc.wait()
    check("an interrupted run says so and fails", proc.returncode != 0 and "interrupted" in seen, seen)
    check("the tree is byte-identical after an interrupted run", tree_signature(ROOT) == before)
    with open(os.path.join(scratch, "src", target), encoding="utf-8") as f:
        check("the scratch copy is restored after an interrupted run", f.read() == text)

    bad = os.path.join(scratch, "selftest-bad.txt")
    with open(bad, "w", encoding="utf-8") as f:
        f.write("[twice] x\nfile: a\nfind: a\nwith: b\n\n[twice] y\nfile: a\nfind: a\nwith: a\n")
    entries, errors = parse_catalogue([bad])
    check("a malformed catalogue is refused", len(errors) == 2, "; ".join(errors))
    n = sum(results)
    print(f"runner: {n} passed, {len(results) - n} failed")
    return 0 if n == len(results) else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
