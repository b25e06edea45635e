"""The fault walk of the forms: the test build refuses one checked Windows call at a time while
the settings screen opens, while its 追加, 編集, 削除 and バージョン run, while the gesture
editor's 参照 and the about box's ヘルプ run, and while the screen follows a change of DPI.
After each, the program lives, a box names the action that failed, the screen keeps its edits or
is gone with nothing of it left behind, and the next opening works."""
import collections
import os
import stat
import time

from e2e_lib import FAULTS_EXE, HELPERS, FaultFile, Petariko, ProbeSession, wait_for
from test_settings import ABOUT, EDITOR, RECORDER, SCREEN, SettingsScreenCase, settings_file

OPEN_DIALOG = "開く"
ERROR = "エラー"


class FormFaultWalkTest(SettingsScreenCase):

    def setUp(self):
        d = self.desktop
        # The help page opens through a recorder named xdg-open, not a browser.
        bin_dir = os.path.join(d.root, "form-walk-bin")
        os.makedirs(bin_dir, exist_ok=True)
        self.opened_log = os.path.join(bin_dir, "opened.log")
        for name in ("xdg-open", "xdg-email"):
            path = os.path.join(bin_dir, name)
            with open(path, "w") as f:
                f.write(RECORDER.format(log=self.opened_log))
            os.chmod(path, os.stat(path).st_mode | stat.S_IEXEC)
        d.wine("reg", "add", r"HKCR\.html", "/ve", "/d", "htmlfile", "/f")
        self.saved_path = d.env["PATH"]
        d.env["PATH"] = bin_dir + os.pathsep + self.saved_path
        faults = FaultFile(d, "form-fault")
        self.inject, self.log_lines = faults.inject, faults.log_lines
        self.app = Petariko(d, settings=settings_file(1, 2, 3, [("C:\\windows\\notepad.exe", "↑")]), exe=FAULTS_EXE)
        self.app.start(extra_env=faults.env)
        self.probe = ProbeSession(d)
        self.pid = next(w["pid"] for w in self.probe.survey()[0] if w["class"] == "PetarikoHost")
        self.tray = self.app.wait_tray_icon()

    def tearDown(self):
        self.desktop.env["PATH"] = self.saved_path
        super().tearDown()

    # --- the program's windows and its boxes ---------------------------------------------------
    def survey(self):
        """(the program's windows, every window, the program's process record, in which "windows"
        counts its windows, children included, but not the IME window the system makes for it)."""
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
        # A synced move to where the pointer already is would wait for a motion event that never
        # comes: step beside the point first.
        x, y = point
        self.desktop.xdotool("mousemove", x, y + 1)
        self.desktop.click(x, y)

    def key_to(self, title, key):
        ids = self.desktop.search(name="^" + title + "$")
        self.desktop.xdotool("windowfocus", "--sync", ids[-1], check=False)
        self.desktop.key(key)

    def outcome(self, opened, failed_text):
        """Waits for what the action opens (`opened`, a window predicate) or for the box that
        names its failure, which it answers. Returns "opened" or "failed"."""
        def look():
            own, windows, _ = self.survey()
            for w in own:
                if w["kind"] != "top" or not w["visible"]:
                    continue
                if w["text"] == ERROR:
                    texts = [c["text"] for c in windows if c.get("root") == w["hwnd"] and c["text"]]
                    self.assertTrue(any(failed_text in t for t in texts), f"{texts} names not {failed_text!r}")
                    return "failed"
                if opened(w):
                    return "opened"
            return None
        kind = wait_for(look, timeout=20, interval=0.1, what=f"the action or {failed_text!r}")
        if kind == "failed":
            self.key_to(ERROR, "Return")
            wait_for(lambda: not self.shown(text=ERROR), what="the box answered")
        return kind

    def open_screen(self):
        """Chooses 設定画面 in the tray icon's menu."""
        self.click_at(self.tray)
        menu = wait_for(lambda: self.shown(**{"class": "#32768"}), what="the menu")[0]
        self.click_at(self.app.menu_point(menu, 0))

    def control_centre(self, window_class, text):
        own, windows, _ = self.survey()
        top = next(w for w in own if w["kind"] == "top" and w["class"] == window_class and w["visible"])
        c = next(c for c in windows if c.get("root") == top["hwnd"] and c["text"] == text)
        return (c["left"] + c["right"]) // 2, (c["top"] + c["bottom"]) // 2

    # --- the actions: (prepare, act, undo), where act returns "opened" or "failed" ------------
    def open_screen_action(self):
        def act():
            self.open_screen()
            return self.outcome(lambda w: w["class"] == SCREEN, "設定画面を開けませんでした。")

        def undo():
            if self.shown(**{"class": SCREEN}):
                self.key_to("設定画面", "alt+F4")
                wait_for(lambda: not self.shown(**{"class": SCREEN}), what="the screen closed")
        return None, act, undo

    def screen_button_action(self, caption, opened, failed_text, close_key="Escape", prepare=None):
        def act():
            self.click_at(self.buttons[caption])
            return self.outcome(opened, failed_text)

        def undo():
            for w in self.shown():
                if w["class"] != SCREEN and w["class"] != "#32768":
                    self.key_to(w["text"], close_key)
                    wait_for(lambda: not self.shown(hwnd=w["hwnd"]), what=f"{w['text']} closed")
        return prepare, act, undo

    def nested_action(self, opener, window_class, caption, opened, failed_text):
        """An action inside a form that a screen button opens: the form opens without a fault."""
        def prepare():
            self.click_at(self.buttons[opener])
            wait_for(lambda: self.shown(**{"class": window_class}), what=f"{window_class} open")
            self.inner = self.control_centre(window_class, caption)

        def act():
            self.click_at(self.inner)
            return self.outcome(opened, failed_text)

        def undo():
            for w in self.shown():
                if w["class"] != SCREEN:
                    self.key_to(w["text"], "Escape")
                    wait_for(lambda: not self.shown(hwnd=w["hwnd"]), what=f"{w['text']} closed")
        return prepare, act, undo

    def dpi_action(self):
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
            send(96, *self.size)
            wait_for(lambda: width() == self.size[0], what="the screen back at 96 dpi")
        return None, act, undo

    def help_action(self):
        prepare, _, undo = self.nested_action("バージョン", ABOUT, "ヘルプ", None, None)

        def act():
            before = os.path.getsize(self.opened_log) if os.path.exists(self.opened_log) else 0
            self.click_at(self.inner)
            return self.outcome(lambda w: os.path.exists(self.opened_log) and os.path.getsize(self.opened_log) > before,
                                "help.html\r\nを開けませんでした。")
        return prepare, act, undo

    # --- the walk -----------------------------------------------------------------------------
    def run_once(self, action, fault):
        prepare, act, undo = action
        if prepare:
            prepare()
        mark = len(self.log_lines())
        self.inject(fault)
        kind = act()
        lines = self.log_lines()[mark:]
        self.inject("")
        undo()
        return kind, lines

    def walk(self, name, action, check):
        """Refuses each checked call of `action` in turn; `check` holds after every run."""
        self.run_once(action, "")  # the first run registers classes and loads what stays
        check()
        base = self.survey()[2]
        base_windows, base_gdi = base["windows"], base["gdi"]
        kind, lines = self.run_once(action, "")
        self.assertEqual(kind, "opened", f"{name} without a fault")
        calls = collections.Counter(line.split()[1] for line in lines if line.startswith("call "))
        fired = 0
        for operation, count in sorted(calls.items()):
            for nth in range(1, count + 1):
                kind, lines = self.run_once(action, f"{operation} {nth}")
                what = f"{name} with {operation} {nth} refused"
                if f"injected {operation} {nth}" in lines:
                    fired += 1
                    self.assertEqual(kind, "failed", f"{what}: no box named the failure")
                check()
                # Nothing of a half-made window is left: no window, hidden or not.
                wait_for(lambda: self.survey()[2]["windows"] == base_windows, timeout=5,
                         what=f"{what}: {base_windows} windows again, not {self.survey()[2]['windows']}: "
                              f"{[(w['class'], w['text'], w['visible']) for w in self.survey()[0]]}")
        gdi = self.survey()[2]["gdi"]
        total = sum(calls.values())
        self.report.append(f"{name}: {fired}/{total} calls refused in turn ({dict(calls)}); "
                           f"GDI objects {base_gdi} -> {gdi}")
        self.assertEqual(fired, total, self.report[-1])
        self.assertLessEqual(gdi, base_gdi + 8, f"{name} leaks GDI objects: {self.report[-1]}")

    def test_every_checked_call_of_the_forms_fails_in_turn_and_the_program_lives(self):
        started = time.monotonic()
        self.report = []

        def screen_gone():
            self.assertFalse([w for w in self.survey()[0] if w["class"] == SCREEN], "a settings screen is left")

        self.walk("opening the settings screen", self.open_screen_action(), screen_gone)

        # The screen open with an edit, which every action must leave in place.
        self.open_screen()
        screen = self.desktop.wait_window(**{"class": SCREEN, "visible": True})
        self.click(self.option(screen, "ペタリコ", "未使用"))
        wait_for(lambda: self.options(screen)[("ペタリコ", "未使用")][0], what="the edit")
        self.buttons = {c["text"]: ((c["left"] + c["right"]) // 2, (c["top"] + c["bottom"]) // 2)
                        for c in self.controls(screen) if c["text"] in ("追加", "編集", "削除", "バージョン")}
        listview = self.control(screen, "", "SysListView32")
        header = self.control(screen, "", "SysHeader32")
        self.buttons["row 1"] = (listview["left"] + 40, header["bottom"] + 6)
        self.size = (screen["right"] - screen["left"], screen["bottom"] - screen["top"])
        unused = self.option(screen, "ペタリコ", "未使用")["hwnd"]

        def screen_kept():
            own, windows, _ = self.survey()
            top = [w for w in own if w["class"] == SCREEN and w["visible"] and w["enabled"]]
            self.assertEqual(len(top), 1, "the settings screen is not open and usable")
            self.assertEqual(next(c for c in windows if c["hwnd"] == unused).get("checked"), 1, "the edit is lost")

        is_editor = (lambda w: w["class"] == EDITOR)
        self.walk("追加", self.screen_button_action("追加", is_editor, "ジェスチャ設定を開けませんでした。"), screen_kept)
        self.walk("編集", self.screen_button_action("編集", is_editor, "ジェスチャ設定を開けませんでした。"), screen_kept)
        self.walk("削除", self.screen_button_action("削除", lambda w: w["text"] == "確認", "削除", close_key="n",
                                                    prepare=lambda: self.click_at(self.buttons["row 1"])),
                  screen_kept)
        self.walk("バージョン", self.screen_button_action("バージョン", lambda w: w["class"] == ABOUT,
                                                          "バージョン情報を開けませんでした。"), screen_kept)
        self.walk("参照", self.nested_action("追加", EDITOR, "参照", lambda w: w["text"] == OPEN_DIALOG,
                                             "ファイルを選ぶ画面を開けませんでした。"), screen_kept)
        self.walk("ヘルプ", self.help_action(), screen_kept)
        self.walk("DPI change", self.dpi_action(), screen_kept)

        # The screen closes as usual, and the tray icon opens the next one.
        self.key_to("設定画面", "alt+F4")
        wait_for(lambda: not self.shown(**{"class": SCREEN}), what="the screen closed")
        self.open_screen()
        self.desktop.wait_window(**{"class": SCREEN, "visible": True})
        print(f"\nform fault walk ({time.monotonic() - started:.0f} s):\n  " + "\n  ".join(self.report))
