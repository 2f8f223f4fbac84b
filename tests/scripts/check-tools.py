#!/usr/bin/env python3
"""Every command a shell script of this repository calls is installed by scripts/install-deps.sh
(or comes with Debian's base system): a fresh machine that ran the install script can run them
all. shfmt parses each tracked script; every command it calls is looked up with dpkg, and the
check fails when the package holding it is neither installed by the script (directly or as a
dependency of a package it installs) nor of priority required or important.
  check-tools.py REPOSITORY"""
import json, os, re, shutil, subprocess, sys
from pathlib import Path

BUILTINS = set('. : [ alias break builtin cd command continue declare echo eval exec exit export '
               'false getopts hash kill let local mapfile printf pwd read readarray readonly return '
               'set shift source test trap true type typeset ulimit umask unset wait'.split())
WRAPPERS = {'exec', 'nice', 'sudo', 'env', 'xargs', 'timeout', 'time', 'flock', 'setpriv'}
PRESUMED = {'sudo'}  # only for a user who is not root, as README's "as root or with sudo" says


def literal(word):
    parts = word.get('Parts', [])
    return ''.join(p.get('Value', '') for p in parts) if all(p['Type'] == 'Lit' for p in parts) else None


def calls(node, functions):
    """(command, line) for every command the syntax tree runs; collects function names."""
    if isinstance(node, list):
        for item in node:
            yield from calls(item, functions)
        return
    if not isinstance(node, dict):
        return
    if node.get('Type') == 'FuncDecl':
        functions.add(node['Name']['Value'])
    if node.get('Type') == 'CallExpr' and node.get('Args'):
        words = node['Args']
        first = words[0]['Parts'][0] if words[0].get('Parts') else {}
        if first.get('Type') in ('ParamExp', 'DblQuoted') and 'sudo' in json.dumps(first):
            words = words[1:]  # "${sudo[@]}" apt-get ...
        for word in words:
            name = literal(word)
            if name is None or name.startswith('-') or re.match(r'^[0-9.]+[smhd]?$|^\w+=|^[A-Z_][A-Z0-9_]*$', name):
                if name is None and word is words[0]:
                    break  # a command run through a variable
                continue
            yield name, word['Pos']['Line']
            if name not in WRAPPERS:
                break
    for value in node.values():
        yield from calls(value, functions)


def owners(command):
    """The packages that hold the command, as found on the PATH and where its links lead."""
    path = shutil.which(command)
    if not path:
        return None
    candidates = [path, str(Path(path).resolve())]
    candidates += [p[4:] if p.startswith('/usr/') else '/usr' + p for p in list(candidates)]
    result = subprocess.run(['dpkg', '-S', *candidates], capture_output=True, text=True)
    return {owner.strip() for line in result.stdout.splitlines()
            for owner in line.split(':')[0].split(',')}


def field(package, name):
    return subprocess.run(['dpkg-query', '-W', '-f', '${' + name + '}', package],
                          capture_output=True, text=True).stdout


def main():
    repo = Path(sys.argv[1])
    listed = re.search(r'packages=\((.*?)\)', (repo / 'scripts/install-deps.sh').read_text(),
                       re.S).group(1).split()
    installed = set(listed)
    for package in listed:  # and what they bring along
        for dep in re.split(r'[,|]', field(package, 'Depends') + ',' + field(package, 'Pre-Depends')):
            installed.add(dep.strip().split(' ')[0].split(':')[0])
    scripts = ['.ci/run']
    for folder, subfolders, files in os.walk(repo):
        subfolders[:] = [f for f in subfolders if not f.startswith(('build', '.'))]
        scripts += [os.path.relpath(os.path.join(folder, f), repo) for f in files if f.endswith('.sh')]
    functions, found = set(), []
    for script in scripts:
        tree = json.loads(subprocess.run(['shfmt', '--tojson'], input=(repo / script).read_text(),
                                         check=True, capture_output=True, text=True).stdout)
        found += [(script, line, command) for command, line in calls(tree, functions)]
    problems, known = [], {}
    for script, line, command in found:
        if command in BUILTINS | functions | PRESUMED or '/' in command:
            continue
        if command not in known:
            packages = owners(command)
            known[command] = packages, packages is not None and any(
                p in installed or field(p, 'Priority') in ('required', 'important') for p in packages)
        packages, fine = known[command]
        if packages is None:
            problems.append(f'{script}:{line}: {command} is not installed')
        elif not fine:
            problems.append(f'{script}:{line}: {command} comes from {" ".join(packages)}, '
                            'which scripts/install-deps.sh does not install')
    print('\n'.join(problems) or f'{len(scripts)} scripts: every command is installed')
    return 1 if problems else 0


if __name__ == '__main__':
    sys.exit(main())
