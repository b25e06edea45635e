"""Two monitors, the second left of the primary with negative coordinates: the freeze covers the
whole desktop, cut-outs and gestures appear where they were made, and a cut-out holds only its
own piece of the frozen desktop. Coordinates are X's; Windows' are 800 less in x."""
import os
import time
import unittest

from e2e_lib import read_bmp, wait_for
from test_cutout import CutoutCase, cutout_corner
from test_gesture import UP, Recorder, cell, differing, settings_file

LEFT_OUTLINE = [(120, 150), (300, 200), (240, 350), (100, 300)]  # 200 x 200 on the left monitor
ACROSS_OUTLINE = [(650, 200), (1000, 220), (950, 450), (700, 480)]
MB = 1024 * 1024


class TwoMonitorTest(CutoutCase):
    HEADS = [(800, 0, 1024, 768), (0, 0, 800, 600)]  # the primary first

    def settings(self):
        self.recorder = Recorder(self.desktop)
        self.desktop.env["RECORD_ARGS_FILE"] = self.recorder.env()["RECORD_ARGS_FILE"]
        self.addCleanup(self.desktop.env.pop, "RECORD_ARGS_FILE", None)
        return settings_file([(self.recorder.windows_exe + " up", "↑")])

    def double_click(self, x, y):
        self.desktop.click(x, y, times=2)
        self.wait_canvas(visible=False)

    def test_cutout_on_the_left_monitor_covers_the_desktop_and_holds_only_its_piece(self):
        d = self.desktop
        idle = self.app.private_bytes()
        frozen = self.freeze_at(LEFT_OUTLINE[0])
        self.assertEqual([frozen[k] for k in ("left", "top", "right", "bottom")], [-800, 0, 1024, 768])
        for previous, point in zip(LEFT_OUTLINE, LEFT_OUTLINE[1:]):
            d.move(*point)
            self.wait_line(previous, point)
        primary = (800, 60, 1024, 708)
        self.assertEqual(self.screenshot("traced").crop(*primary).data, self.before.crop(*primary).data)
        d.release(1)
        cutout = self.wait_canvas(visible=True, **cutout_corner(LEFT_OUTLINE, -800))
        self.assertEqual((cutout["right"] - cutout["left"], cutout["bottom"] - cutout["top"]), (200, 200))
        self.assert_shows_piece(self.screenshot("cutout"), (10, 10), LEFT_OUTLINE, step=4)
        shown = self.app.private_bytes()

        # Dragged 800 px right and 40 down, onto the primary (whose Windows x is X's less 800).
        d.move(210, 260)
        d.press(1)
        for x in (400, 700, 1010):
            d.move(x, 300)
            time.sleep(0.05)
        d.release(1)
        self.wait_canvas(visible=True, **cutout_corner(LEFT_OUTLINE, 0, 40))
        self.assert_shows_piece(self.screenshot("dragged"), (810, 50), LEFT_OUTLINE, step=4)
        self.double_click(1010, 300)
        d.press(1)  # a click that a tick sees held, too short to freeze: nothing stays made for it
        time.sleep(0.12)
        d.release(1)
        time.sleep(0.5)
        erased = self.app.private_bytes()
        print(f"\nprivate memory: idle {idle / MB:.2f} MB, a 200x200 cut-out +{(shown - idle) / MB:.2f} MB,"
              f" after the erase {(erased - idle) / MB:+.2f} MB")
        self.assertLessEqual(shown - idle, 2 * MB)
        self.assertLessEqual(erased - idle, 1 * MB)

    def test_outline_across_both_monitors_is_shown_and_saved_whole_and_a_gesture_on_either_one(self):
        d = self.desktop
        self.trace(ACROSS_OUTLINE)
        self.assert_shows_piece(self.screenshot("across"), (10, 10), ACROSS_OUTLINE, step=5)
        path = os.path.join(self.app.directory, "across.bmp")
        self.save_as(path)
        self.app.answer("メッセージ", "Return")
        # From a negative MinX on: pixel (i, j) is the screen's (MinX + i, MinY + j).
        self.assertEqual(read_bmp(path).data, self.before.crop(650, 200, 350, 280).data)
        self.wait_canvas(visible=True)
        self.double_click(820, 330)

        for corner, start in ((0, (400, 450)), (800, (1400, 500))):
            with self.subTest(corner=corner):
                self.recorder.clear()
                d.move(*start)
                time.sleep(0.3)
                self.before = d.screenshot()
                d.press(3)
                try:
                    self.wait_canvas(visible=True)
                    d.move(start[0], start[1] - 60)
                    # The arrow comes at the next tick, which a busy machine may hold back a while.
                    shot = wait_for(lambda: (lambda s: s if differing(s.crop(corner + 50, 50, 32, 32), cell(UP)) == 0
                                             else None)(d.screenshot()), timeout=5, interval=0.2, what="the arrow")
                    self.screenshot(f"gesture-{corner}")
                    self.assertGreater(differing(shot.crop(corner + 50, 90, 200, 18),
                                                 self.before.crop(corner + 50, 90, 200, 18)), 0.5, "the label")
                    other = 850 - corner
                    self.assertEqual(differing(shot.crop(other, 50, 32, 132), self.before.crop(other, 50, 32, 132)), 0)
                finally:
                    d.release(3)  # the next case starts with the button up
                wait_for(self.recorder.starts, timeout=15, what="the registered program to start")
                time.sleep(1.0)
                self.assertEqual([s["argv"][1:] for s in self.recorder.starts()], [["up"]])


if __name__ == "__main__":
    unittest.main()
