#!/usr/bin/env python3
"""CPU time and private memory of petariko.exe idling under Wine against a bare 100 ms timer
program, same run.

Both run side by side on one private Xvfb and Wine prefix for the same wall time; the ratio of
their user+system CPU time and the difference of their private memory (what Wine reports as a
process's own PrivateUsage: its resident anonymous memory) are printed.
Usage: bench/idle.py [seconds]
"""
import os
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
import e2e_lib  # noqa: E402

TICKS = os.sysconf("SC_CLK_TCK")


def find_pid(exe_name, prefix):
    """The process of this Wine prefix (others may run the same program on the machine)."""
    for pid in os.listdir("/proc"):
        if not pid.isdigit():
            continue
        try:
            with open(f"/proc/{pid}/cmdline", "rb") as f:
                cmdline = f.read().decode("utf-8", "replace")
            with open(f"/proc/{pid}/environ", "rb") as f:
                if b"WINEPREFIX=" + prefix.encode() + b"\0" not in f.read():
                    continue
        except OSError:
            continue
        # A Wine process's first argument is the Windows path of its program.
        if cmdline.split("\0")[0].lower().endswith(exe_name):
            return int(pid)
    return None


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / TICKS


def private_mb(pid):
    with open(f"/proc/{pid}/status") as f:
        fields = dict(line.split(":", 1) for line in f if ":" in line)
    return sum(int(fields.get(k, "0 kB").split()[0]) for k in ("RssAnon", "VmSwap")) / 1024


def main():
    seconds = float(sys.argv[1]) if len(sys.argv) > 1 else 60.0
    desktop = e2e_lib.Desktop(name="idle-bench").start()
    try:
        app = e2e_lib.Petariko(desktop)
        app.start()
        floor_exe = os.path.join(desktop.root, "idle_timer.exe")
        with open(os.path.join(e2e_lib.BUILD, "bench", "idle_timer.exe"), "rb") as src, open(floor_exe, "wb") as dst:
            dst.write(src.read())
        desktop.spawn(floor_exe)
        prefix = desktop.env["WINEPREFIX"]
        pids = e2e_lib.wait_for(lambda: (find_pid("petariko.exe", prefix), find_pid("idle_timer.exe", prefix))
                                if find_pid("petariko.exe", prefix) and find_pid("idle_timer.exe", prefix) else None,
                                timeout=20, what="both programs")
        time.sleep(2)  # past start-up
        before = [cpu_seconds(p) for p in pids]
        time.sleep(seconds)
        after = [cpu_seconds(p) for p in pids]
        used = [a - b for a, b in zip(after, before)]
        print(f"idle {seconds:.0f} s: petariko.exe {used[0]:.2f} s CPU, bare timer {used[1]:.2f} s CPU")
        if used[1] > 0:
            print(f"ratio petariko / floor = {used[0] / used[1]:.2f}")
        else:
            print("floor used no measurable CPU time; ratio undefined (petariko used %.2f s)" % used[0])
        memory = [private_mb(p) for p in pids]
        print(f"private memory: petariko.exe {memory[0]:.2f} MB, bare timer {memory[1]:.2f} MB,"
              f" difference {memory[0] - memory[1]:.2f} MB (goal <= 2)")
    finally:
        desktop.stop()


if __name__ == "__main__":
    main()
