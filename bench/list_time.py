"""How long `tarnwick --list` takes, from exec to exit, over a home of N auth files (half of them with an
alias), as a shell's completion runs it; and that it runs no sf. Usage: list_time.py <tarnwick> <fake-sf> N"""
import json, os, statistics, subprocess, sys, tempfile, time

binary, fake, count = sys.argv[1], sys.argv[2], int(sys.argv[3])
with tempfile.TemporaryDirectory() as root:
    os.makedirs(f'{root}/.sfdx')
    aliases = {}
    for i in range(count):  # as the CLI writes them, tokens included
        user = f'org{i}@bench.example'
        json.dump({'accessToken': '00D!x', 'instanceUrl': f'https://org{i}.my.salesforce.com', 'orgId': f'00D{i:015d}',
                   'username': user, 'loginUrl': 'https://login.salesforce.com', 'refreshToken': '5Aep', 'clientId': 'PlatformCLI',
                   'isDevHub': False, 'isSandbox': i % 3 == 0, 'isScratch': False}, open(f'{root}/.sfdx/{user}.json', 'w'))
        if i % 2:
            aliases[f'client-{i}'] = user
    json.dump({'orgs': aliases}, open(f'{root}/.sfdx/alias.json', 'w'))
    env = dict(os.environ, HOME=root, TARNWICK_SF=fake, FAKE_SF_SCENARIO=root, LANG='en_US.UTF-8')
    times, lines = [], 0
    for _ in range(31):
        start = time.perf_counter()
        out = subprocess.run([binary, '--list'], env=env, stdout=subprocess.PIPE, check=True).stdout
        times.append((time.perf_counter() - start) * 1000)
        lines = out.count(b'\n')
    ran_sf = os.path.exists(f'{root}/calls')
    print(f'tarnwick --list, {count} auth files: median {statistics.median(times[1:]):.1f} ms, '
          f'fastest {min(times):.1f} ms over {len(times) - 1} runs; {lines} lines; sf run: {"yes" if ran_sf else "no"}')
    sys.exit(1 if ran_sf or lines != count else 0)
