#!/usr/bin/env python3
"""Freeze and save of a cut-out under Wine against floors measured in the same run (a raw copy of
the desktop and a raw show of it; a raw file write), at two screen sizes and on a desktop of two
monitors (the second left of the primary).
Usage: bench/win32/cutout_bench.py [repeats]   (PETARIKO_BUILD picks the build; CUTOUT_BENCH_SIZES
and CUTOUT_BENCH_HEADS, "none" for no two-monitor run, choose the desktops)"""
import json
import os
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests", "e2e"))
import e2e_lib  # noqa: E402

SIZES = tuple(tuple(int(v) for v in s.split("x")) for s in os.environ.get("CUTOUT_BENCH_SIZES", "1920x1080 3840x2160").split())
# X heads "x,y,w,h;...", the first the primary: here 1920x1080 with 1280x1024 on its left.
HEADS = os.environ.get("CUTOUT_BENCH_HEADS", "1280,0,1920,1080;0,0,1280,1024")


def main():
    repeats = sys.argv[1] if len(sys.argv) > 1 else "15"
    exe = os.path.join(e2e_lib.BUILD, "bench", "cutout_bench.exe")
    layouts = [(size, None) for size in SIZES]
    if HEADS != "none":
        layouts.append((None, [tuple(int(v) for v in head.split(",")) for head in HEADS.split(";")]))
    for size, heads in layouts:
        if heads:
            desktop = e2e_lib.Desktop(name="cutout-bench-heads", heads=heads).start()
        else:
            desktop = e2e_lib.Desktop(*size, name=f"cutout-bench-{size[0]}").start()
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
        width, height = r["width"], r["height"]
        if heads:
            print(f"{len(heads)} monitors, virtual screen {width}x{height}:")
        print(f"{width}x{height}: freeze {r['freeze_ms']:.1f} ms / raw copy and show {r['floor_copy_show_ms']:.1f} ms"
              f" = {r['freeze_ms'] / r['floor_copy_show_ms']:.2f} (goal <= 1.2);"
              f" / raw BitBlt alone {r['floor_blit_ms']:.1f} ms = {r['freeze_ms'] / r['floor_blit_ms']:.2f}")
        print(f"  (freeze parts: place {r['cover_ms']:.1f} ms, capture {r['capture_ms']:.1f} ms,"
              f" show and paint {r['show_ms']:.1f} ms; the floor's show and paint {r['floor_show_ms']:.1f} ms)")
        print(f"{width}x{height}: save picture {r['save_image_ms']:.1f} ms / raw write {r['floor_write_ms']:.1f} ms"
              f" = {r['save_image_ms'] / r['floor_write_ms']:.2f} (goal <= 1.5);"
              f" whole menu command {r['save_menu_ms']:.1f} ms = {r['save_menu_ms'] / r['floor_write_ms']:.2f}")
        print(f"  (over an existing file, made safe on the disk first: {r['save_replace_ms']:.1f} ms"
              f" = {r['save_replace_ms'] / r['floor_write_ms']:.2f})")
        print("  " + json.dumps(r))


if __name__ == "__main__":
    main()
