"""Logs on to the Chinook SQLite file and the DB2 test server through the real program's
windows, found over AT-SPI by their captions and labels only, and reads the main
window's caption. Started by run.sh inside its own display and session bus."""

import os
import subprocess
import sys
import time

from gi.repository import Gio, GLib

TIMEOUT = 30.0


def fail(text):
    print("desktop test failed: " + text, file=sys.stderr)
    sys.exit(1)


def bring_up_accessibility_bus():
    # Activating the bus before the program starts makes the program register on it.
    bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)
    reply = bus.call_sync("org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus", "GetAddress", None,
                          GLib.VariantType.new("(s)"), Gio.DBusCallFlags.NONE, 20000, None)
    if not reply.unpack()[0]:
        fail("the accessibility bus gave no address")


bring_up_accessibility_bus()
import pyatspi  # noqa: E402  (needs the accessibility bus to be up)


def wait_for(what, probe, timeout=TIMEOUT):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        try:
            found = probe()
        except Exception:  # an object vanished between two calls: look again
            found = None
        if found:
            return found
        time.sleep(0.05)
    fail("timed out waiting for " + what)


def children(acc):
    try:
        return [acc.getChildAtIndex(i) for i in range(acc.childCount)]
    except Exception:
        return []


def walk(acc):
    yield acc
    for child in children(acc):
        if child is not None:
            yield from walk(child)


def showing(acc):
    return acc.getState().contains(pyatspi.STATE_SHOWING)


def find(root, role, name=None, prefix=None):
    for acc in walk(root):
        if acc.getRole() != role or not showing(acc):
            continue
        if name is not None and acc.name != name:
            continue
        if prefix is not None and not acc.name.startswith(prefix):
            continue
        return acc
    return None


def labelled(root, role, label):
    """A control by its label: its own accessible name or its LABELLED_BY label."""
    for acc in walk(root):
        if acc.getRole() != role or not showing(acc):
            continue
        if acc.name == label:
            return acc
        for relation in acc.getRelationSet():
            if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY:
                if any(relation.getTarget(i).name == label for i in range(relation.getNTargets())):
                    return acc
    return None


def act(acc, *names):
    action = acc.queryAction()
    wanted = [n.lower() for n in names]
    for i in range(action.nActions):
        if action.getName(i).lower() in wanted:
            action.doAction(i)
            return
    fail("%s %r offers none of the actions %s" % (acc.getRoleName(), acc.name, names))


def set_text(acc, text):
    acc.queryEditableText().setTextContents(text)


def text_of(acc):
    t = acc.queryText()
    return t.getText(0, t.characterCount)


def screenshot(name, acc=None):
    folder = os.environ.get("FERROVAN_DESKTOP_SHOTS")
    if not folder:
        return
    target = os.path.join(folder, name)
    args = ["import", "-window", "root"]
    if acc is not None:
        x, y, w, h = acc.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        args += ["-crop", "%dx%d+%d+%d" % (w, h, x, y), "+repage"]
    subprocess.run(args + [target], check=True)


def main():
    binary = os.environ["FERROVAN_DESKTOP_BINARY"]
    chinook = os.path.realpath(os.path.join(os.environ["FERROVAN_DESKTOP_FIXTURES"], "chinook", "Chinook_Sqlite.sqlite"))
    user = os.environ["FERROVAN_TEST_DB2_USER"]
    password = os.environ["FERROVAN_TEST_DB2_PASSWORD"]
    database = os.environ["FERROVAN_TEST_DB2_DATABASE"]
    if not os.path.isfile(chinook):
        fail("the Chinook file is missing: " + chinook)

    program = subprocess.Popen([binary])
    try:
        desktop = pyatspi.Registry.getDesktop(0)

        def application():
            for app in children(desktop):
                if app is not None and app.get_process_id() == program.pid:
                    return app
            if program.poll() is not None:
                fail("ferrovan ended with %d before it showed a window" % program.returncode)
            return None

        app = wait_for("ferrovan on the accessibility bus", application)
        logon = wait_for("the window \"Ferrovan Logon\"", lambda: find(app, pyatspi.ROLE_DIALOG, "Ferrovan Logon"))

        # Ok before either side is connected names the source.
        act(wait_for("the Ok button", lambda: find(logon, pyatspi.ROLE_PUSH_BUTTON, "Ok")), "Press")
        wait_for("\"Please log on to Sqlite\"", lambda: find(app, pyatspi.ROLE_LABEL, "Please log on to Sqlite"))
        box = wait_for("the message box", lambda: find(app, pyatspi.ROLE_PUSH_BUTTON, "OK"))
        act(box, "Press")
        wait_for("the message box to close", lambda: not find(app, pyatspi.ROLE_LABEL, "Please log on to Sqlite"))

        # Sqlite page.
        file_box = wait_for("the \"Sqlite File\" box", lambda: labelled(logon, pyatspi.ROLE_TEXT, "Sqlite File"))
        set_text(file_box, chinook)
        wait_for("the file name in its box", lambda: text_of(file_box) == chinook)
        act(find(logon, pyatspi.ROLE_PUSH_BUTTON, "Connect"), "Press")
        wait_for("\"Connected.\" on the Sqlite page", lambda: find(logon, pyatspi.ROLE_LABEL, "Connected."))
        screenshot("logon-sqlite.png", logon)

        # DB2 page.
        act(wait_for("the tab \"DB2\"", lambda: find(logon, pyatspi.ROLE_PAGE_TAB, "DB2")), "Press")
        user_box = wait_for("the \"Username\" box", lambda: labelled(logon, pyatspi.ROLE_TEXT, "Username"))
        set_text(user_box, user)
        set_text(labelled(logon, pyatspi.ROLE_PASSWORD_TEXT, "Password") or
                 labelled(logon, pyatspi.ROLE_TEXT, "Password"), password)
        set_text(labelled(logon, pyatspi.ROLE_TEXT, "Database"), database)
        standard = wait_for("the protocol \"Standard\"", lambda: find(logon, pyatspi.ROLE_RADIO_BUTTON, "Standard"))
        act(standard, "Press", "Toggle")
        wait_for("host and port hidden", lambda: not labelled(logon, pyatspi.ROLE_TEXT, "Hostname"))
        act(find(logon, pyatspi.ROLE_PUSH_BUTTON, "Connect"), "Press")
        state = wait_for("the DB2 page's state", lambda: find(logon, pyatspi.ROLE_LABEL, "Connected.") or
                         find(logon, pyatspi.ROLE_LABEL, "Cannot Connect."))
        if state.name != "Connected.":
            report = [a.name for a in walk(app) if a.getRole() == pyatspi.ROLE_LABEL and showing(a)]
            fail("the DB2 logon failed: %s" % report)
        screenshot("logon-db2.png", logon)

        act(find(logon, pyatspi.ROLE_PUSH_BUTTON, "Ok"), "Press")
        frame = wait_for("the logged-on caption",
                         lambda: find(app, pyatspi.ROLE_FRAME, prefix="Ferrovan -- Sqlite: "))
        expected = "Ferrovan -- Sqlite: %s DB2: %s@%s" % (chinook, user, database)
        if frame.name != expected:
            fail("caption %r, expected %r" % (frame.name, expected))
        print("caption: " + frame.name)

        start = wait_for("the start window", lambda: find(app, pyatspi.ROLE_DIALOG, "Start a task - Ferrovan"))
        screenshot("main-start-window.png", frame)
        act(find(start, pyatspi.ROLE_PUSH_BUTTON, "Close"), "Press")
        wait_for("the start window to close", lambda: not find(app, pyatspi.ROLE_DIALOG, "Start a task - Ferrovan"))

        act(wait_for("the menu item \"Exit\"", lambda: next(
            (a for a in walk(frame) if a.getRole() == pyatspi.ROLE_MENU_ITEM and a.name == "Exit"), None)),
            "Press", "Click", "Toggle")
        try:
            code = program.wait(timeout=TIMEOUT)
        except subprocess.TimeoutExpired:
            fail("ferrovan did not end after Exit")
        if code != 0:
            fail("ferrovan ended with %d" % code)
    finally:
        if program.poll() is None:
            program.kill()
            program.wait()


main()
