#!/usr/bin/env python3
"""Every command a shell script of this repository calls is installed by scripts/install-deps.sh
(or comes with Debian's base system): a fresh machine that ran the install script can run them
all. Reads each tracked script, finds the commands it calls, asks dpkg which package holds each
one and fails when that package is neither installed by the script (directly or as a dependency
of a package it installs) nor of priority required or important.
  check-tools.py REPOSITORY"""
import os, re, shutil, subprocess, sys
from pathlib import Path

KEYWORDS = set('if then elif else fi do done while until for in case esac function select time '
               '{ } ! [[ ]] (( ))'.split())
BUILTINS = set('. : [ alias bg break builtin cd command continue declare echo eval exec exit '
               'export false fg getopts hash jobs kill let local mapfile printf pushd popd pwd '
               'read readarray readonly return set shift source test trap true type typeset '
               'ulimit umask unalias unset wait'.split())
WRAPPERS = {'exec', 'nice', 'sudo', 'env', 'xargs', 'timeout', 'time'}
# sudo only runs for a user who is not root, as README's "as root or with sudo" presumes.
PRESUMED = {'sudo'}


def strip_heredocs(text):
    out, end = [], None
    for line in text.split('\n'):
        if end is not None:
            if line.strip() == end:
                end = None
            out.append('')
            continue
        m = re.search(r"<<-?\s*['\"]?(\w+)['\"]?", line)
        if m and not re.search(r'<<<', line):
            end = m.group(1)
        out.append(line)
    return '\n'.join(out)


def words(text):
    """(word, line) pairs and separators ('SEP'), quotes kept, $(...) contents split out."""
    i, line, word, out, subs = 0, 1, '', [], []
    def flush():
        nonlocal word
        if word:
            out.append((word, line))
            word = ''
    while i < len(text):
        ch = text[i]
        if ch == '\\' and i + 1 < len(text):
            if text[i + 1] == '\n':
                line += 1
            else:
                word += text[i:i + 2]
            i += 2
            continue
        if ch == "'" :
            j = text.index("'", i + 1)
            word += text[i:j + 1]; line += text[i:j].count('\n'); i = j + 1
            continue
        if text[i:i + 2] == '((' or text[i:i + 3] == '$((' or (ch == '(' and word.endswith('=')):
            depth, j = 0, i  # arithmetic or an array: no command in it
            while True:
                depth += {'(': 1, ')': -1}.get(text[j], 0); j += 1
                if depth == 0:
                    break
            word += text[i:j]; line += text[i:j].count('\n'); i = j
            continue
        if ch == '$' and text[i:i + 2] == '$(':
            depth, j = 1, i + 2
            while depth:
                depth += {'(': 1, ')': -1}.get(text[j], 0); j += 1
            subs.append((text[i + 2:j - 1], line)); word += '$SUB'; i = j
            continue
        if ch == '"':
            j = i + 1
            while text[j] != '"':
                if text[j] == '\\':
                    j += 1
                elif text[j:j + 2] == '$(' and text[j:j + 3] != '$((':
                    depth, k = 1, j + 2
                    while depth:
                        depth += {'(': 1, ')': -1}.get(text[k], 0); k += 1
                    subs.append((text[j + 2:k - 1], line)); j = k - 1
                j += 1
            word += text[i:j + 1]; line += text[i:j].count('\n'); i = j + 1
            continue
        if ch == '#' and not word:
            while i < len(text) and text[i] != '\n':
                i += 1
            continue
        if ch in ' \t':
            flush(); i += 1
            continue
        if ch == '&' and word.endswith(('>', '<')):  # 2>&1
            word += ch; i += 1
            continue
        if ch in '\n;&|()':
            flush(); out.append(('SEP' + ch, line))
            line += ch == '\n'; i += 1
            continue
        word += ch; i += 1
    flush()
    for sub, at in subs:
        out.append(('SEP\n', at))
        out += [(w, at) for w, _ in words(sub)]
    return out


def commands(text, functions):
    """Names the script runs as commands, with their lines."""
    found, at_start, skip_until, in_case = [], True, None, False
    tokens = words(strip_heredocs(text))
    for n, (word, line) in enumerate(tokens):
        if word.startswith('SEP'):
            at_start = True
            continue
        if skip_until:
            if word == skip_until:
                skip_until = None
            continue
        if not at_start or re.search(r'[<>]', word) or re.match(r'^[0-9.]+[smhd]?$', word):
            continue  # not a command, or a redirection or a wrapper's number
        following = tokens[n + 1][0] if n + 1 < len(tokens) else ''
        if in_case and following == 'SEP)':
            continue  # a pattern of the case
        at_start = word in KEYWORDS or word in WRAPPERS or word.startswith(('"${sudo', '${sudo'))
        if word in ('[[', 'for'):
            skip_until = {'[[': ']]', 'for': 'do'}[word]
        elif word == 'case':
            in_case, skip_until = True, 'in'
        elif word == 'esac':
            in_case = False
        if (word in KEYWORDS or word in BUILTINS or re.match(r'^\w+\+?=', word) or
                word.startswith(('$', '"', "'", '.', '/', '-')) or '/' in word or word in functions):
            at_start = at_start or bool(re.match(r'^\w+\+?=', word))  # VAR=value command
            continue
        found.append((word, line))
    return found


def owners(command):
    """The packages that hold the command, as found on the PATH and where its links lead."""
    path = shutil.which(command)
    if not path:
        return None
    candidates = [path, str(Path(path).resolve())]
    candidates += [re.sub(r'^/usr/', '/', p) if p.startswith('/usr/') else '/usr' + p
                   for p in list(candidates)]  # /bin and /usr/bin are one folder
    result = subprocess.run(['dpkg', '-S', *candidates], capture_output=True, text=True)
    return {owner.strip() for line in result.stdout.splitlines()
            for owner in line.split(':')[0].split(',')}


def field(package, name):
    result = subprocess.run(['dpkg-query', '-W', '-f', '${' + name + '}', package],
                            capture_output=True, text=True)
    return result.stdout


def main():
    repo = Path(sys.argv[1])
    listed = set(re.search(r'packages=\((.*?)\)', (repo / 'scripts/install-deps.sh').read_text(),
                           re.S).group(1).split())
    installed = set(listed)
    for package in listed:  # and what they bring along
        for dep in re.split(r'[,|]', field(package, 'Depends') + ',' + field(package, 'Pre-Depends')):
            name = dep.strip().split(' ')[0].split(':')[0]
            if name:
                installed.add(name)
    scripts = ['.ci/run']
    for folder, subfolders, files in os.walk(repo):
        subfolders[:] = [f for f in subfolders if not f.startswith(('build', '.'))]
        scripts += [os.path.relpath(os.path.join(folder, f), repo) for f in files if f.endswith('.sh')]
    texts = {script: (repo / script).read_text() for script in scripts}
    known = {}
    functions = set(re.findall(r'^\s*(?:function\s+)?([\w-]+)\s*\(\)', '\n'.join(texts.values()),
                               re.M))
    problems = []
    for script, text in texts.items():
        for command, line in commands(text, functions):
            if command in PRESUMED:
                continue
            if command not in known:
                packages = owners(command)
                known[command] = packages is not None and any(
                    p in installed or field(p, 'Priority') in ('required', 'important')
                    for p in packages), packages
            fine, packages = known[command]
            if packages is None:
                problems.append(f'{script}:{line}: {command} is not installed')
            elif not fine:
                problems.append(f'{script}:{line}: {command} comes from {" ".join(packages)}, '
                                'which scripts/install-deps.sh does not install')
    print('\n'.join(problems) or f'{len(scripts)} scripts: every command is installed')
    return 1 if problems else 0


if __name__ == '__main__':
    sys.exit(main())
