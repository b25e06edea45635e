"""Arrow gestures over the frozen screen and the programs they start, under Wine.

The started program is the record_args helper: what it records (command line, arguments, start
time) is what the tests judge.
"""
import json
import os
import shutil
import subprocess
import time
import unittest

from e2e_lib import HELPERS, DesktopTestCase, wait_for

RECORDER = os.path.join(HELPERS, "record_args.exe")


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
        argv = ["wine", os.path.join(HELPERS, "launch_line.exe"), self.desktop.windows_path(line_file),
                self.desktop.windows_path(out_file)] + (["wait"] if wait else [])
        done = subprocess.run(argv, env=self.recorder.env(**env), cwd=cwd or self.work,
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=120)
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


if __name__ == "__main__":
    unittest.main()
