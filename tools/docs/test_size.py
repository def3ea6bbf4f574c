#!/usr/bin/python3
"""Counts the non-blank lines of code and of tests and writes them to docs/test-size.md.

    tools/docs/test_size.py [--output PATH]

Code is every .cpp, .h, .py and .sh under src/ (by layer), tools/ (by folder) and bench/; tests
are the same kinds of file under tests/, each test program counted with the layer or tool it tests,
and the scripts under tools/ that CTest runs as tests.
Only files git tracks are counted, so a build folder or a stray file changes nothing.
"""

import argparse
import os
import re
import sys

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import figures  # noqa: E402

KINDS = (".cpp", ".h", ".py", ".sh")
LAYERS = ("platform", "xls", "catalogue", "estimate", "map", "elements", "gis", "site", "app", "cli")

# The test programs whose name is not the layer they test, by what they test.
TESTED_BY = {
    "tests/test_damaged_workbooks.cpp": "src/xls",
    "tests/test_data_check.cpp": "src/estimate",
    "tests/test_toxic.cpp": "src/estimate",
    "tests/test_report.cpp": "src/estimate",
    "tests/test_georaster.cpp": "src/map",
    "tests/test_gis_export.cpp": "src/gis",
    "tests/ui_windows.cpp": "src/app",
    "tests/test_output_transaction.cpp": "src/cli",
    "tests/test_bundled_data.cpp": "tools/workbooks",
    "tests/test_documents.cpp": "tools/documents",
    "tests/test_installed_upgrade.cpp": "src/platform",
    "tests/test_inventory.cpp": "src/site",
    "tests/test_site_outputs.cpp": "src/site",
    "tests/test_summary_pdf.cpp": "src/site",
    "tests/test_site_cli.cpp": "src/cli",
}
SHARED = "shared by the tests"  # test support, fuzz bodies, seed makers


def tools_run_as_tests():
    """The scripts under tools/ that the tests' CMake files run as tests."""
    named = set()
    for path in tracked_cmake_files("tests"):
        with open(os.path.join(figures.ROOT, path), encoding="utf-8") as cmake:
            named.update(re.findall(r"\$\{CMAKE_SOURCE_DIR\}/(tools/[^\s)]+)", cmake.read()))
    return named


def tracked_cmake_files(folder):
    listing = figures.run(["git", "ls-files", "-z", folder])
    return [path for path in listing.split("\0") if os.path.basename(path) == "CMakeLists.txt"]


def tracked_files():
    listing = figures.run(["git", "ls-files", "-z", "src", "tools", "bench", "tests"])
    return [path for path in listing.split("\0") if path.endswith(KINDS)]


def non_blank_lines(path):
    with open(os.path.join(figures.ROOT, path), encoding="utf-8", errors="replace") as source:
        return sum(1 for line in source if line.strip())


def part_of_code(path):
    """src/<layer>, tools/<folder> or bench."""
    top, _, rest = path.partition("/")
    if top == "bench" or "/" not in rest:
        return top
    return top + "/" + rest.split("/", 1)[0]


def part_tested(path):
    """What a file under tests/ tests: a part of the code, or SHARED."""
    if path in TESTED_BY:
        return TESTED_BY[path]
    name = os.path.splitext(os.path.basename(path))[0]
    if os.path.dirname(path) == "tests" and name.startswith("test_") and name[5:] in LAYERS:
        return "src/" + name[5:]
    return SHARED


def count():
    code, tests, unassigned = {}, {}, []
    tool_tests = tools_run_as_tests()
    for path in tracked_files():
        lines = non_blank_lines(path)
        if path.startswith("tests/"):
            part = part_tested(path)
            if part == SHARED and os.path.basename(path).startswith(("test_", "ui_")):
                unassigned.append(path)
            tests[part] = tests.get(part, 0) + lines
        elif path in tool_tests:
            part = part_of_code(path)
            tests[part] = tests.get(part, 0) + lines
        else:
            part = part_of_code(path)
            code[part] = code.get(part, 0) + lines
    return code, tests, unassigned


def ratio(tests, code):
    return "%.2f" % (tests / code) if code else "—"


def document(code, tests, unassigned):
    order = ["src/" + layer for layer in LAYERS]
    order += sorted(part for part in code if part.startswith("tools/"))
    text = figures.generated_notice("tools/docs/test_size.py")
    text += "# Test size\n\n"
    text += ("How large the tests are against the code they test, in non-blank lines of C++, Python and "
             "shell (`.cpp`, `.h`, `.py`, `.sh` tracked by git). Each test program counts for the layer or tool "
             "it tests, as does a script under `tools/` that CTest runs as a test; test support, fuzz bodies "
             "and seed makers are shared. What the ratio should be is in [testing.md](testing.md).\n\n")
    text += "- Date: %s\n- Commit: `%s`\n\n" % (figures.today(), figures.commit())
    text += "| Part | Code | Tests | Tests / code |\n|---|---|---|---|\n"
    for part in order:
        if part in code or part in tests:
            text += "| `%s/` | %d | %d | %s |\n" % (part, code.get(part, 0), tests.get(part, 0),
                                                   ratio(tests.get(part, 0), code.get(part, 0)))
    text += "| %s | | %d | |\n" % (SHARED, tests.get(SHARED, 0))
    src = sum(lines for part, lines in code.items() if part.startswith("src/"))
    src_and_tools = src + sum(lines for part, lines in code.items() if part.startswith("tools/"))
    all_tests = sum(tests.values())
    text += "| **`src/`** | %d | | |\n" % src
    text += "| **`src/` and `tools/`** | %d | **%d** | **%s** |\n" % (src_and_tools, all_tests,
                                                                   ratio(all_tests, src_and_tools))
    text += "| `bench/` (benchmarks, not tests) | %d | | |\n" % code.get("bench", 0)
    if unassigned:
        text += "\nTest programs counted as shared because the script does not know what they test: %s.\n" % (
            ", ".join("`%s`" % path for path in unassigned))
    return text


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--output", default=os.path.join(figures.ROOT, "docs", "test-size.md"))
    args = parser.parse_args()
    figures.write(args.output, document(*count()))


if __name__ == "__main__":
    main()
