#!/usr/bin/env python3
"""ruvuzevodare-server and the download, add and delete commands, end to end on the loopback."""
import datetime
import os
import shutil
import socket
import struct
import subprocess
import sys
import tempfile
import time
import unittest
import urllib.error
import urllib.request

import dataserver

CLI = sys.argv.pop(1) if len(sys.argv) > 1 else "build/bin/ruvuzevodare-cli"
# The Windows build runs through Wine: RZ_TEST_RUNNER="wine".
RUNNER = os.environ.get("RZ_TEST_RUNNER", "").split()
SERVER = os.path.join(os.path.dirname(CLI), "ruvuzevodare-server" + os.path.splitext(CLI)[1])

HISTORY = """date,n1,n2,n3,n4,n5,megaball,megaplier
2019-10-15,4,12,14,35,70,2,2
2019-10-18,18,58,60,65,67,20,3
2019-10-22,5,12,33,41,70,7,3
2019-10-25,16,24,25,52,60,6,3
"""


def run(*args):
    p = subprocess.run([*RUNNER, CLI, *args], capture_output=True, text=True, timeout=120)
    return p.returncode, p.stdout, p.stderr


def closed_port():
    s = socket.socket()
    s.bind(("127.0.0.1", 0))
    port = s.getsockname()[1]
    s.close()
    return port


def Server(db, logdir):
    return dataserver.Server(SERVER, db, logdir=logdir)


class CliDownloadTest(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.TemporaryDirectory(dir=os.environ.get("RZ_TEST_TMP"))
        self.full = self.path("full.dat")
        self.part = self.path("part.dat")
        self.importing(HISTORY, self.full)
        self.importing("".join(HISTORY.splitlines(True)[:3]), self.part)

    def tearDown(self):
        self.dir.cleanup()

    def path(self, name):
        return os.path.join(self.dir.name, name)

    def importing(self, text, db):
        csv = self.path("in.csv")
        with open(csv, "w", encoding="utf-8") as f:
            f.write(text)
        rc, _, err = run("import", csv, "--db", db)
        self.assertEqual(rc, 0, err)

    def read(self, name):
        with open(name, "rb") as f:
            return f.read()

    def test_download_adds_the_two_drawings_the_copy_lacks(self):
        server = Server(self.full, self.dir.name)
        try:
            self.assertRegex(server.url, r"^http://127\.0\.0\.1:\d+$")
            rc, out, err = run("download", "--db", self.part, "--server", server.url, "--today", "2019-10-26")
            server.wait_for_log(4)
        finally:
            server.close()
        self.assertEqual(rc, 0, err)
        self.assertEqual(out, "drawings added: 2\nlast drawing: 2019-10-25\nstatus: HTTP/1.1 200 OK\n")
        self.assertEqual(err.splitlines(), ["Di 22.10.19     5  12  33  41  70", "Fr 25.10.19     16  24  25  52  60"])
        self.assertEqual(self.read(self.part), self.read(self.full))
        log = server.log_lines()
        # 22 Oct: 23 (empty) then 22; 25 Oct: 26 (empty) then 25.
        self.assertEqual([line.split()[3].split("Datum=")[1] for line in log], ["20191023", "20191022", "20191026", "20191025"])
        self.assertTrue(all(line.split()[1] == "127.0.0.1" and line.split()[2] == "GET" for line in log))

        # Up to date: the next date is after today, nothing is asked for.
        server = Server(self.full, self.dir.name)
        try:
            rc, out, _ = run("download", "--db", self.part, "--server", server.url, "--today", "2019-10-26")
        finally:
            server.close()
        self.assertEqual(out, "drawings added: 0\nlast drawing: 2019-10-25\nstatus: -\n")
        self.assertEqual(len(server.log_lines()), 0)

    def test_unreachable_server_ends_at_once_with_exit_code_zero(self):
        url = "http://127.0.0.1:%d" % closed_port()
        rc, out, err = run("download", "--db", self.part, "--server", url, "--today", "2026-08-08")
        self.assertEqual(rc, 0)
        self.assertEqual(out, "drawings added: 0\nlast drawing: 2019-10-18\nstatus: Verbindung abgelehnt\n")
        self.assertIn(url, err)

    def test_server_refuses_everything_else(self):
        server = Server(self.full, self.dir.name)
        try:
            for path, code in [("/lotto/uslotto.asp?Programm=RuvuZevodare&Datum=20191022", 200),
                               ("/lotto/uslotto.asp?Programm=RuvuZevodare&Datum=2019102", 404),
                               ("/index.html", 404)]:
                try:
                    with urllib.request.urlopen(server.url + path, timeout=10) as r:
                        status, body = r.status, r.read()
                except urllib.error.HTTPError as e:
                    status, body = e.code, b""
                self.assertEqual(status, code, path)
                if code == 200:
                    self.assertEqual(body, b"5,12,33,41,70,7,3\r\n")
            server.wait_for_log(3)
        finally:
            server.close()
        self.assertEqual(len(server.log_lines()), 3)

    def test_usage_errors(self):
        for args in (["download", "--db", self.part],
                     ["download", "--db", self.part, "--server", "http://127.0.0.1:1", "--today", "26.10.2019"],
                     ["download", "--db", self.part, "--server", "ftp://host/"],
                     ["add", "--db", self.part, "--date", "2019-10-29", "--numbers", "1,2,3,4", "--megaball", "5"],
                     ["add", "--db", self.part, "--date", "2019-10-29", "--numbers", "1,2,3,4,4", "--megaball", "5"],
                     ["add", "--db", self.part, "--date", "2019-10-29", "--numbers", "1,2,3,4,5", "--megaball", "26"],
                     ["add", "--db", self.path("none.dat"), "--date", "2019-10-29", "--numbers", "1,2,3,4,5",
                      "--megaball", "5"],
                     ["delete", "--db", self.part]):
            rc, out, err = run(*args)
            self.assertEqual(rc, 2, args)
            self.assertEqual(out, "", args)
            self.assertTrue(err, args)
        for args in ([], ["--db", "x"], ["--db", self.full, "--port", "http"]):
            p = subprocess.run([*RUNNER, SERVER, *args], capture_output=True, text=True, timeout=30)
            self.assertEqual(p.returncode, 2, args)

    def test_add_and_delete(self):
        before = self.read(self.part)
        cases = [
            # (date, numbers, megaball, megaplier or None, output, lookup line of that date)
            ("2019-10-29", "70,5,33,12,41", "7", "3", "appended: 2019-10-29\n", "Di 29.10.19    5  12  33  41  70   MB: 7 MP: 3"),
            ("2019-10-16", "1,2,3,4,5", "6", None, "inserted: 2019-10-16\n", "Mi 16.10.19    1  2  3  4  5 MB:6 MP:0"),
        ]
        for date, numbers, mb, mp, output, line in cases:
            args = ["add", "--db", self.part, "--date", date, "--numbers", numbers, "--megaball", mb]
            if mp is not None:
                args += ["--megaplier", mp]
            rc, out, err = run(*args)
            self.assertEqual((rc, out), (0, output), err)
            _, shown, _ = run("lookup", "--db", self.part, "--date", date)
            self.assertEqual(shown.splitlines()[0], line)
            rc, out, _ = run("delete", "--db", self.part, "--date", date)
            self.assertEqual((rc, out), (0, "deleted: 1\n"))
            self.assertEqual(self.read(self.part), before)

        # A correction without --megaplier keeps the stored one.
        rc, out, _ = run("add", "--db", self.part, "--date", "2019-10-18", "--numbers", "18,58,60,65,66", "--megaball", "20")
        self.assertEqual((rc, out), (0, "replaced: 2019-10-18\n"))
        self.assertEqual(len(self.read(self.part)), len(before))
        _, shown, _ = run("lookup", "--db", self.part, "--date", "2019-10-18")
        self.assertEqual(shown.splitlines()[0], "Fr 18.10.19    18  58  60  65  66   MB: 20 MP: 3")

        rc, out, _ = run("delete", "--db", self.part, "--date", "2001-01-01")
        self.assertEqual((rc, out), (0, "deleted: 0\n"))


    def test_a_drawing_after_today_is_refused_and_a_stored_one_is_named_by_the_download(self):
        before = self.read(self.part)
        tomorrow = (datetime.date.today() + datetime.timedelta(days=1)).isoformat()
        for date in (tomorrow, "2030-08-07"):
            rc, out, err = run("add", "--db", self.part, "--date", date, "--numbers", "1,2,3,4,5", "--megaball", "6")
            self.assertNotEqual(rc, 0, date)
            self.assertEqual(out, "", date)
            self.assertIn("liegt nach dem heutigen Tag", err)
            self.assertEqual(self.read(self.part), before)

        # A drawing dated in the future that came in some other way: the
        # download asks nothing and says why.
        record = bytearray(before[-32:])
        struct.pack_into("<d", record, 0, float((datetime.date(2030, 8, 7) - datetime.date(1899, 12, 30)).days))
        db = self.path("future.dat")
        with open(db, "wb") as f:
            f.write(before + bytes(record))
        rc, out, err = run("download", "--db", db, "--server", "http://127.0.0.1:%d" % closed_port(), "--today", "2026-08-08")
        self.assertEqual(rc, 0)
        self.assertEqual(out, "drawings added: 0\nlast drawing: 2030-08-07\nstatus: -\n")
        self.assertIn("07.08.2030", err)
        self.assertIn("es wird nichts abgefragt", err)


if __name__ == "__main__":
    unittest.main()
