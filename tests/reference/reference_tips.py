#!/usr/bin/env python3
"""Independent Python model of the drawing lookup with its steps, the full tip check of
the tip rows, the portal carts and the click-script substitution.

It reproduces what these commands print:

    ruvuzevodare-cli lookup --db DB --date D [--prev N] [--next N]...
    ruvuzevodare-cli check --db DB --date D --tips FILE.qlt
    ruvuzevodare-cli cart --server ADDRESS --tips FILE.qlt [--count N]
    ruvuzevodare-cli fill-script --script FILE.qcs --tips FILE.qlt [--set NAME=VALUE]...

The drawing file, the tip-field rule, the tip-file reader and the settings come from
reference.py; everything else is written here from the program's rules.
"""
import datetime

import reference

PICKER_MIN = reference.day_number("2000-05-17")
WEEKDAYS_DE = ["Mo", "Di", "Mi", "Do", "Fr", "Sa", "So"]

FIRST, LATER, END = "first", "later", "end"
CAPTION_PARTS = {       # separator after the date, MegaBall prefix, Megaplier prefix
    FIRST: ("   ", " MB:", " MP:"),
    LATER: ("  ", " MB:", " MP:"),
    END: ("  ", "   MB: ", " MP: "),
}


def short_date(day):
    d = reference.EPOCH + datetime.timedelta(days=int(day))
    return "%s %02d.%02d.%02d" % (WEEKDAYS_DE[d.weekday()], d.day, d.month, d.year % 100)


def drawing_caption(day, zahl, variant):
    sep, mb, mp = CAPTION_PARTS[variant]
    return (short_date(day) + sep + "".join("  %d" % zahl[i] for i in range(1, 6))
            + mb + str(zahl[7]) + mp + str(zahl[8]))


# ---------------------------------------------------------------- the drawing in focus

class Focus:
    """The drawing in focus, its captions and the database date picker."""

    def __init__(self, db):
        self.db = db
        self.datum1 = 0
        self.zahl = [0] * 9
        self.position = 0
        self.label29 = ""
        self.label13 = ""
        self.picker = PICKER_MIN

    def choose(self, day):
        """The picker refuses dates before its earliest one; the CLI then takes that."""
        self.picker = day if day >= PICKER_MIN else PICKER_MIN

    def take(self, rec, variant):
        self.datum1 = rec.date
        self.zahl = [0] + list(rec.nums)
        self.label29 = drawing_caption(rec.date, self.zahl, variant)
        self.label13 = "Quersumme: %d" % sum(self.zahl[1:7])

    def set_picker_from_drawing(self, refusal_resets):
        if self.datum1 >= PICKER_MIN:
            self.picker = self.datum1
        elif refusal_resets:
            self.picker = PICKER_MIN
            self.datum1 = PICKER_MIN

    def lookup(self):
        """The record file is read forward; the records are taken the way the reader
        meets them, so the caption variant says how the drawing was reached."""
        db = self.db
        akt = round(self.picker)
        self.position = 1
        buf = None
        read = -1
        if db:
            read = 0
            buf = db[0]
        at_end = read == len(db) - 1

        def date_of(b):
            return b.date if b is not None else 0

        if date_of(buf) >= akt:
            self.take(buf, FIRST)
        while not at_end and date_of(buf) < akt:
            read += 1
            buf = db[read]
            self.position += 1
            at_end = read == len(db) - 1
            if buf.date >= akt:
                self.take(buf, LATER)
        self.position -= 1
        if at_end and date_of(buf) > 0:
            self.take(buf, END)
        self.set_picker_from_drawing(True)

    def previous(self):
        if not self.db:
            return
        self.position -= 1
        if self.position < 1:
            self.position = 0
        last = min(self.position, len(self.db) - 1)
        self.take(self.db[last], END)
        self.set_picker_from_drawing(True)

    def next(self):
        if not self.db:
            return
        self.position = min(self.position + 1, len(self.db) - 1)
        self.take(self.db[self.position], END)
        self.zahl[6] = 0
        self.set_picker_from_drawing(False)


def lookup_lines(db, day, steps):
    """Output of `lookup`: caption, sum caption and position after the lookup and after
    every step. `steps` is a list of ("prev"|"next", count) in command-line order; a step
    that does not move ends the steps of its option (the CLI says so on stderr)."""
    f = Focus(db)
    f.choose(day)
    f.lookup()
    out = []

    def show():
        out.extend([f.label29, f.label13, str(f.position)])

    show()
    for name, n in steps:
        for i in range(n):
            before = f.position
            f.previous() if name == "prev" else f.next()
            show()
            if f.position == before and i + 1 < n:
                break
    return out


# ---------------------------------------------------------------- hit counting and the full check

def zettelcheck(texts, zahl):
    """(Gewinn, Treffer[1..5], Zusatz). A text that is not a number ends the count there."""
    gewinn, treffer, zusatz = 0, [False] * 5, False
    for i in range(1, 6):
        for j in range(5):
            v = reference.parse_int(texts[j])
            if v is None:
                return gewinn, treffer, zusatz
            if v == zahl[i]:
                treffer[j] = True
                gewinn += 1
    mb = reference.parse_int(texts[5])
    if mb is None:
        return gewinn, treffer, zusatz
    return gewinn, treffer, mb == zahl[7]


class TipRows:
    def __init__(self):
        self.fields = [[""] * 7 for _ in range(12)]
        self.sum_caption = [""] * 12
        self.hit_caption = [""] * 12

    def clear(self):
        self.__init__()

    def load(self, path):
        self.fields = [list(r) for r in reference.read_tip_file(path)]

    def komplettcheck(self, zahl):
        best = 0
        for r in range(12):
            row = self.fields[r]
            vals = [reference.parse_int(t) for t in row[:5]]
            if any(v is None for v in vals):
                self.hit_caption[r] = ""        # the sum caption keeps its text
                continue
            vals = [v & 0xFF for v in vals]
            self.sum_caption[r] = str(sum(vals))
            for i in range(5):
                for k in range(i, 5):
                    if vals[i] > vals[k]:
                        vals[i], vals[k] = vals[k], vals[i]
            row[:5] = [reference.check_field(str(v), 70) for v in vals]
            gewinn, _, zusatz = zettelcheck(row, zahl)
            caption = str(gewinn)
            if zusatz:
                caption += " +MB" if r == 10 else " + MB"
            self.hit_caption[r] = caption
            best = max(best, gewinn * 100 + (1 if zusatz else 0))
        return best


def check_lines(db, day, tips_path):
    """Output of `check`: the start-up lookup, the load command (clear, read, lookup with
    its check), then one more full check whose score is printed."""
    f = Focus(db)
    rows = TipRows()
    f.choose(day)
    f.lookup()
    rows.komplettcheck(f.zahl)
    rows.clear()
    rows.load(tips_path)
    f.lookup()
    rows.komplettcheck(f.zahl)
    score = rows.komplettcheck(f.zahl)
    out = [",".join(rows.fields[r]) + "\t" + rows.sum_caption[r] + "\t" + rows.hit_caption[r]
           for r in range(12)]
    out.append("score %d" % score)
    return out


# ---------------------------------------------------------------- portal carts

CART_TEMPLATE = ("kasten1=[KASTEN1]&kasten2=[KASTEN2]&kasten3=[KASTEN3]&kasten4=[KASTEN4]&"
                 "kasten5=[KASTEN5]&kasten6=[KASTEN6]")
EMPTY_ROW = ",,,,,,"


def cart_urls(base, tips_path):
    """The cart addresses opened for the rows of a tip file, from a cart base."""
    texts = [",".join(r) for r in reference.read_tip_file(tips_path)]

    def cart(six):
        query = CART_TEMPLATE          # the base is used as received, placeholders and all
        for k in range(6):
            query = query.replace("[KASTEN%d]" % (k + 1), six[k], 1)
        n = max([k + 1 for k in range(6) if six[k] != EMPTY_ROW], default=0)
        return base + query + "&Tipps=%d" % n

    urls = [cart(texts[:6])]
    if texts[6] != EMPTY_ROW:
        urls.append(cart(texts[6:]))
    return urls


def safe_to_open(url):
    """The shell is asked to open only web addresses: http or https (any case) and no
    control characters; anything else from the server is refused."""
    low = url.lower()
    return ((low.startswith("http://") or low.startswith("https://"))
            and not any(ord(c) < 0x20 or ord(c) == 0x7F for c in url))


def cart_base(server_address, answer_status, answer_body):
    """The cart base from the data server's answer; None when it sent a notice."""
    if answer_status >= 400:
        if "Mitteilung" in answer_body:
            return None
        return server_address + "/lotto/warenkorb2.asp?"
    return answer_body


# ---------------------------------------------------------------- click scripts

def decode_single_bytes(data):
    """A byte per character in the Windows Western code page; the five bytes that page
    leaves undefined stand for the code points of the same value."""
    return "".join(bytes([b]).decode("cp1252", "strict") if b not in (0x81, 0x8D, 0x8F, 0x90, 0x9D)
                   else chr(b) for b in data)


def decode_script(data):
    """A click script is UTF-8 (a leading byte order mark dropped); a file that is not
    valid UTF-8 is read a byte per character."""
    try:
        text = data.decode("utf-8")
    except UnicodeDecodeError:
        return decode_single_bytes(data)
    return text[1:] if text.startswith("\ufeff") else text


def text_lines(text):
    """Lines of a text: CR LF, LF and a lone CR end a line; a final line end starts
    no further line."""
    if not text:
        return []
    lines = text.replace("\r\n", "\n").replace("\r", "\n").split("\n")
    if lines[-1] == "":
        lines.pop()
    return lines


def fill_script(script, tip_text, settings, tip_path):
    """The substituted click script as it is saved (CR LF after every line). `script`
    and `tip_text` are str decoded one character per byte."""
    text = script

    def cut(rest):
        p = rest.find(",")
        if p < 0:
            return "", rest
        return rest[:p], rest[p + 1:]

    lines = text_lines(tip_text)
    for r, line in enumerate(lines, 1):
        rest = line
        for k in range(1, 6):
            value, rest = cut(rest)
            text = text.replace("[Z%d_%d]" % (k, r), value)
        value, rest = cut(rest)
        text = text.replace("[S1_%d]" % r, value)
        p = rest.find(",")
        text = text.replace("[S2_%d]" % r, rest if p < 0 else rest[:p])
    for r in range(len(lines) + 1, 13):
        for k in range(1, 6):
            text = text.replace("[Z%d_%d]" % (k, r), "")
        text = text.replace("[S1_%d]" % r, "")
        text = text.replace("[S2_%d]" % r, "")

    def yes(flag):
        return "JA" if flag else "NEIN"

    pairs, overlap, frequent = (settings["PreferPairs"], settings["MaxOverlapEnabled"],
                                settings["PreferFrequent"])
    text = text.replace("[DAUER]", yes(pairs))
    text = text.replace("[FR]", yes(overlap))
    text = text.replace("[DI]", yes(frequent))
    text = text.replace("[DIFR]", yes(frequent and overlap))
    text = text.replace("[MELDUNGFERTIG]", "Ready to Play")
    text = text.replace("[TIPPDATEI]", tip_path)
    return "".join(line + "\r\n" for line in text_lines(text))
