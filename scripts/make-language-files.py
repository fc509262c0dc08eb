#!/usr/bin/env python3
"""Writes the language files of the program from the master table of texts.

    make-language-files.py [--table TABLE] COMPONENT_LIST OUT_DIR
        Writes Mega_de.txt ... Mega_cn.txt (two lines per record of the
        component list: caption, hint) and the eight message files
        Mega_xx.txt.meld (one line per message line, then one line per
        program text) into OUT_DIR.

    make-language-files.py [--table TABLE] --messages OUT_DIR
        Writes only the eight message files.

    make-language-files.py [--table TABLE] --from-table LIST_FILE
        Writes a component list in table order (five lines per record), for
        trying the script before the program writes the real list.

    make-language-files.py [--table TABLE] --check
        Only checks the table.

The component list has five lines per record: window name, component name,
caption (for an edit field its hint), hint, character set. Every caption and
hint of the list must be in the table unless it holds no letters at all
("1", "2x", "…"); the German text of the table must equal the built-in text
that the list documents. Anything missing or changed is listed and nothing is
written, so that no file ships with an untranslated or stale text.

All files are UTF-8 with a byte order mark and CR LF after every line.
"""
import argparse
import json
import os
import re
import sys
import tempfile

LANGUAGES = ["de", "en", "fr", "es", "it", "ru", "pt", "cn"]
MESSAGE_LINES = 62
MAX_LINE = 4096  # the line lists of the program return at most this many characters
BOM = "\ufeff"
NEWLINE = "\r\n"
PROPERTIES = ("caption", "hint")
GAP = re.compile(r" {3,}")  # a run of blanks that holds a spin field in a caption
DEFAULT_TABLE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "data", "land-src", "texts.json")


class TableError(Exception):
    """The table is malformed or incomplete; the message lists every problem."""


class ListError(Exception):
    """The component list cannot be read or does not match the table."""


def file_name(lang):
    return "Mega_%s.txt" % lang


def leading_blanks(s):
    return s[: len(s) - len(s.lstrip(" \t"))]


def trailing_blanks(s):
    return s[len(s.rstrip(" \t")):]


def is_neutral(text):
    """True for a text with nothing to translate: no letter in any script."""
    return not any(ch.isalpha() for ch in text)


class Entry:
    def __init__(self, window, name, prop, texts, same=False, runtime=False, field=False, builtin=None):
        self.window, self.name, self.prop = window, name, prop
        self.texts = texts  # language -> text
        self.same = same
        self.runtime = runtime
        self.field = field  # the hint of an edit field, which has no caption
        # The program's built-in text where the German language file says it
        # otherwise (an accelerator the built-in caption lacks); None: the German text.
        self.builtin = builtin

    @property
    def key(self):
        return "%s.%s.%s" % (self.window, self.name, self.prop)


class Table:
    def __init__(self, messages, entries, program=()):
        self.messages = messages  # list of 62 dicts language -> text
        self.program = list(program)  # the program's own texts: list of dicts language -> text, in program order
        self.entries = entries  # list of Entry in table order
        self.by_key = {(e.window, e.name, e.prop): e for e in entries}

    def text(self, entry, lang):
        if entry.runtime:
            return ""
        return entry.texts["de"] if entry.same else entry.texts[lang]

    def builtin(self, entry):
        """The text the program has when no language file is applied."""
        return entry.builtin if entry.builtin is not None else self.text(entry, "de")


def _check_text(where, text, problems):
    if not isinstance(text, str):
        problems.append("%s: not a text" % where)
        return False
    if "\r" in text or "\n" in text:
        problems.append("%s: contains a line break" % where)
    if len(text) > MAX_LINE:
        problems.append("%s: longer than %d characters" % (where, MAX_LINE))
    return True


def _check_translation(where, de, text, caption, problems, keep_blanks=True):
    """The rules every translation keeps with respect to its German text.

    Leading and trailing blanks join a message line to the date or number
    that the program puts beside it, and a caption to the label beside it;
    Chinese captions join without blanks, so they need not keep them.
    """
    if de and not text:
        problems.append("%s: empty although the German text is not" % where)
    if not de and text:
        problems.append("%s: not empty although the German text is" % where)
    if keep_blanks and (not text.startswith(leading_blanks(de)) or not text.endswith(trailing_blanks(de))):
        problems.append("%s: lost the leading or trailing blanks of the German text" % where)
    if caption:
        if len(GAP.findall(text)) != len(GAP.findall(de)):
            problems.append("%s: has %d gaps of three or more blanks, the German text %d"
                            % (where, len(GAP.findall(text)), len(GAP.findall(de))))
        if text.count("&") != de.count("&"):
            problems.append("%s: has %d accelerator marks '&', the German text %d"
                            % (where, text.count("&"), de.count("&")))


def parse_table(doc):
    problems = []
    if not isinstance(doc, dict):
        raise TableError("the table is not a JSON object")
    if doc.get("languages") != LANGUAGES:
        problems.append("languages must be %s" % LANGUAGES)

    messages = doc.get("messages")
    if not isinstance(messages, list) or [m.get("line") if isinstance(m, dict) else None for m in messages] != list(
            range(MESSAGE_LINES)):
        problems.append("messages must be the lines 0 to %d in order" % (MESSAGE_LINES - 1))
        messages = []
    parsed_messages = []
    for m in messages:
        texts = {}
        for lang in LANGUAGES:
            where = "message line %d (%s)" % (m["line"], lang)
            if lang not in m:
                problems.append("%s: missing" % where)
                continue
            if _check_text(where, m[lang], problems):
                texts[lang] = m[lang]
        if "de" in texts:
            for lang in LANGUAGES[1:]:
                if lang in texts:
                    where = "message line %d (%s)" % (m["line"], lang)
                    _check_translation(where, texts["de"], texts[lang], False, problems,
                                       keep_blanks=not m.get("own_blanks", False))
        parsed_messages.append(texts)

    # The program's own texts follow the 62 message lines in the order of
    # the program's table (common/ProgramTexts.h); "%1", "%2", ... are places
    # for what the program puts in, and every language keeps the same ones.
    parsed_program = []
    program = doc.get("program", [])
    if not isinstance(program, list):
        problems.append("program must be a list")
        program = []
    seen_ids = set()
    for p in program:
        pid = p.get("id") if isinstance(p, dict) else None
        if not isinstance(pid, str) or pid in seen_ids:
            problems.append("program text %r: missing or repeated id" % (pid,))
            continue
        seen_ids.add(pid)
        texts = {}
        for lang in LANGUAGES:
            where = "program text %s (%s)" % (pid, lang)
            if lang not in p:
                problems.append("%s: missing" % where)
                continue
            if _check_text(where, p[lang], problems):
                texts[lang] = p[lang]
                if not p[lang]:
                    problems.append("%s: empty" % where)
        if "de" in texts:
            places = sorted(re.findall(r"%[1-9]", texts["de"]))
            for lang in LANGUAGES[1:]:
                if lang in texts and sorted(re.findall(r"%[1-9]", texts[lang])) != places:
                    problems.append("program text %s (%s): places %s differ from the German %s"
                                    % (pid, lang, sorted(re.findall(r"%[1-9]", texts[lang])), places))
        parsed_program.append(texts)

    entries = []
    seen = set()
    components = doc.get("components")
    if not isinstance(components, list):
        problems.append("components must be a list")
        components = []
    for c in components:
        key = c.get("key", "") if isinstance(c, dict) else ""
        parts = key.split(".")
        if len(parts) != 3 or not parts[0] or not parts[1] or parts[2] not in PROPERTIES:
            problems.append("component %r: the key must be Window.Component.caption or .hint" % (key,))
            continue
        if key in seen:
            problems.append("%s: listed twice" % key)
            continue
        seen.add(key)
        same, runtime, field = bool(c.get("same")), bool(c.get("runtime")), bool(c.get("field"))
        builtin = c.get("builtin")
        if field and parts[2] != "hint":
            problems.append("%s: only the hint of an edit field is marked as a field" % key)
        if builtin is not None and (runtime or not _check_text(key + " (builtin)", builtin, problems)):
            problems.append("%s: a built-in text needs a text of its own" % key)
            builtin = None
        texts = {}
        if runtime:
            if same or any(lang in c for lang in LANGUAGES):
                problems.append("%s: a text the program sets at run time carries no texts" % key)
        elif same:
            if "de" not in c or any(lang in c for lang in LANGUAGES[1:]):
                problems.append("%s: a text that is the same in every language has only its German text" % key)
            elif _check_text(key + " (de)", c["de"], problems):
                texts["de"] = c["de"]
        else:
            for lang in LANGUAGES:
                if lang not in c:
                    problems.append("%s (%s): missing" % (key, lang))
                elif _check_text("%s (%s)" % (key, lang), c[lang], problems):
                    texts[lang] = c[lang]
            if "de" in texts:
                for lang in LANGUAGES[1:]:
                    if lang in texts:
                        _check_translation("%s (%s)" % (key, lang), texts["de"], texts[lang],
                                           parts[2] == "caption", problems, keep_blanks=lang != "cn")
        entries.append(Entry(parts[0], parts[1], parts[2], texts, same, runtime, field, builtin))

    if problems:
        raise TableError("the table has %d problem(s):\n  %s" % (len(problems), "\n  ".join(problems)))
    return Table(parsed_messages, entries, parsed_program)


def load_table(path):
    try:
        with open(path, encoding="utf-8") as f:
            doc = json.load(f)
    except (OSError, ValueError) as e:
        raise TableError("cannot read %s: %s" % (path, e))
    return parse_table(doc)


def decode(data):
    """Text of a file: UTF-8 or UTF-16 by byte order mark, else Windows-1252."""
    if data.startswith(b"\xef\xbb\xbf"):
        return data[3:].decode("utf-8")
    if data.startswith(b"\xff\xfe") or data.startswith(b"\xfe\xff"):
        return data.decode("utf-16")
    return data.decode("cp1252", errors="replace")


def read_component_list(path):
    """The records of a component list as (window, name, caption, hint)."""
    try:
        with open(path, "rb") as f:
            text = decode(f.read())
    except (OSError, UnicodeDecodeError) as e:
        raise ListError("cannot read %s: %s" % (path, e))
    lines = re.split(r"\r\n|\r|\n", text)
    if lines and lines[-1] == "":
        lines.pop()
    if len(lines) % 5:
        raise ListError("%s: %d lines, not whole records of five lines" % (path, len(lines)))
    return [(lines[i].strip(), lines[i + 1].strip(), lines[i + 2], lines[i + 3]) for i in range(0, len(lines), 5)]


def language_lines(table, records):
    """Caption and hint of every record in every language.

    Returns ({language: [lines]}, problems). A caption or hint needs a table
    entry unless it has no letters; an edit field's caption line is its hint.
    """
    out = {lang: [] for lang in LANGUAGES}
    missing, changed = [], []

    def resolve(window, name, prop, builtin, fallback=None):
        entry = table.by_key.get((window, name, prop))
        if entry is None and fallback is not None:
            entry = fallback
        if entry is None:
            if is_neutral(builtin):
                return {lang: builtin for lang in LANGUAGES}
            missing.append("%s %s %s %r" % (window, name, prop, builtin))
            return None
        if not entry.runtime and table.builtin(entry) != builtin:
            changed.append("%s %s %s: table %r, program %r" % (window, name, prop, table.builtin(entry), builtin))
            return None
        return {lang: table.text(entry, lang) for lang in LANGUAGES}

    for window, name, caption, hint in records:
        hint_texts = resolve(window, name, "hint", hint)
        # An edit field has no caption of its own: its caption line repeats the hint.
        edit_field = (window, name, "caption") not in table.by_key and caption == hint and caption != ""
        if edit_field and (window, name, "hint") in table.by_key:
            caption_texts = hint_texts
        else:
            caption_texts = resolve(window, name, "caption", caption)
        if caption_texts is None or hint_texts is None:
            continue
        for lang in LANGUAGES:
            out[lang].append(caption_texts[lang])
            out[lang].append(hint_texts[lang])

    problems = []
    if missing:
        problems.append("%d text(s) of the component list are not in the table:\n  %s"
                        % (len(missing), "\n  ".join(missing)))
    if changed:
        problems.append("%d built-in text(s) differ from the German text of the table (translations may be stale):\n  %s"
                        % (len(changed), "\n  ".join(changed)))
    return out, problems


def message_lines(table):
    return {lang: [m[lang] for m in table.messages] + [p[lang] for p in table.program] for lang in LANGUAGES}


def encode_lines(lines):
    return (BOM + "".join(line + NEWLINE for line in lines)).encode("utf-8")


def write_files(files, out_dir):
    """Writes {file name: bytes} into out_dir, each file replaced at once."""
    os.makedirs(out_dir, exist_ok=True)
    umask = os.umask(0)
    os.umask(umask)
    for name, data in files.items():
        fd, tmp = tempfile.mkstemp(prefix="." + name + ".", dir=out_dir)
        try:
            with os.fdopen(fd, "wb") as f:
                f.write(data)
            os.chmod(tmp, 0o666 & ~umask)
            os.replace(tmp, os.path.join(out_dir, name))
        except BaseException:
            if os.path.exists(tmp):
                os.unlink(tmp)
            raise


def make_language_files(table, component_list, out_dir):
    records = read_component_list(component_list)
    lines, problems = language_lines(table, records)
    if problems:
        raise ListError("\n".join(problems))
    files = {}
    for lang in LANGUAGES:
        files[file_name(lang)] = encode_lines(lines[lang])
    for lang, msg in message_lines(table).items():
        files[file_name(lang) + ".meld"] = encode_lines(msg)
    write_files(files, out_dir)
    return len(records)


def component_list_from_table(table):
    """A component list with one record per component of the table, in table order."""
    order, parts = [], {}
    for e in table.entries:
        ident = (e.window, e.name)
        if ident not in parts:
            order.append(ident)
            parts[ident] = {}
        parts[ident][e.prop] = e
    lines = []
    for window, name in order:
        p = parts[(window, name)]
        hint = table.builtin(p["hint"]) if "hint" in p else ""
        caption = table.builtin(p["caption"]) if "caption" in p else ""
        if "hint" in p and p["hint"].field:
            caption = hint  # an edit field's hint stands for its caption
        lines += [window, name, caption, hint, "1"]
    return encode_lines(lines)


def main(argv):
    parser = argparse.ArgumentParser(
        prog="make-language-files.py",
        description="Writes the language files Mega_xx.txt and Mega_xx.txt.meld from the master table of texts.")
    parser.add_argument("--table", default=DEFAULT_TABLE, help="the master table (default: data/land-src/texts.json)")
    parser.add_argument("--messages", metavar="OUT_DIR", help="write only the eight message files into OUT_DIR")
    parser.add_argument("--from-table", metavar="LIST_FILE", help="write a component list in table order and stop")
    parser.add_argument("--check", action="store_true", help="only check the table")
    parser.add_argument("component_list", nargs="?", help="the component list (five lines a record)")
    parser.add_argument("out_dir", nargs="?", help="folder for the eight language and message files")
    args = parser.parse_args(argv)
    modes = sum([bool(args.messages), bool(args.from_table), args.check, args.component_list is not None])
    if modes != 1 or (args.component_list is not None and args.out_dir is None) or (
            args.component_list is None and args.out_dir is not None):
        parser.print_usage(sys.stderr)
        print("make-language-files.py: give COMPONENT_LIST OUT_DIR, --messages OUT_DIR, --from-table LIST_FILE"
              " or --check", file=sys.stderr)
        return 2
    try:
        table = load_table(args.table)
        if args.check:
            print("%s: %d message lines, %d program texts, %d texts of components"
                  % (args.table, MESSAGE_LINES, len(table.program), len(table.entries)))
        elif args.messages:
            write_files({file_name(lang) + ".meld": encode_lines(lines)
                         for lang, lines in message_lines(table).items()}, args.messages)
        elif args.from_table:
            write_files({os.path.basename(args.from_table): component_list_from_table(table)},
                        os.path.dirname(os.path.abspath(args.from_table)))
        else:
            n = make_language_files(table, args.component_list, args.out_dir)
            print("%d records, %d languages written to %s" % (n, len(LANGUAGES), args.out_dir))
    except (TableError, ListError) as e:
        print("make-language-files.py: %s" % e, file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
