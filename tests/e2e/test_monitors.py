"""Two monitors, the second one left of the primary with negative coordinates: the freeze covers
the whole desktop, cut-outs and gestures appear on the monitor where they were made, and a
cut-out holds only its own piece of the frozen desktop."""
import os
import time
import unittest

import e2e_lib
from e2e_lib import DesktopTestCase, Petariko, read_bmp, wait_for
from test_cutout import SAVE_DIALOG, inside, outside
from test_gesture import RIGHT, UP, Recorder, cell, differing, settings_file

# X rectangles of the heads: the primary at Windows (0, 0), the other at Windows (-800, 0).
HEADS = [(800, 0, 1024, 768), (0, 0, 800, 600)]
PATTERN_TOP = 60
# X coordinates. A 200 x 200 outline on the left monitor, and one across both.
LEFT_OUTLINE = [(120, 150), (300, 200), (240, 350), (100, 300)]
ACROSS_OUTLINE = [(650, 200), (1000, 220), (950, 450), (700, 480)]
MB = 1024 * 1024


class TwoMonitorTest(DesktopTestCase):
    HEADS = HEADS

    def setUp(self):
        d = self.desktop
        ox, oy = d.offset
        d.spawn(os.path.join(e2e_lib.HELPERS, "pattern.exe"), str(-ox), str(PATTERN_TOP - oy), str(d.width),
                str(d.height - PATTERN_TOP))
        wait_for(lambda: d.search(name="^pattern$"), what="the pattern window")
        self.recorder = Recorder(d)
        d.env["RECORD_ARGS_FILE"] = self.recorder.env()["RECORD_ARGS_FILE"]
        self.addCleanup(d.env.pop, "RECORD_ARGS_FILE", None)
        self.app = Petariko(d, settings=settings_file([(self.recorder.windows_exe + " up", "↑")]))
        self.app.start()
        time.sleep(1.0)
        self.before = d.screenshot()

    # --- helpers --------------------------------------------------------------------------
    def windows_xy(self, x, y):
        return x - self.desktop.offset[0], y - self.desktop.offset[1]

    def canvas(self):
        return [w for w in self.desktop.windows() if w["class"] == "PetarikoCanvas"][0]

    def wait_canvas(self, **fields):
        return wait_for(lambda: (lambda c: c if all(c.get(k) == v for k, v in fields.items()) else None)(self.canvas()),
                        timeout=15, interval=0.1, what=f"the canvas with {fields}")

    def changed_near(self, x, y):
        shot = self.desktop.screenshot()
        return any(shot.pixel(x + dx, y + dy) != self.before.pixel(x + dx, y + dy) for dx in (-1, 0, 1)
                   for dy in (-1, 0, 1))

    def trace(self, points):
        d = self.desktop
        d.move(*points[0])
        d.press(1)
        frozen = self.wait_canvas(visible=True)
        for previous, point in zip(points, points[1:]):
            d.move(*point)
            mid = ((previous[0] + point[0]) // 2, (previous[1] + point[1]) // 2)
            wait_for(lambda: self.changed_near(*mid), timeout=10, interval=0.05, what=f"the line to {point}")
        traced = self.screenshot("traced")
        d.release(1)
        left, top = self.windows_xy(min(x for x, _ in points) + 10, min(y for _, y in points) + 10)
        return frozen, traced, self.wait_canvas(visible=True, left=left, top=top)

    def assert_shows_piece(self, shot, polygon, offset, step=5):
        """Inside the outline moved by offset the frozen pixels; just outside it the live screen."""
        ox, oy = offset
        xs, ys = [x for x, _ in polygon], [y for _, y in polygon]
        checked = [0, 0]
        for y in range(min(ys) - 8, max(ys) + 8, step):
            for x in range(min(xs) - 8, max(xs) + 8, step):
                if inside((x, y), polygon):
                    self.assertEqual(shot.pixel(x + ox, y + oy), self.before.pixel(x, y), (x, y))
                    checked[0] += 1
                elif outside((x, y), polygon):
                    self.assertEqual(shot.pixel(x + ox, y + oy), self.before.pixel(x + ox, y + oy), (x, y))
                    checked[1] += 1
        self.assertGreater(min(checked), 300)

    # --- tests ----------------------------------------------------------------------------
    def test_cutout_on_the_left_monitor_covers_the_desktop_and_holds_only_its_piece(self):
        d = self.desktop
        idle = self.app.private_bytes()
        frozen, traced, cutout = self.trace(LEFT_OUTLINE)
        self.assertEqual((frozen["left"], frozen["top"], frozen["right"], frozen["bottom"]),
                         (-800, 0, 1024, 768), "the frozen window covers both monitors")
        self.assertTrue(frozen["topmost"])
        # The trace is drawn on the left monitor; the primary still shows what it showed.
        self.assertNotEqual(traced.crop(100, 150, 201, 201).data, self.before.crop(100, 150, 201, 201).data)
        self.assertEqual(traced.crop(800, PATTERN_TOP, 1024, 768 - PATTERN_TOP).data,
                         self.before.crop(800, PATTERN_TOP, 1024, 768 - PATTERN_TOP).data)
        # The window is the outline's piece, 10 px right of and below where it was drawn.
        self.assertEqual((cutout["right"] - cutout["left"], cutout["bottom"] - cutout["top"]), (201, 201))
        self.assertIn("region", cutout)
        self.assert_shows_piece(self.screenshot("cutout"), LEFT_OUTLINE, (10, 10))
        shown = self.app.private_bytes()

        # Dragged onto the primary monitor, the grabbed point stays under the cursor.
        d.move(210, 260)
        d.press(1)
        for x in (400, 700, 1010):
            d.move(x, 300)
            time.sleep(0.05)
        d.release(1)
        left, top = self.windows_xy(100 + 10 + 800, 150 + 10 + 40)
        self.wait_canvas(visible=True, left=left, top=top)
        self.assert_shows_piece(self.screenshot("dragged"), LEFT_OUTLINE, (810, 50))

        d.move(1010, 300)
        d.xdotool("click", "--repeat", 2, "--delay", 80, 1)
        self.wait_canvas(visible=False)
        time.sleep(0.5)
        erased = self.app.private_bytes()
        print(f"\nprivate memory: idle {idle / MB:.2f} MB, with a 200x200 cut-out +{(shown - idle) / MB:.2f} MB,"
              f" after the erase {(erased - idle) / MB:+.2f} MB")
        self.assertLessEqual(shown - idle, 2 * MB)
        self.assertLessEqual(erased - idle, 1 * MB)

    def test_outline_across_both_monitors_is_shown_and_saved_whole_and_a_gesture_on_either_one(self):
        d = self.desktop
        self.trace(ACROSS_OUTLINE)
        self.assert_shows_piece(self.screenshot("across"), ACROSS_OUTLINE, (10, 10))

        # Saved from the menu on the cut-out: the bounding rectangle from a negative MinX on.
        d.click(820, 330, 3)
        self.app.choose(d.wait_window(**{"class": "#32768", "visible": True}), 1)
        d.wait_window(text=SAVE_DIALOG, visible=True)
        ids = wait_for(lambda: d.search(name="^" + SAVE_DIALOG + "$"), what="the save dialog's X window")
        d.xdotool("windowfocus", "--sync", ids[0], check=False)
        d.key("ctrl+a")
        path = os.path.join(self.app.directory, "across.bmp")
        d.type_text(d.windows_path(path))
        d.key("Return")
        self.app.answer("メッセージ", "Return")
        self.wait_canvas(visible=True)
        image = read_bmp(path)
        self.assertEqual((image.width, image.height), (350, 280))
        self.assertEqual(image.data, self.before.crop(650, 200, 350, 280).data)

        d.move(820, 330)
        d.xdotool("click", "--repeat", 2, "--delay", 80, 1)
        self.wait_canvas(visible=False)

        # Arrows and label from the corner of the monitor on which the gesture began.
        for corner, start in (((0, 0), (400, 450)), ((800, 0), (1400, 500))):
            with self.subTest(corner=corner):
                self.recorder.clear()
                d.move(*start)
                time.sleep(0.3)
                self.before = d.screenshot()
                d.press(3)
                self.wait_canvas(visible=True)
                d.move(start[0], start[1] - 60)
                time.sleep(0.35)
                shot = self.screenshot(f"gesture-{corner[0]}")
                cx, cy = corner
                self.assertEqual(differing(shot.crop(cx + 50, cy + 50, 32, 32), cell(UP)), 0)
                self.assertGreater(differing(shot.crop(cx + 50, cy + 90, 200, 18),
                                             self.before.crop(cx + 50, cy + 90, 200, 18)), 0.5, "the label")
                other = 800 - cx
                self.assertEqual(differing(shot.crop(other + 50, 50, 32, 132), self.before.crop(other + 50, 50, 32, 132)),
                                 0, "nothing on the other monitor")
                d.release(3)
                self.wait_canvas(visible=False)
                wait_for(self.recorder.starts, timeout=15, what="the registered program to start")
                time.sleep(1.0)
                self.assertEqual([s["argv"][1:] for s in self.recorder.starts()], [["up"]])


if __name__ == "__main__":
    unittest.main()
