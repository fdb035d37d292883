"""Orca meets the app: what it speaks, read from its debug log, as a blind user would hear it."""
import json, os, re, subprocess, threading, time


def run(folder, binary, env):
    prefs = folder + '/orca'
    os.makedirs(prefs)
    # No speech server (none can sound here, and speech-dispatcher would wait for one): Orca still
    # logs each utterance as "SPEECH OUTPUT".
    json.dump({'general': {'speechServerFactory': '', 'speechFactoryModules': [], 'firstStart': False},
               'pronunciations': {}, 'keybindings': {}, 'profiles': {'default': {'profile': ['Default', 'default']}}},
              open(prefs + '/user-settings.conf', 'w'))
    # The log goes to a terminal, so that Orca writes it line by line rather than in blocks.
    reader, writer = os.openpty()
    log = bytearray()
    threading.Thread(target=lambda: [log.extend(chunk) for chunk in iter(lambda: os.read(reader, 65536), b'')],
                     daemon=True).start()
    orca = subprocess.Popen(['orca', '--user-prefs', prefs, '--debug-file', os.ttyname(writer)],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def said():
        return re.findall(r"SPEECH OUTPUT: '(.*?)'(?: voice=\w+)? ?\{", bytes(log).decode(errors='replace'), re.S)

    def hear(what, probe, since, timeout=60):
        end = time.monotonic() + timeout
        while time.monotonic() < end:
            assert (app is None or app.poll() is None) and orca.poll() is None, 'the app or Orca exited'
            if probe(said()[since:]):
                return len(said())
            time.sleep(0.1)
        raise AssertionError(f'Orca did not say {what}; it said: {said()[since:]}')

    def keys(*args):
        subprocess.run(['xdotool', *args], check=True, timeout=60)

    app = None
    hear('that it is on', lambda s: 'Screen reader on.' in s, 0)
    app = subprocess.Popen([binary], env=env)
    # Told without the focus on it: the status line announces what it says.
    heard = hear('the loaded list', lambda s: 'Loaded 3 CLI connections.' in s, 0)
    window = subprocess.run(['xdotool', 'search', '--sync', '--onlyvisible', '--name', '^Tarnwick$'], capture_output=True, text=True,
                            timeout=60).stdout.split()[0]
    keys('windowfocus', '--sync', window)
    heard = hear('the filter, focused at start', lambda s: 'Filter connections text.' in s, heard)
    rows = lambda s: [u for u in s if 'ENOTFOUND' in u or u.startswith('List with')]
    # Each letter echoed, and no list row claims the focus meanwhile.
    keys('type', '--delay', '250', 'acme')
    heard = hear('each letter', lambda s: [u.strip() for u in s if len(u.strip()) == 1] == list('acme'), heard)
    keys('key', 'ctrl+r')  # the status spoken again while the keyboard stays in the filter
    after = hear('the list read again', lambda s: 'Loaded 3 CLI connections.' in s, heard)
    assert not rows(said()[heard:after]), said()[heard:after]
    keys('key', 'Down')  # into the list: which org is on is said, not just the list
    heard = hear('the first matching row', lambda s: any(u.startswith('acme-prod, ') for u in s), after)
    keys('key', 'ctrl+Return')  # the CLI's failure, spoken as an error
    hear('the error', lambda s: any(u.startswith('Error: ') and 'No authorization information found' in u for u in s), heard)
    app.terminate()
    orca.terminate()
    return 0
