#!/usr/bin/env python3
"""Writes the manual page of a program from its own --help text.

    man_page_from_help.py --program PATH --summary TEXT --version V --output NAME.1

The help text is read by paragraphs (blank lines between them):
  "Uso:" and the indented lines under it    SINTASSI, kept line by line (forms that go on over
                                            several lines stay aligned as the terminal shows them)
  lines "  -x, --option ARG   what it does"  OPZIONI, one entry each, its description lines joined
  "Titolo: text"                             a section TITOLO of its own (such as "Stato d'uscita")
  anything else                              DESCRIZIONE
help2man reads only one-line usage clauses, which this help text does not have. A help text that
gives no synopsis or no options is refused, so a change that would empty the page fails the build.
"""

import argparse
import datetime
import os
import re
import subprocess
import sys

SECTION = "1"
MANUAL = "Comandi utente"


def escaped(text):
    """Text as roff shows it literally: backslashes, hyphens (minus signs, so that options can be
    copied), and a leading dot or apostrophe, which would start a request."""
    text = text.replace("\\", "\\e").replace("-", "\\-")
    return "\\&" + text if text[:1] in (".", "'") else text


def bold_options(escaped_text):
    """Options in bold, in text already escaped."""
    return re.sub(r"(?<![\w\\])((?:\\-){1,2}[A-Za-z][\w\\-]*)", r"\\fB\1\\fR", escaped_text)


def synopsis_line(line):
    """A line of a usage form: the program's name in bold where a form starts, options in bold."""
    program = re.match(r"\S+", line)
    if not program:
        return bold_options(escaped(line))
    return "\\fB" + escaped(program.group()) + "\\fR" + bold_options(escaped(line[program.end():]))


def option_tag(tag):
    """'-h, --help' or '--map MAPPA': option names in bold, their argument in italics."""
    names, _, argument = tag.partition(" ")
    if names.endswith(","):  # "-h, --help": the second name belongs to the names
        more, _, argument = argument.partition(" ")
        names += " " + more
    text = bold_options(escaped(names))
    return text + (" \\fI" + escaped(argument) + "\\fR" if argument else "")


def paragraphs(help_text):
    return [block.split("\n") for block in re.split(r"\n\s*\n", help_text.strip("\n"))]


def parse(help_text):
    """The sections of the page, in order, each a list of roff lines."""
    sections = {"SINTASSI": [], "DESCRIZIONE": [], "OPZIONI": []}
    for lines in paragraphs(help_text):
        first = lines[0]
        heading = re.match(r"([A-ZÀ-Ý][\w' ]{0,30}):(?: (.*))?$", first)
        if heading and heading.group(1) == "Uso" and heading.group(2) is None:
            sections["SINTASSI"] += [".nf"] + [synopsis_line(line[2:]) for line in lines[1:]] + [".fi"]
        elif first.startswith("  -"):
            for line in lines:
                entry = re.match(r"  (-\S.*?)(?:\s{2,}(\S.*))?$", line)
                if entry:
                    sections["OPZIONI"] += [".TP", option_tag(entry.group(1))]
                    if entry.group(2):
                        sections["OPZIONI"].append(bold_options(escaped(entry.group(2))))
                elif line.startswith("   ") and sections["OPZIONI"]:
                    sections["OPZIONI"].append(bold_options(escaped(line.strip())))
                else:
                    sys.exit(f"not an option line: {line!r}")
        elif heading and heading.group(2) and len(heading.group(1).split()) <= 3:
            body = [heading.group(2)] + [line.strip() for line in lines[1:]]
            sections.setdefault(heading.group(1).upper(), []).extend(
                bold_options(escaped(line)) for line in body)
        else:
            description = sections["DESCRIZIONE"]
            description += ([".PP"] if description else []) + [bold_options(escaped(line)) for line in lines]
    if not sections["SINTASSI"] or not sections["OPZIONI"]:
        sys.exit("the help text gives no synopsis ('Uso:' and the forms under it) or no options")
    return sections


def man_page(name, summary, version, date, help_text):
    lines = [
        "'\\\" -*- coding: utf-8 -*-",
        f".\\\" Made from the output of '{name} --help' by cmake/man_page_from_help.py; do not edit.",
        f'.TH "{name.upper()}" "{SECTION}" "{date}" "ZEFRO {version}" "{MANUAL}"',
        ".nh",  # the formatter's hyphenation patterns are English, the text Italian
        ".SH NOME",
        f"{escaped(name)} \\- {escaped(summary)}",
    ]
    for title, body in parse(help_text).items():
        if body:
            lines += [f'.SH "{title}"'] + body
    return "\n".join(lines) + "\n"


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--program", required=True)
    parser.add_argument("--summary", required=True, help="the NAME line's description")
    parser.add_argument("--version", required=True)
    parser.add_argument("--output", required=True)
    arguments = parser.parse_args()

    environment = dict(os.environ, LC_ALL="C.UTF-8")
    environment.pop("ZEFRO_DEBUG", None)
    done = subprocess.run([arguments.program, "--help"], stdout=subprocess.PIPE, env=environment, check=True)
    # The date of a reproducible build when there is one, otherwise today's.
    seconds = int(os.environ.get("SOURCE_DATE_EPOCH") or datetime.datetime.now().timestamp())
    date = datetime.datetime.fromtimestamp(seconds, tz=datetime.timezone.utc).strftime("%Y-%m-%d")
    page = man_page(os.path.basename(arguments.program), arguments.summary, arguments.version, date,
                    done.stdout.decode("utf-8"))
    with open(arguments.output, "w", encoding="utf-8") as output:
        output.write(page)


if __name__ == "__main__":
    main()
