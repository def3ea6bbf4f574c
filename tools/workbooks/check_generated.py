#!/usr/bin/python3
"""Checks that the committed bundled workbooks and test drives are exactly what the generators make.

    /usr/bin/python3 tools/workbooks/check_generated.py     # exit 1 naming every file that differs
"""

import sys
sys.dont_write_bytecode = True  # keep the source tree clean when run from the tests

import os
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

import make_test_drives  # noqa: E402
import make_workbooks  # noqa: E402


def main():
    if make_workbooks.run_check() != 0:
        return 1
    with tempfile.TemporaryDirectory() as tmp:
        make_test_drives.generate_all(tmp)
        failures = make_workbooks.compare_trees(tmp, make_test_drives.DRIVES)
    for rel in failures:
        print("differs from what the generator makes: " + os.path.join(make_test_drives.DRIVES, rel))
    if failures:
        print("run tools/workbooks/make_test_drives.py, then commit")
        return 1
    print("test drives are what the generator makes")
    return 0


if __name__ == "__main__":
    sys.exit(main())
