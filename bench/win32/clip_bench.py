#!/usr/bin/env python3
"""Copy of a full-screen cut-out to the clipboard under Wine against its floor, in the same run: the PNG
encoding of the same pixels alone plus a raw handing over of the same blocks.
Usage: bench/win32/clip_bench.py [repeats]   (PETARIKO_BUILD picks the build)"""
import json
import os
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests", "e2e"))
import e2e_lib  # noqa: E402


def main():
    repeats = sys.argv[1] if len(sys.argv) > 1 else "9"
    exe = os.path.join(e2e_lib.BUILD, "bench", "clip_bench.exe")
    desktop = e2e_lib.Desktop(1920, 1080, name="clip-bench").start()
    try:
        out = os.path.join(desktop.root, "bench.json")
        subprocess.run(["wine", exe, desktop.windows_path(out), repeats], env=desktop.env, check=True, timeout=900,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        with open(out) as f:
            r = json.load(f)
    finally:
        desktop.stop()
    floor = r["encode_ms"] + r["handover_ms"]
    print(f"{r['width']}x{r['height']}: copy {r['copy_ms']:.1f} ms / floor {floor:.1f} ms = {r['copy_ms'] / floor:.2f}"
          f" (goal <= 1.3); the floor is the PNG encoding alone {r['encode_ms']:.1f} ms plus a raw handing over"
          f" of the same blocks {r['handover_ms']:.1f} ms")
    print(f"  (copy parts: rows, mask and both bitmaps {r['bitmaps_ms']:.1f} ms, the rest beyond the floor"
          f" {r['copy_ms'] - floor - r['bitmaps_ms']:.1f} ms)")
    print("  " + json.dumps(r))


if __name__ == "__main__":
    main()
