#!/usr/bin/env python3
"""Compare ruvuzevodare-cli with the Python model in reference.py.

Runs `stats KIND` over many date windows, `generate` over many seeds, settings,
windows and locked rows, `search` over many tip files, thresholds and windows, and the
two historic analyses `analyse-settings` and `analyse-drawings` over many chosen dates,
"today"s, seeds, statistics starts and settings, on a real drawing history, and prints
every case in which the program and the model disagree, with the command that
reproduces it.

The model of reference_tips.py covers four more commands: `lookup` with its steps over
dates at both ends, on and between drawings; `check` of many tip files (copied drawings,
fields that the field check empties or rewrites, short, long and empty files) against
the drawing of many dates; `cart` against data servers started here (a cart base, none,
a notice, bases that must not be opened); `fill-script` over random click scripts full
of placeholders, tip files of 0..14 lines and the settings behind the yes/no words. They
also run on three tiny drawing files (empty, one drawing, three drawings).

    tests/reference/compare.py --cli build/bin/ruvuzevodare-cli --csv HISTORY.csv
    tests/reference/compare.py --cli build/bin/ruvuzevodare-cli --db Ruvuzevodare.dat

Options:
    --cli PATH       the command-line program (default build/bin/ruvuzevodare-cli)
    --db PATH        an existing drawing database to use
    --csv PATH       a history CSV; it is imported into a temporary database with the CLI
    --cases N        number of random generate cases besides the fixed ones (default 400)
    --rng N          seed of the case generator (default 1)
    --only KIND      "stats", "generate", "search", "analyse" (both analyses), "lookup",
                     "check", "cart" or "fill-script"
    --server PATH    the data server for the carts (default: ruvuzevodare-server beside --cli)
    --jobs N         parallel workers (default 2)
    --show N         show at most N differences in full (default 20)
    --no-synthetic   skip the second history, made up here, that mixes in drawings of
                     older game formats (numbers up to 75, MegaBalls up to 52)
    --keep           keep the temporary databases (their folder is printed)

Exit status 0 when everything agrees, 1 when a difference was found.
"""
import argparse
import collections
import concurrent.futures
import difflib
import os
import random
import re
import shlex
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import reference  # noqa: E402
import reference_tips  # noqa: E402

TIPS_KINDS = ("lookup", "check", "cart", "fill-script")
STAT_KINDS = ["frequency", "overdue", "megaball", "megaball-overdue",
              "pairs", "triples", "quads", "sums"]

# Window ends: on drawings, between drawings, before the first and after the last
# drawing, at the changes of the game format, and the default (today).
STARTS = [None, "2002-05-17", "2002-05-16", "2002-05-21", "2005-06-21", "2010-01-01",
          "2013-10-18", "2017-01-01", "2017-10-31", "2020-06-01", "2024-01-01",
          "2025-04-08", "2026-07-31"]
ENDS = [None, "2001-01-01", "2002-05-17", "2002-05-24", "2005-06-22", "2010-06-15",
        "2013-10-19", "2017-10-28", "2017-11-03", "2019-06-01", "2020-06-02", "2022-05-10",
        "2024-02-01", "2025-04-05", "2026-08-07", "2027-01-01"]

# Chosen dates of the analyses: a long run from the designed statistics start, shorter
# ones, the game-format change of 2025, the last drawing (a Friday), the days after it,
# a date long after, and one before the pickers' earliest date. "today" is fixed (the
# Monday after the last drawing, a drawing day, the last drawing itself) or the real date.
ANALYSIS_FROMS = ["2017-01-01", "2024-11-15", "2025-04-04", "2025-04-08", "2026-02-03",
                  "2026-07-28", "2026-08-07", "2026-08-09", "2026-08-10", "2030-01-01"]
ANALYSIS_TODAYS = ["2026-08-10", "2026-08-07", "2026-08-09", None]
ANALYSIS_STARTS = [None, "2002-05-17", "2025-04-08", "2026-08-01"]
SYN_FROMS = ["2012-01-03", "2016-11-01", "2017-10-27", "2020-06-02", "2020-12-29", "2021-01-02"]
SYN_TODAYS = ["2021-01-04", "2020-12-29"]

WEIGHTING = ["Chekcbox1", "Chekcbox11", "Chekcbox6", "Chekcbox12", "Chekcbox7",
             "Chekcbox13", "Chekcbox2", "Chekcbox14", "Chekcbox19", "Chekcbox15",
             "Chekcbox29", "Chekcbox30"]
NAMES = {"Chekcbox1": "PreferPairs", "Chekcbox11": "PairsRarest", "Chekcbox6": "PreferTriples",
         "Chekcbox12": "TriplesRarest", "Chekcbox7": "PreferQuads", "Chekcbox13": "QuadsRarest",
         "Chekcbox2": "PreferFrequent", "Chekcbox14": "PreferRare", "Chekcbox10": "PreferOverdue",
         "Chekcbox19": "PreferNeighbours", "Chekcbox15": "PreferredOnly",
         "Chekcbox29": "AvoidMonthNumbers", "Chekcbox30": "DampDateNumbers"}


# ---------------------------------------------------------------- cases

def window_args(start, end):
    out = []
    if start:
        out += ["--start", start]
    if end:
        out += ["--end", end]
    return out


def stats_cases():
    cases = []
    for start in STARTS:
        for end in ENDS:
            for kind in STAT_KINDS:
                cases.append(("stats", [kind] + window_args(start, end)))
    rng = random.Random(7)
    for _ in range(40):
        a = "%04d-%02d-%02d" % (rng.randrange(2002, 2027), rng.randrange(1, 13), rng.randrange(1, 29))
        b = "%04d-%02d-%02d" % (rng.randrange(2002, 2028), rng.randrange(1, 13), rng.randrange(1, 29))
        for kind in STAT_KINDS:
            cases.append(("stats", [kind] + window_args(a, b)))
    return cases


def gen(seed, start=None, end=None, sets=(), locks=()):
    args = ["--seed", str(seed)] + window_args(start, end)
    for s in sets:
        args += ["--set", s]
    for lk in locks:
        args += ["--lock", lk]
    return ("generate", args)


def random_tip_line(rng):
    nums = rng.sample(range(1, 71), 5)
    return ",".join(str(n) for n in nums) + ",%d,%s" % (rng.randrange(1, 26),
                                                        rng.choice(["", str(rng.randrange(1, 26))]))


ODD_LOCKS = ["07,8,x,80,5,26,3", "1,2,3", "", "1,2,3,4,5,6,7,8", "5,5,9,20,30,7,",
             "70,69,68,1,2,25,25", "3,4,5,20,40,9,", ",,,,,,", "12,,,,,,", "9,19,29,39,49,,",
             "0,10,20,30,40,0,0"]


def fixed_generate_cases():
    cases = []
    small = ["UpDown7=2"]
    # defaults over windows and seeds
    for i, (start, end) in enumerate([(None, None), ("2002-05-17", "2019-06-01"),
                                      ("2010-01-01", "2013-10-19"), ("2017-01-01", "2024-02-01"),
                                      ("2020-06-01", None), ("2025-04-08", "2026-08-07"),
                                      ("2024-01-01", "2001-01-01"), ("2026-07-31", "2027-01-01")]):
        for seed in (1, 123456789, 4294967295, -5):
            cases.append(gen(seed + i, start, end, small + ["UpDown8=12"]))
    # each weighting option alone, with the overdue weighting on and off
    for opt in WEIGHTING + ["Chekcbox10"]:
        for overdue in ("1", "0"):
            for start, end in (("2002-05-17", "2017-11-03"), ("2017-01-01", None),
                               ("2020-06-01", "2022-05-10")):
                cases.append(gen(31, start, end, small + [opt + "=1", "Chekcbox10=" + overdue,
                                                          "UpDown8=8"]))
    # extreme percentages
    for pct in ("5", "75", "0", "99"):
        cases.append(gen(77, "2010-01-01", None, small + ["Chekcbox2=1", "Chekcbox14=1",
                                                          "UpDown12=" + pct, "UpDown13=" + pct,
                                                          "UpDown14=" + pct, "UpDown8=12"]))
    # everything preferred at once (the pool may run full)
    every = [o + "=1" for o in WEIGHTING if o not in ("Chekcbox29", "Chekcbox30")]
    for start in ("2002-05-17", "2013-10-18", "2017-01-01", "2025-04-08"):
        for pct in ("30", "75"):
            cases.append(gen(5, start, None, small + every + ["UpDown12=" + pct, "UpDown13=" + pct,
                                                              "UpDown14=" + pct, "UpDown8=12"]))
    # preferred-only pools that are too small or empty
    cases.append(gen(3, None, None, ["Chekcbox15=1", "Chekcbox10=0"]))
    cases.append(gen(3, None, None, ["Chekcbox15=1", "Chekcbox10=0"], ["2=1,2,3,4,5,6,"]))
    cases.append(gen(3, "2026-07-31", "2027-01-01", ["Chekcbox15=1", "Chekcbox7=1"]))
    cases.append(gen(3, "2026-07-31", "2027-01-01", ["Chekcbox15=1", "Chekcbox19=1", "Chekcbox10=0"]))
    cases.append(gen(3, "2026-07-31", "2027-01-01", ["Chekcbox15=1", "Chekcbox1=1", "Chekcbox10=0",
                                                     "Chekcbox29=1"]))
    cases.append(gen(4, "2017-01-01", None, ["Chekcbox15=1", "Chekcbox19=1", "Chekcbox10=0",
                                             "Chekcbox30=1", "UpDown7=3", "UpDown8=12"]))
    # MegaBall modes and the exclusion of recent MegaBalls
    for mode in ("RadioButton1=1", "RadioButton2=1", "RadioButton3=1"):
        for excl in ("1", "5", "10", "0", "12"):
            for on in ("1", "0"):
                for start, end in (("2017-10-31", "2018-02-01"), ("2002-05-17", None),
                                   ("2025-04-08", None)):
                    cases.append(gen(11, start, end, small + [mode, "UpDown19=" + excl,
                                                              "Chekcbox16=" + on, "UpDown8=6"]))
    # late adjustments and the pair switch: budgets that run out in later rows
    hard = ["UpDown8=12", "UpDown9=2", "UpDown3=2", "Chekcbox27=1"]
    for budget in (1, 2, 5, 10, 11, 19, 20, 21, 25, 30, 40, 60):
        for extra in ([], ["UpDown4=3", "UpDown5=3", "UpDown6=3"],
                      ["Chekcbox8=1", "UpDown4=4", "Chekcbox31=0", "UpDown6=3"],
                      ["UpDown4=1", "UpDown5=1", "UpDown11=1", "UpDown6=4", "UpDown17=2"]):
            cases.append(gen(1000 + budget, "2002-05-17", "2020-06-02",
                             ["UpDown7=%d" % budget] + hard + extra))
    # rows 3.. still being filled when the last-drawing limits and the history class change
    slow = ["UpDown8=12", "UpDown1=175", "UpDown2=176", "Chekcbox8=1"]
    for budget in (21, 24, 27, 30, 33):
        for seed in (1, 2, 3):
            cases.append(gen(3000 + 10 * budget + seed, "2017-01-01", None,
                             ["UpDown7=%d" % budget, "UpDown4=3", "UpDown5=4"] + slow))
            cases.append(gen(3500 + 10 * budget + seed, "2002-05-17", "2019-06-01",
                             ["UpDown7=%d" % budget, "UpDown6=3", "Chekcbox28=0"] + slow))
            cases.append(gen(3700 + 10 * budget + seed, "2010-01-01", "2024-02-01",
                             ["UpDown7=%d" % budget, "UpDown4=5", "UpDown5=5", "UpDown6=3",
                              "Chekcbox31=0"] + slow))
    # all-prime tips are rare and steady to find: rows 3..12 are still being filled
    # when the limits against the last drawings and the history class change
    primes = ["Chekcbox22=1", "UpDown10=6", "Chekcbox27=0", "Chekcbox24=0", "Chekcbox3=0",
              "UpDown4=5", "UpDown5=5", "UpDown8=12", "Chekcbox28=0"]
    for seed, start, end, budget, extra in (
            (965, "2024-01-01", "2024-07-19", 25, ["UpDown6=3", "Chekcbox31=0"]),
            (664, "2017-01-01", "2026-07-03", 27, ["Chekcbox9=0"]),
            (255, "2024-01-01", "2020-12-11", 21, ["UpDown6=3", "Chekcbox31=0"]),
            (893, "2017-01-01", "2018-01-09", 23, ["Chekcbox9=0"]),
            (552, "2024-01-01", "2020-01-03", 25, ["Chekcbox9=0"]),
            (424, "2024-01-01", "2022-04-26", 21, ["UpDown6=3"]),
            (339, "2017-01-01", "2020-01-03", 25, ["Chekcbox9=0"]),
            (317, "2017-01-01", "2021-09-17", 25, ["Chekcbox9=0"]),
            (180, "2024-01-01", "2020-01-21", 27, ["UpDown6=3", "Chekcbox31=0"]),
            (737, "2024-01-01", "2026-05-15", 27, ["Chekcbox9=0"]),
            (666, "2024-01-01", "2026-07-03", 25, ["UpDown6=3"])):
        cases.append(gen(seed, start, end, primes + extra + ["UpDown7=%d" % budget]))
    # the only possible tip is the drawing in focus, which the history rule refuses
    # until the class is raised late in the budget (without the MegaBall counted the
    # class cannot go above 5)
    only_last = ["Chekcbox15=1", "Chekcbox2=1", "Chekcbox10=0", "Chekcbox4=0", "Chekcbox23=0",
                 "Chekcbox28=0", "Chekcbox27=0", "Chekcbox24=0", "Chekcbox3=0", "UpDown8=3"]
    for c31, cls in (("0", "5"), ("1", "6"), ("1", "7")):
        for budget in ("20", "21", "25"):
            cases.append(gen(1, "2019-10-18", "2019-10-22",
                             only_last + ["Chekcbox31=" + c31, "UpDown6=" + cls, "UpDown7=" + budget],
                             ["1=1,2,3,4,5,6,", "2=1,2,3,4,5,6,"]))
    # neighbours of a drawing of the 75-number format put numbers above 70 into the pool;
    # they count as hits against drawings that hold them
    nb = ["Chekcbox19=1", "Chekcbox15=1", "Chekcbox10=0", "UpDown4=5", "UpDown5=5", "UpDown11=5"]
    for seed in range(1, 9):
        cases.append(gen(seed, None, "2014-02-14", nb + ["UpDown8=1"]))
        cases.append(gen(seed, "2013-10-01", "2014-02-14",
                         nb + ["UpDown8=12", "UpDown7=3", "Chekcbox27=0", "Chekcbox24=0",
                               "Chekcbox3=0", "Chekcbox18=0", "UpDown6=3"]))
        cases.append(gen(seed, "2013-10-01", "2013-11-26", nb + ["UpDown8=6", "UpDown7=3",
                                                                 "UpDown17=2"]))
        cases.append(gen(seed, "2002-05-17", "2014-02-11", nb + ["UpDown8=4", "UpDown7=2"]))
    for budget in (1, 2, 3, 4, 6, 8, 12, 60):
        cases.append(gen(2000 + budget, None, None, ["UpDown7=%d" % budget, "Chekcbox8=1",
                                                     "UpDown1=150", "UpDown2=160", "UpDown8=12"]))
    # overlap variants
    for each in ("0", "1"):
        for mn, mx in ((0, 0), (0, 5), (1, 1), (1, 3), (2, 5), (3, 1), (5, 5)):
            for en in (("1", "1"), ("0", "0"), ("1", "0")):
                cases.append(gen(50 + mn * 7 + mx, None, "2024-02-01",
                                 ["UpDown7=3", "UpDown8=12", "Chekcbox27=" + each,
                                  "UpDown9=%d" % mn, "UpDown3=%d" % mx, "Chekcbox24=" + en[0],
                                  "Chekcbox3=" + en[1]]))
    # single-tip rules
    for sets in (["Chekcbox22=1", "UpDown10=3"], ["Chekcbox22=1", "UpDown10=6"],
                 ["Chekcbox25=1", "UpDown15=4"], ["Chekcbox26=1", "UpDown16=4"],
                 ["Chekcbox25=1", "Chekcbox26=1", "UpDown15=3", "UpDown16=3"],
                 ["Chekcbox18=0"], ["Chekcbox18=0", "Chekcbox8=1"],
                 ["UpDown1=300", "UpDown2=20"], ["UpDown1=200", "UpDown2=100"],
                 ["UpDown1=21", "UpDown2=239"], ["UpDown6=3"], ["UpDown6=3", "Chekcbox31=0"],
                 ["UpDown6=7", "Chekcbox31=0"], ["Chekcbox31=0", "UpDown6=9", "Chekcbox31=1"],
                 ["UpDown17=2", "UpDown18=128"], ["UpDown17=2", "UpDown18=4"],
                 ["UpDown17=2", "UpDown18=1"], ["Chekcbox28=0", "Chekcbox9=0"],
                 ["Chekcbox4=0", "Chekcbox5=0", "Chekcbox23=0"],
                 ["UpDown4=1", "UpDown5=1", "UpDown11=1"], ["UpDown4=2", "Chekcbox31=0"]):
        for start, end in (("2017-01-01", "2019-06-01"), ("2020-06-01", None),
                           ("2002-05-17", "2013-10-19")):
            cases.append(gen(321, start, end, ["UpDown7=4", "UpDown8=10"] + sets))
    # recent-drawings period reaching before the statistics start
    for draws in ("4", "20", "60", "128"):
        cases.append(gen(9, "2024-01-01", "2024-02-01", ["UpDown7=6", "UpDown8=12", "UpDown17=2",
                                                         "UpDown18=" + draws, "Chekcbox9=0"]))
    # locked rows
    rng = random.Random(99)
    for i, odd in enumerate(ODD_LOCKS):
        row = 1 + i % 12
        cases.append(gen(400 + i, None, None, ["UpDown7=3", "UpDown8=6"], ["%d=%s" % (row, odd)]))
    for i in range(12):
        locks = ["%d=%s" % (r, random_tip_line(rng)) for r in rng.sample(range(1, 13), rng.randrange(1, 4))]
        cases.append(gen(500 + i, None, "2020-06-02", ["UpDown7=5", "UpDown8=%d" % (1 + i)], locks))
    cases.append(gen(600, None, None, ["UpDown7=5", "UpDown8=2"], ["3=" + random_tip_line(rng)]))
    cases.append(gen(601, None, None, ["UpDown7=5", "UpDown8=5"], ["1=" + random_tip_line(rng)]))
    cases.append(gen(602, None, None, ["UpDown7=5", "UpDown8=5"], ["2=,,,,,,"]))
    cases.append(gen(603, None, None, ["UpDown7=5", "UpDown8=5", "UpDown9=0"], ["2=,,,,,,"]))
    return cases


def random_generate_case(rng, starts=STARTS, ends=ENDS):
    seed = rng.choice([rng.randrange(1 << 32), rng.randrange(1000), -rng.randrange(1, 1 << 31)])
    start = rng.choice(starts)
    end = rng.choice(ends)
    sets = []
    for opt in WEIGHTING:
        if rng.random() < (0.08 if opt in ("Chekcbox15",) else 0.2):
            sets.append(opt + "=1")
    if rng.random() < 0.3:
        sets.append("Chekcbox10=0")
    for name, lo, hi in (("UpDown12", 5, 75), ("UpDown13", 5, 75), ("UpDown14", 5, 75)):
        if rng.random() < 0.4:
            sets.append("%s=%d" % (name, rng.randrange(lo, hi + 1)))
    if rng.random() < 0.5:
        sets.append(rng.choice(["RadioButton2=1", "RadioButton3=1", "RadioButton1=1"]))
    if rng.random() < 0.3:
        sets.append("Chekcbox16=0")
    if rng.random() < 0.4:
        sets.append("UpDown19=%d" % rng.randrange(1, 11))
    for en, val in (("Chekcbox4", "UpDown4"), ("Chekcbox5", "UpDown5"), ("Chekcbox23", "UpDown11")):
        if rng.random() < 0.2:
            sets.append(en + "=0")
        if rng.random() < 0.3:
            sets.append("%s=%d" % (val, rng.randrange(0, 6)))
    for en in ("Chekcbox24", "Chekcbox3", "Chekcbox27", "Chekcbox9", "Chekcbox28", "Chekcbox18",
               "Chekcbox31"):
        if rng.random() < 0.15:
            sets.append(en + "=0")
    for name, lo, hi in (("UpDown9", 0, 5), ("UpDown3", 0, 5), ("UpDown6", 2, 8),
                         ("UpDown17", 2, 6), ("UpDown18", 1, 130)):
        if rng.random() < 0.3:
            sets.append("%s=%d" % (name, rng.randrange(lo, hi + 1)))
    if rng.random() < 0.2:
        sets.append("Chekcbox8=1")
    if rng.random() < 0.25:
        lo = rng.randrange(21, 200)
        sets += ["UpDown1=%d" % lo, "UpDown2=%d" % rng.randrange(lo, 240)]
    for en, val in (("Chekcbox22", "UpDown10"), ("Chekcbox25", "UpDown15"), ("Chekcbox26", "UpDown16")):
        if rng.random() < 0.15:
            sets += [en + "=1", "%s=%d" % (val, rng.randrange(0, 5))]
    sets.append("UpDown8=%d" % rng.randrange(1, 13))
    budget = rng.choice([1, 1, 2, 2, 3, 5, 8, 10, 12, 15, 20, 21, 22, 25, 30, 35, 40, 45, 50, 55, 60])
    sets.append("UpDown7=%d" % budget)
    rng.shuffle(sets)
    locks = []
    if rng.random() < 0.25:
        for r in rng.sample(range(1, 13), rng.randrange(1, 4)):
            text = random_tip_line(rng) if rng.random() < 0.8 else rng.choice(ODD_LOCKS)
            locks.append("%d=%s" % (r, text))
    return gen(seed, start, end, sets, locks)


# ---------------------------------------------------------------- search and analyses

def tip_line(nums, mb="", spare=""):
    return ",".join(str(n) for n in nums) + ",%s,%s" % (mb, spare)


def make_tip_files(db, folder, rng):
    """Tip files for the search, built from the history: rows copied from stored drawings
    (whole, with and without their MegaBall, or three or four of their numbers), random
    rows, empty and broken rows, and the three kinds of line end."""
    os.makedirs(folder, exist_ok=True)
    recent = [d for d in db if d.date >= reference.day_number("2017-01-01")] or db
    files = []

    def write(name, lines, end="\r\n"):
        path = os.path.join(folder, name)
        with open(path, "wb") as f:
            f.write("".join(line + end for line in lines).encode("latin-1"))
        files.append(path)

    def drawn(d, keep, mb=True):
        nums = list(d.main[:keep]) + [n for n in rng.sample(range(1, 71), 10) if n not in d.main][:5 - keep]
        rng.shuffle(nums)
        return tip_line(nums, d.mb if mb else (d.mb % 25) + 1)

    for i in range(3):
        picks = [rng.choice(recent) for _ in range(12)]
        write("copies%d.qlt" % i, [drawn(d, 5, rng.random() < 0.7) for d in picks])
        write("partial%d.qlt" % i, [drawn(d, rng.choice([2, 3, 3, 4, 4]), rng.random() < 0.5) for d in picks],
              end=["\r\n", "\n", "\r"][i])
    write("random.qlt", [tip_line(rng.sample(range(1, 71), 5), rng.randrange(1, 26),
                                  rng.choice(["", rng.randrange(1, 26)])) for _ in range(12)])
    d = rng.choice(recent)
    write("odd.qlt", [drawn(d, 4), "", "1,2,x", "5,5,9,20,30,7,", "07,8,9,10,11,+3,", ",,,,,,",
                      tip_line(d.main, d.mb), "75,1,2,3,4,52,", "1,2,3,4,5", " 1,2,3,4,5,6,",
                      drawn(d, 3), tip_line(d.main, "")])
    write("few.qlt", [drawn(rng.choice(recent), 5), drawn(rng.choice(recent), 4)])
    old = [x for x in db if any(n > 70 for n in x.main) or x.mb > 25]
    if old:
        write("older.qlt", [tip_line(x.main, x.mb) for x in rng.sample(old, min(12, len(old)))])
    return files


def search_cases(db, folder, rng, n, starts, ends):
    files = make_tip_files(db, folder, rng)
    cases = []
    last = db[-1].date if db else reference.day_number("2026-08-07")
    for f in files:
        for th in (-1, 0, 1, 2, 3, 4, 5, 6, 7):
            for c31 in ("1", "0"):
                # low thresholds stop at nearly every row: a window of a few weeks
                if th <= 2:
                    end = reference.iso_date(last - rng.randrange(0, 400))
                    start = reference.iso_date(reference.day_number(end) - rng.randrange(0, 40))
                else:
                    start, end = rng.choice(starts), rng.choice(ends) or reference.iso_date(last + 3)
                args = ["--end", end, "--tips", f, "--threshold", str(th), "--set", "Chekcbox31=" + c31]
                if start:
                    args += ["--start", start]
                cases.append(("search", args))
    for _ in range(n):
        th = rng.choice([3, 3, 4, 4, 5, 6, 99999999999, -99999999999])
        args = ["--end", rng.choice(ends) or "2026-12-31", "--tips", rng.choice(files), "--threshold", str(th)]
        start = rng.choice(starts)
        if start:
            args += ["--start", start]
        if rng.random() < 0.5:
            args += ["--set", "Chekcbox31=" + rng.choice("01")]
        cases.append(("search", args))
    for bad in ("abc", "", "4.5", "4 "):
        cases.append(("search", ["--end", "2026-01-01", "--tips", files[0], "--threshold", bad]))
    return cases


def analysis_settings_sets(rng):
    """Settings for a settings analysis: those of a random generate case, with a small
    budget so that each pass stays short."""
    _, args = random_generate_case(rng)
    sets = [v for k, v in zip(args[::2], args[1::2]) if k == "--set" and not v.startswith("UpDown7=")]
    return sets + ["UpDown7=%d" % rng.choice([1, 2, 3, 5])]


def analysis_cases(rng, n, froms, todays, starts):
    cases = []

    def settings(frm, seed, today=None, start=None, sets=()):
        args = ["--from", frm, "--seed", str(seed)]
        if today:
            args += ["--today", today]
        if start:
            args += ["--start", start]
        for x in sets:
            args += ["--set", x]
        cases.append(("analyse-settings", args))

    def drawings(frm, th, today=None, start=None):
        args = ["--from", frm, "--threshold", str(th)]
        if today:
            args += ["--today", today]
        if start:
            args += ["--start", start]
        cases.append(("analyse-drawings", args))

    for frm in froms:
        for today in todays:
            settings(frm, 1 + len(cases), today, None, ["UpDown7=2"])
            drawings(frm, 6, today)
    for seed in (0, 1, 99999999, 4294967295, 4294967296 + 7, -1, -123456789, 9223372036854775807):
        settings(froms[1], seed, todays[0])
    for frm in froms[:4]:
        for start in starts:
            settings(frm, 5, todays[0], start, ["UpDown7=2", "UpDown8=12"])
            drawings(frm, rng.choice([4, 5, 6]), todays[0], start)
    for th in (-1, 0, 3, 7):
        drawings(froms[-3], th, todays[0])
    for _ in range(n):
        frm, today = rng.choice(froms[1:]), rng.choice(todays)
        settings(frm, rng.randrange(1 << 32), today, rng.choice(starts), analysis_settings_sets(rng))
        drawings(frm, rng.choice([5, 6]), today, rng.choice(starts))
    for bad in ("abc", "", "1.5", "12345678901234567890"):
        settings(froms[-1], bad, todays[0])
    for bad in ("abc", "", "2.0"):
        drawings(froms[-1], bad, todays[0])
    return cases


INTEGER = re.compile(r"\s*[+-]?[0-9]+")


def reference_output(db, kind, args):
    """(exit status, stdout text) as the model expects them."""
    opts = {"--set": []}
    for k, v in zip(args[::2], args[1::2]):
        if k == "--set":
            opts[k].append(v)
        else:
            opts[k] = v
    if kind == "search":
        if not INTEGER.fullmatch(opts["--threshold"]):
            return 2, ""
        lines = reference.search(db, opts["--end"], reference.read_tip_file(opts["--tips"]),
                                 int(opts["--threshold"]), opts.get("--start"), opts["--set"])
        return 0, "".join(line + "\n" for line in lines)
    if kind == "analyse-settings":
        seed = opts["--seed"]
        if not INTEGER.fullmatch(seed) or not -(1 << 63) <= int(seed) < (1 << 63):
            return 2, ""
        return 0, reference.analyse_settings(db, opts["--from"], int(seed), opts.get("--start"),
                                             opts.get("--today"), opts["--set"])
    if not INTEGER.fullmatch(opts["--threshold"]):
        return 2, ""
    return 0, reference.analyse_drawings(db, opts["--from"], int(opts["--threshold"]),
                                         opts.get("--start"), opts.get("--today"))


def shown(rc, text):
    """Lines for the comparison; a carriage return stays visible."""
    lines = [line.replace("\r", "\\r") for line in text.split("\n")]
    if rc != 0:
        lines.append("(exit status %d)" % rc)
    return lines


# ---------------------------------------------------------------- made-up history

# A history of the program's era mixed with drawings of older formats: main numbers up
# to 75 (some drawings with sums above 350), MegaBalls up to 52, numbers stored unsorted.
SYN_STARTS = [None, "2012-01-03", "2012-01-04", "2013-06-01", "2014-03-04", "2015-01-01",
              "2016-02-02", "2018-01-01", "2019-11-01", "2020-12-01"]
SYN_ENDS = [None, "2011-06-01", "2012-01-03", "2013-06-02", "2014-09-30", "2015-05-13",
            "2016-12-31", "2017-10-31", "2018-07-04", "2019-12-31", "2020-12-29", "2021-05-01"]


def synthetic_history(rng):
    lines = ["date,n1,n2,n3,n4,n5,megaball,megaplier"]
    import datetime
    d = datetime.date(2012, 1, 3)
    while d <= datetime.date(2020, 12, 29):
        if d.weekday() in (1, 4):
            if d.year < 2017:
                if rng.random() < 0.06:
                    nums = rng.sample(range(66, 76), 5)
                else:
                    nums = rng.sample(range(1, 76), 5)
                mb = rng.randrange(1, 53)
            else:
                nums = rng.sample(range(1, 71), 5)
                mb = rng.randrange(1, 26)
            if rng.random() < 0.05:        # a run of consecutive numbers
                n = rng.randrange(1, 67)
                k = rng.randrange(2, 5)
                nums = list(range(n, n + k)) + rng.sample([x for x in range(1, 71)
                                                           if x < n - 1 or x > n + k], 5 - k)
                rng.shuffle(nums)
            lines.append("%s,%s,%d,%s" % (d.isoformat(), ",".join(map(str, nums)), mb,
                                          rng.choice(["", "2", "3", "4", "5"])))
        d += datetime.timedelta(days=1)
    return "\n".join(lines) + "\n"


def synthetic_stats_cases():
    return [("stats", [kind] + window_args(s, e))
            for s in SYN_STARTS for e in SYN_ENDS for kind in STAT_KINDS]


def synthetic_generate_cases(rng, n):
    cases = [random_generate_case(rng, SYN_STARTS, SYN_ENDS) for _ in range(n)]
    for opt in WEIGHTING + ["Chekcbox10"]:
        for start in ("2012-01-03", "2016-02-02"):
            cases.append(gen(17, start, "2018-07-04", ["UpDown7=2", "UpDown8=12", opt + "=1"]))
    return cases


# ---------------------------------------------------------------- lookup, check, cart, fill-script

def _date(day):
    return reference.iso_date(day)


def lookup_dates(db, rng, n):
    """Dates around both ends, on, between and beside stored drawings, and random ones."""
    dates = ["1990-01-01", "2000-05-16", "2000-05-17", "2000-05-18", "2027-01-01", "2099-12-31"]
    if db:
        first, last = db[0].date, db[-1].date
        for day in (first - 1, first, first + 1, last - 1, last, last + 1, last + 400):
            dates.append(_date(day))
        for _ in range(n):
            i = rng.randrange(len(db))
            dates.append(_date(db[i].date + rng.choice([-2, -1, 0, 0, 1, 2])))
        for _ in range(n // 2):
            dates.append(_date(rng.randrange(int(first) - 800, int(last) + 800)))
    return dates


STEP_PLANS = [[], [("prev", 1)], [("next", 1)], [("prev", 3)], [("next", 3)], [("next", 0)],
              [("prev", 2), ("next", 4)], [("next", 5), ("prev", 2), ("next", 1)],
              [("prev", 40)], [("next", 40)], [("prev", 1), ("prev", 1), ("prev", 1)]]


def step_args(plan):
    out = []
    for name, count in plan:
        out += ["--" + name, str(count)]
    return out


def lookup_cases(db, rng, n):
    cases = []
    for i, d in enumerate(lookup_dates(db, rng, n)):
        plans = STEP_PLANS if i < 14 else [rng.choice(STEP_PLANS)]
        for plan in plans:
            cases.append(("lookup", ["--date", d] + step_args(plan)))
    for odd in ("2026-02-30", "20260807", "x", "", "2026-8-7", " 2026-08-07", "2026-08-07x", "2023-02-29",
                "2024-02-29", "0001-01-01", "1899-12-29", "9999-12-31"):
        cases.append(("lookup", ["--date", odd, "--prev", "1"]))
    return cases


def check_tip_files(db, folder, rng):
    """Tip files for the check: rows copied from stored drawings (hits of every class,
    with and without the MegaBall), rows with fields that the field check empties or
    rewrites, rows with a seventh field, short, long, empty and unterminated files.
    Returns [(path, drawing date the rows were made from)]."""
    os.makedirs(folder, exist_ok=True)
    out = []

    def write(name, lines, day, end="\r\n", last_end=True):
        path = os.path.join(folder, name)
        text = end.join(lines) + (end if last_end and lines else "")
        with open(path, "wb") as f:
            f.write(text.encode("latin-1"))
        out.append((path, day))

    def like(d, keep, mb):
        nums = list(d.main[:keep]) + [x for x in rng.sample(range(1, 71), 12) if x not in d.main][:5 - keep]
        rng.shuffle(nums)
        return tip_line(nums, mb)

    picks = rng.sample(db, min(10, len(db))) if db else []
    for i, d in enumerate(picks):
        rows = [like(d, k, rng.choice([d.mb, d.mb, (d.mb % 25) + 1, ""])) for k in (5, 4, 3, 2, 1, 0)]
        rows += [like(d, rng.randrange(6), d.mb) for _ in range(rng.randrange(0, 7))]
        rng.shuffle(rows)
        write("drawn%d.qlt" % i, rows, d.date, end=["\r\n", "\n", "\r"][i % 3], last_end=i % 4 != 3)
    d = picks[0] if picks else None
    main = list(d.main) if d else [5, 12, 33, 41, 70]
    mb = d.mb if d else 7
    odd = ["0" + str(main[0]) + ",%d,%d,%d,%d,%d," % (main[1], main[2], main[3], main[4], mb),
           "+%d,%d,%d,%d,%d,+%d," % (main[0], main[1], main[2], main[3], main[4], mb),
           "71,%d,%d,%d,%d,%d," % (main[1], main[2], main[3], main[4], mb),
           "%d,x,%d,%d,%d,%d," % (main[0], main[2], main[3], main[4], mb),
           ",%d,%d,%d,%d,%d," % (main[1], main[2], main[3], main[4], mb),
           "%d,%d,%d,%d,%d,25," % tuple(main),
           "%d,%d,%d,%d,%d,%d,9" % (main[4], main[3], main[2], main[1], main[0], mb),
           "%d,%d,%d,%d,%d,%d,7,8" % (main[4], main[3], main[2], main[1], main[0], mb),
           "%d,%d,%d" % tuple(main[:3]), "%d,,,,,," % main[0], ",,,,,%d,3" % mb,
           "%d,%d,%d,%d,%d,x," % tuple(main)]
    write("odd.qlt", odd, d.date if d else 0)
    write("odd-more.qlt", odd + [tip_line(main, mb), tip_line(main[::-1], ""), "1,2,3,4,5,6,",
                                 tip_line(main, 25)], d.date if d else 0)
    write("bytes.qlt", ["%d,%d,%d,%d,%d,%d,\x00" % (tuple(main) + (mb,)), "\xe4,1,2,3,4,5,",
                        " %d,%d,%d,%d,%d,%d," % (tuple(main) + (mb,)),
                        "%d ,%d,%d,%d,%d,%d," % (tuple(main) + (mb,)),
                        "00000000000%d,%d,%d,%d,%d,0%d," % (tuple(main) + (mb,)),
                        "-%d,%d,%d,%d,%d,%d," % (tuple(main) + (mb,)),
                        "4294967301,%d,%d,%d,%d,%d," % (tuple(main[1:]) + (mb,))], d.date if d else 0)
    write("example.qlt", ["70,5,9,33,1,7,", "70,5,9,33,1,8,", "5,12,1,2,3,,", ",5,12,33,41,7,"] + [""] * 6
          + ["70,5,9,33,1,7,"], reference.day_number("2019-10-15"))
    write("empty.qlt", [], 0)
    write("blank-lines.qlt", ["", "", tip_line(main, mb), ""], d.date if d else 0, end="\n")
    # MegaBall 25 against drawings of the 1..25 era and of the game format from 2025-04-08
    with25 = [x for x in db if x.mb == 25][-3:]
    later = [x for x in db if x.date >= reference.day_number("2025-04-08")][:3]
    for i, x in enumerate(with25 + later):
        write("mb25-%d.qlt" % i, [tip_line(x.main, 25), tip_line(x.main[:3] + (1, 2) if 1 not in x.main
                                                                   and 2 not in x.main else x.main, 25, 25),
                                  tip_line(x.main, x.mb)], x.date)
    return out


def check_cases(db, folder, rng, n):
    files = check_tip_files(db, folder, rng)
    cases = []
    edges = lookup_dates(db, rng, 4)[:13]
    for path, day in files:
        days = [_date(day + k) for k in (-1, 0, 1)] if day else []
        for d in days + rng.sample(edges, 4):
            cases.append(("check", ["--date", d, "--tips", path]))
    for _ in range(n):
        path, day = rng.choice(files)
        d = _date(day + rng.choice([-3, 0, 0, 4])) if day and rng.random() < 0.7 else rng.choice(edges)
        cases.append(("check", ["--date", d, "--tips", path]))
    # the search's tip files too
    for path in make_tip_files(db, os.path.join(folder, "search"), rng) if db else []:
        cases.append(("check", ["--date", rng.choice(edges), "--tips", path]))
    cases.append(("check", ["--date", "2026-13-01", "--tips", files[0][0]]))
    return cases


def random_row_text(rng):
    """A tip-file line for the carts: full rows, partial rows, a lone first number, a lone
    seventh field, empty rows and junk."""
    kind = rng.random()
    nums = [str(x) for x in rng.sample(range(1, 71), 5)]
    mb, spare = str(rng.randrange(1, 26)), rng.choice(["", "", str(rng.randrange(1, 26))])
    if kind < 0.45:
        return ",".join(nums + [mb, spare])
    if kind < 0.55:
        return nums[0] + ",,,,,,"
    if kind < 0.62:
        return ",,,,,," + str(rng.randrange(1, 26))
    if kind < 0.72:
        return ",".join(nums[:rng.randrange(1, 5)])
    if kind < 0.85:
        return ""
    return rng.choice(["07,8,x,80,5,26,3", "1,2,3,4,5,6,7,8", ",,,,,,", "71,72,0,-1,5,26,26",
                       ",,3,,,,", " 1,2,3,4,5,6,", "+1,2,3,4,5,+6,+7"])


def write_lines(path, lines, end="\r\n"):
    with open(path, "wb") as f:
        f.write("".join(x + end for x in lines).encode("latin-1"))
    return path


def cart_tip_files(folder, rng, n):
    os.makedirs(folder, exist_ok=True)
    row = "5,17,33,41,62,9,"
    fixed = {
        "none.qlt": [],
        "rows1and3.qlt": [row, ",,,,,,", "2,8,19,50,70,25,"],
        "spare-only.qlt": [",,,,,,7", ",,,,,,"],
        "first-only.qlt": ["7,,,,,,", "", "", "12"],
        "twelve.qlt": [row] * 12,
        "row7-empty.qlt": [row] * 6 + [""] + [row] * 5,
        "row9-only-late.qlt": [row, "", "", "", "", "", "", "", row],
        "row7-only.qlt": [""] * 6 + [row],
        "thirteen.qlt": [row] * 13 + ["1,2,3,4,5,6,"],
    }
    files = [write_lines(os.path.join(folder, k), v) for k, v in fixed.items()]
    for i in range(n):
        lines = [random_row_text(rng) for _ in range(rng.randrange(0, 15))]
        files.append(write_lines(os.path.join(folder, "random%d.qlt" % i), lines,
                                 rng.choice(["\r\n", "\n", "\r"])))
    return files


# Data servers for the carts: (name, options, answer status, answer body)
CART_SERVERS = [
    ("base", ["--cart-base", "https://portal.example/cart.asp?"], 200, "https://portal.example/cart.asp?"),
    ("fallback", [], 404, ""),          # the server's own not-found page
    ("notice", ["--notice", "notice.htm"], 404,
     "<html><body><p>Mitteilung: der Warenkorb ist heute gesperrt.</p></body></html>\r\n"),
    ("other404", ["--notice", "plain.htm"], 404, "<html><body>gesperrt</body></html>\r\n"),
    ("odd-base", ["--cart-base", "http://h.example/x?a=1&b= \u00e4%20[KASTEN1]&"], 200,
     "http://h.example/x?a=1&b= \u00e4%20[KASTEN1]&"),
    ("empty-base", ["--cart-base", ""], 200, ""),
    ("upper-base", ["--cart-base", "HTTPS://PORTAL.EXAMPLE/C?"], 200, "HTTPS://PORTAL.EXAMPLE/C?"),
    ("ftp-base", ["--cart-base", "ftp://files.example/c?"], 200, "ftp://files.example/c?"),
    ("file-base", ["--cart-base", "file:///etc/passwd?"], 200, "file:///etc/passwd?"),
    ("blank-base", ["--cart-base", " http://lead.example/?"], 200, " http://lead.example/?"),
    ("crlf-base", ["--cart-base", "http://x.example/c?\r\n"], 200, "http://x.example/c?\r\n"),
    ("tab-base", ["--cart-base", "http://x.example/a\tb?"], 200, "http://x.example/a\tb?"),
]


def start_cart_servers(server, db_path, folder):
    """Starts one data server per answer kind; returns ({name: (address, status, body)},
    [processes])."""
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "notice.htm"), "w", encoding="utf-8", newline="") as f:
        f.write(CART_SERVERS[2][3])
    with open(os.path.join(folder, "plain.htm"), "w", encoding="utf-8", newline="") as f:
        f.write(CART_SERVERS[3][3])
    found, procs = {}, []
    for name, opts, status, body in CART_SERVERS:
        opts = [os.path.join(folder, o) if o.endswith(".htm") else o for o in opts]
        p = subprocess.Popen([server, "--db", db_path, "--port", "0"] + opts, stdout=subprocess.PIPE,
                             stderr=subprocess.DEVNULL, text=True)
        procs.append(p)
        address = p.stdout.readline().strip()
        if not address.startswith("http://127.0.0.1:"):
            sys.exit("the data server did not start: " + repr(address))
        found[name] = (address, status, body)
    return found, procs


def cart_cases(servers, folder, rng, n):
    files = cart_tip_files(folder, rng, n)
    cases = []
    for name in servers:
        for f in files:
            args = ["--server", servers[name][0], "--tips", f]
            if rng.random() < 0.4:
                args += ["--count", str(rng.randrange(1, 13))]
            cases.append(("cart", args, name))
    for bad in ("0", "13", "x", ""):
        cases.append(("cart", ["--server", servers["base"][0], "--tips", files[1], "--count", bad], "base"))
    return cases


PLACEHOLDER_BITS = ["[Z1_1]", "[Z1_10]", "[Z1_11]", "[Z1_12]", "[Z5_12]", "[S1_1]", "[S2_1]", "[S1_12]",
                    "[S2_12]", "[z1_1]", "[s1_2]", "[Z6_1]", "[Z0_1]", "[Z1_0]", "[Z1_13]", "[S3_1]",
                    "[Z1_01]", "[DAUER]", "[FR]", "[DI]", "[DIFR]", "[dauer]", "[MELDUNGFERTIG]",
                    "[TIPPDATEI]", "[Tippdatei]", "[Z1_", "Z1_1]", "[[Z2_3]]", "[DI[FR]]", "[",
                    " ", "  ", "Klick(", ")", "\u00e4\u00f6\u00fc", "\u20ac", "\t", ",", "=", "\r\n", "\n", "\r"]


def random_script(rng):
    parts = []
    for _ in range(rng.randrange(0, 60)):
        if rng.random() < 0.55:
            k, r = rng.randrange(1, 6), rng.randrange(1, 13)
            parts.append(rng.choice(["[Z%d_%d]" % (k, r), "[S1_%d]" % r, "[S2_%d]" % r]))
        else:
            parts.append(rng.choice(PLACEHOLDER_BITS))
    return "".join(parts)


def script_tip_line(rng):
    kind = rng.random()
    if kind < 0.5:
        return random_row_text(rng)
    if kind < 0.7:
        return ",".join(rng.choice(["07", "x", "", " 5", "99", "+3", "1", "70", "25"])
                        for _ in range(rng.randrange(0, 10)))
    return rng.choice(["[Z1_2],[DAUER],[S1_3],a,b,c,d", "[TIPPDATEI],,,,,,", ",,,,,,,,,,",
                       "1,2,3,4,5,6,7,8", "1,2,3", "\u00e4,\u00f6,3,4,5,6,7", ";1;2;3"])


def fill_script_cases(folder, rng, n):
    os.makedirs(folder, exist_ok=True)
    cases = []
    fixed_script = write_bytes(os.path.join(folder, "all.qcs"), "".join(
        ["Zeile %d: " % r + " ".join("[Z%d_%d]" % (k, r) for k in range(1, 6)) + " MB [S1_%d] S [S2_%d]\r\n"
         % (r, r) for r in range(1, 13)]) + "[DAUER] [FR] [DI] [DIFR] [MELDUNGFERTIG] [TIPPDATEI] [z1_1]")
    tip_files = []
    for count in range(0, 15):
        lines = [script_tip_line(rng) for _ in range(count)]
        tip_files.append(write_lines(os.path.join(folder, "lines%d.qlt" % count), lines,
                                     rng.choice(["\r\n", "\n", "\r"])))
    tip_files.append(write_bytes(os.path.join(folder, "unterminated.qlt"), "1,2,3,4,5,6,\r\n7,8,9,10,11,12,13"))
    tip_files.append(write_bytes(os.path.join(folder, "blank.qlt"), "\r\n\r\n1,2,3,4,5,6,\r\n"))
    tip_files.append(write_raw(os.path.join(folder, "bytes.qlt"), b"1,\x80,\x9f,\x81,\xe4,\xc3\xa4,\xff\r\n"
                               b"[Z1_2],[DAUER],[S1_3],[TIPPDATEI],[MELDUNGFERTIG],[z1_1],[Z1_1]\r\n"
                               b"9,8,7,6,5,4,3,2,1\r\n[Z2_1],,,,,,[S2_3]\r\n"))
    scripts = [fixed_script,
               write_raw(os.path.join(folder, "not-utf8.qcs"), b"a\xe4b\xff[Z1_1]\x80\x81[S1_2]\r\n[Z7_1]"),
               write_raw(os.path.join(folder, "bom.qcs"), b"\xef\xbb\xbf[Z1_1]\xc3\xa4\xef\xbb\xbf\n[S2_1]"),
               write_raw(os.path.join(folder, "empty.qcs"), b""),
               write_raw(os.path.join(folder, "blank-lines.qcs"), b"\r\n\n\r[DI]\n\n")]
    flag_sets = [[], ["Chekcbox1=1"], ["Chekcbox2=1"], ["Chekcbox3=0"], ["Chekcbox2=1", "Chekcbox3=0"],
                 ["Chekcbox1=1", "Chekcbox2=1", "Chekcbox3=1"], ["chekcbox1=1", "CHEKCBOX2=1"],
                 ["Chekcbox1=0", "Chekcbox2=0", "Chekcbox3=0", "UpDown8=12", "Chekcbox10=0"]]
    for f in tip_files:
        for sets in flag_sets:
            args = ["--script", fixed_script, "--tips", f]
            for x in sets:
                args += ["--set", x]
            cases.append(("fill-script", args, folder))
    for script in scripts[1:]:
        for f in (tip_files[0], tip_files[3], tip_files[13], tip_files[-1]):
            cases.append(("fill-script", ["--script", script, "--tips", f], folder))
    for i in range(n):
        script = write_bytes(os.path.join(folder, "random%d.qcs" % i), random_script(rng)) \
            if rng.random() < 0.8 else rng.choice(scripts)
        args = ["--script", script, "--tips", rng.choice(tip_files)]
        for x in rng.choice(flag_sets):
            args += ["--set", x]
        cases.append(("fill-script", args, folder))
    # a tip file given by a relative path: the placeholder gets the full path
    rel = os.path.relpath(tip_files[3], folder)
    cases.append(("fill-script", ["--script", fixed_script, "--tips", os.path.join(".", "x", "..", rel)], folder))
    cases.append(("fill-script", ["--script", fixed_script, "--tips", tip_files[3], "--set", "NoSuch=1"], folder))
    return cases


def write_raw(path, data):
    with open(path, "wb") as f:
        f.write(data)
    return path


def write_bytes(path, text):
    with open(path, "wb") as f:
        f.write(text.encode("utf-8"))
    return path


def tips_reference_output(db, case):
    """(exit status, stdout lines) that the model expects for a lookup, check, cart or
    fill-script case."""
    kind, args, extra = case
    opts, steps = {}, []
    for k, v in zip(args[::2], args[1::2]):
        if k in ("--prev", "--next"):
            steps.append((k[2:], int(v)))
        elif k == "--set":
            opts.setdefault(k, []).append(v)
        else:
            opts[k] = v

    def day_of(text):
        if not re.fullmatch(r"[0-9]{4}-[0-9]{2}-[0-9]{2}", text):
            return None
        try:
            return reference.day_number(text)
        except ValueError:
            return None

    if kind in ("lookup", "check"):
        day = day_of(opts["--date"])
        if day is None:
            return 2, []
        if kind == "lookup":
            return 0, reference_tips.lookup_lines(db, day, steps)
        return 0, reference_tips.check_lines(db, day, opts["--tips"])
    if kind == "cart":
        if "--count" in opts and not re.fullmatch(r"[0-9]+", opts["--count"]) or \
                "--count" in opts and not 1 <= int(opts["--count"]) <= 12:
            return 2, []
        address, status, body = extra
        base = reference_tips.cart_base(address, status, body)
        if base is None:
            return 0, []
        urls = reference_tips.cart_urls(base, opts["--tips"])
        if not all(reference_tips.safe_to_open(u) for u in urls):
            return 1, []
        return 0, urls
    try:
        settings = reference.make_settings(opts.get("--set", []))
    except ValueError:
        return 2, []
    path = os.path.normpath(os.path.join(extra, opts["--tips"]))
    with open(opts["--script"], "rb") as f:
        script = reference_tips.decode_script(f.read())
    with open(path, "rb") as f:
        tips = reference_tips.decode_single_bytes(f.read())
    text = reference_tips.fill_script(script, tips, settings, path)
    return 0, text.encode("utf-8").decode("latin-1").split("\n")


def run_tips_case(case, db_path):
    kind, args, extra = case
    cwd = None
    if kind in ("lookup", "check"):
        cmd = [_CLI, kind, "--db", db_path] + args
    elif kind == "cart":
        cmd = [_CLI, kind] + args
        extra = _SERVERS[extra]
    else:
        cmd = [os.path.abspath(_CLI), kind] + args
        cwd = extra
    p = subprocess.run(cmd, capture_output=True, timeout=600, cwd=cwd)
    out = p.stdout.decode("latin-1" if kind == "fill-script" else "utf-8", "replace")
    got = shown(p.returncode, out)
    try:
        rc, lines = tips_reference_output(_DBS[db_path], (kind, args, extra))
        text = "\n".join(lines) if kind == "fill-script" else "".join(x + "\n" for x in lines)
        want = shown(rc, text)
    except Exception as e:  # a model failure is reported like a difference
        want = ["(reference failed: %r)" % e]
    if cwd:
        cmd = ["env", "-C", cwd] + cmd
    return cmd, got, want, set()


def tips_jobs(a, wanted, folder, db_path, real_db):
    """lookup, check and fill-script cases on the real history, on the made-up one and on
    three small files: empty, one drawing, three drawings."""
    jobs = []
    rng = random.Random(a.rng + 4000)
    dbs = [(db_path, real_db, max(a.cases // 4, 20))]
    syn_db = os.path.join(folder, "made-up", "Ruvuzevodare.dat")
    if os.path.exists(syn_db):
        dbs.append((syn_db, reference.load_database(syn_db), max(a.cases // 20, 10)))
    for name, lines in (("none", None), ("one", ["2019-10-15,5,12,33,41,70,7,3"]),
                        ("three", ["2019-10-15,5,12,33,41,70,7,3", "2019-10-18,1,9,33,62,70,25,",
                                   "2025-04-08,2,8,19,50,69,24,"])):
        path = os.path.join(folder, "small-" + name, "Ruvuzevodare.dat")
        os.makedirs(os.path.dirname(path))
        if lines is None:
            open(path, "wb").close()
        else:
            csv = os.path.join(folder, "small-%s.csv" % name)
            with open(csv, "w") as f:
                f.write("date,n1,n2,n3,n4,n5,megaball,megaplier\n" + "\n".join(lines) + "\n")
            import_history(a.cli, csv, path)
        dbs.append((path, reference.load_database(path), 6))
    for i, (path, db, n) in enumerate(dbs):
        if wanted("lookup"):
            jobs += [(c + (None,), path) for c in lookup_cases(db, rng, n)]
        if wanted("check"):
            jobs += [(c + (None,), path) for c in check_cases(db, os.path.join(folder, "check%d" % i),
                                                               rng, n)]
    if wanted("fill-script"):
        jobs += [(c, db_path) for c in fill_script_cases(os.path.join(folder, "scripts"), rng,
                                                         max(a.cases // 2, 20))]
    return jobs


# ---------------------------------------------------------------- running

_DBS = {}
_CLI = None
_SERVERS = {}


def _init(cli, servers=None):
    global _CLI, _SERVERS
    _CLI = cli
    _SERVERS = servers or {}


def run_case(case, db_path):
    if db_path not in _DBS:
        _DBS[db_path] = reference.load_database(db_path)
    _DB = _DBS[db_path]
    if case[0] in TIPS_KINDS:
        return run_tips_case(case, db_path)
    kind, args = case
    cmd = [_CLI, kind] + (args[:1] + ["--db", db_path] + args[1:] if kind == "stats"
                          else ["--db", db_path] + args)
    if kind in ("generate", "analyse-settings"):
        # The model picks MegaBalls from 1..25, as the program does with MegaBall24 off.
        cmd += ["--set", "MegaBall24=0"]
    if kind in ("search", "analyse-settings", "analyse-drawings"):
        p = subprocess.run(cmd, capture_output=True, timeout=600)
        got = shown(p.returncode, p.stdout.decode("utf-8", "replace"))
        try:
            want = shown(*reference_output(_DB, kind, args))
        except Exception as e:  # a model failure is reported like a difference
            want = ["(reference failed: %r)" % e]
        return cmd, got, want, set()
    p = subprocess.run(cmd, capture_output=True, text=True, timeout=600)
    got = p.stdout.splitlines()
    if p.returncode != 0:
        got.append("(exit status %d: %s)" % (p.returncode, p.stderr.strip()))
    events = set()
    try:
        if kind == "stats":
            opts = dict(zip(args[1::2], args[2::2]))
            want = reference.stats(_DB, args[0], opts.get("--start"), opts.get("--end"))
        else:
            opts = {"--set": [], "--lock": []}
            i = 0
            while i < len(args):
                if args[i] in ("--set", "--lock"):
                    opts[args[i]].append(args[i + 1])
                else:
                    opts[args[i]] = args[i + 1]
                i += 2
            want, g = reference.generate(_DB, int(opts["--seed"]), opts.get("--start"),
                                         opts.get("--end"), opts["--set"], opts["--lock"])
            events = g.events
    except Exception as e:  # a model failure is reported like a difference
        want = ["(reference failed: %r)" % e]
    return cmd, got, want, events


def import_history(cli, csv_path, db_path):
    p = subprocess.run([cli, "import", csv_path, "--db", db_path], capture_output=True, text=True)
    if p.returncode != 0 or not os.path.exists(db_path):
        sys.exit("import failed: " + p.stdout + p.stderr)
    return p.stdout


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--cli", default="build/bin/ruvuzevodare-cli")
    ap.add_argument("--db")
    ap.add_argument("--csv")
    ap.add_argument("--cases", type=int, default=400)
    ap.add_argument("--rng", type=int, default=1)
    ap.add_argument("--only", choices=["stats", "generate", "search", "analyse"] + list(TIPS_KINDS))
    ap.add_argument("--server", help="the data server (default: beside --cli)")
    ap.add_argument("--jobs", type=int, default=2)
    ap.add_argument("--show", type=int, default=20)
    ap.add_argument("--no-synthetic", action="store_true")
    ap.add_argument("--keep", action="store_true")
    a = ap.parse_args()

    tmp = tempfile.TemporaryDirectory()
    db_path = a.db
    if not db_path:
        if not a.csv:
            ap.error("give --db or --csv")
        db_path = os.path.join(tmp.name, "Ruvuzevodare.dat")
        import_history(a.cli, a.csv, db_path)

    def wanted(kind):
        return a.only is None or a.only == kind

    jobs = []       # (case, database)
    if wanted("stats"):
        jobs += [(c, db_path) for c in stats_cases()]
    if wanted("generate"):
        rng = random.Random(a.rng)
        jobs += [(c, db_path) for c in fixed_generate_cases()]
        jobs += [(random_generate_case(rng), db_path) for _ in range(a.cases)]
    real_db = reference.load_database(db_path)
    if wanted("search"):
        rng = random.Random(a.rng + 2000)
        jobs += [(c, db_path) for c in search_cases(real_db, os.path.join(tmp.name, "tips"), rng,
                                                     max(a.cases // 4, 10), STARTS, ENDS)]
    if wanted("analyse"):
        rng = random.Random(a.rng + 3000)
        jobs += [(c, db_path) for c in analysis_cases(rng, max(a.cases // 25, 4), ANALYSIS_FROMS,
                                                       ANALYSIS_TODAYS, ANALYSIS_STARTS)]
    if not a.no_synthetic:
        rng = random.Random(a.rng + 1000)
        syn_csv = os.path.join(tmp.name, "made-up.csv")
        with open(syn_csv, "w", encoding="utf-8") as f:
            f.write(synthetic_history(rng))
        syn_db = os.path.join(tmp.name, "made-up", "Ruvuzevodare.dat")
        os.makedirs(os.path.dirname(syn_db))
        import_history(a.cli, syn_csv, syn_db)
        if wanted("stats"):
            jobs += [(c, syn_db) for c in synthetic_stats_cases()]
        if wanted("generate"):
            jobs += [(c, syn_db) for c in synthetic_generate_cases(rng, max(a.cases // 4, 10))]
        syn = reference.load_database(syn_db)
        if wanted("search"):
            jobs += [(c, syn_db) for c in search_cases(syn, os.path.join(tmp.name, "syn-tips"), rng,
                                                        max(a.cases // 20, 5), SYN_STARTS, SYN_ENDS)]
        if wanted("analyse"):
            jobs += [(c, syn_db) for c in analysis_cases(rng, max(a.cases // 50, 2), SYN_FROMS,
                                                          SYN_TODAYS, SYN_STARTS[:4])]

    servers, server_procs = {}, []
    jobs += tips_jobs(a, wanted, tmp.name, db_path, real_db)
    if wanted("cart"):
        servers, server_procs = start_cart_servers(a.server or os.path.join(os.path.dirname(a.cli),
                                                                            "ruvuzevodare-server"),
                                                   db_path, os.path.join(tmp.name, "server"))
        rng = random.Random(a.rng + 5000)
        jobs += [(c, db_path) for c in cart_cases(servers, os.path.join(tmp.name, "cart"), rng,
                                                   max(a.cases // 8, 10))]

    tally = collections.Counter()
    bad = []
    done = collections.Counter()
    with concurrent.futures.ProcessPoolExecutor(max_workers=a.jobs, initializer=_init,
                                                initargs=(a.cli, servers)) as ex:
        futs = [ex.submit(run_case, c, db) for c, db in jobs]
        for (case, _), f in zip(jobs, futs):
            cmd, got, want, events = f.result()
            done[case[0]] += 1
            for e in events:
                tally[e] += 1
            if got != want:
                bad.append((cmd, got, want))

    for cmd, got, want in bad[:a.show]:
        print("DIFFERENCE: " + shlex.join(cmd))
        for line in difflib.unified_diff(want, got, "reference", "cli", lineterm="", n=1):
            print("    " + line)
    print("compared: %s" % ", ".join("%s %d" % kv for kv in sorted(done.items())))
    if tally:
        print("generate paths reached (cases): " +
              "; ".join("%s %d" % kv for kv in sorted(tally.items())))
    print("differences: %d" % len(bad))
    for p in server_procs:
        p.terminate()
        p.wait()
    if a.keep:
        print("databases kept in " + tmp.name)
    else:
        tmp.cleanup()
    return 1 if bad else 0


if __name__ == "__main__":
    sys.exit(main())
