"""From exec to the first rows a screen reader can read, with the CLI's files on disk and a stand-in
`sf` whose every command takes 4 s; then Ctrl+Return on the first row, timed to `sf org open`.
Arguments: the app, the fake sf, how many orgs. Five starts under Xvfb; prints the medians."""
import json, os, shutil, statistics, subprocess, sys, tempfile, time

binary, fake, count = sys.argv[1], sys.argv[2], int(sys.argv[3])
if 'FIRST_ROWS_RUN' not in os.environ:
    if not all(shutil.which(t) for t in ('Xvfb', 'xdotool', 'dbus-run-session')):
        sys.exit('first_rows: needs Xvfb, xdotool and D-Bus')
    run = tempfile.mkdtemp(prefix='first_rows.')
    env = dict(os.environ, FIRST_ROWS_RUN=run, XDG_RUNTIME_DIR=run, LC_ALL='C.UTF-8', LANGUAGE='en')
    try:
        sys.exit(subprocess.call(['dbus-run-session', '--', '/usr/bin/python3', '-u', *sys.argv], env=env))
    finally:
        shutil.rmtree(run, ignore_errors=True)

import pyatspi

run = os.environ['FIRST_ROWS_RUN']
sfdx, scenario = run + '/home/.sfdx', run + '/sf'
os.makedirs(sfdx)
os.makedirs(scenario)
open(scenario + '/delay', 'w').write('4')
for i in range(count):  # as the CLI writes them, tokens included
    user = f'org{i:04}@bench.example'
    json.dump({'accessToken': '00D!x', 'instanceUrl': f'https://{user}', 'orgId': f'00D{i}', 'username': user,
               'refreshToken': '5Aep', 'clientId': 'PlatformCLI', 'isDevHub': False, 'isSandbox': False}, open(f'{sfdx}/{user}.json', 'w'))
read, write = os.pipe()
xvfb = subprocess.Popen(['Xvfb', '-displayfd', str(write), '-screen', '0', '1440x1024x24'], pass_fds=[write],
                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
os.environ['DISPLAY'] = ':' + os.read(read, 16).decode().strip()
desktop = pyatspi.Registry.getDesktop(0)


def poll(probe, timeout=30):
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        try:
            if found := probe():
                return found
        except Exception:  # the tree changes while it is read
            pass
        time.sleep(0.005)
    raise SystemExit('first_rows: timed out')


rows, opened = [], []
for attempt in range(5):
    calls = scenario + '/calls'
    if os.path.exists(calls):
        os.remove(calls)
    env = dict(os.environ, HOME=run + '/home', QT_QPA_PLATFORM='xcb', QT_LINUX_ACCESSIBILITY_ALWAYS_ON='1',
               TARNWICK_SF=fake, FAKE_SF_SCENARIO=scenario)
    start = time.monotonic()
    app = subprocess.Popen([binary], env=env)
    window = poll(lambda: next(a for a in desktop if a and a.name == 'Tarnwick'))
    orgs = poll(lambda: pyatspi.findDescendant(window, lambda n: n.getRole() == pyatspi.ROLE_LIST and n.name == 'CLI Connections'))
    poll(lambda: orgs.childCount > 0 and orgs[0].name)
    rows.append(time.monotonic() - start)
    shown = subprocess.run(['xdotool', 'search', '--sync', '--onlyvisible', '--name', '^Tarnwick$'], capture_output=True, text=True)
    subprocess.run(['xdotool', 'windowfocus', '--sync', shown.stdout.split()[0], 'key', 'ctrl+Return'], check=True)
    poll(lambda: os.path.exists(calls) and b'\0open\0' in open(calls, 'rb').read())
    opened.append(time.monotonic() - start)
    app.terminate()
    app.wait()
xvfb.terminate()
print(f'first rows readable through AT-SPI {statistics.median(rows) * 1000:.0f} ms after exec (median of 5, {count} orgs, '
      f'every sf command taking 4 s); Ctrl+Return started sf org open at {statistics.median(opened) * 1000:.0f} ms')
