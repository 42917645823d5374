#!/usr/bin/env bash
# Sets up a Debian machine (installs what is missing), builds Corvantis and runs every test:
# once in a build with warnings as errors, once more with AddressSanitizer and
# UndefinedBehaviorSanitizer; the package test builds the Debian package a third time (the
# program only). Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/setup.sh

ensure_packages "${CORVANTIS_RUN_PACKAGES[@]}" "${CORVANTIS_TEST_PACKAGES[@]}"
ensure_packages "${CORVANTIS_PACKAGE_PACKAGES[@]}"

echo "== Formatting"
mapfile -t sources < <(git ls-files '*.cpp' '*.h' 2>/dev/null || find src tests tools bench fuzz -name '*.cpp' -o -name '*.h')
clang-format --dry-run --Werror "${sources[@]}"

echo "== Layers"
scripts/check-layers.sh

echo "== File access"
scripts/check-file-access.sh

start_xvfb
jobs=$(nproc)

echo "== Build and test (warnings as errors)"
cmake --preset ci >/dev/null
cmake --build --preset ci -j"$jobs"

echo "== clang-tidy (the program and its tools)"
mapfile -t program_sources < <(printf '%s\n' "${sources[@]}" | grep -E '^(src|tools)/.*\.cpp$')
printf '%s\n' "${program_sources[@]}" |
    xargs -P"$jobs" -n4 clang-tidy -p build/ci --quiet 2>/dev/null

ctest --preset ci -j"$jobs"

echo "== Build and test (AddressSanitizer, UndefinedBehaviorSanitizer)"
cmake --preset sanitizers >/dev/null
cmake --build --preset sanitizers -j"$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
LSAN_OPTIONS=suppressions="$PWD/tests/lsan.supp":print_suppressions=0 \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --preset sanitizers -j"$jobs" -LE browsers # the real browsers ran above
