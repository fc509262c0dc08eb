#!/usr/bin/env python3
"""Independent Python model of the tip generator, the statistics tables it reads, the tip
search in the history and the two historic analyses.

It reproduces, from the drawing file alone, what `ruvuzevodare-cli stats ...` and
`ruvuzevodare-cli generate ...` print, so that compare.py can run both over many
seeds, settings and date windows and report every difference.

Only the standard library is used. The drawing file is read either as the program's
own database (32-byte records) or as the plain CSV `date,n1..n5,megaball,megaplier`.

Usable as a command line too:

    reference.py stats KIND --db DB [--start D] [--end D]
    reference.py generate --db DB --seed N [--start D] [--end D] [--set N=V]... [--lock R=F...]...
    reference.py search --db DB --end D --tips FILE --threshold N [--start D] [--set N=V]...
    reference.py analyse-settings --db DB --from D --seed N [--start D] [--today D] [--set N=V]...
    reference.py analyse-drawings --db DB --from D --threshold N [--start D] [--today D]

The search and the two historic analyses are modelled on a small picture of the main
window (class Window): the drawing in focus with its lookup and next step, the date
pickers, the tip rows with their result captions and the full tip check.
"""
import datetime
import struct
import sys

EPOCH = datetime.date(1899, 12, 30)
PRIMES = {2, 3, 5, 7, 11, 13, 17, 19, 23, 29, 31, 37, 41, 43, 47, 53, 59, 61, 67, 71, 73}
POOL_CAPACITY = 501


# ---------------------------------------------------------------- dates, drawings

def day_number(text):
    """ISO date text -> whole day number counted from 30 Dec 1899."""
    return (datetime.date.fromisoformat(text) - EPOCH).days


def today_number():
    return (datetime.date.today() - EPOCH).days


class Drawing:
    __slots__ = ("date", "nums", "main", "mb")

    def __init__(self, date, nums):
        self.date = date            # day number (float in the file, whole days)
        self.nums = tuple(nums)     # eight bytes: 5 main, 0, MegaBall, Megaplier
        self.main = self.nums[0:5]
        self.mb = self.nums[6]


def load_database(path):
    """Read the drawing file: 32-byte records, or the plain CSV history."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:4] == b"date":
        return load_csv(data.decode("utf-8"))
    out = []
    for off in range(0, len(data) - len(data) % 32, 32):
        date = struct.unpack_from("<d", data, off)[0]
        nums = struct.unpack_from("8B", data, off + 8)
        out.append(Drawing(date, nums))
    return out


def load_csv(text):
    out = []
    for line in text.splitlines()[1:]:
        parts = line.strip().split(",")
        if len(parts) < 7 or not parts[0]:
            continue
        nums = [int(x) for x in parts[1:6]] + [0, int(parts[6]),
                                               int(parts[7]) if len(parts) > 7 and parts[7] else 0]
        out.append(Drawing(day_number(parts[0]), nums))
    out.sort(key=lambda d: d.date)
    return out


def lookup(db, date):
    """Index of the first drawing on or after `date`, else of the last drawing."""
    target = round(date)
    for i, d in enumerate(db):
        if d.date >= target:
            return i
    return len(db) - 1


def step_back(pos):
    pos -= 1
    return 0 if pos < 1 else pos


# ---------------------------------------------------------------- helpers

class Random:
    """The program's linear congruential generator (32-bit state)."""

    def __init__(self, seed):
        self.seed = seed & 0xFFFFFFFF

    def __call__(self, n):
        self.seed = (self.seed * 134775813 + 1) & 0xFFFFFFFF
        return (self.seed * n) >> 32


def round_even(x):
    """Nearest integer, halves to the even neighbour (Python's float round does that)."""
    return int(round(x))


def hits(tip, mb, drawing, count_megaball):
    """Main-number matches of a tip with a drawing, plus one for an equal MegaBall
    when that option is on."""
    h = 0
    for z in drawing.main:
        for t in tip:
            if t == z:
                h += 1
    if count_megaball and mb == drawing.mb:
        h += 1
    return h


# ---------------------------------------------------------------- statistics tables

class Table:
    def __init__(self, entries, rmin, rmax, title):
        self.entries = entries      # list of (key, value), ascending keys
        self.rmin = rmin
        self.rmax = rmax
        self.title = title

    def value(self, key):
        return dict(self.entries)[key]

    def lines(self):
        out = ["%d %d" % kv for kv in self.entries]
        out.append("range %d %d" % (self.rmin, self.rmax))
        out.append("title " + self.title)
        return out


def _min_max(values):
    if not values:
        return 0, 0
    return min(values), max(values)


def window_inclusive(db, start, end):
    return [d for d in db if start <= d.date <= end]


def window_exclusive(db, start, end):
    return [d for d in db if start < d.date <= end]


def table_frequency(db, start, end):
    win = window_inclusive(db, start, end)
    count = [0] * 71
    total = 0
    for d in win:
        for n in d.main:
            if 1 <= n <= 70:
                count[n] += 1
        total += sum(d.main)
    vals = count[1:71]
    lo, hi = _min_max(vals)
    if win:
        title = "Zahlenverteilung     Ziehungen: %d    Quersumme: %d" % (
            len(win), round_even(total / len(win)))
    else:
        title = ""      # the average cannot be formed; the old (empty) title stays
    return Table(list(zip(range(1, 71), vals)), lo, hi, title)


def _overdue(win, keys, numbers_of):
    count = [0] * (keys + 1)
    for d in win:
        for k in range(1, keys + 1):
            count[k] += 1
        for n in numbers_of(d):
            if 1 <= n <= keys:
                count[n] = 0
    return count[1:]


def table_overdue(db, start, end):
    win = window_inclusive(db, start, end)
    vals = _overdue(win, 70, lambda d: d.main)
    lo, hi = _min_max(vals)
    return Table(list(zip(range(1, 71), vals)), lo, hi,
                 "Welche Zahl ist überfällig, wurde als seit wievielen Ziehungen nicht gezogen?")


def table_megaball(db, start, end):
    win = window_inclusive(db, start, end)
    count = [0] * 26
    for d in win:
        if 1 <= d.mb <= 25:
            count[d.mb] += 1
    vals = count[1:]
    lo, hi = _min_max(vals)
    return Table(list(zip(range(1, 26), vals)), lo, hi,
                 "Wie oft wurden die einzelnen Sternenzahlen gezogen?")


def table_megaball_overdue(db, start, end):
    win = window_inclusive(db, start, end)
    vals = _overdue(win, 25, lambda d: (d.mb,))
    lo, hi = _min_max(vals)
    return Table(list(zip(range(1, 26), vals)), lo, hi,
                 "Welche Powerballzahl wurde am längsten nicht gezogen?")


def _groups(db, start, end, size, last_key):
    """Drawings after the start date up to the end date; count[n] = drawings holding the
    run n, n+1, ... of `size` consecutive numbers."""
    win = window_exclusive(db, start, end)
    count = [0] * 71
    for d in win:
        drawn = set(d.main)
        for n in range(1, last_key + 1):
            if all((n + i) in drawn for i in range(size)):
                count[n] += 1
    return win, count


def table_pairs(db, start, end):
    win, count = _groups(db, start, end, 2, 69)
    vals = count[1:70]
    lo, hi = _min_max(vals)
    return Table(list(zip(range(1, 70), vals)), lo, hi,
                 "Ziehungen: %d   Paare gefunden:%d" % (len(win), sum(vals)))


def table_triples(db, start, end):
    win, count = _groups(db, start, end, 3, 68)
    vals = count[1:69]
    lo, hi = _min_max(vals)
    return Table(list(zip(range(1, 69), vals)), lo, hi,
                 "Ziehungen: %d   Dreier gefunden:%d" % (len(win), sum(vals)))


def table_quads(db, start, end):
    win, count = _groups(db, start, end, 4, 67)
    vals = count[1:71]          # keys 68..70 stay 0
    return Table(list(zip(range(1, 71), vals)), 0, max(vals),
                 "Ziehungen: %d   Vierer gefunden:%d" % (len(win), sum(vals)))


def table_sums(db, start, end):
    win = [d for d in window_exclusive(db, start, end) if sum(d.main) <= 350]
    if not win:
        return Table([], 0, 0, "")
    counter = {}
    for d in win:
        s = sum(d.main)
        counter[s] = counter.get(s, 0) + 1
    lo, hi = min(counter), max(counter)
    entries = [(k, counter.get(k, 0)) for k in range(lo, hi + 1)]
    total = sum(sum(d.main) for d in win)
    title = "Quersummenverteilung     Ziehungen: %d    Quersumme: %d" % (
        len(win), round_even(total / len(win)))
    return Table(entries, 0, max(v for _, v in entries), title)


STATS = {
    "frequency": table_frequency,
    "overdue": table_overdue,
    "megaball": table_megaball,
    "megaball-overdue": table_megaball_overdue,
    "pairs": table_pairs,
    "triples": table_triples,
    "quads": table_quads,
    "sums": table_sums,
}


def stats(db, kind, start_text=None, end_text=None):
    """What `stats KIND` prints: the lookup fixes the end of the window first."""
    start = day_number(start_text) if start_text else day_number("2017-01-01")
    end = day_number(end_text) if end_text else today_number()
    end = db[lookup(db, end)].date if db else day_number("2000-05-17")
    return STATS[kind](db, start, end).lines()


# ---------------------------------------------------------------- settings

BOOLS = {   # settings-store name -> (field, default)
    "Chekcbox1": ("PreferPairs", False),
    "Chekcbox2": ("PreferFrequent", False),
    "Chekcbox3": ("MaxOverlapEnabled", True),
    "Chekcbox4": ("MaxHitsLast1Enabled", True),
    "Chekcbox5": ("MaxHitsLast2Enabled", True),
    "Chekcbox6": ("PreferTriples", False),
    "Chekcbox7": ("PreferQuads", False),
    "Chekcbox8": ("ForcePair", False),
    "Chekcbox9": ("ExcludeDbClassEnabled", True),
    "Chekcbox10": ("PreferOverdue", True),
    "Chekcbox11": ("PairsRarest", False),
    "Chekcbox12": ("TriplesRarest", False),
    "Chekcbox13": ("QuadsRarest", False),
    "Chekcbox14": ("PreferRare", False),
    "Chekcbox15": ("PreferredOnly", False),
    "Chekcbox16": ("MegaBallExcludeRecentEnabled", True),
    "Chekcbox18": ("NoGroups", True),
    "Chekcbox19": ("PreferNeighbours", False),
    "Chekcbox20": ("ShowNumberList", False),
    "Chekcbox22": ("MinPrimesEnabled", False),
    "Chekcbox23": ("MaxHitsLast3Enabled", True),
    "Chekcbox24": ("MinOverlapEnabled", True),
    "Chekcbox25": ("MinEvenEnabled", False),
    "Chekcbox26": ("MinOddEnabled", False),
    "Chekcbox27": ("OverlapEachPair", True),
    "Chekcbox28": ("ExcludeRecentEnabled", True),
    "Chekcbox29": ("AvoidMonthNumbers", False),
    "Chekcbox30": ("DampDateNumbers", False),
    "Chekcbox31": ("OverlapCountsMegaBall", True),
}

INTS = {    # settings-store name -> (field, min, max, default)
    "UpDown1": ("SumMin", 21, 279, 50),
    "UpDown2": ("SumMax", 21, 239, 200),
    "UpDown3": ("MaxOverlap", 0, 5, 2),
    "UpDown4": ("MaxHitsLast1", 0, 5, 0),
    "UpDown5": ("MaxHitsLast2", 0, 5, 0),
    "UpDown6": ("ExcludeDbClass", 3, 7, 4),
    "UpDown7": ("MaxRunsThousands", 1, 30000, 50),
    "UpDown8": ("TipCount", 1, 12, 5),
    "UpDown9": ("MinOverlap", 0, 5, 1),
    "UpDown10": ("MinPrimes", 0, 6, 2),
    "UpDown11": ("MaxHitsLast3", 0, 5, 0),
    "UpDown12": ("PreferFrequentPercent", 5, 75, 30),
    "UpDown13": ("PreferOverduePercent", 5, 75, 30),
    "UpDown14": ("PreferRarePercent", 5, 75, 20),
    "UpDown15": ("MinEven", 0, 6, 2),
    "UpDown16": ("MinOdd", 0, 6, 2),
    "UpDown17": ("ExcludeRecentClass", 2, 6, 3),
    "UpDown18": ("ExcludeRecentDraws", 4, 128, 60),
    "UpDown19": ("MegaBallExcludeRecent", 1, 10, 5),
}

MODES = {"RadioButton1": "Random", "RadioButton2": "Rarest", "RadioButton3": "LongestOutstanding"}


def make_settings(assignments):
    """Defaults, then NAME=VALUE assignments in order, as the command line applies them."""
    s = {field: dflt for field, dflt in BOOLS.values()}
    for field, _, _, dflt in INTS.values():
        s[field] = dflt
    radio = {"RadioButton1": True, "RadioButton2": False, "RadioButton3": False}
    raw_updown6 = None
    for a in assignments:
        name, value = a.split("=", 1)
        key = next((k for k in list(BOOLS) + list(INTS) + list(MODES) if k.lower() == name.lower()), None)
        if key is None:
            raise ValueError("unknown setting " + name)
        v = int(value)
        if key in BOOLS:
            s[BOOLS[key][0]] = v != 0
        elif key in MODES:
            if v:
                for k in radio:
                    radio[k] = False
                radio[key] = True
            else:
                radio[key] = False
        else:
            field, lo, hi, _ = INTS[key]
            if key == "UpDown6":
                raw_updown6 = v
            s[field] = min(max(v, lo), hi)
    top = 7 if s["OverlapCountsMegaBall"] else 5
    if raw_updown6 is not None:
        s["ExcludeDbClass"] = min(max(raw_updown6, 3), top)
    else:
        s["ExcludeDbClass"] = min(s["ExcludeDbClass"], top)
    s["ExcludeDbClassMax"] = top    # fixed once the settings are loaded
    s["MegaBallMode"] = next((MODES[k] for k in ("RadioButton1", "RadioButton2", "RadioButton3")
                              if radio[k]), None)
    s["ShowNumberList"] = False
    return s


# ---------------------------------------------------------------- tip rows

def parse_int(text):
    t = text
    if t[:1] in "+-":
        body = t[1:]
    else:
        body = t
    if not body or not body.isdigit() or not body.isascii():
        return None
    return int(t)


def check_field(text, top):
    """A tip field keeps only the canonical decimal of a value 1..top."""
    v = parse_int(text)
    if v is None or v < 1 or v > top:
        return ""
    return str(v)


def split_tip_line(line):
    fields = []
    rest = line
    for _ in range(6):
        p = rest.find(",")
        if p < 0:
            fields.append("")
        else:
            fields.append(rest[:p])
            rest = rest[p + 1:]
    fields.append(rest)
    return [check_field(f, 70 if i < 5 else 25) for i, f in enumerate(fields)]


def tip_check_rows(rows):
    """The end-of-run tip check as far as the field texts are concerned: every row whose
    five main fields are numbers is sorted ascending and written back."""
    out = []
    for row in rows:
        mains = row[:5]
        vals = [parse_int(t) for t in mains]
        if any(v is None for v in vals):
            out.append(list(row))
            continue
        vals = [v & 0xFF for v in vals]
        for i in range(5):
            for k in range(i, 5):
                if vals[i] > vals[k]:
                    vals[i], vals[k] = vals[k], vals[i]
        out.append([str(v) for v in vals] + list(row[5:]))
    return out


# ---------------------------------------------------------------- generator

class Generator:
    def __init__(self, db, settings, start, end, seed, rows, locked):
        self.db = db
        self.s = settings
        self.start = start
        self.end_req = end
        self.rnd = Random(seed)
        self.rows = [list(r) for r in rows]     # 12 rows of seven texts
        self.locked = list(locked)
        self.events = set()         # which paths of the run were taken (for coverage tallies)
        self._history = None
        self._recent = {}

    # -- candidate pool
    def build_pool(self, last):
        s, db = self.s, self.db
        start, end = self.start, self.end
        pool = []

        def add(*ns):
            # the pool has room for 501 entries; entries beyond that are dropped
            for n in ns:
                if len(pool) < POOL_CAPACITY:
                    pool.append(n)
                else:
                    self.events.add("pool overflow")

        # runs of consecutive numbers: the most frequent (lower bound exclusive) and the
        # rarest that occurred at all; every number of a selected run is appended once
        def group_pass(table, size, last_key, frequent, rarest):
            lo, hi = table.rmin, table.rmax
            d = hi - lo
            if frequent:
                lower = round_even(hi - d * 0.3)
                upper = round_even(hi)
                for n in range(1, last_key + 1):
                    v = table.value(n)
                    if lower < v <= upper:
                        add(*range(n, n + size))
            if rarest:
                upper = round_even(lo + d * 0.3)
                for n in range(1, last_key + 1):
                    v = table.value(n)
                    if 0 < v <= upper:
                        add(*range(n, n + size))

        if s["PreferPairs"] or s["PairsRarest"]:
            group_pass(table_pairs(db, start, end), 2, 69, s["PreferPairs"], s["PairsRarest"])
        if s["PreferTriples"] or s["TriplesRarest"]:
            group_pass(table_triples(db, start, end), 3, 68, s["PreferTriples"], s["TriplesRarest"])
        if s["PreferQuads"] or s["QuadsRarest"]:
            group_pass(table_quads(db, start, end), 4, 67, s["PreferQuads"], s["QuadsRarest"])

        # the top x % of the value range gives two entries, the top x/2 % one more
        def top_passes(table, x):
            lo, hi = table.rmin, table.rmax
            d = hi - lo
            upper = round_even(hi)
            lower = round_even(hi - (x / 100) * d)
            for n in range(1, 71):
                if lower <= table.value(n) <= upper:
                    add(n, n)
            lower = round_even(hi - (x / 200) * d)
            for n in range(1, 71):
                if lower <= table.value(n) <= upper:
                    add(n)

        freq = None
        if s["PreferFrequent"]:
            freq = table_frequency(db, start, end)
            top_passes(freq, s["PreferFrequentPercent"])
        if s["PreferRare"]:
            if freq is None:
                freq = table_frequency(db, start, end)
            lo, hi = freq.rmin, freq.rmax
            d = hi - lo
            x = s["PreferRarePercent"]
            lower = round_even(lo)
            upper = round_even(lo + (x / 100) * d)
            for n in range(1, 71):
                if lower <= freq.value(n) <= upper:
                    add(n, n)
            upper = round_even(lo + (x / 200) * d)
            for n in range(1, 71):
                if lower <= freq.value(n) <= upper:
                    add(n)
        if s["PreferOverdue"]:
            top_passes(table_overdue(db, start, end), s["PreferOverduePercent"])
        if s["PreferNeighbours"]:
            for v in last[1].main:
                if v > 1:
                    add(v - 1, v - 1, v - 1, v - 1)
                if v < 70:
                    add(v + 1, v + 1, v + 1, v + 1)
        if not s["PreferredOnly"]:
            add(0)
            add(*range(1, 71))
            add(1)

        # exclusions: entries become empty, nothing moves
        for k, (en, val) in enumerate((("MaxHitsLast1Enabled", "MaxHitsLast1"),
                                       ("MaxHitsLast2Enabled", "MaxHitsLast2"),
                                       ("MaxHitsLast3Enabled", "MaxHitsLast3")), start=1):
            if s[en] and s[val] == 0:
                drawn = set(last[k].main)
                pool = [0 if e in drawn else e for e in pool]
        if s["AvoidMonthNumbers"]:
            pool = [0 if 1 <= e <= 12 else e for e in pool]
        if s["DampDateNumbers"]:
            for v in range(1, 32):
                if v in pool:
                    pool[pool.index(v)] = 0

        # compaction: holes are filled from the end
        lastpos = len(pool) - 1
        p = 0
        while p <= lastpos:
            while p <= lastpos and pool[p] == 0:
                pool[p] = pool[lastpos]
                lastpos -= 1
            p += 1
        return pool[:lastpos + 1]

    # -- MegaBall
    def megaball_tables(self):
        ov = table_megaball_overdue(self.db, self.start, self.end)
        fr = table_megaball(self.db, self.start, self.end)
        self.mb_overdue = [0] + [v for _, v in ov.entries]
        self.mb_freq = [0] + [v for _, v in fr.entries]

    def choose_megaball(self):
        s = self.s
        overdue = self.mb_overdue
        m_max = max(overdue[1:])
        longest = max(k for k in range(1, 26) if overdue[k] == m_max)
        recent_limit = min(s["MegaBallExcludeRecent"], m_max)
        freq = list(self.mb_freq)
        lowest = min(freq[1:])
        mode = s["MegaBallMode"]
        while True:
            if mode == "Random":
                m = self.rnd(25) + 1
            elif mode == "Rarest":
                m = max(k for k in range(1, 26) if freq[k] == lowest)
            elif mode == "LongestOutstanding":
                m = longest
            else:
                raise ValueError("no MegaBall mode selected")
            if s["MegaBallExcludeRecentEnabled"] and overdue[m] < recent_limit:
                self.events.add("MegaBall refused")
                freq[m] = 999999
                lowest = min(freq[1:])
                continue
            return m

    # -- rules
    def overlap_ok(self, tip, r):
        s = self.s
        smallest, largest, violation = 6, 0, False
        for k in range(1, r):
            row = set(x for x in self.earlier[k] if x != 0)
            o = sum(1 for t in tip if t in row)
            largest = max(largest, o)
            smallest = min(smallest, o)
            if s["OverlapEachPair"] and (o > s["MaxOverlap"] or o < s["MinOverlap"]):
                violation = True
        if s["MaxOverlapEnabled"] and smallest > s["MaxOverlap"]:
            return False
        if s["MinOverlapEnabled"] and largest < s["MinOverlap"]:
            return False
        return not violation

    def tip_rules_ok(self, tip, mb):
        s = self.s
        cm = s["OverlapCountsMegaBall"]
        for k, (en, val) in enumerate((("MaxHitsLast1Enabled", "MaxHitsLast1"),
                                       ("MaxHitsLast2Enabled", "MaxHitsLast2"),
                                       ("MaxHitsLast3Enabled", "MaxHitsLast3")), start=1):
            if s[en] and s[val] > 0 and hits(tip, mb, self.last[k], cm) > s[val]:
                self.events.add("rule: last drawing %d" % k)
                return False
        if s["MinEvenEnabled"] and sum(1 for t in tip if t % 2 == 0) < s["MinEven"]:
            self.events.add("rule: even")
            return False
        if s["MinOddEnabled"] and sum(1 for t in tip if t % 2 == 1) < s["MinOdd"]:
            self.events.add("rule: odd")
            return False
        if s["ExcludeDbClassEnabled"] or s["ExcludeRecentEnabled"]:
            tipset = set(tip)
        if s["ExcludeDbClassEnabled"]:
            # every drawing after the start date up to the drawing in focus
            cls = s["ExcludeDbClass"]
            for main, dmb in self.history_window():
                if len(tipset & main) + (1 if cm and mb == dmb else 0) >= cls:
                    self.events.add("rule: history")
                    return False
        if s["ExcludeRecentEnabled"]:
            # a period of 7 days per setting step, ending with the drawing in focus
            cls = s["ExcludeRecentClass"]
            for main, dmb in self.recent_window(s["ExcludeRecentDraws"]):
                if len(tipset & main) + (1 if cm and mb == dmb else 0) >= cls:
                    self.events.add("rule: recent")
                    return False
        if s["MinPrimesEnabled"]:
            primes = sum(1 for t in list(tip) + [mb] if t in PRIMES)
            if primes < s["MinPrimes"]:
                self.events.add("rule: primes")
                return False
        return True

    # The history rules count hits like the tip check: a tip number equal to a drawn
    # number is a hit, whatever its range (numbers above 70 of older formats included).
    def history_window(self):
        if self._history is None:
            self._history = [(set(d.main), d.mb) for d in self.db if self.start < d.date <= self.end]
        return self._history

    def recent_window(self, draws):
        if draws not in self._recent:
            lo = self.end - 7 * draws
            self._recent[draws] = [(set(d.main), d.mb) for d in self.db if lo < d.date <= self.end]
        return self._recent[draws]

    def attempt_ok(self, tip, mb, r):
        s = self.s
        if r >= 2 and not self.overlap_ok(tip, r):
            self.events.add("rule: overlap")
            return False
        if s["ForcePair"] and not any(tip[i] + 1 == tip[i + 1] for i in range(4)):
            self.events.add("rule: pair")
            return False
        if s["NoGroups"] and any(tip[i] + 1 == tip[i + 1] and tip[i + 1] + 1 == tip[i + 2]
                                 for i in range(3)):
            self.events.add("rule: group")
            return False
        total = sum(tip)
        if total < s["SumMin"] or total > s["SumMax"]:
            self.events.add("rule: sum")
            return False
        return self.tip_rules_ok(tip, mb)

    # -- the run
    def run(self):
        s, db = self.s, self.db
        laufmax = s["MaxRunsThousands"] * 1000
        if db:
            pos = lookup(db, self.end_req)
            self.end = db[pos].date
            p2 = step_back(pos)
            p3 = step_back(p2)
            self.last = {1: db[pos], 2: db[p2], 3: db[p3]}
        else:
            # nothing to show: the drawing in focus keeps its zero numbers and the end
            # date falls back to the picker's earliest date, 17 May 2000
            self.end = day_number("2000-05-17")
            blank = Drawing(0, [0] * 8)
            self.last = {1: blank, 2: blank, 3: blank}

        for r in range(12):
            if not self.locked[r]:
                self.rows[r] = [""] * 7
        self.earlier = {k: (0, 0, 0, 0, 0) for k in range(1, 13)}

        pool = self.build_pool(self.last)
        self.pool = pool
        self.megaball_tables()
        rc = 0
        too_small = len(set(pool)) < 5

        for r in range(1, 13):
            if self.locked[r - 1]:
                row = self.rows[r - 1]
                vals = [parse_int(t) if parse_int(t) is not None else 0 for t in row]
                self.earlier[r] = tuple(vals[:5])
                self.rows[r - 1] = [str(v) if v else "" for v in vals]
                continue
            tip, mb = None, 0
            if not too_small and (r == 1 or (rc < laufmax and r <= s["TipCount"])):
                while tip is None and rc < laufmax:
                    rc += 1
                    if rc * 2 == laufmax:
                        s["ForcePair"] = False
                        self.events.add("half budget")
                    if r >= 3:
                        if rc == laufmax - 20000:
                            # written through the spin control, which keeps its range
                            # (3 .. 5 when the MegaBall is not counted)
                            s["ExcludeDbClass"] = min(6, s["ExcludeDbClassMax"])
                            self.events.add("budget-20000")
                        if rc == laufmax - 10000:
                            s["MaxHitsLast2"] = 2
                            s["MaxHitsLast1"] = 1
                            self.events.add("budget-10000")
                        if rc == laufmax - 5000:
                            s["MaxHitsLast2"] = 3
                            s["MaxHitsLast1"] = 2
                            self.events.add("budget-5000")
                    nums = []
                    while len(nums) < 5:
                        v = pool[self.rnd(len(pool))]
                        if v != 0 and v not in nums:
                            nums.append(v)
                    m = self.choose_megaball()
                    nums.sort()
                    if self.attempt_ok(nums, m, r):
                        tip, mb = nums, m
            if rc >= laufmax:
                tip = None
            if tip is None:
                self.rows[r - 1] = [""] * 7
                self.earlier[r] = (0, 0, 0, 0, 0)
            else:
                # the fields keep only values of their range: a neighbour of an old-format
                # number (71 .. 76) drawn from the pool shows as an empty field
                self.rows[r - 1] = ([check_field(str(v), 70) for v in tip] +
                                    [check_field(str(mb), 25), ""])
                self.earlier[r] = tuple(tip)

        message = 58 if (too_small or rc >= laufmax) else 59
        if too_small:
            self.events.add("pool below five numbers")
        if rc >= laufmax:
            self.events.add("budget used up")
        if any(self.locked):
            self.events.add("locked rows")
        rows = tip_check_rows(self.rows)
        self.attempts = rc
        self.message = message
        return [",".join(row) for row in rows] + ["attempts %d" % rc, "message %d" % message]


def generate(db, seed, start_text=None, end_text=None, sets=(), locks=()):
    settings = make_settings(sets)
    start = day_number(start_text) if start_text else day_number("2017-01-01")
    end = day_number(end_text) if end_text else today_number()
    rows = [[""] * 7 for _ in range(12)]
    locked = [False] * 12
    for item in locks:
        r, text = item.split("=", 1)
        r = int(r)
        rows[r - 1] = split_tip_line(text)
        locked[r - 1] = True
    gen = Generator(db, settings, start, end, int(seed) & 0xFFFFFFFF, rows, locked)
    out = gen.run()
    return out, gen


# ---------------------------------------------------------------- the window: drawing in focus and tip check

PICKER_MIN = day_number("2000-05-17")     # earliest date the date pickers take


def iso_date(day):
    return (EPOCH + datetime.timedelta(days=int(day))).isoformat()


def zettel(texts, zahl):
    """Hit counter: drawn numbers outside, tip texts inside; a text that is no number ends
    the count where it is met. Returns (main hits, MegaBall hit)."""
    g = 0
    for i in range(1, 6):
        for j in range(5):
            v = parse_int(texts[j])
            if v is None:
                return g, False
            if v == zahl[i]:
                g += 1
    mb = parse_int(texts[5])
    if mb is None:
        return g, False
    return g, mb == zahl[7]


class Window:
    """The part of the main window that the tip search and the analyses read and change:
    the drawing in focus, the two date pickers, the twelve tip rows with their result
    captions, the results of the last hit count and the hit-class table of the last check."""

    def __init__(self, db, stats_start, end):
        self.db = db
        self.stats_start = stats_start if stats_start >= PICKER_MIN else PICKER_MIN
        self.end = end if end >= PICKER_MIN else PICKER_MIN
        self.datum1 = 0
        self.zahl = [0] * 9
        self.position = 0
        self.akt = self.stats_start
        self.rows = [[""] * 7 for _ in range(12)]
        self.captions = [""] * 12
        self.gewinn = 0
        self.zusatz = False
        self.statistik = [[0, 0, 0] for _ in range(8)]

    def take(self, d):
        self.datum1 = d.date
        self.zahl = [0] + list(d.nums)

    def count(self, texts):
        self.gewinn, self.zusatz = zettel(texts, self.zahl)
        return self.gewinn, self.zusatz

    def full_check(self):
        for k in range(7):
            self.statistik[k] = [0, 0, 0]
        for r in range(12):
            row = self.rows[r]
            vals = [parse_int(t) for t in row[:5]]
            if any(v is None for v in vals):
                self.captions[r] = ""
                continue
            vals = sorted(v & 0xFF for v in vals)
            row[:5] = [check_field(str(v), 70) for v in vals]
            g, z = self.count(row)
            if g <= 6:
                self.statistik[g][1 if z else 0] += 1
            self.captions[r] = str(g) + ((" +MB" if r == 10 else " + MB") if z else "")

    def lookup(self):
        """First drawing on or after the chosen date, else the last one; then the check."""
        self.akt = round_even(self.end)
        if self.db:
            idx = next((i for i, d in enumerate(self.db) if d.date >= self.akt), len(self.db) - 1)
            self.take(self.db[idx])
            self.position = idx
        else:
            self.position = 0
        if self.datum1 >= PICKER_MIN:
            self.end = self.datum1
        else:
            self.end = PICKER_MIN
            self.datum1 = PICKER_MIN
        self.full_check()

    def next_step(self):
        self.akt = self.stats_start
        if not self.db:
            return
        self.position = min(self.position + 1, len(self.db) - 1)
        self.take(self.db[self.position])
        self.zahl[6] = 0
        if self.datum1 >= PICKER_MIN:
            self.end = self.datum1
        self.full_check()

    def choose(self, day):
        self.end = day if day >= PICKER_MIN else PICKER_MIN


def read_tip_file(path):
    """Twelve lines of a tip file, a byte per character; CR LF, LF and a lone CR end a line."""
    with open(path, "rb") as f:
        text = f.read().decode("latin-1")
    lines = text.replace("\r\n", "\n").replace("\r", "\n").split("\n")
    return [split_tip_line(lines[i] if i < len(lines) else "") for i in range(12)]


# ---------------------------------------------------------------- tip search

SEARCH_SUFFIX = [" + PP", " + MB"] + [" + Z"] * 10


def search(db, end_text, rows, threshold, start_text=None, sets=()):
    """What `search` prints: one line per stop, then the captions at the end."""
    settings = make_settings(sets)
    start = day_number(start_text) if start_text else day_number("2017-01-01")
    w = Window(db, start, day_number(end_text))
    w.lookup()                      # start-up
    w.rows = [list(r) for r in rows]
    w.lookup()                      # the tip-file load looks up again
    out = []
    lo, hi = w.stats_start, w.end
    for d in db:
        if not lo <= d.date <= hi:
            continue
        w.take(d)
        for r in range(12):
            g, z = w.count(w.rows[r])
            caption = str(g)
            if r == 0 and settings["OverlapCountsMegaBall"] and z:
                g += 1
            if z:
                caption += SEARCH_SUFFIX[r]
            w.captions[r] = caption
            if g >= threshold:
                out.append("%s %d %s" % (iso_date(d.date), r + 1, caption))
                w.full_check()
    out.append("end|" + "|".join(w.captions))
    return out


# ---------------------------------------------------------------- historic analyses

def settings_report(sums, passes, tip_count):
    lines = ["Aktuelle Einstellung brachten\n",
             "Anzahl ohne Powerball\t1x Powerball"]
    for k in range(6):
        lines.append("%dx\t=> %d\t\t=> %d" % (k, sums[k][0], sums[k][1]))
    lines.append("\nZiehungen: %dmit je %dTipp => %d Reihen" % (passes, tip_count, passes * tip_count))
    return "".join(line + "\r\n" for line in lines)


def analyse_settings(db, from_text, seed, start_text=None, today_text=None, sets=()):
    """The report text of the settings analysis."""
    settings = make_settings(sets)
    start = day_number(start_text) if start_text else day_number("2017-01-01")
    today = day_number(today_text) if today_text else today_number()
    w = Window(db, start, today)
    w.lookup()                      # start-up
    w.choose(day_number(from_text))
    first = w.end
    w.lookup()
    sums = [[0, 0, 0] for _ in range(7)]
    passes = 0
    previous = today
    while previous != first:
        previous = first
        gen = Generator(db, dict(settings), w.stats_start, w.end, seed & 0xFFFFFFFF,
                        [[""] * 7 for _ in range(12)], [False] * 12)
        lines = gen.run()
        w.rows = [line.split(",") for line in lines[:12]]
        w.end += 7
        w.lookup()
        passes += 1
        for k in range(6):
            for c in range(3):
                sums[k][c] += w.statistik[k][c]
        first = w.end
    return settings_report(sums, passes, settings["TipCount"])


def drawings_report(a, b):
    lines = ["Treffer von Ziehungen in der Datenbank"]
    lines += ["%d    =>%d" % (k, a[k]) for k in range(6)]
    lines += [" ", "Wie oft gab es bei der nächsten Ziehung ähnliche Zahlen"]
    lines += ["%d    =>%d" % (k, b[k]) for k in range(6)]
    return "".join(line + "\r\n" for line in lines)


def row_one_hits(texts):
    """A faster equivalent of zettel(texts, drawing) for one fixed row: returns a function
    of the drawing's main numbers."""
    vals = []
    for t in texts[:5]:
        v = parse_int(t)
        if v is None:
            break
        vals.append(v)
    if len(vals) < 5:
        # the count stops at the first text that is no number, while the first drawn
        # number is being compared
        return lambda main: sum(1 for v in vals if v == main[0])
    times = {}
    for v in vals:
        times[v] = times.get(v, 0) + 1
    return lambda main: sum(times.get(z, 0) for z in main)


def analyse_drawings(db, from_text, threshold, start_text=None, today_text=None):
    """The report text of the drawing analysis (every question answered yes)."""
    start = day_number(start_text) if start_text else day_number("2017-01-01")
    today = day_number(today_text) if today_text else today_number()
    w = Window(db, start, today)
    w.lookup()                      # start-up
    w.choose(day_number(from_text))
    w.lookup()
    limit = w.end + 10
    a = [0] * 7
    b = [0] * 7
    while w.datum1 < limit:
        w.rows = [[""] * 7 for _ in range(12)]
        w.rows[0] = ([check_field(str(w.zahl[i]), 70) for i in range(1, 6)] +
                     [check_field(str(w.zahl[7]), 25), check_field(str(w.zahl[8]), 25)])
        hits = row_one_hits(w.rows[0])
        last = None
        for d in db:
            if w.akt <= d.date < w.end:
                g = hits(d.main)
                if g <= 6:
                    a[g] += 1
                last = d
        if last is not None:
            w.take(last)
            w.count(w.rows[0])
        limit = db[-1].date if db else 0
        w.next_step()
        if w.gewinn <= 6:
            b[w.gewinn] += 1
    return drawings_report(a, b)


# ---------------------------------------------------------------- command line

def main(argv):
    if len(argv) < 2:
        print(__doc__.strip())
        return 2
    cmd = argv[1]
    args = argv[2:]
    opts = {"--set": [], "--lock": []}
    pos = []
    i = 0
    while i < len(args):
        a = args[i]
        if a in ("--set", "--lock"):
            opts[a].append(args[i + 1])
            i += 2
        elif a.startswith("--"):
            opts[a] = args[i + 1]
            i += 2
        else:
            pos.append(a)
            i += 1
    db = load_database(opts["--db"])
    if cmd == "stats":
        lines = stats(db, pos[0], opts.get("--start"), opts.get("--end"))
    elif cmd == "generate":
        lines, _ = generate(db, int(opts["--seed"]), opts.get("--start"), opts.get("--end"),
                            opts["--set"], opts["--lock"])
    elif cmd == "search":
        lines = search(db, opts["--end"], read_tip_file(opts["--tips"]), int(opts["--threshold"]),
                       opts.get("--start"), opts["--set"])
    elif cmd in ("analyse-settings", "analyse-drawings"):
        if cmd == "analyse-settings":
            text = analyse_settings(db, opts["--from"], int(opts["--seed"]), opts.get("--start"),
                                    opts.get("--today"), opts["--set"])
        else:
            text = analyse_drawings(db, opts["--from"], int(opts["--threshold"]), opts.get("--start"),
                                    opts.get("--today"))
        sys.stdout.buffer.write(text.encode("utf-8"))
        return 0
    else:
        print("unknown command " + cmd, file=sys.stderr)
        return 2
    print("\n".join(lines))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
