"""A private desktop for end-to-end runs of Tavorim, and the ways a person acts on it and sees it.

The desktop is an Xvfb server on a display number of its own, openbox, a private D-Bus session
bus and the accessibility bus. Every process started here (and everything those start, down to
D-Bus activated services) carries a run marker in its environment; stopping the desktop ends
them all by process id, so no run leaves anything behind, even after a failure.

Input goes only through xdotool (the keys and clicks a person makes); output is read only
through xwininfo (titles, geometry, map state), screenshots and the accessibility tree.
"""
import contextlib
import ctypes
import http.server
import json
import os
import re
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time
import urllib.parse
import uuid

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "support"))
import xserver  # noqa: E402 (found beside the other shared fixtures)

SYSTEM_PYTHON = "/usr/bin/python3"
SCREEN_WIDTH, SCREEN_HEIGHT = 1280, 1024
IMAGEMAGICK_IMPORT = "/usr/bin/import"
IMAGEMAGICK_CONVERT = "/usr/bin/convert"

REQUIRED_TOOLS = ["Xvfb", "openbox", "xdotool", "xwininfo", "xprop", "xrandr", "dbus-daemon",
                  "dbus-send"]
AT_SPI_LAUNCHER = "/usr/libexec/at-spi-bus-launcher"


class StepFailure(Exception):
    """A check of a scenario did not hold."""


def missing_prerequisites():
    """Names of the tools this harness cannot run without (empty when all are there)."""
    missing = [tool for tool in REQUIRED_TOOLS if shutil.which(tool) is None]
    for path in (AT_SPI_LAUNCHER, SYSTEM_PYTHON, IMAGEMAGICK_IMPORT, IMAGEMAGICK_CONVERT):
        if not os.access(path, os.X_OK):
            missing.append(path)
    if os.access(SYSTEM_PYTHON, os.X_OK):
        probe = subprocess.run([SYSTEM_PYTHON, "-c", "import pyatspi"], capture_output=True)
        if probe.returncode != 0:
            missing.append("python3-pyatspi (for " + SYSTEM_PYTHON + ")")
    return missing


def poll(probe, timeout, what, interval=0.1):
    """Calls probe() until it returns something true, at most for timeout seconds.

    Returns that value; raises StepFailure naming what was awaited and the last value seen.
    """
    deadline = time.monotonic() + timeout
    last = None
    while True:
        last = probe()
        if last:
            return last
        if time.monotonic() >= deadline:
            raise StepFailure(f"{what}: not seen within {timeout:g} s (last seen: {last!r})")
        time.sleep(interval)


_LIBC = ctypes.CDLL("libc.so.6", use_errno=True)
_PR_SET_CHILD_SUBREAPER = 36


def _reap_orphans():
    # Processes whose parent ended before them (the accessibility bus and its registry) come
    # to us as the sub-reaper; collect them so that none stays behind as a zombie.
    while True:
        try:
            pid, _status = os.waitpid(-1, os.WNOHANG)
        except ChildProcessError:
            return
        if pid == 0:
            return


class StatsProxy:
    """A loopback HTTP proxy that records every request the program sends through it."""

    def __init__(self):
        self.requests = []
        self._lock = threading.Lock()
        proxy = self

        class Handler(http.server.BaseHTTPRequestHandler):
            def do_GET(self):  # noqa: N802 (the base class names it)
                with proxy._lock:
                    proxy.requests.append({"time": time.monotonic(), "target": self.path,
                                           "host": self.headers.get("Host", "")})
                body = b"ok\n"
                self.send_response(200)
                self.send_header("Content-Type", "text/plain")
                self.send_header("Content-Length", str(len(body)))
                self.end_headers()
                self.wfile.write(body)

            def log_message(self, *args):
                pass

        self._server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
        self._server.daemon_threads = True
        self._thread = threading.Thread(target=self._server.serve_forever, daemon=True)
        self._thread.start()

    @property
    def address(self):
        host, port = self._server.server_address
        return f"http://{host}:{port}"

    def received(self):
        with self._lock:
            return list(self.requests)

    @staticmethod
    def query_of(request):
        """The decoded query of a request's target (the proxy gets the absolute address)."""
        parts = urllib.parse.urlsplit(request["target"])
        return parts.path, urllib.parse.unquote(parts.query)

    def stop(self):
        self._server.shutdown()
        self._server.server_close()


class Desktop:
    """Xvfb + openbox + a session bus + the accessibility bus, all private to one run."""

    kind = "openbox"
    packages = "xvfb openbox"
    # The X screen, and the monitors RandR splits it into (name, x, y, width, height), the
    # primary one first; none: the screen is one monitor.
    screen_size = (SCREEN_WIDTH, SCREEN_HEIGHT)
    monitors = ()

    @property
    def primary(self):
        """The primary monitor: x, y, width, height."""
        return self.monitors[0][1:] if self.monitors else (0, 0, *self.screen_size)

    @classmethod
    def missing_packages(cls):
        """What this kind of desktop lacks beyond the harness's own tools (empty: nothing)."""
        return []

    def __init__(self, artifacts):
        self.artifacts = artifacts
        self.tmp = tempfile.mkdtemp(prefix="tavorim-e2e-")
        self.marker = "TAVORIM_E2E_RUN"
        self.marker_value = uuid.uuid4().hex
        self.display = None
        self._children = []
        # Orphans of this run are handed to this process, not to init, so they can be reaped.
        _LIBC.prctl(_PR_SET_CHILD_SUBREAPER, 1)
        self.env = dict(os.environ)
        for name in ("DISPLAY", "WAYLAND_DISPLAY", "DBUS_SESSION_BUS_ADDRESS", "AT_SPI_BUS_ADDRESS",
                     "SESSION_MANAGER", "XAUTHORITY", "no_proxy", "NO_PROXY", "http_proxy",
                     "HTTP_PROXY", "all_proxy", "ALL_PROXY", "https_proxy", "HTTPS_PROXY"):
            self.env.pop(name, None)
        runtime = os.path.join(self.tmp, "runtime")
        os.mkdir(runtime, 0o700)
        pulse_conf = os.path.join(self.tmp, "pulse-client.conf")
        with open(pulse_conf, "w", encoding="ascii") as conf:
            conf.write("autospawn = no\n")
        self.env.update({
            self.marker: self.marker_value,
            "XDG_RUNTIME_DIR": runtime,
            "XDG_CONFIG_HOME": os.path.join(self.tmp, "config"),
            "XDG_CACHE_HOME": os.path.join(self.tmp, "cache"),
            "XDG_DATA_HOME": os.path.join(self.tmp, "data"),
            "PULSE_CLIENTCONFIG": pulse_conf,
            "LC_ALL": "C.UTF-8",
        })

    # -- starting and stopping -------------------------------------------------------------

    def spawn(self, argv, log_name, cwd=None, env=None):
        log = open(os.path.join(self.artifacts, log_name), "wb")
        child = subprocess.Popen(argv, cwd=cwd, env=env or self.env, stdin=subprocess.DEVNULL,
                                 stdout=log, stderr=subprocess.STDOUT,
                                 preexec_fn=xserver.die_with_parent)
        log.close()
        self._children.append(child)
        return child

    def start(self):
        self._start_x()
        self._start_window_manager()
        self._start_session_bus()
        self._start_accessibility_bus()

    def _start_x(self):
        with open(os.path.join(self.artifacts, "xvfb.log"), "wb") as log:
            xvfb, self.display = xserver.start_x(
                "x".join(str(n) for n in self.screen_size) + "x24", self.env, log)
        self._children.append(xvfb)
        self.env["DISPLAY"] = self.display
        for index, (name, x, y, w, h) in enumerate(self.monitors):
            # "*" marks the primary monitor; the last one takes over Xvfb's own output, whose
            # monitor would otherwise cover the whole screen.
            last = index == len(self.monitors) - 1
            self.run(["xrandr", "--setmonitor", ("*" if index == 0 else "") + name,
                      f"{w}/{w * 254 // 960}x{h}/{h * 254 // 960}+{x}+{y}",
                      "screen" if last else "none"])

    def _start_window_manager(self):
        with open(os.path.join(self.artifacts, "openbox.log"), "wb") as log:
            self._children.append(xserver.start_window_manager(
                self.env, log, os.path.join(HERE, "openbox-rc.xml")))

    def _start_session_bus(self):
        bus = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--print-address=1"],
                               env=self.env, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                               stderr=subprocess.DEVNULL, preexec_fn=xserver.die_with_parent)
        self._children.append(bus)
        if not select.select([bus.stdout], [], [], 20)[0]:
            raise StepFailure("the session bus did not give its address within 20 s")
        address = bus.stdout.readline().decode().strip()
        if not address:
            raise StepFailure("the session bus ended at start")
        self.env["DBUS_SESSION_BUS_ADDRESS"] = address

    def _start_accessibility_bus(self):
        self.spawn([AT_SPI_LAUNCHER, "--launch-immediately"], "at-spi-bus-launcher.log")

        def bus_ready():
            out = self.run(["dbus-send", "--session", "--print-reply", "--dest=org.a11y.Bus",
                            "/org/a11y/bus", "org.a11y.Bus.GetAddress"], check=False)
            return "unix:" in out

        poll(bus_ready, 20, "the accessibility bus")

    def stop(self):
        """Ends every process of this run, gently first, and removes the temporary files."""
        for child in reversed(self._children):
            if child.poll() is None:
                child.terminate()
        for child in reversed(self._children):
            try:
                child.wait(timeout=5)
            except subprocess.TimeoutExpired:
                child.kill()
                child.wait(timeout=5)
            if child.stdout:
                child.stdout.close()
        self._end_marked_processes()
        _reap_orphans()
        shutil.rmtree(self.tmp, ignore_errors=True)

    def marked_processes(self):
        """Process ids that carry this run's marker (started by this run, however deep)."""
        needle = f"{self.marker}={self.marker_value}".encode()
        found = []
        for entry in os.listdir("/proc"):
            if not entry.isdigit() or int(entry) == os.getpid():
                continue
            try:
                with open(f"/proc/{entry}/environ", "rb") as environ:
                    if needle in environ.read().split(b"\0"):
                        found.append(int(entry))
            except OSError:
                continue
        return found

    def _end_marked_processes(self):
        for sig, wait in ((signal.SIGTERM, 3.0), (signal.SIGKILL, 3.0)):
            pids = self.marked_processes()
            if not pids:
                return
            for pid in pids:
                with contextlib.suppress(ProcessLookupError):
                    os.kill(pid, sig)
            deadline = time.monotonic() + wait
            while time.monotonic() < deadline and self.marked_processes():
                _reap_orphans()
                time.sleep(0.05)
        left = self.marked_processes()
        if left:
            print(f"warning: processes of this run still alive: {left}", file=sys.stderr)

    # -- commands against the display ----------------------------------------------------

    def run(self, argv, check=True, timeout=20, binary=False):
        done = subprocess.run(argv, env=self.env, capture_output=True, timeout=timeout)
        if check and done.returncode != 0:
            raise StepFailure(f"{' '.join(argv)} failed ({done.returncode}): "
                              f"{done.stderr.decode(errors='replace').strip()}")
        return done.stdout if binary else done.stdout.decode(errors="replace")

    # Input, as a person makes it.

    def key(self, *keys):
        """Presses and releases each key combination in turn (xdotool names: alt+c, Return)."""
        self.run(["xdotool", "key", "--delay", "60", *keys])

    def type_text(self, text):
        self.run(["xdotool", "type", "--delay", "60", text])

    def click(self, x, y):
        self.run(["xdotool", "mousemove", "--sync", str(x), str(y), "click", "1"])

    def real_click(self, x, y):
        """A click the window manager sees as well as the window (here the X server is the
        seat)."""
        self.click(x, y)

    def minimise_as_task_bar(self, window_id, owner_id):
        """Minimises a window as a task bar or a title bar button does."""
        self.run(["xdotool", "windowminimize", window_id])

    def activate_as_task_bar(self, window_id):
        """Asks the window manager to activate a window, as a task bar does."""
        self.run(["xdotool", "windowactivate", window_id], check=False)

    def close_focused(self):
        """The window manager's close key on the focused window."""
        self.key("alt+F4")

    # Windows, as xwininfo shows them.

    _TREE_LINE = re.compile(
        r'^\s*(0x[0-9a-f]+) (?:"(.*)"|\(has no name\)): \((?:"([^"]*)" "([^"]*)")?\)\s+'
        r'(\d+)x(\d+)\+(-?\d+)\+(-?\d+)\s+\+(-?\d+)\+(-?\d+)')

    def windows(self, wm_class=None):
        """Top-level client windows that are mapped and viewable, as dicts: id, title, class,
        client width/height and absolute x/y."""
        # A window that goes away while xwininfo walks the tree makes it fail (BadWindow,
        # BadDrawable): the walk is simply made again.
        for attempt in range(5):
            done = subprocess.run(["xwininfo", "-root", "-tree"], env=self.env,
                                  capture_output=True, timeout=20)
            if done.returncode == 0 or b"X Error" not in done.stderr or attempt == 4:
                break
            time.sleep(0.05)
        if done.returncode != 0:
            raise StepFailure(f"xwininfo -root -tree failed ({done.returncode}): "
                              f"{done.stderr.decode(errors='replace').strip()}")
        out = done.stdout.decode(errors="replace")
        found = []
        for line in out.splitlines():
            match = self._TREE_LINE.match(line)
            if not match or match.group(3) is None:
                continue
            if wm_class and wm_class.lower() not in (match.group(3).lower(), match.group(4).lower()):
                continue
            window = {"id": match.group(1), "title": _unescape_xwininfo(match.group(2) or ""),
                      "class": match.group(4), "width": int(match.group(5)),
                      "height": int(match.group(6)), "x": int(match.group(9)),
                      "y": int(match.group(10))}
            # Geometry as of the reading that finds the window viewable: the tree may have been
            # read while the program was still setting the window up, before it was mapped.
            info = self.run(["xwininfo", "-id", window["id"]], check=False)
            if "Map State: IsViewable" in info:
                found.append(window | _geometry(info))
        return found

    def is_viewable(self, window_id):
        out = self.run(["xwininfo", "-id", window_id], check=False)
        return "Map State: IsViewable" in out

    def is_shown(self, window_id):
        """Viewable and not minimised: a compositor may keep a minimised X window mapped, so
        the window manager's state says it too."""
        if not self.is_viewable(window_id):
            return False
        out = self.run(["xprop", "-id", window_id, "WM_STATE", "_NET_WM_STATE"], check=False)
        return "Iconic" not in out and "_NET_WM_STATE_HIDDEN" not in out

    def toplevel_of(self, window_id):
        """The child of the root that holds the window (its window manager frame)."""
        root = re.search(r"Root window id: (0x[0-9a-f]+)",
                         self.run(["xwininfo", "-children", "-id", window_id])).group(1)
        frame = window_id
        for _ in range(10):
            parent = re.search(r"Parent window id: (0x[0-9a-f]+)",
                               self.run(["xwininfo", "-children", "-id", frame])).group(1)
            if parent == root:
                break
            frame = parent
        return frame

    def stacking(self):
        """The children of the root from the bottom of the stack to its top."""
        out = self.run(["xwininfo", "-root", "-children"])
        # xwininfo lists them topmost first.
        top_first = re.findall(r"^\s+(0x[0-9a-f]+) ", out.split("children:", 1)[-1], re.M)
        return top_first[::-1]

    def is_above(self, upper_id, lower_id):
        """Whether the first window is stacked above the second (frames compared)."""
        order = self.stacking()
        return order.index(self.toplevel_of(upper_id)) > order.index(self.toplevel_of(lower_id))

    def frame_of(self, window_id):
        """The window with the window manager's frame: x, y, width, height on the screen."""
        return _geometry(self.run(["xwininfo", "-id", self.toplevel_of(window_id)]))

    def visible_frame(self, window_id):
        """The window and the frame the window manager draws around it, as it publishes it
        (_NET_FRAME_EXTENTS: without the invisible borders some keep for resizing)."""
        box = _geometry(self.run(["xwininfo", "-id", window_id]))
        extents = re.search(r"= (\d+), (\d+), (\d+), (\d+)",
                            self.run(["xprop", "-id", window_id, "_NET_FRAME_EXTENTS"],
                                     check=False))
        left, right, top, bottom = (int(v) for v in extents.groups()) if extents else (0,) * 4
        return {"x": box["x"] - left, "y": box["y"] - top, "width": box["width"] + left + right,
                "height": box["height"] + top + bottom}

    def focused_window_title(self):
        out = self.run(["xdotool", "getwindowfocus", "getwindowname"], check=False)
        return out.strip()

    # Screenshots.

    def screenshot(self, path, region=None):
        """Saves the screen (or x, y, width, height of it) as a PNG file."""
        argv = [IMAGEMAGICK_IMPORT, "-silent", "-window", "root"]
        if region:
            x, y, w, h = region
            argv += ["-crop", f"{w}x{h}+{x}+{y}", "+repage"]
        self.run(argv + [path], timeout=30)
        return path

    def raw_pixels(self, region):
        """The RGB bytes of a region of the screen (x, y, width, height), row by row."""
        x, y, w, h = region
        return self.run([IMAGEMAGICK_IMPORT, "-silent", "-window", "root", "-crop",
                         f"{w}x{h}+{x}+{y}", "+repage", "-depth", "8", "rgb:-"],
                        timeout=30, binary=True)

    def pixels(self, region):
        """The RGB pixels of a region of the screen, row by row, as (r, g, b) tuples."""
        raw = self.raw_pixels(region)
        if len(raw) != region[2] * region[3] * 3:
            raise StepFailure(f"screenshot of {region} gave {len(raw)} bytes, "
                              f"not {region[2] * region[3] * 3}")
        return [tuple(raw[i:i + 3]) for i in range(0, len(raw), 3)]

    # The accessibility tree.

    def accessible_windows(self, app_name):
        """What a screen reader sees of the application: a list of windows with their nodes."""
        done = subprocess.run([SYSTEM_PYTHON, os.path.join(HERE, "a11y_dump.py"), app_name],
                              env=self.env, capture_output=True, timeout=30)
        if done.returncode != 0:
            raise StepFailure("reading the accessibility tree failed: "
                              + done.stderr.decode(errors="replace").strip()[-2000:])
        return json.loads(done.stdout.decode() or "[]")


def _geometry(xwininfo_output):
    """x, y, width and height of a window from what xwininfo -id prints of it."""
    values = {}
    for key, label in (("x", "Absolute upper-left X"), ("y", "Absolute upper-left Y"),
                       ("width", "Width"), ("height", "Height")):
        match = re.search(rf"^\s*{label}:\s+(-?\d+)", xwininfo_output, re.M)
        values[key] = int(match.group(1))
    return values


def _unescape_xwininfo(title):
    # xwininfo prints non-ASCII bytes of a title as octal escapes (\303\250).
    if "\\" not in title:
        return title
    raw = re.sub(rb"\\([0-7]{3})", lambda m: bytes([int(m.group(1), 8)]),
                 title.encode("latin-1", errors="backslashreplace"))
    return raw.decode("utf-8", errors="replace")


class Program:
    """One copy of Tavorim, started from its program folder as a user would start it."""

    def __init__(self, desktop, program_dir, proxy, log_name, platform="xcb"):
        """platform: the QT_QPA_PLATFORM given, or None to leave the choice to the program
        as a desktop session does."""
        self.desktop = desktop
        self.log_path = os.path.join(desktop.artifacts, log_name)
        env = dict(desktop.env)
        env.update({
            "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1",
            "http_proxy": proxy.address,
            "HTTP_PROXY": proxy.address,
        })
        if platform:
            env["QT_QPA_PLATFORM"] = platform
        else:
            env.pop("QT_QPA_PLATFORM", None)
            if env.get("WAYLAND_DISPLAY"):
                env["XDG_SESSION_TYPE"] = "wayland"
        self.process = desktop.spawn([os.path.join(program_dir, "tavorim")], log_name,
                                     cwd=program_dir, env=env)
        self.pid = self.process.pid

    def running(self):
        return self.process.poll() is None

    def log_tail(self, lines=40):
        try:
            with open(self.log_path, encoding="utf-8", errors="replace") as log:
                return "".join(log.readlines()[-lines:])
        except OSError:
            return ""
