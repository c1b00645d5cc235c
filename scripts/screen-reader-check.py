#!/usr/bin/python3
"""What a screen reader hears of the results page, through the accessibility bus (AT-SPI).

Run by scripts/screen-reader-check.sh, which starts a display, a session bus and the program on
the samples. It shares every pool, types ECSA (default 4.5) into "ECSA Size for IRLM", opens
"View Results" and prints each recommendation as a screen reader gets it: the value label's
name and the caption that labels it. Needs python3-pyatspi and at-spi2-core.
"""
import sys
import time

import pyatspi


def find(node, wanted):
    try:
        if wanted(node):
            return node
        for i in range(node.childCount):
            found = find(node.getChildAtIndex(i), wanted)
            if found:
                return found
    except Exception:  # a node can go away while it is walked
        pass
    return None


def program():
    desktop = pyatspi.Registry.getDesktop(0)
    for _ in range(40):
        for i in range(desktop.childCount):
            node = desktop.getChildAtIndex(i)
            if node and node.name == 'Loomstead':
                return node
        time.sleep(0.5)
    sys.exit('the program did not show up on the accessibility bus')


def press(node):
    node.queryAction().doAction(0)
    time.sleep(1.0)


app = program()
tabs = find(app, lambda n: n.getRoleName() == 'page tab list')
tab = lambda name: find(tabs, lambda n: n.getRoleName() == 'page tab' and n.name == name)
press(tab('Select Shared Pools'))
press(find(app, lambda n: n.getRoleName() == 'push button' and n.name == 'Share All'))
ecsa = find(app, lambda n: n.getRoleName() == 'spin button' and 'ECSA' in n.name)
ecsa.queryEditableText().setTextContents(sys.argv[1] if len(sys.argv) > 1 else '4.5')
press(tab('View Results'))
frame = find(app, lambda n: n.getRoleName() == 'panel' and n.name == 'Recommendations')
for i in range(frame.childCount):
    value = frame.getChildAtIndex(i)
    captions = [r.getTarget(0).name for r in value.getRelationSet()
                if r.getRelationType() == pyatspi.RELATION_LABELLED_BY
                and r.getTarget(0).getRoleName() == 'label']
    if captions:
        print(f'{captions[0]}: {value.name}')
