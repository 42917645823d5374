#!/usr/bin/env bash
# The mutation check on a tiny project of its own: it finds the mutants of the changed lines
# that its rules name (none in comments or logging), counts a mutant that does not compile apart,
# reports the mutants that the project's test cannot notice as survivors, and leaves the
# source as it was.
set -euo pipefail
check=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
git init -q -b main . && git config user.email t@example.com && git config user.name t
mkdir src
cat > src/tiny.cpp <<'CPP'
#include <cstdio>
#include <cstdlib>

int clamp(int value) {
    return value;
}

int main(int, char** argv) {
    std::printf("%d\n", clamp(std::atoi(argv[1])));
}
CPP
git add . && git commit -qm first && git checkout -qb change
cat > src/tiny.cpp <<'CPP'
#include <cstdio>
#include <cstdlib>

// Counts below zero are none, and no count is above the most.
int clamp(int value) {
    const signed char most{127};
    if (value < 0)
        return 0;
    std::fprintf(stderr, "clamping %d\n", value);
    return value > most ? most : value;
}

int main(int, char** argv) {
    std::printf("%d\n", clamp(std::atoi(argv[1])));
}
CPP
git commit -qam change
expected_mutants="src/tiny.cpp:6: 127 -> 0
src/tiny.cpp:6: 127 -> 128
src/tiny.cpp:7: < -> <=
src/tiny.cpp:7: < -> >=
src/tiny.cpp:7: 0 -> 1
src/tiny.cpp:8: 0 -> 1
src/tiny.cpp:8: drop return
src/tiny.cpp:10: > -> >=
src/tiny.cpp:10: > -> <=
9 mutants"
listed=$("$check" --list | sed 's/   .*//')
[ "$listed" = "$expected_mutants" ] || { printf 'listed:\n%s\n' "$listed"; exit 1; }

# The three that survive cannot change a result; 128 does not fit a signed char.
run=(--build-command "g++ -o tiny src/tiny.cpp"
     --test-command '[ "$(./tiny -1)" = 0 ] && [ "$(./tiny 5)" = 5 ] && [ "$(./tiny 200)" = 127 ]')
output=$("$check" "${run[@]}" || true)
echo "$output"
grep -q '^\[2/9\] src/tiny.cpp:6: 127 -> 128  does not compile (not counted)$' <<<"$output"
grep -q '^\[5/9\] src/tiny.cpp:7: 0 -> 1  SURVIVED' <<<"$output"
grep -q '^\[9/9\] src/tiny.cpp:10: > -> <=  killed by test' <<<"$output"
grep -q '^killed 5 of 8 mutants (62%); 1 did not compile' <<<"$output"
survivors=$(grep '^src/' build/mutation/mutation-survivors.txt)
[ "$survivors" = "src/tiny.cpp:7: < -> <=
src/tiny.cpp:7: 0 -> 1
src/tiny.cpp:10: > -> >=" ] || { printf 'survivors:\n%s\n' "$survivors"; exit 1; }
git diff --quiet src/tiny.cpp
# A second run takes the results of the first from its state file: it runs no test.
again=$("$check" "${run[@]}" --test-command false || true)
[ "$again" = "$(grep -v '^without a mutant' <<<"$output")" ] || { printf 'again:\n%s\n' "$again"; exit 1; }

# Stopped with a mutant in the source: SIGHUP puts the file back and ends the mutant's build at
# once; after SIGKILL, the next run (a fresh one too) puts it back.
slow=(--fresh --test-command true --build-command
      'git diff --quiet src || { touch mutated; sh -c "sleep 2; touch outlived"; }; g++ -o tiny src/tiny.cpp')
for stop in HUP KILL; do
    rm -f mutated
    "$check" "${slow[@]}" >/dev/null &
    for _ in $(seq 300); do [ -e mutated ] && break; sleep 0.1; done
    kill -"$stop" $!
    wait $! || true
    [ "$stop" = KILL ] || { sleep 2.5; [ ! -e outlived ]; }
    [ "$stop" = HUP ] || grep -q '^put back src/tiny.cpp' <<<"$("$check" --fresh --list)"
    git diff --quiet src/tiny.cpp
done
