"""The cut-out end to end: freezing the screen, tracing an outline, the shaped window, dragging,
zooming, erasing, saving it as a BMP file, copying it, and the length limit."""
import json
import os
import struct
import subprocess
import time
import unittest

import e2e_lib
from e2e_lib import PATTERN_TOP, SAVE_DIALOG, DesktopTestCase, Petariko, eventually, read_bmp, wait_for

# The pattern window leaves the top rows free so that Wine's tray window stays visible.
# A quadrilateral well inside the pattern; screen pixels.
OUTLINE = [(200, 150), (600, 160), (650, 500), (250, 520)]


def cutout_corner(points, dx=0, dy=0):
    """Where the finished cut-out window lands, moved by (dx, dy): it holds only the outline's
    piece, 10 pixels right of and below where it was drawn (one or two points: the whole screen)."""
    if len(points) < 3:
        return {"left": 10 + dx, "top": 10 + dy}
    return {"left": min(x for x, _ in points) + 10 + dx, "top": min(y for _, y in points) + 10 + dy}


def inside(point, polygon, margin=3):
    """True when point is inside polygon and at least `margin` pixels from every edge."""
    x, y = point
    crossings = False
    for (x1, y1), (x2, y2) in zip(polygon, polygon[1:] + polygon[:1]):
        if (y1 > y) != (y2 > y) and x < x1 + (y - y1) * (x2 - x1) / (y2 - y1):
            crossings = not crossings
    return crossings and all(edge_distance(point, a, b) >= margin for a, b in zip(polygon, polygon[1:] + polygon[:1]))


def outside(point, polygon, margin=3):
    return not inside(point, polygon, 0) and all(
        edge_distance(point, a, b) >= margin for a, b in zip(polygon, polygon[1:] + polygon[:1]))


def edge_distance(p, a, b):
    (px, py), (ax, ay), (bx, by) = p, a, b
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / float(dx * dx + dy * dy)))
    return ((px - ax - t * dx) ** 2 + (py - ay - t * dy) ** 2) ** 0.5


class CutoutCase(DesktopTestCase):
    """A pattern over the whole desktop and the program; helpers take X coordinates."""

    def settings(self):
        return e2e_lib.DEFAULT_SETTINGS

    def setUp(self):
        d = self.desktop
        self.pattern_buttons = e2e_lib.ButtonNotes(d)
        d.show_pattern(extra_env=self.pattern_buttons.env)
        self.app = Petariko(d, settings=self.settings())
        self.app.start()
        self.before = d.screenshot()

    # --- helpers --------------------------------------------------------------------------
    def canvas(self):
        found = [w for w in self.desktop.windows() if w["class"] == "PetarikoCanvas"]
        self.assertEqual(len(found), 1)
        return found[0]

    def wait_canvas(self, **fields):
        return wait_for(lambda: (lambda c: c if all(c.get(k) == v for k, v in fields.items()) else None)(self.canvas()),
                        timeout=15, interval=0.1, what=f"the canvas with {fields}")

    def wait_erased(self):
        """Waits for the cut-out to go and a little more: a press before the watcher's next tick
        would be the erasing press, still held."""
        self.wait_canvas(visible=False)
        time.sleep(0.5)

    def freeze_at(self, point):
        self.desktop.move(*point)
        self.desktop.press(1)
        return self.wait_canvas(visible=True)

    def trace(self, points, pins=True):
        """Holds the cut-out button at points[0] until the screen freezes, visits the others
        one tick or more apart, releases and returns the finished cut-out window."""
        self.freeze_at(points[0])
        for previous, point in zip(points, points[1:]):
            self.desktop.move(*point)
            self.wait_line(previous, point)
        self.desktop.release(1)
        if not pins:
            return self.wait_canvas(visible=False)
        return self.wait_canvas(visible=True, **cutout_corner(points, -self.desktop.offset[0], -self.desktop.offset[1]))

    def wait_line(self, start, end):
        """Waits until a tick has stored `end`: the segment's middle is drawn over the frozen screen."""
        mx, my = (start[0] + end[0]) // 2, (start[1] + end[1]) // 2

        def drawn():
            shot = self.desktop.screenshot()
            return any(shot.pixel(mx + dx, my + dy) != self.before.pixel(mx + dx, my + dy)
                       for dx in (-1, 0, 1) for dy in (-1, 0, 1))
        wait_for(drawn, timeout=10, interval=0.05, what=f"the line to {end}")

    def assert_shows_piece(self, shot, offset, polygon=OUTLINE, step=9):
        """Inside the outline moved by offset: the frozen pattern moved by offset; outside: the
        live screen."""
        ox, oy = offset
        checked_inside = checked_outside = 0
        for y in range(PATTERN_TOP, self.desktop.height - oy, step):
            for x in range(0, self.desktop.width - ox, step):
                if inside((x, y), polygon):
                    self.assertEqual(shot.pixel(x + ox, y + oy), self.before.pixel(x, y), (x, y))
                    checked_inside += 1
                elif outside((x, y), polygon):
                    self.assertEqual(shot.pixel(x + ox, y + oy), self.before.pixel(x + ox, y + oy), (x, y))
                    checked_outside += 1
        self.assertGreater(checked_inside, 1000)
        self.assertGreater(checked_outside, 1000)

    def save_as(self, path, expect_title="メッセージ"):
        menu = self.app.open_menu(1)
        self.app.choose(menu, 1)
        self.app.type_into_save_dialog(path)
        return self.app.message(expect_title)

    def size(self, canvas):
        return canvas["right"] - canvas["left"], canvas["bottom"] - canvas["top"]

    def message_texts(self, title):
        box, children = self.app.message(title)
        return [c["text"] for c in children if c["class"] == "Static" and c["text"]]



class CutoutTest(CutoutCase):

    def test_freeze_is_pixel_identical_and_the_cutout_is_the_outline_moved_by_ten(self):
        canvas = self.freeze_at(OUTLINE[0])
        self.assertTrue(canvas["topmost"])
        self.assertEqual((canvas["left"], canvas["top"], canvas["right"], canvas["bottom"]),
                         (0, 0, self.desktop.width, self.desktop.height))
        # Everything but the 32x32 start marker centred on the cursor is the screen as it was. The
        # marker is drawn a moment after the frozen screen shows.
        mx, my = OUTLINE[0][0] - 16, OUTLINE[0][1] - 16
        unmarked = self.before.crop(mx, my, 32, 32).data
        frozen = wait_for(lambda: (lambda shot: shot.crop(mx, my, 32, 32).data != unmarked and shot)(
            self.screenshot("frozen")), what="the start marker")
        w = self.desktop.width
        for y in range(self.desktop.height):
            row = slice(y * w * 3, (y + 1) * w * 3)
            if my <= y < my + 32:
                self.assertEqual(frozen.data[y * w * 3:(y * w + mx) * 3], self.before.data[y * w * 3:(y * w + mx) * 3])
                self.assertEqual(frozen.data[(y * w + mx + 32) * 3:(y + 1) * w * 3],
                                 self.before.data[(y * w + mx + 32) * 3:(y + 1) * w * 3])
            else:
                self.assertEqual(frozen.data[row], self.before.data[row], f"row {y}")

        for previous, point in zip(OUTLINE, OUTLINE[1:]):
            self.desktop.move(*point)
            self.wait_line(previous, point)
        self.screenshot("traced")
        self.desktop.release(1)
        canvas = self.wait_canvas(visible=True, **cutout_corner(OUTLINE))
        self.assertTrue(canvas["topmost"])
        self.assertIn("region", canvas)
        self.assert_shows_piece(self.screenshot("cutout"), (10, 10))
        # The trace was the frozen screen's alone: the window under it had the press, no more.
        self.assertEqual(self.pattern_buttons.lines(), ["down 1"])

    def test_drag_follows_the_left_button_and_double_click_erases(self):
        self.trace(OUTLINE)
        d = self.desktop
        d.move(410, 340)  # inside the cut-out, which sits 10 pixels right and down
        d.press(1)
        for x, y in ((440, 360), (480, 380), (510, 400)):
            d.move(x, y)
            time.sleep(0.05)
        d.release(1)
        self.wait_canvas(visible=True, **cutout_corner(OUTLINE, 100, 60))
        self.assert_shows_piece(self.screenshot("dragged"), (110, 70))

        # The watcher ignores the left button while a cut-out exists: holding it still on the
        # cut-out starts no new trace.
        d.move(450, 380)
        d.press(1)
        time.sleep(0.8)
        d.release(1)
        self.assertEqual((self.canvas()["left"], self.canvas()["top"]),
                         tuple(cutout_corner(OUTLINE, 100, 60).values()))

        # The arrow keys move the focused cut-out by a pixel, by ten with Shift.
        d.focus(self.canvas())
        for key in ("Right", "shift+Down", "Up", "shift+Right"):
            d.key(key)
        self.wait_canvas(visible=True, **cutout_corner(OUTLINE, 111, 69))

        # The double-click's second press, held still past the hold time, erases and freezes
        # nothing: it began on the cut-out.
        d.click(450, 380)
        time.sleep(0.08)
        d.press(1)
        self.wait_canvas(visible=False)
        time.sleep(1.0)
        self.assertFalse(self.canvas()["visible"], "the held second press froze the screen")
        d.release(1)
        shot = self.screenshot("erased")
        # The pattern area is back as it was (the tray above may show another focus state).
        start = PATTERN_TOP * self.desktop.width * 3
        self.assertEqual(shot.data[start:], self.before.data[start:])

        # Erased means gone for the menu too.
        self.app.choose(self.app.open_menu(1), 2)
        self.assertIn("現在は何も切り取りしていません。", self.message_texts("エラー"))

    def test_right_press_on_the_cutout_opens_the_menu_whose_items_hide_and_put_it_back(self):
        self.trace(OUTLINE)
        d = self.desktop
        d.click(410, 340, 3)
        menu = d.wait_window(**{"class": "#32768", "visible": True})
        self.assertEqual((menu["left"], menu["top"]), (410, 340))
        self.app.choose(menu, 3)  # quit: hidden while the question is up, back on No
        self.app.message("確認")
        self.assertFalse(self.canvas()["visible"])
        self.app.answer("確認", "n")
        self.wait_canvas(visible=True, **cutout_corner(OUTLINE))

        d.click(410, 340, 3)
        self.app.choose(d.wait_window(**{"class": "#32768", "visible": True}), 2)  # erase
        self.wait_canvas(visible=False)
        self.assertEqual(self.desktop.find(text="エラー", visible=True), [])
        start = PATTERN_TOP * d.width * 3
        self.assertEqual(self.screenshot("erased-from-menu").data[start:], self.before.data[start:])

    def test_save_and_copy_write_the_bounding_rectangle_of_the_frozen_screen_at_any_zoom(self):
        first_size = self.size(self.trace(OUTLINE))
        left, top = min(x for x, _ in OUTLINE), min(y for _, y in OUTLINE)
        width, height = max(x for x, _ in OUTLINE) - left, max(y for _, y in OUTLINE) - top

        # Ctrl+C at once, with no click first: the cut-out has the keyboard focus.
        self.desktop.key("ctrl+c")
        png = wait_for(lambda: self.desktop.clipboard("PNG"), what="the copy on the clipboard")
        self.assertTrue(self.desktop.clipboard(8), "no CF_DIB beside the PNG")
        piece = [(x - left, y - top) for x, y in OUTLINE]
        png_width, png_height, rgba = e2e_lib.read_png(png)
        self.assertEqual((png_width, png_height), (width, height))
        for y in range(0, height, 3):
            for x in range(0, width, 3):
                i = 4 * (y * width + x)
                if inside((x, y), piece, 1):
                    self.assertEqual(tuple(rgba[i:i + 4]), self.before.pixel(left + x, top + y) + (255,), (x, y))
                elif outside((x, y), piece, 1):
                    self.assertEqual(rgba[i + 3], 0, (x, y))
        # A reader of CF_BITMAP, which knows no alpha, gets the outside white, as in CF_DIB.
        self.assertEqual(self.desktop.clipboard_bitmap(), {"width": width, "height": height,
                                                           "bottom_left": [255, 255, 255]})
        self.assertEqual(self.desktop.find(text="エラー", visible=True), [])

        out_dir = os.path.join(self.app.directory, "saved")
        os.mkdir(out_dir)
        first = os.path.join(out_dir, "piece1")  # no extension: none may be added
        box, children = self.save_as(first)
        self.assertIn("保存が終了しました。", [c["text"] for c in children])
        # Hidden while the dialog and the message are up.
        self.assertFalse(self.canvas()["visible"])
        self.app.answer("メッセージ", "Return")
        self.wait_canvas(visible=True, **cutout_corner(OUTLINE))
        self.assertEqual(os.listdir(out_dir), ["piece1"])

        image = read_bmp(first)
        self.assertEqual((image.width, image.height), (width, height))
        self.assertEqual(image.data, self.before.crop(left, top, width, height).data)
        with open(first, "rb") as f:
            first_bytes = f.read()
        self.assertEqual(first_bytes[28], 24)

        # After a drag the same picture is saved; the dialog offers the previous name.
        self.desktop.move(410, 340)
        self.desktop.press(1)
        self.desktop.move(300, 250)
        time.sleep(0.1)
        self.desktop.release(1)
        self.wait_canvas(**cutout_corner(OUTLINE, -110, -90))
        self.app.choose(self.app.open_menu(1), 1)
        dialog = self.desktop.wait_window(text=SAVE_DIALOG, visible=True)
        children = [w for w in self.desktop.windows() if w.get("root") == dialog["hwnd"]]
        names = [w["text"] for w in children]
        self.assertIn("piece1", names)
        self.assertIn("saved", names)
        self.assertIn("BMPファイル (*.BMP)", names)
        read_only = [w for w in children if w["text"].startswith("読み取り専用")]
        self.assertFalse(any(w["visible"] for w in read_only), "no read-only box")
        second = os.path.join(out_dir, "second.bmp")
        self.app.type_into_save_dialog(second)
        self.app.answer("メッセージ", "Return")
        self.wait_canvas(visible=True, **cutout_corner(OUTLINE, -110, -90))
        with open(second, "rb") as f:
            self.assertEqual(f.read(), first_bytes)

        # A save over an existing file that runs out of disk space keeps that file as it was.
        # (A small disk of its own is a Linux mount: not on Windows.)
        if not e2e_lib.ON_WINDOWS:
            tiny = os.path.join(self.desktop.root, "tiny-disk")
            os.makedirs(tiny, exist_ok=True)
            subprocess.run(["mount", "-t", "tmpfs", "-o", "size=256k", "tmpfs", tiny], check=True)
            self.addCleanup(subprocess.run, ["umount", tiny], check=False)
            kept = os.path.join(tiny, "kept.bmp")
            with open(kept, "wb") as f:
                f.write(first_bytes[:100000])
            box, children = self.save_as(kept, expect_title="エラー")
            self.assertIn("保存に失敗しました。", [c["text"] for c in children])
            self.app.answer("エラー", "Return")
            self.wait_canvas(visible=True, **cutout_corner(OUTLINE, -110, -90))
            self.assertEqual(os.listdir(tiny), ["kept.bmp"], "no temporary file is left")
            with open(kept, "rb") as f:
                self.assertEqual(f.read(), first_bytes[:100000])

        # Cancel writes nothing, says nothing and brings the window back where it was.
        self.app.choose(self.app.open_menu(1), 1)
        self.desktop.focus(self.desktop.wait_window(text=SAVE_DIALOG, visible=True))
        self.desktop.key("Escape")
        self.wait_canvas(visible=True, **cutout_corner(OUTLINE, -110, -90))
        self.assertEqual(sorted(os.listdir(out_dir)), ["piece1", "second.bmp"])
        self.assertEqual(self.desktop.find(text="メッセージ", visible=True), [])
        self.assertEqual(self.desktop.find(text="エラー", visible=True), [])

        # Ctrl+S is the menu's save; Esc in its dialog brings the cut-out back.
        d = self.desktop
        d.key("ctrl+s")
        d.focus(d.wait_window(text=SAVE_DIALOG, visible=True))
        self.assertFalse(self.canvas()["visible"])
        d.key("Escape")
        self.wait_canvas(visible=True, **cutout_corner(OUTLINE, -110, -90))

        # A notch up enlarges around the cursor: the pixel under it stays, its neighbours spread.
        d.move(300, 250)
        shown = self.screenshot("before-zoom")
        d.wheel(1)
        zoomed = wait_for(lambda: (lambda c: c if self.size(c) != first_size else None)(self.canvas()),
                          what="the enlarged cut-out")
        half_up = lambda v: int(v + 0.5)  # as the program rounds
        self.assertEqual(self.size(zoomed), (half_up(first_size[0] * 5 / 4), half_up(first_size[1] * 5 / 4)))
        shot = self.screenshot("zoomed-in")
        self.assertEqual(shot.pixel(300, 250), shown.pixel(300, 250))
        self.assertIn(shot.pixel(340, 250)[0] - shot.pixel(300, 250)[0], (31, 32, 33))
        d.wheel(-2, delay=0.15)
        reduced = wait_for(lambda: (lambda c: c if self.size(c)[0] < first_size[0] else None)(self.canvas()),
                           what="the reduced cut-out")
        self.assertEqual(self.size(reduced), (half_up(first_size[0] * 3 / 4), half_up(first_size[1] * 3 / 4)))
        self.screenshot("zoomed-out")

        # The save after zooming is the same picture; the zoom survives it; a double-click erases.
        third = os.path.join(out_dir, "third.bmp")
        self.save_as(third)
        self.app.answer("メッセージ", "Return")
        self.assertEqual(self.size(self.wait_canvas(visible=True, left=reduced["left"], top=reduced["top"])),
                         self.size(reduced))
        with open(third, "rb") as f:
            self.assertEqual(f.read(), first_bytes)
        d.click(300, 250, times=2)
        self.wait_erased()
        self.assertEqual(self.size(self.trace(OUTLINE)), first_size, "a new cut-out starts at 100 %")

    def test_see_through_quarter_turns_flips_and_the_edge_under_the_cursor(self):
        d = self.desktop
        canvas = self.trace(OUTLINE)
        pw, ph = self.size(canvas)
        left, top = min(x for x, _ in OUTLINE), min(y for _, y in OUTLINE)
        self.assertEqual((pw, ph), (max(x for x, _ in OUTLINE) - left, max(y for _, y in OUTLINE) - top))

        # The edge: along the inside of the shape with the cursor over it, gone when it leaves.
        d.move(900, 720)
        away = self.screenshot("edge-away")
        d.move(410, 340)
        over = wait_for(lambda: (lambda s: s if s.data != away.data else None)(d.screenshot()), what="the edge")
        changed = [(x, y) for y in range(top, top + ph + 10) for x in range(left, left + pw + 10)
                   if over.pixel(x, y) != away.pixel(x, y)]
        self.assertGreater(len(changed), 1000)
        for x, y in changed[::7]:
            self.assertIn(over.pixel(x, y), ((0, 0, 0), (255, 255, 255)), (x, y))
            self.assertFalse(inside((x - 10, y - 10), OUTLINE, 3), f"{(x, y)}: the inside changed")
        d.move(900, 720)
        wait_for(lambda: d.screenshot().data == away.data, what="the edge to go")

        # Ctrl+wheel: a tenth more see-through per notch, and Ctrl+0 brings it back.
        def opacity():
            return self.canvas().get("alpha", 255)
        d.move(410, 340)
        d.focus(self.canvas())
        d.key_down("ctrl")
        d.wheel(-2, delay=0)
        d.key_up("ctrl")
        self.assertAlmostEqual(wait_for(lambda: opacity() < 240 and opacity(), what="see-through") / 255, 0.8,
                               delta=0.01)
        self.assertEqual(self.size(self.canvas()), (pw, ph), "size stays")
        d.key("ctrl+0")
        wait_for(lambda: opacity() == 255, what="opaque again")
        eventually(lambda: self.assert_shows_piece(self.screenshot("opaque-again"), (10, 10)))  # redrawn whole

        # 2 turns right, 1 back, 3 mirrors left to right, twice: the pixels go where the turn puts them.
        def assert_shown(label, mapping, size):
            c = self.wait_canvas(visible=True)
            self.assertEqual(self.size(c), size, label)
            shot = self.screenshot(label)
            for y in range(top, top + ph, 11):
                for x in range(left, left + pw, 11):
                    if inside((x, y), OUTLINE):
                        sx, sy = mapping(x - left, y - top)
                        self.assertEqual(shot.pixel(c["left"] + sx, c["top"] + sy), self.before.pixel(x, y),
                                         f"{label}: {(x, y)}")
        upright = lambda x, y: (x, y)
        for key, label, mapping, size in (("2", "turned-right", lambda x, y: (ph - 1 - y, x), (ph, pw)),
                                          ("1", "turned-back", upright, (pw, ph)),
                                          ("3", "mirrored", lambda x, y: (pw - 1 - x, y), (pw, ph)),
                                          ("3", "mirrored-back", upright, (pw, ph))):
            d.move(1000, 740)  # off the cut-out: no edge over the pixels
            d.focus(self.canvas())
            d.key(key)
            eventually(lambda: assert_shown(label, mapping, size))

        # A copy after a flip has the upright size and its shape's box where it was; after a turn it
        # holds the turned piece, its sides swapped, and its turned shape.
        def copied(label):
            d.empty_clipboard()
            d.key("ctrl+c")
            return e2e_lib.read_png(wait_for(lambda: d.clipboard("PNG"), what=label))

        def shape_box(width, height, rgba):
            opaque = [(x, y) for y in range(height) for x in range(width) if rgba[4 * (y * width + x) + 3]]
            return [f(p[i] for p in opaque) for f in (min, max) for i in (0, 1)]
        upright = copied("the upright copy")
        d.key("4")
        flipped = copied("the flipped copy")
        self.assertEqual(flipped[:2], (pw, ph))
        self.assertEqual(shape_box(*flipped), shape_box(*upright))
        d.key("4")
        d.key("2")
        wait_for(lambda: self.size(self.canvas()) == (ph, pw), what="turned again")
        width, height, rgba = copied("the turned copy")
        self.assertEqual((width, height), (ph, pw))
        for y in range(top, top + ph, 13):
            for x in range(left, left + pw, 13):
                sx, sy = ph - 1 - (y - top), x - left
                alpha = rgba[4 * (sy * width + sx) + 3]
                if inside((x, y), OUTLINE, 2):
                    self.assertEqual(alpha, 255, (x, y))
                elif outside((x, y), OUTLINE, 2):
                    self.assertEqual(alpha, 0, (x, y))

    def test_outline_enclosing_nothing_crossing_itself_and_alt_f4_and_the_next_hold_works(self):
        # Points on one line enclose nothing: no invisible cut-out blocks the next hold.
        self.trace([(200, 300), (500, 300), (700, 300)], pins=False)
        self.assertEqual(self.desktop.find(text="エラー", visible=True), [])
        # An outline that crosses itself pins its piece, shaped.
        crossing = [(260, 207), (86, 400), (256, 239), (388, 330)]
        canvas = self.trace(crossing)
        self.assertIn("region", canvas)
        self.assertEqual(self.size(canvas), (388 - 86, 400 - 207))
        shot = self.screenshot("crossing")
        lobes = [(x, y) for x in range(86, 388, 3) for y in range(207, 400, 3) if inside((x, y), crossing)]
        self.assertGreater(len(lobes), 100)
        for x, y in lobes:
            self.assertEqual(shot.pixel(x + 10, y + 10), self.before.pixel(x, y), (x, y))
        self.desktop.click(266 + 10, 238 + 10, times=2)
        self.wait_erased()
        self.trace(OUTLINE)

        # Alt+F4 on the cut-out erases it, as a double-click does, even right after its own menu
        # (which the hidden host owned): the program lives on.
        d = self.desktop
        d.click(410, 340, 3)
        d.wait_window(**{"class": "#32768", "visible": True})
        d.key("Escape")
        d.wait_no_window(**{"class": "#32768", "visible": True})
        d.key("alt+F4")
        self.wait_canvas(visible=False)
        self.assertIsNone(self.app.process.poll(), "Alt+F4 ended the program")
        self.app.choose(self.app.open_menu(1), 2)
        self.assertIn("現在は何も切り取りしていません。", self.message_texts("エラー"))
        self.app.answer("エラー", "Return")
        d.wait_no_window(text="エラー", visible=True)
        self.trace(OUTLINE)
        self.assert_shows_piece(self.screenshot("after-alt-f4"), (10, 10))

    def test_save_and_erase_without_a_cutout_only_say_so_and_slow_clicks_are_clicks(self):
        for row in (1, 2):
            self.app.choose(self.app.open_menu(1), row)
            self.assertIn("現在は何も切り取りしていません。", self.message_texts("エラー"))
            self.app.answer("エラー", "Return")
            self.desktop.wait_no_window(text="エラー", visible=True)
        self.assertFalse(self.canvas()["visible"])

        # The button held still past the hold time on a menu entry, then on the box's button.
        menu = self.app.open_menu(1)
        self.slow_click(menu["left"] + 40, menu["top"] + 65)
        box, children = self.app.message("エラー")
        button = [c for c in children if c["class"] == "Button"][0]
        self.slow_click((button["left"] + button["right"]) // 2, (button["top"] + button["bottom"]) // 2)
        self.desktop.wait_no_window(text="エラー", visible=True)
        self.assertFalse(self.canvas()["visible"])

    def slow_click(self, x, y):
        d = self.desktop
        d.move(x + d.offset[0], y + d.offset[1])
        d.press(1)
        time.sleep(1.0)
        self.assertFalse(self.canvas()["visible"], "a slow click froze the screen")
        d.release(1)

    def test_one_point_trace_pins_the_whole_frozen_screen_at_ten_ten(self):
        canvas = self.trace([(300, 300)])
        self.assertNotIn("region", canvas)
        self.assertEqual((canvas["right"], canvas["bottom"]), (self.desktop.width + 10, self.desktop.height + 10))
        shot = self.screenshot("one-point")
        w = self.desktop.width
        for y in range(PATTERN_TOP, self.desktop.height - 10, 7):
            self.assertEqual(shot.data[((y + 10) * w + 10) * 3:((y + 11) * w) * 3],
                             self.before.data[y * w * 3:(y * w + w - 10) * 3], f"row {y}")
        # Ctrl+C copies the whole picture it shows.
        self.desktop.key("ctrl+c")
        png = wait_for(lambda: self.desktop.clipboard("PNG"), what="the copy on the clipboard")
        self.assertEqual(struct.unpack(">II", png[16:24]), (self.desktop.width, self.desktop.height))
        self.assertEqual(self.desktop.find(text="エラー", visible=True), [])
        # A save writes that whole picture too: the frozen screen, pixel for pixel.
        path = os.path.join(self.app.directory, "whole.bmp")
        self.desktop.key("ctrl+s")  # the cut-out covers the tray icon
        self.app.type_into_save_dialog(path)
        self.assertIn("保存が終了しました。", [c["text"] for c in self.app.message("メッセージ")[1]])
        self.app.answer("メッセージ", "Return")
        image = read_bmp(path)
        self.assertEqual((image.width, image.height), (w, self.desktop.height))
        start = PATTERN_TOP * w * 3  # the tray above may show another focus state
        self.assertEqual(image.data[start:], self.before.data[start:])

    def test_esc_or_a_hundred_points_abandon_the_trace_and_no_new_one_starts_until_release(self):
        d = self.desktop
        # Esc: the frozen screen goes at once, silently, and holding on starts nothing. The screen
        # never takes the foreground from the window under the press, so Esc is heard without it.
        self.freeze_at((150, 200))
        d.move(400, 220)
        self.wait_line((150, 200), (400, 220))
        self.assertEqual([w["text"] for w in d.find(foreground=True)], ["pattern"])
        d.key("Escape")
        self.wait_canvas(visible=False)
        self.assertEqual([w["text"] for w in d.find(foreground=True)], ["pattern"])
        d.move(150, 200)
        time.sleep(1.0)
        self.assertFalse(self.canvas()["visible"])
        d.release(1)
        time.sleep(0.3)
        self.assertFalse(self.canvas()["visible"], "nothing is pinned")
        self.assertEqual(d.find(text="エラー", visible=True), [])

        self.freeze_at((150, 200))
        # Each move lands in its own tick; stop as soon as the length message is up.
        for i in range(1, 200):
            d.move(150 + 3 * i, 200 + (i % 2) * 40)
            time.sleep(0.13)
            if i >= 100 and i % 5 == 0 and d.find(text="エラー", visible=True):
                break
        self.assertEqual(self.message_texts("エラー"), ["線が長すぎます。\r\nもう一度やり直してください。"])
        self.assertFalse(self.canvas()["visible"])
        # Still holding and moving on and off the start point: the frozen screen stays away.
        for point in ((150, 200), (400, 400), (150, 200)):
            d.move(*point)
            time.sleep(0.4)
        self.assertFalse(self.canvas()["visible"])
        self.screenshot("too-long")
        d.release(1)
        self.app.answer("エラー", "Return")
        d.wait_no_window(text="エラー", visible=True)
        self.assertFalse(self.canvas()["visible"])


class CutoutSoakTest(DesktopTestCase):

    def test_two_hundred_cutout_cycles_leave_gdi_and_user_object_counts_unchanged(self):
        out = os.path.join(self.desktop.root, "cutout-soak.json")
        save_dir = os.path.join(self.desktop.root, "soak-saves")
        os.makedirs(save_dir, exist_ok=True)
        self.desktop.wine(os.path.join(e2e_lib.HELPERS, "cutout_soak.exe"), self.desktop.windows_path(out),
                          self.desktop.windows_path(save_dir), "200", timeout=600)
        with open(out) as f:
            soak = json.load(f)
        self.assertEqual(soak["cycles"], 200)
        self.assertEqual(soak["erased"], 200)
        self.assertEqual(soak["menus"], 200)
        self.assertEqual((soak["saves"], soak["messages"]), (10, 10))
        self.assertTrue(soak["edge_rows_ok"], "rows across the frozen screen's edges")
        self.assertTrue(soak["ime_off"], "the canvas has an input context")
        self.assertEqual(len(os.listdir(save_dir)), 10)
        self.assertGreater(soak["gdi_before"], 0)
        self.assertEqual(soak["gdi_after"], soak["gdi_before"], soak)
        self.assertEqual(soak["user_after"], soak["user_before"], soak)
        print(f"\ncut-out soak: {soak}")


if __name__ == "__main__":
    unittest.main()
