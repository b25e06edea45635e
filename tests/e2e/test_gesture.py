"""Arrow gestures over the frozen screen and the programs they start, under Wine.

The started program is the record_args helper: what it records (command line, arguments, start
time) is what the tests judge.
"""
import json
import os
import shutil
import time
import unittest

from e2e_lib import HELPERS, REPO, ButtonNotes, DesktopTestCase, Petariko, read_bmp, shown_cutouts, wait_for

RECORDER = os.path.join(HELPERS, "record_args.exe")
ARROW_STRIPS = {32: read_bmp(os.path.join(REPO, "res", "arrows.bmp")),
                64: read_bmp(os.path.join(REPO, "res", "arrows_64.bmp"))}
UP, LEFT, RIGHT, DOWN = 1, 2, 3, 4
STEP = {UP: (0, -60), LEFT: (-60, 0), RIGHT: (60, 0), DOWN: (0, 60)}
# The pattern leaves the top rows free so that Wine's tray window stays visible.
START = (600, 500)  # far from the arrow row and the label, so the trace never crosses them
LABEL = (50, 90, 300, 18)  # a part of the label that any caption of this size covers
RIGHT_BUTTON = 2  # the gesture button in the settings file
DOCUMENT = r"Z:\my docs\report 1.txt"


def settings_file(entries, cut_button=1, gesture_button=RIGHT_BUTTON, hold_ticks=3):
    """settei.txt bytes: the three numbers, then (program, gesture) pairs in Shift-JIS."""
    lines = [f" {cut_button} ", f" {gesture_button} ", f" {hold_ticks} "]
    for index in range(30):
        program, gesture = entries[index] if index < len(entries) else ("", "")
        lines += [program, gesture]
    return b"".join(line.encode("cp932") + b"\r\n" for line in lines)


def cell(code, side=32):
    return ARROW_STRIPS[side].crop((code - 1) * side, 0, side, side)


def differing(a, b):
    """The share of pixels that differ between two equally sized images."""
    pixels = a.width * a.height
    return sum(a.pixel(x, y) != b.pixel(x, y) for y in range(a.height) for x in range(a.width)) / pixels


class Recorder:
    """Copies of record_args.exe in a folder with spaces, and the records of their starts."""

    def __init__(self, desktop, name="rec args.exe"):
        self.desktop = desktop
        self.folder = os.path.join(desktop.root, "my apps")
        os.makedirs(self.folder, exist_ok=True)
        self.exe = os.path.join(self.folder, name)
        shutil.copy(RECORDER, self.exe)
        self.log = os.path.join(desktop.root, "starts.jsonl")
        self.clear()

    @property
    def windows_exe(self):
        return self.desktop.windows_path(self.exe)

    def env(self, **extra):
        return dict(self.desktop.env, RECORD_ARGS_FILE=self.desktop.windows_path(self.log), **extra)

    def clear(self):
        if os.path.exists(self.log):
            os.remove(self.log)

    def starts(self):
        if not os.path.exists(self.log):
            return []
        with open(self.log, encoding="utf-8") as f:
            return [json.loads(line) for line in f if line.strip()]


class LauncherTest(DesktopTestCase):
    """One launch at a time through the program's launcher (the launch_line helper)."""

    def setUp(self):
        self.recorder = Recorder(self.desktop)
        self.work = os.path.join(self.desktop.root, f"launch-{self._testMethodName}")
        os.makedirs(self.work, exist_ok=True)

    def launch(self, line, wait=False, cwd=None, **env):
        line_file = os.path.join(self.work, "line.txt")
        out_file = os.path.join(self.work, "out.txt")
        if os.path.exists(out_file):
            os.remove(out_file)
        with open(line_file, "w", encoding="utf-8", newline="") as f:
            f.write(line)
        done = self.desktop.wine(os.path.join(HELPERS, "launch_line.exe"), self.desktop.windows_path(line_file),
                                 self.desktop.windows_path(out_file), *(["wait"] if wait else []), check=False,
                                 env=self.recorder.env(**env), cwd=cwd or self.work)
        self.assertEqual(done.returncode, 0, f"launch_line crashed on a line of {len(line)} characters")
        with open(out_file) as f:
            return dict(item.split("=") for item in f.read().split())

    def wait_starts(self, count):
        return wait_for(lambda: len(self.recorder.starts()) >= count and self.recorder.starts(), timeout=15,
                        what=f"{count} start(s) of the recorder")

    def test_file_part_and_one_quoted_parameter(self):
        exe = self.recorder.windows_exe
        document = r"Z:\my docs\report 2026.txt"
        cases = [
            # A program under a folder with a space, then a document path with spaces: one argument.
            (exe + " " + document, [document]),
            # The whole line is the program: no argument at all, not a stray quote.
            (exe, []),
            (exe + " ペタ リコ", ["ペタ リコ"]),
        ]
        for line, arguments in cases:
            with self.subTest(line=line):
                self.recorder.clear()
                result = self.launch(line)
                self.assertEqual(result["result"], "1")
                self.assertEqual(result["hides"], "1")
                start = self.wait_starts(1)
                time.sleep(0.3)
                self.assertEqual(len(self.recorder.starts()), 1, "started more than once")
                self.assertEqual(start[0]["argv"][1:], arguments)
                self.assertEqual(start[0]["argv"][0].lower(), exe.lower())

    def test_line_the_shell_cannot_open_runs_as_a_command(self):
        # No default extension is added in the search, so "rec_cmd" is not a file and the shell
        # gets the whole line; the plain run finds rec_cmd.exe in the current directory.
        shutil.copy(RECORDER, os.path.join(self.work, "rec_cmd.exe"))
        result = self.launch("rec_cmd first second")
        self.assertEqual(result["result"], "1")
        start = self.wait_starts(1)
        self.assertEqual(start[0]["cmd"], "rec_cmd first second")
        self.assertEqual(start[0]["argv"][1:], ["first", "second"])

    def test_wait_returns_only_after_the_program_ended(self):
        result = self.launch(self.recorder.windows_exe + " waited", wait=True, RECORD_ARGS_SLEEP_MS="1500")
        self.assertEqual(result["result"], "1")
        self.assertGreaterEqual(int(result["elapsed_ms"]), 1500)
        self.recorder.clear()
        result = self.launch(self.recorder.windows_exe + " not waited", RECORD_ARGS_SLEEP_MS="1500")
        self.assertLess(int(result["elapsed_ms"]), 1000)
        self.wait_starts(1)

    def test_lines_that_cannot_start_report_failure_and_start_nothing(self):
        for line in ["nothing_here_at_all", "Z:\\no such dir\\x.exe arg", "x" * 40000,
                     self.recorder.windows_exe + " " + "y" * 33000]:
            with self.subTest(length=len(line)):
                result = self.launch(line)
                self.assertEqual(result["result"], "0")
                self.assertEqual(result["hides"], "1")
        time.sleep(1.0)
        self.assertEqual(self.recorder.starts(), [])


class GestureSteps:
    """The real program: hold the gesture button, stroke, look, release, see what started."""

    def setUp(self):
        d = self.desktop
        self.pattern_buttons = ButtonNotes(d)
        d.show_pattern(extra_env=self.pattern_buttons.env)
        self.recorder = Recorder(d)
        d.env["RECORD_ARGS_FILE"] = self.recorder.env()["RECORD_ARGS_FILE"]
        self.addCleanup(d.env.pop, "RECORD_ARGS_FILE", None)
        exe = self.recorder.windows_exe
        self.entries = [
            (exe + " single", "↑"),
            (exe + " five", "→↓←↑→"),
            (exe + " " + DOCUMENT, "↓←"),
        ]

    # --- helpers --------------------------------------------------------------------------
    def start_app(self, entries=None):
        self.app = Petariko(self.desktop, settings=settings_file(entries or self.entries))
        self.app.start()

    def canvas_visible(self):
        return any(w["class"] == "PetarikoCanvas" and w["visible"] for w in self.desktop.windows())

    def hold(self):
        """Holds the gesture button still at START until the screen freezes."""
        d = self.desktop
        d.move(*START)
        time.sleep(0.3)
        self.before = d.screenshot()
        d.press(3)
        wait_for(self.canvas_visible, timeout=15, interval=0.1, what="the frozen screen")
        self.cursor = START

    def jump(self, dx, dy):
        """One jump of the cursor, then more than one 100 ms tick at rest."""
        self.cursor = (self.cursor[0] + dx, self.cursor[1] + dy)
        self.desktop.move(*self.cursor)
        time.sleep(0.35)

    def strokes(self, *codes):
        for code in codes:
            self.jump(*STEP[code])

    def release(self):
        self.desktop.release(3)
        wait_for(lambda: not self.canvas_visible(), timeout=15, interval=0.1, what="the frozen screen to go")

    def assert_row(self, shot, codes):
        for slot, code in enumerate(codes, start=1):
            self.assertEqual(differing(shot.crop(slot * 50, 50, 32, 32), cell(code)), 0,
                             f"arrow {code} not in slot {slot}")
        # The slot after the last arrow shows the frozen screen.
        slot = len(codes) + 1
        if slot <= 5:
            self.assertEqual(differing(shot.crop(slot * 50, 50, 32, 32), self.before.crop(slot * 50, 50, 32, 32)), 0)

    def label_shown(self, shot):
        return differing(shot.crop(*LABEL), self.before.crop(*LABEL)) > 0.5

    def assert_started_once(self, arguments, next_freeze_follows=False):
        starts = wait_for(self.recorder.starts, timeout=15, what="the registered program to start")
        time.sleep(1.5)
        starts = self.recorder.starts()
        self.assertEqual(len(starts), 1, f"started {len(starts)} times")
        self.assertEqual(starts[0]["argv"][1:], arguments)
        self.assertEqual(starts[0]["argv"][0].lower(), self.recorder.windows_exe.lower())
        # A button held on freezes the screen again one hold later, which a loaded machine lets come
        # before the started program looks.
        if not next_freeze_follows:
            self.assertFalse(starts[0]["canvas_visible"], "started while the frozen screen was shown")

    def assert_nothing_started(self):
        time.sleep(2.0)
        self.assertEqual(self.recorder.starts(), [])
        self.assertIsNone(self.app.process.poll(), "petariko.exe ended")


class GestureTest(GestureSteps, DesktopTestCase):
    def test_one_stroke_shows_its_arrow_and_the_label_and_release_starts_the_program_once(self):
        self.start_app()
        self.hold()  # a still hold first, that draws no arrow
        self.release()
        self.hold()
        shot = self.screenshot("held")
        self.assertEqual(differing(shot.crop(START[0] - 16, START[1] - 16, 32, 32), cell(UP)), 0,
                         "the up arrow marks where the gesture started")
        self.assertFalse(self.label_shown(shot))
        self.strokes(UP)
        shot = self.screenshot("up")
        self.assert_row(shot, [UP])
        self.assertTrue(self.label_shown(shot))
        self.release()
        self.assert_started_once(["single"])
        # Both traces were the frozen screen's alone: the window under them had the presses, no
        # release, no move and no context menu.
        self.assertEqual(self.pattern_buttons.lines(), ["down 2", "down 2"])

    def test_program_path_with_spaces_gets_the_document_path_with_spaces_as_one_argument(self):
        self.start_app()
        self.hold()
        self.strokes(DOWN, LEFT)
        shot = self.screenshot("down-left")
        self.assert_row(shot, [DOWN, LEFT])
        self.assertTrue(self.label_shown(shot))
        self.release()
        self.assert_started_once([DOCUMENT])

    def test_a_further_stroke_removes_the_match_and_release_starts_nothing(self):
        self.start_app()
        self.hold()
        self.strokes(UP)
        self.assertTrue(self.label_shown(self.screenshot("up")))
        self.strokes(RIGHT)
        shot = self.screenshot("up-right")
        self.assert_row(shot, [UP, RIGHT])
        self.assertFalse(self.label_shown(shot))
        self.release()
        self.assert_nothing_started()

    def test_six_strokes_keep_the_last_five_and_those_are_matched(self):
        self.start_app()
        self.hold()
        self.strokes(UP, RIGHT, DOWN, LEFT, UP)
        self.assertFalse(self.label_shown(self.desktop.screenshot()))
        self.strokes(RIGHT)
        shot = self.screenshot("six")
        self.assert_row(shot, [RIGHT, DOWN, LEFT, UP, RIGHT])
        self.assertTrue(self.label_shown(shot))
        self.release()
        self.assert_started_once(["five"])

    def test_slow_diagonal_and_repeated_motion_adds_no_arrow(self):
        self.start_app()
        self.hold()
        for _ in range(3):
            self.jump(0, -15)  # slow: under 20 px per tick
        self.jump(-40, -40)  # diagonal
        self.jump(-20, 0)  # exactly 20 px is not a stroke
        shot = self.screenshot("slow-diagonal")
        self.assert_row(shot, [])
        self.strokes(UP, UP)  # one stroke paused halfway: still one arrow
        shot = self.screenshot("up-up")
        self.assert_row(shot, [UP])
        self.release()
        self.assert_started_once(["single"])

    def test_left_press_ending_a_gesture_drags_nothing_and_a_save_moves_no_directory(self):
        started_in = os.path.join(self.desktop.root, "started here")
        os.makedirs(started_in, exist_ok=True)
        self.app = Petariko(self.desktop, settings=settings_file(self.entries))
        self.app.start(cwd=started_in)
        d = self.desktop
        # The left press over the frozen screen ends the gesture (two buttons held) and, held on
        # alone, becomes the next cut-out: it lands 10 px from where it was drawn.
        self.hold()
        self.strokes(UP)
        d.press(1)
        wait_for(lambda: not self.canvas_visible(), timeout=15, interval=0.1, what="the gesture to end")
        d.release(3)
        self.assert_started_once(["single"], next_freeze_follows=True)
        wait_for(self.canvas_visible, timeout=15, interval=0.1, what="the frozen screen")
        for point in ((500, 320), (450, 450)):
            d.move(*point)
            time.sleep(0.35)
        d.release(1)
        # The frozen screen stays up until the watcher's next tick, and the shaped piece shows where
        # it was drawn a moment before it moves: wait for its corner 10 px on.
        wait_for(lambda: [c for c in shown_cutouts(d.windows(), d.width) if (c["left"], c["top"]) == (460, 330)],
                 timeout=15, interval=0.1, what="the cut-out with its corner at (450 + 10, 320 + 10)")

        # A save into another folder leaves the current directory where the program started.
        saved = os.path.join(self.desktop.root, "saved pieces")
        os.makedirs(saved, exist_ok=True)
        self.app.choose(self.app.open_menu(1), 1)
        self.app.type_into_save_dialog(saved)  # into the folder first, as a user browses
        time.sleep(1.0)
        self.app.type_into_save_dialog(os.path.join(saved, "piece.bmp"))
        self.app.answer("メッセージ", "Return")
        wait_for(self.canvas_visible, timeout=15, interval=0.1, what="the cut-out back")
        d.click(527, 433, times=2)  # inside the traced triangle, moved by 10
        wait_for(lambda: not self.canvas_visible(), timeout=15, interval=0.1, what="the erase")
        self.recorder.clear()
        self.hold()
        self.strokes(UP)
        self.release()
        self.assert_started_once(["single"])
        self.assertEqual(self.recorder.starts()[0]["cwd"].rstrip("\\").lower(),
                         d.windows_path(started_in).lower())

    def test_hand_edited_entries_and_paths_the_system_cannot_take_start_nothing_and_are_named(self):
        exe = self.recorder.windows_exe
        overlong = exe + " " + "z" * (40000 - len(exe) - 1)
        long_path, path_300 = "Z:\\" + "d" * 1000 + ".exe", "Z:\\" + "m" * 300 + ".exe"
        self.start_app([
            (exe + " empty-gesture", ""),
            (overlong, "←"),
            (exe + " six-equal", "↑↑↑↑↑↑"),
            (long_path, "↓"),
            (path_300, "→"),
        ])
        for codes, line in (([LEFT], overlong), ([UP], None), ([DOWN], long_path), ([RIGHT], path_300)):
            with self.subTest(codes=codes):
                self.hold()
                self.strokes(*codes)
                self.assertEqual(self.label_shown(self.screenshot(f"hand-edited-{codes[0]}")), line is not None)
                self.release()
                self.assert_nothing_started()
                if line:
                    _, children = self.app.message("エラー")
                    text = [c["text"] for c in children if c["class"] == "Static" and c["text"]][0]
                    self.assertTrue(text.startswith("プログラムを起動できませんでした。\r\n" + line[:120]), text[:200])
                    self.assertTrue(text.endswith(line[-120:]))
                    self.app.answer("エラー", "Return")
                    self.desktop.wait_no_window(text="エラー", visible=True)
                # Another gesture can start: the program is still watching.
        self.assertEqual(len(self.app.tray_icons()), 1)

    def test_thousand_traces_leave_gdi_and_user_objects_as_they_were(self):
        out = os.path.join(self.desktop.root, "soak.json")
        done = self.desktop.wine(os.path.join(HELPERS, "gesture_soak.exe"), self.desktop.windows_path(out),
                                 self.recorder.windows_exe, "1000", check=False, env=self.recorder.env(), timeout=900)
        self.assertEqual(done.returncode, 0)
        with open(out) as f:
            soak = json.load(f)
        self.assertEqual(soak["traces"], 1000)
        self.assertEqual(soak["gdi_after"], soak["gdi_before"], soak)
        self.assertEqual(soak["user_after"], soak["user_before"], soak)
        self.assertEqual(soak["launches"], 600)  # the 40,000-character path and the unstartable one
        self.assertEqual(soak["failed_launches"], 600, "each is named in a message")
        self.assertEqual(soak["too_long"], 200)
        self.assertEqual(self.recorder.starts(), [])


class GestureAt200PercentTest(GestureSteps, DesktopTestCase):
    """A prefix at 192 dpi: the trace's marks are twice as large and twice as far from the corner."""
    DPI = 192

    def test_marker_arrows_label_and_pen_follow_the_scale(self):
        self.start_app()
        self.hold()
        shot = self.screenshot("held")
        self.assertEqual(differing(shot.crop(START[0] - 32, START[1] - 32, 64, 64), cell(UP, 64)), 0,
                         "a 64x64 up arrow marks where the gesture started")
        self.strokes(UP)
        shot = self.screenshot("up")
        self.assertEqual(differing(shot.crop(100, 100, 64, 64), cell(UP, 64)), 0, "the first arrow's cell")
        self.assertEqual(differing(shot.crop(200, 100, 64, 64), self.before.crop(200, 100, 64, 64)), 0)
        self.assertGreater(differing(shot.crop(100, 180, 600, 36), self.before.crop(100, 180, 600, 36)), 0.5,
                           "the label under the arrows")
        # Between the stroke's end (y 440) and the marker's top (y 468) the line is 2 px wide.
        changed = [x for x in range(START[0] - 20, START[0] + 20) if shot.pixel(x, 450) != self.before.pixel(x, 450)]
        self.assertEqual(len(changed), 2, changed)
        self.release()
        self.assert_started_once(["single"])


if __name__ == "__main__":
    unittest.main()
