#!/usr/bin/python3
"""Reads the running program as a screen reader does, over AT-SPI: the login dialog, the start
screen and the person form, each control's role, name and description. Logs in and opens the
person form through the same interface, as a blind user's reader would. Exits 1 naming every
control a reader could not name.

Usage: atspi-read.py PROGRAM TOOL (under an X server, a window manager and a session bus)."""

import os
import subprocess
import sys
import tempfile
import time

import pyatspi

program, tool = sys.argv[1], sys.argv[2]
faults = []


def fault(text):
    faults.append(text)
    print("FEIL: " + text)


def walk(node):
    yield node
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is not None:
            yield from walk(child)


def showing(node):
    return node.getState().contains(pyatspi.STATE_SHOWING)


def spoken(node):
    """The name a reader says: a combo box's from the label it is labelled by."""
    if node.getRole() == pyatspi.ROLE_COMBO_BOX:
        for relation in node.getRelationSet():
            if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY:
                return relation.getTarget(0).name.rstrip(":")
    return node.name


CONTROLS = {pyatspi.ROLE_TEXT, pyatspi.ROLE_PASSWORD_TEXT, pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_COMBO_BOX,
            pyatspi.ROLE_LIST, pyatspi.ROLE_TABLE, pyatspi.ROLE_TREE_TABLE, pyatspi.ROLE_ENTRY}


def controls(app):
    found = []
    for node in walk(app):
        if node.getRole() in CONTROLS and showing(node):
            found.append(node)
    return found


def wait_for(what, find, seconds=30):
    end = time.time() + seconds
    while time.time() < end:
        found = find()
        if found:
            return found
        time.sleep(0.2)
    fault("fant ikke " + what)
    found = application()
    for node in walk(found) if found else []:
        print("  %s «%s» %s" % (node.getRoleName(), node.name, "vises" if showing(node) else ""))
    return None


def application():
    desktop = pyatspi.Registry.getDesktop(0)
    for i in range(desktop.childCount):
        app = desktop.getChildAtIndex(i)
        if app is not None and app.name.lower() in ("tavlo-ii", "tavlo-ii.bin"):
            return app
    return None


def by_name(app, name, roles=CONTROLS):
    for node in controls(app):
        if node.getRole() in roles and spoken(node) == name:
            return node
    return None


def screen(app, title, expected, described=()):
    """Checks the shown controls: each named, no two alike, the expected names among them."""
    shown = controls(app)
    print("== " + title)
    names = []
    for node in shown:
        name = spoken(node)
        print("  %s: «%s»%s" % (node.getRoleName(), name, " (%s)" % node.description if node.description else ""))
        if not name.strip():
            fault("%s: %s uten navn" % (title, node.getRoleName()))
        elif name in names:
            fault("%s: navnet «%s» to ganger" % (title, name))
        names.append(name)
    for name in expected:
        if name not in names:
            fault("%s: «%s» mangler" % (title, name))
    for name, text in described:
        node = by_name(app, name)
        if node is None or text not in node.description:
            fault("%s: «%s» sier ikke «%s»" % (title, name, text))


work = tempfile.mkdtemp(prefix="tavlo-atspi-")
folder = os.path.join(work, "db")
subprocess.run([tool, "init-db", folder, "--user", "ola"], input="Hemmelig-123\nHemmelig-123\n", text=True,
               check=True, stdout=subprocess.DEVNULL)
settings = os.path.join(os.environ["XDG_CONFIG_HOME"], "Brenmark Rezod")
os.makedirs(settings, exist_ok=True)
with open(os.path.join(settings, "TAVLO-II.ini"), "w") as f:
    f.write("[General]\nDatabaseFolder=%s/\n" % folder)

env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_ACCESSIBILITY="1")
running = subprocess.Popen([program], env=env)
try:
    app = wait_for("programmet på AT-SPI", application)
    if app is None:
        sys.exit(1)
    user = wait_for("innloggingen", lambda: by_name(app, "Brukernavn"))
    if user is None:
        sys.exit(1)
    screen(app, "innlogging", ["Brukernavn", "Passord", "OK", "Avbryt", "Endre passord"])
    user.queryEditableText().setTextContents("ola")
    by_name(app, "Passord").queryEditableText().setTextContents("Hemmelig-123")
    by_name(app, "OK").queryAction().doAction(0)

    new_test = wait_for("startbildet", lambda: by_name(app, "Ny test"))
    if new_test is None:
        sys.exit(1)
    screen(app, "start", ["Ny test", "Tidligere test(er)", "Avslutt"])
    new_test.queryAction().doAction(0)

    if wait_for("personskjemaet", lambda: by_name(app, "Testdato")) is None:
        sys.exit(1)
    screen(app, "personskjema",
           ["Navn", "Adresse", "Telefon", "Nasjonalitet", "Førstespråk", "Skole", "Skoleår", "Testet sted",
            "Testleder", "Annet", "Testdato", "Fødselsdato", "Testalder", "Kjønn", "Håndpreferanse", "Avbryt",
            "Fortsett"],
           [("Testdato", "DDMMÅÅÅÅ"), ("Kjønn", "J=Jente, G=Gutt"), ("Navn", "Må fylles inn")])
finally:
    running.kill()
    running.wait()

print("%d feil" % len(faults))
sys.exit(1 if faults else 0)
