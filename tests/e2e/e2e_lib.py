"""End-to-end harness: the real petariko.exe on a desktop, pressed, read and looked at through the
probe helper, a Windows program that uses the system's own calls (SendInput, a copy of the screen,
the clipboard, the shell's icon place, a menu's item places, an OLE drop).

Under Linux a `Desktop` is a private Xvfb with its own Wine prefix; X11 only starts it, and Wine's
own quirks stay in the few places marked "Wine:". On Windows it is the signed-in user's desktop.
Each test gets a fresh program directory through `Desktop.install()`. Everything the harness
starts it also ends: under Wine with `wineserver -k` on its own prefix, on Windows through a job
object that holds the processes it started and theirs.
"""
import atexit
import contextlib
import ctypes
import json
import os
import queue
import shutil
import subprocess
import tempfile
import threading
import time
import unittest
import zlib
import struct

REPO = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
BUILD = os.environ.get("PETARIKO_BUILD", os.path.join(REPO, "build", "windows"))
EXE = os.path.join(BUILD, "petariko.exe")
# The same program built to make chosen checked Windows calls fail, for the fault walk.
FAULTS_EXE = os.path.join(BUILD, "faults", "petariko.exe")
HELPERS = os.path.join(BUILD, "e2e-helpers")
ARTIFACTS = os.environ.get("PETARIKO_E2E_ARTIFACTS", os.path.join(REPO, "build", "e2e"))
ON_WINDOWS = os.name == "nt"

# Wine: with no shell to tell an icon's place, its icons sit in this window of its own.
WINE_TRAY_CLASS = "__winex11_standalone_tray"
# Virtual-key codes of the key names the cases use; a single letter or digit is its own code.
KEY_CODES = {"ctrl": 0x11, "shift": 0x10, "alt": 0x12, "Escape": 0x1B, "Return": 0x0D, "Tab": 0x09,
             "space": 0x20, "Delete": 0x2E, "Home": 0x24, "End": 0x23, "Left": 0x25, "Up": 0x26,
             "Right": 0x27, "Down": 0x28, "F4": 0x73}
# settei.txt as the program writes it at its first start; a test that brings it along starts
# without the first start's notification over the screen.
TRAY_ICON_ID = 1  # the uID of the program's icon
DEFAULT_SETTINGS = b" 1 \r\n 2 \r\n 3 \r\n" + b"\r\n" * 60
SAVE_DIALOG = "名前を付けて保存"
PATTERN_TOP = 60  # the pattern window's top: the rows above stay free for Wine's tray window
# How long the first window of a start may take: a start after the prefix's processes ended starts
# Wine's desktop and tray first, which busy desktops on two cores can hold back well past the usual
# few seconds.
START_TIMEOUT = 45


def shown_cutouts(windows, screen_width):
    """The cut-out windows among `windows` that are up: shaped and narrower than the screen, since
    the frozen screen takes its shape a moment before it moves to the piece's place."""
    return [w for w in windows if w["class"] == "PetarikoCanvas" and w["visible"] and "region" in w
            and w["right"] - w["left"] < screen_width]


def rect(window):
    """A window record's rectangle: (left, top, right, bottom)."""
    return window["left"], window["top"], window["right"], window["bottom"]


def wait_for(predicate, timeout=10.0, interval=0.05, what="condition"):
    """Polls until predicate() returns a truthy value, which is returned."""
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() > deadline:
            raise AssertionError(f"timed out after {timeout} s waiting for {what}")
        time.sleep(interval)


def eventually(check, timeout=10.0, interval=0.2):
    """Retries an assertion until it holds, for what shows a moment after an action (a repaint),
    which a loaded machine delays; at the timeout the last failure is raised as it stood."""
    deadline = time.monotonic() + timeout
    while True:
        try:
            return check()
        except AssertionError:
            if time.monotonic() > deadline:
                raise
        time.sleep(interval)


class Image:
    """An RGB screenshot: width, height and packed bytes."""

    def __init__(self, width, height, data):
        self.width, self.height, self.data = width, height, data

    def pixel(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.data[i:i + 3])

    def crop(self, left, top, width, height):
        rows = []
        for y in range(top, top + height):
            i = (y * self.width + left) * 3
            rows.append(self.data[i:i + width * 3])
        return Image(width, height, b"".join(rows))

    def save_png(self, path):
        os.makedirs(os.path.dirname(path), exist_ok=True)
        raw = b"".join(b"\x00" + self.data[y * self.width * 3:(y + 1) * self.width * 3] for y in range(self.height))

        def chunk(kind, body):
            return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF)

        png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", self.width, self.height, 8, 2, 0, 0, 0))
        png += chunk(b"IDAT", zlib.compress(raw, 6)) + chunk(b"IEND", b"")
        with open(path, "wb") as f:
            f.write(png)


def read_bmp(path):
    """Reads an uncompressed 4-, 24- or 32-bit BMP into an Image (top row first)."""
    with open(path, "rb") as f:
        data = f.read()
    assert data[:2] == b"BM", "not a BMP file"
    offset = struct.unpack_from("<I", data, 10)[0]
    width, height, _, bits, compression = struct.unpack_from("<iiHHI", data, 18)
    assert compression in (0, 3), f"compressed BMP ({compression})"
    assert bits in (4, 24, 32), f"{bits}-bit BMP"
    bottom_up = height > 0
    height = abs(height)
    stride = (width * bits + 31) // 32 * 4
    palette = data[14 + struct.unpack_from("<I", data, 14)[0]:offset]
    rows = []
    for y in range(height):
        line = data[offset + (height - 1 - y if bottom_up else y) * stride:][:stride]
        if bits == 4:
            indices = [line[x // 2] >> 4 if x % 2 == 0 else line[x // 2] & 15 for x in range(width)]
            rows.append(b"".join(bytes(palette[i * 4:i * 4 + 3][::-1]) for i in indices))
        else:
            step = bits // 8
            rows.append(b"".join(bytes(line[i:i + 3][::-1]) for i in range(0, width * step, step)))
    return Image(width, height, b"".join(rows))


def read_png(data):
    """Decodes an 8-bit RGBA PNG (not interlaced) into (width, height, RGBA bytes)."""
    at, idat = 8, b""
    while at < len(data):
        length, kind = struct.unpack_from(">I4s", data, at)
        if kind == b"IHDR":
            width, height, depth, colour, _, _, interlace = struct.unpack_from(">IIBBBBB", data, at + 8)
            assert (depth, colour, interlace) == (8, 6, 0), f"PNG depth {depth}, colour {colour}"
        idat += data[at + 8:at + 8 + length] if kind == b"IDAT" else b""
        at += 12 + length
    raw, stride, out, previous = zlib.decompress(idat), width * 4, bytearray(), bytearray(width * 4)
    for y in range(height):
        kind, line = raw[y * (stride + 1)], bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a, b, c = line[i - 4] if i >= 4 else 0, previous[i], previous[i - 4] if i >= 4 else 0
            p = a + b - c
            paeth = a if abs(p - a) <= abs(p - b) and abs(p - a) <= abs(p - c) else b if abs(p - b) <= abs(p - c) else c
            line[i] = (line[i] + (0, a, b, (a + b) // 2, paeth)[kind]) & 0xFF
        out += line
        previous = line
    return width, height, bytes(out)


class FaultFile:
    """The test build's fault file, which names the checked call to refuse next ("operation nth")
    or a failure to raise ("raise KIND"), and its log of the calls made and refused."""

    def __init__(self, desktop, name="fault"):
        self.path = os.path.join(desktop.root, name + ".txt")
        self.log = os.path.join(desktop.root, name + ".log")
        self.orders = 0
        self.inject("")
        self.env = {"PETARIKO_FAULT_FILE": desktop.windows_path(self.path),
                    "PETARIKO_FAULT_LOG": desktop.windows_path(self.log)}

    def inject(self, fault):
        # Each order is new, counted from its first call on, even when it repeats the last one.
        self.orders += 1
        with open(self.path, "w") as f:
            f.write(f"# order {self.orders}\n{fault}")

    def log_lines(self):
        if not os.path.exists(self.log):
            return []
        with open(self.log) as f:
            return f.read().splitlines()


class Desktop:
    """A desktop with the program's surroundings: under Linux a private X server with a Wine prefix
    on it, on Windows the signed-in user's desktop.

    Places are in screen-picture coordinates: (0, 0) is the virtual screen's top-left corner, and
    `offset` is where Windows' (0, 0) lies: picture = Windows + offset. Under Linux, with `heads`
    (X rectangles (x, y, width, height), the first one Wine's primary monitor) the Xvfb only
    carries a nested Xephyr with those Xinerama heads, which Wine sees as monitors; with `dpi` the
    prefix runs at that scale (192 is 200 %) for every program started on it.
    """

    def __init__(self, width=1024, height=768, name="e2e", heads=None, dpi=None):
        self.heads = heads
        self.dpi = dpi
        if heads:
            width = max(x + w for x, _, w, _ in heads)
            height = max(y + h for _, y, _, h in heads)
        self.width, self.height = width, height
        self.offset = (0, 0)
        self.root = tempfile.mkdtemp(prefix=f"petariko-{name}-", dir=os.environ.get("PETARIKO_E2E_TMP"))
        self.xvfb = None
        self.nested = None
        self.display = None
        self.env = None
        self.processes = []
        self.probe = None  # the probe helper, started at the first ask
        self.job = _Job() if ON_WINDOWS else None

    # --- life cycle -------------------------------------------------------------------
    @staticmethod
    def _x_server(argv, env=None):
        """Starts an X server that picks its own display number; returns (process, display)."""
        read_fd, write_fd = os.pipe()
        process = subprocess.Popen(argv[:1] + ["-displayfd", str(write_fd)] + argv[1:], env=env,
                                   pass_fds=(write_fd,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_fd)
        with os.fdopen(read_fd) as f:
            return process, ":" + f.readline().strip()

    def start(self):
        if ON_WINDOWS:
            self.env = dict(os.environ)
        else:
            self._start_wine()
        screen = self.ask("screen")[0]
        self.offset = (-screen["left"], -screen["top"])
        self.width, self.height = screen["right"] - screen["left"], screen["bottom"] - screen["top"]
        return self

    def _start_wine(self):
        self.xvfb, self.display = self._x_server(
            ["Xvfb", "-screen", "0", f"{self.width + 64}x{self.height + 32}x24" if self.heads
             else f"{self.width}x{self.height}x24", "-nolisten", "tcp", "-noreset"])
        if self.heads:
            heads = []
            for x, y, w, h in self.heads:
                heads += ["-origin", f"{x},{y}", "-screen", f"{w}x{h}"]
            # RandR off: Wine then takes the monitors from Xinerama.
            self.nested, self.display = self._x_server(
                ["Xephyr", *heads, "+xinerama", "-extension", "RANDR", "-nolisten", "tcp", "-noreset"],
                env=dict(os.environ, DISPLAY=self.display))
        home = os.path.join(self.root, "home")
        tmp = os.path.join(self.root, "tmp")
        os.makedirs(home)
        os.makedirs(tmp)
        self.env = dict(os.environ)
        self.env.update({
            "DISPLAY": self.display, "WINEDEBUG": "-all", "WINEARCH": "win64",
            "WINEDLLOVERRIDES": "mscoree,mshtml=;winemenubuilder.exe=d",
            "HOME": home, "TMPDIR": tmp, "WINEPREFIX": os.path.join(self.root, "prefix"),
            "LANG": "ja_JP.UTF-8", "LC_ALL": "ja_JP.UTF-8",
        })
        self.env.pop("WAYLAND_DISPLAY", None)
        self.wine("wineboot", "-i")
        self.run_quiet(["wineserver", "-w"])
        # Without a window manager every hide of a managed window stalls for about 2 s.
        self.wine("reg", "add", r"HKCU\Software\Wine\X11 Driver", "/v", "Managed", "/d", "N", "/f")
        if self.dpi:
            self.wine("reg", "add", r"HKCU\Control Panel\Desktop", "/v", "LogPixels", "/t", "REG_DWORD", "/d",
                      str(self.dpi), "/f")
        self.run_quiet(["wineserver", "-w"])
        self.run_quiet(["xsetroot", "-solid", "#204060"], check=False)

    def stop(self):
        with contextlib.suppress(Exception):
            self.end_programs()
        for server in (self.nested, self.xvfb):
            if server:
                server.terminate()
                with contextlib.suppress(subprocess.TimeoutExpired):
                    server.wait(5)
                if server.poll() is None:
                    server.kill()
        shutil.rmtree(self.root, ignore_errors=True)

    def end_programs(self):
        """Ends every process this desktop started, and the ones they started (and only those)."""
        if ON_WINDOWS:
            self.job.end()
        else:
            self.run_quiet(["wineserver", "-k"], check=False)
            self.run_quiet(["wineserver", "-w"], check=False)
        for process in self.processes:
            with contextlib.suppress(subprocess.TimeoutExpired):
                process.wait(5)
        self.processes = []
        self.probe = None

    # --- processes --------------------------------------------------------------------
    def run_quiet(self, argv, check=True, timeout=120, env=None, cwd=None):
        return subprocess.run(argv, env=env or self.env, cwd=cwd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                              check=check, timeout=timeout)

    def wine(self, *args, **options):
        """Runs a Windows program to its end (under Wine, through `wine`); options as run_quiet's."""
        return self.run_quiet(list(args) if ON_WINDOWS else ["wine", *args], **options)

    def spawn(self, windows_exe, *args, cwd=None, extra_env=None, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
              stderr=subprocess.DEVNULL):
        process = subprocess.Popen([windows_exe, *args] if ON_WINDOWS else ["wine", windows_exe, *args],
                                   env=dict(self.env, **(extra_env or {})), cwd=cwd, stdin=stdin, stdout=stdout,
                                   stderr=stderr)
        if self.job:
            self.job.add(process)
        self.processes.append(process)
        return process

    def show_pattern(self, extra_env=None):
        """Shows the pattern helper over the whole desktop below PATTERN_TOP: a known picture to
        cut out (under Wine also a Wine window, where X presses are seen)."""
        self.spawn(os.path.join(HELPERS, "pattern.exe"), str(-self.offset[0]), str(PATTERN_TOP - self.offset[1]),
                   str(self.width), str(self.height - PATTERN_TOP), extra_env=extra_env)
        wait_for(lambda: self.find(text="pattern", visible=True), timeout=30, what="the pattern window")

    def windows_path(self, path):
        return os.path.abspath(path) if ON_WINDOWS else "Z:" + os.path.abspath(path).replace("/", "\\")

    def install(self, name="app", settings=None, exe=EXE):
        """A fresh program directory holding petariko.exe and help.html (and settings bytes)."""
        os.makedirs(os.path.join(self.root, "programs"), exist_ok=True)
        directory = tempfile.mkdtemp(prefix=name + "-", dir=os.path.join(self.root, "programs"))
        shutil.copy(exe, directory)
        shutil.copy(os.path.join(BUILD, "help.html"), directory)
        if settings is not None:
            with open(os.path.join(directory, "settei.txt"), "wb") as f:
                f.write(settings)
        return directory

    # --- hands: the mouse and the keys, through SendInput ------------------------------
    def ask(self, command):
        """The probe's records for one command; a probe that ended (a window destroyed while it
        walked the list can end it) is started again."""
        for attempt in range(3):
            if self.probe is None or self.probe.process.poll() is not None:
                self.probe = ProbeSession(self)
            try:
                return self.probe.ask(command)
            except (AssertionError, OSError):
                self.probe = None
                if attempt == 2:
                    raise

    def _windows_point(self, x, y):
        return x - self.offset[0], y - self.offset[1]

    def centre(self, window):
        """The picture point in the middle of a rectangle in Windows coordinates (a window record)."""
        left, top, right, bottom = rect(window)
        return (left + right) // 2 + self.offset[0], (top + bottom) // 2 + self.offset[1]

    def move(self, x, y):
        at = self.ask("move %d %d" % self._windows_point(x, y))[0]
        assert (at["x"], at["y"]) == self._windows_point(x, y), f"the cursor went to {at}, not {(x, y)}"

    def press(self, button=1):
        self.ask(f"down {button}")

    def release(self, button=1):
        self.ask(f"up {button}")

    def click(self, x=None, y=None, button=1, times=1, delay=0.08):
        """Clicks at (x, y), or where the cursor is; times=2 is a double-click."""
        if x is not None:
            self.move(x, y)
        for n in range(times):
            if n:
                time.sleep(delay)
            self.ask(f"down {button}")
            self.ask(f"up {button}")

    def wheel(self, notches, delay=0.12):
        """Turns the wheel by notches, away from the user when positive, one notch at a time."""
        for n in range(abs(notches)):
            if n:
                time.sleep(delay)
            self.ask(f"wheel {1 if notches > 0 else -1}")

    def let_go(self):
        """Lets go of every button a test may have left down, and the modifiers: the desktop keeps
        them down for the next test, whose clicks would then be drags."""
        if self.probe is None or self.probe.process.poll() is not None:
            return  # nothing pressed since the programs last ended, which under Wine lets go of all
        held = self.probe.survey()[2]
        for name, button in (("left", 1), ("middle", 2), ("right", 3)):
            if name in held:
                self.release(button)
        self.key_up("ctrl", "shift", "alt")

    @staticmethod
    def _code(name):
        return KEY_CODES.get(name) or ord(name.upper())

    def key_down(self, *names):
        self.ask("keys " + " ".join(f"+{self._code(n)}" for n in names))

    def key_up(self, *names):
        self.ask("keys " + " ".join(f"-{self._code(n)}" for n in names))

    def key(self, *keys):
        """Presses and lets go of each key, "ctrl+a" with its modifiers held."""
        for combination in keys:
            names = combination.split("+")
            self.ask("keys " + " ".join([f"+{self._code(n)}" for n in names]
                                        + [f"-{self._code(n)}" for n in reversed(names)]))

    def type_text(self, text):
        self.ask("type " + text)

    def focus(self, window):
        """Brings a window (a record of windows()) to the foreground, where the keys go."""
        return self.ask(f"focus {window['hwnd']}")[0]["foreground"]

    def raise_window(self, window):
        self.ask(f"raise {window['hwnd']}")

    # --- eyes: the screen, the windows, the clipboard --------------------------------------
    def screenshot(self, save_as=None):
        path = os.path.join(self.root, "screen.rgb")
        assert self.ask("picture " + self.windows_path(path))[0]["written"], "no picture of the screen"
        with open(path, "rb") as f:
            image = Image(self.width, self.height, f.read())
        if save_as:
            image.save_png(os.path.join(ARTIFACTS, save_as))
        return image

    def clipboard(self, format_name):
        """The bytes of a clipboard format (a registered name or a CF_ number), b"" when there are none."""
        path = os.path.join(self.root, "clipboard.bin")
        if self.ask(f"clipboard {format_name} {self.windows_path(path)}")[0]["size"] < 0:
            return b""
        with open(path, "rb") as f:
            return f.read()

    def empty_clipboard(self):
        assert self.ask("clipboard-empty")[0]["emptied"], "the clipboard stayed busy"

    def clipboard_bitmap(self):
        """The clipboard's CF_BITMAP as a Windows reader gets it: {width, height, bottom_left: [r, g, b]},
        or {} when there is none."""
        record = self.ask("clipboard-bitmap")[0]
        record.pop("kind")
        return record

    def drop_files(self, window, x, y, paths):
        """Drags files over a window (a record of windows()) to (x, y) and drops them there;
        True when it was dropped."""
        if ON_WINDOWS:
            wx, wy = self._windows_point(x, y)
            return self.ask(f"drop {wx} {wy} " + "\t".join(paths))[0]["dropped"]
        # Wine: its OLE drag delivers no drop to a window that takes files by WM_DROPFILES; Wine
        # turns an X drop on the window's X window into one.
        import xdnd
        return xdnd.drop_files(self.display, window["x11"], x, y, paths)

    def windows(self):
        """Every window of the desktop, from the probe helper kept running: a list of dicts."""
        return [r for r in self.ask("survey") if r["kind"] in ("top", "child")]

    def find(self, predicate=None, **fields):
        """Windows whose fields equal the given values (and that satisfy predicate)."""
        return [w for w in self.windows()
                if all(w.get(k) == v for k, v in fields.items()) and (predicate is None or predicate(w))]

    def wait_window(self, timeout=15, **fields):
        return wait_for(lambda: self.find(**fields), timeout=timeout, interval=0.2, what=f"window {fields}")[0]

    def wait_no_window(self, timeout=15, **fields):
        wait_for(lambda: not self.find(**fields), timeout=timeout, interval=0.2, what=f"no window {fields}")


class _Job:
    """Windows: a job object that holds the processes the tests start and the ones those start,
    so that they end together, as `wineserver -k` ends a prefix's."""

    def __init__(self):
        self.kernel32 = ctypes.WinDLL("kernel32", use_last_error=True)
        self.kernel32.CreateJobObjectW.restype = ctypes.c_void_p
        self.kernel32.AssignProcessToJobObject.argtypes = [ctypes.c_void_p, ctypes.c_void_p]
        self.kernel32.TerminateJobObject.argtypes = [ctypes.c_void_p, ctypes.c_uint]
        self.handle = self.kernel32.CreateJobObjectW(None, None)

    def add(self, process):
        self.kernel32.AssignProcessToJobObject(self.handle, int(process._handle))

    def end(self):
        self.kernel32.TerminateJobObject(self.handle, 1)


class ProbeSession:
    """The probe helper kept running (probe.exe --serve): each ask costs milliseconds instead of a
    process start. A thread reads its answers, since only sockets can be waited on everywhere."""

    def __init__(self, desktop):
        self.process = desktop.spawn(os.path.join(HELPERS, "probe.exe"), "--serve", stdin=subprocess.PIPE,
                                     stdout=subprocess.PIPE)
        self.lines = queue.Queue()
        threading.Thread(target=lambda: [self.lines.put(line) for line in iter(self.process.stdout.readline, b"")]
                         + [self.lines.put(b"")], daemon=True).start()

    def ask(self, command, timeout=60):
        """The records the probe answers to one command, up to its closing record."""
        self.process.stdin.write((command + "\n").encode())
        self.process.stdin.flush()
        records = []
        deadline = time.monotonic() + timeout
        while True:
            try:
                line = self.lines.get(timeout=max(deadline - time.monotonic(), 0))
            except queue.Empty:
                raise AssertionError(f"the probe gave no answer to {command!r} within {timeout} s") from None
            if not line:
                raise AssertionError(f"the probe ended (exit code {self.process.poll()})")
            record = json.loads(line)
            if record["kind"] == "end":
                return records
            records.append(record)

    def survey(self, *pids, timeout=60):
        """(windows, {pid: process record}, buttons held down) as probe.exe writes them; windows in
        Z order."""
        windows, processes, buttons = [], {}, set()
        for record in self.ask(" ".join(["survey", *map(str, pids)]), timeout):
            if record["kind"] == "process":
                processes[record["pid"]] = record
            elif record["kind"] == "buttons":
                buttons = {name for name, down in record.items() if down is True}
            else:
                windows.append(record)
        return windows, processes, buttons


class Petariko:
    """One installed copy of the program on a Desktop."""

    def __init__(self, desktop, settings=None, name="app", directory=None, exe=EXE):
        self.desktop = desktop
        self.directory = directory or desktop.install(name, settings, exe)
        self.exe = os.path.join(self.directory, "petariko.exe")
        self.process = None

    @property
    def settings_path(self):
        return os.path.join(self.directory, "settei.txt")

    def settings_bytes(self):
        with open(self.settings_path, "rb") as f:
            return f.read()

    def start(self, wait_tray=True, cwd=None, extra_env=None):
        # What the loader says when a start fails before the program runs goes into the failure;
        # under Wine with its errors, which a normal start prints one line of.
        errors = os.path.join(self.directory, "start-errors.txt")
        with open(errors, "wb") as stderr:
            self.process = self.desktop.spawn(self.exe, cwd=cwd, stderr=stderr,
                                              extra_env=dict({"WINEDEBUG": "-all,err+all"}, **(extra_env or {})))
        if wait_tray:
            try:
                self.wait_tray_icon(timeout=START_TIMEOUT)
            except AssertionError as missing:
                with open(errors, "rb") as f:
                    said = f.read()[-600:].decode(errors="replace")
                raise AssertionError(f"{missing}; petariko.exe "
                                     + ("still runs" if self.process.poll() is None
                                        else f"ended with exit code {self.process.returncode}")
                                     + (f"; it said: {said}" if said else "")) from None
        return self.process

    def private_bytes(self):
        """The program's private memory. On Windows as the system reports it (PrivateUsage); Wine
        tells another process only the swapped-out part, so there it is the process's resident
        anonymous memory and its swap, which is what Wine reports to the process itself."""
        if ON_WINDOWS:
            return self.desktop.ask(f"memory {self.process.pid}")[0]["private"]
        with open(f"/proc/{self.process.pid}/status") as f:
            fields = dict(line.split(":", 1) for line in f if ":" in line)
        assert fields["Name"].strip().lower().startswith("petariko"), fields["Name"]
        return int(fields["RssAnon"].split()[0]) * 1024 + int(fields.get("VmSwap", "0 kB").split()[0]) * 1024

    def host_windows(self):
        return [w for w in self.desktop.windows() if w["class"] == "PetarikoHost"]

    def tray_icons(self):
        """Centres of the program's icons as the shell places them."""
        d = self.desktop
        icons = []
        for host in self.host_windows():
            icons += [d.centre(r) for r in d.ask(f"tray {host['hwnd']} {TRAY_ICON_ID}")]
        return icons or self._wine_tray_icons()

    def _wine_tray_icons(self):
        """Wine: the shell tells no icon's place, so its icons are found in Wine's own tray window
        by their yellow paper."""
        d = self.desktop
        tray = next((w for w in d.windows() if w["class"] == WINE_TRAY_CLASS and w["visible"]), None)
        if tray is None:
            return []
        shot = d.screenshot()
        columns = {}
        for yy in range(tray["top"] + d.offset[1], tray["bottom"] + d.offset[1]):
            for xx in range(tray["left"] + d.offset[0], tray["right"] + d.offset[0]):
                r, g, b = shot.pixel(xx, yy)
                if r > 240 and 225 < g < 250 and 100 < b < 140:
                    columns.setdefault(xx, []).append(yy)
        icons, run = [], []
        for xx in sorted(columns) + [None]:
            if run and (xx is None or xx != run[-1] + 1):
                ys = [v for c in run for v in columns[c]]
                icons.append(((run[0] + run[-1]) // 2, (min(ys) + max(ys)) // 2))
                run = []
            if xx is not None:
                run.append(xx)
        return icons

    def wait_tray_icon(self, timeout=20):
        return wait_for(lambda: (self.tray_icons() or [None])[0], timeout=timeout, interval=0.2,
                        what="the tray icon")

    def raise_tray(self):
        """Wine: with no window manager a window activated later can stack over Wine's tray window
        (the task bar is always on top on Windows)."""
        for tray in self.desktop.find(**{"class": WINE_TRAY_CLASS}):
            self.desktop.raise_window(tray)

    def open_menu(self, button=1):
        """Presses on the tray icon and returns the popup menu's window record."""
        x, y = self.wait_tray_icon()
        # A press that comes while the program still ends a box leads back to that box instead,
        # as it should: a user presses again, and so does this.
        for attempt in range(4):
            self.desktop.click(x, y, button)
            # Under Wine, looks polled while the menu opens can leave it unshown: the first waits.
            time.sleep(1.0)
            with contextlib.suppress(AssertionError):
                return self.desktop.wait_window(timeout=3, **{"class": "#32768", "visible": True})
        return self.desktop.wait_window(**{"class": "#32768", "visible": True})

    def menu_point(self, menu, row):
        """The point of menu row 0..3: 設定画面, 保存, 消去, 終了, from the menu's own item places."""
        d = self.desktop
        items = [r for r in d.ask(f"menu {menu['hwnd']}") if not r.get("separator")]
        if items:
            return d.centre(items[row])
        # Wine: a menu's items cannot be asked from another process; its rows are 21 pixels high,
        # a separator 9.
        return menu["left"] + 40 + d.offset[0], menu["top"] + (14, 44, 65, 95)[row] + d.offset[1]

    def choose(self, menu, row):
        self.desktop.click(*self.menu_point(menu, row))

    def type_into_save_dialog(self, path):
        d = self.desktop
        dialog = d.wait_window(text=SAVE_DIALOG, visible=True)
        d.focus(dialog)
        d.key("ctrl+a")
        d.type_text(d.windows_path(path))
        d.key("Return")
        return dialog

    def answer(self, title, key):
        """Brings the message box with this title to the front and presses a key (y, n, Return)."""
        box = self.desktop.wait_window(text=title, visible=True)
        self.desktop.focus(box)
        self.desktop.key(key)
        return box

    def message(self, title, timeout=15):
        """The visible message box with this title and the texts of its children."""
        box = self.desktop.wait_window(text=title, visible=True, timeout=timeout)
        children = [w for w in self.desktop.windows() if w.get("root") == box["hwnd"]]
        return box, children

    def wait_exit(self, timeout=15):
        wait_for(lambda: self.process.poll() is not None, timeout=timeout, what="petariko.exe to end")
        return self.process.returncode


_shared_desktops = {}


def shared_desktop(width=1024, height=768, heads=None, dpi=None):
    """One Desktop per screen layout and scale for the whole run: a Wine prefix takes half a minute
    to make (and keeps the monitor layout it first saw)."""
    key = (width, height, tuple(heads or ()), dpi)
    if key not in _shared_desktops:
        name = (f"{len(heads)}heads" if heads else f"{width}x{height}") + (f"-{dpi}dpi" if dpi else "")
        _shared_desktops[key] = Desktop(width, height, name=name, heads=heads, dpi=dpi).start()
    return _shared_desktops[key]


@atexit.register
def stop_shared_desktops():
    for desktop in _shared_desktops.values():
        desktop.stop()
    _shared_desktops.clear()


class ButtonNotes:
    """What the pattern helper started with `env` got: "down 1", "up 2" (1 left, 2 right, 3 middle),
    "drag" (a move with a button held), "menu" (a context-menu request)."""
    NAMES = {0x200: "drag", 0x201: "down 1", 0x202: "up 1", 0x204: "down 2", 0x205: "up 2", 0x207: "down 3",
             0x208: "up 3", 0x7B: "menu"}

    def __init__(self, desktop):
        fd, self.path = tempfile.mkstemp(prefix="buttons-", dir=desktop.root)
        os.close(fd)
        self.env = {"PATTERN_BUTTONS_FILE": desktop.windows_path(self.path)}

    def lines(self):
        with open(self.path) as f:
            return [self.NAMES.get(int(code, 16), code) for code in f.read().split()]


def wine_only(reason):
    """Skips a test on Windows: it needs what only the Wine prefix here gives."""
    return unittest.skipIf(ON_WINDOWS, reason)


class DesktopTestCase(unittest.TestCase):
    """Tests on the shared Desktop; each test ends the Wine processes it started."""

    WIDTH, HEIGHT = 1024, 768
    HEADS = None
    DPI = None
    desktop = None

    @classmethod
    def setUpClass(cls):
        if ON_WINDOWS and (cls.HEADS or cls.DPI):
            raise unittest.SkipTest("needs monitors or a scale of its own, which only Wine's private display gives")
        cls.desktop = shared_desktop(cls.WIDTH, cls.HEIGHT, cls.HEADS, cls.DPI)

    def tearDown(self):
        result = self._outcome.result  # since Python 3.11 a failure is in it before tearDown
        if any(test is self for test, _ in result.failures + result.errors):
            self.describe_desktop()
        self.desktop.let_go()
        self.desktop.end_programs()

    def describe_desktop(self):
        """What a failure left on the desktop, in the part's output (all that a CI log keeps), and
        its picture."""
        with contextlib.suppress(Exception):
            windows = self.desktop.windows()
            names = {w["hwnd"]: f'{w["class"]} "{w["text"]}"' for w in windows}
            print("the desktop at the failure, visible windows from the top:")
            for w in windows:
                if w["kind"] == "top" and w["visible"]:
                    print(f'  {names[w["hwnd"]]} at {rect(w)}' + (" foreground" if w["foreground"] else "")
                          + (f' focus {names.get(w["focus"], w["focus"])}' if w["focus"] else ""))
            self.screenshot("failure")

    def screenshot(self, label):
        return self.desktop.screenshot(save_as=f"{type(self).__name__}/{self._testMethodName}-{label}.png")
