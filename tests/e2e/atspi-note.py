#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
# Reads the editable text of a running program through AT-SPI, as a screen reader does, and prints
# it as JSON: {"text": ..., "caret": ..., "editable": ...,
# "selection": [start, end]}. Exits 1 when the program or its text is not
# found (the multi-line text box). Usage: atspi-note.py PROGRAM-NAME
import json
import sys

import pyatspi


def editable_texts(accessible, depth=0):
    if accessible is None or depth > 30:
        return
    states = accessible.getState()
    if accessible.getRole() == pyatspi.ROLE_TEXT and states.contains(pyatspi.STATE_MULTI_LINE):
        yield accessible
    for index in range(accessible.childCount):
        yield from editable_texts(accessible.getChildAtIndex(index), depth + 1)


def main():
    name = sys.argv[1].lower()
    desktop = pyatspi.Registry.getDesktop(0)
    for app in desktop:
        if app is None or app.name.lower() != name:
            continue
        for accessible in editable_texts(app):
            text = accessible.queryText()
            print(json.dumps({
                "text": text.getText(0, -1),
                "caret": text.caretOffset,
                "editable": accessible.getState().contains(pyatspi.STATE_EDITABLE),
                "selection": list(text.getSelection(0)) if text.getNSelections() else [],
            }))
            return 0
    print("no editable text found in " + name, file=sys.stderr)
    return 1


sys.exit(main())
