"""A seeded random-use run of the real petariko.exe under Wine: holds and freehand traces,
gestures bound to programs, double-clicks, the wheel, keys, drags, right-clicks, slow clicks and
every tray-menu entry with its dialog or box answered, as a user would. After every action it
settles (answers whatever is up) and checks that the program lives, that no frozen screen outlives
its button, that no box of the program hides under a cut-out, that the cut-out's window stays
within the zoom's bounds, and that the GDI and USER object counts stay within a bound.

Action i's choices come from the seed and i alone, so a seed replays the same actions and
`--only` replays a few of them:

    python3 monkey.py --seed 1234 --actions 5000 [--every 100] [--keep-going]
    python3 monkey.py --seed 1234 --only 17-20,25 [--minimize]
"""
import argparse
import collections
import os
import random
import sys
import time

import e2e_lib
from e2e_lib import PATTERN_TOP, SAVE_DIALOG, Desktop, Petariko, ProbeSession, rect
from test_gesture import Recorder, settings_file

HOLD_S = 0.9  # a slow click: the button held still past the hold time (3 ticks of 100 ms)
ARROWS = {"↑": (0, -60), "←": (-60, 0), "→": (60, 0), "↓": (0, 60)}
# Before the counts are first taken, the run opens once what fills caches for good (the settings
# screen's fonts and lists, the save dialog's shell images, a first cut-out and box); after every
# later settle the counts may exceed those by this much.
GDI_MARGIN, USER_MARGIN = 60, 10
WARM_UP = [
    {"kind": "menu", "source": "tray-left", "entry": "settings", "slow": False, "close": "キャンセル"},
    {"kind": "trace", "points": [(300, 300), (500, 300), (500, 450)]},
    {"kind": "menu", "source": "tray-left", "entry": "save", "slow": False, "answer": "key", "write": False},
    {"kind": "menu", "source": "tray-left", "entry": "erase", "slow": False, "answer": "key"},
    {"kind": "menu", "source": "tray-left", "entry": "erase", "slow": False, "answer": "key"},
    {"kind": "menu", "source": "tray-left", "entry": "quit", "slow": False, "answer": "key", "quit_yes": False},
]
FATAL_TITLE = "ペタリコのエラー"
CRASH_TITLES = ("プログラム エラー", "Program Error")  # Wine's debugger, when a process faults
DIALOGS = {"#32770", "PetarikoSettingsScreen", "PetarikoGestureEditor", "PetarikoAboutBox"}


class Fault(AssertionError):
    """A check failed: the program's fault, not the harness's. `kind` names the check."""

    def __init__(self, kind, detail=""):
        super().__init__(f"{kind}: {detail}" if detail else kind)
        self.kind = kind


def registered(recorder):
    """The gestures of the run: two that start the recorder, a path that does not exist, a path of
    300 characters and one of 1,100."""
    exe = recorder.windows_exe
    return [(exe + " up", "↑"), (exe + r" Z:\my docs\report 1.txt", "→↓"),
            (r"Z:\no such dir\nothing.exe", "←"),
            (deep_path(300), "↑→"), (deep_path(1100), "↓")]


def deep_path(length):
    """A path of this many characters through folders that do not exist."""
    folders = "Z:\\" + "folder\\" * ((length - 8) // 7)
    return folders + "x" * (length - len(folders) - 4) + ".exe"


def plan(seed, index, width, height, gestures):
    """Action `index` of the run `seed`: every random choice of the action, drawn up front."""
    rng = random.Random(f"{seed}:{index}")

    def point(margin=20):
        return rng.randint(margin, width - margin), rng.randint(PATTERN_TOP + margin, height - margin)

    kind = rng.choices(["trace", "gesture", "double_click", "wheel", "key", "drag", "menu"],
                       weights=[22, 12, 6, 8, 10, 8, 24])[0]
    action = {"i": index, "kind": kind}
    on_cutout = rng.random() < 0.7
    within = (round(rng.uniform(0.3, 0.7), 2), round(rng.uniform(0.3, 0.7), 2))  # where on the cut-out
    if kind == "trace":
        count = rng.choices([1, 2, 3, 4, 5, 6, rng.randint(7, 12)], weights=[8, 8, 16, 16, 10, 10, 32])[0]
        action["points"] = [point() for _ in range(count)]
    elif kind == "gesture":
        if rng.random() < 0.6:
            arrows = rng.choice(gestures)
        else:
            arrows = "".join(rng.choice(list(ARROWS)) for _ in range(rng.randint(1, 6)))
        action.update(start=point(220), arrows=arrows)
    elif kind in ("double_click", "wheel"):
        action.update(on_cutout=on_cutout, within=within, at=point())
        if kind == "wheel":
            action.update(button=rng.choice([4, 5]), notches=rng.randint(1, 4), ctrl=rng.random() < 0.4)
    elif kind == "key":
        action.update(key=rng.choice(["ctrl+c", "ctrl+s", "ctrl+0", "Escape", "Return", "alt+F4", "hold"]),
                      focus_cutout=rng.random() < 0.5)
    elif kind == "drag":
        action.update(within=within, by=(rng.randint(-300, 300), rng.randint(-250, 250)), steps=rng.randint(1, 4))
    else:
        entry = rng.choices(["settings", "save", "erase", "quit", "dismiss"], weights=[6, 6, 6, 5, 2])[0]
        action.update(source=rng.choice(["tray-left", "tray-right", "cutout-right"]), at=point(), within=within,
                      entry=entry, slow=rng.random() < 0.25)
        # How the settings screen closes, whether the save writes a file, the quit's answer, and
        # how the box the entry brings is answered: its key, a click or a slow click on its button.
        close, write, quit_yes = (rng.choice(["ＯＫ", "キャンセル", "Return", "Escape", "alt+F4"]),
                                  rng.random() < 0.5, rng.random() < 0.06)
        answer = rng.choice(["key", "click", "slow"])
        if entry == "settings":
            action["close"] = close
        elif entry in ("save", "erase", "quit"):
            action["answer"] = answer
            if entry == "save":
                action["write"] = write
            if entry == "quit":
                action["quit_yes"] = quit_yes
    return action


def describe(action):
    return " ".join(f"{k}={v}" for k, v in action.items() if k != "i")


class Monkey:
    """One run on a Desktop: the program, a pattern under it (presses are seen only over a Wine
    window) and the recorder that registered gestures start."""

    def __init__(self, desktop, seed, out=print, every=100):
        self.d, self.seed, self.out, self.every = desktop, seed, out, every
        self.run_dir = os.path.join(desktop.root, f"monkey-{seed}")
        os.makedirs(os.path.join(self.run_dir, "saves"), exist_ok=True)
        self.recorder = Recorder(desktop)
        self.entries = registered(self.recorder)
        self.gestures = [g for _, g in self.entries]
        self.log = collections.deque(["(start)"], maxlen=12)
        self.app = self.probe = self.pid = self.tray = None
        self.base = self.counts = None
        self.peak = {"gdi": 0, "user": 0}
        self.stats = collections.Counter()
        self.since_start = []  # the actions since the program last started afresh
        self.acting = 0.0  # seconds spent in actions and their checks, restarts left out

    # --- the program and its surroundings -------------------------------------------------
    def start(self, directory=None):
        d = self.d
        d.env["RECORD_ARGS_FILE"] = self.recorder.env()["RECORD_ARGS_FILE"]
        if not d.find(text="pattern", visible=True):
            d.show_pattern()
        self.app = Petariko(d, settings=None if directory else settings_file(self.entries), directory=directory)
        self.app.start(cwd=self.run_dir)
        self.tray = self.app.wait_tray_icon()
        if self.probe is None or self.probe.process.poll() is not None:
            self.probe = ProbeSession(d)
        windows, _, _ = self.probe.survey()
        self.pid = next(w["pid"] for w in windows if w["class"] == "PetarikoHost")

    def warm_up(self):
        self.base = None
        for action in WARM_UP:
            self.log.append(f"warm-up {describe(action)}")
            self.perform(action)
            self.check()
        self.base = self.counts

    def survey(self, census=False):
        """The program's top-level windows (Z order, top first), or with census its process
        record; checks on every look that no box of the program hides under a cut-out and that
        nothing crashed. Also keeps which buttons Wine holds down in self.held."""
        windows, processes, self.held = self.probe.survey(*([self.pid] if census else []))
        own = [w for w in windows if w["kind"] == "top" and w["pid"] == self.pid]
        for crash in (w for w in windows if w["kind"] == "top" and w["visible"] and w["text"] in CRASH_TITLES):
            texts = [c["text"] for c in windows if c.get("root") == crash["hwnd"] and c["text"]]
            raise Fault("a process crashed", texts)
        if self.box_under(own, windows):
            # A menu or box is stacked under a topmost cut-out for a moment while it is shown: only
            # one still there a moment later is hidden from the user.
            time.sleep(0.3)
            windows, processes, self.held = self.probe.survey(*([self.pid] if census else []))
            own = [w for w in windows if w["kind"] == "top" and w["pid"] == self.pid]
            if self.box_under(own, windows):
                raise Fault(*self.box_under(own, windows))
        return processes.get(self.pid) if census else own

    def children(self, window):
        return [c for c in self.probe.survey()[0] if c.get("root") == window["hwnd"] and c["kind"] == "child"]

    def box_under(self, own, windows):
        """The fatal box, or a box or menu of the program under a cut-out or the frozen screen, as
        a Fault's arguments; None when there is none."""
        canvas = next((w for w in own if w["class"] == "PetarikoCanvas" and w["visible"]), None)
        for index, w in enumerate(own):
            if not w["visible"]:
                continue
            if w["text"] == FATAL_TITLE:
                texts = [c["text"] for c in windows if c.get("root") == w["hwnd"] and c["text"]]
                return "the error trap is up", texts
            if canvas is None or w["class"] not in DIALOGS and w["class"] != "#32768":
                continue
            left, top, right, bottom = visible_rect(canvas)
            overlaps = left < w["right"] and w["left"] < right and top < w["bottom"] and w["top"] < bottom
            if overlaps and own.index(canvas) < index and not self.shown_over_wine_list(w):
                under = "frozen screen" if frozen(canvas, self.d) else "cut-out"
                texts = [c["text"] for c in windows if c.get("root") == w["hwnd"] and c["class"] == "Static"
                         and c["text"]]
                return (f"a box under the {under}", f"{w['class']} {w['text']!r} {texts} at {rect(w)}, "
                                                    f"the {under} at {rect(canvas)}")
        return None

    def shown_over_wine_list(self, box):
        """Wine: its window list can put a topmost cut-out that repainted just after a menu opened
        over it above that menu, while the screen shows the menu on top. A box whose rectangle on
        the screen is mostly one light plain colour (a menu's or a box's face, which neither the
        pattern's gradients nor the dark root are) is not hidden. On Windows the list is what shows."""
        if e2e_lib.ON_WINDOWS:
            return False
        shot, (ox, oy) = self.d.screenshot(), self.d.offset
        pixels = collections.Counter(
            shot.pixel(x + ox, y + oy) for y in range(max(box["top"] + oy, 0) - oy, min(box["bottom"] + oy, self.d.height) - oy, 3)
            for x in range(max(box["left"] + ox, 0) - ox, min(box["right"] + ox, self.d.width) - ox, 3))
        colour, count = pixels.most_common(1)[0] if pixels else ((0, 0, 0), 0)
        return min(colour) >= 200 and count > sum(pixels.values()) / 2

    def canvas(self, own):
        return next((w for w in own if w["class"] == "PetarikoCanvas" and w["visible"]), None)

    def wait_own(self, predicate, timeout):
        """Surveys until predicate(own windows) holds; returns its value or None."""
        deadline = time.monotonic() + timeout
        while True:
            own = self.survey()
            value = predicate(own)
            if value or time.monotonic() > deadline:
                return value
            time.sleep(0.05)

    def focus(self, record):
        return self.d.focus(record)

    def point_on(self, canvas, within):
        left, top, right, bottom = visible_rect(canvas)
        return (min(max(int(left + within[0] * (right - left)), 0), self.d.width - 1),
                min(max(int(top + within[1] * (bottom - top)), 0), self.d.height - 1))

    def note(self, text):
        self.log[-1] += "; " + text

    # --- actions ----------------------------------------------------------------------------
    def perform(self, action):
        getattr(self, "do_" + action["kind"])(action)

    def slow_click(self, x, y):
        self.d.move(x, y)
        self.d.press(1)
        time.sleep(HOLD_S)
        self.d.release(1)

    def hold_then_visit(self, button, start, points, pause):
        d = self.d
        d.move(*start)
        d.press(button)
        try:
            froze = self.wait_own(lambda own: (lambda c: c and frozen(c, d))(self.canvas(own)), 1.0)
            self.note("froze" if froze else "no freeze")
            for point in points:
                d.move(*point)
                time.sleep(pause)
        finally:
            d.release(button)

    def do_trace(self, action):
        points = action["points"]
        self.hold_then_visit(1, points[0], points[1:], 0.15)

    def do_gesture(self, action):
        x, y = action["start"]
        path = []
        for arrow in action["arrows"]:
            dx, dy = ARROWS[arrow]
            x, y = min(max(x + dx, 0), self.d.width - 1), min(max(y + dy, 0), self.d.height - 1)
            path.append((x, y))
        self.hold_then_visit(3, action["start"], path, 0.3)

    def target(self, action):
        """A point on the cut-out when the action asks for one and a cut-out is shown, else its own."""
        canvas = self.canvas(self.survey())
        if action.get("on_cutout", True) and canvas and not frozen(canvas, self.d):
            return self.point_on(canvas, action["within"]), True
        return action["at"], False

    def do_double_click(self, action):
        (x, y), on = self.target(action)
        self.d.click(x, y, times=2)
        self.note(f"at {(x, y)}{' on the cut-out' if on else ''}")

    def do_wheel(self, action):
        (x, y), on = self.target(action)
        self.d.move(x, y)
        if action["ctrl"]:
            self.d.key_down("ctrl")
        try:
            self.d.wheel(action["notches"] if action["button"] == 4 else -action["notches"])
        finally:
            if action["ctrl"]:
                self.d.key_up("ctrl")
        self.note(f"at {(x, y)}{' on the cut-out' if on else ''}")

    def do_key(self, action):
        canvas = self.canvas(self.survey())
        if action["focus_cutout"] or action["key"] == "alt+F4":
            # Alt+F4 goes only to the cut-out: elsewhere it would close the pattern or the tray.
            if not canvas or not self.focus(canvas):
                self.note("no cut-out to focus")
                if action["key"] == "alt+F4":
                    return
        if action["key"] == "hold":
            self.d.key_down("a")
            time.sleep(0.8)
            self.d.key_up("a")
        else:
            self.d.key(action["key"])

    def do_drag(self, action):
        canvas = self.canvas(self.survey())
        if not canvas:
            self.note("no cut-out")
            return
        d = self.d
        x, y = self.point_on(canvas, action["within"])
        d.move(x, y)
        d.press(1)
        try:
            for step in range(1, action["steps"] + 1):
                d.move(min(max(x + action["by"][0] * step // action["steps"], 0), d.width - 1),
                       min(max(y + action["by"][1] * step // action["steps"], 0), d.height - 1))
                time.sleep(0.05)
        finally:
            d.release(1)
        self.note(f"from {(x, y)}")

    def do_menu(self, action):
        d = self.d
        if action["source"] == "cutout-right":
            (x, y), on = self.target(action)
            d.click(x, y, 3)
            if not on:
                self.note(f"right-click at {(x, y)}")
                return
        else:
            self.app.raise_tray()
            d.click(*self.tray, 1 if action["source"] == "tray-left" else 3)
        menu = self.wait_own(lambda own: next((w for w in own if w["class"] == "#32768" and w["visible"]), None), 3)
        if not menu:
            self.note("no menu")
            return
        if action["entry"] == "dismiss":
            # Esc, not a click elsewhere: under Wine that click's release can be lost in the
            # menu's pointer grab, and the program would see the button held on. The key goes to
            # the menu: its program holds the foreground while it is open.
            d.key("Escape")
            return
        x, y = self.app.menu_point(menu, ("settings", "save", "erase", "quit").index(action["entry"]))
        if action["slow"]:
            self.slow_click(x, y)
        else:
            d.click(x, y)
        getattr(self, "after_" + action["entry"])(action)

    def wait_box(self, timeout=3):
        """The program's message box or dialog that comes up, if one does."""
        return self.wait_own(lambda own: next((w for w in own if w["visible"] and w["class"] == "#32770"), None),
                             timeout)

    def answer_box(self, box, action, yes=False):
        """Answers a message box as the action says: its key, a click or a slow click on its button."""
        if action["answer"] == "key":
            self.focus(box)
            self.d.key(("y" if yes else "n") if box["text"] == "確認" else "Return")
            return
        buttons = [c for c in self.children(box) if c["class"] == "Button" and c["visible"]]
        wanted = [b for b in buttons if ("はい" if yes else "いいえ") in b["text"]] or buttons
        if not wanted:
            return
        button = wanted[0]
        x, y = (button["left"] + button["right"]) // 2, (button["top"] + button["bottom"]) // 2
        if action["answer"] == "slow":
            self.slow_click(x, y)
        else:
            self.d.click(x, y)
        self.note(f"{action['answer']} on {button['text']!r}")

    def after_settings(self, action):
        screen = self.wait_own(lambda own: next((w for w in own if w["class"] == "PetarikoSettingsScreen"
                                                 and w["visible"]), None), 3)
        if not screen:
            return
        close = action["close"]
        if close in ("ＯＫ", "キャンセル"):
            button = next((c for c in self.children(screen) if c["text"] == close), None)
            if button:
                x, y = (button["left"] + button["right"]) // 2, (button["top"] + button["bottom"]) // 2
                if action["slow"]:
                    self.slow_click(x, y)
                else:
                    self.d.click(x, y)
        else:
            self.focus(screen)
            self.d.key(close)

    def after_save(self, action):
        box = self.wait_box()
        if not box:
            return
        if box["text"] == SAVE_DIALOG:
            if not action["write"]:
                self.focus(box)
                self.d.key("Escape")
                return
            self.app.type_into_save_dialog(os.path.join(self.run_dir, "saves", f"piece {action['i']}.bmp"))
            self.stats["saves"] += 1
            box = self.wait_own(lambda own: next((w for w in own if w["visible"] and w["class"] == "#32770"
                                                  and w["text"] != SAVE_DIALOG), None), 5)
            if not box:
                return
        self.answer_box(box, action)

    def after_erase(self, action):
        box = self.wait_box(1.0)
        if box:
            self.answer_box(box, action)

    def after_quit(self, action):
        box = self.wait_box()
        if not box:
            return
        self.answer_box(box, action, yes=action["quit_yes"])
        if action["quit_yes"]:
            try:
                self.app.wait_exit(10)
            except AssertionError:
                return  # the answer did not reach the box; the settle answers No
            self.note("quit, started again")
            self.stats["restarts"] += 1
            self.start(directory=self.app.directory)

    # --- settle and check ----------------------------------------------------------------
    def settle(self):
        """Answers whatever the program shows until nothing but a cut-out is up."""
        d = self.d
        answers, quiet = 0, False
        while True:
            own = self.survey()
            up = [w for w in own if w["visible"] and w["class"] != "PetarikoCanvas"]
            if not up:
                if quiet:
                    return own
                # Settled when a second look a moment later finds nothing either: a box may be on its way.
                quiet = True
                time.sleep(0.25)
                continue
            quiet = False
            if answers == 20:
                raise Fault("still up after 20 answers", [(w["class"], w["text"]) for w in up])
            answers += 1
            w = up[0]
            if w["class"] == "#32768":
                d.key("Escape")
            elif w["class"] in ("PetarikoSettingsScreen", "PetarikoGestureEditor", "PetarikoAboutBox"):
                # A box of the screen goes first; the screen is disabled under it.
                if any(o["visible"] and o["owner"] == w["hwnd"] for o in own):
                    w = next(o for o in own if o["visible"] and o["owner"] == w["hwnd"])
                    self.answer(w)
                else:
                    caption = "閉じる" if w["class"] == "PetarikoAboutBox" else "キャンセル"
                    button = next((c for c in self.children(w) if c["text"] == caption), None)
                    if button:
                        d.click((button["left"] + button["right"]) // 2, (button["top"] + button["bottom"]) // 2)
            else:
                self.answer(w)
            self.note(f"settled {w['text'] or w['class']}")
            time.sleep(0.2)

    def answer(self, box):
        self.focus(box)
        if box["text"] in (SAVE_DIALOG, "開く"):
            self.d.key("Escape")
        else:
            self.d.key("n" if box["text"] == "確認" else "Return")

    def check(self):
        d = self.d
        own = self.settle()
        if self.held:
            # Wine lost a release (it happens in a menu's pointer grab): the program is told the
            # button is still down, which is no fault of its own. A click tells Wine again.
            self.note(f"Wine held {sorted(self.held)} down: released")
            self.stats["lost releases"] += 1
            for button in self.held:
                d.click(60, 12, {"left": 1, "middle": 2, "right": 3}[button])
            own = self.settle()
        if self.app.process.poll() is not None:
            raise Fault("petariko.exe ended", f"exit code {self.app.process.returncode}")
        canvas = self.canvas(own)
        if canvas and frozen(canvas, d):
            # The watcher lets go at its next tick after the release: give it a few.
            self.wait_own(lambda own: not (lambda c: c and frozen(c, d))(self.canvas(own)), 1.0)
            own = self.settle()
            canvas = self.canvas(own)
            if canvas and frozen(canvas, d):
                raise Fault("the frozen screen outlives its button")
        if canvas:
            width, height = canvas["right"] - canvas["left"], canvas["bottom"] - canvas["top"]
            if width * height > 4 * d.width * d.height or max(width, height) > 32767:
                raise Fault("the cut-out's window is too large", f"{width} x {height}")
        process = self.survey(census=True)
        if not process["alive"]:
            raise Fault("petariko.exe ended")
        if not process["responding"]:
            raise Fault("petariko.exe does not respond")
        self.counts = {k: process[k] for k in ("gdi", "user")}
        if self.base is None:
            return
        for key in self.peak:
            self.peak[key] = max(self.peak[key], process[key])
        for key, margin in (("gdi", GDI_MARGIN), ("user", USER_MARGIN)):
            if process[key] > self.base[key] + margin:
                raise Fault(f"too many {key.upper()} objects", f"{process[key]}, at start {self.base[key]}")

    # --- the run --------------------------------------------------------------------------
    def run(self, indices, keep_going=False):
        """Performs the actions of these indices in order; returns the faults found as (index,
        fault, log) tuples, index None for the warm-up. Stops at the first unless keep_going."""
        indices = list(indices)
        self.out(f"monkey: seed {self.seed}, {len(indices)} actions")
        faults = []
        done = 0
        started = False
        while not started:
            try:
                self.fresh_start()
                started = True
            except Fault as fault:
                faults.append((None, fault, list(self.log)))
                self.report(None, fault)
                if not keep_going or len(faults) > 3:
                    return faults
        self.out(f"counts after the warm-up: GDI {self.base['gdi']}, USER {self.base['user']}")
        began = time.monotonic()  # restarts after faults count, the first start does not
        for done, index in enumerate(indices, start=1):
            try:
                if not started:
                    self.fresh_start()
                    started = True
                self.step(index)
            except Fault as fault:
                faults.append((index if started else None, fault, list(self.log)))
                self.report(index if started else None, fault)
                if not keep_going:
                    break
                started = False
            if done % self.every == 0 and self.counts:
                self.out(f"[{done}] GDI {self.counts['gdi']}, USER {self.counts['user']} "
                         f"(peak {self.peak['gdi']}, {self.peak['user']}), {time.monotonic() - began:.0f} s")
        elapsed = time.monotonic() - began
        self.out(f"monkey: seed {self.seed}, {done} actions in {elapsed:.0f} s "
                 f"({100 * self.acting / max(done, 1):.0f} s per 100 without restarts), {len(faults)} fault(s); "
                 f"counts GDI {self.counts and self.counts['gdi']}, USER {self.counts and self.counts['user']} "
                 f"(after the warm-up {self.base['gdi']}, {self.base['user']}; "
                 f"peak {self.peak['gdi']}, {self.peak['user']}); launches {len(self.recorder.starts())}; "
                 f"{dict(self.stats)}")
        return faults

    def fresh_start(self):
        self.since_start = []
        self.d.end_programs()
        self.probe = None
        self.start()
        self.warm_up()

    def step(self, index):
        action = plan(self.seed, index, self.d.width, self.d.height, self.gestures)
        self.since_start.append(index)
        self.log.append(f"#{index} {describe(action)}")
        self.stats[action["kind"]] += 1
        began = time.monotonic()
        try:
            self.perform(action)
            self.check()
        finally:
            self.acting += time.monotonic() - began

    def reproduces(self, indices, kind):
        """True when these actions, from a fresh start, end in a fault of this kind at the last."""
        met = False
        try:
            self.fresh_start()
            for index in indices:
                self.step(index)
        except Fault as fault:
            met = fault.kind == kind and index == indices[-1]
        self.out(f"  {spans(indices)}: {'yes' if met else 'no'}")
        return met

    def minimize(self, indices):
        """A short list of actions that ends in the first fault these actions meet: the shortest
        tail that still does, then without each action it can spare."""
        self.out(f"monkey: seed {self.seed}, minimizing {spans(list(indices))}")
        performed = []
        try:
            self.fresh_start()
            for index in indices:
                performed.append(index)
                self.step(index)
        except Fault as fault:
            kind = fault.kind
            self.out(f"action {index} meets {fault}")
        else:
            self.out("no fault")
            return None
        before = performed[:-1]
        length = 0
        while not self.reproduces(before[len(before) - length:] + [index], kind):
            length = min(max(1, 2 * length), len(before))
            if length == len(before):
                break
        kept = before[len(before) - length:]
        for i in list(kept):
            trial = [k for k in kept if k != i]
            if self.reproduces(trial + [index], kind):
                kept = trial
        found = kept + [index]
        self.out(f"minimal: python3 tests/e2e/monkey.py --seed {self.seed} --only {spans(found)}   ({kind})")
        return found

    def report(self, index, fault):
        where = "the warm-up" if index is None else f"action {index}"
        shot = f"monkey/seed{self.seed}-{'warm-up' if index is None else index}.png"
        self.d.screenshot(save_as=shot)
        self.out(f"FAULT seed {self.seed} {where}: {fault}")
        if index is not None:
            performed = self.since_start
            replay = (f"--actions {index + 1}" if performed == list(range(index + 1))
                      else "--only " + spans(performed))
            self.out(f"  replay: python3 tests/e2e/monkey.py --seed {self.seed} {replay}   "
                     "(add --minimize for a shorter list)")
        self.out(f"  screenshot: {os.path.join(e2e_lib.ARTIFACTS, shot)}")
        self.out("  last actions:\n    " + "\n    ".join(self.log))


def spans(indices):
    """'3-7,9' for [3, 4, 5, 6, 7, 9]; read_spans reads it back."""
    parts, start = [], None
    for position, index in enumerate(indices):
        if start is None:
            start = index
        if position + 1 == len(indices) or indices[position + 1] != index + 1:
            parts.append(str(start) if start == index else f"{start}-{index}")
            start = None
    return ",".join(parts)


def read_spans(text):
    out = []
    for part in text.split(","):
        first, _, last = part.partition("-")
        out += range(int(first), int(last or first) + 1)
    return out


def visible_rect(canvas):
    """What of the canvas shows: its region's box, else the window."""
    if "region" in canvas:
        l, t, r, b = canvas["region"]
        return canvas["left"] + l, canvas["top"] + t, canvas["left"] + r, canvas["top"] + b
    return rect(canvas)


def frozen(canvas, desktop):
    """The frozen screen: the canvas unshaped over the whole desktop, where no cut-out sits."""
    return "region" not in canvas and rect(canvas) == (0, 0, desktop.width, desktop.height)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--seed", type=int, default=int(time.time()) % 100000)
    parser.add_argument("--actions", type=int, default=300)
    parser.add_argument("--every", type=int, default=100, help="print the counts every N actions")
    parser.add_argument("--only", help="the actions to perform, in this order, as 3-7,9")
    parser.add_argument("--keep-going", action="store_true", help="after a fault, start afresh and go on")
    parser.add_argument("--minimize", action="store_true",
                        help="find a short list of actions that ends in the first fault these meet")
    args = parser.parse_args()
    desktop = Desktop(name="monkey").start()
    try:
        monkey = Monkey(desktop, args.seed, out=lambda text: print(text, flush=True), every=args.every)
        indices = read_spans(args.only) if args.only else range(args.actions)
        if args.minimize:
            sys.exit(0 if monkey.minimize(indices) else 1)
        sys.exit(1 if monkey.run(indices, args.keep_going) else 0)
    finally:
        desktop.stop()


if __name__ == "__main__":
    main()
