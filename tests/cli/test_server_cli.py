#!/usr/bin/env python3
"""ruvuzevodare-server against clients that misbehave: bodies, huge or slow headers, ranges, crowds; bad drawing files."""
import math
import os
import random
import socket
import struct
import subprocess
import sys
import tempfile
import threading
import time
import unittest
import urllib.error
import urllib.request

import dataserver

CLI = os.path.abspath(sys.argv.pop(1) if len(sys.argv) > 1 else "build/bin/ruvuzevodare-cli")
SERVER = os.path.join(os.path.dirname(CLI), "ruvuzevodare-server")

HISTORY = """date,n1,n2,n3,n4,n5,megaball,megaplier
2019-10-15,4,12,14,35,70,2,2
2019-10-18,18,58,60,65,67,20,3
2019-10-22,5,12,33,41,70,7,3
"""
DRAWING = "/lotto/uslotto.asp?Programm=RuvuZevodare&Datum=20191022"
CART = "/lotto/warenkorb2.asp?kasten1=5,17,33,41,62,9,&Tipps=1"


class Server(dataserver.Server):
    def __init__(self, db, logdir, *options):
        super().__init__(SERVER, db, *options, logdir=logdir)

    def connect(self, timeout=10):
        s = socket.create_connection(("127.0.0.1", self.port), timeout=timeout)
        s.settimeout(timeout)
        return s


def read_answer(sock, head_request=False):
    """Status, header text and body of one answer (Content-Length framed), read to its end."""
    data = b""
    while b"\r\n\r\n" not in data:
        chunk = sock.recv(65536)
        if not chunk:
            break
        data += chunk
    head, _, body = data.partition(b"\r\n\r\n")
    if not head:
        return None, "", b""
    lines = head.decode("latin-1").split("\r\n")
    fields = {l.split(":", 1)[0].lower(): l.split(":", 1)[1].strip() for l in lines[1:] if ":" in l}
    status = int(lines[0].split()[1])
    length = 0 if head_request or status == 304 else int(fields.get("content-length", "0"))
    while len(body) < length:
        chunk = sock.recv(65536)
        if not chunk:
            break
        body += chunk
    return int(lines[0].split()[1]), head.decode("latin-1"), body


def exchange(server, request, timeout=10):
    with server.connect(timeout) as s:
        s.sendall(request)
        return read_answer(s)


class ServerTestCase(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.TemporaryDirectory(dir=os.environ.get("RZ_TEST_TMP"))
        self.db = os.path.join(self.dir.name, "Ruvuzevodare.dat")
        csv = os.path.join(self.dir.name, "in.csv")
        with open(csv, "w", encoding="utf-8") as f:
            f.write(HISTORY)
        p = subprocess.run([CLI, "import", csv, "--db", self.db], capture_output=True, timeout=60)
        self.assertEqual(p.returncode, 0, p.stderr)
        self.servers = []

    def tearDown(self):
        for s in self.servers:
            s.close()
        self.dir.cleanup()

    def server(self, *options):
        s = Server(self.db, self.dir.name, *options)
        self.servers.append(s)
        return s


class ServerLimitsTest(ServerTestCase):
    def test_ranges_are_ignored(self):
        server = self.server()
        plain = exchange(server, b"GET %s HTTP/1.1\r\nHost: x\r\n\r\n" % CART.encode())
        self.assertEqual(plain[0], 200)
        # About 5 KB of ranges asking for the whole page 1,700 times over: still one page.
        for ranges in [b"bytes=0-", b"bytes=0-10", b"bytes=" + b"0-," * 1700 + b"0-", b"bytes=5-1"]:
            with self.subTest(ranges[:20]):
                status, head, body = exchange(server, b"GET %s HTTP/1.1\r\nHost: x\r\nRange: %s\r\n\r\n"
                                              % (CART.encode(), ranges))
                self.assertEqual(status, 200)
                self.assertEqual(body, plain[2])
                self.assertNotIn("Content-Range", head)
                self.assertNotIn("Accept-Ranges", head)

    def test_methods_and_bodies_are_refused_before_the_body_is_read(self):
        server = self.server()
        base = server.peak_kib()
        cases = [
            # A gigabyte announced, 32 MB sent while the answer is awaited.
            (b"POST %s HTTP/1.1\r\nHost: x\r\nContent-Length: 1073741824\r\n\r\n" % DRAWING.encode(), 405),
            (b"PUT / HTTP/1.1\r\nHost: x\r\nContent-Length: 1073741824\r\nExpect: 100-continue\r\n\r\n", 405),
            (b"GET %s HTTP/1.1\r\nHost: x\r\nContent-Length: 1073741824\r\n\r\n" % DRAWING.encode(), 413),
            (b"GET %s HTTP/1.1\r\nHost: x\r\nTransfer-Encoding: chunked\r\n\r\n" % DRAWING.encode(), 413),
            (b"GET %s HTTP/1.1\r\nHost: x\r\nContent-Length: 1\r\nExpect: 100-continue\r\n\r\n" % DRAWING.encode(), 413),
        ]
        for request, code in cases:
            with self.subTest(request.split(b"\r\n")[0]), server.connect() as s:
                s.sendall(request)

                def flood():
                    chunk = b"\0" * 65536
                    try:
                        for _ in range(512):
                            s.sendall(chunk)
                    except OSError:
                        pass

                sender = threading.Thread(target=flood)
                sender.start()
                try:
                    status, head, _ = read_answer(s)
                finally:
                    try:
                        s.shutdown(socket.SHUT_RDWR)
                    except OSError:
                        pass  # already reset by the server
                    sender.join()
                self.assertEqual(status, code)  # before the flood ends: the body is never read
                self.assertIn("Connection: close", head)
        if base is not None:
            self.assertLess(server.peak_kib() - base, 16 * 1024)
        # The server still answers.
        self.assertEqual(exchange(server, b"GET %s HTTP/1.1\r\nHost: x\r\n\r\n" % DRAWING.encode())[2],
                         b"5,12,33,41,70,7,3\r\n")

    def test_headers_are_limited_to_8_kib(self):
        server = self.server()
        base = server.peak_kib()
        def fields(n):  # about 100 bytes each
            return b"".join(b"X-Field-%d: %s\r\n" % (i, b"v" * 90) for i in range(n))
        cases = [
            (b"GET %s HTTP/1.1\r\nHost: x\r\n%s\r\n" % (DRAWING.encode(), fields(200)), 431),
            (b"GET /" + b"a" * 20000 + b" HTTP/1.1\r\nHost: x\r\n\r\n", 431),
            (b"GET /" + b"a" * (8 << 20), 431),  # a request line that never ends
            (b"GET %s HTTP/1.1\r\nHost: x\r\n%s\r\n" % (DRAWING.encode(), fields(60)), 200),
        ]
        for request, code in cases:
            with self.subTest(len(request)), server.connect() as s:
                try:
                    s.sendall(request)
                except OSError:
                    pass  # the server stopped reading: its answer is there
                self.assertEqual(read_answer(s)[0], code)
        if base is not None:
            self.assertLess(server.peak_kib() - base, 16 * 1024)

    def test_slow_clients_neither_block_others_nor_stay_for_ever(self):
        # A header time of 1 s instead of 10 s: the test waits for it.
        server = self.server("--header-time", "1000")
        results = []
        lock = threading.Lock()
        all_connected = threading.Barrier(9)

        def slow():
            """One byte every 0.2 s; notes when and how the server ended the connection."""
            started = time.monotonic()
            request = b"GET %s HTTP/1.1\r\nHost: x\r\n\r\n" % DRAWING.encode()
            with server.connect(timeout=0.2) as s:
                all_connected.wait(30)
                answer = b""
                for i in range(len(request)):
                    try:
                        s.sendall(request[i:i + 1])
                        answer = s.recv(4096)
                        break  # an answer or the end of the connection
                    except socket.timeout:
                        continue
                    except OSError:
                        break
                with lock:
                    results.append((time.monotonic() - started, answer))

        threads = [threading.Thread(target=slow) for _ in range(8)]
        for t in threads:
            t.start()
        all_connected.wait(30)
        # Answered while the slow clients are still sending.
        for _ in range(3):
            with urllib.request.urlopen(server.url + DRAWING, timeout=30) as r:
                self.assertEqual(r.read(), b"5,12,33,41,70,7,3\r\n")
        with lock:
            self.assertEqual(results, [])
        for t in threads:
            t.join(60)
        self.assertEqual(len(results), 8)
        for seconds, answer in results:
            self.assertGreater(seconds, 0.9)  # the header time was given
            self.assertTrue(answer.startswith(b"HTTP/1.1 408 "), answer)

    def test_connections_beyond_the_cap_are_refused_at_once(self):
        server = self.server("--max-connections", "2")
        idle = [server.connect() for _ in range(2)]  # served, silent
        try:
            # Refused with 503 while the two stay connected (not after their header time).
            for _ in range(3):
                status, head, _ = exchange(server, b"GET %s HTTP/1.1\r\nHost: x\r\n\r\n" % DRAWING.encode(), timeout=30)
                self.assertEqual(status, 503)
                self.assertIn("Retry-After: 5", head)
        finally:
            for s in idle:
                s.close()
        # Their places are free again once the server has seen them go.
        deadline = time.monotonic() + 30
        while True:
            status = exchange(server, b"GET %s HTTP/1.1\r\nHost: x\r\n\r\n" % DRAWING.encode())[0]
            if status == 200 or time.monotonic() > deadline:
                break
            time.sleep(0.05)
        self.assertEqual(status, 200)


class ServerFilesAndLogTest(ServerTestCase):
    """What the server reveals: its log, its errors, the files beside its scripts."""

    def path(self, name):
        return os.path.join(self.dir.name, name)

    def test_log_shows_control_bytes_escaped(self):
        server = self.server()
        status, _, _ = exchange(server, b"GET /a\x1b]0;owned\x07\x1b[2J\\x41\x9b1m HTTP/1.1\r\nHost: x\r\n\r\n")
        self.assertEqual(status, 400)  # no control bytes in a request line
        exchange(server, b"GET /" + b"\x1b" * 9000 + b" HTTP/1.1\r\n\r\n")  # refused unread: logged too
        server.wait_for_log(2)
        server.close()
        self.servers.remove(server)
        log = server.log_bytes()
        self.assertIn(b" GET /a\\x1b]0;owned\\x07\\x1b[2J\\x5cx41\\x9b1m HTTP/1.1 400 ", log)
        self.assertIn(b" 431 ", log)
        self.assertFalse(any(b < 0x20 and b != 0x0a for b in log), log)
        self.assertFalse(any(b >= 0x7f for b in log), log)

    def test_errors_tell_the_client_nothing_of_the_server(self):
        notice = self.path("secret-notice.htm")
        with open(notice, "w") as f:
            f.write("<p>Hinweis</p>")
        server = self.server("--notice", notice)
        os.remove(notice)  # from now on the cart request fails inside the server
        status, _, body = exchange(server, b"GET /lotto/lotto.asp?Spiel=Zentuva&Wo=Lottoland&Tipps=2 HTTP/1.1\r\nHost: x\r\n\r\n")
        self.assertEqual((status, body), (500, b"Internal Server Error\r\n"))
        server.close()
        self.servers.remove(server)
        self.assertIn(b"secret-notice.htm", server.log_bytes())  # the detail is in the log

    def test_scripts_are_regular_files_inside_the_folder(self):
        os.mkdir(self.path("scripts"))
        os.mkdir(self.path("scripts/sub.txt"))
        with open(self.path("scripts/Lottoland.qcs.txt"), "wb") as f:
            f.write(b"CLICK [Z1_1]\r\n")
        with open(self.path("outside.txt"), "wb") as f:
            f.write(b"secret\r\n")
        os.symlink(self.path("outside.txt"), self.path("scripts/Outside.qcs.txt"))
        os.symlink("../outside.txt", self.path("scripts/Relative.qcs.txt"))
        os.symlink("Lottoland.qcs.txt", self.path("scripts/Alias.qcs.txt"))
        os.symlink(self.path("missing.txt"), self.path("scripts/Dangling.qcs.txt"))
        os.mkfifo(self.path("scripts/Pipe.qcs.txt"))
        server = self.server("--scripts", self.path("scripts"))
        for name, code in [("Lottoland.qcs.txt", 200), ("Outside.qcs.txt", 404), ("Relative.qcs.txt", 404),
                           ("Alias.qcs.txt", 404), ("Dangling.qcs.txt", 404), ("Pipe.qcs.txt", 404),
                           ("sub.txt", 404), ("..%2Foutside.txt", 404)]:
            with self.subTest(name):
                status, _, body = exchange(server, b"GET /scripts/%s HTTP/1.1\r\nHost: x\r\n\r\n" % name.encode(), timeout=30)
                self.assertEqual(status, code)
                self.assertNotIn(b"secret", body)  # and a pipe is never waited on (the socket's time-out)


class ServerDrawingFileTest(ServerTestCase):
    """A file that is no drawing database is never served."""

    def record(self, date):
        return struct.pack("<d", date) + bytes([5, 12, 33, 41, 70, 0, 7, 3]) + bytes(16)

    def test_refused_at_the_start(self):
        good = self.record(43760.0)  # 22 Oct 2019
        for name, data, record in [("nan.dat", good + self.record(math.nan) + good, 2),
                                   ("random.dat", random.Random(20191022).randbytes(4096), None),
                                   ("infinite.dat", self.record(math.inf), 1)]:
            with self.subTest(name):
                path = os.path.join(self.dir.name, name)
                with open(path, "wb") as f:
                    f.write(data)
                p = subprocess.run([SERVER, "--db", path, "--port", "0"], capture_output=True, text=True, timeout=60)
                self.assertEqual(p.returncode, 2)
                self.assertEqual(p.stdout, "")
                lines = p.stderr.splitlines()
                self.assertEqual(len(lines), 1, p.stderr)
                self.assertRegex(lines[0], r"not a drawing database \(record \d+\)$")
                if record:
                    self.assertIn("(record %d)" % record, lines[0])

    def test_a_running_server_keeps_the_last_good_file(self):
        server = self.server()
        request = b"GET %s HTTP/1.1\r\nHost: x\r\n\r\n"
        other = DRAWING.replace("20191022", "20191023").encode()
        for data in [self.record(43760.0) + self.record(math.nan), random.Random(7).randbytes(3200)]:
            replacement = self.db + ".new"
            with open(replacement, "wb") as f:
                f.write(data)
            os.replace(replacement, self.db)
            for _ in range(3):
                self.assertEqual(exchange(server, request % DRAWING.encode())[2], b"5,12,33,41,70,7,3\r\n")
                self.assertEqual(exchange(server, request % other)[2], b"")
        lines = [l for l in server.wait_for_log(14) if "not taken" in l]
        self.assertEqual(len(lines), 2, server.log_text())
        self.assertIn("not a drawing database (record 2)", lines[0])
        self.assertIn("last good version", lines[0])


class ServerCachingTest(ServerTestCase):
    def test_revalidation_over_the_wire(self):
        server = self.server()
        status, head, body = exchange(server, b"GET %s HTTP/1.1\r\nHost: x\r\n\r\n" % DRAWING.encode())
        fields = dict(l.split(": ", 1) for l in head.split("\r\n")[1:])
        self.assertEqual((status, body), (200, b"5,12,33,41,70,7,3\r\n"))
        self.assertEqual(fields["Cache-Control"], "public, max-age=86400")
        with server.connect() as s:  # kept alive: the 304 has no body to skip
            for _ in range(2):
                s.sendall(b"GET %s HTTP/1.1\r\nHost: x\r\nIf-None-Match: %s\r\n\r\n"
                          % (DRAWING.encode(), fields["ETag"].encode()))
                status, head, body = read_answer(s)
                self.assertEqual((status, body), (304, b""))
                self.assertIn("ETag: " + fields["ETag"], head)
            s.sendall(b"HEAD %s HTTP/1.1\r\nHost: x\r\n\r\n" % DRAWING.encode())
            status, head, body = read_answer(s, head_request=True)
            self.assertEqual((status, body), (200, b""))
            self.assertIn("Content-Length: 19", head)


if __name__ == "__main__":
    unittest.main()
