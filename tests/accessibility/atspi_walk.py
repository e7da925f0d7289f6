"""Walks Kelvora's accessibility tree as a screen reader does, through AT-SPI.

Prints the objects it checks, one per line (role, name, states), and exits 1 on the first
check that fails. Argument: the stand-in card library's call log.
Roles are compared by their value, not their name: the names changed between releases
(at-spi2 2.56 on Debian 13 says "button" where 2.46 says "push button").
"""
import sys
import time

import pyatspi
from gi.repository import GLib

CALL_LOG = sys.argv[1]
failures = []


def line(obj):
    states = obj.getState()
    flags = [
        n
        for n, s in (
            ("focusable", pyatspi.STATE_FOCUSABLE),
            ("focused", pyatspi.STATE_FOCUSED),
            ("showing", pyatspi.STATE_SHOWING),
        )
        if states.contains(s)
    ]
    return f"[{obj.getRoleName()}] {obj.name!r} {' '.join(flags)}"


def check(condition, what):
    print(("ok   " if condition else "ÉCHEC ") + what, flush=True)
    if not condition:
        failures.append(what)


def walk(obj):
    yield obj
    for i in range(obj.childCount):
        child = obj.getChildAtIndex(i)
        if child is not None:
            yield from walk(child)


def wait_for(predicate, seconds):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        found = predicate()
        if found:
            return found
        time.sleep(0.2)
    return None


def application():
    desktop = pyatspi.Registry.getDesktop(0)
    for app in desktop:
        if app is not None and app.name.lower() == "kelvora":
            if any(o.getRole() == pyatspi.ROLE_PUSH_BUTTON for o in walk(app)):
                return app
    return None


def find(app, role, name=None, prefix=None):
    for obj in walk(app):
        if obj.getRole() != role:
            continue
        if name is not None and obj.name != name:
            continue
        if prefix is not None and not obj.name.startswith(prefix):
            continue
        return obj
    return None


def focused(app):
    for obj in walk(app):
        if obj.getState().contains(pyatspi.STATE_FOCUSED):
            return obj
    return None


app = wait_for(application, 60)
if app is None:
    print("ÉCHEC Kelvora n'apparaît pas sur le bus d'accessibilité")
    sys.exit(1)

print("--- la fenêtre au démarrage")
every = list(walk(app))
internal = [o for o in every if o.name.startswith("tab_")]
check(not internal, "aucun nom interne tab_* exposé " + ", ".join(line(o) for o in internal))
tabs = [o for o in every if o.getRole() == pyatspi.ROLE_PAGE_TAB]
for tab in tabs:
    print("     " + line(tab))
check(len(tabs) >= 7, "les onglets cachés ont des noms en français")
bar = find(app, pyatspi.ROLE_TOOL_BAR)
check(bar is not None and bar.name == "Barre d'outils", "la barre d'outils est une barre d'outils")
if bar is not None:
    print("     " + line(bar))
for obj in every:
    if obj.getRole() in (
        pyatspi.ROLE_TEXT,
        pyatspi.ROLE_PARAGRAPH,
        pyatspi.ROLE_PROGRESS_BAR,
        pyatspi.ROLE_IMAGE,
        pyatspi.ROLE_ICON,
        pyatspi.ROLE_PASSWORD_TEXT,
    ):
        print("     " + line(obj))
        check(obj.name != "", f"nommé : {obj.getRoleName()}")

pin = find(app, pyatspi.ROLE_PASSWORD_TEXT)
card = find(app, pyatspi.ROLE_PUSH_BUTTON, name="Lire les cartes")
check(pin is not None and pin.name == "Code CPS :", "le champ du code CPS est nommé")
check(card is not None, "l'icône de la carte est un bouton nommé")
if pin is None or card is None:
    sys.exit(1)

# The screen reader's events: every object that takes the focus, in order.
events = []


def on_event(event):
    if event.type.startswith("object:state-changed:focused") and event.detail1 == 1:
        events.append((event.source.getRole(), event.source.name))


# Name changes are listened to as well, as a screen reader does: without them the client keeps
# the first name it read of each object.
pyatspi.Registry.registerEventListener(
    on_event, "object:state-changed:focused", "object:property-change:accessible-name"
)


def read_with_wrong_pin():
    pin.queryEditableText().setTextContents("9999")
    card.queryAction().doAction(0)
    return False


deadline = time.monotonic() + 60


def until_outcome():
    if any("Code CPS faux" in name for _, name in events) or time.monotonic() > deadline:
        pyatspi.Registry.stop()
        return False
    return True


GLib.idle_add(read_with_wrong_pin)
GLib.timeout_add(200, until_outcome)
pyatspi.Registry.start()

print("--- après un code CPS faux : les objets qui ont pris le focus")
for role, name in events:
    print(f"     [{role}] {name!r}")
spoken = [e for e in events if "Code CPS faux" in e[1]]
check(bool(spoken), "le focus va à un objet dont le nom dit « Code CPS faux »")
if spoken:
    check(spoken[-1][0] == pyatspi.ROLE_ALERT, "cet objet est une alerte")
    check("essais avant le blocage" in spoken[-1][1], "son nom suit avec la deuxième ligne")
now = focused(app)
check(now is not None and "Code CPS faux" in now.name, "il a toujours le focus")
if now is not None:
    print("     " + line(now))
with open(CALL_LOG, encoding="utf-8", errors="replace") as log:
    checks = [l.strip() for l in log if l.startswith("Lec_ControleCPS")]
check(checks and "pin=wrong" in checks[-1], "la bibliothèque a reçu le code faux : " + str(checks))

print("--- page A Propos")
about = find(app, pyatspi.ROLE_PUSH_BUTTON, prefix="A Propos")
check(about is not None, "le bouton A Propos de la barre d'outils")
if about is not None:
    about.queryAction().doAction(0)
links = {}
for name in ("Site du logiciel lecture Vitale", "Support à distance"):
    links[name] = wait_for(
        lambda n=name: (lambda o: o if o and o.getState().contains(pyatspi.STATE_SHOWING) else None)(
            find(app, pyatspi.ROLE_PUSH_BUTTON, name=n)
        ),
        10,
    )
for name, link in links.items():
    check(link is not None, f"le lien « {name} » est un bouton visible")
    if link is None:
        continue
    check(link.getState().contains(pyatspi.STATE_FOCUSABLE), f"« {name} » peut prendre le focus")
    link.queryComponent().grabFocus()
    took = wait_for(lambda l=link: l.getState().contains(pyatspi.STATE_FOCUSED), 5)
    check(bool(took), f"« {name} » prend le focus")
    print("     " + line(link) + f" description={link.description!r}")

print(f"{len(failures)} échec(s)")
sys.exit(1 if failures else 0)
