"""Launchers as shells and desktops use them. `tarnwick --list` over seeded homes; the completion
scripts in bash (its completion function, and typed in a terminal), zsh (typed) and fish
(`complete -C`); the search provider and the KRunner plugin, started by D-Bus activation and asked
with gdbus, their opens seen as the command lines the fake sf records and their failures as desktop
notifications. Arguments: the app, the fake sf, the seeded home of three orgs."""
import json, os, pty, select, shutil, subprocess, sys, tempfile, threading, time

binary, fake, seeded = map(os.path.abspath, sys.argv[1:4])
failures = []


def check(what, got, want):
    if got != want:
        failures.append(f'{what}:\n  got  {got!r}\n  want {want!r}')


def calls(scenario):
    """The fake sf's runs, each as its arguments."""
    try:
        fields = open(f'{scenario}/calls', encoding='utf-8').read().split('\0')
    except FileNotFoundError:
        return []
    runs = []
    while len(fields) > 4:
        argc = int(fields[3])
        runs.append(fields[4:4 + argc])
        fields = fields[4 + argc:]
    return runs


def make_home(root):
    """The three seeded orgs, and three whose names a shell must quote or could take for an option."""
    home = f'{root}/home'
    shutil.copytree(seeded, home, symlinks=True)
    aliases = json.load(open(f'{home}/.sfdx/alias.json'))
    for alias, username in ('my org', 'my@spaces.example'), ("it's", 'quote@x.example'), (None, '-lead@x.example'):
        # One a sandbox that is a Dev Hub too: the CLI lists it under both.
        json.dump({'username': username, 'instanceUrl': 'https://x.my.salesforce.com', 'orgId': '00D' + username[:4],
                   'accessToken': 'SECRET', 'isSandbox': alias == "it's", 'isDevHub': alias == "it's"},
                  open(f'{home}/.sfdx/{username}.json', 'w'))
        if alias:
            aliases['orgs'][alias] = username
    json.dump(aliases, open(f'{home}/.sfdx/alias.json', 'w'))
    return home


if '--on-bus' not in sys.argv:
    root = tempfile.mkdtemp(prefix='tst_launchers.')
    scenario = f'{root}/sf'
    # The real CLI's failure for an org it does not know, the name in it made markup.
    os.makedirs(f'{scenario}/org_open_--target-org_acme-uat')
    open(f'{scenario}/org_open_--target-org_acme-uat/status', 'w').write('2')
    open(f'{scenario}/org_open_--target-org_acme-uat/stdout', 'w').write(
        open(f'{os.path.dirname(fake)}/../fixtures/sf-cli/org-open-unknown-target.json').read().replace('nosuch', '<b>nosuch</b>'))
    home = make_home(root)
    env = dict(os.environ, HOME=home, TARNWICK_SF=fake, FAKE_SF_SCENARIO=scenario, LC_ALL='C.UTF-8', LANGUAGE='en',
               BROWSER='/bin/true')
    run = lambda *args, **kw: subprocess.run([binary, *args], env=dict(env, **kw), capture_output=True, text=True)

    # --list: from the files, no sf run; each org once, by the name --open takes.
    listed = run('--list')
    lines = [line.split('\t') for line in listed.stdout.splitlines()]
    check('--list', (listed.returncode, [line[:2] for line in lines]),
          (0, [['dev@widgets.example', 'dev@widgets.example'], ['-lead@x.example', '-lead@x.example'],
               ['acme-prod', 'admin@acme-prod.example'], ['acme-uat', 'qa@acme-prod.example.uat'],
               ["it's", 'quote@x.example'], ['my org', 'my@spaces.example']]))
    check('--list, the rest', lines[3][2:], ['https://acme--uat.sandbox.my.salesforce.com', 'Sandboxes'])
    check('--list --json', json.loads(run('--list', '--json').stdout)[3],
          {'name': 'acme-uat', 'username': 'qa@acme-prod.example.uat',
           'instanceUrl': 'https://acme--uat.sandbox.my.salesforce.com', 'category': 'Sandboxes'})
    check('--list ran sf', calls(scenario), [])

    # The completion scripts, the program on PATH answering --list and --targets and printing
    # what any other run was given.
    bindir = f'{root}/bin'
    os.makedirs(bindir)
    for shell, name in ('bash', 'tarnwick.bash'), ('zsh', '_tarnwick'), ('fish', 'tarnwick.fish'):
        open(f'{root}/{name}', 'w').write(run('--completion', shell).stdout)
    open(f'{bindir}/tarnwick', 'w').write(f'''#!/bin/sh
case "$1" in --list|--targets) exec '{binary}' "$@";; esac
printf 'ARGS:'; for a; do printf '[%s]' "$a"; done; echo ':END'
''')
    os.chmod(f'{bindir}/tarnwick', 0o755)
    shell_env = dict(env, PATH=f'{bindir}:{os.environ["PATH"]}', TERM='dumb', INPUTRC='/dev/null')
    offered = lambda words: subprocess.run(
        ['bash', '--norc', '-c', f'source {root}/tarnwick.bash; COMP_WORDS=({words}); COMP_CWORD=$((${{#COMP_WORDS[@]}} - 1)); '
         '_tarnwick 2>/dev/null; printf "%s\\n" "${COMPREPLY[@]}"'], env=shell_env, capture_output=True, text=True).stdout.split('\n')[:-1]
    check('bash, org names', offered('tarnwick --open ac'), ['acme-prod', 'acme-uat'])
    check('bash, targets', 'system' in offered("tarnwick --open acme-prod --in ''"), True)
    check('bash, pages', offered('tarnwick --open acme-prod --page de'), ['developer-console', 'deployment-status', 'debug-logs'])
    check('bash, options', offered('tarnwick --li'), ['--list'])
    check('bash, --open=', offered('tarnwick --open = \'"my\''), ['my org'])

    def typed(argv, setup, lines):
        """What the program was given for each line typed (a Tab in it) in an interactive shell."""
        pid, fd = pty.fork()
        if pid == 0:
            os.execvpe(argv[0], argv, shell_env)
        seen = b''
        os.write(fd, setup.encode() + b'\n')
        for n, line in enumerate(lines, 1):
            os.write(fd, line.encode() + b'\n')
            end = time.time() + 20
            while seen.count(b':END') < n and time.time() < end:
                if select.select([fd], [], [], 0.2)[0]:
                    seen += os.read(fd, 65536)
        os.kill(pid, 9)
        os.waitpid(pid, 0)
        return [line.split('ARGS:')[1] for line in seen.decode(errors='replace').replace('\r', '').split('\n')
                if line.startswith('ARGS:')]
    insertions = ['tarnwick --open my\t', "tarnwick --open it\t", 'tarnwick --open -le\t', "tarnwick --open 'my\t"]
    want = ['[--open][my org]:END', "[--open][it's]:END", '[--open][-lead@x.example]:END', '[--open][my org]:END']
    check('bash, typed', typed(['bash', '--norc', '-i'], f'PS1="$ "; source {root}/tarnwick.bash', insertions), want)
    if shutil.which('zsh'):
        os.makedirs(f'{root}/zfunc')
        shutil.copy(f'{root}/_tarnwick', f'{root}/zfunc')
        check('zsh, typed', typed(['env', 'TERM=xterm', 'zsh', '-f', '-i'], f'PS1="$ "; fpath=({root}/zfunc $fpath); autoload -Uz compinit; compinit -u -D',
                                  insertions[:3] + ['tarnwick --open acme-prod --page deb\t']),
              want[:3] + ['[--open][acme-prod][--page][debug-logs]:END'])
    if shutil.which('fish'):
        fish = lambda line: subprocess.run(['fish', '--no-config', '-c', f'source {root}/tarnwick.fish; complete -C "{line}"'],
                                           env=shell_env, capture_output=True, text=True).stdout.splitlines()
        check('fish, org names', fish('tarnwick --open ac'),
              ['acme-prod\tadmin@acme-prod.example', 'acme-uat\tqa@acme-prod.example.uat'])
        check('fish, names to quote', [line.split('\t')[0] for line in fish("tarnwick --open m")], ['my org'])
        check('fish, pages', fish('tarnwick --page fl'), ['flows\tWith --open: the page to start on'])
    check('completion ran sf', calls(scenario), [])

    # The desktop's search, on a bus of its own that starts the service as the package's file says.
    if not shutil.which('dbus-run-session') or not shutil.which('gdbus') or not os.path.exists(binary.replace('/tarnwick', '/tarnwick-search.so')):
        print('SKIP the search: needs dbus-run-session, gdbus and the search module')
    else:
        os.makedirs(f'{root}/services')
        open(f'{root}/services/app.tarnwick.Tarnwick.SearchProvider.service', 'w').write(
            f'[D-BUS Service]\nName=app.tarnwick.Tarnwick.SearchProvider\nExec={binary} --search-provider\n')
        open(f'{root}/bus.conf', 'w').write(f'''<busconfig><type>session</type><listen>unix:tmpdir={root}</listen>
<servicedir>{root}/services</servicedir><policy context="default"><allow send_destination="*" eavesdrop="true"/>
<allow eavesdrop="true"/><allow own="*"/></policy></busconfig>''')
        bus = subprocess.run(['dbus-run-session', f'--config-file={root}/bus.conf', '--', sys.executable, *sys.argv, '--on-bus', scenario],
                             env=dict(env, QT_QPA_PLATFORM='offscreen'), capture_output=True, text=True, timeout=90)
        failures.extend(line for line in bus.stdout.splitlines() if line)
        if bus.returncode:
            failures.append(f'on the bus: status {bus.returncode}: {bus.stderr[-2000:]}')
    # A line break or an escape in the files never reaches the terminal.
    aliases = json.load(open(f'{home}/.sfdx/alias.json'))
    aliases['orgs']['evil\n\x1b[2Jname\u202e'] = aliases['orgs'].pop('acme-prod')
    json.dump(aliases, open(f'{home}/.sfdx/alias.json', 'w'))
    check('--list, control characters', [line for line in run('--list').stdout.splitlines() if 'admin@' in line][0].split('\t')[0],
          'evil ?[2Jname?')
    shutil.rmtree(root, ignore_errors=True)
else:
    # A notification server that records what it is sent.
    from gi.repository import Gio, GLib
    scenario = sys.argv[-1]
    notes = []
    node = Gio.DBusNodeInfo.new_for_xml(
        "<node><interface name='org.freedesktop.Notifications'><method name='Notify'><arg type='s'/><arg type='u'/>"
        "<arg type='s'/><arg type='s'/><arg type='s'/><arg type='as'/><arg type='a{sv}'/><arg type='i'/>"
        "<arg type='u' direction='out'/></method></interface></node>")
    connection = Gio.bus_get_sync(Gio.BusType.SESSION)
    def notified(conn, sender, path, interface, method, parameters, invocation):
        notes.append(parameters.unpack()[3:5])
        invocation.return_value(GLib.Variant('(u)', (len(notes),)))
    connection.register_object('/org/freedesktop/Notifications', node.interfaces[0], notified)
    Gio.bus_own_name_on_connection(connection, 'org.freedesktop.Notifications', 0, None, None)
    threading.Thread(target=GLib.MainLoop().run, daemon=True).start()

    def call(method, *args):
        result = subprocess.run(['gdbus', 'call', '--session', '--dest', 'app.tarnwick.Tarnwick.SearchProvider',
                                 '--object-path', '/app/tarnwick/Tarnwick/SearchProvider', '--method', method, *args],
                                capture_output=True, text=True)
        return result.stdout.strip() or result.stderr.strip()
    def until(what, condition):
        end = time.time() + 20
        while not condition() and time.time() < end:
            time.sleep(0.05)
        return condition()
    shell = 'org.gnome.Shell.SearchProvider2.'
    check('GetInitialResultSet', call(shell + 'GetInitialResultSet', "['acme']"),
          "(['admin@acme-prod.example', 'qa@acme-prod.example.uat'],)")
    check('every term', call(shell + 'GetInitialResultSet', "['ACME', 'sandbox.my']"), "(['qa@acme-prod.example.uat'],)")
    check('GetSubsearchResultSet', call(shell + 'GetSubsearchResultSet', "['admin@acme-prod.example']", "['acme', 'my']"),
          "(['admin@acme-prod.example'],)")
    check('GetResultMetas', call(shell + 'GetResultMetas', "['qa@acme-prod.example.uat', 'nobody@x.example']"),
          "([{'description': <'qa@acme-prod.example.uat · acme--uat.sandbox.my.salesforce.com'>, 'gicon': <'app.tarnwick.Tarnwick'>, "
          "'id': <'qa@acme-prod.example.uat'>, 'name': <'acme-uat'>}],)")
    check('search ran sf', calls(scenario), [])
    # Opened as the window opens it in the system browser; nothing said when it opens.
    call(shell + 'ActivateResult', 'admin@acme-prod.example', "['acme']", '0')
    check('ActivateResult', until('open', lambda: calls(scenario)) and calls(scenario), [['org', 'open', '--target-org', 'acme-prod']])
    check('KRunner Match', call('org.kde.krunner1.Match', 'acme uat'),
          "([('qa@acme-prod.example.uat', 'acme-uat', 'app.tarnwick.Tarnwick', 30, 1.0, {'actions': <['private']>, "
          "'subtext': <'qa@acme-prod.example.uat · acme--uat.sandbox.my.salesforce.com'>})],)")
    check('KRunner Actions', call('org.kde.krunner1.Actions'), "([('private', 'Open in private window', 'view-private')],)")
    # A failure is a notification with the CLI's words, as text.
    call('org.kde.krunner1.Run', 'qa@acme-prod.example.uat', 'private')
    check('KRunner Run', until('open', lambda: len(calls(scenario)) == 2) and calls(scenario)[1],
          ['org', 'open', '--target-org', 'acme-uat', '--private'])
    check('failure notified', until('note', lambda: notes) and [(summary, 'information found for &lt;b&gt;nosuch&lt;/b&gt;.' in body)
                                                                for summary, body in notes], [('Could not open acme-uat', True)])
    # A result the files no longer hold is never opened, nor is anything else by another name.
    for refused in ('nobody@x.example', 'acme-prod', ''):
        call(shell + 'ActivateResult', refused, '[]', '0')
    check('refused', until('notes', lambda: len(notes) == 4) and (len(calls(scenario)), notes[1:]),
          (2, [(f'Could not open {name}', 'The Salesforce CLI no longer holds this connection.') for name in
               ('nobody@x.example', 'acme-prod', '')]))
    # The window, its filter holding the terms (even one named like an option): seen as the process it starts.
    call(shell + 'LaunchSearch', "['--list', '-uat']", '0')
    def window():
        for pid in filter(str.isdigit, os.listdir('/proc')):
            try:
                if open(f'/proc/{pid}/cmdline', 'rb').read().split(b'\0')[1:3] == [b'--filter=--list -uat', b'']:
                    return pid
            except (OSError, IndexError):
                pass
    started = until('window', window)
    time.sleep(0.5)  # a window that refused its arguments would be gone by now
    check('LaunchSearch', bool(started) and window() == started, True)
    if window():
        os.kill(int(window()), 15)
    for failure in failures:
        print(failure.replace('\n', ' | '))
    sys.exit(0)

for failure in failures:
    print('FAIL', failure)
print('launchers checked' if not failures else f'{len(failures)} failed')
sys.exit(1 if failures else 0)
