#!/usr/bin/env python3
"""Checks of the program's texts in eight languages: the master table, the
shipped message files, and the script that writes the language files."""
import contextlib
import importlib.util
import io
import json
import os
import re
import shutil
import tempfile
import unittest

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
SCRIPT = os.path.join(ROOT, "scripts", "make-language-files.py")
TABLE = os.path.join(ROOT, "data", "land-src", "texts.json")
LAND = os.path.join(ROOT, "data", "land")
LANGS = ["de", "en", "fr", "es", "it", "ru", "pt", "cn"]
BOM = b"\xef\xbb\xbf"
GAP = re.compile(r" {3,}")
C_STRING = r'"((?:[^"\\]|\\.)*)"'
# Message lines the translations end without the German trailing blank: the program
# puts its own blank after them (the number list's title, line 11 + " " + the row).
OWN_BLANKS = {11}
SAME_WORDS = {"Stop"}  # the same word in German, English, French and Italian


def c_unescape(s):
    return re.sub(r"\\(.)", r"\1", s)


def source(*parts):
    with open(os.path.join(ROOT, *parts), encoding="utf-8") as f:
        return f.read()


def builtin_messages():
    """The built-in message lines, read from the program's source."""
    lines = re.findall(r"/\*\s*(\d+) \*/ " + C_STRING + ",", source("src", "core", "services", "MessageTable.cpp"))
    assert [int(n) for n, _ in lines] == list(range(62)), "MessageTable.cpp changed its layout"
    return [c_unescape(t) for _, t in lines]


def builtin_program_texts():
    """The program's own texts (ProgramTexts.cpp), in the order of its enum."""
    src = source("src", "core", "common", "ProgramTexts.cpp")
    body = src[src.index("texts = {"):src.index("};", src.index("texts = {"))]
    texts = [c_unescape(t) for t in re.findall(r"^\s*" + C_STRING + r", // \w+$", body, re.M)]
    ids = re.findall(r"^\s*(\w+), // ", source("src", "core", "common", "ProgramTexts.h"), re.M)
    assert len(texts) == len(ids) > 50, "ProgramTexts changed its layout"
    return texts


def generator_texts():
    """(kind, control, edit, caption, hint) of every row of the generator settings table."""
    src = source("src", "core", "settings", "GeneratorSettings.cpp")
    consts = {name: c_unescape(t) for name, t in re.findall(r"constexpr const char\* (k\w+) = " + C_STRING, src)}
    text = "(" + C_STRING + r"|k\w+)"
    rows = re.findall(r"\{Gs::\w+, K::(\w+), \"(\w+)\", \"\w+\", \"(\w*)\", k\w+, " + text + ", " + text + ",", src)
    assert len(rows) > 40, "GeneratorSettings.cpp changed its layout"

    def value(literal, inner):
        return c_unescape(inner) if literal.startswith('"') else consts[literal]

    return [(kind, control, edit, value(c, ci), value(h, hi)) for kind, control, edit, c, ci, h, hi in rows]


def load_table(path=TABLE):
    with open(path, encoding="utf-8") as f:
        return json.load(f)


def read_lines(path):
    """Lines of a file written as UTF-8 with BOM and CR LF after every line; fails otherwise."""
    with open(path, "rb") as f:
        data = f.read()
    if not data.startswith(BOM):
        raise AssertionError("%s has no byte order mark" % path)
    text = data[len(BOM):].decode("utf-8")
    if text and not text.endswith("\r\n"):
        raise AssertionError("%s: the last line has no CR LF" % path)
    if "\r" in text.replace("\r\n", "") or "\n" in text.replace("\r\n", ""):
        raise AssertionError("%s: a line ends without CR LF" % path)
    return text.split("\r\n")[:-1]


def _load_script():
    loader_spec = importlib.util.spec_from_file_location("make_language_files", SCRIPT)
    module = importlib.util.module_from_spec(loader_spec)
    loader_spec.loader.exec_module(module)
    return module


SCRIPT_MODULE = _load_script()


def temp_dir():
    base = os.environ.get("RZ_TEST_TMP")
    if base:
        os.makedirs(base, exist_ok=True)
    return tempfile.mkdtemp(dir=base)


def run_script(*args):
    """Runs the script's command line in this process: (exit code, stdout, stderr)."""
    out, err = io.StringIO(), io.StringIO()
    with contextlib.redirect_stdout(out), contextlib.redirect_stderr(err):
        try:
            rc = SCRIPT_MODULE.main(list(args))
        except SystemExit as e:
            rc = e.code
    return rc, out.getvalue(), err.getvalue()


def write_list(path, records, bom=True):
    lines = []
    for window, name, caption, hint in records:
        lines += [window, name, caption, hint, "1"]
    with open(path, "wb") as f:
        f.write((BOM if bom else b"") + "".join(l + "\r\n" for l in lines).encode("utf-8"))


class MessageFilesTest(unittest.TestCase):
    def setUp(self):
        self.builtin = builtin_messages()
        self.files = {lang: read_lines(os.path.join(LAND, "Mega_%s.txt.meld" % lang)) for lang in LANGS}

    def test_every_language_has_the_62_lines_and_the_program_texts(self):
        for lang, lines in self.files.items():
            self.assertEqual(len(lines), 62 + len(builtin_program_texts()), lang)

    def test_german_file_is_the_built_in_table(self):
        self.assertEqual(self.files["de"], self.builtin + builtin_program_texts())

    def test_program_texts_are_translated_and_keep_their_places(self):
        # "%1", "%2" are where the program puts a file name, a number or a
        # date; a translation that loses one drops what the user needs.
        german = builtin_program_texts()
        for lang in LANGS[1:]:
            for n, (de, text) in enumerate(zip(german, self.files[lang][62:])):
                where = "%s line %d" % (lang, 63 + n)
                self.assertTrue(text, where)
                self.assertEqual(sorted(re.findall(r"%[1-9]", text)), sorted(re.findall(r"%[1-9]", de)), where)
                # The game's own names (the manual entry's MegaBall and Megaplier fields) stay,
                # and a word that English (and French) spell as German does.
                if de not in ("Systemfehler %1", "MegaBall", "Megaplier", "Version %1"):
                    self.assertNotEqual(text, de, "%s is still German" % where)

    def test_translations_fill_the_used_lines_and_keep_their_blanks(self):
        # The program puts a date or a number directly before or after many
        # lines ("Glückszahl " + 12345 + " gesetzt"); losing a blank runs the
        # words together.
        for lang in LANGS[1:]:
            for n, (de, text) in enumerate(zip(self.builtin, self.files[lang])):
                where = "%s line %d" % (lang, n)
                self.assertEqual(bool(text), bool(de), where)
                lead, trail = de[: len(de) - len(de.lstrip())], de[len(de.rstrip()):]
                if n in OWN_BLANKS:
                    # The program adds the blank itself ("Zahlen für Tipp " + " " + row).
                    self.assertEqual(text, text.rstrip(), where)
                    continue
                self.assertTrue(text.startswith(lead), "%s lost its leading blanks: %r" % (where, text))
                self.assertTrue(text.endswith(trail), "%s lost its trailing blanks: %r" % (where, text))
                if de.strip() and de.strip() not in SAME_WORDS:
                    self.assertNotEqual(text.strip(), de.strip(), "%s is still German" % where)

    def test_stop_caption_differs_from_the_calculate_caption(self):
        # A run is recognised by the button caption being line 42; the same
        # word as the idle caption would make every click a stop request.
        calc = {c["key"]: c for c in load_table()["components"]}["Form1.BitBtn4.caption"]
        for lang in LANGS:
            self.assertNotEqual(self.files[lang][42], calc[lang], lang)

    def test_files_are_what_the_table_gives(self):
        table = load_table()
        for lang in LANGS:
            self.assertEqual(self.files[lang], [m[lang] for m in table["messages"]] + [p[lang] for p in table["program"]], lang)


class TableTest(unittest.TestCase):
    def setUp(self):
        self.table = load_table()
        self.by_key = {c["key"]: c for c in self.table["components"]}

    def test_every_component_text_exists_in_every_language(self):
        for c in self.table["components"]:
            if c.get("runtime"):
                self.assertFalse(any(lang in c for lang in LANGS), c["key"])
            elif c.get("same"):
                self.assertEqual([lang for lang in LANGS if lang in c], ["de"], c["key"])
            else:
                for lang in LANGS:
                    self.assertIn(lang, c, c["key"])
                    self.assertEqual(bool(c[lang].strip()), bool(c["de"].strip()), "%s (%s)" % (c["key"], lang))

    def test_captions_keep_their_gaps_and_accelerators(self):
        # Gaps of three or more blanks hold spin fields in their order; the
        # "&" marks the key of a menu item or button.
        for c in self.table["components"]:
            if not c["key"].endswith(".caption") or c.get("same") or c.get("runtime"):
                continue
            for lang in LANGS[1:]:
                where = "%s (%s): %r" % (c["key"], lang, c[lang])
                self.assertEqual(len(GAP.findall(c[lang])), len(GAP.findall(c["de"])), where)
                self.assertEqual(c[lang].count("&"), c["de"].count("&"), where)
                if "&" in c[lang]:
                    self.assertRegex(c[lang], r"&[^\s&]", where)

    def test_menu_accelerators_are_distinct(self):
        menu = ["Aktualisieren1", "Berechnen1", "SpracheLanguage1", "Abgeben1", "Schlieen1"]
        for lang in LANGS:
            keys = [re.search(r"&(.)", self.by_key["Form1.%s.caption" % m][lang]).group(1).lower() for m in menu]
            self.assertEqual(len(set(keys)), len(keys), "%s: %s" % (lang, keys))

    def test_german_matches_the_generator_settings_table(self):
        shown_as = {"Edit55": "LabelRuns"}  # the runs field's caption stands in a label before it
        for kind, control, edit, caption, hint in generator_texts():
            if kind in ("Bool", "Radio"):
                pairs = [("Form1.%s.caption" % control, caption), ("Form1.%s.hint" % control, hint)]
            else:
                pairs = [("Form1.%s.hint" % edit, hint)]
                if edit in shown_as:
                    pairs.append(("Form1.%s.caption" % shown_as[edit], caption))
            for key, text in pairs:
                if text:
                    self.assertIn(key, self.by_key)
                    self.assertEqual(self.by_key[key]["de"], text, key)

    def test_every_language_file_names_each_language_in_its_own_language(self):
        # The built-in captions stay; every language file says the language's own name.
        names = {"Deutsch1": ("Deutsch", "Deutsch"), "Englich1": ("English", "English"),
                 "Franz1": ("français", "Français"), "Spanisch1": ("espagnol", "Español"),
                 "Italenisch1": ("italiano", "Italiano"), "Russisch1": ("русский", "Русский"),
                 "Porugiesisch1": ("português", "Português"), "N2": ("中国的", "中文")}
        for name, (builtin, own) in names.items():
            entry = self.by_key["Form1.%s.caption" % name]
            self.assertTrue(entry.get("same"), name)
            self.assertEqual(entry["de"], own)
            self.assertEqual(entry.get("builtin", entry["de"]), builtin)


# A small table and component list for the script's own behaviour.
FIXTURE_COMPONENTS = [
    {"key": "Form1.Form1.caption", "same": True, "de": "Fenster®"},
    {"key": "Form1.Deutsch1.caption", "same": True, "de": "Deutsch"},
    {"key": "Form1.N2.caption", "de": "中国的", "en": "Chinese", "fr": "chinois", "es": "chino", "it": "cinese",
     "ru": "китайский", "pt": "chinês", "cn": "中文"},
    {"key": "Form1.BitBtn4.caption", "de": "Tipps berechnen", "en": "Calculate tips", "fr": "Calculer les grilles",
     "es": "Calcular apuestas", "it": "Calcola giocate", "ru": "Рассчитать ставки", "pt": "Calcular apostas",
     "cn": "计算投注"},
    {"key": "Form1.BitBtn4.hint", "de": "Berechnung starten", "en": "Start the calculation",
     "fr": "Lancer le calcul", "es": "Iniciar el cálculo", "it": "Avvia il calcolo", "ru": "Начать расчёт",
     "pt": "Iniciar o cálculo", "cn": "开始计算"},
    {"key": "Form1.Edit85.hint", "field": True, "de": "Prozent", "en": "Percent", "fr": "Pourcentage",
     "es": "Porcentaje", "it": "Percentuale", "ru": "Процент", "pt": "Porcentagem", "cn": "百分比"},
    {"key": "Form1.Label35.caption", "runtime": True},
]
FIXTURE_RECORDS = [
    ("Form1", "Form1", "Fenster®", ""),
    ("Form1", "Deutsch1", "Deutsch", ""),
    ("Form1", "N2", "中国的", ""),
    ("Form1", "Panel4", "", ""),
    ("Form1", "BitBtn4", "Tipps berechnen", "Berechnung starten"),
    ("Form1", "Edit85", "Prozent", "Prozent"),
    ("Form1", "Label35", "Di 22.10.19   5  12", ""),
    ("Form6", "CheckBox7", "7", ""),
    ("Form6", "Tipp1Edit", "…", ""),
]


class ScriptTest(unittest.TestCase):
    def setUp(self):
        self.dir = temp_dir()
        self.addCleanup(shutil.rmtree, self.dir)
        real = load_table()
        self.doc = {"languages": LANGS, "messages": real["messages"], "components": FIXTURE_COMPONENTS}
        self.table = self.path("texts.json")
        self.write_table(self.doc)
        self.list = self.path("RuvuZevodare.txt")
        self.out = self.path("land")

    def path(self, name):
        return os.path.join(self.dir, name)

    def write_table(self, doc, path=None):
        with open(path or self.table, "w", encoding="utf-8") as f:
            json.dump(doc, f, ensure_ascii=False)

    def test_writes_caption_and_hint_of_every_record_in_list_order(self):
        write_list(self.list, FIXTURE_RECORDS)
        rc, _, err = run_script("--table", self.table, self.list, self.out)
        self.assertEqual(rc, 0, err)
        expected = {
            "de": ["Fenster®", "", "Deutsch", "", "中国的", "", "", "", "Tipps berechnen", "Berechnung starten",
                   "Prozent", "Prozent", "", "", "7", "", "…", ""],
            "en": ["Fenster®", "", "Deutsch", "", "Chinese", "", "", "", "Calculate tips", "Start the calculation",
                   "Percent", "Percent", "", "", "7", "", "…", ""],
            "cn": ["Fenster®", "", "Deutsch", "", "中文", "", "", "", "计算投注", "开始计算",
                   "百分比", "百分比", "", "", "7", "", "…", ""],
        }
        for lang, lines in expected.items():
            self.assertEqual(read_lines(os.path.join(self.out, "Mega_%s.txt" % lang)), lines, lang)
        for lang in LANGS:
            self.assertEqual(len(read_lines(os.path.join(self.out, "Mega_%s.txt" % lang))), 2 * len(FIXTURE_RECORDS))
            self.assertEqual(read_lines(os.path.join(self.out, "Mega_%s.txt.meld" % lang)),
                             [m[lang] for m in self.doc["messages"]] + [p[lang] for p in self.doc.get("program", [])])

    def test_missing_or_changed_texts_are_listed_and_nothing_is_written(self):
        os.makedirs(self.out)
        old = os.path.join(self.out, "Mega_en.txt")
        with open(old, "wb") as f:
            f.write(b"old")
        records = FIXTURE_RECORDS + [("Form1", "Button99", "Neu", "Ganz neu"),
                                     ("Form3", "BitBtn4", "Tipps berechnen", "")]
        records[4] = ("Form1", "BitBtn4", "Tipps ausrechnen", "Berechnung starten")
        write_list(self.list, records)
        rc, _, err = run_script("--table", self.table, self.list, self.out)
        self.assertEqual(rc, 1)
        for named in ["Form1 Button99 caption 'Neu'", "Form1 Button99 hint 'Ganz neu'",
                      "Form3 BitBtn4 caption 'Tipps berechnen'", "Tipps ausrechnen"]:
            self.assertIn(named, err)
        self.assertEqual(os.listdir(self.out), ["Mega_en.txt"])
        with open(old, "rb") as f:
            self.assertEqual(f.read(), b"old")

    def test_a_built_in_text_of_its_own_is_checked_against_the_list_and_the_files_carry_the_german_text(self):
        # The program's caption lacks the accelerator that every language file gives it.
        self.doc["components"] = list(FIXTURE_COMPONENTS)
        self.doc["components"][3] = dict(FIXTURE_COMPONENTS[3], builtin="Tipps berechnen", de="&Tipps berechnen",
                                         en="Calculate &tips", fr="Calculer les &grilles", es="Calcular &apuestas",
                                         it="Calcola &giocate", ru="Рассчитать &ставки", pt="Calcular &apostas",
                                         cn="计算投注(&T)")
        self.write_table(self.doc)
        write_list(self.list, FIXTURE_RECORDS)
        rc, _, err = run_script("--table", self.table, self.list, self.out)
        self.assertEqual(rc, 0, err)
        self.assertEqual(read_lines(os.path.join(self.out, "Mega_de.txt"))[8], "&Tipps berechnen")
        self.assertEqual(read_lines(os.path.join(self.out, "Mega_cn.txt"))[8], "计算投注(&T)")
        # A list that documents the German file's text instead is stale.
        records = list(FIXTURE_RECORDS)
        records[4] = ("Form1", "BitBtn4", "&Tipps berechnen", "Berechnung starten")
        write_list(self.list, records)
        rc, _, err = run_script("--table", self.table, self.list, self.out)
        self.assertEqual(rc, 1)
        self.assertIn("table 'Tipps berechnen', program '&Tipps berechnen'", err)

    def test_a_list_of_incomplete_records_is_refused(self):
        write_list(self.list, FIXTURE_RECORDS)
        with open(self.list, "ab") as f:
            f.write(b"Form1\r\nBitBtn9\r\n")
        rc, _, err = run_script("--table", self.table, self.list, self.out)
        self.assertEqual(rc, 1)
        self.assertIn("not whole records", err)
        self.assertFalse(os.path.exists(self.out))

    def test_a_faulty_table_is_refused_with_the_place_of_each_fault(self):
        def message(doc, line, lang, text):
            doc["messages"][line][lang] = text

        def component(doc, key, lang, text):
            next(c for c in doc["components"] if c["key"] == key)[lang] = text

        def drop(doc, key, lang):
            del next(c for c in doc["components"] if c["key"] == key)[lang]

        cases = [
            (lambda d: message(d, 23, "en", "set"), "message line 23 (en): lost the leading or trailing blanks"),
            (lambda d: message(d, 22, "fr", "Numéro fétiche"), "message line 22 (fr): lost the leading"),
            (lambda d: message(d, 45, "it", ""), "message line 45 (it): empty"),
            (lambda d: message(d, 13, "ru", "Лишнее"), "message line 13 (ru): not empty"),
            (lambda d: message(d, 7, "pt", "Sorteio\r\nencontrado"), "message line 7 (pt): contains a line break"),
            (lambda d: d["messages"].pop(), "messages must be the lines 0 to 61"),
            (lambda d: drop(d, "Form1.BitBtn4.hint", "es"), "Form1.BitBtn4.hint (es): missing"),
            (lambda d: component(d, "Form1.BitBtn4.caption", "en", "&Calculate tips"),
             "Form1.BitBtn4.caption (en): has 1 accelerator marks"),
            (lambda d: component(d, "Form1.BitBtn4.caption", "ru", "Рассчитать      ставки"),
             "Form1.BitBtn4.caption (ru): has 1 gaps"),
            (lambda d: component(d, "Form1.Deutsch1.caption", "en", "German"),
             "Form1.Deutsch1.caption: a text that is the same in every language has only its German text"),
            (lambda d: d["components"].append(dict(d["components"][3])), "Form1.BitBtn4.caption: listed twice"),
        ]
        write_list(self.list, FIXTURE_RECORDS)
        for change, expected in cases:
            doc = json.loads(json.dumps(self.doc))
            change(doc)
            self.write_table(doc)
            rc, _, err = run_script("--table", self.table, self.list, self.out)
            self.assertEqual(rc, 1, expected)
            self.assertIn(expected, err)
            self.assertFalse(os.path.exists(self.out), expected)

    def test_the_real_table_gives_complete_files_for_a_list_in_table_order(self):
        rc, _, err = run_script("--from-table", self.list)
        self.assertEqual(rc, 0, err)
        records = len(read_lines(self.list)) // 5
        rc, _, err = run_script(self.list, self.out)
        self.assertEqual(rc, 0, err)
        table = load_table()
        german, builtin = {}, {}
        for c in table["components"]:
            german[c["key"]] = "" if c.get("runtime") else c["de"]
            builtin[c["key"]] = c.get("builtin", german[c["key"]])
        files = {lang: read_lines(os.path.join(self.out, "Mega_%s.txt" % lang)) for lang in LANGS}
        for lang in LANGS:
            self.assertEqual(len(files[lang]), 2 * records, lang)
        listed = read_lines(self.list)
        for i in range(records):
            window, name, caption, hint = listed[5 * i: 5 * i + 4]
            self.assertEqual(files["de"][2 * i + 1], hint, name)
            if "%s.%s.caption" % (window, name) in german:
                # The list documents the built-in caption; the German file may add an accelerator.
                self.assertEqual(caption, builtin["%s.%s.caption" % (window, name)], name)
                self.assertEqual(files["de"][2 * i], german["%s.%s.caption" % (window, name)], name)
            for lang in LANGS[1:]:
                # Nothing German is left where the German text has words to translate.
                for k, de in ((2 * i, files["de"][2 * i]), (2 * i + 1, hint)):
                    same = any(c.get("same") and c["de"] == de for c in table["components"])
                    if re.search(r"[a-zäöüß]{4,}", de) and not same:
                        self.assertNotEqual(files[lang][k], de, "%s %s (%s)" % (window, name, lang))


class ShippedLanguageFilesTest(unittest.TestCase):
    def test_shipped_language_files_are_what_the_script_writes_from_the_shipped_list(self):
        shipped_list = os.path.join(LAND, "RuvuZevodare.txt")
        if not os.path.exists(shipped_list):
            self.skipTest("no component list shipped yet")
        out = temp_dir()
        self.addCleanup(shutil.rmtree, out)
        rc, _, err = run_script(shipped_list, out)
        self.assertEqual(rc, 0, err)
        for name in sorted(os.listdir(out)):
            with open(os.path.join(out, name), "rb") as a, open(os.path.join(LAND, name), "rb") as b:
                self.assertEqual(a.read(), b.read(), "%s differs from what the script writes" % name)


if __name__ == "__main__":
    unittest.main()
