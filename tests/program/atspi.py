#!/usr/bin/python3
"""What a screen reader finds of a running program on the accessibility bus.

    atspi.py tree APP            every object shown: "role|name|description|focusable", indented
    atspi.py names APP SECONDS   each accessible-name change for SECONDS: "role|new name"
"""
import sys
import time

import pyatspi
from gi.repository import GLib


def application(name):
    """The program's root once it has children on the bus (up to 10 s)."""
    for _ in range(100):
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.name == name and app.childCount > 0:
                return app
        time.sleep(0.1)
    sys.exit(f"{name} is not on the accessibility bus")


def tree(node, depth=0):
    states = node.getState()
    if depth > 0 and not states.contains(pyatspi.STATE_SHOWING):
        return
    focusable = states.contains(pyatspi.STATE_FOCUSABLE)
    print(f"{'  ' * depth}{node.getRoleName()}|{node.name}|{node.description}|{int(focusable)}")
    for child in node:
        if child is not None:
            tree(child, depth + 1)


def names(app_name, seconds):
    def heard(event):
        try:
            if event.host_application.name == app_name:
                print(f"{event.source.getRoleName()}|{event.source.name}", flush=True)
        except Exception:  # an object gone meanwhile
            pass

    application(app_name)
    pyatspi.Registry.registerEventListener(heard, "object:property-change:accessible-name")
    GLib.timeout_add(int(seconds * 1000), pyatspi.Registry.stop)
    print("listening", flush=True)
    pyatspi.Registry.start()


if __name__ == "__main__":
    if sys.argv[1] == "tree":
        tree(application(sys.argv[2]))
    else:
        names(sys.argv[2], float(sys.argv[3]))
