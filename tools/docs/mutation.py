#!/usr/bin/python3
"""Runs the mutation tool on a clone of the repository at HEAD and writes docs/mutation.md.

    tools/docs/mutation.py [--count N] [--seed S] [--files PATH ...] [--tool PATH] [--keep]

The mutation tool (`mutants`, on PATH or given with --tool) edits, rebuilds and tests the checkout it
runs in, so this script clones the committed HEAD into a temporary folder, builds it there
(scripts/build.sh), checks that the unchanged suite passes, then runs the tool there; the working tree
and its build are never touched. About a minute or more per change on two cores.
"""

import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import figures  # noqa: E402

CHANGE = re.compile(r"^(killed|SURVIVED|no build)\s+(\S+):(\d+)\s+(.*?)\s+->\s+(.*?)\s+\((\d+) s\)")
TOTAL = re.compile(r"^killed (\d+) of (\d+) \((\d+)%\); (\d+) did not build")


def find_tool(given):
    tool = given or shutil.which("mutants")
    if not tool or not os.access(tool, os.X_OK):
        sys.exit("mutation.py: no mutation tool: put `mutants` on PATH or give --tool PATH")
    return os.path.abspath(tool)


def clone_and_build(clone):
    """A clone of HEAD in its own folder, built and checked: its commit."""
    head = figures.run(["git", "rev-parse", "HEAD"])
    subprocess.run(["git", "clone", "--quiet", "--no-checkout", figures.ROOT, clone], check=True)
    subprocess.run(["git", "-C", clone, "checkout", "--quiet", "--detach", head], check=True)
    subprocess.run(["bash", "scripts/build.sh"], cwd=clone, check=True)
    # Every change would count as caught if the suite failed already.
    subprocess.run(["ctest", "--test-dir", "build", "-j2", "--output-on-failure"], cwd=clone, check=True,
                   stdout=subprocess.DEVNULL, env=dict(os.environ, QT_QPA_PLATFORM="offscreen"))
    return head


def run_tool(tool, clone, args):
    """The tool's lines as it prints them, also echoed here as they come."""
    command = [tool, "build", "--count", str(args.count), "--seed", str(args.seed)]
    if args.files:
        command += ["--files"] + args.files
    lines = []
    with subprocess.Popen(command, cwd=clone, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True,
                          env=dict(os.environ, QT_QPA_PLATFORM="offscreen")) as tool_run:
        for line in tool_run.stdout:
            print(line, end="", flush=True)
            lines.append(line.rstrip("\n"))
    if tool_run.returncode != 0:
        sys.exit("mutation.py: the mutation tool failed (exit %d)" % tool_run.returncode)
    return lines


def source_line(head, path, number):
    """The line as it stands at the commit measured."""
    shown = subprocess.run(["git", "show", "%s:%s" % (head, path)], cwd=figures.ROOT, check=True,
                           capture_output=True, text=True, errors="replace")
    lines = shown.stdout.split("\n")
    return lines[number - 1].strip() if number <= len(lines) else ""


def code(text):
    """Text as code in a table cell: its bars escaped, which would otherwise end the cell."""
    return "`%s`" % text.replace("|", "\\|")


def document(head, args, lines, build_dir, minutes):
    changes = [CHANGE.match(line) for line in lines]
    changes = [found for found in changes if found]
    total = next((TOTAL.match(line) for line in lines if TOTAL.match(line)), None)
    if not total:
        sys.exit("mutation.py: the tool printed no total")
    killed, counted, percent, stillborn = (int(total.group(n)) for n in range(1, 5))
    command = "mutants build --count %d --seed %d%s" % (
        args.count, args.seed, " --files " + " ".join(args.files) if args.files else "")
    text = figures.generated_notice("tools/docs/mutation.py")
    text += "# Mutation run\n\n"
    text += ("Small faults put into the code one at a time, each rebuilt and run against the whole suite. "
             "How to read the result, and what earlier runs led to, is in [testing.md](testing.md).\n\n")
    text += "- Date: %s\n" % figures.today()
    text += "- Commit: `%s` (a clone of its own)\n" % head[:10]
    text += "- Machine: %s\n" % figures.machine_line(build_dir)
    text += "- Command: `%s` (%d changes, seed %d, %s)\n" % (
        command, args.count, args.seed, "the files named" if args.files else "every `src/**/*.cpp`")
    text += "- Took: %.0f minutes\n\n" % minutes
    text += "**Killed %d of %d (%d%%)**; %d did not build.\n\n" % (killed, counted, percent, stillborn)
    survivors = [found for found in changes if found.group(1) == "SURVIVED"]
    text += "## Survivors\n\n"
    if survivors:
        text += "Each names a line whose behaviour no test pins down.\n\n"
        text += "| Where | Change | The line |\n|---|---|---|\n"
        for found in survivors:
            path, number = found.group(2), int(found.group(3))
            text += "| %s | %s → %s | %s |\n" % (code("%s:%d" % (path, number)), code(found.group(4)),
                                              code(found.group(5)), code(source_line(head, path, number)))
    else:
        text += "None.\n"
    text += "\n## Every change\n\n| Verdict | Where | Change |\n|---|---|---|\n"
    for found in changes:
        where = code("%s:%s" % (found.group(2), found.group(3)))
        text += "| %s | %s | %s → %s |\n" % (found.group(1).lower(), where, code(found.group(4)), code(found.group(5)))
    return text


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--count", type=int, default=40)
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--files", nargs="*", help="paths under the repository (default: every src/**/*.cpp)")
    parser.add_argument("--tool", help="the mutation tool (default: mutants on PATH)")
    parser.add_argument("--keep", action="store_true", help="leave the clone in place and say where")
    parser.add_argument("--output", default=os.path.join(figures.ROOT, "docs", "mutation.md"))
    args = parser.parse_args()

    tool = find_tool(args.tool)
    scratch = tempfile.mkdtemp(prefix="zefro-mutation-")
    clone = os.path.join(scratch, "zefro")
    try:
        started = time.time()
        head = clone_and_build(clone)
        lines = run_tool(tool, clone, args)
        minutes = (time.time() - started) / 60
        figures.write(args.output, document(head, args, lines, os.path.join(clone, "build"), minutes))
    finally:
        if args.keep:
            print("the clone stays in %s" % clone)
        else:
            shutil.rmtree(scratch, ignore_errors=True)


if __name__ == "__main__":
    main()
