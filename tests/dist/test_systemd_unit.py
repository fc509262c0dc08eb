#!/usr/bin/env python3
"""The data server's systemd unit: valid for systemd-analyze verify, and without privileges.

Arguments: the unit configured for this build's program, the unit configured for
installing, and the installed program folder. Exit code 77 (skipped) when
systemd-analyze is missing or cannot run here.
"""
import re
import shutil
import subprocess
import sys
import unittest

CHECK_UNIT, INSTALL_UNIT, BINDIR = sys.argv[1:4]
del sys.argv[1:4]


def settings(path):
    """The unit's settings: name -> list of values, in order."""
    out = {}
    with open(path, encoding="utf-8") as f:
        for line in f:
            line = line.strip()
            if line and not line.startswith(("#", ";", "[")):
                key, _, value = line.partition("=")
                out.setdefault(key, []).append(value)
    return out


class SystemdUnitTest(unittest.TestCase):
    def test_verify_finds_nothing(self):
        # The manual page comes with the installation, not with the build: not looked up.
        p = subprocess.run(["systemd-analyze", "verify", "--man=no", CHECK_UNIT], capture_output=True, text=True,
                           timeout=120)
        self.assertEqual(p.returncode, 0, p.stderr)
        self.assertEqual(p.stderr.strip(), "", "verify warned")

    def test_runs_without_privileges_and_reads_only(self):
        s = settings(INSTALL_UNIT)
        for key, value in [("DynamicUser", "yes"), ("NoNewPrivileges", "yes"), ("ProtectSystem", "strict"),
                           ("ProtectHome", "yes"), ("PrivateTmp", "yes"), ("PrivateDevices", "yes"),
                           ("CapabilityBoundingSet", "")]:
            with self.subTest(key):
                self.assertEqual(s.get(key), [value])
        # No way to write anywhere: no state, cache or log folder, no writable path.
        for key in ["StateDirectory", "CacheDirectory", "LogsDirectory", "ReadWritePaths", "User", "Group"]:
            self.assertNotIn(key, s)

    def test_exec_start_names_the_installed_program(self):
        exec_start = settings(INSTALL_UNIT)["ExecStart"]
        self.assertEqual(len(exec_start), 1)
        self.assertTrue(exec_start[0].startswith(BINDIR.rstrip("/") + "/ruvuzevodare-server --db ${RZ_DRAWINGS} "),
                        exec_start[0])
        self.assertNotIn("@", exec_start[0])
        check = settings(CHECK_UNIT)
        self.assertEqual(re.sub(r"^\S+/", "", check["ExecStart"][0]), re.sub(r"^\S+/", "", exec_start[0]))


if __name__ == "__main__":
    if shutil.which("systemd-analyze") is None:
        print("SKIPPED: systemd-analyze is not installed (Debian package systemd)")
        sys.exit(77)
    probe = subprocess.run(["systemd-analyze", "verify", "--man=no", "/dev/null/none.service"], capture_output=True,
                           text=True, timeout=120)
    if "Failed to initialize manager" in probe.stderr or "Failed to setup" in probe.stderr:
        print("SKIPPED: systemd-analyze cannot run here: " + probe.stderr.strip())
        sys.exit(77)
    unittest.main()
