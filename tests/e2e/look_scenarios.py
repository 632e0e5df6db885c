#!/usr/bin/python3
"""End-to-end scenarios of how the program looks on the desktops pupils have.

dark: a dark desktop colour scheme (qt6ct's "darker") and a 12-hour locale (en_US). The answer
    box's own menu shows in the desktop's dark scheme, beside the drills in their own colours
    (the window tests measure every text's contrast under such a scheme), and has nothing to
    undo once "&Continuer" has emptied the box; the clock and the exit report give the elapsed
    time as hh:mm:ss.
hidpi: a screen of device pixel ratio 2 (QT_SCALE_FACTOR=2). The windows are twice their
    size in screen pixels, the drills' pictures carry the detail of their double renderings,
    and the gauges' text is drawn at the screen's resolution, at its full height.

Screenshots of both drills in each go to the artifacts. The scenarios run through the runner
of scenarios.py: look_scenarios.py [--artifacts DIR] SCENARIO...
"""
import collections
import os
import re
import sys

import harness
import scenarios
from harness import StepFailure, poll
from scenarios import (APPEAR, ARABIC_TITLE, BACKDROP_TITLE, MAIN_TITLE, ROMAN_TITLE,
                       from_roman, to_roman)

QT6CT_SCHEME = "/usr/share/qt6ct/colors/darker.conf"
QT6CT_PLUGIN = "/usr/lib/x86_64-linux-gnu/qt6/plugins/platformthemes/libqt6ct.so"

CLOCK = r"\d\d:\d\d:\d\d"


# -- colours ---------------------------------------------------------------------------------

def luminance(rgb):
    def channel(value):
        c = value / 255
        return c / 12.92 if c <= 0.04045 else ((c + 0.055) / 1.055) ** 2.4
    r, g, b = rgb
    return 0.2126 * channel(r) + 0.7152 * channel(g) + 0.0722 * channel(b)


def commonest(pixels):
    return collections.Counter(pixels).most_common(1)[0][0]


# -- the program -------------------------------------------------------------------------------

def start(run, **environment):
    """Starts the program with variables of its own (the harness's tools keep theirs)."""
    env = run.desktop.env
    saved = {name: env.get(name) for name in environment}
    env.update(environment)
    try:
        run.start_program()
    finally:
        for name, value in saved.items():
            if value is None:
                env.pop(name, None)
            else:
                env[name] = value


def node(nodes, role=None, name=None):
    for candidate in nodes:
        if (role is None or candidate["role"] == role) and (name is None or
                                                           candidate["name"] == name):
            return candidate
    raise StepFailure(f"no {role or 'object'} named {name!r}")


def answer_drill(run, window, roman, right, ratio=1):
    """Reads the question, types the answer (right or wrong) and validates; returns it."""
    pattern = r"\d{1,4}" if roman else r"[IVXLCDM]+"
    shown = run.read(window, pattern, "the question", ratio=ratio).group(0)
    value = int(shown) if roman else from_roman(shown)
    answer = to_roman(value) if roman else str(value)
    if not right:
        answer = answer + "I" if roman else "0" + answer
    run.desktop.type_text(answer.lower() if roman else answer)
    run.press("Return")
    run.read(window, "EXACT" if right else "Faux", "the verdict", ratio=ratio)
    return answer


# -- dark scheme -----------------------------------------------------------------------------

def dark_desktop(run):
    """qt6ct as the desktop's Qt settings, with its dark "darker" scheme."""
    missing = [path for path in (QT6CT_SCHEME, QT6CT_PLUGIN) if not os.path.exists(path)]
    if missing:
        print(f"SKIPPED: the dark scheme needs qt6ct ({', '.join(missing)} missing; "
              "scripts/setup installs it)")
        raise SystemExit(77)
    folder = os.path.join(run.desktop.env["XDG_CONFIG_HOME"], "qt6ct")
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "qt6ct.conf"), "w", encoding="utf-8") as conf:
        conf.write(f"[Appearance]\ncolor_scheme_path={QT6CT_SCHEME}\ncustom_palette=true\n"
                   "style=Fusion\n")


def undo_after_continue(run, window, roman):
    """The answer box's menu: after "&Continuer" its Undo ("Annuler", the first item) finds
    nothing to bring back. The menu is the desktop's: it shows in the dark scheme."""
    nodes = run.accessible(window)
    box = node(nodes, role="text")
    x, y, width, height = box["extents"]
    before = {w["id"] for w in run.desktop.windows()}
    run.desktop.run(["xdotool", "mousemove", "--sync", str(x + width // 2), str(y + height // 2),
                     "click", "3"])
    menu = poll(lambda: next((w for w in run.desktop.windows() if w["id"] not in before), None),
                APPEAR, "the answer box's menu")
    # The window with the desktop's menu over it, both schemes in one picture.
    frame = run.desktop.frame_of(window["id"])
    left, top = min(frame["x"], menu["x"]), min(frame["y"], menu["y"])
    right = max(frame["x"] + frame["width"], menu["x"] + menu["width"])
    bottom = max(frame["y"] + frame["height"], menu["y"] + menu["height"])
    run.desktop.screenshot(os.path.join(run.artifacts, f"{'romain' if roman else 'arabe'}"
                                                       "-sombre-menu.png"),
                           (left, top, right - left, bottom - top))
    ground = commonest(run.desktop.pixels((menu["x"], menu["y"], menu["width"],
                                            menu["height"])))
    assert luminance(ground) < 0.2, \
        f"the desktop's menu is not dark (ground {ground}): the dark scheme is not in force"
    # Undo is the first item: a click there, then Escape for a menu still open.
    run.desktop.click(menu["x"] + 40, menu["y"] + 12)
    run.press("Escape")
    poll(lambda: all(w["id"] != menu["id"] for w in run.desktop.windows()), APPEAR,
         "the menu closed")
    nodes = run.accessible(window)
    assert node(nodes, role="text")["text"] == "", \
        f"Undo brought back {node(nodes, role='text')['text']!r}"
    assert "enabled" not in node(nodes, name="Valider")["states"], \
        "\"&Valider\" enabled with an empty box"


def scenario_dark(run):
    desktop = run.desktop
    dark_desktop(run)
    with run.step("start under the dark scheme and en_US: the clock shows hh:mm:ss"):
        start(run, QT_QPA_PLATFORMTHEME="qt6ct", LC_ALL="en_US.UTF-8", LANG="en_US.UTF-8")
        backdrop = run.window(BACKDROP_TITLE)
        main = run.settled_window(MAIN_TITLE)
        seen = []

        def clock():
            nodes = run.accessible(backdrop)
            seen[:] = scenarios.visible_texts(nodes)
            return scenarios.find_string(nodes, CLOCK)
        try:
            poll(clock, APPEAR, "the clock as hh:mm:ss", interval=0.3)
        except StepFailure as failure:
            raise StepFailure(f"{failure}; the backdrop shows {seen}") from None

    run.save_window_picture(main, "main-sombre.png")

    for roman, title, key in ((True, ROMAN_TITLE, "r"), (False, ARABIC_TITLE, "a")):
        name = "romain" if roman else "arabe"
        with run.step(f"{name}: a wrong answer and its correction"):
            window = run.open_menu_item("alt+c", key, title)
            answer_drill(run, window, roman, right=False)
            run.read(window, r"C'est : \w+", "the correction")
            run.save_window_picture(window, f"{name}-sombre.png")
        with run.step(f"{name}: after \"&Continuer\", Undo in the box's menu brings nothing "
                      "back"):
            run.press("alt+c")
            run.read(window, "Exercice n° : 2", "the next question")
            undo_after_continue(run, window, roman)
        with run.step(f"{name}: a right answer"):
            answer_drill(run, window, roman, right=True)
            run.press("alt+q")
            run.window_gone(title)
    # The report's time must read hh:mm:ss under en_US too.
    run.quit_with_report(main, ("1/2", "1/2"))
    desktop.screenshot(os.path.join(run.artifacts, "end.png"))


# -- ratio 2 ---------------------------------------------------------------------------------

RATIO = 2


def pairs_that_differ(pixels, width):
    """Of the pairs of pixels side by side at even and odd columns, those that differ: an
    enlarged picture has none."""
    differ = 0
    for index in range(0, len(pixels) - 1, 2):
        if index % width != width - 1 and pixels[index] != pixels[index + 1]:
            differ += 1
    return differ


def scenario_hidpi(run):
    with run.step("start at ratio 2: the backdrop covers the screen, the main window is twice "
                  "its size"):
        start(run, QT_SCALE_FACTOR=str(RATIO))
        screen = (harness.SCREEN_WIDTH, harness.SCREEN_HEIGHT)
        poll(lambda: (run.window(BACKDROP_TITLE)["width"],
                      run.window(BACKDROP_TITLE)["height"]) == screen, APPEAR,
             "the backdrop covering the screen")
        main = run.settled_window(MAIN_TITLE)
        assert main["width"] == 414 * RATIO, f"main window {main['width']} pixels wide"
        run.save_window_picture(main, "main-2x.png")

    for roman, title, key, size in ((True, ROMAN_TITLE, "r", (442, 423)),
                                    (False, ARABIC_TITLE, "a", (492, 423))):
        name = "romain" if roman else "arabe"
        with run.step(f"{name}: twice the size; the picture in the detail of its double "
                      "rendering; the gauge's text drawn at the screen's resolution"):
            window = run.open_menu_item("alt+c", key, title)
            assert (window["width"], window["height"]) == (size[0] * RATIO, size[1] * RATIO), \
                f"{window['width']}x{window['height']}, not twice {size}"
            answer_drill(run, window, roman, right=True, ratio=RATIO)
            run.save_window_picture(window, f"{name}-2x.png")
            nodes = run.accessible(window, RATIO)
            origin = nodes[0]["extents"][:2]

            def on_screen(item):
                x, y, width, height = item["extents"]
                return (window["x"] + (x - origin[0]) * RATIO,
                        window["y"] + (y - origin[1]) * RATIO, width * RATIO, height * RATIO)

            picture = on_screen(node(nodes, role="image"))
            pixels = run.desktop.pixels(picture)
            differ = pairs_that_differ(pixels, picture[2])
            print(f"    picture {picture[2]}x{picture[3]}: {differ} pairs of pixels differ")
            assert differ > len(pixels) // 100, \
                f"the picture is an enlarged one: only {differ} pairs of pixels differ"

            gauge = on_screen(next(n for n in nodes if n["role"] == "progress bar"
                                   or re.fullmatch(r"\d+%", n["name"])))
            pixels = run.desktop.pixels(gauge)
            width, height = gauge[2], gauge[3]
            border = 2 * RATIO
            inside = [(index, pixel) for index, pixel in enumerate(pixels)
                      if border <= index % width < width - border
                      and border <= index // width < height - border]
            # The text is the inverse of the bar beneath it.
            ground = commonest([pixel for _, pixel in inside])
            inverse = tuple(255 - channel for channel in ground)
            text_rows = {index // width for index, pixel in inside if pixel == inverse}
            rows = max(text_rows) - min(text_rows) + 1 if text_rows else 0
            differ = pairs_that_differ(pixels, width)
            print(f"    gauge {width}x{height}: text {rows} rows high, {differ} pairs differ")
            # The digits of the gauges' fonts (11 and 13 pixels) are over 6 pixels high.
            assert rows > 6 * RATIO, f"the gauge's text is {rows} rows high"
            assert differ > 0, "the gauge's text is an enlarged one"
            run.press("alt+q")
            run.window_gone(title)


LOOK_SCENARIOS = {"dark": scenario_dark, "hidpi": scenario_hidpi}


if __name__ == "__main__":
    scenarios.SCENARIOS.update(LOOK_SCENARIOS)
    sys.exit(scenarios.main())
