#!/usr/bin/env python3
"""Freeze and save of a cut-out under Wine against floors measured in the same run, at two screen
sizes. Usage: bench/win32/cutout_bench.py [repeats]   (PETARIKO_BUILD picks the build)"""
import json
import os
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests", "e2e"))
import e2e_lib  # noqa: E402

SIZES = tuple(tuple(int(v) for v in s.split("x")) for s in os.environ.get("CUTOUT_BENCH_SIZES", "1920x1080 3840x2160").split())


def main():
    repeats = sys.argv[1] if len(sys.argv) > 1 else "15"
    exe = os.path.join(e2e_lib.BUILD, "bench", "cutout_bench.exe")
    for width, height in SIZES:
        desktop = e2e_lib.Desktop(width, height, name=f"cutout-bench-{width}").start()
        try:
            out = os.path.join(desktop.root, "bench.json")
            save_dir = os.path.join(desktop.root, "saves")
            os.makedirs(save_dir)
            subprocess.run(["wine", exe, desktop.windows_path(out), desktop.windows_path(save_dir), repeats],
                           env=desktop.env, check=True, timeout=900,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            with open(out) as f:
                r = json.load(f)
        finally:
            desktop.stop()
        print(f"{width}x{height}: freeze {r['freeze_ms']:.1f} ms / raw BitBlt {r['floor_blit_ms']:.1f} ms"
              f" = {r['freeze_ms'] / r['floor_blit_ms']:.2f} (goal <= 1.2)")
        print(f"  (freeze parts: place {r['cover_ms']:.1f} ms, capture {r['capture_ms']:.1f} ms,"
              f" show and paint {r['show_ms']:.1f} ms)")
        print(f"{width}x{height}: save picture {r['save_image_ms']:.1f} ms / raw write {r['floor_write_ms']:.1f} ms"
              f" = {r['save_image_ms'] / r['floor_write_ms']:.2f} (goal <= 1.5);"
              f" whole menu command {r['save_menu_ms']:.1f} ms = {r['save_menu_ms'] / r['floor_write_ms']:.2f}")
        print("  " + json.dumps(r))


if __name__ == "__main__":
    main()
