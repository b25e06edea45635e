"""Start-up, the single instance, the tray icon and its menu, quitting, bad settings files, the zip."""
import os
import subprocess
import sys
import time
import struct
import unittest
import zipfile
import zlib

from e2e_lib import (BUILD, DEFAULT_SETTINGS, HELPERS, ON_WINDOWS, REPO, START_TIMEOUT, WINE_TRAY_CLASS,
                     DesktopTestCase, Petariko, wait_for, wine_only)


def settings_with(line, text):
    lines = [b" 1 ", b" 2 ", b" 3 "] + [b""] * 60
    lines[line - 1] = text
    return b"".join(l + b"\r\n" for l in lines)


class StartupTest(DesktopTestCase):

    def test_first_start_writes_the_default_file_and_shows_only_the_tray_icon_with_a_notification(self):
        app = Petariko(self.desktop)
        # The cursor away from where the icon comes: over it, the icon's tip would show as well.
        self.desktop.move(self.desktop.width // 2, self.desktop.height // 2)
        app.start()
        self.assertEqual(app.settings_bytes(), DEFAULT_SETTINGS)
        self.assertEqual(len(app.tray_icons()), 1)
        hosts = app.host_windows()
        self.assertEqual(len(hosts), 1)
        visible = [w for w in self.desktop.windows() if w["visible"] and w["pid"] == hosts[0]["pid"]]
        self.assertEqual(visible, [])
        # Wine's tray shows the icon's notification as a balloon tip just under its own window
        # (Windows shows it as a toast, which is no window of the desktop's).
        if not ON_WINDOWS:
            tray = self.desktop.find(**{"class": WINE_TRAY_CLASS})[0]
            note = self.desktop.wait_window(timeout=5, **{"class": "tooltips_class32", "visible": True})
            self.assertEqual(note["text"].split("\n"), [
                "左ボタンを押したまま、マウスを動かさずに少し待つと、画面を切り取れます。",
                "右ボタンでは、同じようにしてアロージェスチャが使えます。",
                "メニューは、このアイコンを押すと開きます。"])
            self.assertTrue(tray["top"] < note["top"] < tray["bottom"] and note["right"] <= self.desktop.width, note)
        self.screenshot("tray")

        # A later start, with the file there, says nothing.
        self.desktop.end_programs()
        app.start()
        time.sleep(2)
        self.assertEqual(self.desktop.find(**{"class": "tooltips_class32", "visible": True}), [])

    def test_second_start_ends_at_once_and_one_icon_remains(self):
        app = Petariko(self.desktop)
        app.start()
        second = self.desktop.spawn(app.exe)
        wait_for(lambda: second.poll() is not None, timeout=10, what="the second instance to end")
        self.assertEqual(second.returncode, 0)
        time.sleep(0.5)
        self.assertEqual(len(app.tray_icons()), 1)
        self.assertEqual(len(app.host_windows()), 1)
        self.assertIsNone(app.process.poll())

    def test_existing_file_is_read_and_left_alone(self):
        settings = settings_with(4, "C:\\Program Files\\メモ帳.exe".encode("cp932"))
        app = Petariko(self.desktop, settings=settings)
        app.start()
        self.assertEqual(app.settings_bytes(), settings)


class TrayMenuTest(DesktopTestCase):

    def test_left_and_right_press_open_the_menu(self):
        d = self.desktop
        # The click elsewhere lands on a Wine window: on the bare X root, Wine sees the press that
        # closes the menu (its grab) but never the release, and the watcher would count a hold.
        d.spawn(os.path.join(HELPERS, "pattern.exe"), str(500 - d.offset[0]), str(500 - d.offset[1]), "200", "200")
        wait_for(lambda: d.find(text="pattern", visible=True), timeout=30, what="the pattern window")
        app = Petariko(d)
        app.start()
        for button in (1, 3):
            menu = app.open_menu(button)
            # Six entries: four items and two separators.
            self.assertGreater(menu["bottom"] - menu["top"], 90)
            self.screenshot(f"menu-button{button}")
            d.click(600, 600)  # a click elsewhere closes it, and is no hold
            d.wait_no_window(**{"class": "#32768", "visible": True})
            time.sleep(0.6)
            self.assertEqual(d.find(**{"class": "PetarikoCanvas", "visible": True}), [])

    def test_middle_press_and_hover_open_nothing(self):
        app = Petariko(self.desktop)
        app.start()
        x, y = app.wait_tray_icon()
        self.desktop.move(x, y)
        self.desktop.move(x + 2, y + 1)
        self.desktop.click(x, y, 2)
        time.sleep(1.0)
        self.assertEqual(self.desktop.find(**{"class": "#32768", "visible": True}), [])

    def test_quit_asks_and_no_keeps_running_yes_ends_and_removes_the_icon(self):
        app = Petariko(self.desktop)
        app.start()
        app.choose(app.open_menu(1), 3)
        box, children = app.message("確認")
        texts = [c["text"] for c in children]
        self.assertIn("ペタリコを終了します。よろしいですか？", texts)
        self.assertTrue(any(t.startswith("はい") for t in texts) and any(t.startswith("いいえ") for t in texts))
        self.assertFalse(any(c.get("has_icon") for c in children),
                         "the question must have no icon")
        self.screenshot("question")
        app.answer("確認", "n")
        self.desktop.wait_no_window(text="確認", visible=True)
        time.sleep(0.5)
        self.assertIsNone(app.process.poll())
        self.assertEqual(len(app.tray_icons()), 1)

        app.choose(app.open_menu(3), 3)
        app.answer("確認", "y")
        self.assertEqual(app.wait_exit(), 0)
        wait_for(lambda: not app.tray_icons(), timeout=5, what="the tray icon to go")


class BadSettingsFileTest(DesktopTestCase):

    CASES = {
        "too_few_lines": (DEFAULT_SETTINGS[:-2], "62 行しかありません"),
        "not_an_integer": (settings_with(2, b"right"), "2 行目：整数ではありません。"),
        "hold_time_beyond_16_bits": (settings_with(3, b" 40000 "), "3 行目：値が大きすぎるか小さすぎます。"),
        "bytes_valid_neither_in_cp932_nor_in_utf8": (
            settings_with(4, b"C:\\\x85\x40.exe"),
            "4 行目：システムの文字コードとしても UTF-8 としても読めない文字があります。"),
    }

    def check_refused(self, app, expected_fragment):
        app.start(wait_tray=False)
        box, children = app.message("エラー", timeout=START_TIMEOUT)
        text = "\n".join(c["text"] for c in children if c["class"] == "Static")
        self.assertIn("settei.txt", text)
        self.assertIn(expected_fragment, text)
        self.screenshot("message")
        self.assertEqual(app.tray_icons(), [])
        app.answer("エラー", "Return")
        self.assertNotEqual(app.wait_exit(), 0)
        self.assertEqual(app.tray_icons(), [])

    def test_each_bad_file_ends_start_up_with_one_message_and_is_left_unchanged(self):
        for name, (content, fragment) in self.CASES.items():
            with self.subTest(name):
                app = Petariko(self.desktop, settings=content, name=name)
                self.check_refused(app, fragment)
                self.assertEqual(app.settings_bytes(), content)
                self.desktop.end_programs()

    def test_unreadable_file(self):
        app = Petariko(self.desktop, name="unreadable")
        os.mkdir(app.settings_path)  # a folder where the file should be
        self.check_refused(app, "ファイルを開けません。")
        self.assertTrue(os.path.isdir(app.settings_path))


def package(build_dir, dist):
    """Runs scripts/package; the zip's path and the SHA-256 it printed. Its compilers yield to the
    desktops beside it, whose waits would otherwise run out on a starved Wine."""
    out = subprocess.run(["nice", "-n", "19", sys.executable, os.path.join(REPO, "scripts", "package"), "--build-dir", build_dir,
                          "--dist", dist], check=True, capture_output=True, text=True, timeout=1800).stdout
    sha, path = out.splitlines()[-1].split("  ", 1)
    return path, sha


@wine_only("the release zip is made by the Debian cross build")
class PackageTest(DesktopTestCase):
    SIDE_BY_SIDE = True  # its release build runs while the other parts' Wine waits

    def test_zip_is_the_same_from_two_build_folders_and_runs_where_it_is_unzipped(self):
        # The release folder and the suite's own build: two builds of one source, in two places.
        dist = os.path.join(self.desktop.root, "dist")
        path, sha = package(os.path.join(REPO, "build", "release"), os.path.join(dist, "1"))
        self.assertEqual(package(BUILD, os.path.join(dist, "2"))[1], sha)
        unzipped = os.path.join(self.desktop.root, "ユーザー フォルダー")
        with zipfile.ZipFile(path) as z:
            self.assertEqual(z.namelist(), ["petariko-1.0/"] + ["petariko-1.0/" + name for name in (
                "petariko.exe", "help.html", "お読みください.txt", "LICENSE")])
            read_me, exe = z.read("petariko-1.0/お読みください.txt"), z.read("petariko-1.0/petariko.exe")
            z.extractall(unzipped)
        self.assertTrue(read_me.startswith(b"\xef\xbb\xbf"))
        self.assertNotIn(b"\n", read_me.replace(b"\r\n", b""))
        for key, value in {"FileDescription": "ペタリコ", "ProductName": "ペタリコ", "FileVersion": "1.0",
                           "LegalCopyright": "Copyright (c) The Petariko authors"}.items():
            # A version string: its UTF-16 key, a NUL, padding to 32 bits, then the value.
            key, value = key.encode("utf-16-le") + b"\0\0", value.encode("utf-16-le") + b"\0\0"
            self.assertTrue(key + value in exe or key + b"\0\0" + value in exe, key)
        # The symbols stay beside the zip, the same from both builds, and the program names them:
        # the file name, NUL-padded to 32 bits, then the file's CRC-32.
        with open(os.path.join(dist, "1", "petariko-1.0.debug"), "rb") as f:
            symbols = f.read()
        with open(os.path.join(dist, "2", "petariko-1.0.debug"), "rb") as f:
            self.assertEqual(f.read(), symbols)
        link = exe.index(b"petariko-1.0.debug\0")
        self.assertEqual(exe[link + 20:link + 24], struct.pack("<I", zlib.crc32(symbols)))

        app = Petariko(self.desktop, directory=os.path.join(unzipped, "petariko-1.0"))
        app.start()
        self.assertEqual(len(app.tray_icons()), 1)
        self.assertEqual(app.settings_bytes(), DEFAULT_SETTINGS)
        self.screenshot("tray")


if __name__ == "__main__":
    unittest.main()
