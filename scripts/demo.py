#!/usr/bin/env python3
"""Headless demo: runs petariko.exe in a private Xvfb and writes screenshots of each scene to demo/."""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
import e2e_lib  # noqa: E402

OUT = os.path.join(e2e_lib.REPO, "demo")


def shot(desktop, name):
    path = os.path.join(OUT, name + ".png")
    desktop.screenshot().save_png(path)
    print("wrote", os.path.relpath(path, e2e_lib.REPO))


def scene_tray_menu(desktop, app):
    shot(desktop, "01-tray-icon")
    menu = app.open_menu(1)
    shot(desktop, "02-tray-menu")
    desktop.click(menu["right"] + 200, menu["bottom"] + 200)
    desktop.wait_no_window(**{"class": "#32768", "visible": True})


SCENES = [scene_tray_menu]


def main():
    os.makedirs(OUT, exist_ok=True)
    desktop = e2e_lib.Desktop(name="demo").start()
    try:
        app = e2e_lib.Petariko(desktop)
        app.start()
        for scene in SCENES:
            scene(desktop, app)
    finally:
        desktop.stop()


if __name__ == "__main__":
    main()
