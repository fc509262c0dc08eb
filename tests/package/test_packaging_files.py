#!/usr/bin/env python3
"""The files an installation adds besides the programs: the desktop entry,
the AppStream metadata, the icon and the manual pages, each through its
validator.

usage: test_packaging_files.py SOURCE_DIR BUILD_DIR
"""
import os
import shutil
import struct
import subprocess
import sys
import unittest
import xml.etree.ElementTree as ET

SOURCE = BUILD = ""
APP_ID = "example.quendral.RuvuZevodare"


def tool(name):
    path = shutil.which(name)
    if not path:
        raise unittest.SkipTest(name + " is not installed (scripts/setup installs it)")
    return path


class PackagingFiles(unittest.TestCase):
    def packaging(self, name):
        return os.path.join(SOURCE, "packaging", name)

    def test_desktop_entry_is_valid_and_starts_the_window(self):
        path = self.packaging(APP_ID + ".desktop")
        res = subprocess.run([tool("desktop-file-validate"), path], capture_output=True, text=True)
        # Warnings and hints count as failures too.
        self.assertEqual((res.returncode, res.stdout + res.stderr), (0, ""))
        with open(path, encoding="utf-8") as f:
            lines = f.read().splitlines()
        self.assertIn("Exec=RuvuZevodare", lines)
        self.assertIn("Icon=" + APP_ID, lines)

    def test_metainfo_is_valid_and_names_the_desktop_entry(self):
        path = os.path.join(BUILD, "packaging", APP_ID + ".metainfo.xml")
        res = subprocess.run([tool("appstreamcli"), "validate", "--no-net", "--no-color", path],
                             capture_output=True, text=True)
        self.assertEqual(res.returncode, 0, res.stdout + res.stderr)
        for level in ("E:", "W:"):
            self.assertNotIn("\n" + level, "\n" + res.stdout, res.stdout)
        root = ET.parse(path).getroot()
        self.assertEqual(root.findtext("id"), APP_ID)
        self.assertEqual(root.find("launchable").text, APP_ID + ".desktop")
        self.assertNotIn("@", root.find("releases/release").get("version"))  # configured

    def test_icon_is_a_scalable_svg_and_a_256_pixel_png(self):
        svg = ET.parse(self.packaging(APP_ID + ".svg")).getroot()
        self.assertTrue(svg.tag.endswith("svg"))
        self.assertEqual(svg.get("viewBox"), "0 0 256 256")
        with open(self.packaging(APP_ID + ".png"), "rb") as f:
            head = f.read(33)
        self.assertEqual(head[:8], b"\x89PNG\r\n\x1a\n")
        self.assertEqual(head[12:16], b"IHDR")
        self.assertEqual(struct.unpack(">II", head[16:24]), (256, 256))

    def test_manual_pages_format_without_warnings(self):
        groff = tool("groff")
        pages = {"ruvuzevodare-server": self.packaging(os.path.join("man", "ruvuzevodare-server.1")),
                 "RuvuZevodare": self.packaging(os.path.join("man", "RuvuZevodare.1")),
                 # made by the build from the command table
                 "ruvuzevodare-cli": os.path.join(BUILD, "man", "ruvuzevodare-cli.1")}
        for name, path in pages.items():
            with self.subTest(name):
                res = subprocess.run([groff, "-man", "-ww", "-z", "-Tutf8", path], capture_output=True, text=True)
                self.assertEqual((res.returncode, res.stderr), (0, ""))
                with open(path, encoding="utf-8") as f:
                    self.assertTrue(f.readline().startswith(".TH " + name.upper() + " 1 "))


    def test_the_command_lines_manual_page_lists_every_command(self):
        cli = os.path.join(BUILD, "bin", "ruvuzevodare-cli")
        if not os.path.exists(cli):
            self.skipTest("ruvuzevodare-cli is not built")
        usage = subprocess.run([cli, "--help"], capture_output=True, text=True, check=True).stdout
        commands = [line.split()[0] for line in usage.splitlines()[1:] if line.startswith("  ") and line[2].isalpha()]
        self.assertIn("wheel", commands)
        page = subprocess.run([cli, "--write-manpage"], capture_output=True, text=True, check=True).stdout
        with open(os.path.join(BUILD, "man", "ruvuzevodare-cli.1"), encoding="utf-8") as f:
            self.assertEqual(f.read(), page)  # the installed page is the program's own
        entries = [line[3:].split()[0].replace("\\-", "-") for line in page.splitlines() if line.startswith(".B ")]
        for command in commands:
            self.assertIn(command, entries)
        self.assertIn("\\-\\-version", page)


if __name__ == "__main__":
    SOURCE, BUILD = sys.argv[1], sys.argv[2]
    del sys.argv[1:3]
    unittest.main()
