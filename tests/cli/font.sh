#!/usr/bin/env bash
# The calculator font: built by the build script, checked for its face name and coverage, and
# rendered to font-sample.png in the work folder for a person to look at.
set -u
work=$2
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
python=/usr/bin/python3
[ -x $python ] || python=python3
mkdir -p "$work"
$python "$source_dir/scripts/make-font.py" "$work/WTMQV7.TTF" || { echo "FAIL: font not built"; exit 1; }
$python "$source_dir/tests/cli/font_check.py" "$work/WTMQV7.TTF" \
    "$source_dir/app/resources/string_table.cpp" --sample "$work/font-sample.png"
