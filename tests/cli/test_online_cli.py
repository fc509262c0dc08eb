#!/usr/bin/env python3
"""The cart and fill-script commands and the server's online answers, end to end on the loopback."""
import email.utils
import os
import socket
import subprocess
import sys
import tempfile
import time
import unittest
import urllib.error
import urllib.request

import dataserver

CLI = os.path.abspath(sys.argv.pop(1) if len(sys.argv) > 1 else "build/bin/ruvuzevodare-cli")
# The Windows build runs through Wine: RZ_TEST_RUNNER="wine".
RUNNER = os.environ.get("RZ_TEST_RUNNER", "").split()
WINDOWS = CLI.endswith(".exe")


def shown_path(path):
    """An absolute path as the program names it: under Wine the root folder is drive Z:."""
    return "Z:" + path.replace("/", "\\") if WINDOWS else path
SERVER = os.path.join(os.path.dirname(CLI), "ruvuzevodare-server" + os.path.splitext(CLI)[1])

EMPTY = ",,,,,,"


def run(*args):
    p = subprocess.run([*RUNNER, CLI, *args], capture_output=True, timeout=120)
    return p.returncode, p.stdout.decode("utf-8"), p.stderr.decode("utf-8")


def closed_port():
    s = socket.socket()
    s.bind(("127.0.0.1", 0))
    port = s.getsockname()[1]
    s.close()
    return port


def cart_query(rows, count):
    return "".join(f"kasten{k}={rows[k - 1]}&" for k in range(1, 7)) + f"Tipps={count}"


def Server(db, *options):
    return dataserver.Server(SERVER, db, *options)


class OnlineCliTest(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.TemporaryDirectory(dir=os.environ.get("RZ_TEST_TMP"))
        self.db = self.path("Ruvuzevodare.dat")
        with open(self.db, "wb"):
            pass
        self.servers = []

    def tearDown(self):
        for s in self.servers:
            s.close()
        self.dir.cleanup()

    def path(self, name):
        return os.path.join(self.dir.name, name)

    def write(self, name, text):
        with open(self.path(name), "w", newline="") as f:
            f.write(text)
        return self.path(name)

    def server(self, *options):
        s = Server(self.db, *options)
        self.servers.append(s)
        return s

    def test_cart_urls(self):
        base = "https://portal.example/cart?"
        server = self.server("--cart-base", base)
        r1, r2 = "5,17,33,41,62,9,", "2,8,19,50,70,25,"
        full = "1,2,3,4,5,6,"
        cases = [
            ("two rows", [r1, r2], [base + cart_query([r1, r2] + [EMPTY] * 4, 2)]),
            ("rows 1 and 3", [r1, "", r2], [base + cart_query([r1, EMPTY, r2, EMPTY, EMPTY, EMPTY], 3)]),
            ("no rows", [], [base + cart_query([EMPTY] * 6, 0)]),
            ("twelve rows", [full] * 6 + [r1] * 6,
             [base + cart_query([full] * 6, 6), base + cart_query([r1] * 6, 6)]),
            ("row 7 empty, row 9 filled", [r1, "", "", "", "", "", "", "", r2],
             [base + cart_query([r1] + [EMPTY] * 5, 1)]),
            ("fields out of range are emptied", ["75,2,3,4,5,26,"], [base + cart_query([",2,3,4,5,,"] + [EMPTY] * 5, 1)]),
        ]
        for what, lines, urls in cases:
            with self.subTest(what):
                tips = self.write("t.qlt", "".join(line + "\r\n" for line in lines))
                rc, out, err = run("cart", "--server", server.url, "--tips", tips)
                self.assertEqual((rc, err), (0, ""))
                self.assertEqual(out, "".join(u + "\n" for u in urls))

    def test_cart_fallback_notice_and_refusals(self):
        tips = self.write("t.qlt", "5,17,33,41,62,9,\r\n")
        row = cart_query(["5,17,33,41,62,9,"] + [EMPTY] * 5, 1)
        plain = self.server()
        rc, out, err = run("cart", "--server", plain.url, "--tips", tips, "--count", "12")
        self.assertEqual((rc, out), (0, plain.url + "/lotto/warenkorb2.asp?" + row + "\n"))
        with urllib.request.urlopen(plain.url + "/lotto/warenkorb2.asp?" + row) as page:
            self.assertIn("5,17,33,41,62,9,", page.read().decode("utf-8"))

        notice = self.write("notice.htm", "<html><body>Mitteilung: heute kein Warenkorb</body></html>\n")
        noticing = self.server("--cart-base", "https://portal.example/c?", "--notice", notice)
        rc, out, err = run("cart", "--server", noticing.url, "--tips", tips)
        self.assertEqual((rc, out), (0, ""))
        self.assertIn("notice", err)
        with self.assertRaises(urllib.error.HTTPError) as e:
            urllib.request.urlopen(noticing.url + "/lotto/lotto.asp?Spiel=Zentuva&Wo=Lottoland&Tipps=5")
        self.assertEqual(e.exception.code, 404)
        self.assertIn("Mitteilung", e.exception.read().decode("utf-8"))

        for base in ["file:///etc/passwd?", "javascript:alert(1)//?", "/usr/bin/xterm?",
                     "https://portal.example/" + "x" * 2100 + "?"]:
            with self.subTest(base[:30]):
                refusing = self.server("--cart-base", base)
                rc, out, err = run("cart", "--server", refusing.url, "--tips", tips)
                self.assertEqual((rc, out), (1, ""))
                self.assertIn("es wird nichts geöffnet", err)

        rc, out, err = run("cart", "--server", "http://127.0.0.1:%d" % closed_port(), "--tips", tips)
        self.assertEqual((rc, out), (1, ""))
        self.assertIn("Keine Verbindung", err)

    def test_cart_usage(self):
        tips = self.write("t.qlt", "")
        for args in [["cart", "--tips", tips], ["cart", "--server", "http://127.0.0.1:1"],
                     ["cart", "--server", "http://127.0.0.1:1", "--tips", tips, "--count", "13"],
                     ["cart", "--server", "http://127.0.0.1:1", "--tips", tips, "--count", "x"],
                     ["cart", "--server", "http://127.0.0.1:1", "--tips", tips, "stray"],
                     ["cart", "--server", "http://127.0.0.1:1", "--tips", tips, "--proxy", "x"]]:
            with self.subTest(args=args[1:]):
                rc, out, err = run(*args)
                self.assertEqual((rc, out), (2, ""))
        rc, out, err = run("cart", "--server", "http://127.0.0.1:1", "--tips", self.path("missing.qlt"))
        self.assertEqual((rc, out), (1, ""))

    def test_fill_script(self):
        tips = self.write("t.qlt", "1,2,3,4,5,6,\r\n7,8,9,10,11,12,\r\n13,14,15,16,17,18,99\r\n")
        script = self.write("s.qcs",
                            "A [Z1_1] [Z5_1] [S1_1] [S2_1]\n"
                            "B [Z1_3] [S1_3] [S2_3] [Z1_4] [S1_12] [S2_12]|\n"
                            "C [Z1_10] [z1_1]\n"
                            "D [DAUER] [FR] [DI] [DIFR] [MELDUNGFERTIG]\n"
                            "E [TIPPDATEI]")
        cases = [
            ([], "NEIN JA NEIN NEIN"),  # designed settings: only MaxOverlapEnabled
            (["--set", "Chekcbox1=1", "--set", "Chekcbox2=1"], "JA JA JA JA"),
            (["--set", "Chekcbox3=0", "--set", "Chekcbox2=1"], "NEIN NEIN JA NEIN"),
        ]
        for options, flags in cases:
            with self.subTest(options=options):
                rc, out, err = run("fill-script", "--script", script, "--tips", tips, *options)
                self.assertEqual((rc, err), (0, ""))
                self.assertEqual(out, "A 1 5 6 \r\n"
                                      "B 13 18 99   |\r\n"
                                      "C  [z1_1]\r\n"
                                      f"D {flags} Ready to Play\r\n"
                                      f"E {shown_path(os.path.abspath(tips))}\r\n")
        # A relative tip file is named by its full path.
        p = subprocess.run([*RUNNER, CLI, "fill-script", "--script", "s.qcs", "--tips", "./t.qlt"], capture_output=True,
                           cwd=self.dir.name, timeout=60)
        self.assertEqual(p.stdout.decode("utf-8").splitlines()[-1], "E " + shown_path(os.path.join(self.dir.name, "t.qlt")))

        for args, code in [(["fill-script", "--script", script], 2),
                           (["fill-script", "--script", script, "--tips", tips, "--set", "Nonsense=1"], 2),
                           (["fill-script", "--script", script, "--tips", tips, "--out", "x"], 2),
                           (["fill-script", "--script", self.path("none.qcs"), "--tips", tips], 1),
                           (["fill-script", "--script", script, "--tips", self.path("none.qlt")], 1)]:
            with self.subTest(args=args[1:]):
                rc, out, err = run(*args)
                self.assertEqual((rc, out), (code, ""))

    def test_scripts_with_last_modified(self):
        os.mkdir(self.path("scripts"))
        served = self.path("scripts/Lottoland.qcs.txt")
        with open(served, "wb") as f:
            f.write(b"CLICK [Z1_1]\r\n")
        stamp = 1700000000
        os.utime(served, (stamp, stamp))
        server = self.server("--scripts", self.path("scripts"))
        with urllib.request.urlopen(server.url + "/scripts/Lottoland.qcs.txt") as r:
            self.assertEqual(r.read(), b"CLICK [Z1_1]\r\n")
            self.assertEqual(r.headers["Last-Modified"], "Tue, 14 Nov 2023 22:13:20 GMT")
            self.assertEqual(email.utils.parsedate_to_datetime(r.headers["Last-Modified"]).timestamp(), stamp)
        for target in ["/scripts/..%2FRuvuzevodare.dat", "/scripts/Other.qcs.txt", "/scripts/"]:
            with self.subTest(target):
                with self.assertRaises(urllib.error.HTTPError) as e:
                    urllib.request.urlopen(server.url + target)
                self.assertEqual(e.exception.code, 404)

    def test_server_refuses_missing_files(self):
        for option in [["--notice", self.path("none.htm")], ["--scripts", self.path("none")]]:
            p = subprocess.run([*RUNNER, SERVER, "--db", self.db, "--port", "0", *option], capture_output=True, timeout=30)
            self.assertEqual(p.returncode, 2)


if __name__ == "__main__":
    unittest.main()
