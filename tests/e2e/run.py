"""Runs the end-to-end suite with several parts side by side: each worker is a process of its own
with its own Xvfb and Wine prefix (on Windows one worker on the user's desktop), and takes the next
part when it is done. A part is a test class,
or one test of a class that asks to be spread (SIDE_BY_SIDE), such as a share of the random run.
Wine mostly waits for the tests' input, so two cores carry a few desktops at once. The longest
parts go first, by their times in the last run here, or on a fresh checkout by part-seconds.json
beside this file (a past run's times).

    python3 run.py [--jobs N] [test_file | test_file.Class | test_file.Class.test ...]

Each part's output is printed whole when it ends, with its time; the exit status is 1 when any
part failed. Every test_*.py here is found on its own.
"""
import argparse
import contextlib
import glob
import io
import json
import multiprocessing
import os
import queue as queue_module
import sys
import time
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))


def parts(names, seconds):
    """The parts to run, the longest first; a part of unknown length goes before the known ones."""
    loader = unittest.TestLoader()
    modules = names or sorted(os.path.basename(p)[:-3] for p in glob.glob(os.path.join(HERE, "test_*.py")))
    todo, classes = [], {}
    for name in modules:
        if name.count(".") == 2:
            todo.append([name])
            continue
        for case in iterate(loader.loadTestsFromName(name)):
            if getattr(type(case), "SIDE_BY_SIDE", False):
                todo.append([case.id()])
            else:
                classes.setdefault(case.id().rsplit(".", 1)[0], []).append(case.id())
    todo += classes.values()
    return sorted(todo, key=lambda ids: -seconds.get(label(ids), float("inf")))  # stable among equals


def iterate(suite):
    for item in suite:
        if isinstance(item, unittest.TestSuite):
            yield from iterate(item)
        else:
            yield item


def label(ids):
    return ids[0] if len(ids) == 1 else ids[0].rsplit(".", 1)[0]


def worker(queue, results):
    """Runs parts until the queue says stop; the desktops it made live until then."""
    import e2e_lib
    try:
        while True:
            ids = queue.get()
            if ids is None:
                return
            out = io.StringIO()
            began = time.monotonic()
            with contextlib.redirect_stdout(out), contextlib.redirect_stderr(out):
                result = unittest.TextTestRunner(stream=out, verbosity=2).run(
                    unittest.TestLoader().loadTestsFromNames(ids))
            results.put((ids, result.wasSuccessful(), result.testsRun, time.monotonic() - began, out.getvalue()))
    finally:
        e2e_lib.stop_shared_desktops()


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    # Windows has one interactive desktop: its parts run one at a time.
    parser.add_argument("--jobs", type=int, default=int(os.environ.get("PETARIKO_E2E_JOBS", "1" if os.name == "nt" else "4")),
                        help="desktops side by side (default 4, on Windows 1, or PETARIKO_E2E_JOBS)")
    parser.add_argument("names", nargs="*", help="test files (without .py) or single tests; all by default")
    args = parser.parse_args()
    sys.path.insert(0, HERE)
    os.chdir(HERE)
    import e2e_lib
    times_file = os.path.join(e2e_lib.ARTIFACTS, "part-seconds.json")
    seconds = {}
    for known in (os.path.join(HERE, "part-seconds.json"), times_file):  # the last run's times win
        with contextlib.suppress(OSError, ValueError):
            with open(known) as f:
                seconds.update(json.load(f))
    todo = parts(args.names, seconds)
    queue, results = multiprocessing.Queue(), multiprocessing.Queue()
    for ids in todo:
        queue.put(ids)
    workers = [multiprocessing.Process(target=worker, args=(queue, results)) for _ in range(min(args.jobs, len(todo)))]
    for _ in workers:
        queue.put(None)
    began = time.monotonic()
    for w in workers:
        w.start()
    summary, failed, count = [], [], 0
    for _ in todo:
        while True:
            with contextlib.suppress(queue_module.Empty):
                ids, ok, run, seconds_taken, text = results.get(timeout=10)
                break
            if not any(w.is_alive() for w in workers):
                print("== the workers ended with parts left undone", flush=True)
                return 1
        count += run
        line = f"{'ok  ' if ok else 'FAIL'} {label(ids)}: {run} test(s) in {seconds_taken:.0f} s"
        print(f"== {line}\n{text}", flush=True)
        summary.append(line)
        if ok:  # a failure's time says little about the part's length
            seconds[label(ids)] = round(seconds_taken)
        else:
            failed.append(label(ids))
    for w in workers:
        w.join()
    os.makedirs(os.path.dirname(times_file), exist_ok=True)
    with open(times_file, "w") as f:
        json.dump(seconds, f, indent=0, sort_keys=True)
    print("== end to end, " + f"{args.jobs} side by side:\n  " + "\n  ".join(summary))
    print(f"== {count} tests in {time.monotonic() - began:.0f} s; " + (f"FAILED: {', '.join(failed)}" if failed
                                                                         else "all passed"))
    return 1 if failed or any(w.exitcode for w in workers) else 0


if __name__ == "__main__":
    sys.exit(main())
