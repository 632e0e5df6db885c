#!/usr/bin/python3
"""A real X server for the tests: Xvfb on a display number it picks itself, managed by openbox.

Imported, start_x() and start_window_manager() return once each serves. Run (by the Qt tests and
the package check), it prints the display name once the screen is managed and ends both when it
is told to end or its parent ends.
"""
import argparse
import ctypes
import os
import select
import signal
import subprocess
import sys
import time


class StartFailure(Exception):
    """The server or its window manager did not come up."""


def die_with_parent():
    """As preexec_fn: the child ends with its parent, even one killed outright."""
    ctypes.CDLL("libc.so.6").prctl(1, signal.SIGTERM)  # PR_SET_PDEATHSIG


def _start(argv, env, output, **options):
    return subprocess.Popen(argv, env=env, stdin=subprocess.DEVNULL, stdout=output,
                            stderr=subprocess.STDOUT, preexec_fn=die_with_parent, **options)


def start_x(screen, env, output, timeout=20):
    """Xvfb with one screen ("1024x768x24"): the process and its display name (":N")."""
    read_end, write_end = os.pipe()
    # Without -noreset the server resets when its last client leaves, and a window manager
    # still connecting then fails to start.
    xvfb = _start(["Xvfb", "-displayfd", str(write_end), "-noreset", "-nolisten", "tcp",
                   "-screen", "0", screen], env, output, pass_fds=(write_end,))
    os.close(write_end)
    # The number comes once the server accepts clients.
    number, deadline = b"", time.monotonic() + timeout
    while not number.endswith(b"\n"):
        left = deadline - time.monotonic()
        chunk = left > 0 and select.select([read_end], [], [], left)[0] and os.read(read_end, 16)
        if not chunk:
            os.close(read_end)
            xvfb.kill()
            xvfb.wait()
            raise StartFailure(f"Xvfb gave no display (status {xvfb.returncode})")
        number += chunk
    os.close(read_end)
    return xvfb, ":" + number.decode().strip()


def start_window_manager(env, output, config=None, timeout=20):
    """openbox on the display of env, once it has announced itself on the root window."""
    openbox = _start(["openbox", "--sm-disable"] + (["--config-file", config] if config else []),
                     env, output)
    deadline = time.monotonic() + timeout
    while b"window id" not in subprocess.run(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"],
                                             env=env, capture_output=True, timeout=20).stdout:
        if openbox.poll() is not None or time.monotonic() >= deadline:
            openbox.kill()
            openbox.wait()
            raise StartFailure(f"openbox did not manage the screen within {timeout} s "
                               f"(status {openbox.returncode})")
        time.sleep(0.1)
    return openbox


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--screen", default="1024x768x24", help="width x height x depth")
    parser.add_argument("--no-window-manager", action="store_true")
    args = parser.parse_args()
    # Ended by its parent's end or by a signal, it takes both servers with it: each ends with
    # its own parent, this process.
    parent = os.getppid()
    die_with_parent()
    if os.getppid() != parent:
        return 1
    try:
        xvfb, display = start_x(args.screen, os.environ, sys.stderr)
        if not args.no_window_manager:
            start_window_manager(dict(os.environ, DISPLAY=display), sys.stderr)
    except StartFailure as failure:
        print(failure, file=sys.stderr)
        return 1
    print(display, flush=True)
    return xvfb.wait()


if __name__ == "__main__":
    sys.exit(main())
