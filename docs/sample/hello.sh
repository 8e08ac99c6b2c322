#!/bin/sh
# The sample target of scripts/run.sh --linux: shows the arguments it was given, one per line,
# and its folder. Tick "&CMD" to see it in a terminal that stays open.
echo "Folder: $PWD"
for a in "$@"; do printf 'Argument: <%s>\n' "$a"; done
