#!/usr/bin/env python3
"""Holds the program's sources to the names rule of docs/ARCHITECTURE.md "Names".

Every function, member or variable of src/ and tools/ whose name begins with a capital must be
listed in docs/kept-names.txt (as Class::member, or a free name), and no parameter or local may
begin with a capital. Types and enumerators are not looked at. Definitions come from Universal
Ctags, which reads the code as text: a type's last word can pass for the name of an unnamed
parameter (const Qt::KeyboardModifiers), and such a reading is let through.

    checknames.py <source folder>
"""
import os
import re
import subprocess
import sys

root = sys.argv[1] if len(sys.argv) > 1 else '.'
kept_path = os.path.join(root, 'docs', 'kept-names.txt')
kept = set()
with open(kept_path, encoding='utf-8') as listing:
    for line in listing:
        line = line.strip()
        if line and not line.startswith('#'):
            kept.add(line)
try:
    tags = subprocess.run(
        ['ctags', '-R', '--languages=C++', '--kinds-C++=+lzp', '--fields=+s', '-x',
         '--_xformat=%{kind}\t%{scope}\t%{name}\t%{input}\t%{line}', 'src', 'tools'],
        cwd=root, capture_output=True, text=True, check=True).stdout
except (OSError, subprocess.CalledProcessError) as error:
    sys.exit(f'checknames: Universal Ctags is needed ({error}); Debian has it as universal-ctags')
lines_of = {}
faults = []
for row in tags.splitlines():
    kind, scope, name, path, line = row.split('\t')
    if not name[:1].isupper():
        continue
    if kind in ('parameter', 'local'):
        if path not in lines_of:
            with open(os.path.join(root, path), encoding='utf-8') as source:
                lines_of[path] = source.read().split('\n')
        if '::' + name in lines_of[path][int(line) - 1]:
            continue  # the last word of a qualified type, read as a name
        faults.append(f'{path}:{line}: the {kind} {name} begins with a capital')
        continue
    if kind not in ('function', 'prototype', 'member', 'variable'):
        continue
    scope = re.sub(r'__anon[0-9a-f]+(::)?', '', scope).rstrip(':')
    if scope.split('::')[-1] == name or re.fullmatch(r'Q_[A-Z_]+', name):
        continue  # a constructor, or a Qt macro
    qualified = f'{scope}::{name}' if scope else name
    if qualified not in kept:
        faults.append(f'{path}:{line}: {qualified} begins with a capital and is not in docs/kept-names.txt')
for fault in sorted(set(faults)):
    print(fault)
if faults:
    sys.exit(f'checknames: {len(set(faults))} names break the rule of docs/ARCHITECTURE.md "Names"')
print(f'checknames: every capitalised name is one of the {len(kept)} kept names')
