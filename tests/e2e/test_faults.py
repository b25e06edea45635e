"""The fault walk: the test build of the program makes one checked Windows call fail at a time,
walking every such call of a freeze and trace, a finish, a zoom with a turn and see-through, a
copy, a save and a gesture's launch, and of the forms. After each, the program lives, no frozen
screen is left and no box of it is left unseen."""
import collections
import contextlib
import os
import time

from e2e_lib import FAULTS_EXE, FaultFile, HELPERS, DesktopTestCase, Petariko, ProbeSession, shown_cutouts, wait_for
from test_cutout import OUTLINE
from test_gesture import Recorder, settings_file
from test_settings import ABOUT, EDITOR, SCREEN, RecorderCase

INSIDE = (410, 340)  # inside the cut-out of OUTLINE, which sits 10 pixels right and down
GESTURE_START = (600, 500)


def trace_outline(d):
    """Holds the left button still over the pattern, traces OUTLINE and lets go."""
    d.move(*OUTLINE[0])
    d.press(1)
    time.sleep(0.7)
    for point in OUTLINE[1:]:
        d.move(*point)
        time.sleep(0.25)
    d.release(1)
    time.sleep(0.5)


class FaultWalkTest(DesktopTestCase):
    SIDE_BY_SIDE = True  # each action's walk, with its own program, is a part of the suite run on its own

    def setUp(self):
        d = self.desktop
        d.show_pattern()
        self.recorder = Recorder(d)
        faults = FaultFile(d)
        self.inject, self.log_lines = faults.inject, faults.log_lines
        self.save_path = os.path.join(d.root, "walk.bmp")
        self.app = Petariko(d, settings=settings_file([(self.recorder.windows_exe + " walked", "↑→")]), exe=FAULTS_EXE)
        self.app.start(extra_env=dict(faults.env, RECORD_ARGS_FILE=self.recorder.env()["RECORD_ARGS_FILE"]))

    # --- the actions, driven without waiting on what a fault may prevent ---------------------
    def cut_out(self):
        trace_outline(self.desktop)

    def zoom_turn_see_through(self):
        d = self.desktop
        d.move(*INSIDE)
        for notches in (1, 1, -1):
            d.wheel(notches)
            time.sleep(0.2)
        self.focus_cutout()
        d.key("2")
        d.key_down("ctrl")
        d.wheel(-1)
        d.key_up("ctrl")
        time.sleep(0.3)

    def focus_cutout(self):
        canvas = self.desktop.find(**{"class": "PetarikoCanvas", "visible": True})
        if canvas:
            self.desktop.focus(canvas[0])

    def copy(self):
        d = self.desktop
        self.focus_cutout()
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
        # The release is seen at the next tick, which a loaded machine may give late.
        frozen_until = time.monotonic() + 10
        while True:
            # Top-level windows come in their stacking order, the topmost first.
            tops = [w for w in d.windows() if w["kind"] == "top"]
            self.assertFalse([w for w in tops if w["visible"] and w["text"] == "ペタリコのエラー"],
                             f"{what}: the error trap ended the program")
            boxes = [w for w in tops if w["visible"] and w["text"] in ("エラー", "メッセージ", "名前を付けて保存")]
            canvas = [w for w in tops if w["class"] == "PetarikoCanvas"][0]
            if canvas["visible"]:
                full = (canvas["right"] - canvas["left"], canvas["bottom"] - canvas["top"]) == (d.width, d.height)
                if full and "region" not in canvas:
                    self.assertLess(time.monotonic(), frozen_until, f"{what}: a frozen screen outlived its button")
                    time.sleep(0.2)
                    continue
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
        wait_for(lambda: shown_cutouts(self.desktop.windows(), self.desktop.width), what="a cut-out after the walk")
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

    def test_a_launch_whose_path_probes_hang_leaves_the_program_answering_and_its_menu_working(self):
        probe = ProbeSession(self.desktop)
        pid = next(w["pid"] for w in probe.survey()[0] if w["class"] == "PetarikoHost")
        # Each probe of the split (the whole line, then the program) waits, as on a dead share.
        for delay in (5000, 30000):
            self.inject(f"slow FindFile {delay}")
            self.launch()
            self.assertTrue(probe.survey(pid)[1][pid]["responding"], "the program answers no message")
            menu = self.app.open_menu(1)
            if delay < 30000:  # a click beside it, as a user closes it, and the launch goes on
                self.desktop.click(*GESTURE_START)
                self.desktop.wait_no_window(**{"class": "#32768", "visible": True})
                self.assertEqual(self.recorder.starts(), [], "started before its probes ended")
                starts = wait_for(self.recorder.starts, timeout=30, what="the program started after the probes")
                self.assertEqual(starts[0]["argv"][1:], ["walked"])
        # The end chosen during a launch ends the program at once, and the launch with it.
        self.app.choose(menu, 3)
        try:
            self.app.answer("確認", "y")
        except AssertionError:
            # A loaded machine can close the menu under the click: it is opened again, as a user would.
            self.app.choose(self.app.open_menu(1), 3)
            self.app.answer("確認", "y")
        self.app.wait_exit(timeout=4)
        self.assertEqual(len(self.recorder.starts()), 1)


def centre(window):
    return (window["left"] + window["right"]) // 2, (window["top"] + window["bottom"]) // 2


class FormFaultWalkTest(RecorderCase):
    """The same walk through the forms: opening the settings screen, its 追加, 編集, 削除 and
    バージョン, the editor's 参照, the about box's ヘルプ and a change of DPI. After each refusal a
    box names the action, the screen keeps its edit (or is gone with nothing of it left) and the
    next opening works."""
    SIDE_BY_SIDE = True

    def setUp(self):
        super().setUp()
        d = self.desktop
        faults = FaultFile(d, "form-fault")
        self.inject, self.log_lines = faults.inject, faults.log_lines
        entries = [("C:\\windows\\notepad.exe", "↑")]
        self.app = Petariko(d, settings=settings_file(entries), exe=FAULTS_EXE)
        try:
            self.app.start(extra_env=faults.env)
        except AssertionError as failed:
            # Twice in many runs a start here ended with exit code 1 and said nothing: how far the
            # program got is in its log of checked calls.
            raise AssertionError(f"{failed}; its last checked calls: {faults.log_lines()[-8:]}") from None
        self.probe = ProbeSession(d)
        self.pid = next(w["pid"] for w in self.probe.survey()[0] if w["class"] == "PetarikoHost")

    # --- the program's windows ----------------------------------------------------------------
    def survey(self):
        """(the program's windows, every window, its process record, where "windows" counts its
        windows and controls but not the IME window the system makes for it)."""
        windows, processes, _ = self.probe.survey(self.pid)
        record = processes[self.pid]
        self.assertTrue(record["alive"], "petariko.exe ended")
        own = [w for w in windows if w["pid"] == self.pid]
        record["windows"] = record["user"] - len([w for w in own if w["class"] == "IME"])
        for w in own:
            if w["kind"] == "top" and w["visible"] and w["text"] == "ペタリコのエラー":
                self.fail("the error trap ended the program: " +
                          str([c["text"] for c in windows if c.get("root") == w["hwnd"]]))
        return own, windows, record

    def shown(self, **fields):
        return [w for w in self.survey()[0] if w["kind"] == "top" and w["visible"]
                and all(w.get(k) == v for k, v in fields.items())]

    def click_at(self, point):
        self.desktop.click(*point)
        # Under Wine, looks polled while a click's window opens can leave the click unanswered.
        time.sleep(1.0)

    def key_to(self, title, key):
        self.desktop.focus(self.desktop.wait_window(text=title, visible=True))
        self.desktop.key(key)

    def outcome(self, opened, failed_text):
        """Waits for what the action opens (`opened`, a window predicate), or for the box that
        names its failure, which it answers: "opened" or "failed"."""
        def look():
            own, windows, _ = self.survey()
            for w in own:
                if w["kind"] != "top" or not w["visible"]:
                    continue
                if w["text"] == "エラー":
                    texts = [c["text"] for c in windows if c.get("root") == w["hwnd"] and c["text"]]
                    self.assertTrue(any(failed_text in t for t in texts), f"{texts} names not {failed_text!r}")
                    return "failed"
                if opened(w):
                    return "opened"
            return None
        kind = wait_for(look, timeout=20, interval=0.1, what=f"the action or {failed_text!r}")
        if kind == "failed":
            self.key_to("エラー", "Return")
            wait_for(lambda: not self.shown(text="エラー"), what="the box answered")
        return kind

    def open_screen(self):
        self.click_at(self.app.menu_point(self.app.open_menu(1), 0))

    def screen_opens(self):
        self.open_screen()
        return self.desktop.wait_window(**{"class": SCREEN, "visible": True})

    def close_others(self, key="Escape"):
        """Closes what the action opened over the settings screen."""
        for w in self.shown():
            if w["class"] not in (SCREEN, "#32768"):
                self.key_to(w["text"], key)
                wait_for(lambda: not self.shown(hwnd=w["hwnd"]), what=f"{w['text']} closed")

    # --- the walk -----------------------------------------------------------------------------
    def run_once(self, prepare, act, undo, fault):
        if prepare:
            prepare()
        mark = len(self.log_lines())
        self.inject(fault)
        kind = act()
        lines = self.log_lines()[mark:]
        self.inject("")
        undo()
        return kind, lines

    def walk(self, name, act, check, prepare=None, undo=None, handled_in_place=()):
        """Refuses each checked call of `act` in turn; `check` holds after every run, and nothing
        of a half-made window is left. A refusal of an operation handled in place need not end
        the action."""
        started = time.monotonic()
        undo = undo or self.close_others
        self.run_once(prepare, act, undo, "")  # the first run registers classes and loads what stays
        kind, lines = self.run_once(prepare, act, undo, "")
        self.assertEqual(kind, "opened", f"{name} without a fault")
        calls = collections.Counter(line.split()[1] for line in lines if line.startswith("call "))
        self.assertTrue(calls, f"{name} made no checked call")
        # So does the first box (at a DPI change, Wine makes that DPI's system fonts once).
        self.run_once(prepare, act, undo, min(calls) + " 1")
        check()
        base = self.survey()[2]
        fired = 0
        for operation, count in sorted(calls.items()):
            for nth in range(1, count + 1):
                kind, lines = self.run_once(prepare, act, undo, f"{operation} {nth}")
                what = f"{name} with {operation} {nth} refused"
                if f"injected {operation} {nth}" in lines:
                    fired += 1
                    if operation not in handled_in_place:
                        self.assertEqual(kind, "failed", f"{what}: no box named the failure")
                check()
                wait_for(lambda: self.survey()[2]["windows"] == base["windows"], timeout=5,
                         what=f"{what}: {base['windows']} windows again, not {self.survey()[2]['windows']}: "
                              f"{[(w['class'], w['text'], w['visible']) for w in self.survey()[0]]}")
        gdi = self.survey()[2]["gdi"]
        total = sum(calls.values())
        report = f"{name}: {fired}/{total} calls refused in turn ({dict(calls)}); GDI {base['gdi']} -> {gdi}"
        print(f"\nform fault walk, {report}, {time.monotonic() - started:.0f} s")
        self.assertEqual(fired, total, report)
        self.assertLessEqual(gdi, base["gdi"] + 8, f"{name} leaks GDI objects: {report}")

    def screen_with_an_edit(self):
        """Opens the settings screen and changes an option, which every action must leave."""
        screen = self.screen_opens()
        self.click(self.option(screen, "ペタリコ", "未使用"))
        wait_for(lambda: self.options(screen)[("ペタリコ", "未使用")][0], what="the edit")
        self.buttons = {c["text"]: centre(c) for c in self.controls(screen)}
        listview, header = self.control(screen, "", "SysListView32"), self.control(screen, "", "SysHeader32")
        self.buttons["row 1"] = (listview["left"] + 40, header["bottom"] + 6)
        self.size = (screen["right"] - screen["left"], screen["bottom"] - screen["top"])
        self.unused = self.option(screen, "ペタリコ", "未使用")["hwnd"]

    def screen_kept(self):
        own, windows, _ = self.survey()
        top = [w for w in own if w["class"] == SCREEN and w["visible"] and w["enabled"]]
        self.assertEqual(len(top), 1, "the settings screen is not open and usable")
        self.assertEqual(next(c for c in windows if c["hwnd"] == self.unused).get("checked"), 1, "the edit is lost")

    def walk_in_screen(self, name, act, prepare=None, undo=None):
        self.screen_with_an_edit()
        self.walk(name, act, self.screen_kept, prepare, undo)
        # The screen closes as usual, and the tray icon opens the next one.
        self.key_to("設定画面", "alt+F4")
        wait_for(lambda: not self.shown(**{"class": SCREEN}), what="the screen closed")
        self.screen_opens()

    def button_act(self, caption, opened, failed_text):
        def act():
            self.click_at(self.buttons[caption])
            return self.outcome(opened, failed_text)
        return act

    def editor_act(self, caption):
        return self.button_act(caption, lambda w: w["class"] == EDITOR, "ジェスチャ設定を開けませんでした。")

    def open_inner(self, opener, window_class, caption):
        """Opens a form from the screen without a fault, and finds the button inside it."""
        def prepare():
            self.click_at(self.buttons[opener])
            own, windows, _ = self.survey()
            top = next(w for w in own if w["kind"] == "top" and w["class"] == window_class and w["visible"])
            c = next(c for c in windows if c.get("root") == top["hwnd"] and c["text"] == caption)
            self.inner = centre(c)
        return prepare

    # --- the actions --------------------------------------------------------------------------
    def test_every_checked_call_of_opening_the_settings_screen_fails_in_turn_and_the_program_lives(self):
        def act():
            self.open_screen()
            return self.outcome(lambda w: w["class"] == SCREEN, "設定画面を開けませんでした。")

        def undo():
            if self.shown(**{"class": SCREEN}):
                self.key_to("設定画面", "alt+F4")
                wait_for(lambda: not self.shown(**{"class": SCREEN}), what="the screen closed")

        def screen_gone_and_cutout_back():
            self.assertFalse([w for w in self.survey()[0] if w["class"] == SCREEN], "a settings screen is left")
            wait_for(lambda: shown_cutouts(self.survey()[0], self.desktop.width), timeout=5, what="the cut-out put back")
        # Opening the screen hides the cut-out; every way it ends puts it back.
        self.desktop.show_pattern()
        trace_outline(self.desktop)
        screen_gone_and_cutout_back()
        # Where the cut-out was cannot be read: it comes back where the last one did.
        self.walk("opening the settings screen", act, screen_gone_and_cutout_back, undo=undo,
                  handled_in_place={"GetWindowRect"})
        self.screen_opens()

    def test_every_checked_call_of_add_fails_in_turn_and_the_program_lives(self):
        self.walk_in_screen("追加", self.editor_act("追加"))

    def test_every_checked_call_of_edit_fails_in_turn_and_the_program_lives(self):
        self.walk_in_screen("編集", self.editor_act("編集"))

    def test_every_checked_call_of_delete_fails_in_turn_and_the_program_lives(self):
        self.walk_in_screen("削除", self.button_act("削除", lambda w: w["text"] == "確認", "一覧から削除できませんでした。"),
                            prepare=lambda: self.click_at(self.buttons["row 1"]),
                            undo=lambda: self.close_others("n"))

    def test_every_checked_call_of_the_about_box_fails_in_turn_and_the_program_lives(self):
        self.walk_in_screen("バージョン", self.button_act("バージョン", lambda w: w["class"] == ABOUT,
                                                          "バージョン情報を開けませんでした。"))

    def test_every_checked_call_of_browse_fails_in_turn_and_the_program_lives(self):
        def act():
            self.click_at(self.inner)
            return self.outcome(lambda w: w["text"] == "開く", "ファイルを選ぶ画面を開けませんでした。")
        self.walk_in_screen("参照", act, prepare=self.open_inner("追加", EDITOR, "参照"))

    def test_a_slow_check_of_the_editor_leaves_the_program_answering_and_the_answer_as_it_was(self):
        self.screen_with_an_edit()
        self.open_inner("追加", EDITOR, "")()  # self.inner: the path box
        self.click_at(self.inner)
        self.desktop.type_text("Z:\\no such file.exe")
        self.inject("slow PathExists 5000")
        self.desktop.key("Return", "Escape")  # ＯＫ, then a cancel that the check does not take
        self.assertTrue(self.survey()[2]["responding"], "the program answers no message")
        self.assertEqual(self.outcome(lambda w: False, "ファイルが存在しません。"), "failed")
        self.assertTrue(self.shown(**{"class": EDITOR}), "the editor was closed under its check")

    def test_every_checked_call_of_help_fails_in_turn_and_the_program_lives(self):
        def act():
            log = self.log + ".xdg-open"
            before = os.path.getsize(log) if os.path.exists(log) else 0
            self.click_at(self.inner)
            return self.outcome(lambda w: os.path.exists(log) and os.path.getsize(log) > before,
                                "help.html\r\nを開けませんでした。")
        self.walk_in_screen("ヘルプ", act, prepare=self.open_inner("バージョン", ABOUT, "ヘルプ"))

    def test_every_checked_call_of_a_dpi_change_fails_in_turn_and_the_program_lives(self):
        def send(dpi, width, height):
            return self.desktop.spawn(os.path.join(HELPERS, "send_dpi.exe"), SCREEN, str(dpi), str(width), str(height))

        def width():
            return (lambda w: w["right"] - w["left"])(self.shown(**{"class": SCREEN})[0])

        def act():
            # The helper returns once the screen has handled the message, which a box holds up.
            helper = send(144, self.size[0] * 3 // 2, self.size[1] * 3 // 2)
            kind = self.outcome(lambda w: w["class"] == SCREEN and helper.poll() == 0,
                                "画面の拡大率の変更に合わせられませんでした。")
            if kind == "opened":
                self.assertGreater(width(), self.size[0], "the screen did not follow the DPI")
            return kind

        def undo():
            # Handled before the next order, which it would otherwise take for its own.
            self.assertEqual(send(96, *self.size).wait(timeout=60), 0, "the screen took no DPI change back")
            self.assertEqual(width(), self.size[0], "the screen is not back at 96 dpi")
        self.walk_in_screen("a DPI change", act, undo=undo)
