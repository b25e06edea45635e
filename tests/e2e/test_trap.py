"""The error trap: a failure that nothing handles gives the screen back first, has its report
written, tells the user where it is and ends the program, whatever the program was showing."""
import glob
import os
import subprocess
import sys
import time
import unittest

from e2e_lib import DEFAULT_SETTINGS, FAULTS_EXE, FaultFile, REPO, Petariko, wait_for
from test_settings import SCREEN, SettingsScreenCase

TRACE = [(150, 150), (300, 170)]  # clear of the message, which is centred
# (what is up when it fails, the fault file's order, lines the report must hold)
CASES = [
    ("start-up", "SetTimer 1", ["Operation: SetTimer", "Error: 8 "]),
    ("frozen screen", "raise access-violation", ["Structured exception: 0xC0000005 at petariko.exe+0x"]),
    ("frozen screen", "raise stack-overflow", ["Structured exception: 0xC00000FD at petariko.exe+0x"]),
    ("frozen screen", "raise unknown-exception", ["Exception: petariko::(anonymous namespace)::UnexpectedFailure"]),
    ("frozen screen", "raise heap-corruption", ["Structured exception: 0xC0000374\r\n"]),  # outside the program
    ("settings screen", "raise access-violation", ["Structured exception: 0xC0000005 at petariko.exe+0x"]),
    ("settings screen", "raise stack-overflow", ["Structured exception: 0xC00000FD at petariko.exe+0x"]),
    ("settings screen", "raise unknown-exception", ["Exception: petariko::(anonymous namespace)::UnexpectedFailure"]),
]


class ErrorTrapTest(SettingsScreenCase):

    def setUp(self):
        d = self.desktop
        # Presses are seen over Wine windows only.
        d.show_pattern()
        self.faults = FaultFile(d)
        self.reports = os.path.join(d.root, "prefix", "drive_c", "users", "*", "AppData", "Local", "Petariko",
                                    "crash", "*.txt")

    def provoke(self, situation, order):
        """Starts the test build, brings `situation` about and orders the failure. Returns the
        program and what the user could still click: the settings screen's ＯＫ."""
        d = self.desktop
        app = Petariko(d, settings=DEFAULT_SETTINGS, name="trap", exe=FAULTS_EXE)
        self.faults.inject(order if situation == "start-up" else "")
        app.start(wait_tray=situation != "start-up", extra_env=self.faults.env)
        ok = None
        if situation == "frozen screen":
            d.move(*TRACE[0])
            d.press(1)
            d.wait_window(**{"class": "PetarikoCanvas", "visible": True})
            d.move(*TRACE[1])
            middle = self.middle()
            wait_for(lambda: d.screenshot().pixel(*middle) != self.before.pixel(*middle), what="the traced line")
        elif situation == "settings screen":
            screen = self.open_screen(app)
            self.click(self.option(screen, "ペタリコ", "中"))
            wait_for(lambda: self.options(screen)[("ペタリコ", "中")][0], what="cut-out 中 selected")
            ok = self.control(screen, "ＯＫ")
        self.faults.inject(order)
        return app, ok

    @staticmethod
    def middle():
        return (TRACE[0][0] + TRACE[1][0]) // 2, (TRACE[0][1] + TRACE[1][1]) // 2

    def check_trap(self, situation, order, expected):
        d = self.desktop
        earlier = set(glob.glob(self.reports))
        app, ok = self.provoke(situation, order)
        # Wine's dbghelp can take a minute over the minidump on a busy machine (Windows' takes well
        # under a second).
        box, children = app.message("ペタリコのエラー", timeout=150)
        lines = next(c["text"] for c in children if c["text"].startswith("エラー")).split("\r\n")
        self.assertEqual(lines[:4], ["エラーが発生しました。", "ペタリコを強制終了します。", "",
                                     "エラーの報告を次のフォルダーに保存しました。"])
        self.assertRegex(lines[4], r"^C:\\users\\[^\\]+\\AppData\\Local\\Petariko\\crash$")
        # The screen was given back before the report: no frozen screen, no icon, nothing to click.
        self.assertEqual(app.tray_icons(), [])
        self.assertFalse(d.find(**{"class": "PetarikoCanvas", "visible": True}))
        icons_left = 0
        if situation == "start-up":
            # The broken process let the single-instance mutex go with the screen: a new start runs
            # while its box still waits.
            Petariko(d, settings=DEFAULT_SETTINGS, name="again").start()
            icons_left = 1
        if situation == "frozen screen":
            d.release(1)
            # The traced line crossed this point on the frozen screen; the screen shows there again.
            self.assertEqual(self.screenshot(order.split()[-1]).pixel(*self.middle()), self.before.pixel(*self.middle()))
        if ok:
            x, y = (ok["left"] + ok["right"]) // 2, (ok["top"] + ok["bottom"]) // 2
            self.assertFalse(box["left"] <= x < box["right"] and box["top"] <= y < box["bottom"], "ＯＫ under the box")
            self.screenshot(order.split()[-1] + "-settings")
            self.desktop.click(x, y)
            time.sleep(1.0)
            self.assertEqual(app.settings_bytes(), DEFAULT_SETTINGS)
            self.assertTrue(d.find(**{"class": SCREEN, "visible": True, "enabled": False}))
        app.answer("ペタリコのエラー", "Return")
        self.assertEqual(app.wait_exit(), 1)
        self.assertEqual(len(app.tray_icons()), icons_left)
        self.assertEqual(app.settings_bytes(), DEFAULT_SETTINGS)

        [report] = set(glob.glob(self.reports)) - earlier
        self.assertEqual(os.path.dirname(report), os.path.join(d.root, "prefix", "drive_c", *lines[4][3:].split("\\")))
        with open(report, encoding="utf-8-sig", newline="") as f:
            text = f.read()
        for line in ["Version: 1.0"] + expected:
            self.assertIn("\n" + line, text)
        dump = report[:-4] + ".dmp"
        self.assertIn("\nMinidump: " + os.path.basename(dump) + "\r\n", text)
        with open(dump, "rb") as f:
            self.assertEqual(f.read(4), b"MDMP")
        return report

    def test_each_failure_gives_the_screen_back_writes_its_report_and_ends_the_program(self):
        self.before = self.desktop.screenshot()
        for situation, order, expected in CASES:
            with self.subTest(situation=situation, order=order):
                report = self.check_trap(situation, order, expected)
                if situation == "start-up":
                    # With that build's symbols, the stack leads to the failed call in start-up.
                    named = subprocess.run([sys.executable, os.path.join(REPO, "scripts", "read-crash"), report,
                                            os.path.join(os.path.dirname(FAULTS_EXE), "petariko-1.0.debug")],
                                           capture_output=True, text=True, check=True).stdout
                    self.assertIn("petariko::App::Start(bool) at ./src/app/app_win32.cpp:", named)
            self.desktop.release(1)
            self.desktop.end_programs()
            self.setUp()


if __name__ == "__main__":
    unittest.main()
