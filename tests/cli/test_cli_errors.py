#!/usr/bin/env python3
"""ruvuzevodare-cli on wrong arguments and on files that are not what they seem."""
import os
import re
import subprocess
import sys
import tempfile
import unittest

CLI = sys.argv.pop(1) if len(sys.argv) > 1 else "build/bin/ruvuzevodare-cli"
# The Windows build runs through Wine: RZ_TEST_RUNNER="wine".
RUNNER = os.environ.get("RZ_TEST_RUNNER", "").split()

HISTORY = """date,n1,n2,n3,n4,n5,megaball,megaplier
2019-10-15,4,12,14,35,70,2,2
2019-10-18,18,58,60,65,67,20,3
2019-10-22,5,12,33,41,70,7,3
"""


def run(*args, timeout=60):
    p = subprocess.run([*RUNNER, CLI, *args], capture_output=True, text=True, timeout=timeout)
    return p.returncode, p.stdout, p.stderr


class CliErrorTest(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.TemporaryDirectory(dir=os.environ.get("RZ_TEST_TMP"))
        self.db = self.path("Ruvuzevodare.dat")
        self.csv = self.path("history.csv")
        with open(self.csv, "w", encoding="utf-8") as f:
            f.write(HISTORY)
        rc, _, err = run("import", self.csv, "--db", self.db)
        self.assertEqual(rc, 0, err)
        with open(self.db, "rb") as f:
            self.stored = f.read()

    def tearDown(self):
        self.dir.cleanup()

    def path(self, name):
        return os.path.join(self.dir.name, name)

    def assertDatabaseUnchanged(self):
        with open(self.db, "rb") as f:
            self.assertEqual(f.read(), self.stored)

    def test_unknown_options_and_stray_arguments_are_usage_errors(self):
        tips = self.path("t.qlt")
        with open(tips, "wb") as f:
            f.write(b"1,2,3,4,5,6,\r\n")
        cases = [
            (["lookup", "--db", self.db, "--date", "2019-10-22", "--dtae", "2019-01-01", "junk"], "--dtae"),
            (["lookup", "--db", self.db, "--date", "2019-10-22", "junk"], '"junk"'),
            (["import", self.csv, "--db", self.db, "--force", "yes"], "--force"),
            (["import", self.csv, "extra.csv", "--db", self.db], '"extra.csv"'),
            (["check", "--db", self.db, "--date", "2019-10-22", "--tips", tips, "--tip", tips], "--tip"),
            (["check", "--db", self.db, "--date", "2019-10-22", "--tips", tips, "more"], '"more"'),
            (["stats", "frequency", "--db", self.db, "--stat", "2019-01-01"], "--stat"),
            (["stats", "frequency", "pairs", "--db", self.db], '"pairs"'),
            (["generate", "--db", self.db, "--seed", "1", "--sed", "2"], "--sed"),
            (["generate", "--db", self.db, "--seed", "1", "stray"], '"stray"'),
            (["search", "--db", self.db, "--end", "2019-10-22", "--tips", tips, "--threshold", "1", "--treshold", "2"],
             "--treshold"),
            (["analyse-settings", "--db", self.db, "--from", "2019-10-15", "--seed", "1", "--form", "x"], "--form"),
            (["analyse-drawings", "--db", self.db, "--from", "2019-10-15", "--threshold", "1", "--set", "UpDown1=1"],
             "--set"),
            (["download", "--db", self.db, "--server", "http://127.0.0.1:9/", "--day", "2019-10-22"], "--day"),
            (["add", "--db", self.db, "--date", "2019-10-25", "--numbers", "1,2,3,4,5", "--megaball", "6", "x"], '"x"'),
            (["delete", "--db", self.db, "--date", "2019-10-22", "--all", "yes"], "--all"),
        ]
        for args, named in cases:
            rc, out, err = run(*args)
            self.assertEqual(rc, 2, args)
            self.assertEqual(out, "", args)
            self.assertIn(named, err, args)
            self.assertIn(args[0] + ":", err, args)
        self.assertDatabaseUnchanged()

    def test_steps_stop_at_either_end_of_the_file(self):
        rc, out, err = run("lookup", "--db", self.db, "--date", "2019-10-18",
                           "--prev", "2147483647", "--next", "2147483647", timeout=30)
        self.assertEqual(rc, 0, err)
        positions = out.splitlines()[2::3]
        # lookup 1; back to 0 and once more at 0; forward to 1, 2 and once more at 2
        self.assertEqual(positions, ["1", "0", "0", "1", "2", "2"])
        self.assertIn("--prev stopped at the first drawing after 2 of 2147483647 steps", err)
        self.assertIn("--next stopped at the last drawing after 3 of 2147483647 steps", err)
        # Counts that stay within the file print every step, as before.
        rc, out, err = run("lookup", "--db", self.db, "--date", "2019-10-22", "--prev", "2")
        self.assertEqual((rc, err), (0, ""))
        self.assertEqual(out.splitlines()[2::3], ["2", "1", "0"])

    def test_a_broken_end_of_the_database_is_named_on_stderr(self):
        rc, before, err = run("lookup", "--db", self.db, "--date", "2019-10-18")
        self.assertEqual((rc, err), (0, ""))
        with open(self.db, "ab") as f:
            f.write(b"\x01" * 6)
        for args in (["lookup", "--db", self.db, "--date", "2019-10-18"],
                     ["stats", "frequency", "--db", self.db, "--end", "2019-10-22"],
                     ["generate", "--db", self.db, "--seed", "1", "--end", "2019-10-22"]):
            rc, out, err = run(*args)
            self.assertEqual(rc, 0, args)
            self.assertIn("the last 6 bytes of", err, args)
            self.assertIn("are not a whole drawing", err, args)
        rc, out, _ = run("lookup", "--db", self.db, "--date", "2019-10-18")
        self.assertEqual(out, before)  # the whole drawings read as before

    # (The Windows build refuses NUL, CON and the like: PlatformFiles in the core tests.)
    @unittest.skipIf(os.name != "posix" or CLI.endswith(".exe"), "POSIX pipes and devices")
    def test_pipes_and_devices_are_refused_at_once(self):
        fifo = self.path("pipe.csv")
        os.mkfifo(fifo)
        for source in (fifo, "/dev/zero"):
            rc, out, err = run("import", source, "--db", self.db, timeout=20)
            self.assertEqual(rc, 1, source)
            self.assertIn("keine gewöhnliche Datei", err, source)
        rc, _, err = run("lookup", "--db", fifo, "--date", "2019-10-18", timeout=20)
        self.assertNotEqual(rc, 0)
        self.assertDatabaseUnchanged()

    def test_a_file_that_is_no_database_is_left_alone(self):
        readme = self.path("README.md")
        text = b"# A program\n\nIt keeps a local file of past drawings and shows statistics of them.\n"
        with open(readme, "wb") as f:
            f.write(text)
        # Said in the chosen language: built-in German, English, Russian.
        for lang, words in ((None, "ist keine Ziehungsdatenbank"), ("2", "is not a drawing database"),
                            ("6", "не является базой тиражей")):
            with self.subTest(lang=lang):
                rc, out, err = run("import", self.csv, "--db", readme, *(["--lang", lang] if lang else []))
                self.assertEqual(rc, 1)
                self.assertIn(words, err)
                with open(readme, "rb") as f:
                    self.assertEqual(f.read(), text)

    def test_impossible_lines_are_skipped_with_the_reason(self):
        bad = self.path("bad.csv")
        with open(bad, "w", encoding="utf-8") as f:
            f.write("date,n1,n2,n3,n4,n5,megaball,megaplier\n"
                    "2024-01-02,1,2,3,4,75,52,2\n"
                    "9999-12-31,1,2,3,4,5,6,2\n"
                    "2019-10-25,16,24,25,52,60,6,3\n")
        rc, out, err = run("import", bad, "--db", self.db)
        self.assertEqual(rc, 0, err)
        self.assertEqual(out.splitlines(), [
            "1 Ziehungen importiert, 0 ersetzt, 2 Zeilen übersprungen (Zeilen 2, 3)",
            "Zeile 2: Hauptzahl 75 liegt nicht in 1–70 (Spielformat 5/70 + 1/25 am 02.01.2024)",
            "Zeile 3: Datum 31.12.9999 liegt nach dem heutigen Tag",
        ])


    def test_every_command_has_its_own_help(self):
        rc, usage, _ = run("--help")
        self.assertEqual(rc, 0)
        commands = [line.split()[0] for line in usage.splitlines()[1:] if re.match(r"  [a-z]", line)]
        self.assertIn("analyse-drawings", commands)
        for command in commands:
            rc, out, err = run(command, "--help")
            self.assertEqual((rc, err), (0, ""), command)
            self.assertTrue(out.startswith("usage: ruvuzevodare-cli " + command + " "), out)
            self.assertIn(out.splitlines()[0][len("usage: ruvuzevodare-cli"):], usage, command)

    def test_an_option_without_its_value_is_a_usage_error(self):
        rc, out, err = run("lookup", "--date", "2019-10-22", "--db")
        self.assertEqual((rc, out), (2, ""))
        self.assertIn("--db", err)
        self.assertIn("needs a value", err)

    def test_output_that_cannot_be_written_is_a_failure(self):
        if not os.path.exists("/dev/full"):
            self.skipTest("no /dev/full here")
        for args in (["lookup", "--db", self.db, "--date", "2019-10-22"], ["--help"]):
            with open("/dev/full", "w") as full:
                p = subprocess.run([*RUNNER, CLI, *args], stdout=full, stderr=subprocess.PIPE, text=True, timeout=60)
            self.assertEqual(p.returncode, 1, args)
            self.assertIn("cannot write the output", p.stderr, args)


class TrustTest(unittest.TestCase):
    """Files that are not what the command needs, the game's ranges on a date, and the
    small manners of the programs (help, version, errors on stderr)."""

    def setUp(self):
        self.dir = tempfile.TemporaryDirectory(dir=os.environ.get("RZ_TEST_TMP"))
        self.db = self.path("Ruvuzevodare.dat")
        self.csv = self.path("history.csv")
        with open(self.csv, "w", encoding="utf-8") as f:
            f.write(HISTORY)
        rc, _, err = run("import", self.csv, "--db", self.db)
        self.assertEqual(rc, 0, err)
        with open(self.db, "rb") as f:
            self.stored = f.read()

    def tearDown(self):
        self.dir.cleanup()

    def path(self, name):
        return os.path.join(self.dir.name, name)

    def write(self, name, data):
        with open(self.path(name), "wb") as f:
            f.write(data)
        return self.path(name)

    def test_a_file_that_is_no_tip_file_is_refused_and_checks_nothing(self):
        import random
        refused = {
            "history.qlt": HISTORY.encode(),                       # a CSV renamed
            "random.qlt": random.Random(31).randbytes(4096),     # random bytes
            "printout.qlt": " 1. Quendrals Lotto-Tipp für :  5   17   33   41   62   MegaBall:  9\r\n".encode(),
        }
        for name, data in refused.items():
            path = self.write(name, data)
            for lang, words in ((None, "ist keine Tippdatei"), ("2", "is not a tip file")):
                with self.subTest(name=name, lang=lang):
                    rc, out, err = run("check", "--db", self.db, "--date", "2019-10-22", "--tips", path,
                                       *(["--lang", lang] if lang else []))
                    self.assertEqual((rc, out), (1, ""))
                    self.assertIn(words, err)
                    self.assertIn(path, err)
                    self.assertTrue(err.startswith("ruvuzevodare-cli: "), err)
            rc, out, err = run("search", "--db", self.db, "--end", "2019-10-22", "--tips", path, "--threshold", "9")
            self.assertEqual((rc, out), (1, ""), name)
            self.assertIn("ist keine Tippdatei", err)
        # Odd rows among tip rows, a lone odd row, blank lines and an empty file still load
        # as the load reads them.
        loaded = {
            b"07,8,x,80,5,26,3\r\n1,2,3,4,5,6,7,8\r\n1,2,3\r\n": "7,8,,,5,,3",
            b"71,72,0,-1,5,26,26\r\n5,12,33,41,70,7,\r\n": ",,,,5,,",
            b"07,8,x,80,5,26,3\r\n": "7,8,,,5,,3",
            b"\r\n\r\n5,12,33,41,70,7,\r\n": ",,,,,,",
            b",,,,,,7\r\n": ",,,,,,7",
            b"": ",,,,,,",
        }
        for data, first in loaded.items():
            with self.subTest(data=data):
                rc, out, err = run("check", "--db", self.db, "--date", "2019-10-22", "--tips", self.write("ok.qlt", data))
                self.assertEqual(rc, 0, err)
                self.assertEqual(out.splitlines()[0].split("\t")[0], first)

    def test_a_file_that_is_no_drawing_database_is_an_error(self):
        for lang, words in ((None, "ist keine Ziehungsdatenbank"), ("2", "is not a drawing database")):
            rc, out, err = run("lookup", "--db", self.csv, "--date", "2019-10-22", *(["--lang", lang] if lang else []))
            self.assertEqual((rc, out), (1, ""))
            self.assertIn(words, err)
            # The file by its full path (on Windows with the drive and the system's separator).
            self.assertIn(os.path.basename(self.csv), err)
        tips = self.write("t.qlt", b"5,12,33,41,70,7,\r\n")
        for args in (["check", "--date", "2019-10-22", "--tips", tips], ["stats", "frequency"],
                     ["generate", "--seed", "1"], ["search", "--end", "2019-10-22", "--tips", tips, "--threshold", "9"],
                     ["analyse-drawings", "--from", "2019-10-15", "--threshold", "9", "--today", "2019-10-26"],
                     ["add", "--date", "2019-10-25", "--numbers", "1,2,3,4,5", "--megaball", "6"],
                     ["delete", "--date", "2019-10-22"]):
            with self.subTest(args[0]):
                rc, out, err = run(*args, "--db", self.csv)
                self.assertEqual((rc, out), (1, ""))
                self.assertIn("ist keine Ziehungsdatenbank", err)
        with open(self.csv, encoding="utf-8") as f:
            self.assertEqual(f.read(), HISTORY)
        # Random bytes whose dates are no dates, too.
        import random
        noise = self.write("noise.dat", random.Random(5).randbytes(32 * 40))
        rc, out, err = run("lookup", "--db", noise, "--date", "2019-10-22")
        self.assertEqual((rc, out), (1, ""), err)
        rc, out, err = run("lookup", "--db", self.db, "--date", "2019-10-22")
        self.assertEqual((rc, err), (0, ""))

    def test_the_megaball_range_follows_the_date_of_the_drawing(self):
        cases = [
            # date, megaball, accepted
            ("2025-04-08", "25", False),   # the first drawing of the 1..24 game
            ("2026-12-11", "25", False),
            ("2025-04-08", "24", True),
            ("2025-04-04", "25", True),    # the last drawing of the 1..25 game
            ("2016-06-03", "15", True),    # 1..15 from October 2013 to October 2017
            ("2016-06-03", "16", False),
            ("2010-06-01", "40", True),    # 1..46 from June 2005
        ]
        for date, mb, accepted in cases:
            with self.subTest(date=date, mb=mb):
                rc, out, err = run("add", "--db", self.db, "--date", date, "--numbers", "1,2,3,4,5", "--megaball", mb,
                                   "--lang", "2")
                if accepted:
                    self.assertEqual(rc, 0, err)
                else:
                    self.assertEqual((rc, out), (2, ""))
                    self.assertIn("ruvuzevodare-cli: MegaBall %s is not in 1–" % mb, err)
        with open(self.db, "rb") as f:
            self.assertEqual(len(f.read()), len(self.stored) + 32 * 4)
        # The importer skips such lines with the reason.
        bad = self.path("mb.csv")
        with open(bad, "w", encoding="utf-8") as f:
            f.write("date,n1,n2,n3,n4,n5,megaball,megaplier\n2025-04-11,1,2,3,4,5,25,\n2025-04-01,1,2,3,4,5,25,2\n")
        rc, out, err = run("import", bad, "--db", self.db)
        self.assertEqual(rc, 0, err)
        self.assertEqual(out.splitlines(), [
            "1 Ziehungen importiert, 0 ersetzt, 1 Zeilen übersprungen (Zeilen 2)",
            "Zeile 2: MegaBall 25 liegt nicht in 1–24 (Spielformat 5/70 + 1/24, ohne Megaplier am 11.04.2025)",
        ])

    def test_help_and_version_and_errors_on_stderr(self):
        rc, usage, err = run("help")
        self.assertEqual((rc, err), (0, ""))
        self.assertTrue(usage.startswith("usage: ruvuzevodare-cli COMMAND"))
        self.assertEqual(run("--help"), (0, usage, ""))
        rc, out, err = run("--version")
        self.assertEqual((rc, err), (0, ""))
        self.assertRegex(out, r"^ruvuzevodare-cli \d+\.\d+\n$")
        # A failed import says why on stderr, with the program's name, and nothing on stdout.
        unknown = self.path("unknown.csv")
        with open(unknown, "w", encoding="utf-8") as f:
            f.write("Datum;Zahlen\n01.02.2019;1 2 3 4 5\n")
        rc, out, err = run("import", unknown, "--db", self.db)
        self.assertEqual((rc, out), (1, ""))
        self.assertTrue(err.startswith("ruvuzevodare-cli: Import abgebrochen"), err)
        # The refused entry of a date after today carries the name too.
        rc, out, err = run("add", "--db", self.db, "--date", "2099-01-01", "--numbers", "1,2,3,4,5", "--megaball", "6")
        self.assertEqual((rc, out), (2, ""))
        self.assertTrue(err.startswith("ruvuzevodare-cli: Die Ziehung vom 01.01.2099 liegt nach dem heutigen Tag"), err)
        with open(self.db, "rb") as f:
            self.assertEqual(f.read(), self.stored)

    @unittest.skipIf(RUNNER or CLI.endswith(".exe"), "the server of this build beside the command line")
    def test_the_servers_usage_errors_name_the_one_problem(self):
        server = os.path.join(os.path.dirname(os.path.abspath(CLI)), "ruvuzevodare-server")
        for args, problem in ((["--db", self.db, "--port", "x"], "--port needs a number 0..65535: x"),
                              (["--db", self.db, "--colour"], 'unknown argument "--colour"'),
                              ([], "--db FILE is required")):
            p = subprocess.run([server, *args], capture_output=True, text=True, timeout=30)
            self.assertEqual((p.returncode, p.stdout), (2, ""), args)
            self.assertEqual(p.stderr.splitlines(), ["ruvuzevodare-server: " + problem,
                                                     "Try 'ruvuzevodare-server --help' for the options."])


if __name__ == "__main__":
    unittest.main()
