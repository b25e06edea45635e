"""End-to-end harness: the real petariko.exe under Wine in a private Xvfb, driven by xdotool.

One `Desktop` is one X server and one Wine prefix; each test gets a fresh program directory
through `Desktop.install()`. Everything the harness starts it also ends, by PID or with
`wineserver -k` on its own prefix.
"""
import atexit
import contextlib
import json
import os
import select
import shutil
import subprocess
import tempfile
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

TRAY_WINDOW_NAME = "^Wine System Tray$"
# settei.txt as the program writes it at its first start; a test that brings it along starts
# without the first start's notification over the screen.
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
    """Reads an uncompressed 24- or 32-bit BMP into an Image (top row first)."""
    with open(path, "rb") as f:
        data = f.read()
    assert data[:2] == b"BM", "not a BMP file"
    offset = struct.unpack_from("<I", data, 10)[0]
    width, height, _, bits, compression = struct.unpack_from("<iiHHI", data, 18)
    assert compression in (0, 3), f"compressed BMP ({compression})"
    assert bits in (24, 32), f"{bits}-bit BMP"
    bottom_up = height > 0
    height = abs(height)
    step = bits // 8
    stride = (width * step + 3) & ~3
    rows = []
    for y in range(height):
        src = height - 1 - y if bottom_up else y
        line = data[offset + src * stride: offset + src * stride + width * step]
        rows.append(b"".join(bytes((line[i + 2], line[i + 1], line[i])) for i in range(0, width * step, step)))
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
    """A private X server with a Wine prefix on it.

    With `heads` (X rectangles (x, y, width, height), the first one Wine's primary monitor) the
    Xvfb only carries a nested Xephyr with those Xinerama heads, which Wine sees as monitors;
    `offset` is then where Windows' (0, 0) lies in X coordinates: X = Windows + offset.
    With `dpi` the prefix runs at that scale (192 is 200 %) for every program started on it.
    """

    def __init__(self, width=1024, height=768, name="e2e", heads=None, dpi=None):
        self.heads = heads
        self.dpi = dpi
        if heads:
            width = max(x + w for x, _, w, _ in heads)
            height = max(y + h for _, y, _, h in heads)
        self.width, self.height = width, height
        self.offset = (heads[0][0], heads[0][1]) if heads else (0, 0)
        self.root = tempfile.mkdtemp(prefix=f"petariko-{name}-", dir=os.environ.get("PETARIKO_E2E_TMP"))
        self.xvfb = None
        self.nested = None
        self.display = None
        self.env = None
        self.processes = []
        self.probe = None  # the probe helper that windows() asks, started at the first ask

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
        self.set_root_colour("#204060")
        return self

    def stop(self):
        with contextlib.suppress(Exception):
            self.kill_wine()
        for server in (self.nested, self.xvfb):
            if server:
                server.terminate()
                with contextlib.suppress(subprocess.TimeoutExpired):
                    server.wait(5)
                if server.poll() is None:
                    server.kill()
        shutil.rmtree(self.root, ignore_errors=True)

    def kill_wine(self):
        """Ends every Wine process of this prefix (and only those)."""
        self.run_quiet(["wineserver", "-k"], check=False)
        self.run_quiet(["wineserver", "-w"], check=False)
        for process in self.processes:
            with contextlib.suppress(subprocess.TimeoutExpired):
                process.wait(5)
        self.processes = []
        self.probe = None

    # --- processes --------------------------------------------------------------------
    def run_quiet(self, argv, check=True, timeout=120, env=None):
        return subprocess.run(argv, env=env or self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                              check=check, timeout=timeout)

    def wine(self, *args, check=True, timeout=120):
        return self.run_quiet(["wine", *args], check=check, timeout=timeout)

    def spawn(self, windows_exe, *args, cwd=None, extra_env=None):
        process = subprocess.Popen(["wine", windows_exe, *args], env=dict(self.env, **(extra_env or {})), cwd=cwd,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.processes.append(process)
        return process

    def show_pattern(self, extra_env=None):
        """Shows the pattern helper over the whole desktop below PATTERN_TOP: a known picture to
        cut out, and a Wine window, since presses are seen over Wine windows only."""
        self.spawn(os.path.join(HELPERS, "pattern.exe"), str(-self.offset[0]), str(PATTERN_TOP - self.offset[1]),
                   str(self.width), str(self.height - PATTERN_TOP), extra_env=extra_env)
        wait_for(lambda: self.search(name="^pattern$"), timeout=30, what="the pattern window")

    def clipboard_bitmap(self):
        """The clipboard's CF_BITMAP as a Windows reader gets it: {width, height, bottom_left: [r, g, b]},
        or {} when there is none."""
        out = os.path.join(self.root, "clipboard-bitmap.json")
        self.wine(os.path.join(HELPERS, "probe.exe"), "--clipboard-bitmap", self.windows_path(out))
        with open(out) as f:
            return json.load(f)

    def windows_path(self, unix_path):
        return "Z:" + os.path.abspath(unix_path).replace("/", "\\")

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

    # --- X side -----------------------------------------------------------------------
    def xdotool(self, *args, check=True):
        env = dict(self.env, LC_ALL="C.UTF-8", LANG="C.UTF-8")
        result = subprocess.run(["xdotool", *map(str, args)], env=env, capture_output=True, text=True, timeout=30)
        if check and result.returncode != 0 and "search" not in args:
            raise AssertionError(f"xdotool {args} failed: {result.stderr}")
        return result.stdout

    def set_root_colour(self, colour):
        self.run_quiet(["xsetroot", "-solid", colour], check=False)

    def move(self, x, y):
        self.xdotool("mousemove", "--sync", x, y)

    def click(self, x, y, button=1):
        self.move(x, y)
        self.xdotool("click", button)

    def press(self, button=1):
        self.xdotool("mousedown", button)

    def release(self, button=1):
        self.xdotool("mouseup", button)

    def let_go(self):
        """Lets go of every button and modifier a test may have left down: the X server keeps them
        down for the next test on this desktop, whose clicks would then be drags."""
        for button in (1, 2, 3):
            self.xdotool("mouseup", button, check=False)
        self.xdotool("keyup", "ctrl", "shift", "alt", "Escape", check=False)

    def key(self, *keys):
        self.xdotool("key", *keys)

    def type_text(self, text):
        self.xdotool("type", "--delay", 20, text)

    def search(self, name=None, class_name=None, only_visible=True):
        args = ["search"]
        if only_visible:
            args.append("--onlyvisible")
        if name is not None:
            args += ["--name", name]
        if class_name is not None:
            args += ["--class", class_name]
        out = self.xdotool(*args, check=False)
        return [int(w) for w in out.split()]

    def geometry(self, window_id):
        """(x, y, width, height) of an X window, from xwininfo (xdotool doubles child offsets)."""
        out = subprocess.run(["xwininfo", "-id", str(window_id)], env=self.env, capture_output=True, text=True).stdout
        values = {}
        for line in out.splitlines():
            line = line.strip()
            for key in ("Absolute upper-left X", "Absolute upper-left Y", "Width", "Height"):
                if line.startswith(key + ":"):
                    values[key] = int(line.split(":")[1])
        return (values["Absolute upper-left X"], values["Absolute upper-left Y"], values["Width"], values["Height"])

    def screenshot(self, save_as=None):
        out = subprocess.run(["import", "-window", "root", "-depth", "8", "rgb:-"], env=self.env,
                             capture_output=True, timeout=30, check=True).stdout
        image = Image(self.width, self.height, out)
        if save_as:
            image.save_png(os.path.join(ARTIFACTS, save_as))
        return image

    # --- Windows side -----------------------------------------------------------------
    def windows(self):
        """Every Windows window of the prefix, from the probe helper kept running: a list of dicts."""
        # A window destroyed while the probe walks the list can end the probe: ask a new one.
        for attempt in range(3):
            if self.probe is None or self.probe.process.poll() is not None:
                self.probe = ProbeSession(self)
            try:
                return [r for r in self.probe.survey()[0] if r["kind"] in ("top", "child")]
            except (AssertionError, OSError):
                self.probe = None
                if attempt == 2:
                    raise

    def find(self, predicate=None, **fields):
        """Windows whose fields equal the given values (and that satisfy predicate)."""
        return [w for w in self.windows()
                if all(w.get(k) == v for k, v in fields.items()) and (predicate is None or predicate(w))]

    def wait_window(self, timeout=15, **fields):
        return wait_for(lambda: self.find(**fields), timeout=timeout, interval=0.2, what=f"window {fields}")[0]

    def wait_no_window(self, timeout=15, **fields):
        wait_for(lambda: not self.find(**fields), timeout=timeout, interval=0.2, what=f"no window {fields}")


class ProbeSession:
    """The probe helper kept running (probe.exe --serve): a survey of the windows, and of the
    given processes' lives and object counts, costs milliseconds instead of a Wine process start."""

    def __init__(self, desktop):
        self.process = subprocess.Popen(["wine", os.path.join(HELPERS, "probe.exe"), "--serve"], env=desktop.env,
                                        stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        desktop.processes.append(self.process)
        self.pending = b""

    def survey(self, *pids, timeout=60):
        """(windows, {pid: process record}, buttons Wine holds down) as probe.exe writes them;
        windows in Z order."""
        self.process.stdin.write((" ".join(map(str, pids)) + "\n").encode())
        self.process.stdin.flush()
        windows, processes, buttons = [], {}, set()
        deadline = time.monotonic() + timeout
        while True:
            while b"\n" not in self.pending:
                left = deadline - time.monotonic()
                if left <= 0 or not select.select([self.process.stdout], [], [], left)[0]:
                    raise AssertionError(f"the probe gave no answer within {timeout} s")
                chunk = os.read(self.process.stdout.fileno(), 1 << 16)
                if not chunk:
                    raise AssertionError(f"the probe ended (exit code {self.process.poll()})")
                self.pending += chunk
            line, self.pending = self.pending.split(b"\n", 1)
            record = json.loads(line)
            if record["kind"] == "end":
                return windows, processes, buttons
            if record["kind"] == "process":
                processes[record["pid"]] = record
            elif record["kind"] == "buttons":
                buttons = {name for name, down in record.items() if down is True}
            else:
                windows.append(record)


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
        self.process = self.desktop.spawn(self.exe, cwd=cwd, extra_env=extra_env)
        if wait_tray:
            try:
                self.wait_tray_icon(timeout=START_TIMEOUT)
            except AssertionError as missing:
                raise AssertionError(f"{missing}; petariko.exe "
                                     + ("still runs" if self.process.poll() is None
                                        else f"ended with exit code {self.process.returncode}")) from None
        return self.process

    def private_bytes(self):
        """The program's private memory: what Wine reports to the process itself as PrivateUsage
        (its resident anonymous memory; another process is told only the swapped-out part)."""
        with open(f"/proc/{self.process.pid}/status") as f:
            fields = dict(line.split(":", 1) for line in f if ":" in line)
        assert fields["Name"].strip().lower().startswith("petariko"), fields["Name"]
        return int(fields["RssAnon"].split()[0]) * 1024 + int(fields.get("VmSwap", "0 kB").split()[0]) * 1024

    def host_windows(self):
        return [w for w in self.desktop.windows() if w["class"] == "PetarikoHost"]

    def tray_icons(self):
        """Centres of the program's icons in Wine's tray window, found by their yellow paper."""
        found = self.desktop.search(name=TRAY_WINDOW_NAME)
        if not found:
            return []
        x, y, width, height = self.desktop.geometry(found[0])
        shot = self.desktop.screenshot()
        columns = {}
        for yy in range(y, y + height):
            for xx in range(x, x + width):
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
        """The X point of menu row 0..3: 設定画面, 保存, 消去, 終了 (separators are thinner rows)."""
        offsets = (14, 44, 65, 95)
        ox, oy = self.desktop.offset  # the menu's place is in Windows coordinates
        return menu["left"] + 40 + ox, menu["top"] + offsets[row] + oy

    def choose(self, menu, row):
        self.desktop.click(*self.menu_point(menu, row))

    def type_into_save_dialog(self, path):
        d = self.desktop
        dialog = d.wait_window(text=SAVE_DIALOG, visible=True)
        ids = wait_for(lambda: d.search(name="^" + SAVE_DIALOG + "$"), what="the save dialog's X window")
        d.xdotool("windowfocus", "--sync", ids[0], check=False)
        d.key("ctrl+a")
        d.type_text(d.windows_path(path))
        d.key("Return")
        return dialog

    def answer(self, title, key):
        """Focuses the message box with this title and presses a key (y, n, Return)."""
        box = self.desktop.wait_window(text=title, visible=True)
        ids = self.desktop.search(name="^" + title + "$")
        self.desktop.xdotool("windowfocus", "--sync", ids[0], check=False)
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


class DesktopTestCase(unittest.TestCase):
    """Tests on the shared Desktop; each test ends the Wine processes it started."""

    WIDTH, HEIGHT = 1024, 768
    HEADS = None
    DPI = None
    desktop = None

    @classmethod
    def setUpClass(cls):
        cls.desktop = shared_desktop(cls.WIDTH, cls.HEIGHT, cls.HEADS, cls.DPI)

    def tearDown(self):
        self.desktop.kill_wine()
        self.desktop.let_go()

    def screenshot(self, label):
        return self.desktop.screenshot(save_as=f"{type(self).__name__}/{self._testMethodName}-{label}.png")
