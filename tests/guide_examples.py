#!/usr/bin/python3
"""Runs the examples of the zefro-estimate guide and compares what they print with what the guide shows.

    guide_examples.py --program BUILD/zefro-estimate --data DATA_TREE GUIDE.md

An example is a ```console block of the guide: lines "$ zefro-estimate ..." (a line ending in "\\" goes
on in the next one), each followed by the lines it prints. Each block runs in bash, in a fresh working
folder, on a fresh copy of the bundled tree that ZEFRO_DRIVE_ROOT names (as a reader's installed program
runs on its own copy), with standard error in the same stream as standard output, as a terminal shows
them. The copy's path is printed as the guide's reader sees their default drive root (USER_DRIVE). What
is printed must be exactly the lines shown; the status must be 0 (an example that fails shows
its status with "; echo $?"); every file named by --out or --export must have been written. A guide
without examples fails too.
"""

import argparse
import difflib
import os
import re
import shlex
import shutil
import subprocess
import sys
import tempfile

PROGRAM = "zefro-estimate"
# The default drive root of the installed program for a user "utente", as the guide's paths show it.
USER_DRIVE = "/home/utente/.local/share/zefro/drive"


class Command:
    def __init__(self, line_number, text):
        self.line_number = line_number
        self.text = text
        self.expected = []


def read_examples(guide_path):
    """The console blocks of the guide, each a list of commands with the lines they print."""
    with open(guide_path, encoding="utf-8") as guide:
        lines = guide.read().split("\n")
    blocks = []
    block = None
    continued = None
    for number, line in enumerate(lines, start=1):
        if block is None:
            if line.strip() == "```console":
                block = []
            continue
        if line.strip() == "```":
            if continued is not None:
                sys.exit(f"{guide_path}:{number}: the block ends inside a continued command")
            if not block:
                sys.exit(f"{guide_path}:{number}: a console block without a command")
            blocks.append(block)
            block = None
            continue
        if continued is not None:
            continued.text += "\n" + line
            if not line.endswith("\\"):
                continued = None
        elif line.startswith("$ "):
            command = Command(number, line[2:])
            if not re.match(re.escape(PROGRAM) + r"\s", command.text):
                sys.exit(f"{guide_path}:{number}: an example runs {PROGRAM}, not: {command.text}")
            block.append(command)
            if line.endswith("\\"):
                continued = command
        elif not block:
            sys.exit(f"{guide_path}:{number}: a console block starts with output, not with a command")
        else:
            block[-1].expected.append(line)
    if block is not None:
        sys.exit(f"{guide_path}: a console block is not closed")
    return blocks


def files_written(command):
    """The files an example's command names with --out and --export."""
    words = shlex.split(command.text.replace("\\\n", " "))
    return [words[i + 1] for i, word in enumerate(words[:-1]) if word in ("--out", "--export")]


def run_block(block, program_dir, data_tree, scratch, guide_path):
    """Runs one block; the list of its disagreements with the guide."""
    drive = os.path.join(scratch, "drive")
    work = os.path.join(scratch, "work")
    shutil.copytree(data_tree, drive, symlinks=True)
    os.mkdir(work)
    environment = {k: v for k, v in os.environ.items() if not k.startswith("ZEFRO_")}
    environment.update(PATH=program_dir + os.pathsep + environment.get("PATH", "/usr/bin:/bin"),
                       ZEFRO_DRIVE_ROOT=drive, HOME=scratch, XDG_DATA_HOME=os.path.join(scratch, "share"))
    problems = []
    for command in block:
        where = f"{guide_path}:{command.line_number}"
        done = subprocess.run(["bash", "-c", command.text], cwd=work, env=environment,
                              stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                              timeout=120)
        printed = done.stdout.decode("utf-8", errors="replace").replace(drive, USER_DRIVE)
        shown = "".join(line + "\n" for line in command.expected)
        if printed != shown:
            diff = difflib.unified_diff(shown.splitlines(keepends=True), printed.splitlines(keepends=True),
                                        "shown in the guide", "printed")
            problems.append(f"{where}: $ {command.text}\n" + "".join(
                line if line.endswith("\n") else line + "\\ (no newline at the end)\n" for line in diff))
        if done.returncode != 0:
            problems.append(f"{where}: ended with status {done.returncode}; an example that fails shows it "
                            f"with '; echo $?'")
        for name in files_written(command):
            path = os.path.join(work, name)
            if not os.path.isfile(path) or os.path.getsize(path) == 0:
                problems.append(f"{where}: {name} was not written")
    return problems


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--program", required=True, help="the built zefro-estimate")
    parser.add_argument("--data", required=True, help="the bundled installation tree")
    parser.add_argument("guide")
    arguments = parser.parse_args()
    if os.path.basename(arguments.program) != PROGRAM:
        sys.exit(f"--program must name {PROGRAM}, which the examples call by name")

    blocks = read_examples(arguments.guide)
    if not blocks:
        sys.exit(f"{arguments.guide}: no examples (```console blocks) found")
    problems = []
    for block in blocks:
        with tempfile.TemporaryDirectory(prefix="zefro-guide-") as scratch:
            problems += run_block(block, os.path.dirname(os.path.abspath(arguments.program)),
                                  arguments.data, scratch, arguments.guide)
    commands = sum(len(block) for block in blocks)
    if problems:
        print("\n".join(problems))
        sys.exit(f"{len(problems)} disagreement(s) between the guide and the program "
                 f"({len(blocks)} examples, {commands} commands)")
    print(f"{len(blocks)} examples, {commands} commands: each printed what the guide shows")


if __name__ == "__main__":
    main()
