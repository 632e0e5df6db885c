#!/usr/bin/python3
"""Prints, as JSON, what a screen reader sees of one application: its top-level windows and
every accessible object under them (role, name, description, text, value, states, extents).

Run as a separate process for every look, so that no cache of the accessibility library can
serve a stale text and a hung application cannot hang the caller (it kills us on a timeout).
Usage: a11y_dump.py APPLICATION_NAME
"""
import json
import sys

import pyatspi

MAX_DEPTH = 12
MAX_NODES = 2000


def text_of(acc):
    try:
        text = acc.queryText()
    except NotImplementedError:
        return None
    count = text.characterCount
    return text.getText(0, count) if count > 0 else ""


def value_of(acc):
    try:
        return acc.queryValue().currentValue
    except NotImplementedError:
        return None


def extents_of(acc):
    try:
        box = acc.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        return [box.x, box.y, box.width, box.height]
    except NotImplementedError:
        return None


def states_of(acc):
    states = acc.getState().getStates()
    return sorted(pyatspi.stateToString(state) for state in states)


def walk(acc, depth, out):
    if depth > MAX_DEPTH or len(out) >= MAX_NODES:
        return
    out.append({
        "depth": depth,
        "role": acc.getRoleName(),
        "name": acc.name or "",
        "description": acc.description or "",
        "text": text_of(acc),
        "value": value_of(acc),
        "states": states_of(acc),
        "extents": extents_of(acc),
    })
    for index in range(acc.childCount):
        child = acc.getChildAtIndex(index)
        if child is not None:
            walk(child, depth + 1, out)


def main():
    wanted = sys.argv[1]
    desktop = pyatspi.Registry.getDesktop(0)
    windows = []
    for app in desktop:
        if app is None or app.name != wanted:
            continue
        for index in range(app.childCount):
            window = app.getChildAtIndex(index)
            if window is None:
                continue
            nodes = []
            walk(window, 0, nodes)
            windows.append({"pid": app.get_process_id(), "title": window.name or "",
                            "role": window.getRoleName(), "nodes": nodes})
    json.dump(windows, sys.stdout, ensure_ascii=False)


if __name__ == "__main__":
    main()
