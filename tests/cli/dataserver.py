"""ruvuzevodare-server for the command-line tests: started on a free port, its log in a file.

One helper for every test file: the server's first line (the address it
listens on) is awaited with a deadline, so that a server that does not start
fails the test instead of stalling it.
"""
import os
import selectors
import subprocess
import tempfile
import time

# The Windows build runs through Wine: RZ_TEST_RUNNER="wine".
RUNNER = os.environ.get("RZ_TEST_RUNNER", "").split()


def server_next_to(cli):
    return os.path.join(os.path.dirname(cli), "ruvuzevodare-server" + os.path.splitext(cli)[1])


class Server:
    """ruvuzevodare-server on a free port; its log (stderr) goes to a file in `logdir` (else a temporary one)."""

    def __init__(self, program, db, *options, logdir=None, start_timeout=120):
        if logdir:
            self.log_path = os.path.join(logdir, "server.log")
            self.log = open(self.log_path, "wb")
        else:
            self.log = tempfile.NamedTemporaryFile(delete=False)
            self.log_path = self.log.name
        self.proc = subprocess.Popen([*RUNNER, program, "--db", db, "--port", "0", *options],
                                     stdout=subprocess.PIPE, stderr=self.log)
        self.url = self._first_line(start_timeout)
        if not self.url.startswith("http://"):
            self.close()
            raise RuntimeError("the server did not start: %r\n%s" % (self.url, self.log_text()))
        self.port = int(self.url.rsplit(":", 1)[1])

    def _first_line(self, timeout):
        deadline = time.monotonic() + timeout
        line = b""
        with selectors.DefaultSelector() as sel:
            sel.register(self.proc.stdout, selectors.EVENT_READ)
            while not line.endswith(b"\n"):
                left = deadline - time.monotonic()
                if left <= 0 or not sel.select(left):
                    break
                chunk = os.read(self.proc.stdout.fileno(), 1)
                if not chunk:
                    break
                line += chunk
        return line.decode("utf-8", "replace").strip()

    def close(self):
        if self.proc.poll() is None:
            self.proc.terminate()
        self.proc.wait(timeout=30)
        self.proc.stdout.close()
        self.log.close()

    def log_bytes(self):
        with open(self.log_path, "rb") as f:
            return f.read()

    def log_text(self):
        return self.log_bytes().decode("utf-8", "replace")

    def log_lines(self):
        return self.log_text().splitlines()

    def wait_for_log(self, count, guard=30):
        """The server logs a request just after its answer is out; `guard` only ends a hang."""
        deadline = time.monotonic() + guard
        while len(self.log_lines()) < count and time.monotonic() < deadline:
            time.sleep(0.01)
        return self.log_lines()

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
