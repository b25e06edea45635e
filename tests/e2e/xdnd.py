"""Drops files onto an X window the way a Linux file manager does (the XDND protocol), so that
Wine turns the drop into a real Windows file drop. Plain libX11 through ctypes: no extra package.
"""
import ctypes
import ctypes.util
import time
import urllib.parse

_x11 = ctypes.cdll.LoadLibrary(ctypes.util.find_library("X11") or "libX11.so.6")

Window = Atom = Time = ctypes.c_ulong

CLIENT_MESSAGE, SELECTION_REQUEST, SELECTION_NOTIFY = 33, 30, 31
XDND_VERSION = 5


class _ClientData(ctypes.Union):
    _fields_ = [("b", ctypes.c_char * 20), ("s", ctypes.c_short * 10), ("l", ctypes.c_long * 5)]


class _ClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", Window), ("message_type", Atom),
                ("format", ctypes.c_int), ("data", _ClientData)]


class _SelectionRequest(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("owner", Window), ("requestor", Window),
                ("selection", Atom), ("target", Atom), ("property", Atom), ("time", Time)]


class _Selection(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("requestor", Window), ("selection", Atom),
                ("target", Atom), ("property", Atom), ("time", Time)]


class _Event(ctypes.Union):
    _fields_ = [("type", ctypes.c_int), ("client", _ClientMessage), ("request", _SelectionRequest),
                ("selection", _Selection), ("pad", ctypes.c_long * 24)]


_x11.XOpenDisplay.restype = ctypes.c_void_p
_x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
_x11.XInternAtom.restype = Atom
_x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
_x11.XDefaultRootWindow.restype = Window
_x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
_x11.XCreateSimpleWindow.restype = Window
_x11.XCreateSimpleWindow.argtypes = [ctypes.c_void_p, Window, ctypes.c_int, ctypes.c_int, ctypes.c_uint,
                                     ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_ulong]
_x11.XSetSelectionOwner.argtypes = [ctypes.c_void_p, Atom, Window, Time]
_x11.XSendEvent.argtypes = [ctypes.c_void_p, Window, ctypes.c_int, ctypes.c_long, ctypes.POINTER(_Event)]
_x11.XChangeProperty.argtypes = [ctypes.c_void_p, Window, Atom, Atom, ctypes.c_int, ctypes.c_int,
                                 ctypes.c_char_p, ctypes.c_int]
_x11.XPending.argtypes = [ctypes.c_void_p]
_x11.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.POINTER(_Event)]
_x11.XFlush.argtypes = [ctypes.c_void_p]
_x11.XDestroyWindow.argtypes = [ctypes.c_void_p, Window]
_x11.XCloseDisplay.argtypes = [ctypes.c_void_p]


def file_uri(path):
    return "file://" + urllib.parse.quote(path)


def drop_files(display_name, target, x, y, paths, timeout=10.0):
    """Drags `paths` over X window `target` to root position (x, y) and drops them there.

    Returns the target's answer to the position, True when it accepted the drop.
    """
    display = _x11.XOpenDisplay(display_name.encode())
    if not display:
        raise RuntimeError(f"cannot open display {display_name}")
    atom = lambda name: _x11.XInternAtom(display, name.encode(), 0)  # noqa: E731
    names = ("XdndEnter", "XdndPosition", "XdndStatus", "XdndDrop", "XdndFinished", "XdndLeave",
             "XdndSelection", "XdndActionCopy", "text/uri-list")
    a = {name: atom(name) for name in names}
    payload = "".join(file_uri(p) + "\r\n" for p in paths).encode()
    source = _x11.XCreateSimpleWindow(display, _x11.XDefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0)
    _x11.XSetSelectionOwner(display, a["XdndSelection"], source, 0)

    def send(kind, *longs):
        event = _Event()
        event.client.type = CLIENT_MESSAGE
        event.client.window = target
        event.client.message_type = a[kind]
        event.client.format = 32
        for i, value in enumerate(longs):
            event.client.data.l[i] = value
        _x11.XSendEvent(display, target, 0, 0, ctypes.byref(event))
        _x11.XFlush(display)

    def serve_until(predicate):
        """Answers selection requests until predicate(event) holds; returns that event or None."""
        deadline = time.monotonic() + timeout
        event = _Event()
        while time.monotonic() < deadline:
            if not _x11.XPending(display):
                time.sleep(0.01)
                continue
            _x11.XNextEvent(display, ctypes.byref(event))
            if event.type == SELECTION_REQUEST:
                request = event.request
                answer = _Event()
                answer.selection.type = SELECTION_NOTIFY
                answer.selection.requestor = request.requestor
                answer.selection.selection = request.selection
                answer.selection.target = request.target
                answer.selection.time = request.time
                answer.selection.property = 0
                if request.target == a["text/uri-list"]:
                    _x11.XChangeProperty(display, request.requestor, request.property, request.target, 8, 0,
                                         payload, len(payload))
                    answer.selection.property = request.property
                _x11.XSendEvent(display, request.requestor, 0, 0, ctypes.byref(answer))
                _x11.XFlush(display)
            elif predicate(event):
                return event
        return None

    try:
        send("XdndEnter", source, XDND_VERSION << 24, a["text/uri-list"], 0, 0)
        send("XdndPosition", source, 0, (x << 16) | y, 0, a["XdndActionCopy"])
        status = serve_until(lambda e: e.type == CLIENT_MESSAGE and e.client.message_type == a["XdndStatus"])
        accepted = bool(status and status.client.data.l[1] & 1)
        if not accepted:
            send("XdndLeave", source, 0, 0, 0, 0)
            return False
        send("XdndDrop", source, 0, 0, 0, 0)
        serve_until(lambda e: e.type == CLIENT_MESSAGE and e.client.message_type == a["XdndFinished"])
        return True
    finally:
        _x11.XDestroyWindow(display, source)
        _x11.XCloseDisplay(display)
