#!/usr/bin/env python3
"""Mutation runs: apply one realistic single-line fault at a time to the sources, rebuild, run the
tests, restore the file, and report the faults no test caught.

    tools/mutate.py [FOLDER ...] [--count N] [--seed S] [--list] [--build DIR] [--jobs J]
                    [--optimize FLAG] [--files GLOB ...]

FOLDER is a folder of src/ (core, indexing, calculator, database, measurement, cli, ui, ...);
without one, every folder. Mutants are drawn at random (reproducibly for a seed) and spread over
the folders' files; one that does not compile, or compiles to the same object code, is set aside,
not counted. The build is optimised less than a release (-O1 by default): a header's mutant
rebuilds most of the tree, and the arithmetic is the same at every level (no fast-math, no
contraction under -std=c++20). It checks the standard library's bounds (_GLIBCXX_ASSERTIONS), so
that an index one past the end stops a test as it would under the sanitizers of ./x test-asan
instead of reading whatever lies there. The tests run are those of the whole suite that could see
the fault: the computation tests for a library, plus the window tests for src/ui and the
command-line tests for src/cli, in a temporary folder of their own (TMPDIR), apart from other
test runs on the machine; a run over src/ui alone builds and runs only the window tests, which
are the only ones that see the window code. Each file is restored after its mutant, also when the
run is interrupted.

In the window code no fault is made where it could only change how the window looks: the
functions that paint, calls that set a margin, a spacing, a width, a font or a frame, and the
numbers of points, colours, insets and twips; nor in the declarations of a class body.
"""

import argparse
import fnmatch
import hashlib
import os
import random
import re
import signal
import subprocess
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent

# Operators: each yields (description, new line) for one place in a line of code.
RELATIONAL_SWAPS = {" < ": " > ", " > ": " < ", " <= ": " >= ", " >= ": " <= ",
                    " == ": " != ", " != ": " == "}
BOUNDARY_SWAPS = {" < ": " <= ", " <= ": " < ", " > ": " >= ", " >= ": " > "}
LOGICAL_SWAPS = {" && ": " || ", " || ": " && "}
# A whole-number literal; not the digits of a floating-point one (0.5, 1e-6, 2.), nor a name.
INTEGER = re.compile(r"(?<![\w.])(?<![eE][-+])(\d+)(?![\w.])")
CALL_TWO_ARGS = re.compile(r"\b(\w+)\((\w+), (\w+)\)")
# A line that declares something: removing it only breaks the build.
DECLARATION = re.compile(r"^\s*(const |constexpr |static |auto |std::|int |double |bool |float |"
                         r"unsigned |char |long |size_t |[A-Z]\w*(<.*>)?[*&]? [\w*&])")
# The window code has lines whose only work is how things look: a margin, a spacing, a fixed width,
# a font, a frame, and the functions that paint. Their faults move a control by a pixel, change a
# shade or a stroke of a drawing, which the window tests do not check (they check the state the
# window shows, not its pixels), so they are not made. The tests check instead that every control
# has a place of its own in its layout.
APPEARANCE_CALL = re.compile(r"^\s*([\w\[\]]+(->|\.))?(setContentsMargins|setSpacing|"
                             r"setHorizontalSpacing|setVerticalSpacing|addSpacing|addStretch|"
                             r"setColumnStretch|setRowStretch|setColumnMinimumWidth|"
                             r"setMinimumWidth|setMaximumWidth|setMinimumHeight|setMaximumHeight|"
                             r"setFixedWidth|setFixedHeight|setFrameShape|setPointSizeF?|"
                             r"setPixelSize|setBold|setUnderline|setStyleHint|setRenderHint|setFont|"
                             r"setMinimumSize)\(")
# Numbers that only place, size or tint something: points, rectangles, pens, colours and fonts,
# label offsets, insets, margins and size hints, and lengths in twips (1/15 pixel: one more or
# less mostly rounds to the same pixel).
APPEARANCE_NUMBERS = re.compile(r"\bQ(PointF|RectF|Pen|Color|Font)\b|\b(inset|margin)\b|"
                                r"\bsizeHint\(\) const\b|"
                                r"\b(FromTwips|fromTwips|TwipsToPixels|pixels|move)\(|Twips\b")
# A function that only paints, from its first line to the brace that closes it at the margin.
PAINTING = re.compile(r"^[^\s/#].*\b(paintEvent|paint[A-Z]\w*|draw[A-Z]\w*|Draw[A-Z]\w*|"
                      r"MeasuringCursor)\(.*[^;]\s*$")


def code_part(line):
    """The line with string and character literals blanked and a trailing comment cut, so that
    operators inside them are never mutated (positions stay the same)."""
    out = []
    quote = None
    i = 0
    while i < len(line):
        c = line[i]
        if quote:
            if c == "\\":
                out.append("  ")
                i += 2
                continue
            out.append(" " if c != quote else c)
            if c == quote:
                quote = None
        elif c in "\"'":
            quote = c
            out.append(c)
        elif line.startswith("//", i):
            break
        else:
            out.append(c)
        i += 1
    return "".join(out)


def skip_line(stripped):
    return (not stripped or stripped.startswith(("//", "#", "*", "/*", "static_assert", "namespace",
                                                 "using ", "template", "}", "{", "Q_UNUSED"))
            or "constexpr const char" in stripped or "std::string_view k" in stripped)


def mutants_of_line(line, whole_statement=True, window=False, header=False, statement=None):
    """Every single-line fault the operators make of one line: (operator, mutated line).
    `window` says the line is window code (src/ui), `header` that it is in a header, where only a
    statement inside a member's body (indented twice or more) is removed: the lines of a class
    body declare, and removing them only breaks the build. `statement` is the line the statement
    began on, when it began on an earlier line."""
    stripped = line.strip()
    if skip_line(stripped):
        return []
    code = code_part(line)
    whole_code = code_part(statement) + code if statement else code
    if window and APPEARANCE_CALL.match(whole_code):
        return []
    appearance_numbers = window and APPEARANCE_NUMBERS.search(whole_code)
    found = []

    def replace_at(pos, old, new, name):
        found.append((name, line[:pos] + new + line[pos + len(old):]))

    for table, name in ((RELATIONAL_SWAPS, "relational operator swapped"),
                        (BOUNDARY_SWAPS, "boundary moved"),
                        (LOGICAL_SWAPS, "logical operator swapped")):
        for old, new in table.items():
            start = 0
            while (pos := code.find(old, start)) >= 0:
                replace_at(pos, old, new, name)
                start = pos + 1
    for match in [] if appearance_numbers else INTEGER.finditer(code):
        value = int(match.group(1))
        if len(match.group(1)) > 9:
            continue
        for delta in (1, -1):
            if value + delta >= 0:
                replace_at(match.start(1), match.group(1), str(value + delta),
                           f"integer {value} -> {value + delta}")
    match = re.search(r"\b(if|while) \(", code)
    if match:
        # The condition runs to the parenthesis that closes the one after if/while.
        open_at = match.end() - 1
        depth = 0
        for pos in range(open_at, len(code)):
            depth += code[pos] == "("
            depth -= code[pos] == ")"
            if depth == 0:
                condition = line[open_at + 1:pos]
                head, tail = line[:open_at + 1], line[pos:]
                found.append(("condition negated", f"{head}!({condition}){tail}"))
                found.append(("condition dropped (always true)", f"{head}true{tail}"))
                found.append(("condition dropped (always false)", f"{head}false{tail}"))
                break
    if stripped.endswith(";") and whole_statement and not DECLARATION.match(line) \
            and not (window and header and len(line) - len(line.lstrip()) < 4) \
            and not stripped.startswith(("return", "case", "default", "break", "continue")):
        indent = line[:len(line) - len(line.lstrip())]
        found.append(("statement removed", f"{indent};\n"))
    for match in CALL_TWO_ARGS.finditer(code):
        a, b = match.group(2), match.group(3)
        if a != b and not a.isdigit() and not b.isdigit():
            replace_at(match.start(2), f"{a}, {b}", f"{b}, {a}", "arguments swapped")
    return found


def all_mutants(folders, files=None):
    mutants = []
    for folder in folders:
        for path in sorted((ROOT / "src" / folder).rglob("*")):
            if path.suffix not in (".cpp", ".hpp") or path.name.endswith("main.cpp"):
                continue
            relative = path.relative_to(ROOT / "src").as_posix()
            if files and not any(fnmatch.fnmatch(relative, glob) for glob in files):
                continue
            lines = path.read_text(encoding="utf-8").splitlines(keepends=True)
            window = folder == "ui"
            painting = False
            start = None
            for number, line in enumerate(lines, start=1):
                if window and PAINTING.match(line):
                    painting = True
                if painting:
                    painting = line.rstrip() != "}"
                    continue
                # A statement begins where the line before ended one (or opened/closed a block).
                before = lines[number - 2].rstrip() if number > 1 else ""
                whole = before.endswith((";", "{", "}")) or not before
                start = line if whole else start
                for name, new in mutants_of_line(line, whole, window, path.suffix == ".hpp",
                                                 None if whole else start):
                    mutants.append((path, number, name, line, new))
    return mutants


def object_hashes(build):
    """Every compiled object of the build, hashed. A mutant after which all of them are the same
    bytes compiles to the same program: it provably changes no behaviour (a line the
    preprocessor leaves out on this system, or a change the compiler proves makes no
    difference), so it is set aside like one that does not compile."""
    return {path: hashlib.sha256(path.read_bytes()).hexdigest()
            for path in sorted(build.rglob("*.o"))}


def run(command, timeout, env=None):
    """Runs a command in a process group of its own, so that a timeout also ends what it started
    (a generator the build runs, a test program), not only the command itself."""
    process = subprocess.Popen(command, cwd=ROOT, stdout=subprocess.PIPE, env=env,
                               stderr=subprocess.STDOUT, text=True, start_new_session=True)
    try:
        out, _ = process.communicate(timeout=timeout)
        return process.returncode, out
    except subprocess.TimeoutExpired:
        os.killpg(process.pid, signal.SIGKILL)
        process.communicate()
        return None, "timeout"
    except BaseException:
        os.killpg(process.pid, signal.SIGKILL)
        raise


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("folders", nargs="*")
    parser.add_argument("--count", type=int, default=50, help="mutants to run (default 50)")
    parser.add_argument("--seed", type=int, default=None, help="random seed (default: time)")
    parser.add_argument("--list", action="store_true", help="only count the possible mutants")
    parser.add_argument("--build", default="build/mutate", help="build folder (default build/mutate)")
    parser.add_argument("--jobs", type=int, default=min(os.cpu_count() or 2, 2))
    parser.add_argument("--optimize", default="-O1",
                        help="optimisation flag of the mutant builds (default -O1)")
    parser.add_argument("--files", nargs="+", metavar="GLOB",
                        help="only these files of the folders, e.g. 'picture/*_reader.cpp'")
    args = parser.parse_args()

    available = sorted(p.name for p in (ROOT / "src").iterdir() if p.is_dir())
    folders = args.folders or available
    for folder in folders:
        if folder not in available:
            sys.exit(f"mutate: no folder src/{folder} (folders: {' '.join(available)})")
    mutants = all_mutants(folders, args.files)
    if args.list:
        print(f"{len(mutants)} possible mutants in {', '.join(folders)}")
        return
    seed = args.seed if args.seed is not None else int(time.time())
    rng = random.Random(seed)
    rng.shuffle(mutants)
    print(f"mutate: seed {seed}, {len(mutants)} possible mutants, running {args.count}", flush=True)

    build = ROOT / args.build
    gui = "ON" if "ui" in folders else "OFF"
    code, out = run(["cmake", "-S", ".", "-B", str(build), "-G", "Ninja",
                     "-DCMAKE_BUILD_TYPE=Release", f"-DSPOT_BUILD_GUI={gui}",
                     "-DSPOT_BUILD_BENCH=OFF",
                     f"-DCMAKE_CXX_FLAGS_RELEASE={args.optimize} -DNDEBUG -D_GLIBCXX_ASSERTIONS "
                     # __FILE__ relative: an object ccache made in another checkout must be
                     # the same bytes, or no mutant would ever compile to the same code.
                     f"-fmacro-prefix-map={ROOT}/="],
                    600)
    if code != 0:
        sys.exit("mutate: configuring failed:\n" + out)
    # A fault in the window code can only reach the window tests: those alone are built and run.
    window_only = set(folders) == {"ui"}
    targets = ["--target", "spot_ui_tests"] if window_only else []
    selection = ["-L", "gui"] if window_only else []
    code, out = run(["cmake", "--build", str(build), "-j", str(args.jobs), *targets], 3600)
    if code != 0:
        sys.exit("mutate: the unmutated tree does not build:\n" + out[-3000:])
    # The tests' temporary files in a folder of this build: the same test run elsewhere at the
    # same time would otherwise share their names and fail by accident.
    scratch = build / "tmp"
    scratch.mkdir(parents=True, exist_ok=True)
    test_env = dict(os.environ, TMPDIR=str(scratch))
    code, out = run(["ctest", "--test-dir", str(build), "-j", str(args.jobs), *selection], 1800,
                     test_env)
    # A test that already fails cannot tell a mutant apart: it is left out, and said so.
    failing = re.findall(r"^\s*\d+ - (\S+) \(", out, re.MULTILINE) if code != 0 else []
    if code != 0 and not failing:
        sys.exit("mutate: the unmutated tree fails its tests:\n" + out[-3000:])
    exclude = ["-E", "^(" + "|".join(re.escape(name) for name in failing) + ")$"] if failing else []
    unmutated = object_hashes(build)
    for name in failing:
        print(f"mutate: left out, fails without a mutant: {name}", flush=True)

    current = {"path": None, "text": None}

    def restore(*_):
        if current["path"] is not None:
            current["path"].write_text(current["text"], encoding="utf-8")
            current["path"] = None
        if _:
            sys.exit("mutate: interrupted; the file is restored")

    signal.signal(signal.SIGINT, restore)
    signal.signal(signal.SIGTERM, restore)

    killed, survivors, set_aside, same_code = 0, [], 0, 0
    done = 0
    for path, number, name, old, new in mutants:
        if done >= args.count:
            break
        original = path.read_text(encoding="utf-8")
        lines = original.splitlines(keepends=True)
        if lines[number - 1] != old:
            continue
        lines[number - 1] = new
        current["path"], current["text"] = path, original
        path.write_text("".join(lines), encoding="utf-8")
        where = f"{path.relative_to(ROOT)}:{number}"
        try:
            code, _ = run(["cmake", "--build", str(build), "-j", str(args.jobs), *targets], 1800)
            if code != 0:
                set_aside += 1
                print(f"no build {where}: {name}", flush=True)
                continue
            if object_hashes(build) == unmutated:
                same_code += 1
                print(f"same code {where}: {name}", flush=True)
                continue
            done += 1
            code, _ = run(["ctest", "--test-dir", str(build), "-j", str(args.jobs),
                           "--stop-on-failure", "--timeout", "120", *selection, *exclude], 1800,
                          test_env)
            if code == 0:
                survivors.append((where, name, old.strip(), new.strip()))
                print(f"SURVIVED {where}: {name}\n    - {old.strip()}\n    + {new.strip()}",
                      flush=True)
            else:
                killed += 1
                print(f"killed   {where}: {name}", flush=True)
        finally:
            restore()
    # Leave the build matching the restored sources.
    run(["cmake", "--build", str(build), "-j", str(args.jobs), *targets], 3600)
    total = killed + len(survivors)
    rate = 100.0 * killed / total if total else 0.0
    print(f"\nmutate: {killed} of {total} mutants caught ({rate:.0f} %), {len(survivors)} "
          f"survived; set aside: {set_aside} did not compile, {same_code} compiled to the same "
          f"code; seed {seed}")
    for where, name, old, new in survivors:
        print(f"  survivor {where}: {name}: {old}  ->  {new}")


if __name__ == "__main__":
    main()
