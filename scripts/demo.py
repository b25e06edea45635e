#!/usr/bin/env python3
"""Headless demo: runs petariko.exe in a private Xvfb and writes screenshots of each scene to demo/."""
import os
import subprocess
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


def scene_gesture(desktop, app):
    """Restarts the program with a registered gesture, draws it over a pattern and releases."""
    import json
    import shutil
    import time
    original = app.settings_bytes()
    desktop.end_programs()
    folder = os.path.join(desktop.root, "demo apps")
    os.makedirs(folder, exist_ok=True)
    recorder = os.path.join(folder, "recorder.exe")
    shutil.copy(os.path.join(e2e_lib.HELPERS, "record_args.exe"), recorder)
    log = os.path.join(desktop.root, "demo-starts.jsonl")
    desktop.env["RECORD_ARGS_FILE"] = desktop.windows_path(log)
    lines = [" 1 ", " 2 ", " 3 ", desktop.windows_path(recorder) + r" Z:\demo docs\memo.txt", "↑→↓"] + [""] * 58
    with open(app.settings_path, "wb") as f:
        f.write(b"".join(line.encode("cp932") + b"\r\n" for line in lines))
    desktop.show_pattern()
    app.start()

    def canvas_visible():
        return any(w["class"] == "PetarikoCanvas" and w["visible"] for w in desktop.windows())

    x, y = 600, 500
    desktop.move(x, y)
    desktop.press(3)  # the gesture button: right
    e2e_lib.wait_for(canvas_visible, timeout=15, interval=0.1, what="the frozen screen")
    shot(desktop, "20-gesture-frozen")
    for dx, dy in ((0, -60), (60, 0), (0, 60)):
        x, y = x + dx, y + dy
        desktop.move(x, y)
        time.sleep(0.35)
    shot(desktop, "21-gesture-arrows-and-label")
    desktop.release(3)
    e2e_lib.wait_for(lambda: os.path.exists(log), timeout=15, what="the registered program to start")
    shot(desktop, "22-gesture-released")
    with open(log, encoding="utf-8") as f:
        print("started:", json.loads(f.readline())["cmd"])

    desktop.end_programs()
    desktop.env.pop("RECORD_ARGS_FILE")
    with open(app.settings_path, "wb") as f:
        f.write(original)
    app.start()


def scene_settings(desktop, app):
    """The settings screen, the gesture editor with an entered gesture, and the about box."""
    def control(top, text):
        return next(w for w in desktop.windows() if w.get("root") == top["hwnd"] and w["text"] == text)

    def click(w):
        desktop.click((w["left"] + w["right"]) // 2, (w["top"] + w["bottom"]) // 2)

    app.choose(app.open_menu(1), 0)
    screen = desktop.wait_window(**{"class": "PetarikoSettingsScreen", "visible": True})
    shot(desktop, "30-settings-screen")
    click(control(screen, "追加"))
    editor = desktop.wait_window(**{"class": "PetarikoGestureEditor", "visible": True})
    for arrow in ("↑", "→", "↓"):
        click(control(editor, arrow))
    e2e_lib.wait_for(lambda: control(editor, "↑→↓"), what="the entered gesture")
    shot(desktop, "31-gesture-editor")
    click(control(editor, "キャンセル"))
    desktop.wait_no_window(**{"class": "PetarikoGestureEditor", "visible": True})
    click(control(screen, "バージョン"))
    about = desktop.wait_window(**{"class": "PetarikoAboutBox", "visible": True})
    shot(desktop, "32-about-box")
    click(control(about, "閉じる"))
    desktop.wait_no_window(**{"class": "PetarikoAboutBox", "visible": True})
    click(control(screen, "キャンセル"))
    desktop.wait_no_window(**{"class": "PetarikoSettingsScreen", "visible": True})


def scene_cutout(desktop, app):
    """Freezes the screen over a pattern, traces an outline, drags the cut-out, saves it, erases it."""
    import time
    desktop.show_pattern()

    def canvas():
        return next(w for w in desktop.windows() if w["class"] == "PetarikoCanvas")

    outline = [(200, 150), (600, 160), (650, 500), (420, 380), (250, 520)]
    desktop.move(*outline[0])
    desktop.press(1)  # the cut-out button: left
    e2e_lib.wait_for(lambda: canvas()["visible"], timeout=15, interval=0.1, what="the frozen screen")
    shot(desktop, "10-cutout-frozen")
    for point in outline[1:]:
        desktop.move(*point)
        time.sleep(0.3)
    shot(desktop, "11-cutout-traced")
    desktop.release(1)
    # The cut-out window holds the outline's piece, 10 pixels right of and below where it was drawn.
    e2e_lib.wait_for(lambda: canvas()["left"] == 210, timeout=15, interval=0.1, what="the cut-out")
    shot(desktop, "12-cutout-pinned")
    desktop.move(400, 300)
    desktop.press(1)
    desktop.move(520, 360)
    time.sleep(0.2)
    desktop.release(1)
    e2e_lib.wait_for(lambda: canvas()["left"] == 330, timeout=15, interval=0.1, what="the dragged cut-out")
    shot(desktop, "13-cutout-dragged")
    scene_cutout_looks(desktop, canvas)

    app.choose(app.open_menu(1), 1)
    desktop.wait_window(text=e2e_lib.SAVE_DIALOG, visible=True)
    shot(desktop, "14-cutout-save-dialog")
    saved = os.path.join(desktop.root, "cutout.bmp")
    app.type_into_save_dialog(saved)
    app.message("メッセージ")
    shot(desktop, "15-cutout-saved-message")
    app.answer("メッセージ", "Return")
    e2e_lib.wait_for(lambda: canvas()["visible"], timeout=15, interval=0.1, what="the cut-out back")
    image = e2e_lib.read_bmp(saved)
    print(f"saved {image.width}x{image.height} BMP of the outline's bounding rectangle")
    desktop.click(560, 420, times=2)
    e2e_lib.wait_for(lambda: not canvas()["visible"], timeout=15, interval=0.1, what="the erase")
    shot(desktop, "16-cutout-erased")


def scene_cutout_looks(desktop, canvas):
    """The edge under the cursor, a see-through step and a quarter turn, each undone after its shot."""
    import time
    desktop.move(900, 700)
    time.sleep(0.5)  # the edge of the drag goes
    away = desktop.screenshot()
    desktop.move(560, 420)
    e2e_lib.wait_for(lambda: desktop.screenshot().data != away.data, timeout=15, what="the edge")
    shot(desktop, "17-cutout-edge-under-cursor")
    desktop.focus(canvas())
    desktop.key_down("ctrl")
    desktop.wheel(-3)
    desktop.key_up("ctrl")
    # Xvfb draws a window's opacity only under a compositing manager.
    compositor = subprocess.Popen(["xcompmgr"], env=desktop.env)
    try:
        time.sleep(1.0)
        shot(desktop, "18-cutout-see-through")
    finally:
        compositor.terminate()
        compositor.wait()
    desktop.key("ctrl+0")
    size = (canvas()["right"] - canvas()["left"], canvas()["bottom"] - canvas()["top"])
    desktop.move(900, 700)
    desktop.focus(canvas())
    desktop.key("2")
    e2e_lib.wait_for(lambda: (canvas()["bottom"] - canvas()["top"], canvas()["right"] - canvas()["left"]) == size,
                     timeout=15, what="the quarter turn")
    time.sleep(0.3)
    shot(desktop, "19-cutout-turned")
    desktop.key("1")
    e2e_lib.wait_for(lambda: (canvas()["right"] - canvas()["left"], canvas()["bottom"] - canvas()["top"]) == size,
                     timeout=15, what="the turn back")


def scene_escape(desktop, app):
    """Esc gives a trace up: the frozen screen goes and nothing is pinned."""
    import time

    def canvas_visible():
        return any(w["class"] == "PetarikoCanvas" and w["visible"] for w in desktop.windows())

    desktop.move(300, 200)
    desktop.press(1)
    e2e_lib.wait_for(canvas_visible, timeout=15, interval=0.1, what="the frozen screen")
    for point in ((500, 220), (560, 400)):
        desktop.move(*point)
        time.sleep(0.3)
    shot(desktop, "40-escape-before")
    desktop.key("Escape")
    e2e_lib.wait_for(lambda: not canvas_visible(), timeout=15, interval=0.1, what="the trace given up")
    shot(desktop, "41-escape-given-up")
    desktop.release(1)


SCENES = [scene_tray_menu, scene_gesture, scene_settings, scene_cutout, scene_escape]


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
