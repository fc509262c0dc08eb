#!/usr/bin/env python3
"""End-to-end checks of ruvuzevodare-cli on a small fixture history."""
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

CLI = sys.argv.pop(1) if len(sys.argv) > 1 else "build/bin/ruvuzevodare-cli"
# The Windows build runs through Wine: RZ_TEST_RUNNER="wine".
RUNNER = os.environ.get("RZ_TEST_RUNNER", "").split()
WINDOWS = CLI.endswith(".exe")


def shown_path(path):
    """An absolute path as the program names it: under Wine the root folder is drive Z:."""
    return "Z:" + path.replace("/", "\\") if WINDOWS else path

HISTORY = """date,n1,n2,n3,n4,n5,megaball,megaplier
2019-10-15,4,12,14,35,70,2,2
2019-10-18,18,58,60,65,67,20,3
2019-10-22,5,12,33,41,70,7,3
2019-10-25,16,24,25,52,60,6,3
"""


def run(*args):
    p = subprocess.run([*RUNNER, CLI, *args], capture_output=True, text=True, timeout=120)
    return p.returncode, p.stdout, p.stderr


def run_bytes(*args):
    p = subprocess.run([*RUNNER, CLI, *args], capture_output=True, timeout=120)
    return p.returncode, p.stdout, p.stderr.decode("utf-8", "replace")


class CliTest(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.TemporaryDirectory(dir=os.environ.get("RZ_TEST_TMP"))
        self.db = os.path.join(self.dir.name, "Ruvuzevodare.dat")
        csv = os.path.join(self.dir.name, "history.csv")
        with open(csv, "w", encoding="utf-8") as f:
            f.write(HISTORY)
        rc, out, err = run("import", csv, "--db", self.db)
        self.assertEqual(rc, 0, err)
        self.assertIn("4 Ziehungen importiert, 0 ersetzt, 0 Zeilen übersprungen", out)

    def tearDown(self):
        self.dir.cleanup()

    def test_without_db_the_drawing_file_beside_a_portable_program(self):
        # A copy of the program in a folder of its own is portable: without
        # --db every command uses the drawing file beside it.
        folder = os.path.join(self.dir.name, "portable")
        os.mkdir(folder)
        cli = shutil.copy(CLI, folder)
        csv = os.path.join(self.dir.name, "history.csv")
        p = subprocess.run([*RUNNER, cli, "where"], capture_output=True, text=True, timeout=60)
        self.assertEqual(p.returncode, 0, p.stderr)
        beside = os.path.join(folder, "Ruvuzevodare.dat")
        self.assertIn("layout: portable", p.stdout.splitlines())
        self.assertIn("drawing file: " + shown_path(beside), p.stdout.splitlines())
        p = subprocess.run([*RUNNER, cli, "import", csv], capture_output=True, text=True, timeout=60)
        self.assertEqual(p.returncode, 0, p.stderr)
        with open(beside, "rb") as a, open(self.db, "rb") as b:
            self.assertEqual(a.read(), b.read())
        p = subprocess.run([*RUNNER, cli, "lookup", "--date", "2019-10-20"], capture_output=True, text=True, timeout=60)
        self.assertEqual((p.returncode, p.stdout), run("lookup", "--db", self.db, "--date", "2019-10-20")[:2])
        # The test of the folder leaves no file behind.
        self.assertEqual([n for n in os.listdir(folder) if n.startswith(".rz-write-test")], [])

    def test_lookup_and_steps(self):
        rc, out, _ = run("lookup", "--db", self.db, "--date", "2019-10-20", "--next", "1", "--prev", "2")
        self.assertEqual(rc, 0)
        lines = out.splitlines()
        self.assertEqual(lines[0:3], ["Di 22.10.19    5  12  33  41  70 MB:7 MP:3", "Quersumme: 161", "2"])
        self.assertEqual(lines[5], "3")
        self.assertEqual(lines[-1], "1")
        self.assertEqual(len(lines), 12)

    def test_check_scores_the_example_row(self):
        tips = os.path.join(self.dir.name, "t.qlt")
        with open(tips, "wb") as f:
            f.write(b"70,5,9,33,1,7,\r\n1,2,x\r\n")
        rc, out, _ = run("check", "--db", self.db, "--date", "2019-10-22", "--tips", tips)
        self.assertEqual(rc, 0)
        lines = out.splitlines()
        self.assertEqual(lines[0], "1,5,9,33,70,7,\t118\t3 + MB")
        self.assertEqual(lines[1], "1,2,,,,,\t\t")
        self.assertEqual(lines[-1], "score 301")

    def test_stats_prints_table_range_and_title(self):
        rc, out, _ = run("stats", "frequency", "--db", self.db, "--start", "2019-10-18", "--end", "2019-10-22")
        self.assertEqual(rc, 0)
        lines = out.splitlines()
        self.assertEqual(len(lines), 72)
        self.assertEqual(lines[11], "12 1")
        self.assertEqual(lines[69], "70 1")
        self.assertEqual(lines[70], "range 0 1")
        self.assertEqual(lines[71], "title Zahlenverteilung     Ziehungen: 2    Quersumme: 214")  # 429 / 2 = 214.5, halves to even

    def test_generate_is_reproducible(self):
        args = ["generate", "--db", self.db, "--seed", "99", "--start", "2019-01-01", "--end", "2019-10-25",
                "--set", "Chekcbox9=0", "--set", "UpDown8=3"]
        rc1, out1, _ = run(*args)
        rc2, out2, _ = run(*args)
        self.assertEqual((rc1, rc2), (0, 0))
        self.assertEqual(out1, out2)
        lines = out1.splitlines()
        self.assertEqual(len(lines), 14)
        for row in lines[0:3]:
            self.assertEqual(len([f for f in row.split(",")[0:6] if f]), 6, row)
        self.assertTrue(all(r == ",,,,,," for r in lines[3:12]))
        self.assertTrue(lines[12].startswith("attempts "))
        self.assertEqual(lines[13], "message 59")

    def test_generate_keeps_locked_rows(self):
        rc, out, _ = run("generate", "--db", self.db, "--seed", "1", "--end", "2019-10-25",
                         "--lock", "2=1,02,3,4,5,6,7", "--set", "UpDown8=1")
        self.assertEqual(rc, 0)
        self.assertEqual(out.splitlines()[1], "1,2,3,4,5,6,7")

    def test_change_applies_the_coupling_of_the_settings_page(self):
        # --change MinOverlap 3 after MaxOverlap 0 stops at 0, as on the settings
        # page; --set takes stored values as given, so no second row passes.
        common = ["generate", "--db", self.db, "--seed", "5", "--end", "2019-10-25",
                  "--set", "Chekcbox3=1", "--set", "Chekcbox22=1", "--set", "UpDown8=3", "--set", "UpDown7=50"]
        rc, out, _ = run(*common, "--change", "UpDown3=0", "--change", "UpDown9=3")
        self.assertEqual(rc, 0)
        lines = out.splitlines()
        for row in lines[0:3]:
            self.assertEqual(len([f for f in row.split(",")[0:6] if f]), 6, row)
        self.assertEqual(lines[-1], "message 59")
        rc, out, _ = run(*common, "--set", "UpDown3=0", "--set", "UpDown9=3")
        self.assertEqual(rc, 0)
        lines = out.splitlines()
        self.assertEqual(lines[1], ",,,,,,")
        self.assertEqual(lines[-1], "message 58")

    def write_tips(self, content):
        path = os.path.join(self.dir.name, "search.qlt")
        with open(path, "wb") as f:
            f.write(content)
        return path

    def test_search_prints_each_stop_and_the_captions_at_the_end(self):
        # Row 1 holds three numbers and the MegaBall of 22 Oct, row 2 all of it.
        tips = self.write_tips(b"70,5,9,33,1,7,\r\n5,12,33,41,70,7,\n")
        cases = [
            # (end, threshold, extra options, stdout)
            ("2019-10-25", "5", [], "2019-10-22 2 5 + MB\nend|0|0|0|0|0|0|0|0|0|0|0|0\n"),
            # the window ends at 22 Oct: rows 1 and 2 keep the full check's captions
            ("2019-10-22", "5", [], "2019-10-22 2 5 + MB\nend|3 + MB|5 + MB|0|0|0|0|0|0|0|0|0|0\n"),
            # row 1's MegaBall counts as a fourth hit only with the option on
            ("2019-10-22", "4", ["--set", "Chekcbox31=1"],
             "2019-10-22 1 3 + PP\n2019-10-22 2 5 + MB\nend|3 + MB|5 + MB|0|0|0|0|0|0|0|0|0|0\n"),
            ("2019-10-22", "4", ["--set", "Chekcbox31=0"],
             "2019-10-22 2 5 + MB\nend|3 + MB|5 + MB|0|0|0|0|0|0|0|0|0|0\n"),
            ("2019-10-22", "6", [], "end|3 + PP|5 + MB|0|0|0|0|0|0|0|0|0|0\n"),
            # an empty window: the captions of the check after loading
            ("2019-10-22", "0", ["--start", "2019-10-23"], "end|3 + MB|5 + MB||||||||||\n"),
        ]
        for end, threshold, extra, want in cases:
            rc, out, err = run("search", "--db", self.db, "--end", end, "--tips", tips,
                               "--threshold", threshold, *extra)
            self.assertEqual((rc, out), (0, want), (end, threshold, extra, err))
        rc, out, _ = run("search", "--db", self.db, "--end", "2019-10-22", "--tips", tips,
                         "--threshold", "-1", "--start", "2019-10-18")
        lines = out.splitlines()
        self.assertEqual(len(lines), 2 * 12 + 1)   # every row of both drawings stops
        self.assertEqual(lines[12], "2019-10-22 1 3 + PP")

    def test_analyse_drawings_report(self):
        # 22 Oct shares 12 and 70 with 15 Oct; no drawing shares a number with the next.
        rc, out, err = run_bytes("analyse-drawings", "--db", self.db, "--from", "2019-10-15",
                                 "--threshold", "2", "--today", "2019-11-01")
        self.assertEqual(rc, 0, err)
        self.assertEqual(out, "Treffer von Ziehungen in der Datenbank\r\n"
                              "0    =>2\r\n1    =>0\r\n2    =>1\r\n3    =>0\r\n4    =>0\r\n5    =>0\r\n"
                              " \r\nWie oft gab es bei der nächsten Ziehung ähnliche Zahlen\r\n"
                              "0    =>3\r\n1    =>0\r\n2    =>0\r\n3    =>0\r\n4    =>0\r\n5    =>0\r\n"
                              .encode("utf-8"))
        self.assertFalse(os.path.exists(os.path.join(self.dir.name, "Test.rtf")))

    def test_analyse_settings_report(self):
        args = ["analyse-settings", "--db", self.db, "--from", "2019-10-15", "--seed", "77",
                "--today", "2019-11-01", "--set", "UpDown8=2", "--set", "Chekcbox9=0"]
        rc, out, err = run_bytes(*args)
        self.assertEqual(rc, 0, err)
        self.assertEqual(run_bytes(*args)[1], out)
        # 15 Oct, then the checks against 22 Oct, 25 Oct and 25 Oct again.
        head = b"Aktuelle Einstellung brachten\n\r\nAnzahl ohne Powerball\t1x Powerball\r\n"
        tail = b"\r\n\nZiehungen: 3mit je 2Tipp => 6 Reihen\r\n"
        self.assertTrue(out.startswith(head) and out.endswith(tail), out)
        counts = out[len(head):-len(tail)].decode().split("\r\n")
        self.assertEqual([c.split("\t")[0] for c in counts], ["0x", "1x", "2x", "3x", "4x", "5x"])
        self.assertEqual(sum(int(c.split("=> ")[1].split("\t")[0]) + int(c.split("=> ")[2]) for c in counts), 6)
        # "today" as the chosen date: no pass
        rc, out, _ = run_bytes("analyse-settings", "--db", self.db, "--from", "2019-11-01", "--seed", "1",
                               "--today", "2019-11-01")
        self.assertEqual(rc, 0)
        self.assertTrue(out.endswith(b"5x\t=> 0\t\t=> 0\r\n\nZiehungen: 0mit je 5Tipp => 0 Reihen\r\n"), out)

    def test_analysis_input_errors(self):
        tips = self.write_tips(b"1,2,3,4,5,6,\r\n")
        for args in (["search", "--db", self.db, "--end", "2019-10-22", "--tips", tips, "--threshold", "x"],
                     ["analyse-drawings", "--db", self.db, "--from", "2019-10-15", "--threshold", "1.5"],
                     ["analyse-settings", "--db", self.db, "--from", "2019-10-15", "--seed", "abc"],
                     ["analyse-settings", "--db", self.db, "--from", "2019-10-32", "--seed", "1"]):
            rc, out, err = run(*args)
            self.assertEqual((rc, out), (2, ""), args)
            self.assertTrue(err.strip(), args)
        _, _, err = run("analyse-settings", "--db", self.db, "--from", "2019-10-15", "--seed", "abc")
        self.assertIn("Fehler bei Eingabe der ZufallsZahl", err)

    def test_errors_exit_with_2(self):
        for args in (["generate", "--db", self.db, "--seed", "1", "--set", "Nonsense=1"],
                     ["generate", "--db", self.db, "--seed", "1", "--set", "UpDown1=abc"],
                     ["generate", "--db", self.db, "--seed", "x"],
                     ["generate", "--db", self.db, "--seed", "1", "--lock", "13=1,2,3,4,5,6,7"],
                     ["stats", "median", "--db", self.db],
                     ["lookup", "--db", self.db, "--date", "2019-13-01"],
                     ["frobnicate"]):
            rc, _, err = run(*args)
            self.assertEqual(rc, 2, args)
            self.assertTrue(err.strip(), args)


class CliLanguageTest(unittest.TestCase):
    """--lang N takes texts from the land folder beside the program: a copy of
    the program with its own small language files."""

    def setUp(self):
        self.dir = tempfile.TemporaryDirectory(dir=os.environ.get("RZ_TEST_TMP"))
        base = self.dir.name
        self.cli = os.path.join(base, os.path.basename(CLI))
        shutil.copy2(CLI, self.cli)
        self.land = os.path.join(base, "land")
        os.mkdir(self.land)
        self.db = os.path.join(base, "Ruvuzevodare.dat")
        csv = os.path.join(base, "history.csv")
        with open(csv, "w", encoding="utf-8") as f:
            f.write(HISTORY)
        self.assertEqual(self.run_cli("import", csv, "--db", self.db)[0], 0)
        self.write("RuvuZevodare.txt", ["Form1", "BitBtn4", "Tipps berechnen", "", "1"])
        messages = ["message %d" % i for i in range(62)]
        messages[43] = "Sum"
        messages[46] = "Number distribution"
        messages[32] = "Drawings"
        self.write("Mega_en.txt", ["Calculate tips", ""])
        self.write("Mega_en.txt.meld", messages)

    def tearDown(self):
        self.dir.cleanup()

    def write(self, name, lines, encoding="utf-8-sig"):
        with open(os.path.join(self.land, name), "w", encoding=encoding, newline="") as f:
            f.write("".join(line + "\r\n" for line in lines))

    def run_cli(self, *args):
        p = subprocess.run([*RUNNER, self.cli, *args], capture_output=True, text=True, timeout=120)
        return p.returncode, p.stdout, p.stderr

    def test_captions_and_titles_from_the_language_files(self):
        rc, out, err = self.run_cli("lookup", "--db", self.db, "--date", "2019-10-20", "--lang", "2")
        self.assertEqual((rc, err), (0, ""))
        self.assertEqual(out.splitlines(), ["Tue 22.10.19    5  12  33  41  70 MB:7 MP:3", "Sum: 161", "2"])
        rc, out, err = self.run_cli("stats", "frequency", "--db", self.db, "--start", "2019-10-18",
                                    "--end", "2019-10-22", "--lang", "2")
        self.assertEqual((rc, err), (0, ""))
        self.assertEqual(out.splitlines()[-1], "title Number distribution     Drawings: 2    Sum: 214")

    def test_language_0_is_the_default_output(self):
        tips = os.path.join(self.dir.name, "t.qlt")
        with open(tips, "wb") as f:
            f.write(b"70,5,9,33,1,7,\r\n")
        for args in (["lookup", "--db", self.db, "--date", "2019-10-20", "--next", "2"],
                     ["check", "--db", self.db, "--date", "2019-10-22", "--tips", tips],
                     ["stats", "pairs", "--db", self.db, "--end", "2019-10-25"]):
            self.assertEqual(self.run_cli(*args, "--lang", "0"), self.run_cli(*args), args)

    def test_missing_language_files_keep_the_built_in_texts(self):
        rc, out, err = self.run_cli("lookup", "--db", self.db, "--date", "2019-10-20", "--lang", "3")
        self.assertEqual(rc, 0)
        self.assertEqual(out.splitlines()[1], "Quersumme: 161")
        self.assertIn("missing", err)

    def test_bad_language_numbers_and_unreadable_files(self):
        for value in ("9", "-1", "x", ""):
            rc, out, err = self.run_cli("stats", "sums", "--db", self.db, "--lang", value)
            self.assertEqual((rc, out), (2, ""), value)
            self.assertIn("--lang", err)
        os.mkdir(os.path.join(self.land, "Mega_ru.txt"))  # a folder where the file should be
        rc, out, err = self.run_cli("lookup", "--db", self.db, "--date", "2019-10-20", "--lang", "6")
        self.assertEqual((rc, out), (1, ""))
        self.assertIn("Mega_ru.txt", err)



class CliEveryCommandSpeaksTheLanguageTest(unittest.TestCase):
    """Every command takes --lang N with the shipped language files; 0, like
    no --lang, keeps the built-in German output byte for byte."""

    def setUp(self):
        self.dir = tempfile.TemporaryDirectory(dir=os.environ.get("RZ_TEST_TMP"))
        base = self.dir.name
        self.cli = os.path.join(base, "ruvuzevodare-cli" + os.path.splitext(CLI)[1])  # .exe on Windows
        shutil.copy2(CLI, self.cli)
        root = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
        shutil.copytree(os.path.join(root, "data", "land"), os.path.join(base, "land"))
        self.db = os.path.join(base, "Ruvuzevodare.dat")
        self.csv = os.path.join(base, "history.csv")
        with open(self.csv, "w", encoding="utf-8") as f:
            f.write(HISTORY)
        self.assertEqual(self.run_cli("import", self.csv, "--db", self.db)[0], 0)
        self.tips = os.path.join(base, "t.qlt")
        with open(self.tips, "wb") as f:
            f.write(b"70,5,9,33,1,7,\r\n")
        # One good line among lines each refused for its own reason, and a
        # file in no known format.
        self.bad_csv = os.path.join(base, "bad.csv")
        with open(self.bad_csv, "w", encoding="utf-8") as f:
            f.write("date,n1,n2,n3,n4,n5,megaball,megaplier\n"
                    "2019-10-18,18,58,60,65,67,20,3\n"
                    "2019-10-19,5,12,33,41,x,7,0\n"
                    "2019-10-19,5,12,33,41,71,7,0\n"
                    "2019-10-19,5,5,33,41,70,7,0\n"
                    "2025-06-03,5,12,33,41,70,7,3\n"
                    "1999-01-01,5,12,33,41,70,7,0\n"
                    "2019-02-30,5,12,33,41,70,7,0\n"
                    "2019-10-18,18,58,60,65,67,20\n"
                    "2019-10-19,1,2\n")
        self.unknown_csv = os.path.join(base, "unknown.csv")
        with open(self.unknown_csv, "w", encoding="utf-8") as f:
            f.write("Datum;Zahlen\n01.02.2019;1 2 3 4 5\n")

    def tearDown(self):
        self.dir.cleanup()

    def run_cli(self, *args):
        p = subprocess.run([*RUNNER, self.cli, *args], capture_output=True, text=True, timeout=120)
        return p.returncode, p.stdout, p.stderr

    def commands(self):
        missing = os.path.join(self.dir.name, "missing.csv")
        return [
            (["download", "--db", self.db, "--server", "http://127.0.0.1:1", "--today", "2019-11-05"],
             {2: "No connection to the data server", 6: "Нет соединения с сервером данных"}),
            (["add", "--db", self.db, "--date", "2099-01-01", "--numbers", "1,2,3,4,5", "--megaball", "6"],
             {2: "lies after today", 3: "postérieur à aujourd'hui"}),
            (["add", "--db", self.db, "--date", "2019-10-29", "--numbers", "1,2,3,4,4", "--megaball", "6"],
             {2: "The number 4 occurs twice", 4: "El número 4 aparece dos veces"}),
            (["import", missing, "--db", self.db], {2: "file or folder not found", 5: "file o cartella non trovati"}),
            (["import", self.bad_csv, "--db", self.db],
             {2: "Line 3: main number \"x\" is not a number", 6: "Строка 4: основное число 71 не входит в 1–70"}),
            (["import", self.unknown_csv, "--db", self.db], {2: "Import cancelled", 6: "неизвестный формат"}),
            (["cart", "--server", self.csv, "--tips", self.tips], {2: "is not an http or https address", 7: "não é um endereço http ou https"}),
            (["delete", "--db", self.db, "--date", "2001-01-01"], {}),
            (["lookup", "--db", self.db, "--date", "2019-10-20"], {2: "Tue 22.10.19"}),
            (["generate", "--db", self.db, "--seed", "7"], {}),
            (["search", "--db", self.db, "--end", "2019-10-25", "--tips", self.tips, "--threshold", "9"], {}),
            (["analyse-drawings", "--db", self.db, "--from", "2019-10-15", "--threshold", "9", "--today", "2019-10-26"], {}),
            (["fill-script", "--script", self.tips, "--tips", self.tips], {}),
            (["wheel", "--numbers", "1,2,3,4,5,6", "--guarantee", "3if3", "--seed", "1"], {}),
        ]

    def test_every_command_takes_lang_and_0_changes_nothing(self):
        for args, _ in self.commands():
            before = self.read_db()
            plain = self.run_cli(*args)
            self.restore_db(before)
            self.assertEqual(self.run_cli(*args, "--lang", "0"), plain, args)
            self.restore_db(before)
            rc, _, err = self.run_cli(*args, "--lang", "2")
            self.restore_db(before)
            self.assertEqual(rc, plain[0], args)
            self.assertNotIn("--lang", err, args)

    def test_failing_commands_speak_the_chosen_language(self):
        for args, expected in self.commands():
            for lang, text in expected.items():
                before = self.read_db()
                rc, out, err = self.run_cli(*args, "--lang", str(lang))
                self.restore_db(before)
                self.assertIn(text, out + err, (args, lang))
                # No German program text is left in what a non-German run says.
                for german in ("Keine Verbindung", "nach dem heutigen Tag", "zweimal vor", "nicht gefunden",
                               "keine http- oder https-Adresse", "Zeile", "Ziehung", "Datum", "Hauptzahl",
                               "keine Zahl", "Spielformat", "ohne", "übersprungen", "abgebrochen", "Felder",
                               "unbekannt", "liegt", "JJJJ"):
                    self.assertNotIn(german, out + err, (args, lang))

    def read_db(self):
        with open(self.db, "rb") as f:
            return f.read()

    def restore_db(self, data):
        with open(self.db, "wb") as f:
            f.write(data)


if __name__ == "__main__":
    unittest.main()
