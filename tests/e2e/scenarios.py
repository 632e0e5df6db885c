#!/usr/bin/python3
"""End-to-end scenarios of Tavorim under a real X server.

Each scenario runs on a desktop of its own (see harness.py), starts the program from its
program folder as a user would, drives it with keys and clicks only, and reads back what a
person or a screen reader sees. Steps are named; a failure says which step failed and why,
keeps a screenshot of that moment and prints the end of the program's output.

Usage: scenarios.py [--artifacts DIR] SCENARIO...   (SCENARIO: shell, drills, help, and those
of window_scenarios.py)
Environment: TAVORIM_PROGRAM_DIR, the program folder (the binary `tavorim` is there).
Exit status: 0 all passed, 1 a step failed, 77 a prerequisite of the harness is missing.
"""
import argparse
import contextlib
import html
import os
import re
import shutil
import signal
import sys
import time
import traceback

import harness
from harness import StepFailure, poll

APP = "tavorim"
BACKDROP_TITLE = "TAVORIM"
VERSION = "2.4"
MAIN_TITLE = f"TavoRim v. {VERSION} complète et gratuite"
ROMAN_TITLE = "Convertir en chiffres romains :"
ARABIC_TITLE = "Convertir en chiffres arabes  :"
LEVEL_TITLE = "Difficulté"
ABOUT_TITLE = "A propos"
CONFIRM_TITLE = "Confirmation"
CONFIRM_TEXT = "Voulez-vous vraiment quitter le logiciel"
NOT_INSTALLED_TEXT = "MS Html Help is not installed on this PC."
# The application title: the program file's name.
APPLICATION_TITLE = "tavorim"
HELP_SOURCES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "assets",
                            "help")

# Generous bounds for things the program does at once; only the lock-key indicator and the
# exit pause have figures of their own, and they are reported as measured.
APPEAR = 20.0
LOCK_KEY_BOUND = 2.0
EXIT_BOUND = 5.0
# How long a window that must not appear is watched for, once the keys after the one that
# could have opened it have been handled.
QUIET = 1.5

# What the sanitizers of the checked build print when they find something.
SANITIZER_REPORT = re.compile(r"ERROR: (?:Address|Leak|Thread|Memory)Sanitizer|runtime error:|"
                              r"SUMMARY: \w+Sanitizer")

ROMAN_DIGITS = [(1000, "M"), (900, "CM"), (500, "D"), (400, "CD"), (100, "C"), (90, "XC"),
                (50, "L"), (40, "XL"), (10, "X"), (9, "IX"), (5, "V"), (4, "IV"), (1, "I")]


def to_roman(number):
    out = []
    for value, letters in ROMAN_DIGITS:
        while number >= value:
            out.append(letters)
            number -= value
    return "".join(out)


def from_roman(numeral):
    """The value of a well-formed Roman numeral; StepFailure for anything else."""
    values = {"I": 1, "V": 5, "X": 10, "L": 50, "C": 100, "D": 500, "M": 1000}
    if not numeral or any(letter not in values for letter in numeral):
        raise StepFailure(f"{numeral!r} is not a Roman numeral")
    total = 0
    for index, letter in enumerate(numeral):
        value = values[letter]
        following = values[numeral[index + 1]] if index + 1 < len(numeral) else 0
        total += -value if value < following else value
    if not 1 <= total <= 3999 or to_roman(total) != numeral:
        raise StepFailure(f"{numeral!r} is not the usual way of writing a number")
    return total


class Aborted(Exception):
    """A step failed; the scenario cannot go on."""


# -- reading the accessibility tree ----------------------------------------------------------

def strings_of(node):
    return [s for s in (node["name"], node["description"], node["text"]) if s]


def is_editable(node):
    return "editable" in node["states"] or node["role"] in ("text", "entry", "password text")


def find_string(nodes, pattern, editable=False):
    """The first match of pattern (a full match) among the texts of the nodes, or None.

    Editable nodes (the answer box) are left out unless asked for, so that a typed answer is
    never taken for a text the program shows."""
    regex = re.compile(pattern)
    for node in nodes:
        if is_editable(node) != editable:
            continue
        for text in strings_of(node):
            match = regex.fullmatch(text.strip())
            if match:
                return match
    return None


def visible_texts(nodes):
    return sorted({text for node in nodes for text in strings_of(node)})


class Scenario:
    """One run: a desktop, a loopback proxy standing in for the statistics host, the program."""

    def __init__(self, name, program_dir, artifacts, desktop_class=None):
        self.name = name
        self.desktop_class = desktop_class or harness.Desktop
        self.program_dir = program_dir
        self.artifacts = os.path.join(artifacts, name)
        os.makedirs(self.artifacts, exist_ok=True)
        self.desktop = None
        self.proxy = None
        self.programs = []
        self.step_number = 0
        self.failed_steps = []

    # -- frame ------------------------------------------------------------------------------

    def __enter__(self):
        self.proxy = harness.StatsProxy()
        self.desktop = self.desktop_class(self.artifacts)
        return self

    def __exit__(self, *exc):
        if self.desktop:
            self.desktop.stop()
        if self.proxy:
            self.proxy.stop()
        return False

    @contextlib.contextmanager
    def step(self, title, goes_on=False):
        """A named step. A failed step stops the scenario, unless goes_on says that the
        steps after it do not depend on it (the scenario still counts as failed)."""
        self.step_number += 1
        label = f"[{self.name}] step {self.step_number}: {title}"
        print(f"{label} ...", flush=True)
        begun = time.monotonic()
        try:
            yield
        except (StepFailure, harness.xserver.StartFailure, AssertionError,
                harness.subprocess.TimeoutExpired) as failure:
            self._report_failure(label, str(failure) or failure.__class__.__name__)
            self.failed_steps.append(label)
            if goes_on:
                return
            raise Aborted() from failure
        except Exception:  # an error of the harness itself still names the step
            self._report_failure(label, traceback.format_exc())
            self.failed_steps.append(label)
            raise Aborted() from None
        print(f"{label}: ok ({time.monotonic() - begun:.1f} s)", flush=True)

    def _report_failure(self, label, message):
        print(f"{label}: FAILED\n    {message}", flush=True)
        if self.desktop and self.desktop.display:
            with contextlib.suppress(Exception):
                shot = self.desktop.screenshot(os.path.join(
                    self.artifacts, f"failure-step{self.step_number}.png"))
                print(f"    screenshot: {shot}")
            with contextlib.suppress(Exception):
                titles = [w["title"] for w in self.desktop.windows(APP)]
                print(f"    windows on screen: {titles}")
        for program in self.programs:
            tail = program.log_tail()
            if tail:
                print(f"    end of the output of tavorim (pid {program.pid}):")
                print("      " + tail.rstrip().replace("\n", "\n      "))

    # -- the program ------------------------------------------------------------------------

    def start_program(self, program_dir=None, platform="xcb"):
        """Starts a copy from the program folder, or from another folder given; platform as
        harness.Program takes it."""
        program = harness.Program(self.desktop, program_dir or self.program_dir, self.proxy,
                                  f"tavorim-{len(self.programs) + 1}.log", platform)
        program.started_at = time.monotonic()
        self.programs.append(program)
        return program

    def window(self, title, timeout=APPEAR):
        def probe():
            return next((w for w in self.desktop.windows(APP) if w["title"] == title), None)

        return poll(probe, timeout, f"a window titled {title!r}")

    def settled_window(self, title, timeout=APPEAR):
        """The window titled title once it has stopped moving: a window coming back from the
        task bar is drawn growing out of it for a while (openbox), and a new window is placed
        again once the program knows the frame the window manager gave it."""
        last = []

        def probe():
            window = self.window(title, timeout)
            box = (window["x"], window["y"], window["width"], window["height"])
            still = bool(last) and last[-1] == box
            last.append(box)
            return window if still else None

        return poll(probe, timeout, f"the window {title!r} at rest", interval=0.25)

    def window_gone(self, title, timeout=APPEAR):
        poll(lambda: all(w["title"] != title for w in self.desktop.windows(APP)), timeout,
             f"the window {title!r} closed")

    def accessible(self, window, ratio=1):
        """The accessible objects of the window on screen, matched by place and size (which a
        screen reader is given in the window's own pixels: the screen's divided by ratio)."""
        box = [window["x"], window["y"], window["width"], window["height"]]

        def probe():
            return next((c["nodes"] for c in self.desktop.accessible_windows(APP)
                         if c["nodes"] and c["nodes"][0]["extents"]
                         and [round(v * ratio) for v in c["nodes"][0]["extents"]] == box), None)

        return poll(probe, APPEAR, f"an accessible window at {box} for {window['title']!r}")

    def read(self, window, pattern, what, editable=False, timeout=APPEAR, ratio=1):
        """Waits until the window shows a text that fully matches pattern; returns the match."""
        seen = []

        def probe():
            nodes = self.accessible(window, ratio)
            seen[:] = visible_texts(nodes)
            return find_string(nodes, pattern, editable)

        try:
            return poll(probe, timeout, what, interval=0.2)
        except StepFailure as failure:
            raise StepFailure(f"{failure}; the window shows {seen}") from None

    def no_new_window(self, before, what):
        """Watches the screen for QUIET seconds: no window other than those in before (ids)
        may show up. Call it once a key pressed after the suspect one has been handled."""
        deadline = time.monotonic() + QUIET
        while True:
            new = [w for w in self.desktop.windows() if w["id"] not in before]
            if new:
                raise StepFailure(f"{what}: {[w['title'] for w in new]} appeared")
            if time.monotonic() >= deadline:
                return
            time.sleep(0.1)

    def absent(self, window, pattern, what):
        nodes = self.accessible(window)
        match = find_string(nodes, pattern)
        if match:
            raise StepFailure(f"{what}: unexpectedly shows {match.group(0)!r}")

    def press(self, *keys):
        self.desktop.key(*keys)

    def open_menu_item(self, menu_key, item_key, title):
        """Opens a menu of the main window by its access key and chooses an item by its letter;
        waits for the window titled title. Waits for the menu itself first, so that the item's
        letter is not typed before the menu is there to take it."""
        before = {w["id"] for w in self.desktop.windows(APP)}
        self.press(menu_key)
        poll(lambda: [w for w in self.desktop.windows(APP) if w["id"] not in before],
             APPEAR, f"the menu opened by {menu_key}")
        self.press(item_key)
        return self.window(title)

    def _on_screen(self, window):
        frame = self.desktop.frame_of(window["id"])
        x, y = max(frame["x"], 0), max(frame["y"], 0)
        return (x, y, min(frame["width"], self.desktop.screen_size[0] - x),
                min(frame["height"], self.desktop.screen_size[1] - y))

    def save_window_picture(self, window, file_name):
        return self.desktop.screenshot(os.path.join(self.artifacts, file_name),
                                       self._on_screen(window))

    def save_picture_at_rest(self, window, file_name, unlike=None):
        """Saves the window's picture once two readings in a row agree (and differ from
        unlike, the pixels of an earlier picture); returns its pixels."""
        readings = []

        def at_rest():
            readings[:] = readings[-1:] + [self.desktop.raw_pixels(self._on_screen(window))]
            return readings[-2:] == readings[-1:] * 2 and readings[-1] != unlike

        poll(at_rest, APPEAR, f"the picture of {window['title']!r} at rest"
             + (", changed" if unlike else ""), interval=0.2)
        self.save_window_picture(window, file_name)
        return readings[-1]

    def focus_by_title_bar(self, window):
        """Clicks the title bar of a window where no other window covers it, as a person does
        to bring it to the front; when another window hides the whole title bar, clicks a
        picture of the window where it shows, away from every control. The window is
        looked up again: it may have moved since it was found."""
        window = self.settled_window(window["title"])
        self.desktop.click(*self.uncovered_spot(window))
        poll(lambda: self.desktop.focused_window_title() == window["title"], APPEAR,
             f"the focus on {window['title']!r}")

    def uncovered_spot(self, window):
        """A point of the window's title bar that no other window covers, or else of a picture
        of the window, away from every control."""
        desktop = self.desktop
        frame = desktop.frame_of(window["id"])
        order = desktop.stacking()
        mine = order.index(desktop.toplevel_of(window["id"]))
        covering = [desktop.frame_of(w["id"]) for w in desktop.windows()
                    if order.index(desktop.toplevel_of(w["id"])) > mine]

        def uncovered(x, y):
            return 0 <= x < desktop.screen_size[0] and 0 <= y < desktop.screen_size[1] and not any(
                c["x"] <= x < c["x"] + c["width"] and c["y"] <= y < c["y"] + c["height"]
                for c in covering)

        y = frame["y"] + max((window["y"] - frame["y"]) // 2, 2)
        # Between the window icon on the left and the buttons on the right.
        spots = [(x, y) for x in range(frame["x"] + 30, frame["x"] + frame["width"] - 90, 10)
                 if uncovered(x, y)]
        if not spots:
            spots = self._picture_spots(window, uncovered)
        if not spots:
            raise StepFailure(f"{window['title']!r} is covered")
        return spots[0]

    def _picture_spots(self, window, uncovered):
        """Points inside the window that lie on a picture and on no control (a click there
        does nothing but bring the window forward)."""
        nodes = self.accessible(window)
        pictures = [n["extents"] for n in nodes if n["role"] == "image" and n["extents"]]
        controls = [n["extents"] for n in nodes if n["extents"] and n["role"] not in
                    ("image", "filler", "panel", "dialog", "frame", "window")]
        left, top = window["x"], window["y"]
        right, bottom = left + window["width"], top + window["height"]

        def inside(box, x, y):
            return box[0] <= x < box[0] + box[2] and box[1] <= y < box[1] + box[3]

        return [(x, y) for y in range(top + 5, bottom - 5, 10)
                for x in range(left + 5, right - 5, 10)
                if uncovered(x, y) and any(inside(p, x, y) for p in pictures)
                and not any(inside(c, x, y) for c in controls)]

    # -- checks shared by the scenarios --------------------------------------------------------

    def check_start(self):
        with self.step("start: backdrop full screen, main window over it"):
            self.start_program()
            backdrop = self.window(BACKDROP_TITLE)
            geometry = (backdrop["x"], backdrop["y"], backdrop["width"], backdrop["height"])
            assert geometry == (0, 0, harness.SCREEN_WIDTH, harness.SCREEN_HEIGHT), \
                f"backdrop at {geometry}, not covering the {harness.SCREEN_WIDTH}x" \
                f"{harness.SCREEN_HEIGHT} screen"
            main = self.settled_window(MAIN_TITLE)
            nodes = self.accessible(main)
            menu_bars = [n for n in nodes if n["role"] == "menu bar"]
            assert menu_bars, "the main window has no menu bar a screen reader can find"
            menu_height = menu_bars[0]["extents"][3]
            # The menu bar sits above the client area, as it does outside the window's
            # client area on the desktop the program was designed for.
            client = (main["width"], main["height"] - menu_height)
            assert client == (414, 396), \
                f"main window client area {client[0]}x{client[1]} under a menu bar of " \
                f"{menu_height} px, not 414x396"
            items = [n["name"] for n in nodes if n["role"] == "menu item" and n["depth"] == 2]
            assert items == ["Convertir", "Documentation", "Configurer", "A propos"], \
                f"menu bar reads {items}"
            return main

    def ends_cleanly(self, program):
        """Waits for the program to end (just after "&Oui"): status 0, no sanitizer report in
        its output. Returns the seconds it took."""
        answered = time.monotonic()
        try:
            status = program.process.wait(timeout=EXIT_BOUND + 5)
        except harness.subprocess.TimeoutExpired:
            raise StepFailure(f"the program still runs {EXIT_BOUND + 5:g} s after "
                              "\"&Oui\"") from None
        gone_after = time.monotonic() - answered
        assert status == 0, f"the program ended with status {status}"
        with open(program.log_path, encoding="utf-8", errors="replace") as log:
            report = SANITIZER_REPORT.search(log.read())
        assert not report, f"the program's output has a sanitizer report ({report.group(0)!r})"
        return gone_after

    def quit_with_report(self, main, expected_counts, program=None):
        """Alt+F4 → "&Non" keeps everything; Alt+F4 → "&Oui" sends the report and ends.
        The program is the first one started unless given."""
        program = program or self.programs[0]
        reports_before = len(self.proxy.received())
        with self.step("Alt+F4 asks for confirmation; Escape keeps the program running"):
            self.focus_by_title_bar(main)
            self.press("alt+F4")
            box = self.window(CONFIRM_TITLE)
            self.read(box, re.escape(CONFIRM_TEXT), "the confirmation question")
            self.press("Escape")
            self.window_gone(CONFIRM_TITLE)
            assert program.running(), "the program ended although the close was refused"
            self.window(MAIN_TITLE)
            assert len(self.proxy.received()) == reports_before, \
                f"a request left although the close was refused: {self.proxy.received()}"

        with self.step("Alt+F4 then \"&Oui\": exit report with the run's counts, process ends"):
            self.press("alt+F4")
            self.window(CONFIRM_TITLE)
            elapsed_in_run = time.monotonic() - program.started_at
            self.press("alt+o")
            gone_after = self.ends_cleanly(program)
            print(f"    process gone {gone_after:.2f} s after \"&Oui\"")
            assert gone_after < EXIT_BOUND, \
                f"the process ended {gone_after:.2f} s after \"&Oui\" (bound {EXIT_BOUND:g} s)"
            requests = self.proxy.received()[reports_before:]
            assert len(requests) == 1, f"expected one exit report, the proxy got {requests}"
            path, query = harness.StatsProxy.query_of(requests[0])
            print(f"    report: {requests[0]['host']}{path}?{query}")
            assert path == "/testfmail.php", f"report sent to {path}"
            shape = (r"envoi= ve=TAVORIM 2\.4 T=(\d{1,2}):(\d\d):(\d\d)"
                     + re.escape(f"  jRom={expected_counts[0]}  jArb={expected_counts[1]}"))
            match = re.fullmatch(shape, query)
            assert match, f"report query {query!r} is not 'envoi= ve=TAVORIM 2.4 T=hh:mm:ss" \
                          f"  jRom={expected_counts[0]}  jArb={expected_counts[1]}'"
            hours, minutes, seconds = (int(g) for g in match.groups())
            reported = hours * 3600 + minutes * 60 + seconds
            # The clock starts when the backdrop is shown and stops ticking at the answer.
            assert elapsed_in_run - 30 <= reported <= elapsed_in_run + 1, \
                f"the report gives T={reported} s for a run of {elapsed_in_run:.0f} s"


# -- the scenarios ---------------------------------------------------------------------------

def scenario_shell(run):
    main = run.check_start()
    desktop = run.desktop

    with run.step("the elapsed-time clock ticks", goes_on=True):
        backdrop = run.window(BACKDROP_TITLE)
        clock = r"(\d{1,2}):(\d\d):(\d\d)"
        first = run.read(backdrop, clock, "the clock")
        first_seconds = int(first.group(1)) * 3600 + int(first.group(2)) * 60 + int(first.group(3))
        later = poll(lambda: _clock_after(run, backdrop, clock, first_seconds), APPEAR,
                     "the clock to advance", interval=0.3)
        print(f"    clock read {first.group(0)}, then {later}")

    with run.step("screenshots of the backdrop and the main window"):
        desktop.screenshot(os.path.join(run.artifacts, "backdrop.png"))
        run.save_window_picture(main, "main.png")

    with run.step("Alt+C, then Escape: the menu bar keeps the keys and frames \"&Convertir\"; "
                  "Escape again gives them back", goes_on=True):
        bar = (main["x"], main["y"], main["width"], 22)
        assert _highlight_pixels(desktop, bar) == 0, "a menu title is framed before any key"
        before = {w["id"] for w in desktop.windows(APP)}
        run.press("alt+c")
        poll(lambda: [w for w in desktop.windows(APP) if w["id"] not in before], APPEAR,
             "the menu opened by Alt+C")
        run.press("Escape")
        poll(lambda: _highlight_pixels(desktop, bar) > 20, APPEAR, "\"&Convertir\" framed")
        run.save_window_picture(main, "menu-clavier.png")
        run.press("Escape")
        poll(lambda: _highlight_pixels(desktop, bar) == 0, APPEAR, "no title framed any more")

    for key, caption, right_edge in (("Caps_Lock", "Maj", 136), ("Num_Lock", "Verr Num", 16)):
        region = (harness.SCREEN_WIDTH - right_edge - 91, 24, 91, 41)
        with run.step(f"{key} on turns \"{caption}\" red, off turns it silver again",
                      goes_on=True):
            assert _red_pixels(desktop, region) == 0, f"\"{caption}\" is red before {key}"
            assert _silver_pixels(desktop, region) > 0, f"\"{caption}\" is not silver at start"
            desktop.key(key)
            pressed = time.monotonic()
            poll(lambda: _red_pixels(desktop, region) > 10, LOCK_KEY_BOUND,
                 f"red text in \"{caption}\"", interval=0.02)
            print(f"    red after {1000 * (time.monotonic() - pressed):.0f} ms "
                  "(screenshot time included)")
            if key == "Caps_Lock":
                desktop.screenshot(os.path.join(run.artifacts, "backdrop-maj.png"))
            desktop.key(key)
            poll(lambda: _red_pixels(desktop, region) == 0 and _silver_pixels(desktop, region),
                 LOCK_KEY_BOUND, f"\"{caption}\" silver again", interval=0.02)

    with run.step("\"&Son\" is unchecked at start, checked once chosen, unchecked again",
                  goes_on=True):
        states = []
        for _ in range(3):
            states.append(_sound_checked(run, main))
            run.press("alt+o")
            poll(lambda: _sound_menu_open(run, main), APPEAR, "the \"C&onfigurer\" menu")
            run.press("s")
            poll(lambda: not _sound_menu_open(run, main), APPEAR, "the menu closed")
        states.append(_sound_checked(run, main))
        assert states == [False, True, False, True], f"\"&Son\" checked states: {states}"
        run.press("alt+o")  # off again, as the run began
        run.press("s")
        poll(lambda: not _sound_checked(run, main), APPEAR, "\"&Son\" unchecked")

    with run.step("the About box opens from \"&A propos\" and closes with Enter", goes_on=True):
        run.press("alt+a")
        about = run.window(ABOUT_TITLE)
        assert (about["width"], about["height"]) == (393, 242), \
            f"About box client area {about['width']}x{about['height']}, not 393x242"
        run.read(about, r"Tavorim version 2\.4", "the product name, said with the version")
        version = run.read(about, re.escape(VERSION), "the version")
        described = [n["description"] for n in run.accessible(about) if n["name"] == VERSION]
        assert "Version" in described, \
            f"the version {version.group(0)!r} is not said to be the version: {described}"
        run.save_window_picture(about, "apropos.png")
        run.press("Return")
        run.window_gone(ABOUT_TITLE)
        assert run.programs[0].running(), "the program ended with the About box"

    with run.step("the level dialog: level 1 at first, Escape does nothing, \"&Ok\" keeps 3",
                  goes_on=True):
        level = choose_level(run, 3, screenshot="niveau.png")
        dialog = run.open_menu_item("alt+o", "n", LEVEL_TITLE)
        assert level == 1, f"the first opening showed level {level} checked, not 1"
        assert _checked_level(run, dialog) == 3, "level 3 was not kept after \"&Ok\""
        # Keys are taken in order: once level 2 is checked, Escape has been handled.
        run.press("Escape", "alt+2")
        poll(lambda: all(w["title"] != LEVEL_TITLE for w in desktop.windows(APP))
             or _checked_level(run, dialog) == 2, APPEAR, "the key after Escape handled")
        assert any(w["title"] == LEVEL_TITLE for w in desktop.windows(APP)), \
            "Escape closed the level dialog"
        run.press("alt+3")
        poll(lambda: _checked_level(run, dialog) == 3, APPEAR, "level 3 checked again")
        run.press("alt+o")
        run.window_gone(LEVEL_TITLE)

    with run.step("F1 in the main window opens the help viewer", goes_on=True):
        viewer = _open_viewer(run, "F1")
        print(f"    help window {viewer['title']!r}, {viewer['width']}x{viewer['height']}")
        backdrop = run.window(BACKDROP_TITLE)
        poll(lambda: desktop.is_above(viewer["id"], backdrop["id"]), APPEAR,
             "the help window in front of the full-screen backdrop")
        shown = run.save_picture_at_rest(viewer, "aide.png")
        for stop in range(1, 4):  # where the keyboard's focus goes, seen on screen
            run.press("Tab")
            shown = run.save_picture_at_rest(viewer, f"aide-tab{stop}.png", unlike=shown)
        assert run.programs[0].running(), "the program ended with the help viewer"

    with run.step("the help window closes with Alt+F4, the main window goes on", goes_on=True):
        _close_viewer(run, viewer)
        assert run.programs[0].running(), "the program ended with the help window"

    with run.step("a second start restores the minimised first copy and ends"):
        first = run.programs[0]
        run.press("super+h")
        poll(lambda: all(w["title"] != MAIN_TITLE for w in desktop.windows(APP)), APPEAR,
             "the main window minimised")
        second = run.start_program()
        try:
            status = second.process.wait(timeout=30)
        except harness.subprocess.TimeoutExpired:
            raise StepFailure("the second copy still runs after 30 s") from None
        assert status == 0, f"the second copy ended with status {status}"
        main = run.settled_window(MAIN_TITLE)
        assert first.running(), "the first copy ended"
        assert not run.proxy.received(), "the second copy sent an exit report"
        assert not any(w["title"] == CONFIRM_TITLE for w in desktop.windows(APP)), \
            "a confirmation box is on screen"

    run.quit_with_report(main, ("0/0", "0/0"))


def scenario_drills(run):
    main = run.check_start()

    with run.step("Roman-writing drill: window, question 1 at level I"):
        window = run.open_menu_item("alt+c", "r", ROMAN_TITLE)
        assert (window["width"], window["height"]) == (442, 423), \
            f"client area {window['width']}x{window['height']}, not 442x423"
        run.read(window, "Exercice n° : 1", "the question number 1")
        run.read(window, "Niveau I", "the level")
        number = int(run.read(window, r"\d{1,4}", "the number to write").group(0))
        answer = to_roman(number)
        print(f"    asked {number}, answering {answer}")

    with run.step("right answer typed in lower case: shown in capitals, \"EXACT\", 1/1"):
        run.desktop.type_text(answer.lower())
        run.read(window, re.escape(answer), "the answer in capitals", editable=True)
        run.press("Return")
        run.read(window, "EXACT", "the verdict EXACT")
        run.read(window, "1/1", "the score 1/1")
        run.absent(window, "C'est : .*", "no correction after a right answer")
        run.save_window_picture(window, "romain.png")

    with run.step("\"&Continuer\" asks question 2; a wrong answer gives \"Faux\" and 1/2"):
        run.press("alt+c")
        run.read(window, "Exercice n° : 2", "the question number 2")
        number = int(run.read(window, r"\d{1,4}", "the number to write").group(0))
        expected = to_roman(number)
        wrong = expected + "I"
        # A digit among the letters is refused by the box: only the letters arrive.
        run.desktop.type_text(wrong[0] + "7" + wrong[1:])
        run.read(window, re.escape(wrong), "the typed letters without the digit", editable=True)
        run.press("Return")
        run.read(window, "Faux", "the verdict Faux")
        run.read(window, re.escape(f"C'est : {expected}"), "the correction")
        run.read(window, "1/2", "the score 1/2")
        run.save_window_picture(window, "romain-faux.png")
        run.press("alt+q")
        run.window_gone(ROMAN_TITLE)

    with run.step("Arabic-writing drill: window, question 1 at level I"):
        window = run.open_menu_item("alt+c", "a", ARABIC_TITLE)
        assert (window["width"], window["height"]) == (492, 423), \
            f"client area {window['width']}x{window['height']}, not 492x423"
        run.read(window, "Exercice n° : 1", "the question number 1")
        run.read(window, "Niveau I", "the level")
        value = from_roman(run.read(window, r"[IVXLCDM]+", "the numeral to read").group(0))
        assert 1 <= value <= 39, f"level I asked {value}, outside 1 to 39"
        print(f"    asked {to_roman(value)}, answering {value}")

    with run.step("right answer: \"EXACT\", 1/1"):
        run.desktop.type_text(str(value))
        run.press("Return")
        run.read(window, "EXACT", "the verdict EXACT")
        run.read(window, "1/1", "the score 1/1")
        run.save_window_picture(window, "arabe.png")

    with run.step("question 2 answered with a leading zero: \"Faux\", the correction, 1/2"):
        run.press("alt+c")
        run.read(window, "Exercice n° : 2", "the question number 2")
        value = from_roman(run.read(window, r"[IVXLCDM]+", "the numeral to read").group(0))
        run.desktop.type_text("0" + str(value))
        run.press("Return")
        run.read(window, "Faux", "the verdict Faux")
        run.read(window, re.escape(f"C'est : {value}"), "the correction")
        run.read(window, "1/2", "the score 1/2")
        run.save_window_picture(window, "arabe-faux.png")
        run.press("alt+q")
        run.window_gone(ARABIC_TITLE)

    with run.step("level III chosen in the level dialog; the drill goes on at \"Niveau III\""):
        choose_level(run, 3)
        window = run.open_menu_item("alt+c", "r", ROMAN_TITLE)
        run.read(window, "Niveau III", "the level III")
        run.read(window, "Exercice n° : 3", "the numbering carried on")
        run.read(window, "1/2", "the score carried on")
        number = int(run.read(window, r"\d{1,4}", "the number to write").group(0))
        assert 1 <= number <= 3999, f"level III asked {number}"
        run.press("alt+q")
        run.window_gone(ROMAN_TITLE)

    run.quit_with_report(main, ("1/2", "1/2"))


def scenario_help(run):
    desktop = run.desktop
    title, default_page = _help_project()
    context_page = _page_of_context(100)
    main = run.check_start()

    with run.step("\"&Documentation\" opens the help viewer on the default topic", goes_on=True):
        viewer = _open_viewer(run, "alt+d")
        assert viewer["title"] == title, \
            f"the help window is titled {viewer['title']!r}, not {title!r}"
        heading = _page_heading(default_page)
        run.read(viewer, re.escape(heading) + r"\n(?s:.*)", f"the page {heading!r}")
        _close_viewer(run, viewer)

    for drill, item, title, typed, shown in (("Roman", "r", ROMAN_TITLE, "i", "I"),
                                             ("Arabic", "a", ARABIC_TITLE, "7", "7")):
        with run.step(f"F1 in the {drill}-writing drill opens nothing", goes_on=True):
            window = run.open_menu_item("alt+c", item, title)
            _f1_opens_nothing(run, lambda: (
                desktop.type_text(typed),
                run.read(window, shown, "what is typed after F1", editable=True)))
            run.press("alt+q")
            run.window_gone(title)

    with run.step("F1 in the level dialog opens nothing", goes_on=True):
        dialog = run.open_menu_item("alt+o", "n", LEVEL_TITLE)
        shown = _checked_level(run, dialog)
        other = 2 if shown != 2 else 1
        _f1_opens_nothing(run, lambda: (
            run.press(f"alt+{other}"),
            poll(lambda: _checked_level(run, dialog) == other, APPEAR,
                 f"level {other} checked after F1")))
        run.press(f"alt+{shown}")
        poll(lambda: _checked_level(run, dialog) == shown, APPEAR, f"level {shown} again")
        run.press("alt+o")
        run.window_gone(LEVEL_TITLE)

    with run.step("F1 in the About box opens nothing", goes_on=True):
        run.press("alt+a")
        run.window(ABOUT_TITLE)
        # Enter closes the box only while the box has the keys.
        _f1_opens_nothing(run, lambda: (run.press("Return"), run.window_gone(ABOUT_TITLE)))

    with run.step("F1 in the main window opens the viewer on the topic of context 100"):
        viewer = _open_viewer(run, "F1")
        heading = _page_heading(context_page)
        run.read(viewer, re.escape(heading) + r"\n(?s:.*)", f"the page {heading!r}")

    # The viewer is left open: the run must end cleanly all the same.
    run.quit_with_report(main, ("0/0", "0/0"))

    with run.step("without hhctrl.ocx: start from a copy of the program folder"):
        copy = os.path.join(desktop.tmp, "sans-aide")
        shutil.copytree(run.program_dir, copy,
                        ignore=lambda _folder, names: [n for n in names
                                                       if n.lower() == "hhctrl.ocx"])
        program = run.start_program(copy)
        main = run.settled_window(MAIN_TITLE)

    for attempt in (1, 2):
        with run.step(f"without hhctrl.ocx: F1 no. {attempt} in the main window shows the "
                      "\"not installed\" box and nothing else"):
            _not_installed_box(run, main, lambda: run.press("F1"))

    with run.step("without hhctrl.ocx: \"&Documentation\" shows the same box"):
        _not_installed_box(run, main, lambda: run.press("alt+d"))

    run.quit_with_report(main, ("0/0", "0/0"), program)


SCENARIOS = {"shell": scenario_shell, "drills": scenario_drills, "help": scenario_help}
# Scenarios that need another desktop than Xvfb + openbox: name -> desktop class.
DESKTOPS = {}


# -- helpers of the scenarios ------------------------------------------------------------------

def choose_level(run, level, screenshot=None):
    """Opens the level dialog, checks level N with Alt+N and presses "&Ok".
    Returns the level that was checked when the dialog opened."""
    dialog = run.open_menu_item("alt+o", "n", LEVEL_TITLE)
    assert (dialog["width"], dialog["height"]) == (249, 209), \
        f"level dialog client area {dialog['width']}x{dialog['height']}, not 249x209"
    shown = _checked_level(run, dialog)
    run.press(f"alt+{level}")
    poll(lambda: _checked_level(run, dialog) == level, APPEAR, f"level {level} checked")
    if screenshot:
        run.save_window_picture(dialog, screenshot)
    run.press("alt+o")
    run.window_gone(LEVEL_TITLE)
    return shown


def _checked_level(run, dialog):
    checked = [n for n in run.accessible(dialog)
               if n["role"] == "radio button" and "checked" in n["states"]]
    if len(checked) != 1:
        raise StepFailure(f"{len(checked)} level buttons checked: {[n['name'] for n in checked]}")
    digits = re.findall(r"[123]", checked[0]["name"])
    if not digits:
        raise StepFailure(f"checked level button named {checked[0]['name']!r}")
    return int(digits[-1])


def _help_project():
    """The help file's title and the source file of its default topic, from its project."""
    with open(os.path.join(HELP_SOURCES, "tavorim.hhp"), encoding="utf-8") as project:
        options = dict(re.findall(r"^(Title|Default topic)=(.*?)\s*$", project.read(), re.M))
    return options["Title"], options["Default topic"]


def _page_of_context(number):
    """The source file of the topic mapped to a context number: [MAP] name → [ALIAS] file."""
    with open(os.path.join(HELP_SOURCES, "contexte.h"), encoding="utf-8") as header:
        names = re.findall(rf"^#define (\w+) {number}\s*$", header.read(), re.M)
    with open(os.path.join(HELP_SOURCES, "tavorim.hhp"), encoding="utf-8") as project:
        text = project.read()
    for name in names:
        match = re.search(rf"^{name}=(.*?)\s*$", text, re.M)
        if match:
            return match.group(1)
    raise StepFailure(f"the help project maps no topic to context {number}")


def _page_heading(page):
    with open(os.path.join(HELP_SOURCES, page), encoding="utf-8") as source:
        match = re.search(r"<h1[^>]*>(.*?)</h1>", source.read(), re.S)
    if not match:
        raise StepFailure(f"{page} has no heading")
    return html.unescape(re.sub(r"<[^>]+>", "", match.group(1))).strip()


def new_help_window(run, key="F1"):
    """Presses the key in the main window; returns the help window it opens."""
    before = {w["id"] for w in run.desktop.windows()}
    run.press(key)
    return poll(lambda: next((w for w in run.desktop.windows() if w["id"] not in before
                              and w["width"] > 100 and w["height"] > 100), None),
                APPEAR, f"a help window opened by {key}")


def _open_viewer(run, key):
    """The new help window, once in front with the focus."""
    viewer = new_help_window(run, key)
    poll(lambda: run.desktop.focused_window_title() == viewer["title"], APPEAR,
         "the focus on the help window")
    return viewer


def _close_viewer(run, viewer):
    if run.desktop.focused_window_title() != viewer["title"]:
        raise StepFailure("the help window does not have the focus: Alt+F4 would go elsewhere")
    run.press("alt+F4")
    run.window_gone(viewer["title"])
    poll(lambda: run.desktop.focused_window_title() == MAIN_TITLE, APPEAR,
         "the focus back on the main window")


def _f1_opens_nothing(run, then):
    """F1 in the focused window, then the keys of then(), which waits for their effect:
    once it is seen, F1 has been handled too. No window may have appeared for it."""
    before = {w["id"] for w in run.desktop.windows()}
    focused = run.desktop.focused_window_title()
    run.press("F1")
    then()
    run.no_new_window(before, f"F1 in {focused!r}")
    assert run.programs[-1].running(), f"the program ended after F1 in {focused!r}"


def _not_installed_box(run, main, ask):
    """ask() must bring the "not installed" message box, alone; Enter closes it."""
    desktop = run.desktop
    before = {w["id"] for w in desktop.windows()}
    ask()
    box = run.window(APPLICATION_TITLE)
    run.read(box, re.escape(NOT_INSTALLED_TEXT), "the \"not installed\" message")
    new = [w["title"] for w in desktop.windows() if w["id"] not in before]
    assert new == [APPLICATION_TITLE], f"windows that appeared: {new}"
    run.press("Return")
    run.window_gone(APPLICATION_TITLE)
    poll(lambda: desktop.focused_window_title() == MAIN_TITLE, APPEAR,
         "the focus back on the main window")
    # Nothing else follows the box: no viewer behind it, no second box.
    run.no_new_window(before, "after the \"not installed\" box")
    assert run.programs[-1].running(), "the program ended with the \"not installed\" box"


def _sound_item(run, main):
    # A check box, so that screen readers say its state either way.
    items = [n for n in run.accessible(main) if n["role"] == "check box" and n["name"] == "Son"]
    if len(items) != 1:
        raise StepFailure(f"{len(items)} check boxes named \"Son\"")
    return items[0]


def _sound_checked(run, main):
    return "checked" in _sound_item(run, main)["states"]


def _sound_menu_open(run, main):
    return "showing" in _sound_item(run, main)["states"]


def _clock_after(run, backdrop, clock, seconds):
    match = find_string(run.accessible(backdrop), clock)
    if not match:
        return None
    now = int(match.group(1)) * 3600 + int(match.group(2)) * 60 + int(match.group(3))
    return match.group(0) if now > seconds else None


def _red_pixels(desktop, region):
    return sum(1 for r, g, b in desktop.pixels(region) if r >= 200 and g <= 70 and b <= 70)


def _pixels_near(desktop, region, color, tolerance):
    return sum(1 for pixel in desktop.pixels(region)
               if all(abs(a - b) <= tolerance for a, b in zip(pixel, color)))


def _highlight_pixels(desktop, region):
    """Pixels of the program's focus frame color (#0078D7)."""
    return _pixels_near(desktop, region, (0, 0x78, 0xD7), 8)


def _silver_pixels(desktop, region):
    return _pixels_near(desktop, region, (192, 192, 192), 6)


# -- running -----------------------------------------------------------------------------------

def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--artifacts", default=os.path.join(os.getcwd(), "e2e-artifacts"))
    import window_scenarios
    window_scenarios.register(SCENARIOS, DESKTOPS)
    parser.add_argument("scenarios", nargs="+", choices=sorted(SCENARIOS))
    args = parser.parse_args()

    missing = harness.missing_prerequisites()
    if missing:
        print("SKIPPED: the end-to-end harness needs " + ", ".join(missing)
              + " (Debian: xvfb openbox xdotool x11-utils x11-xserver-utils dbus at-spi2-core"
              " python3-pyatspi imagemagick)")
        return 77
    program_dir = os.environ.get("TAVORIM_PROGRAM_DIR", "")
    if not os.access(os.path.join(program_dir, "tavorim"), os.X_OK):
        print(f"FAILED: no program 'tavorim' in TAVORIM_PROGRAM_DIR={program_dir!r}")
        return 1

    # A stop from outside (ctest's timeout, Ctrl+C) still runs the clean-up below.
    def stop(signum, _frame):
        raise SystemExit(f"stopped by signal {signum}")

    signal.signal(signal.SIGTERM, stop)
    signal.signal(signal.SIGINT, stop)
    # End on our own, cleaning up, before ctest's 600 s timeout kills the run outright.
    signal.signal(signal.SIGALRM, stop)
    signal.alarm(570)

    passed = failed = 0
    for name in args.scenarios:
        print(f"== scenario {name}", flush=True)
        try:
            desktop_class = DESKTOPS.get(name, harness.Desktop)
            missing = desktop_class.missing_packages()
            if missing:
                print(f"SKIPPED: scenario {name} needs {', '.join(missing)} (Debian: "
                      f"{desktop_class.packages}; scripts/setup installs them)")
                return 77
            with Scenario(name, program_dir, args.artifacts, desktop_class) as run:
                with run.step(f"private desktop ({desktop_class.kind}) and accessibility bus"):
                    run.desktop.start()
                    print(f"    display {run.desktop.display}")
                SCENARIOS[name](run)
                if run.failed_steps:
                    raise Aborted()
            passed += 1
            print(f"== scenario {name}: passed", flush=True)
        except Aborted:
            failed += 1
            print(f"== scenario {name}: FAILED", flush=True)
    print(f"e2e: {passed} passed, {failed} failed")
    return 0 if failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
