"""Prints the lines the text viewer of a running Morvi shows, read through the
accessibility bus as a screen reader would, one per line. Waits for the viewer."""
import sys
import time

import pyatspi


def find_all(node, role, found, depth=0):
    if node is None or depth > 40:
        return
    try:
        if node.getRole() == role:
            found.append(node)
        for i in range(node.childCount):
            find_all(node.getChildAtIndex(i), role, found, depth + 1)
    except Exception:
        pass


def viewer_lines():
    desktop = pyatspi.Registry.getDesktop(0)
    for i in range(desktop.childCount):
        app = desktop.getChildAtIndex(i)
        if app is None or "morvi" not in (app.name or "").lower():
            continue
        items = []
        find_all(app, pyatspi.ROLE_LIST_ITEM, items)
        if items:
            return [item.name for item in items]
    return []


deadline = time.time() + float(sys.argv[1] if len(sys.argv) > 1 else 20)
lines = []
while time.time() < deadline and not lines:
    lines = viewer_lines()
    if not lines:
        time.sleep(0.5)
for line in lines:
    print(line)
if not lines:
    desktop = pyatspi.Registry.getDesktop(0)
    names = [desktop.getChildAtIndex(i).name for i in range(desktop.childCount) if desktop.getChildAtIndex(i)]
    print("no list items; applications on the bus: %s" % names, file=sys.stderr)
sys.exit(0 if lines else 1)
