#!/usr/bin/env python3
"""The window program's command line: --help and --version answer on stdout and end
without a display, and without reading or creating any file of the program."""
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

PROGRAM = sys.argv.pop(1) if len(sys.argv) > 1 else "build/bin/RuvuZevodare"


def tree(folder):
    """Every file and folder below `folder`, as paths relative to it."""
    found = set()
    for root, dirs, files in os.walk(folder):
        for name in dirs + files:
            found.add(os.path.relpath(os.path.join(root, name), folder))
    return found


class InfoOptions(unittest.TestCase):
    def setUp(self):
        base = os.environ.get("RZ_TEST_TMP") or None
        if base:
            os.makedirs(base, exist_ok=True)
        self.scratch = tempfile.mkdtemp(prefix="rz-gui-cli-", dir=base)
        # The program alone in a folder it may write to: started for real it
        # would take that folder as its home (portable) and create its files there.
        self.bin = os.path.join(self.scratch, "bin")
        os.makedirs(self.bin)
        self.program = os.path.join(self.bin, os.path.basename(PROGRAM))
        shutil.copy2(PROGRAM, self.program)
        self.home = os.path.join(self.scratch, "home")
        self.cwd = os.path.join(self.scratch, "cwd")
        for d in (self.home, self.cwd):
            os.makedirs(d)
        self.env = {
            "PATH": os.environ.get("PATH", "/usr/bin:/bin"),
            "HOME": self.home,
            "XDG_CONFIG_HOME": os.path.join(self.home, "config"),
            "XDG_DATA_HOME": os.path.join(self.home, "data"),
            "XDG_CACHE_HOME": os.path.join(self.home, "cache"),
            "XDG_RUNTIME_DIR": os.path.join(self.home, "runtime"),
            # No display at all: a window could not open.
        }
        self.before = tree(self.scratch)

    def tearDown(self):
        shutil.rmtree(self.scratch, ignore_errors=True)

    def run_program(self, *args):
        return subprocess.run([self.program, *args], cwd=self.cwd, env=self.env, capture_output=True,
                              text=True, timeout=60)

    def test_help_and_version_print_and_create_nothing(self):
        cases = [
            (["--help"], "Usage:"),
            (["-h"], "Usage:"),
            (["--version"], "RuvuZevodare 2.6"),
            (["-v"], "RuvuZevodare 2.6"),
            (["--quit-after-start", "--help"], "Usage:"),  # asked for help: nothing else runs
        ]
        for args, expected in cases:
            with self.subTest(args=args):
                p = self.run_program(*args)
                self.assertEqual(p.returncode, 0, p.stderr)
                self.assertIn(expected, p.stdout)
                self.assertEqual(p.stderr, "")
                self.assertEqual(tree(self.scratch), self.before, "files were created")

    def test_help_names_the_options(self):
        out = self.run_program("--help").stdout
        for option in ("--help", "--version", "--write-component-list", "--quit-after-start"):
            self.assertIn(option, out)
        self.assertEqual(self.run_program("--version").stdout, "RuvuZevodare 2.6\n")


if __name__ == "__main__":
    unittest.main()
