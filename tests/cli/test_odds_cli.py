#!/usr/bin/env python3
"""ruvuzevodare-cli odds against an independent enumeration; --chance on the analyses and the search."""
import itertools
import os
import re
import subprocess
import sys
import tempfile
import unittest
from fractions import Fraction
from math import comb

CLI = sys.argv.pop(1) if len(sys.argv) > 1 else "build/bin/ruvuzevodare-cli"
RUNNER = os.environ.get("RZ_TEST_RUNNER", "").split()
TIERS = ["5+1", "5+0", "4+1", "4+0", "3+1", "3+0", "2+1", "1+1", "0+1"]

HISTORY = """date,n1,n2,n3,n4,n5,megaball,megaplier
2019-10-15,4,12,14,35,70,2,2
2019-10-18,18,58,60,65,67,20,3
2019-10-22,5,12,33,41,70,7,3
2019-10-25,16,24,25,52,60,6,3
"""


def run(*args):
    p = subprocess.run([*RUNNER, CLI, *args], capture_output=True, timeout=300)
    return p.returncode, p.stdout.decode("utf-8"), p.stderr.decode("utf-8", "replace")


def model(rows, mb_range):
    """rows: (five numbers, MegaBall or None). Every drawing of the numbers in the rows, every MegaBall."""
    union = sorted({n for r, _ in rows for n in r})
    total = comb(70, 5) * mb_range
    expected = dict.fromkeys(TIERS, Fraction(0))
    any_win = jackpot = Fraction(0)
    for j in range(0, 6):
        weight = comb(70 - len(union), 5 - j)
        for drawn in itertools.combinations(union, j):
            d = set(drawn)
            hits = [len(d & set(r)) for r, _ in rows]
            for mb in range(1, mb_range + 1):
                won = jp = False
                for (r, m), h in zip(rows, hits):
                    tier = f"{h}+{1 if m == mb else 0}"
                    if tier in expected:
                        expected[tier] += Fraction(weight, total)
                        won = True
                        jp = jp or tier == "5+1"
                any_win += Fraction(weight, total) if won else 0
                jackpot += Fraction(weight, total) if jp else 0
    return expected, any_win, jackpot


def parse(out):
    lines = out.splitlines()
    head = dict(x.split("=") for x in lines[0].split())
    tiers = [dict(x.split("=") for x in line.split()) for line in lines[1:10]]
    rest = dict(line.split("=") for line in lines[10:])
    return head, tiers, rest


class OddsCliTest(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.TemporaryDirectory(dir=os.environ.get("RZ_TEST_TMP"))

    def tearDown(self):
        self.dir.cleanup()

    def tips(self, content, name="t.qlt"):
        path = os.path.join(self.dir.name, name)
        with open(path, "wb") as f:
            f.write(content)
        return path

    def test_odds_agree_with_the_enumeration(self):
        path = self.tips(b"5,17,33,41,62,9,\r\n"
                         b"5,17,33,40,61,25,\r\n"   # MegaBall 25: only with --megaballs 25
                         b"5,5,33,41,62,9,\r\n"     # a number twice: skipped
                         b"5,17,80,41,62,9,\r\n"    # 80 does not pass the field check: skipped
                         b"\r\n"                    # empty: not counted at all
                         b"5,17,33,41,62,9,\r\n"    # the same as row 1
                         b"1,2,3,4,5,,\r\n")        # no MegaBall
        valid = [([5, 17, 33, 41, 62], 9), ([5, 17, 33, 40, 61], 25), ([5, 17, 33, 41, 62], 9),
                 ([1, 2, 3, 4, 5], None)]
        for option, mb_range in [([], 24), (["--megaballs", "24"], 24), (["--megaballs", "25"], 25)]:
            with self.subTest(option=option):
                rc, out, err = run("odds", "--tips", path, *option)
                self.assertEqual(rc, 0, err)
                head, tiers, rest = parse(out)
                self.assertEqual(head, {"rows": "4", "skipped": "2"})
                self.assertEqual([t["tier"] for t in tiers], TIERS)
                rows = [(r, m if m is not None and m <= mb_range else None) for r, m in valid]
                expected, any_win, jackpot = model(rows, mb_range)
                for t in tiers:
                    self.assertAlmostEqual(float(t["expected"]) / float(expected[t["tier"]]), 1.0, places=12)
                    self.assertRegex(t["expected"], r"^[0-9.e+-]+$")
                self.assertAlmostEqual(float(rest["p_any"]) / float(any_win), 1.0, places=12)
                self.assertAlmostEqual(float(rest["p_jackpot"]) / float(jackpot), 1.0, places=12)
                self.assertEqual(list(rest), ["p_any", "p_jackpot"])

    def test_no_rows_and_bad_input(self):
        rc, out, _ = run("odds", "--tips", self.tips(b""))
        self.assertEqual(rc, 0)
        self.assertEqual(out, "rows=0 skipped=0\n" + "".join(f"tier={t} expected=0\n" for t in TIERS)
                         + "p_any=0\np_jackpot=0\n")
        # "x,y" leaves nothing after the field check (an empty row); "1,2,3" is a row cut short
        rc, out, _ = run("odds", "--tips", self.tips(b"x,y\r\n1,2,3\r\n"))
        self.assertEqual((rc, out.splitlines()[0]), (0, "rows=0 skipped=1"))
        missing = os.path.join(self.dir.name, "missing.qlt")
        for args, code, message in [
            (["--tips", missing], 1, "tip file not found"),
            (["--tips", self.dir.name], 1, "not a regular file"),
            (["--tips", self.tips(b"")] + ["--megaballs", "23"], 2, "24 or 25"),
            ([], 2, "odds needs"),
            (["--tips", self.tips(b""), "extra"], 2, ""),
        ]:
            with self.subTest(args=args):
                rc, out, err = run("odds", *args)
                self.assertEqual((rc, out), (code, ""))
                self.assertIn(message, err)


class ChanceCliTest(unittest.TestCase):
    LINE = re.compile(r"^chance class=(\S+) observed=(\d+) expected=([0-9.e+-]+) p=([0-9.e+-]+)$")

    def setUp(self):
        self.dir = tempfile.TemporaryDirectory(dir=os.environ.get("RZ_TEST_TMP"))
        self.db = os.path.join(self.dir.name, "Ruvuzevodare.dat")
        csv = os.path.join(self.dir.name, "history.csv")
        with open(csv, "w", encoding="utf-8") as f:
            f.write(HISTORY)
        self.assertEqual(run("import", csv, "--db", self.db)[0], 0)

    def tearDown(self):
        self.dir.cleanup()

    def chance_lines(self, args):
        rc, plain, err = run(*args)
        self.assertEqual(rc, 0, err)
        rc, out, err = run(*args, "--chance")
        self.assertEqual(rc, 0, err)
        self.assertTrue(out.startswith(plain), out)   # the usual output stays as it is
        lines = out[len(plain):].splitlines()
        parsed = []
        for line in lines:
            m = self.LINE.match(line)
            self.assertIsNotNone(m, line)
            parsed.append((m.group(1), int(m.group(2)), float(m.group(3)), float(m.group(4))))
            self.assertTrue(0 <= parsed[-1][3] <= 1, line)
        return plain, parsed

    def test_analyse_drawings(self):
        plain, lines = self.chance_lines(["analyse-drawings", "--db", self.db, "--from", "2019-10-15",
                                          "--threshold", "9", "--today", "2019-11-01"])
        self.assertEqual([c for c, *_ in lines], [f"A{k}" for k in range(6)] + [f"B{k}" for k in range(6)])
        counts = [int(x.split("=>")[1]) for x in plain.split("\r\n") if "=>" in x]
        self.assertEqual([o for _, o, _, _ in lines], counts)
        # A: three pairs of 5/70 drawings; B: three steps to a next drawing.
        p70 = [comb(5, k) * comb(65, 5 - k) / comb(70, 5) for k in range(6)]
        for k in range(6):
            self.assertAlmostEqual(lines[k][2], 3 * p70[k], places=12)
            self.assertAlmostEqual(lines[6 + k][2], 3 * p70[k], places=12)
        # Two of three pairs share no number: P(A0 <= 2) with p0 = 0.68 is not small.
        self.assertGreater(lines[0][3], 0.01)

    def test_search_and_analyse_settings(self):
        tips = os.path.join(self.dir.name, "s.qlt")
        with open(tips, "wb") as f:
            f.write(b"5,12,33,41,70,7,\r\n1,2,3,4,5,25,\r\n")
        _, lines = self.chance_lines(["search", "--db", self.db, "--end", "2019-10-25", "--tips", tips,
                                      "--threshold", "9", "--start", "2019-10-15"])
        names = [f"{k}x{mb}" for k in range(6) for mb in ("", "+MB")]
        self.assertEqual([c for c, *_ in lines], names)
        # two rows against four drawings; row 1 is the drawing of 22 Oct
        self.assertEqual(sum(o for _, o, _, _ in lines), 8)
        self.assertEqual(lines[names.index("5x+MB")][1], 1)
        self.assertAlmostEqual(sum(e for _, _, e, _ in lines), 8, places=9)
        # a 5+1 in eight tries is far beyond chance
        self.assertLess(lines[names.index("5x+MB")][3], 1e-6)

        _, lines = self.chance_lines(["analyse-settings", "--db", self.db, "--from", "2019-10-15", "--seed", "77",
                                      "--today", "2019-11-01", "--set", "UpDown8=2", "--set", "Chekcbox9=0"])
        self.assertEqual([c for c, *_ in lines], names)
        self.assertEqual(sum(o for _, o, _, _ in lines), 6)
        self.assertAlmostEqual(sum(e for _, _, e, _ in lines), 6, places=9)


if __name__ == "__main__":
    unittest.main()
