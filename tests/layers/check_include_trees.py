#!/usr/bin/env python3
"""Checks that every C++ file of app/ compiles against its own layer's include tree and nothing wider.

usage: check_include_trees.py SOURCE_DIR LAYERS BUILD_DIR...

LAYERS is the layer order, lowest first, comma-separated. For each build folder: the tree
layers/<folder>/ holds exactly the folders up to <folder>; every compile command of a file in
app/<folder>/ (portable code and window code alike) names that tree and no include folder that
would let it see the whole of app/. A file compiled with a wider view could include a folder above
its own without the build noticing."""
import json
import os
import shlex
import sys

source = os.path.realpath(sys.argv[1])
layers = [layer for layer in sys.argv[2].split(',') if layer]
builds = sys.argv[3:]
app = os.path.join(source, 'app')
faults = []

for build in builds:
    build = os.path.realpath(build)
    present = [layer for layer in layers if os.path.isdir(os.path.join(app, layer))]
    for index, layer in enumerate(present):
        tree = os.path.join(build, 'layers', layer)
        seen = sorted(os.listdir(tree)) if os.path.isdir(tree) else []
        if seen != sorted(present[:index + 1]):
            faults.append(f'{tree}: holds {seen}, expected {sorted(present[:index + 1])}')

    commands = json.load(open(os.path.join(build, 'compile_commands.json')))
    checked = 0
    for entry in commands:
        path = os.path.realpath(os.path.join(entry['directory'], entry['file']))
        relative = os.path.relpath(path, app)
        if relative.startswith('..') or os.sep not in relative or not path.endswith('.cpp'):
            continue
        folder = relative.split(os.sep)[0]
        if folder not in present:
            continue
        words = shlex.split(entry['command']) if 'command' in entry else entry['arguments']
        includes = []
        for i, word in enumerate(words):
            for flag in ('-isystem', '-iquote', '-I'):
                if word == flag and i + 1 < len(words):
                    includes.append(words[i + 1])
                    break
                if word.startswith(flag) and word != flag:
                    includes.append(word[len(flag):])
                    break
        includes = [os.path.realpath(os.path.join(entry['directory'], i)) for i in includes]
        own = os.path.realpath(os.path.join(build, 'layers', folder))
        wide = [i for i in includes if i in (app, source)]
        if own not in includes or wide:
            faults.append(f'{relative} ({build}): include folders {includes}, expected {own} '
                          'and neither app/ nor the source root')
        checked += 1
    if checked == 0:
        faults.append(f'{build}: no compile command of app/ found')
    print(f'{build}: {checked} files of app/ checked')

for fault in faults:
    print('FAIL:', fault)
sys.exit(1 if faults else 0)
