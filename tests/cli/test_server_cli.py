#!/usr/bin/env python3
"""ruvuzevodare-server against clients that misbehave: bodies, huge or slow headers, ranges, crowds."""
import os
import socket
import subprocess
import sys
import tempfile
import threading
import time
import unittest
import urllib.error
import urllib.request

CLI = os.path.abspath(sys.argv.pop(1) if len(sys.argv) > 1 else "build/bin/ruvuzevodare-cli")
SERVER = os.path.join(os.path.dirname(CLI), "ruvuzevodare-server")

HISTORY = """date,n1,n2,n3,n4,n5,megaball,megaplier
2019-10-15,4,12,14,35,70,2,2
2019-10-18,18,58,60,65,67,20,3
2019-10-22,5,12,33,41,70,7,3
"""
DRAWING = "/lotto/uslotto.asp?Programm=RuvuZevodare&Datum=20191022"
CART = "/lotto/warenkorb2.asp?kasten1=5,17,33,41,62,9,&Tipps=1"


class Server:
    """ruvuzevodare-server on a free port; its log goes to a file."""

    def __init__(self, db, logdir, *options):
        self.log_path = os.path.join(logdir, "server.log")
        self.log = open(self.log_path, "wb")
        self.proc = subprocess.Popen([SERVER, "--db", db, "--port", "0", *options], stdout=subprocess.PIPE,
                                     stderr=self.log, text=True)
        self.url = self.proc.stdout.readline().strip()
        self.port = int(self.url.rsplit(":", 1)[1])

    def close(self):
        self.proc.terminate()
        self.proc.wait(timeout=20)
        self.proc.stdout.close()
        self.log.close()

    def log_bytes(self):
        with open(self.log_path, "rb") as f:
            return f.read()

    def peak_kib(self):
        """The server's peak resident memory (Linux), or None."""
        try:
            with open("/proc/%d/status" % self.proc.pid) as f:
                for line in f:
                    if line.startswith("VmHWM:"):
                        return int(line.split()[1])
        except OSError:
            pass
        return None

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
                started = time.monotonic()

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
                self.assertEqual(status, code)
                self.assertLess(time.monotonic() - started, 3)
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
        server = self.server()
        results = []
        lock = threading.Lock()

        def slow():
            """One byte every 2 s; notes when and how the server ended the connection."""
            started = time.monotonic()
            request = b"GET %s HTTP/1.1\r\nHost: x\r\n\r\n" % DRAWING.encode()
            with server.connect(timeout=2) as s:
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
        time.sleep(0.5)
        for _ in range(3):
            started = time.monotonic()
            with urllib.request.urlopen(server.url + DRAWING, timeout=5) as r:
                self.assertEqual(r.read(), b"5,12,33,41,70,7,3\r\n")
            self.assertLess(time.monotonic() - started, 1.0)
        for t in threads:
            t.join(30)
        self.assertEqual(len(results), 8)
        for seconds, answer in results:
            self.assertGreater(seconds, 8)
            self.assertLess(seconds, 14)
            self.assertTrue(answer.startswith(b"HTTP/1.1 408 "), answer)

    def test_connections_beyond_the_cap_are_refused_at_once(self):
        server = self.server("--max-connections", "2")
        idle = [server.connect() for _ in range(4)]  # two served, two waiting
        try:
            time.sleep(0.5)
            started = time.monotonic()
            status, _, _ = exchange(server, b"GET %s HTTP/1.1\r\nHost: x\r\n\r\n" % DRAWING.encode())
            self.assertEqual(status, 503)
            self.assertLess(time.monotonic() - started, 2)
        finally:
            for s in idle:
                s.close()
        time.sleep(0.5)
        self.assertEqual(exchange(server, b"GET %s HTTP/1.1\r\nHost: x\r\n\r\n" % DRAWING.encode())[0], 200)


class ServerFilesAndLogTest(ServerTestCase):
    """What the server reveals: its log, its errors, the files beside its scripts."""

    def path(self, name):
        return os.path.join(self.dir.name, name)

    def test_log_shows_control_bytes_escaped(self):
        server = self.server()
        status, _, _ = exchange(server, b"GET /a\x1b]0;owned\x07\x1b[2J\\x41\x9b1m HTTP/1.1\r\nHost: x\r\n\r\n")
        self.assertEqual(status, 404)
        exchange(server, b"GET /" + b"\x1b" * 9000 + b" HTTP/1.1\r\n\r\n")  # refused unread: logged too
        deadline = time.monotonic() + 10  # a request is logged just after its answer
        while server.log_bytes().count(b"\n") < 2 and time.monotonic() < deadline:
            time.sleep(0.01)
        server.close()
        self.servers.remove(server)
        log = server.log_bytes()
        self.assertIn(b" GET /a\\x1b]0;owned\\x07\\x1b[2J\\x5cx41\\x9b1m 404 ", log)
        self.assertIn(b" 431 ", log)
        self.assertFalse(any(b < 0x20 and b != 0x0a for b in log), log)
        self.assertFalse(any(b >= 0x7f for b in log), log)

    def test_errors_tell_the_client_nothing_of_the_server(self):
        notice = self.path("secret-notice.htm")
        with open(notice, "w") as f:
            f.write("<p>Hinweis</p>")
        server = self.server("--notice", notice)
        os.remove(notice)  # from now on the cart request fails inside the server
        status, _, body = exchange(server, b"GET /lotto/lotto.asp?Spiel=Zentuva&Wo=Lottoland&Tipps=2 HTTP/1.1\r\n\r\n")
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
                started = time.monotonic()
                status, _, body = exchange(server, b"GET /scripts/%s HTTP/1.1\r\n\r\n" % name.encode())
                self.assertEqual(status, code)
                self.assertNotIn(b"secret", body)
                self.assertLess(time.monotonic() - started, 5)  # a pipe is never waited on


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
