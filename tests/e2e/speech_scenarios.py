#!/usr/bin/python3
"""End-to-end scenario of the drills done by ear, with the screen reader a blind pupil has.

speech: GNOME's mutter (headless, with Xwayland and the accessibility bus) and Orca. Ten rounds
    of each drill are done from what Orca says alone: the number or numeral to convert is taken
    from its speech when the drill opens and after each "&Continuer", the answer typed, and
    after each validation Orca must say "EXACT", or "Faux" with the correction, and the score.
    Three answers in each drill are wrong on purpose. On the way: the gauge is a progress bar
    whose value is the percentage, the Caps Lock indicator says its state, and the About box's
    links are reached with Tab and said as links. Then: the sound switch is said unchecked and
    checked, the level dialog says the level chosen as it opens, the About box says the
    version, and the help page is read line by line with the arrows and whole with "say all".

Orca writes every utterance to its debug output as a line "SPEECH OUTPUT: '...'", before any
speech synthesiser is involved; the output goes to a pseudo-terminal that is read as it comes
(to a file, Orca would hold it back for seconds), and all that was said is kept in the
artifacts as speech.txt (and Orca's whole debug output as orca-debug.txt when
TAVORIM_ORCA_DEBUG is set). The scenario runs through the runner of scenarios.py:
speech_scenarios.py [--artifacts DIR] speech
"""
import os
import re
import shutil
import subprocess
import sys
import threading
import time
import tty

import compositors
import harness
import scenarios
from harness import StepFailure, poll
from scenarios import (ABOUT_TITLE, APPEAR, ARABIC_TITLE, CONFIRM_TITLE, LEVEL_TITLE, MAIN_TITLE,
                       ROMAN_TITLE, from_roman, to_roman)

ROUNDS = 10
XK_KP_ADD = 0xFFAB
# The rounds answered wrongly, counted from 1.
WRONG_ROUNDS = (2, 5, 9)
# The utterance, then the voice it is said with, if any: "SPEECH OUTPUT: 'text' {...}".
SPEECH_OPENING = "SPEECH OUTPUT: '"
SPEECH_CLOSING = re.compile(r"' ?(?:\{[^{}]*\})?\s*$")
ROMAN_QUESTION = r"Écris (\d{1,4}) en chiffres romains\."
ARABIC_QUESTION = r"Écris en chiffres arabes : ([IVXLCDM](?:, [IVXLCDM])*)\."


def spelled(numeral):
    return ", ".join(numeral)


def spoken_score(right, given):
    return f"{right} {'justes' if right > 1 else 'juste'} sur {given}"


class OrcaDesktop(compositors.MutterDesktop):
    """mutter, with Orca to be started on it."""

    packages = "mutter xwayland orca speech-dispatcher espeak-ng"

    @classmethod
    def missing_packages(cls):
        return super().missing_packages() + [name for name in ("orca",)
                                             if shutil.which(name) is None]


def other_orcas():
    """Process ids of Orcas of this user already running: Orca refuses to start another one."""
    found = []
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            if os.stat(f"/proc/{pid}").st_uid != os.getuid():
                continue
            with open(f"/proc/{pid}/cmdline", "rb") as cmdline:
                argv = cmdline.read().split(b"\0")
        except OSError:
            continue
        if any(os.path.basename(arg) == b"orca" for arg in argv[:2]):
            found.append(int(pid))
    return found


class Orca:
    """Orca running on the desktop; what it says is read from its debug output as it comes."""

    def __init__(self, desktop):
        others = other_orcas()
        if others:
            raise harness.StepFailure(
                f"another Orca of this user is running (process {', '.join(map(str, others))}), "
                "and Orca refuses to start a second one, so nothing the program says could be "
                "heard: quit that Orca (orca --quit) or run the tests as another user, then "
                "run e2e_speech again")
        self.utterances = []
        self._lock = threading.Lock()
        self._transcript = open(os.path.join(desktop.artifacts, "speech.txt"), "w",
                                encoding="utf-8")
        if os.environ.get("TAVORIM_ORCA_DEBUG"):
            self._debug = open(os.path.join(desktop.artifacts, "orca-debug.txt"), "wb")
        prefs = os.path.join(desktop.tmp, "orca")
        os.mkdir(prefs)
        # The terminal stays open on both ends for the whole run: Orca opens it by its name.
        self._master, self._slave = os.openpty()
        tty.setraw(self._slave)
        env = dict(desktop.env)
        # No sound device: speech-dispatcher could only fail, and its restarts can hang Orca.
        env["SPEECHD_CMD"] = "/bin/false"
        self.process = desktop.spawn(["orca", "--user-prefs", prefs, "--debug-file",
                                      os.ttyname(self._slave)], "orca.log", env=env)
        self._reader = threading.Thread(target=self._read, daemon=True)
        self._reader.start()

    def _read(self):
        pending = b""
        utterance = None
        while True:
            try:
                chunk = os.read(self._master, 1 << 16)
            except OSError:
                return
            if not chunk:
                return
            pending += chunk
            *lines, pending = pending.split(b"\n")
            if os.environ.get("TAVORIM_ORCA_DEBUG"):
                self._debug.write(b"\n".join(lines) + b"\n")
            for line in lines:
                text = line.decode("utf-8", errors="replace")
                # An utterance with line ends (a line of a page) goes on over several lines.
                if utterance is not None:
                    utterance += " " + text.strip()
                elif SPEECH_OPENING in text:
                    utterance = text[text.index(SPEECH_OPENING) + len(SPEECH_OPENING):]
                closing = SPEECH_CLOSING.search(utterance) if utterance is not None else None
                if closing:
                    said, utterance = utterance[:closing.start()].strip(), None
                    with self._lock:
                        self.utterances.append(said)
                    self._transcript.write(said + "\n")
                    self._transcript.flush()

    def mark(self):
        """A point in the speech; what is said after it is what heard() looks at."""
        with self._lock:
            return len(self.utterances)

    def said_since(self, mark):
        with self._lock:
            return list(self.utterances[mark:])

    def heard(self, mark, pattern, what, timeout=APPEAR):
        """Waits until what Orca said since mark, utterances joined by spaces, matches pattern;
        returns the match."""
        regex = re.compile(pattern)

        def probe():
            return regex.search(" ".join(self.said_since(mark)))

        try:
            return poll(probe, timeout, what, interval=0.1)
        except StepFailure:
            raise StepFailure(f"Orca did not say {what} ({pattern!r}); it said: "
                              f"{self.said_since(mark)}") from None

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(timeout=5)
            except subprocess.TimeoutExpired:
                self.process.kill()
        os.close(self._slave)
        os.close(self._master)
        self._reader.join(timeout=5)
        self._transcript.close()


def focus_main_window(run, orca, mark):
    """The main window focused, and its focused button said since mark: keys pressed while
    Orca is still busy with the focus can reach the program late, without their modifiers."""
    desktop = run.desktop
    main = run.settled_window(MAIN_TITLE)
    if desktop.focused_window_title() != MAIN_TITLE:
        desktop.activate_as_task_bar(main["id"])
    poll(lambda: desktop.focused_window_title() == MAIN_TITLE, APPEAR,
         "the focus on the main window")
    orca.heard(mark, r"Fermer", "the main window's focused button")
    return main


def said_after(run, orca, key, pattern, what):
    """Presses key (or calls it); returns what Orca then says that matches pattern."""
    mark = orca.mark()
    if isinstance(key, str):
        run.press(key)
    else:
        key()
    said = orca.heard(mark, pattern, what)
    print(f"    heard {said.group(0)!r}")
    return said


def close_to_main(run, orca, title):
    """Enter in the focused window titled title (or menu); back in the main window."""
    mark = orca.mark()
    run.press("Return")
    if title:
        run.window_gone(title)
    focus_main_window(run, orca, mark)


def do_drill(run, orca, key, title, question, answer_of, correction_of):
    """Ten rounds of one drill, from what Orca says alone. question: the pattern of the spoken
    question; answer_of(match): the right answer to type; correction_of(answer): the
    correction as it is said."""
    right = 0
    with run.step(f"{title} opened from the menu"):
        mark = orca.mark()
        window = run.open_menu_item("alt+c", key, title)
    for round_number in range(1, ROUNDS + 1):
        wrong = round_number in WRONG_ROUNDS
        label = f"{title.split(' ')[-2]} drill, round {round_number}"
        with run.step(f"{label}: the question is said, the answer "
                      f"{'wrong' if wrong else 'right'}, the verdict and the score said"):
            asked = orca.heard(mark, question, "the question")
            answer = answer_of(asked)
            typed = answer + ("I" if title == ROMAN_TITLE else "0") if wrong else answer
            print(f"    heard {asked.group(0)!r}, typing {typed}")
            mark = orca.mark()
            run.desktop.type_text(typed)
            run.press("Return")
            right += 0 if wrong else 1
            score = re.escape(spoken_score(right, round_number))
            if wrong:
                verdict = orca.heard(mark, rf"Faux\. {re.escape(correction_of(answer))}\. "
                                     rf"{score}\.", "Faux, the correction and the score")
            else:
                verdict = orca.heard(mark, rf"EXACT\. {score}\.", "EXACT and the score")
            print(f"    heard {verdict.group(0)!r}")
            if round_number == ROUNDS:
                check_gauge(run, window, right)
            mark = orca.mark()
            if round_number < ROUNDS:
                # The focus is on "&Continuer": its letter alone goes on.
                run.press("c")
    with run.step(f"{title}: \"&Quitter\" back to the main window"):
        mark = orca.mark()
        run.press("q")
        run.window_gone(title)
        focus_main_window(run, orca, mark)


def check_gauge(run, window, right):
    """The gauge is a progress bar whose value is the rounded percentage of right answers."""
    expected = round(100 * right / ROUNDS)
    bars = poll(lambda: [n for n in run.accessible(window) if n["role"] == "progress bar"],
                APPEAR, "a progress bar in the drill")
    assert len(bars) == 1, f"{len(bars)} progress bars in the drill"
    assert bars[0]["value"] == expected, \
        f"the gauge's value is {bars[0]['value']}, not {expected} for {right}/{ROUNDS}"
    scores = [n["name"] for n in run.accessible(window) if n["name"].startswith("Score")]
    assert scores == [f"Score : {spoken_score(right, ROUNDS)}"], f"the score reads {scores}"


def scenario_speech(run):
    desktop = run.desktop
    orca = None
    try:
        with run.step("Orca and the program started; the main window has the focus"):
            orca = Orca(desktop)
            orca.heard(0, r".", "anything at start")
            mark = orca.mark()
            # With a screen reader listening, Qt's accessibility bridge keeps a copy of a key
            # event it never hands back, and frees nothing of it at exit: its leak, not ours
            # (Qt's library has no symbols here to name it in a suppression). Every other
            # sanitizer report still fails the scenario.
            options = desktop.env.get("ASAN_OPTIONS", "")
            desktop.env["ASAN_OPTIONS"] = options.replace("detect_leaks=1", "detect_leaks=0")
            program = run.start_program(platform="xcb")
            focus_main_window(run, orca, mark)

        do_drill(run, orca, "r", ROMAN_TITLE, ROMAN_QUESTION,
                 lambda match: to_roman(int(match.group(1))),
                 lambda answer: f"C'est : {spelled(answer)}")
        do_drill(run, orca, "a", ARABIC_TITLE, ARABIC_QUESTION,
                 lambda match: str(from_roman(match.group(1).replace(", ", ""))),
                 lambda answer: f"C'est : {answer}")

        with run.step("Caps Lock: the indicator's name says it is on, then off again"):
            backdrop = run.window(scenarios.BACKDROP_TITLE)

            def indicator():
                return next((n["name"] for n in run.accessible(backdrop)
                             if n["name"].startswith("Verrouillage des majuscules")), None)

            assert indicator() == "Verrouillage des majuscules : désactivé", \
                f"the indicator reads {indicator()!r} before Caps Lock"
            desktop.real_key(compositors.XK_CAPS_LOCK)
            poll(lambda: indicator() == "Verrouillage des majuscules : activé", APPEAR,
                 "the indicator said on")
            desktop.real_key(compositors.XK_CAPS_LOCK)
            poll(lambda: indicator() == "Verrouillage des majuscules : désactivé", APPEAR,
                 "the indicator said off")

        with run.step("\"&Son\": said unchecked, then checked, then unchecked again"):
            unchecked, checked = r"(?:non coch|not checked)", r"(?<!non )(?<!not )(?:coch|checked)"
            for state in (unchecked, checked, unchecked):
                said_after(run, orca, "alt+o", r"Niveau", "the first item of \"C&onfigurer\"")
                said_after(run, orca, "Down", rf"Son[^.]*? {state}", "the switch")
                close_to_main(run, orca, None)

        with run.step("Level dialog: level 3 chosen, said as the dialog opens again"):
            run.open_menu_item("alt+o", "n", LEVEL_TITLE)
            run.press("alt+3")
            run.press("alt+o")
            run.window_gone(LEVEL_TITLE)
            said_after(run, orca, lambda: run.open_menu_item("alt+o", "n", LEVEL_TITLE),
                       r"Difficulté[^']*?niveau 3[^']*? Ok", "the level with the dialog")
            said_after(run, orca, "Tab", r"niveau +3", "Tab on level 3")
            said_after(run, orca, "Tab", r"Ok", "Tab back on \"&Ok\"")
            close_to_main(run, orca, LEVEL_TITLE)

        with run.step("About box: the version said; \"OK\" has the focus; Tab reaches both "
                      "links, said as links"):
            said_after(run, orca, lambda: (run.press("alt+a"), run.window(ABOUT_TITLE)),
                       r"Tavorim version 2\.4[^']*? OK", "the version, then OK")
            for link in ("Ecrire", "Site Quillavo"):
                mark = orca.mark()
                run.press("Tab")
                orca.heard(mark, rf"{link}[^']*? (?:link|lien)", f"the link {link!r}")
            said_after(run, orca, "Tab", r"OK", "the OK button again")
            close_to_main(run, orca, ABOUT_TITLE)

        with run.step("Help: the page reached with Tab, read by the arrows and by \"say all\""):
            mark = orca.mark()
            run.press("alt+d")
            orca.heard(mark, r"Aide de Tavorim", "the viewer's title")
            for _ in range(8):
                mark = orca.mark()
                run.press("Tab")
                try:
                    orca.heard(mark, r"Page d'aide", "the page", timeout=3)
                    break
                except StepFailure:
                    continue
            said = orca.heard(mark, r"Page d'aide[^']*?Bienvenue dans Tavorim",
                              "the page's first line")
            print(f"    heard {said.group(0)!r}")
            said_after(run, orca, "Down", r"Tavorim est un petit logiciel", "the second line")
            mark = orca.mark()
            # "Say all" is Orca's keypad plus, from the seat: xdotool's comes with Num Lock.
            desktop.real_key(XK_KP_ADD)
            orca.heard(mark, r"Il propose deux exercices(?s:.*)Astuce", "the page read whole")
            print(f"    heard {' | '.join(orca.said_since(mark))!r}")
            run.press("Escape")
            mark = orca.mark()
            run.press("alt+F4")
            focus_main_window(run, orca, mark)

        with run.step("\"&Fermer\", \"&Oui\": the program ends cleanly"):
            run.press("alt+f")
            run.window(CONFIRM_TITLE)
            run.press("alt+o")
            run.ends_cleanly(program)
    finally:
        if orca:
            orca.stop()


SPEECH_SCENARIOS = {"speech": scenario_speech}


if __name__ == "__main__":
    scenarios.SCENARIOS.update(SPEECH_SCENARIOS)
    scenarios.DESKTOPS["speech"] = OrcaDesktop
    sys.exit(scenarios.main())
