"""The fault walk: the test build of the program makes one checked Windows call fail at a time,
walking every such call of a freeze and trace, a finish, a zoom with a turn and see-through, a
copy, a save and a gesture's launch. After each, the program lives, no frozen screen is left and no box of it is left unseen."""
import collections
import contextlib
import os
import time

from e2e_lib import FAULTS_EXE, FaultFile, HELPERS, DesktopTestCase, Petariko, wait_for
from test_cutout import OUTLINE, PATTERN_TOP
from test_gesture import Recorder, settings_file

INSIDE = (410, 340)  # inside the cut-out of OUTLINE, which sits 10 pixels right and down
GESTURE_START = (600, 500)


class FaultWalkTest(DesktopTestCase):
    SIDE_BY_SIDE = True  # each action's walk, with its own program, is a part of the suite run on its own

    def setUp(self):
        d = self.desktop
        d.spawn(os.path.join(HELPERS, "pattern.exe"), "0", str(PATTERN_TOP), str(d.width), str(d.height - PATTERN_TOP))
        wait_for(lambda: d.search(name="^pattern$"), timeout=30, what="the pattern window")
        self.recorder = Recorder(d)
        faults = FaultFile(d)
        self.inject, self.log_lines = faults.inject, faults.log_lines
        self.save_path = os.path.join(d.root, "walk.bmp")
        self.app = Petariko(d, settings=settings_file([(self.recorder.windows_exe + " walked", "↑→")]), exe=FAULTS_EXE)
        self.app.start(extra_env=dict(faults.env, RECORD_ARGS_FILE=self.recorder.env()["RECORD_ARGS_FILE"]))

    # --- the actions, driven without waiting on what a fault may prevent ---------------------
    def cut_out(self):
        d = self.desktop
        d.move(*OUTLINE[0])
        d.press(1)
        time.sleep(0.7)
        for point in OUTLINE[1:]:
            d.move(*point)
            time.sleep(0.25)
        d.release(1)
        time.sleep(0.5)

    def zoom_turn_see_through(self):
        d = self.desktop
        d.move(*INSIDE)
        for button in (4, 4, 5):
            d.xdotool("click", button)
            time.sleep(0.2)
        ids = d.search(class_name="petariko")
        if ids:
            d.xdotool("windowfocus", "--sync", ids[0], check=False)
        d.key("2")
        d.xdotool("keydown", "ctrl", "click", "5", "keyup", "ctrl")
        time.sleep(0.3)

    def copy(self):
        d = self.desktop
        ids = d.search(class_name="petariko")
        if ids:
            d.xdotool("windowfocus", "--sync", ids[0], check=False)
        d.move(*INSIDE)
        d.key("ctrl+c")
        time.sleep(0.8)

    def save(self):
        self.app.choose(self.app.open_menu(1), 1)
        self.app.type_into_save_dialog(self.save_path)
        time.sleep(0.5)

    def launch(self):
        d = self.desktop
        d.move(*GESTURE_START)
        d.press(3)
        time.sleep(0.7)
        x, y = GESTURE_START
        for point in ((x, y - 60), (x + 60, y - 60)):  # up, right: the registered gesture
            d.move(*point)
            time.sleep(0.35)
        d.release(3)
        time.sleep(1.0)

    # --- what must hold after each -----------------------------------------------------------
    def settle(self, what):
        """Answers the program's boxes and dialogs; fails when one is hidden under a cut-out or
        a frozen screen outlives its button."""
        d = self.desktop
        answered, quiet = 0, False
        while True:
            # Top-level windows come in their stacking order, the topmost first.
            tops = [w for w in d.windows() if w["kind"] == "top"]
            self.assertFalse([w for w in tops if w["visible"] and w["text"] == "ペタリコのエラー"],
                             f"{what}: the error trap ended the program")
            boxes = [w for w in tops if w["visible"] and w["text"] in ("エラー", "メッセージ", "名前を付けて保存")]
            canvas = [w for w in tops if w["class"] == "PetarikoCanvas"][0]
            if canvas["visible"]:
                full = (canvas["right"] - canvas["left"], canvas["bottom"] - canvas["top"]) == (d.width, d.height)
                self.assertFalse(full and "region" not in canvas, f"{what}: a frozen screen outlived its button")
                for box in boxes:
                    self.assertLess(tops.index(box), tops.index(canvas), f"{what}: {box['text']} under the cut-out")
            if not boxes:
                if quiet:
                    return
                # Settled when a second look a moment later finds none either: a box may be on its way.
                quiet = True
                time.sleep(0.4)
                continue
            quiet = False
            if answered == 6:
                self.fail(f"{what}: boxes keep coming")
            box = boxes[0]
            self.app.answer(box["text"], "Escape" if box["text"] == "名前を付けて保存" else "Return")
            answered += 1
            with contextlib.suppress(AssertionError):
                wait_for(lambda: not d.find(hwnd=box["hwnd"], visible=True), timeout=5, interval=0.1)

    def erase(self):
        try:
            menu = self.app.open_menu(1)
        except AssertionError:
            # A box that came after the last look keeps the menu shut: answer it (the settle checks
            # it as any other) and ask again.
            self.settle("before the erase")
            menu = self.app.open_menu(1)
        self.app.choose(menu, 2)
        time.sleep(0.3)
        self.settle("erase")

    def run_action(self, action, needs_cutout, fault):
        if needs_cutout:
            self.inject("")
            self.cut_out()
            self.settle("making the cut-out")
        mark = len(self.log_lines())
        self.inject(fault)
        action()
        self.settle(f"{action.__name__} with {fault or 'no fault'}")
        self.assertIsNone(self.app.process.poll(), f"{action.__name__} with {fault}: petariko.exe ended")
        lines = self.log_lines()[mark:]
        self.inject("")
        self.erase()
        return lines

    def walk(self, action, needs_cutout):
        """Makes every checked call of the action fail in turn, then shows that a cut-out still works."""
        started = time.monotonic()
        calls = collections.Counter(line.split()[1] for line in self.run_action(action, needs_cutout, "")
                                    if line.startswith("call "))
        self.assertTrue(calls, f"{action.__name__} made no checked call")
        fired = 0
        for operation, count in sorted(calls.items()):
            for nth in range(1, count + 1):
                lines = self.run_action(action, needs_cutout, f"{operation} {nth}")
                fired += f"injected {operation} {nth}" in lines
        total = sum(calls.values())
        report = f"{action.__name__}: {fired}/{total} calls failed in turn ({dict(calls)})"
        # A call that happens a varying number of times (one per tick) may not come again.
        self.assertGreaterEqual(fired, total * 0.8, report)
        # Afterwards everything still works, the program's piece included.
        self.cut_out()
        wait_for(lambda: [w for w in self.desktop.windows() if w["class"] == "PetarikoCanvas"
                          and w["visible"] and "region" in w], what="a cut-out after the walk")
        print(f"\nfault walk, {report}, {time.monotonic() - started:.0f} s")

    def test_every_checked_call_of_a_freeze_and_trace_fails_in_turn_and_the_program_lives(self):
        self.walk(self.cut_out, False)

    def test_every_checked_call_of_a_zoom_turn_and_see_through_fails_in_turn_and_the_program_lives(self):
        self.walk(self.zoom_turn_see_through, True)

    def test_every_checked_call_of_a_copy_fails_in_turn_and_the_program_lives(self):
        self.walk(self.copy, True)

    def test_every_checked_call_of_a_save_fails_in_turn_and_the_program_lives(self):
        self.walk(self.save, True)

    def test_every_checked_call_of_a_launch_fails_in_turn_and_the_program_lives(self):
        self.walk(self.launch, False)
