#!/usr/bin/python3
"""Listens to the program as a screen reader does, over AT-SPI.

    screenreader.py SECONDS

Prints "listening" once its listeners are registered, then, for SECONDS, each
event a reader acts on that comes from the program; then the program's
accessible tree: one line a node, indented by depth, with its role and name,
the names of the labels that label it, and its text where it has one.
"""
import json
import sys

import pyatspi
from gi.repository import GLib

APP = "Zdravinky"
EVENTS = ("window:activate", "object:state-changed:showing", "object:property-change:accessible-name",
          "object:text-changed", "object:value-changed")


def quoted(text):
    return json.dumps(text, ensure_ascii=False)


def of_program(accessible):
    try:
        return accessible.getApplication().name == APP
    except Exception:  # an object gone meanwhile
        return False


def on_event(event):
    if of_program(event.source):
        print("event", event.type, event.source.getRoleName(), quoted(event.source.name), flush=True)


def dump(node, depth):
    line = "  " * depth + node.getRoleName() + " " + quoted(node.name)
    for relation in node.getRelationSet():
        if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY:
            line += " labelled-by " + ",".join(quoted(relation.getTarget(i).name)
                                               for i in range(relation.getNTargets()))
    if "Text" in pyatspi.listInterfaces(node):
        line += " text " + quoted(node.queryText().getText(0, -1))
    print(line)
    for child in node:
        if child is not None:
            dump(child, depth + 1)


def main():
    for event in EVENTS:
        pyatspi.Registry.registerEventListener(on_event, event)
    print("listening", flush=True)
    GLib.timeout_add(int(float(sys.argv[1]) * 1000), pyatspi.Registry.stop)
    pyatspi.Registry.start()
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.name == APP:
            for window in app:
                dump(window, 0)


main()
