#!/usr/bin/env python3
"""ruvuzevodare-cli wheel: rows, the guarantee checked here again, exact odds, MegaBalls, bad arguments."""
import itertools
import os
import subprocess
import sys
import unittest
from fractions import Fraction
from math import comb

CLI = sys.argv.pop(1) if len(sys.argv) > 1 else "build/bin/ruvuzevodare-cli"
# The Windows build runs through Wine: RZ_TEST_RUNNER="wine".
RUNNER = os.environ.get("RZ_TEST_RUNNER", "").split()


def run(*args, timeout=120):
    p = subprocess.run([*RUNNER, CLI, "wheel", *args], capture_output=True, text=True, timeout=timeout)
    return p.returncode, p.stdout, p.stderr


def parse(stdout):
    lines = stdout.splitlines()
    summary = dict(item.split("=", 1) for item in lines[-1].split(" "))
    rows = []
    for line in lines[:-1]:
        fields = line.split(",")
        assert len(fields) == 6, line
        rows.append(([int(x) for x in fields[:5]], int(fields[5]) if fields[5] else None))
    return rows, summary


def odds(numbers, t, p, rows):
    """Exact chances over all drawings, by the chosen numbers among the five drawn."""
    v, others, total = len(numbers), 70 - len(numbers), comb(70, 5)
    condition = sum(comb(v, i) * comb(others, 5 - i) for i in range(p, 6))
    hit = 0
    for j in range(t, 6):
        for drawn in itertools.combinations(numbers, j):
            d = set(drawn)
            if any(len(d & set(r)) >= t for r in rows):
                hit += comb(others, 5 - j)
    return Fraction(condition, total), Fraction(hit, total)


class WheelCliTest(unittest.TestCase):
    NUMBERS = [3, 11, 17, 24, 29, 36, 42, 50, 58, 65, 70]

    def check_design(self, numbers, t, p, rows):
        for r in rows:
            self.assertEqual(r, sorted(r))
            self.assertEqual(len(set(r)), 5)
            self.assertTrue(set(r) <= set(numbers), r)
        for s in itertools.combinations(numbers, p):
            self.assertTrue(any(len(set(s) & set(r)) >= t for r in rows), f"{s} not served")

    def test_every_guarantee_is_kept_and_the_odds_are_exact(self):
        numbers = ",".join(map(str, self.NUMBERS))
        for t, p in [(3, 3), (3, 4), (3, 5), (4, 4), (4, 5), (2, 3), (5, 5)]:
            with self.subTest(guarantee=f"{t}if{p}"):
                rc, out, err = run("--numbers", numbers, "--guarantee", f"{t}if{p}", "--steps", "3000")
                self.assertEqual(rc, 0, err)
                played, summary = parse(out)
                rows = [r for r, mb in played]
                self.assertTrue(all(mb is None for r, mb in played))
                self.assertTrue(out.splitlines()[0].endswith(","))
                self.check_design(self.NUMBERS, t, p, rows)
                self.assertEqual(summary["verified"], "yes")
                self.assertEqual(int(summary["rows"]), len(rows))
                self.assertLessEqual(int(summary["bound"]), len(rows))
                for key in ("p_condition", "p_hit"):
                    self.assertRegex(summary[key], r"^0\.\d{10,}$")
                pc, ph = odds(self.NUMBERS, t, p, rows)
                self.assertAlmostEqual(float(summary["p_condition"]), float(pc), delta=1e-14)
                self.assertAlmostEqual(float(summary["p_hit"]), float(ph), delta=1e-14)
                self.assertGreaterEqual(ph, pc)
        # The full wheel is every 5 of the numbers.
        rc, out, _ = run("--numbers", numbers, "--guarantee", "5if5", "--seconds", "1")
        self.assertEqual(len(parse(out)[0]), comb(11, 5))

    def test_seed_and_steps_repeat_the_rows(self):
        args = ["--numbers", "1,2,3,4,5,6,7,8,9,10,11,12,13,14", "--guarantee", "3if4", "--steps", "5000"]
        first = run(*args, "--seed", "7")
        self.assertEqual(first[0], 0, first[2])
        self.assertEqual(run(*args, "--seed", "7")[1], first[1])

    def test_megaballs_in_turn_or_crossed(self):
        numbers = "5,10,15,20,25,30,35,40"
        rc, out, err = run("--numbers", numbers, "--guarantee", "3if4", "--steps", "2000", "--megaballs", "7,24")
        self.assertEqual(rc, 0, err)
        turn, _ = parse(out)
        self.assertEqual([mb for _, mb in turn], [[7, 24][i % 2] for i in range(len(turn))])
        rc, out, err = run("--numbers", numbers, "--guarantee", "3if4", "--steps", "2000",
                           "--megaballs", "7,24,1", "--cross")
        self.assertEqual(rc, 0, err)
        crossed, summary = parse(out)
        self.assertEqual(len(crossed), 3 * len(turn))
        self.assertEqual(int(summary["rows"]), len(crossed))
        self.assertEqual([r for r, _ in crossed[::3]], [r for r, _ in turn])
        self.assertEqual([mb for _, mb in crossed[:3]], [7, 24, 1])

    def test_price_ends_the_summary_with_the_cost_of_every_play(self):
        numbers = "5,10,15,20,25,30"  # 5if5: every 5 of 6, six rows
        for extra, cost in [([], None), (["--price", "5"], "30.00"), (["--price", "2.5"], "15.00"),
                            (["--price", "0.07"], "0.42"), (["--price", "1000.00"], "6000.00"),
                            (["--price", "3.25", "--megaballs", "1,2", "--cross"], "39.00")]:
            with self.subTest(extra=extra):
                rc, out, err = run("--numbers", numbers, "--guarantee", "5if5", *extra)
                self.assertEqual(rc, 0, err)
                _, summary = parse(out)
                self.assertEqual(summary.get("cost"), cost)
                self.assertTrue(out.splitlines()[-1].startswith(f"rows={summary['rows']} bound="))

    def test_known_designs_and_splits_reach_their_sizes(self):
        # The known designs end at once (no search, so no clock); a split is
        # searched with fixed step allotments, so --steps makes it repeatable.
        cases = [("3if3", 17, "68", "construction", "yes"), ("3if3", 26, "260", "construction", "yes"),
                 ("2if2", 21, "21", "construction", "yes"), ("2if2", 25, "30", "construction", "yes"),
                 ("4if4", 11, "66", "construction", "yes"), ("3if5", 20, 32, "split", "no"),
                 ("3if5", 25, 63, "split", "no"), ("3if5", 30, 102, "split", "no")]
        for guarantee, v, rows, origin, optimal in cases:
            with self.subTest(guarantee=guarantee, v=v):
                numbers = list(range(70 - 2 * v + 1, 71, 2))  # any numbers: the design's points map onto them
                args = ["--numbers", ",".join(map(str, numbers)), "--guarantee", guarantee, "--known"]
                if isinstance(rows, int):
                    args += ["--steps", "100", "--seed", "1"]
                rc, out, err = run(*args, timeout=600)
                self.assertEqual(rc, 0, err)
                lines = out.splitlines()
                known = dict(item.split("=", 1) for item in lines[-1].split(" "))
                played, summary = parse("\n".join(lines[:-1]))
                self.check_design(numbers, int(guarantee[0]), int(guarantee[3]), [r for r, _ in played])
                if isinstance(rows, int):
                    self.assertLessEqual(int(summary["rows"]), rows)
                else:
                    self.assertEqual(summary["rows"], rows)
                    self.assertEqual(summary["bound"], rows)
                self.assertEqual(known, {"known": summary["rows"], "from": origin, "optimal": optimal})

    def test_known_only_adds_a_line(self):
        args = ["--numbers", "1,2,3,4,5,6,7,8,9,10", "--guarantee", "3if4", "--steps", "500", "--price", "5"]
        rc, plain, err = run(*args)
        self.assertEqual(rc, 0, err)
        rc, known, err = run(*args, "--known")
        self.assertEqual(rc, 0, err)
        self.assertTrue(known.startswith(plain))
        self.assertRegex(known[len(plain):], r"^known=\d+ from=(search|construction|split|full) optimal=(yes|no)\n$")

    def test_steps_above_the_most_are_refused_with_the_most_named(self):
        ok = ["--numbers", "1,2,3,4,5,6,7", "--guarantee", "3if3"]
        for steps in ["100000001", "999999999999999999"]:
            with self.subTest(steps=steps):
                rc, out, err = run(*ok, "--steps", steps)
                self.assertEqual(rc, 2)
                self.assertEqual(out, "")
                self.assertIn("100000000", err)
        rc, out, err = run(*ok, "--steps", "100000000")
        self.assertEqual(rc, 0, err)

    def test_bad_arguments_exit_2_with_a_message(self):
        ok = ["--numbers", "1,2,3,4,5,6,7", "--guarantee", "3if3"]
        cases = [
            ["--numbers", "1,2,3,4,5", "--guarantee", "3if3"],
            ["--numbers", ",".join(map(str, range(1, 32))), "--guarantee", "3if3"],
            ["--numbers", "1,2,3,4,5,71", "--guarantee", "3if3"],
            ["--numbers", "0,1,2,3,4,5", "--guarantee", "3if3"],
            ["--numbers", "1,2,3,4,5,5", "--guarantee", "3if3"],
            ["--numbers", "1,2,3,,4,5,6", "--guarantee", "3if3"],
            ["--numbers", "1,2,3,4,5,x", "--guarantee", "3if3"],
            ["--numbers", "1,2,3,4,5,6", "--guarantee", "4if3"],
            ["--numbers", "1,2,3,4,5,6", "--guarantee", "3if6"],
            ["--numbers", "1,2,3,4,5,6", "--guarantee", "0if3"],
            ["--numbers", "1,2,3,4,5,6"],
            ["--guarantee", "3if3"],
            ok + ["--seconds", "0"],
            ok + ["--seconds", "-1"],
            ok + ["--seconds", "abc"],
            ok + ["--seed", "-3"],
            ok + ["--steps", "0"],
            ok + ["--megaballs", "25"],
            ok + ["--megaballs", "0"],
            ok + ["--megaballs", "3,3"],
            ok + ["--cross"],
            ok + ["--megaball", "3"],
            ok + ["stray"],
            ok + ["--seed"],
            ok + ["--price", "0"],
            ok + ["--price", "1000.01"],
            ok + ["--price", "5.123"],
            ok + ["--price", "-5"],
            ok + ["--price", "5."],
            ok + ["--price", "$5"],
            ok + ["--price", ""],
        ]
        for args in cases:
            with self.subTest(args=args):
                rc, out, err = run(*args)
                self.assertEqual(rc, 2)
                self.assertEqual(out, "")
                self.assertIn("ruvuzevodare-cli:", err)


if __name__ == "__main__":
    unittest.main()
