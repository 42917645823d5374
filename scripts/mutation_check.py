#!/usr/bin/env python3
"""Mutation check: puts small faults into the changed lines of src/ and tools/, one at a time,
rebuilds and runs the quick tests, and reports each fault the tests did not notice.

scripts/mutation-check.sh runs it; see there for how to call it, or `--help`.
"""
import argparse
import hashlib
import json
import os
import random
import re
import shlex
import signal
import subprocess
import sys
import time

SOURCE_SUFFIXES = (".cpp", ".h", ".c", ".cc", ".hpp")
MUTATED_FOLDERS = ("src/", "tools/")


# ---------------------------------------------------------------- reading C++ lines

def mask_line(line, in_comment):
    """The line with comments and the insides of string and character literals blanked out
    (same length, so positions carry over), and whether a block comment runs on."""
    out = []
    i, n = 0, len(line)
    while i < n:
        c = line[i]
        if in_comment:
            end = line.find("*/", i)
            if end < 0:
                out.append(" " * (n - i))
                return "".join(out), True
            out.append(" " * (end + 2 - i))
            i, in_comment = end + 2, False
            continue
        if line.startswith("//", i):
            out.append(" " * (n - i))
            break
        if line.startswith("/*", i):
            in_comment = True
            continue
        digit_separator = c == "'" and i > 0 and line[i - 1].isalnum() and i + 1 < n and line[i + 1].isalnum()
        if c in "\"'" and not digit_separator:
            j = i + 1
            while j < n and line[j] != c:
                j += 2 if line[j] == "\\" else 1
            out.append(c + " " * (min(j, n) - i - 1) + (c if j < n else ""))
            i = j + 1
            continue
        out.append(c)
        i += 1
    return "".join(out), in_comment


LOGGING = re.compile(r"^(qWarning|qDebug|qInfo|qCritical|std::cerr|std::clog|(std::)?fprintf\(stderr)\b")
NOT_A_STATEMENT_START = re.compile(
    r"^(return|if|for|while|switch|case|default|break|continue|goto|using|typedef|namespace|"
    r"template|class|struct|enum|throw|delete|new|const|constexpr|static|auto|public|private|"
    r"protected|signals|slots|Q_\w+)\b")
CALL_STATEMENT = re.compile(r"^(emit |\(void\))?[A-Za-z_:~][\w:.\->\[\]]*\(")
ASSIGNMENT_STATEMENT = re.compile(r"^\*?[A-Za-z_][\w:.\->\[\]]* (=|\+=|-=|\*=|/=|%=|&=|\|=|\^=|<<=|>>=) ")
INCREMENT_STATEMENT = re.compile(r"^((\+\+|--)[\w.\->\[\]]+|[\w.\->\[\]]+(\+\+|--));$")
GUARD = re.compile(r"^(\}\s*)?(if \(|else\b)")


LOGICAL_AT = re.compile(r" (&&|\|\|)( |$)")


def balanced(text):
    depth = 0
    for c in text:
        depth += c in "([{"
        depth -= c in ")]}"
        if depth < 0:
            return False
    return depth == 0


def logical_operand_bounds(m, op_start, op_end):
    """Start of the operand left of a logical operator and end of the one right of it, at the
    same depth of brackets; None where the operand does not lie on this line."""
    depth, i = 0, op_start - 1
    while i >= 0:
        c = m[i]
        if c in ")]":
            depth += 1
        elif c in "([":
            if depth == 0:
                break
            depth -= 1
        elif depth == 0 and (c in ",;?{" or (c == ":" and m[i - 1:i] != ":" and m[i + 1:i + 2] != ":")
                             or (c == "=" and m[i - 1:i] not in "=!<>" and m[i + 1:i + 2] != "=")
                             or LOGICAL_AT.match(m, i - 3) or m[max(0, i - 6):i + 1] == "return "):
            break
        i -= 1
    left = i + 1
    while left < op_start and m[left] == " ":
        left += 1
    depth, j = 0, op_end
    while j < len(m):
        c = m[j]
        if c in "([":
            depth += 1
        elif c in ")]":
            if depth == 0:
                break
            depth -= 1
        elif depth == 0 and (c in ",;?{" or (c == ":" and m[j + 1:j + 2] != ":" and m[j - 1:j] != ":")
                             or LOGICAL_AT.match(m, j)):
            break
        j += 1
    right = j
    while right > op_end and m[right - 1] == " ":
        right -= 1
    return (left if left < op_start else None), (right if right > op_end else None)


def literal_value(text):
    digits = text.replace("'", "").rstrip("uUlL")
    if digits[:2] in ("0x", "0X"):
        return int(digits, 16), "0x%X"
    if len(digits) > 1 and digits.startswith("0"):
        return int(digits, 8), "0%o"
    return int(digits), "%d"


def mutants_of_line(s, m, prev_code):
    """(start, end, replacement, description) for every rule that applies to the line `s`,
    whose comments and literals are blanked out in `m`. prev_code: the line of code before it,
    masked."""
    found = []
    stripped = m.strip()
    indent = len(m) - len(m.lstrip())

    def add(start, end, new, what):
        found.append((start, end, new, what))

    for match in re.finditer(r" (==|!=) ", m):
        new = "!=" if match.group(1) == "==" else "=="
        add(match.start(1), match.end(1), new, "%s -> %s" % (match.group(1), new))
    relational = {"<": ("<=", ">="), "<=": ("<", ">"), ">": (">=", "<="), ">=": (">", "<")}
    for match in re.finditer(r" (<=|>=|<|>) ", m):
        for new in relational[match.group(1)]:
            add(match.start(1), match.end(1), new, "%s -> %s" % (match.group(1), new))
    for match in re.finditer(r" (&&|\|\|)(?= |$)", m):
        op = match.group(1)
        new = "||" if op == "&&" else "&&"
        add(match.start(1), match.end(1), new, "%s -> %s" % (op, new))
        left, right = logical_operand_bounds(m, match.start(), match.end())
        after = match.end() + (1 if m[match.end():match.end() + 1] == " " else 0)
        if left is not None:
            add(left, after, "", "drop '%s %s'" % (s[left:match.start()].strip(), op))
        if right is not None:
            add(match.start(), right, "", "drop '%s %s'" % (op, s[match.end():right].strip()))
    for match in re.finditer(r"!(?!=)", m):
        add(match.start(), match.end(), "", "drop !")
    for match in re.finditer(r"(?<![\w.'])(0[xX][0-9a-fA-F']+|\d[\d']*)[uUlL]*(?![\w.'])", m):
        value, form = literal_value(match.group(1))
        for new in ([1] if value == 0 else [0] if value == 1 else [0, value + 1]):
            add(match.start(1), match.end(1), form % new, "%s -> %s" % (match.group(1), form % new))
    for match in re.finditer(r"\b(true|false)\b", m):
        new = "false" if match.group(1) == "true" else "true"
        add(match.start(), match.end(), new, "%s -> %s" % (match.group(1), new))
    for chain in re.finditer(r"(?<![\w:|] )(?<![\w:])[A-Za-z_][\w:]*(?: \| [A-Za-z_][\w:]*)+", m):
        flags = list(re.finditer(r"[A-Za-z_][\w:]*", chain.group(0)))
        for k, flag in enumerate(flags):
            start, end = chain.start() + flag.start(), chain.start() + flag.end()
            if k == 0:
                add(start, chain.start() + flags[1].start(), "", "drop flag %s" % flag.group(0))
            else:
                add(chain.start() + flags[k - 1].end(), end, "", "drop flag %s" % flag.group(0))
    units = {"msleep": "sleep", "usleep": "msleep", "sleep": "msleep", "milliseconds": "seconds",
             "microseconds": "milliseconds", "seconds": "milliseconds"}
    for match in re.finditer(r"\b(msleep|usleep|sleep|milliseconds|microseconds|seconds)\b", m):
        new = units[match.group(1)]
        add(match.start(), match.end(), new, "%s -> %s" % (match.group(1), new))

    continues = prev_code is not None and not (prev_code.rstrip().endswith((";", "{", "}", ")", ":"))
                                               or prev_code.strip() == "else")
    whole = stripped.endswith(";") and balanced(stripped) and not continues
    if whole and not NOT_A_STATEMENT_START.match(stripped) and (
            CALL_STATEMENT.match(stripped) or ASSIGNMENT_STATEMENT.match(stripped)
            or INCREMENT_STATEMENT.match(stripped)):
        add(indent, len(m), "{}", "drop statement")
    if whole and re.match(r"^return\b", stripped) and prev_code is not None and \
            GUARD.match(prev_code.strip()):
        add(indent, len(m), "{}", "drop return")
    return found


def mutants_of_file(repo, path, wanted_lines):
    """Every mutant of the lines of `path` in `wanted_lines` (None: all lines)."""
    with open(os.path.join(repo, path), encoding="utf-8", errors="surrogateescape") as f:
        lines = f.read().split("\n")
    masked, in_comment = [], False
    for line in lines:
        m, in_comment = mask_line(line, in_comment)
        masked.append(m)
    code = [i for i, m in enumerate(masked) if m.strip() and not m.lstrip().startswith("#")]
    mutants, logging = [], False
    for position, i in enumerate(code):
        stripped = masked[i].strip()
        skip = logging or bool(LOGGING.match(stripped))
        logging = skip and not stripped.endswith(";")  # the statement goes on
        if skip or (wanted_lines is not None and i + 1 not in wanted_lines):
            continue
        if re.match(r"^(static_assert|Q_OBJECT|Q_DECLARE|Q_PROPERTY|namespace|using|extern)\b", stripped):
            continue
        prev_code = masked[code[position - 1]] if position > 0 else None
        for start, end, new, what in mutants_of_line(lines[i], masked[i], prev_code):
            original = lines[i]
            mutated = original[:start] + new + original[end:]
            key = "%s:%d:%d:%s:%s" % (path, i + 1, start, what,
                                      hashlib.sha1(original.encode("utf-8", "surrogateescape")).hexdigest()[:10])
            mutants.append({"id": key, "file": path, "line": i + 1, "what": what,
                            "original": original, "mutated": mutated})
    return mutants


# ---------------------------------------------------------------- what to mutate

def git(repo, *arguments):
    return subprocess.run(["git", "-C", repo] + list(arguments), check=True, text=True,
                          stdout=subprocess.PIPE, stdin=subprocess.DEVNULL).stdout


def changed_lines(repo, base):
    """{file: set of line numbers} of src/ and tools/ lines added or changed since `base`,
    including what is not committed yet."""
    diff = git(repo, "diff", "-U0", "--no-color", "--no-ext-diff", base, "--", *MUTATED_FOLDERS)
    result, current = {}, None
    for line in diff.split("\n"):
        if line.startswith("+++ "):
            name = line[4:]
            current = name[2:] if name.startswith("b/") and name.endswith(SOURCE_SUFFIXES) else None
        elif line.startswith("@@") and current:
            added = re.search(r"\+(\d+)(?:,(\d+))?", line)
            start, count = int(added.group(1)), int(added.group(2) or "1")
            result.setdefault(current, set()).update(range(start, start + count))
    return {path: lines for path, lines in result.items() if lines}


def named_lines(repo, places):
    result = {}
    for place in places:
        path, _, span = place.partition(":")
        path = os.path.relpath(os.path.abspath(path), repo) if os.path.isabs(path) else path
        if not os.path.isfile(os.path.join(repo, path)):
            sys.exit("mutation-check: no file %s in %s" % (path, repo))
        if span:
            first, _, last = span.partition("-")
            lines = set(range(int(first), int(last or first) + 1))
            result[path] = result.get(path, set()) | lines
        else:
            result[path] = None
    return result


# ---------------------------------------------------------------- building and testing

class Project:
    """The CMake project: one build folder of its own for the mutants, the quick tests."""

    def __init__(self, options):
        self.repo, self.options = options.repo, options
        self.build = os.path.join(self.repo, options.build)

    def configure(self):
        if self.options.build_command:
            return
        if not os.path.isfile(os.path.join(self.build, "CMakeCache.txt")):
            # The compile flags of the dev preset, so that the first build comes from the
            # compiler cache of everyday builds; lld links the many test programs faster.
            linker = ["-DCMAKE_EXE_LINKER_FLAGS=-fuse-ld=lld"] if shutil_which("ld.lld") else []
            subprocess.run(["cmake", "--preset", "dev", "-B", self.build] + linker,
                           cwd=self.repo, check=True, stdout=subprocess.DEVNULL,
                           stdin=subprocess.DEVNULL)

    def compile(self, log, tests=None):
        """Builds everything, or with `tests` only those test programs and what is not a test
        (the program, its helpers, the libraries), so that a mutant relinks only what runs."""
        command = self.options.build_command or \
            "cmake --build %s -j%d" % (shlex.quote(self.build), self.options.jobs)
        if tests is not None and not self.options.build_command:
            command += " --target " + " ".join(shlex.quote(t) for t in self.targets_but_tests() + tests)
        with open(log, "w") as out:
            return run_as_group(command, out, None, shell=True, cwd=self.repo) == 0

    def targets_but_tests(self):
        if not hasattr(self, "_targets"):
            listed = subprocess.run(["cmake", "--build", self.build, "--target", "help"], text=True,
                                    stdout=subprocess.PIPE, stdin=subprocess.DEVNULL).stdout
            names = re.findall(r"^\.\.\. (\S+)", listed, re.M)
            tests = {t[0] for t in self.tests()}
            meta = {"all", "clean", "depend", "edit_cache", "rebuild_cache", "install", "test",
                    "list_install_components"}
            self._targets = [n for n in names if n not in meta and n not in tests
                             and not n.startswith("test_")  # the tests of other presets
                             and "/" not in n and "autogen" not in n and "." not in n]
        return self._targets

    def tests(self):
        """[(name, command, environment, folder)] of the quick tests, in the order they are
        defined."""
        if self.options.test_command:
            return [("test", ["sh", "-c", self.options.test_command], {}, self.repo)]
        shown = subprocess.run(["ctest", "--test-dir", self.build, "--show-only=json-v1"],
                               check=True, text=True, stdout=subprocess.PIPE,
                               stdin=subprocess.DEVNULL).stdout
        excluded = quick_exclusion(self.repo)
        result = []
        for test in json.loads(shown)["tests"]:
            properties = {p["name"]: p["value"] for p in test.get("properties", [])}
            labels = properties.get("LABELS", [])
            if excluded and any(re.search(excluded, label) for label in labels):
                continue
            environment = dict(item.split("=", 1) for item in properties.get("ENVIRONMENT", []))
            # As CTest runs it: in its own folder of the build, unless it names another.
            program = os.path.abspath(test["command"][0])
            own = os.path.dirname(program) if program.startswith(self.build + os.sep) else self.build
            folder = properties.get("WORKING_DIRECTORY", own)
            result.append((test["name"], test["command"], environment, folder))
        return result


def shutil_which(name):
    return any(os.access(os.path.join(p, name), os.X_OK) for p in os.environ["PATH"].split(":"))


def quick_exclusion(repo):
    """The label filter of the quick test preset, so that this check runs what it runs."""
    try:
        with open(os.path.join(repo, "CMakePresets.json")) as f:
            presets = json.load(f)["testPresets"]
        quick = next(p for p in presets if p["name"] == "quick")
        return quick["filter"]["exclude"]["label"]
    except (OSError, KeyError, StopIteration, ValueError):
        return "browsers|package"


def run_as_group(command, out, limit, **options):
    """The exit code of a command run in a process group of its own, or None when it ran out
    of time. However this ends, nothing of the group outlives it: a compiler left running would
    write a mutant's object after its source was put back, and the build would keep it."""
    process = subprocess.Popen(command, stdout=out, stderr=subprocess.STDOUT,
                               stdin=subprocess.DEVNULL, start_new_session=True, **options)
    try:
        return process.wait(timeout=limit)
    except subprocess.TimeoutExpired:
        return None
    finally:
        try:
            os.killpg(process.pid, signal.SIGKILL)
        except ProcessLookupError:
            pass
        process.wait()


def run_test(test, limit, log):
    """'passed', 'failed' or 'timed out', and the seconds it took."""
    name, command, environment, folder = test
    started = time.monotonic()
    with open(log, "w") as out:
        code = run_as_group(command, out, limit, cwd=folder, env={**os.environ, **environment})
    if code is None:
        return "timed out", time.monotonic() - started
    return ("passed" if code == 0 else "failed"), time.monotonic() - started


RELATED_DEPTH = 2  # a test that names a user of a user of the mutated file is still near


def stems_by_distance(path, repo):
    """{file stem: distance}: the mutated file's own stem at 0, the stems of the files that
    include its header at 1, of those that include theirs at 2, and so on."""
    includers = {}
    for folder in MUTATED_FOLDERS:
        for dirpath, _, files in os.walk(os.path.join(repo, folder)):
            for name in files:
                if name.endswith(SOURCE_SUFFIXES):
                    with open(os.path.join(dirpath, name), errors="replace") as f:
                        for included in re.findall(r'^#include "(?:.*/)?([^/"]+)\.h"', f.read(), re.M):
                            user = os.path.splitext(name)[0]
                            if user != "main":  # every test program has a main
                                includers.setdefault(included, set()).add(user)
    distance = {os.path.splitext(os.path.basename(path))[0]: 0}
    frontier = list(distance)
    for depth in range(1, RELATED_DEPTH + 1):
        frontier = [user for stem in frontier for user in includers.get(stem, ()) if user not in distance]
        for stem in frontier:
            distance[stem] = depth
    return distance


_NEARNESS = {}


def nearness(path, repo):
    """How near each test is to the mutated file: the distance of the nearest file stem it
    names (in its name, as snake case, or in its source), or None."""
    if path not in _NEARNESS:
        sources = {}
        for dirpath, _, files in os.walk(os.path.join(repo, "tests")):
            for name in files:
                if name.endswith((".cpp", ".sh")):
                    with open(os.path.join(dirpath, name), errors="replace") as f:
                        sources[os.path.splitext(name)[0]] = f.read()
        stems = stems_by_distance(path, repo)
        folder = os.path.basename(os.path.dirname(path))

        def near(test):
            name, source = test[0], sources.get(test[0], "")
            found = [d for stem, d in stems.items()
                     if stem in source or re.sub(r"(?<!^)(?=[A-Z])", "_", stem).lower() in name]
            if folder in name:
                found.append(0)
            return min(found, default=None)
        _NEARNESS[path] = near
    return _NEARNESS[path]


def related_first(tests, path, repo, durations, related_only):
    """The tests nearest the mutated file first, each distance quickest first; with
    related_only, those near it alone."""
    near = nearness(path, repo)
    ranked = [(near(t), durations.get(t[0], 1e9), t) for t in tests]
    ranked = [r for r in ranked if r[0] is not None or not related_only]
    ranked.sort(key=lambda r: (RELATED_DEPTH + 1 if r[0] is None else r[0], r[1]))
    return [r[2] for r in ranked]


# ---------------------------------------------------------------- the run

class State:
    """Results by mutant, kept in a file after each one, so that a stopped run resumes."""

    def __init__(self, path, fresh):
        self.path = path
        self.data = {"results": {}, "baseline": {}, "in_flight": None}
        if os.path.isfile(path):
            with open(path) as f:
                stored = json.load(f)
            # A fresh run forgets the results, never a file still to be put back.
            if fresh:
                self.data["in_flight"] = stored.get("in_flight")
            else:
                self.data = stored

    def save(self):
        temporary = self.path + ".new"
        with open(temporary, "w") as f:
            json.dump(self.data, f, indent=1)
        os.replace(temporary, self.path)


def restore(repo, state):
    """Puts back the file a mutant is in, and names it."""
    flight = state.data.get("in_flight")
    if flight:
        with open(os.path.join(repo, flight["file"]), "w", encoding="utf-8",
                  errors="surrogateescape", newline="") as f:
            f.write(flight["content"])
        state.data["in_flight"] = None
        state.save()
        return flight["file"]
    return None


def apply(repo, state, mutant):
    path = os.path.join(repo, mutant["file"])
    with open(path, encoding="utf-8", errors="surrogateescape", newline="") as f:
        content = f.read()
    lines = content.split("\n")
    if lines[mutant["line"] - 1] != mutant["original"]:
        return False
    state.data["in_flight"] = {"file": mutant["file"], "content": content}
    state.save()
    lines[mutant["line"] - 1] = mutant["mutated"]
    with open(path, "w", encoding="utf-8", errors="surrogateescape", newline="") as f:
        f.write("\n".join(lines))
    return True


def parse_options():
    parser = argparse.ArgumentParser(
        prog="mutation-check.sh",
        description="Puts one small fault at a time into changed source lines (src/, tools/), "
                    "rebuilds, runs the quick tests, and reports the faults no test noticed.")
    parser.add_argument("base", nargs="?", help="commit to compare with (default: the merge base with main)")
    parser.add_argument("--file", action="append", default=[], metavar="PATH[:FROM-TO]",
                        help="mutate this file (or these lines of it) instead of the changed lines; repeatable")
    parser.add_argument("--repo", help="repository root (default: git top level of the current folder)")
    parser.add_argument("--build", default="build/mutation", help="build folder, relative to the repository")
    parser.add_argument("--max", type=int, help="at most this many mutants, drawn at random (--seed)")
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--related-only", action="store_true",
                        help="run only the tests that name the mutated file's class or folder")
    parser.add_argument("--timeout", type=int, default=600, help="longest seconds for one test program")
    parser.add_argument("--jobs", type=int, default=2)
    parser.add_argument("--fresh", action="store_true", help="forget the results of earlier runs")
    parser.add_argument("--list", action="store_true", help="only list the mutants")
    parser.add_argument("--survivors", help="file for the survivors (default: BUILD/mutation-survivors.txt)")
    parser.add_argument("--build-command", help=argparse.SUPPRESS)  # for the check's own test
    parser.add_argument("--test-command", help=argparse.SUPPRESS)
    options = parser.parse_args(sys.argv[1:])
    if not options.repo:
        options.repo = git(os.getcwd(), "rev-parse", "--show-toplevel").strip()
    options.repo = os.path.abspath(options.repo)
    return options


def merge_base_with_main(repo):
    for main in ("main", "origin/main"):
        try:
            return git(repo, "merge-base", "HEAD", main).strip()
        except subprocess.CalledProcessError:
            continue
    sys.exit("mutation-check: no branch main to compare with; name a commit (BASE) or --file")


def select(options):
    if options.file:
        targets = named_lines(options.repo, options.file)
    else:
        base = options.base or merge_base_with_main(options.repo)
        targets = changed_lines(options.repo, base)
    mutants = []
    for path in sorted(targets):
        if path.endswith(SOURCE_SUFFIXES):
            mutants += mutants_of_file(options.repo, path, targets[path])
    if options.max is not None and len(mutants) > options.max:
        chosen = sorted(random.Random(options.seed).sample(range(len(mutants)), options.max))
        mutants = [mutants[i] for i in chosen]
    return mutants


def describe(mutant):
    return "%s:%d: %s" % (mutant["file"], mutant["line"], mutant["what"])


def source_digest(repo):
    """What the results depend on: the contents of src/, tools/ and tests/."""
    digest = hashlib.sha1()
    for folder in ("src", "tools", "tests"):
        for dirpath, dirnames, files in sorted(os.walk(os.path.join(repo, folder))):
            dirnames.sort()
            for name in sorted(files):
                path = os.path.join(dirpath, name)
                digest.update(path.encode("utf-8", "surrogateescape"))
                with open(path, "rb") as f:
                    digest.update(f.read())
    return digest.hexdigest()


def start_x_server():
    """End-to-end tests need an X server: without DISPLAY, one of our own for the run."""
    if os.environ.get("DISPLAY") or not shutil_which("Xvfb"):
        return None
    read_end, write_end = os.pipe()
    server = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x1024x24",
                               "-nolisten", "tcp"], pass_fds=(write_end,), stdin=subprocess.DEVNULL,
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_end)
    with os.fdopen(read_end) as f:
        number = f.readline().strip()
    if number:
        os.environ["DISPLAY"] = ":" + number
    return server


def main():
    options = parse_options()
    project = Project(options)
    os.makedirs(project.build, exist_ok=True)
    state = State(os.path.join(project.build, "mutation-state.json"), options.fresh)
    left = restore(options.repo, state)
    if left:
        print("put back %s, which a stopped run had left mutated" % left, flush=True)
    mutants = select(options)
    if options.list:
        for mutant in mutants:
            print("%s   %s" % (describe(mutant), mutant["mutated"].strip()))
        print("%d mutants" % len(mutants))
        return 0
    if not mutants:
        print("No line to mutate.")
        return 0

    # Every way out of here but SIGKILL (the end, Ctrl-C, SIGTERM, a closed terminal or ended
    # session) puts the mutated file back; after SIGKILL, the next run does.
    for number in (signal.SIGTERM, signal.SIGHUP):
        signal.signal(number, lambda received, _: sys.exit(128 + received))
    logs = os.path.join(project.build, "mutation-logs")
    os.makedirs(logs, exist_ok=True)
    x_server = start_x_server()
    try:
        project.configure()
        if not project.compile(os.path.join(logs, "baseline-build.log")):
            sys.exit("mutation-check: the unchanged source does not build; see %s" % logs)
        digest = source_digest(options.repo)
        if state.data.get("digest") != digest:
            state.data["baseline"], state.data["digest"] = {}, digest
        tests = baseline_tests(options, project, state, mutants, logs)
        durations = {name: entry["seconds"] for name, entry in state.data["baseline"].items()}
        for number, mutant in enumerate(mutants, 1):
            result = state.data["results"].get(mutant["id"])
            # A survivor is tried again once the tests or the code have changed, or with all
            # the tests when only the related ones ran.
            if result is None or (result.get("counted") and not result["killed"] and (
                    result.get("digest") != digest
                    or result.get("related_only") and not options.related_only)):
                result = run_mutant(options, project, state, mutant, tests, durations, logs)
                result["digest"], result["related_only"] = digest, options.related_only
                state.data["results"][mutant["id"]] = result
                state.save()
            print("[%d/%d] %s  %s" % (number, len(mutants), describe(mutant), result["verdict"]),
                  flush=True)
    finally:
        restore(options.repo, state)
        if x_server:
            x_server.kill()
            x_server.wait()
    return report(options, project, state, mutants)


def baseline_tests(options, project, state, mutants, logs):
    """The tests the mutants will run that pass without a mutant (each run once to know it)."""
    tests = project.tests()
    needed = set()
    for path in {m["file"] for m in mutants}:
        needed |= {t[0] for t in related_first(tests, path, options.repo, {}, options.related_only)}
    baseline = state.data["baseline"]
    for test in tests:
        if test[0] in needed and test[0] not in baseline:
            outcome, seconds = run_test(test, options.timeout,
                                        os.path.join(logs, "baseline-%s.log" % test[0]))
            baseline[test[0]] = {"outcome": outcome, "seconds": round(seconds, 1)}
            state.save()
            print("without a mutant: %s %s (%.1f s)" % (test[0], outcome, seconds), flush=True)
    failing = sorted(name for name in needed if baseline[name]["outcome"] != "passed")
    if failing:
        print("left out, as they fail without a mutant: %s" % " ".join(failing), flush=True)
    return [t for t in tests if t[0] in needed and t[0] not in failing]


def run_mutant(options, project, state, mutant, tests, durations, logs):
    """Builds and tests the mutant in two rounds: the tests near its file (built alone), then,
    when none failed, everything and the other tests."""
    started = time.monotonic()
    near = related_first(tests, mutant["file"], options.repo, durations, True)
    rounds = [near] if options.related_only else \
        [near, [t for t in related_first(tests, mutant["file"], options.repo, durations, False)
                if t not in near]]
    for number, round_tests in enumerate(rounds):
        if not round_tests:
            continue
        if not apply(options.repo, state, mutant):
            return {"verdict": "skipped: the line has changed since it was read", "counted": False}
        try:
            built = project.compile(os.path.join(logs, "last-mutant-build.log"),
                                    [t[0] for t in round_tests] if number == 0 else None)
        finally:
            restore(options.repo, state)
        if not built:
            return {"verdict": "does not compile (not counted)", "counted": False}
        for test in round_tests:
            limit = min(options.timeout, 3 * durations.get(test[0], options.timeout) + 60)
            outcome, _ = run_test(test, limit, os.path.join(logs, "last-mutant-test.log"))
            if outcome != "passed":
                return {"verdict": "killed by %s%s (%.0f s)"
                                   % (test[0], ", timed out" if outcome == "timed out" else "",
                                      time.monotonic() - started),
                        "counted": True, "killed": True}
    return {"verdict": "SURVIVED (%.0f s)" % (time.monotonic() - started), "counted": True,
            "killed": False}


def report(options, project, state, mutants):
    results = [state.data["results"].get(m["id"]) for m in mutants]
    counted = [(m, r) for m, r in zip(mutants, results) if r and r.get("counted")]
    killed = sum(1 for _, r in counted if r["killed"])
    survivors = [m for m, r in counted if not r["killed"]]
    path = options.survivors or os.path.join(project.build, "mutation-survivors.txt")
    with open(path, "w") as f:
        f.write("# Faults no test noticed. Give each a test, or a one-line reason why it cannot\n"
                "# change what the program does (an equivalent mutant).\n\n")
        for m in survivors:
            f.write("%s\n  was: %s\n  now: %s\n\n" % (describe(m), m["original"].strip(), m["mutated"].strip()))
    rate = 100.0 * killed / len(counted) if counted else 100.0
    print("killed %d of %d mutants (%.0f%%); %d did not compile; survivors in %s"
          % (killed, len(counted), rate, sum(1 for r in results if r and not r.get("counted")), path))
    return 0 if not survivors else 1


if __name__ == "__main__":
    sys.exit(main())
