#!/usr/bin/env bash
# Mutation check: puts small faults into the changed lines of src/ and tools/, one at a time,
# rebuilds and runs the quick tests, and reports each fault the tests did not notice.
#
#   scripts/mutation-check.sh [options] [BASE]      lines changed since BASE (default: the
#                                                   merge base with main), committed or not
#   scripts/mutation-check.sh --file src/x.cpp[:FROM-TO] ...   named files or line ranges
#
# Run it on a change before calling the change done; it is not part of ./test.sh (every fault
# costs a rebuild and a test run). `--help` lists the options. The check itself is
# mutation_check.py beside this script; the two may be copied elsewhere together and run on any
# checkout (the repository is the git top level of the current folder, or --repo).
#
# exec: the check gets the signals sent to this script, so that a stopped run puts the mutated
# file back. Its input is empty, so that no build or test it runs waits on the terminal.
exec python3 "$(dirname "$(readlink -f "$0")")/mutation_check.py" "$@" </dev/null
