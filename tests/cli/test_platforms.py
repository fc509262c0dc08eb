#!/usr/bin/env python3
"""The Linux and the Windows build of ruvuzevodare-cli give the same bytes for the same
input, and each build's download reads from the other build's data server.

usage: test_platforms.py LINUX_BIN_DIR WINDOWS_BIN_DIR   (RZ_TEST_RUNNER: how to start a
Windows program here, e.g. "wine")"""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
LINUX_DIR = os.path.abspath(sys.argv.pop(1)) if len(sys.argv) > 2 else "build/bin"
WINDOWS_DIR = os.path.abspath(sys.argv.pop(1)) if len(sys.argv) > 1 else "build-win/bin"
RUNNER = os.environ.get("RZ_TEST_RUNNER", "").split()
HISTORY = os.path.join(HERE, "..", "..", "data", "history", "megamillions.csv")

BUILDS = {
    "linux": ([], os.path.join(LINUX_DIR, "ruvuzevodare-")),
    "windows": (RUNNER, os.path.join(WINDOWS_DIR, "ruvuzevodare-")),
}


def command(build, program, *args):
    runner, prefix = BUILDS[build]
    return [*runner, prefix + program + (".exe" if build == "windows" else ""), *args]


TIPS = (b"70,5,9,33,1,7,\r\n4,12,14,35,70,2,\r\n1,2,3,4,5,6,\r\n"
        b"18,58,60,65,67,20,\r\n10,20,30,40,50,10,\r\n")

# Every run in a folder of its own holding Ruvuzevodare.dat (imported from the
# repository's history) and t.qlt; paths are given relative to it, so that both
# builds see the same arguments.
RUNS = [
    ["lookup", "--db", "Ruvuzevodare.dat", "--date", "2019-10-20", "--prev", "3", "--next", "2"],
    ["lookup", "--db", "Ruvuzevodare.dat", "--date", "2024-02-29", "--lang", "2"],
    ["lookup", "--db", "Ruvuzevodare.dat", "--date", "2003-01-01", "--lang", "6"],
    ["lookup", "--db", "Ruvuzevodare.dat", "--date", "2030-01-01"],
    ["check", "--db", "Ruvuzevodare.dat", "--date", "2019-10-22", "--tips", "t.qlt"],
    ["check", "--db", "Ruvuzevodare.dat", "--date", "2025-04-01", "--tips", "t.qlt", "--lang", "8"],
    *[["stats", kind, "--db", "Ruvuzevodare.dat", "--start", "2017-10-31", "--end", "2026-01-01"]
      for kind in ("frequency", "overdue", "megaball", "megaball-overdue", "pairs", "triples", "quads", "sums")],
    ["stats", "frequency", "--db", "Ruvuzevodare.dat", "--lang", "3"],
    ["generate", "--db", "Ruvuzevodare.dat", "--seed", "1234", "--end", "2026-08-07"],
    ["generate", "--db", "Ruvuzevodare.dat", "--seed", "7", "--start", "2019-01-01", "--end", "2025-12-31",
     "--set", "Chekcbox3=1", "--set", "Chekcbox22=1", "--set", "UpDown8=5", "--lock", "2=1,02,3,4,5,6,7"],
    ["search", "--db", "Ruvuzevodare.dat", "--end", "2026-08-07", "--tips", "t.qlt", "--threshold", "2",
     "--start", "2018-01-01"],
    ["search", "--db", "Ruvuzevodare.dat", "--end", "2026-08-07", "--tips", "t.qlt", "--threshold", "3",
     "--set", "Chekcbox31=1"],
    ["analyse-drawings", "--db", "Ruvuzevodare.dat", "--from", "2024-01-01", "--threshold", "2",
     "--today", "2026-08-08"],
    ["analyse-settings", "--db", "Ruvuzevodare.dat", "--from", "2025-06-01", "--seed", "77",
     "--today", "2026-08-08", "--set", "UpDown8=2"],
    # Wrong input: the same message and exit code.
    ["lookup", "--db", "missing.dat", "--date", "2019-10-20"],
    ["check", "--db", "Ruvuzevodare.dat", "--date", "2019-13-40", "--tips", "t.qlt"],
    ["frobnicate"],
]


class SameBytesOnBothSystems(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.TemporaryDirectory(dir=os.environ.get("RZ_TEST_TMP"))
        self.dirs = {}
        for build in BUILDS:
            d = os.path.join(self.tmp.name, build)
            os.mkdir(d)
            with open(os.path.join(d, "t.qlt"), "wb") as f:
                f.write(TIPS)
            self.dirs[build] = d

    def tearDown(self):
        self.tmp.cleanup()

    def run_in(self, build, *args):
        for attempt in (1, 2):
            p = subprocess.run(command(build, "cli", *args), cwd=self.dirs[build], capture_output=True, timeout=300)
            # The program never fails without saying why; an exit code 1 with
            # nothing on stderr is Wine failing to start it (seen once under
            # load on a fresh Wine prefix): that run is tried once more.
            if build == "windows" and p.returncode == 1 and not p.stderr and attempt == 1:
                print("Wine ended a run with 1 and said nothing; once more:", " ".join(args), file=sys.stderr)
                continue
            return p.returncode, p.stdout, p.stderr

    def test_same_output_and_files(self):
        imported = {}
        for build in BUILDS:
            imported[build] = self.run_in(build, "import", HISTORY, "--db", "Ruvuzevodare.dat")
            self.assertEqual(imported[build][0], 0, imported[build][2])
        self.assertEqual(imported["linux"], imported["windows"])
        with open(os.path.join(self.dirs["linux"], "Ruvuzevodare.dat"), "rb") as a, \
                open(os.path.join(self.dirs["windows"], "Ruvuzevodare.dat"), "rb") as b:
            self.assertEqual(a.read(), b.read(), "the imported databases differ")
        for args in RUNS:
            with self.subTest(args=" ".join(args)):
                linux = self.run_in("linux", *args)
                windows = self.run_in("windows", *args)
                self.assertEqual(linux[0], windows[0], (linux[2], windows[2]))
                self.assertEqual(linux[1], windows[1])
                # A message may name a file by its full path: Wine's drive Z: is the root folder,
                # and each build runs in a folder of its own.
                windows_err = re.sub(rb"Z:(\\[^\s]*)", lambda m: m.group(1).replace(b"\\", b"/"), windows[2])
                self.assertEqual(linux[2].replace(self.dirs["linux"].encode(), b"<folder>"),
                                 windows_err.replace(self.dirs["windows"].encode(), b"<folder>"))
                if args[0] not in ("frobnicate",) and "missing.dat" not in args and "2019-13-40" not in args:
                    self.assertEqual(linux[0], 0, linux[2])
                    self.assertTrue(linux[1], "no output")
        # The changes the commands made: the database of the one is the other's.
        for args in (["add", "--db", "Ruvuzevodare.dat", "--date", "2026-08-11", "--numbers", "1,2,3,4,5",
                      "--megaball", "6", "--megaplier", "3"],
                     ["delete", "--db", "Ruvuzevodare.dat", "--date", "2019-10-22"]):
            self.assertEqual(self.run_in("linux", *args), self.run_in("windows", *args))
        with open(os.path.join(self.dirs["linux"], "Ruvuzevodare.dat"), "rb") as a, \
                open(os.path.join(self.dirs["windows"], "Ruvuzevodare.dat"), "rb") as b:
            self.assertEqual(a.read(), b.read(), "the changed databases differ")


class ProgramFolderWithForeignLetters(unittest.TestCase):
    """A portable program in a folder whose name is outside every ANSI code page: both
    builds find their folder, keep their drawing file there and say the same."""

    FOLDER = "Prögramm 中文 Ünï"

    def setUp(self):
        self.tmp = tempfile.TemporaryDirectory(dir=os.environ.get("RZ_TEST_TMP"))
        self.programs = {}
        for build in BUILDS:
            folder = os.path.join(self.tmp.name, build, self.FOLDER)
            os.makedirs(folder)
            source = command(build, "cli")[-1]
            shutil.copy2(source, folder)
            self.programs[build] = os.path.join(folder, os.path.basename(source))

    def tearDown(self):
        self.tmp.cleanup()

    def run_cli(self, build, *args):
        runner, _ = BUILDS[build]
        for attempt in (1, 2):
            p = subprocess.run([*runner, self.programs[build], *args], cwd=self.tmp.name,
                               capture_output=True, timeout=300)
            if build == "windows" and p.returncode == 1 and not p.stderr and attempt == 1:
                continue
            return p

    def comparable(self, build, text):
        folder = os.path.dirname(self.programs[build]).encode()
        if build == "windows":
            # Wine's drive Z: is the root folder; the folder is named with the system's separator.
            text = re.sub(rb"Z:(\\[^\r\n]*)", lambda m: m.group(1).replace(b"\\", b"/"), text)
        return text.replace(folder, b"<folder>")

    def test_files_stay_in_the_program_folder(self):
        results = {}
        for build in BUILDS:
            where = self.run_cli(build, "where")
            self.assertEqual(where.returncode, 0, where.stderr)
            self.assertIn(b"layout: portable", where.stdout)
            imported = self.run_cli(build, "import", HISTORY)
            self.assertEqual(imported.returncode, 0, imported.stderr)
            looked_up = self.run_cli(build, "lookup", "--date", "2019-10-20")
            self.assertEqual(looked_up.returncode, 0, looked_up.stderr)
            self.assertTrue(os.path.isfile(os.path.join(os.path.dirname(self.programs[build]), "Ruvuzevodare.dat")),
                            build + ": the drawing file is not in the program folder")
            results[build] = [self.comparable(build, p.stdout) for p in (where, imported, looked_up)]
        self.assertIn(b"drawing file: <folder>/Ruvuzevodare.dat", results["linux"][0])
        self.assertEqual(results["linux"], results["windows"])


class DownloadAcrossSystems(unittest.TestCase):
    """The server of the one build serves, the download of the other reads."""

    def setUp(self):
        self.tmp = tempfile.TemporaryDirectory(dir=os.environ.get("RZ_TEST_TMP"))
        self.csv = self.path("in.csv")
        with open(HISTORY, encoding="utf-8") as f:
            lines = f.read().splitlines(True)
        # The full history, and a copy without its last ten drawings.
        with open(self.csv, "w", encoding="utf-8") as f:
            f.write("".join(lines))
        self.assertEqual(subprocess.run(command("linux", "cli", "import", self.csv, "--db", self.path("full.dat")),
                                        capture_output=True).returncode, 0)
        with open(self.csv, "w", encoding="utf-8") as f:
            f.write("".join(lines[:-10]))
        self.last = lines[-1].split(",")[0]

    def tearDown(self):
        self.tmp.cleanup()

    def path(self, name):
        return os.path.join(self.tmp.name, name)

    def across(self, server_build, client_build):
        part = self.path("part-%s.dat" % client_build)
        p = subprocess.run(command(client_build, "cli", "import", self.csv, "--db", part), capture_output=True)
        self.assertEqual(p.returncode, 0, p.stderr)
        log = open(self.path("server.log"), "wb")
        server = subprocess.Popen(command(server_build, "server", "--db", self.path("full.dat"), "--port", "0"),
                                  stdout=subprocess.PIPE, stderr=log)
        try:
            url = server.stdout.readline().decode().strip()
            self.assertRegex(url, r"^http://127\.0\.0\.1:\d+$")
            p = subprocess.run(command(client_build, "cli", "download", "--db", part, "--server", url,
                                       "--today", "2026-08-08"), capture_output=True, timeout=300)
        finally:
            server.terminate()
            server.wait(timeout=30)
            server.stdout.close()
            log.close()
        self.assertEqual(p.returncode, 0, p.stderr)
        out = p.stdout.decode()
        self.assertIn("drawings added: 10\n", out)
        self.assertIn("last drawing: %s\n" % self.last, out)
        self.assertIn("status: HTTP/1.1 200 OK\n", out)
        with open(part, "rb") as a, open(self.path("full.dat"), "rb") as b:
            self.assertEqual(a.read(), b.read())
        return p.stdout, p.stderr

    def test_windows_server_linux_download_and_back(self):
        linux_client = self.across("windows", "linux")
        windows_client = self.across("linux", "windows")
        self.assertEqual(linux_client, windows_client)


if __name__ == "__main__":
    unittest.main(verbosity=2)
