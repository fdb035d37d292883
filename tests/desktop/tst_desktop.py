"""The running app as a screen reader meets it: through the AT-SPI bus, Qt on weston. Arguments: the
app, the fake sf, weston's backend: headless (no seat, so no clipboard) or x11 (in an Xvfb of its own);
or orca: the screen reader itself on Xvfb, what it says read from its debug log, keys typed by xdotool."""
import contextlib, importlib.util, os, shutil, subprocess, sys, tempfile, time

binary, fake, backend = sys.argv[1:4]

if 'TST_DESKTOP_RUN' not in os.environ:
    tools = ('orca', 'xdotool') if backend == 'orca' else ('weston', 'wl-paste')
    missing = [t for t in ('dbus-run-session', 'Xvfb', *tools) if not shutil.which(t)]
    if not sys.platform.startswith('linux') or missing or not importlib.util.find_spec('pyatspi'):
        print('SKIP: needs Linux with dbus, Xvfb, python3-pyatspi and', ', '.join(tools), '; missing:', missing)
        sys.exit(77)
    # A session bus of our own; all that runs under it is one process group, ended at the end.
    run = tempfile.mkdtemp(prefix='tst_desktop.')  # private, as XDG_RUNTIME_DIR must be
    env = dict(os.environ, TST_DESKTOP_RUN=run, XDG_RUNTIME_DIR=run, HOME=run, LC_ALL='C.UTF-8', LANGUAGE='en')
    bus = subprocess.Popen(['dbus-run-session', '--', sys.executable, '-u', *sys.argv], env=env, start_new_session=True)
    try:
        sys.exit(bus.wait(timeout=240))
    finally:
        subprocess.run(['kill', '-KILL', '--', f'-{bus.pid}'], stderr=subprocess.DEVNULL)
        shutil.rmtree(run, ignore_errors=True)

import pyatspi

run = os.environ['TST_DESKTOP_RUN']
sf = run + '/sf'
# The real CLI's outputs: three orgs listed, and `org open` failing on an unknown target.
for folder, fixture, status in ('org_list', 'org-list-three-orgs.json', 0), ('org_open', 'org-open-unknown-target.json', 2):
    os.makedirs(f'{sf}/{folder}')
    shutil.copy(os.path.join(os.path.dirname(__file__), '../fixtures/sf-cli', fixture), f'{sf}/{folder}/stdout')
    open(f'{sf}/{folder}/status', 'w').write(str(status))
if backend in ('x11', 'orca'):  # the display's number, once Xvfb is ready for clients
    read, write = os.pipe()
    subprocess.Popen(['Xvfb', '-displayfd', str(write), '-screen', '0', '1440x1024x24'], pass_fds=[write])
    os.environ['DISPLAY'] = ':' + os.read(read, 16).decode().strip()
if backend == 'orca':
    import orca_session  # noqa: E402  (beside this file)
    sys.exit(orca_session.run(run, binary, dict(os.environ, QT_QPA_PLATFORM='xcb', QT_LINUX_ACCESSIBILITY_ALWAYS_ON='1',
                                                TARNWICK_SF=fake, FAKE_SF_SCENARIO=sf)))
subprocess.Popen(['weston', f'--backend={backend}-backend.so', '--socket=tst-desktop', '--idle-time=0', f'--log={run}/weston.log'])
desktop = pyatspi.Registry.getDesktop(0)  # starts the AT-SPI bus and its registry before the app


def poll(what, probe, timeout=60):
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        assert 'app' not in globals() or app.poll() is None, f'the app exited with {app.returncode}'
        with contextlib.suppress(Exception):  # the tree changes while it is read: ask again
            if found := probe():
                return found
        time.sleep(0.1)
    raise AssertionError(f'no {what} within {timeout} s')


def find(role, name):
    return pyatspi.findDescendant(window, lambda n: n.getRole() == role and n.name == name)


def press(button):  # a screen reader's "activate": the button's own action, no pointer
    action = find(pyatspi.ROLE_PUSH_BUTTON, button).queryAction()
    action.doAction(next(i for i in range(action.nActions) if action.getName(i) == 'Press'))


poll('Wayland socket', lambda: os.path.exists(f'{run}/tst-desktop'))
env = dict(os.environ, WAYLAND_DISPLAY='tst-desktop', QT_QPA_PLATFORM='wayland', QT_LINUX_ACCESSIBILITY_ALWAYS_ON='1',
           TARNWICK_SF=fake, FAKE_SF_SCENARIO=sf)
app = subprocess.Popen([binary], env=env)
window = poll('app on the AT-SPI bus', lambda: next(a for a in desktop if a and a.name == 'Tarnwick'))
status = poll('status line', lambda: find(pyatspi.ROLE_STATUS_BAR, 'Loaded 3 CLI connections.'))
orgs = find(pyatspi.ROLE_LIST, 'CLI Connections')
rows = poll('three checked rows', lambda: orgs.childCount == 3 and all('Checking' not in r.name for r in orgs) and [*orgs])
for row in rows:  # each row read as its text, the status in words
    assert 'Not connected: ENOTFOUND' in row.name and (', default,' in row.name) == row.name.startswith('dev@widgets.example,'), row.name

assert not any(r.getState().contains(pyatspi.STATE_FOCUSED) for r in rows)  # only what has the keyboard claims it
assert find(pyatspi.ROLE_RADIO_BUTTON, 'Org Type: Sandbox').getState().contains(pyatspi.STATE_CHECKED)  # a choice, said

pick = next(i for i, row in enumerate(rows) if row.name.startswith('acme-uat,'))
selection = 'Selection' in pyatspi.listInterfaces(orgs)  # Qt before 6.5 selects through Table only
(orgs.querySelection().selectChild if selection else orgs.queryTable().addRowSelection)(pick)
labels = lambda n: [r.getTarget(0).name for r in n.getRelationSet() if r.getRelationType() == pyatspi.RELATION_LABELLED_BY]
poll('the page picker with its label', lambda: pyatspi.findDescendant(window, lambda n: n.getRole() == pyatspi.ROLE_COMBO_BOX and labels(n) == ['Page']))
press('Open Connection')
# The fake's log, NUL-separated: pid, PATH, HOME, then the argument count and the arguments.
poll('sf org open', lambda: b'\x004\x00org\x00open\x00--target-org\x00acme-uat\x00' in open(f'{sf}/calls', 'rb').read())
poll('error in the status line', lambda: 'No authorization information found' in status.queryText().getText(0, -1))
# Spoken wherever the keyboard is: a notification inside the status bar, named as an error.
said = poll('the error announced', lambda: pyatspi.findDescendant(status, lambda n: n.getRole() == pyatspi.ROLE_NOTIFICATION))
assert said.name.startswith('Error: ') and 'No authorization information found' in said.name, said.name

press('Copy Target')  # without a seat nothing can be copied, and the app must say so
copied = 'Copied target: acme-uat' if backend == 'x11' else 'Could not copy acme-uat: no clipboard is available.'
poll('copy in the status line', lambda: status.queryText().getText(0, -1) == copied)
paste = subprocess.run(['wl-paste', '--no-newline'], env=env, capture_output=True, text=True, timeout=60)
assert (paste.stdout == 'acme-uat') == (backend == 'x11'), (paste.returncode, paste.stdout, paste.stderr)
