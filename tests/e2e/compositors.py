"""The desktops pupils really have, for end-to-end runs: GNOME's mutter and KDE's KWin, both as
Wayland compositors with Xwayland, headless, each in a private session bus with its own
accessibility bus.

They keep the interface of harness.Desktop (windows, frames, stacking and xdotool keys work on
Xwayland's X clients), and replace what the compositor owns: screenshots, and the acts of a
person that only the compositor sees (a click that raises, minimising, activating a window).
mutter takes those through its remote-desktop D-Bus interface, KWin through a script it runs.
"""
import json
import os
import re
import shutil
import stat
import subprocess
import threading
import time
import uuid

import harness
from harness import StepFailure, poll

BTN_LEFT = 0x110
XK_CAPS_LOCK = 0xFFE5
XK_ALT_L = 0xFFE9
XK_F4 = 0xFFC1

_SESSION_SCRIPT = """#!/bin/sh
# The compositor's session command: hands its environment over, then waits to be ended.
env > "$1.tmp" && mv "$1.tmp" "$1"
echo $$ > "$1.pid"
exec sleep infinity
"""


def _gio():
    import gi
    gi.require_version("Gio", "2.0")
    from gi.repository import Gio, GLib
    return Gio, GLib


class CompositorDesktop(harness.Desktop):
    """A Wayland compositor with Xwayland, started inside dbus-run-session."""

    kind = None
    binary = None

    def __init__(self, artifacts):
        super().__init__(artifacts)
        self.socket = f"wl-tavorim-{uuid.uuid4().hex[:8]}"
        self._env_file = os.path.join(self.tmp, "session-env")
        self._bus = None

    @classmethod
    def missing_packages(cls):
        needed = [cls.binary, "Xwayland", "dbus-run-session"]
        return [name for name in needed if shutil.which(name) is None]

    def start(self):
        script = os.path.join(self.tmp, "session.sh")
        with open(script, "w", encoding="ascii") as out:
            out.write(_SESSION_SCRIPT)
        os.chmod(script, stat.S_IRWXU)
        inner = (f"{harness.AT_SPI_LAUNCHER} --launch-immediately & "
                 f"exec {self.compositor_command(script + ' ' + self._env_file)}")
        self.session = self.spawn(["dbus-run-session", "--", "sh", "-c", inner],
                                  f"{self.kind}.log")
        poll(lambda: os.path.exists(self._env_file) or self.session.poll() is not None, 30,
             f"{self.kind} running its session command")
        if self.session.poll() is not None:
            raise StepFailure(f"{self.kind} ended at start (status {self.session.returncode})")
        with open(self._env_file, encoding="utf-8", errors="replace") as handed:
            given = dict(line.split("=", 1) for line in handed.read().splitlines() if "=" in line)
        for name in ("DISPLAY", "XAUTHORITY", "WAYLAND_DISPLAY", "DBUS_SESSION_BUS_ADDRESS"):
            if given.get(name):
                self.env[name] = given[name]
        if not self.env.get("DISPLAY"):
            raise StepFailure(f"{self.kind} gave its session no X display")
        self.display = self.env["DISPLAY"]

        def ready():
            wm = self.run(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], check=False)
            bus = self.run(["dbus-send", "--session", "--print-reply", "--dest=org.a11y.Bus",
                            "/org/a11y/bus", "org.a11y.Bus.GetAddress"], check=False)
            return "window id" in wm and "unix:" in bus

        poll(ready, 30, f"{self.kind} managing Xwayland and the accessibility bus")

    def compositor_command(self, session_command):
        raise NotImplementedError

    def stop(self):
        # Ending the session command ends the compositor cleanly, and the bus with it.
        pid_file = self._env_file + ".pid"
        if os.path.exists(pid_file):
            with open(pid_file, encoding="ascii") as handed:
                try:
                    os.kill(int(handed.read().strip()), 15)
                except (ValueError, ProcessLookupError):
                    pass
            try:
                self.session.wait(timeout=10)
            except subprocess.TimeoutExpired:
                pass
        super().stop()

    # -- the session bus -------------------------------------------------------------------

    def bus(self):
        if self._bus is None:
            Gio, _GLib = _gio()
            flags = (Gio.DBusConnectionFlags.AUTHENTICATION_CLIENT
                     | Gio.DBusConnectionFlags.MESSAGE_BUS_CONNECTION)
            self._bus = Gio.DBusConnection.new_for_address_sync(
                self.env["DBUS_SESSION_BUS_ADDRESS"], flags, None, None)
        return self._bus

    def call(self, service, path, interface, method, signature=None, *args, reply=None,
             fds=None):
        Gio, GLib = _gio()
        parameters = GLib.Variant(signature, args) if signature else None
        reply_type = GLib.VariantType(reply) if reply else None
        if fds is None:
            result = self.bus().call_sync(service, path, interface, method, parameters,
                                          reply_type, Gio.DBusCallFlags.NONE, 10000, None)
        else:
            # The list keeps copies of the descriptors, closed with it.
            fd_list = Gio.UnixFDList.new()
            for fd in fds:
                fd_list.append(fd)
            result, _out = self.bus().call_with_unix_fd_list_sync(
                service, path, interface, method, parameters, reply_type,
                Gio.DBusCallFlags.NONE, 10000, fd_list, None)
            del fd_list
        return result.unpack() if result is not None else None

    # -- screenshots: a picture of the whole screen, then cut -------------------------------

    def capture(self, path):
        raise NotImplementedError

    def screenshot(self, path, region=None):
        self.capture(path)
        if region:
            x, y, w, h = region
            self.run([harness.IMAGEMAGICK_CONVERT, path, "-crop", f"{w}x{h}+{x}+{y}", "+repage",
                      path], timeout=30)
        return path

    def raw_pixels(self, region):
        shot = os.path.join(self.tmp, "pixels.png")
        self.screenshot(shot, region)
        return self.run([harness.IMAGEMAGICK_CONVERT, shot, "-depth", "8", "rgb:-"], timeout=30,
                        binary=True)


class MutterDesktop(CompositorDesktop):
    """GNOME's mutter, headless, with a virtual monitor and Xwayland."""

    kind = "mutter"
    binary = "mutter"
    packages = "mutter xwayland"

    def __init__(self, artifacts):
        super().__init__(artifacts)
        self._session_path = None

    def compositor_command(self, session_command):
        return (f"mutter --headless --wayland --virtual-monitor "
                f"{harness.SCREEN_WIDTH}x{harness.SCREEN_HEIGHT} "
                f"--wayland-display={self.socket} -- {session_command}")

    def stop(self):
        if self._session_path:
            try:
                self._remote("Stop")
            except Exception:  # the compositor may already be gone
                pass
            self._session_path = None
        super().stop()

    def capture(self, path):
        # A rootless Xwayland has no picture of its root: every viewable top-level is taken on
        # its own and laid on a black screen, bottom first.
        canvas = [harness.IMAGEMAGICK_CONVERT, "-size",
                  f"{harness.SCREEN_WIDTH}x{harness.SCREEN_HEIGHT}", "xc:black"]
        for index, window in enumerate(self.stacking()):
            info = self.run(["xwininfo", "-id", window], check=False)
            if "Map State: IsViewable" not in info:
                continue
            box = [int(re.search(rf"{label}:\s+(-?\d+)", info).group(1)) for label in
                   ("Absolute upper-left X", "Absolute upper-left Y", "Width", "Height")]
            if box[2] <= 1 or box[3] <= 1:
                continue
            part = os.path.join(self.tmp, f"window-{index}.png")
            done = subprocess.run([harness.IMAGEMAGICK_IMPORT, "-silent", "-window", window, part],
                                  env=self.env, capture_output=True, timeout=30)
            if done.returncode == 0:
                canvas += [part, "-geometry", f"{box[0]:+d}{box[1]:+d}", "-composite"]
        self.run(canvas + [path], timeout=60)

    # -- seat input through the remote-desktop interface -----------------------------------

    def _remote(self, method, signature=None, *args):
        if self._session_path is None:
            self._session_path = self.call(
                "org.gnome.Mutter.RemoteDesktop", "/org/gnome/Mutter/RemoteDesktop",
                "org.gnome.Mutter.RemoteDesktop", "CreateSession", reply="(o)")[0]
            self.call("org.gnome.Mutter.RemoteDesktop", self._session_path,
                      "org.gnome.Mutter.RemoteDesktop.Session", "Start")
        return self.call("org.gnome.Mutter.RemoteDesktop", self._session_path,
                         "org.gnome.Mutter.RemoteDesktop.Session", method, signature, *args)

    def pointer_at(self):
        out = self.run(["xdotool", "getmouselocation"], check=False)
        match = re.search(r"x:(-?\d+) y:(-?\d+)", out)
        return (int(match.group(1)), int(match.group(2))) if match else None

    def real_click(self, x, y):
        """A click the compositor sees (and raises for), from the seat's own pointer."""
        # Relative motion only (absolute motion needs a screen-cast stream): first into the
        # top-left corner, where the pointer stops, then to the point.
        self._remote("NotifyPointerMotionRelative", "(dd)", -4.0 * harness.SCREEN_WIDTH,
                     -4.0 * harness.SCREEN_HEIGHT)
        self._remote("NotifyPointerMotionRelative", "(dd)", float(x), float(y))
        poll(lambda: self.pointer_at() == (x, y), 5, f"the pointer at {x},{y}")
        self._remote("NotifyPointerButton", "(ib)", BTN_LEFT, True)
        self._remote("NotifyPointerButton", "(ib)", BTN_LEFT, False)

    def real_key(self, keysym):
        """A key pressed on the seat's keyboard (X clients see it through Xwayland)."""
        self._remote("NotifyKeyboardKeysym", "(ub)", keysym, True)
        self._remote("NotifyKeyboardKeysym", "(ub)", keysym, False)

    def close_focused(self):
        # mutter's own key binding: it sees only the seat's keys.
        self._remote("NotifyKeyboardKeysym", "(ub)", XK_ALT_L, True)
        self.real_key(XK_F4)
        self._remote("NotifyKeyboardKeysym", "(ub)", XK_ALT_L, False)

    def minimise_as_task_bar(self, window_id, owner_id):
        # mutter refuses to minimise a modal window: a task bar iconifies its owner instead.
        self.run(["xdotool", "windowminimize", owner_id])

    def activate_as_task_bar(self, window_id):
        self.run(["xdotool", "windowactivate", window_id], check=False)


class WaylandMutterDesktop(MutterDesktop):
    """mutter as above, with PipeWire for its screen cast: the only picture of native Wayland
    windows (the program started with QT_QPA_PLATFORM=wayland, as a desktop that forces it)."""

    packages = "mutter xwayland pipewire wireplumber gstreamer1.0-pipewire gstreamer1.0-tools"

    @classmethod
    def missing_packages(cls):
        return super().missing_packages() + [
            name for name in ("pipewire", "wireplumber", "gst-launch-1.0")
            if shutil.which(name) is None]

    def compositor_command(self, session_command):
        runtime = os.path.join(self.tmp, "runtime")
        os.makedirs(runtime, mode=0o700, exist_ok=True)
        self.env["XDG_RUNTIME_DIR"] = runtime
        # PipeWire first, in the same session bus, so that mutter finds it when a cast starts.
        return (f"env XDG_RUNTIME_DIR={runtime} sh -c 'pipewire & wireplumber & "
                f"until [ -S {runtime}/pipewire-0 ]; do sleep 0.05; done; exec "
                + super().compositor_command(session_command) + "'")

    def start(self):
        super().start()
        # The seat's virtual devices come with the remote-desktop session: made now, long before
        # the first key, which would otherwise be lost while they appear.
        self._remote("NotifyPointerMotionRelative", "(dd)", 0.0, 0.0)

    def real_click(self, x, y):
        # Xwayland does not follow the pointer over native Wayland windows: no position to wait
        # for, the corner first and then relative motion reach the point all the same.
        self._remote("NotifyPointerMotionRelative", "(dd)", -4.0 * harness.SCREEN_WIDTH,
                     -4.0 * harness.SCREEN_HEIGHT)
        self._remote("NotifyPointerMotionRelative", "(dd)", float(x), float(y))
        self._remote("NotifyPointerButton", "(ib)", BTN_LEFT, True)
        self._remote("NotifyPointerButton", "(ib)", BTN_LEFT, False)

    def capture(self, path):
        Gio, GLib = _gio()
        service, cast = "org.gnome.Mutter.ScreenCast", "org.gnome.Mutter.ScreenCast"
        session = self.call(service, "/org/gnome/Mutter/ScreenCast", cast, "CreateSession",
                            "(a{sv})", {}, reply="(o)")[0]
        stream = self.call(service, session, cast + ".Session", "RecordMonitor", "(sa{sv})", "",
                           {}, reply="(o)")[0]
        nodes = []
        loop = GLib.MainLoop()

        def added(_bus, _sender, _path, _interface, _signal, parameters, *_rest):
            nodes.append(parameters.unpack()[0])
            loop.quit()

        watch = self.bus().signal_subscribe(None, cast + ".Stream", "PipeWireStreamAdded",
                                            stream, None, Gio.DBusSignalFlags.NONE, added)
        try:
            self.call(service, session, cast + ".Session", "Start")
            GLib.timeout_add_seconds(10, loop.quit)
            loop.run()
            if not nodes:
                raise StepFailure("mutter's screen cast gave no stream")
            # A new stream starts with a whole frame of the screen as it is.
            self.run(["gst-launch-1.0", "-q", "pipewiresrc", f"path={nodes[0]}",
                      "num-buffers=1", "!", "videoconvert", "!", "pngenc", "snapshot=true",
                      "!", "filesink", f"location={path}"], timeout=30)
        finally:
            self.bus().signal_unsubscribe(watch)
            self.call(service, session, cast + ".Session", "Stop")


class KWinDesktop(CompositorDesktop):
    """KDE's kwin_wayland with its virtual back end and Xwayland."""

    kind = "kwin"
    binary = "kwin_wayland"
    packages = "kwin-wayland kwin-style-breeze xwayland"

    def compositor_command(self, session_command):
        # The packaged binary carries a file capability that a container refuses to exec;
        # a plain copy drops it.
        copy = os.path.join(self.tmp, "kwin_wayland")
        shutil.copy(shutil.which(self.binary), copy)
        self.env["KWIN_SCREENSHOT_NO_PERMISSION_CHECKS"] = "1"
        return (f"{copy} --virtual --width {harness.SCREEN_WIDTH} "
                f"--height {harness.SCREEN_HEIGHT} --xwayland --socket {self.socket} "
                f"--no-lockscreen --no-global-shortcuts --exit-with-session '{session_command}'")

    def capture(self, path):
        read_end, write_end = os.pipe()
        data = bytearray()

        def drain():
            with os.fdopen(read_end, "rb") as pipe:
                while chunk := pipe.read(1 << 16):
                    data.extend(chunk)

        reader = threading.Thread(target=drain)
        reader.start()
        try:
            answer = self.call("org.kde.KWin.ScreenShot2", "/org/kde/KWin/ScreenShot2",
                               "org.kde.KWin.ScreenShot2", "CaptureWorkspace", "(a{sv}h)", {}, 0,
                               reply="(a{sv})", fds=[write_end])[0]
        finally:
            os.close(write_end)
            reader.join(timeout=30)
        width, height, stride = answer["width"], answer["height"], answer["stride"]
        if len(data) < stride * height:
            raise StepFailure(f"KWin's screenshot gave {len(data)} bytes for {width}x{height}")
        rows = b"".join(bytes(data[row * stride:row * stride + width * 4])
                        for row in range(height))
        # ARGB32 words, little-endian: blue, green, red, alpha in memory.
        subprocess.run([harness.IMAGEMAGICK_CONVERT, "-size", f"{width}x{height}", "-depth", "8",
                        "bgra:-", "-alpha", "off", path], input=rows, env=self.env, check=True,
                       capture_output=True, timeout=60)

    # -- window management through a KWin script -------------------------------------------

    def script(self, body):
        """Runs JavaScript in KWin; returns what it printed (one JSON value per print)."""
        marker = f"tavorim-{uuid.uuid4().hex}"
        path = os.path.join(self.tmp, f"{marker}.js")
        with open(path, "w", encoding="utf-8") as out:
            out.write("function report(value) { print('%s ' + JSON.stringify(value)); }\n"
                      % marker)
            out.write(body)
        self.call("org.kde.KWin", "/Scripting", "org.kde.kwin.Scripting", "loadScript", "(ss)",
                  path, marker, reply="(i)")
        self.call("org.kde.KWin", "/Scripting", "org.kde.kwin.Scripting", "start")
        log = os.path.join(self.artifacts, f"{self.kind}.log")
        found = []

        def printed():
            with open(log, encoding="utf-8", errors="replace") as lines:
                found[:] = [json.loads(line.split(marker + " ", 1)[1])
                            for line in lines if marker + " " in line]
            return found or None

        try:
            poll(printed, 10, "the KWin script's answer", interval=0.05)
        finally:
            self.call("org.kde.KWin", "/Scripting", "org.kde.kwin.Scripting", "unloadScript",
                      "(s)", marker)
        return found

    _CLIENT = ("function find(id) { var list = workspace.clientList();"
               " for (var i = 0; i < list.length; ++i) if (list[i].windowId == id) return list[i];"
               " return null; }\n")

    def clients(self):
        """What KWin knows of every window: caption, frame, minimised, modal, stacking."""
        return self.script(
            "var out = []; var list = workspace.clientList();\n"
            "for (var i = 0; i < list.length; ++i) { var c = list[i]; var g = c.frameGeometry;\n"
            " out.push({caption: c.caption, windowId: c.windowId, minimized: c.minimized,\n"
            "  modal: c.modal, transient: c.transient, stackingOrder: c.stackingOrder,\n"
            "  active: c === workspace.activeClient, x: g.x, y: g.y, width: g.width,\n"
            "  height: g.height}); }\nreport(out);\n")[0]

    def minimise_as_task_bar(self, window_id, owner_id):
        self.script(self._CLIENT + f"var c = find({int(window_id, 16)});"
                    " if (c) c.minimized = true; report(c !== null);\n")

    def close_focused(self):
        # No key reaches KWin's own bindings from here: its close, as Alt+F4 asks for it.
        self.script("var c = workspace.activeClient; if (c) c.closeWindow(); report(!!c);\n")

    def activate_as_task_bar(self, window_id):
        self.script(self._CLIENT + f"var c = find({int(window_id, 16)});"
                    " if (c) workspace.activeClient = c; report(c !== null);\n")

    def real_click(self, x, y):
        """KWin takes no injected pointer: the click goes to the X client through Xwayland,
        and the window is activated (and so raised) as the compositor does on a click."""
        window = self.run(["xdotool", "mousemove", "--sync", str(x), str(y), "getmouselocation",
                           "--shell"])
        match = re.search(r"WINDOW=(\d+)", window)
        if match:
            self.activate_as_task_bar(self.toplevel_client(hex(int(match.group(1)))))
        self.run(["xdotool", "click", "1"])

    def toplevel_client(self, window_id):
        """The client window (the one KWin knows) under a frame or the client itself."""
        known = {c["windowId"] for c in self.clients()}
        if int(window_id, 16) in known:
            return window_id
        out = self.run(["xwininfo", "-children", "-id", window_id], check=False)
        for child in re.findall(r"^\s+(0x[0-9a-f]+) ", out.split("children:", 1)[-1], re.M):
            if int(child, 16) in known:
                return child
        return window_id


DESKTOPS = {"mutter": MutterDesktop, "kwin": KWinDesktop}
