#!/usr/bin/env python3
"""Writes the small seed corpus of the fuzz targets (tests/fuzz/corpus/<target>/).

The seeds are made up here; none is copied from real data. Run it again after
changing it; files found by fuzzing may be added to the folders by hand.
"""
import math
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def put(target, name, data):
    folder = os.path.join(HERE, "corpus", target)
    os.makedirs(folder, exist_ok=True)
    if isinstance(data, str):
        data = data.encode("utf-8")
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def day(y, m, d):
    import datetime
    return float((datetime.date(y, m, d) - datetime.date(1899, 12, 30)).days)


def record(date, mains, mb, mp, tail=b"\0" * 16):
    return struct.pack("<d", date) + bytes(mains) + bytes([0, mb, mp]) + tail


PLAIN = "date,n1,n2,n3,n4,n5,megaball,megaplier\n"

# importer
put("fuzz_importer", "plain.csv", PLAIN + "2019-10-15,4,12,14,35,70,2,2\n2019-10-18,18,58,60,65,67,20,3\n2002-05-17,1,9,25,33,47,30,\n")
put("fuzz_importer", "plain-no-header-crlf.csv", "2019-10-15,4,12,14,35,70,2,2\r\n2013-10-22,5,10,15,20,75,15,4\r\n")
put("fuzz_importer", "state-export.csv",
    '"Draw Date","Winning Numbers","Mega Ball","Multiplier"\n'
    '"10/22/2019","05 12 33 41 70","07","03"\n"06/24/2005","02 13 44 50 56","46",\n"04/08/2025","01 02 03 04 70","24",\n')
put("fuzz_importer", "eras.csv", PLAIN + "2005-06-21,1,2,3,4,52,52,\n2005-06-24,1,2,3,4,56,46,\n2017-10-27,1,2,3,4,75,15,2\n"
    "2017-10-31,1,2,3,4,70,25,5\n2025-04-04,1,2,3,4,70,25,3\n2025-04-08,1,2,3,4,70,24,\n")
put("fuzz_importer", "bad-lines.csv", PLAIN + "-001-01-01,1,2,3,4,5,6,\n0000-01-01,1,2,3,4,5,6,\n1899-12-30,1,2,3,4,5,6,\n"
    "9999-12-31,1,2,3,4,5,6,\n2019-02- 3,1,2,3,4,5,6,\n2024-01-02,1,2,3,4,75,52,2\n2019-10-22,5,5,33,41,70,7,3\n"
    "2019-10-25,1,2,3,4,5,6,1\n\"2019-10-29\",\"1\",\"2\",\"3\",\"4\",\"5\",\"6\",\"\"\"\"\n2019-11-01,1,2,3,4,5\n")
put("fuzz_importer", "utf16le.csv", b"\xff\xfe" + (PLAIN + "2019-10-15,4,12,14,35,70,2,2\n").encode("utf-16-le"))
put("fuzz_importer", "bom-lone-cr.csv", b"\xef\xbb\xbf" + (PLAIN + "2019-10-15,4,12,14,35,70,2,2\r2019-10-18,1,2,3,4,5,6,\r").encode())
put("fuzz_importer", "not-a-history.txt", "# Notes\n\nThis is not a drawing file.\n")
put("fuzz_importer", "empty", b"")

# tip file
put("fuzz_tipfile", "two-rows.qlt", "5,17,33,41,62,9,\r\n2,8,19,50,70,25,\r\n")
put("fuzz_tipfile", "odd-lines.qlt", "07,8,x,80,5,26,3\r\n1,2,3,4,5,6,7,8\r\n1,2,3\r\n\r\n12,,,,,,\n" + "1,2,3,4,5,6,\r" * 9)
put("fuzz_tipfile", "utf16be.qlt", b"\xfe\xff" + "1,2,3,4,5,6,\r\n".encode("utf-16-be"))
put("fuzz_tipfile", "signs-and-blanks.qlt", "+5,-3, 7,99999999999,0070,25,25\n")
put("fuzz_tipfile", "empty", b"")

# number list (first byte: boxes in use)
put("fuzz_numberlist", "seventy.qlw", bytes([70]) + ("".join(("%d\r\n" % (n % 9 + 1)) if n % 3 else "\r\n" for n in range(1, 71))).encode())
put("fuzz_numberlist", "words-cp1252.qlw", bytes([12]) + b"f\xfcnf\r\n\r\nacht\r\n\x80\r\n")
put("fuzz_numberlist", "utf8-bom.qlw", bytes([5]) + b"\xef\xbb\xbf\xef\xbb\xbf3\r\n\xc3\xa4\n\n7\r")
put("fuzz_numberlist", "no-boxes.qlw", bytes([0]) + b"1\r\n2\r\n")

# database files
good = [record(day(2019, 10, 15), [4, 12, 14, 35, 70], 2, 2), record(day(2019, 10, 18), [18, 58, 60, 65, 67], 20, 3),
        record(day(2019, 10, 22), [5, 12, 33, 41, 70], 7, 3)]
put("fuzz_database", "three.dat", b"".join(good))
put("fuzz_database", "partial-end.dat", b"".join(good) + b"\x7f" * 6)
put("fuzz_database", "unreadable-dates.dat", record(math.nan, [1, 2, 3, 4, 5], 6, 0) + good[0] + record(1e300, [1, 2, 3, 4, 5], 6, 0)
    + good[1] + record(-math.inf, [1, 2, 3, 4, 5], 6, 0) + good[2])
put("fuzz_database", "old-dates-and-odd-numbers.dat", record(-5.0, [1, 1, 1, 1, 1], 0, 9) + record(12000.0, [255, 254, 0, 70, 71], 255, 255)
    + record(day(2003, 1, 7), [1, 2, 3, 4, 52], 52, 0) + record(day(2030, 1, 1), [66, 67, 68, 69, 70], 25, 5))
put("fuzz_database", "text.dat", "# Not a database\n\nJust some words that fill more than one record of thirty-two bytes.\n")
put("fuzz_database", "empty", b"")

# data server answers (and addresses)
put("fuzz_serveranswer", "one-line.txt", "5,12,33,41,70,7,3\r\n")
put("fuzz_serveranswer", "two-lines-blanks.txt", " 5, 12,33 ,41,70,7, 3\n18,58,60,65,67,20,\r")
put("fuzz_serveranswer", "not-a-drawing.txt", "<html><body>Keine Ziehung</body></html>\r\n256,1,2,3,4,5,6\r\n-1,2,3,4,5,6,7\n")
put("fuzz_serveranswer", "address.txt", "  lotto.example.invalid:8080/ \r\n")
put("fuzz_serveranswer", "address-https.txt", "HTTPS://data.example.invalid/api/rows.csv?accessType=DOWNLOAD")

# requests to the data server: the shapes two readers could take differently,
# each followed by a second request in its "body"
SMUGGLED = "GET /scripts/Lottoland.qcs.txt HTTP/1.1\r\nHost: x\r\n\r\n"
GET = "GET /lotto/uslotto.asp?Programm=RuvuZevodare&Datum=20191022 HTTP/1.1\r\n"
for name, head in [
        ("plain", GET + "Host: x\r\n\r\n"),
        ("pipelined", GET + "Host: x\r\nContent-Length: 0\r\n\r\n"),
        ("http10-no-host", "HEAD / HTTP/1.0\r\nConnection: keep-alive\r\n\r\n"),
        ("two-content-length", GET + "Host: x\r\nContent-Length: 0\r\nContent-Length: 47\r\n\r\n"),
        ("content-length-list", GET + "Host: x\r\nContent-Length: 47, 47\r\n\r\n"),
        ("folded-content-length", GET + "Host: x\r\nContent-Length:\r\n 47\r\n\r\n"),
        ("folded-transfer-encoding", GET + "Host: x\r\nTransfer-Encoding:\r\n\tchunked\r\n\r\n"),
        ("space-before-colon", GET + "Host: x\r\nTransfer-Encoding : chunked\r\n\r\n"),
        ("nul-in-name", GET + "Host: x\r\nX-A\0b: 1\r\n\r\n"),
        ("nul-in-value", GET + "Host: x\r\nX-A: a\0b\r\n\r\n"),
        ("lone-cr", GET + "Host: x\r\nX-A: a\rContent-Length: 47\r\n\r\n"),
        ("bare-lf", GET.replace("\r\n", "\n") + "Host: x\n\n"),
        ("no-host", GET + "\r\n"),
        ("two-hosts", GET + "Host: x\r\nHost: y\r\n\r\n"),
        ("length-and-chunked", GET + "Host: x\r\nContent-Length: 47\r\nTransfer-Encoding: chunked\r\n\r\n"),
        ("chunked-and-length", GET + "Host: x\r\nTransfer-Encoding: chunked\r\nContent-Length: 47\r\n\r\n"),
        ("post", "POST / HTTP/1.1\r\nHost: x\r\nContent-Length: 47\r\n\r\n"),
        ("conditions", GET + "Host: x\r\nIf-None-Match: \"0\"\r\nIf-None-Match: W/\"1\"\r\n"
         "If-Modified-Since: Mon, 04 Nov 2019 00:00:00 GMT\r\nRange: bytes=0-,0-\r\n\r\n")]:
    put("fuzz_serverrequest", name + ".http", head + SMUGGLED)

# text codec
put("fuzz_textcodec", "utf8.txt", "Quendrals Lotto-Tipp für  18.10.2019\r\n~~~\r\n\r\n")
put("fuzz_textcodec", "utf8-bom.txt", b"\xef\xbb\xbf" + "Zahl für €\n".encode())
put("fuzz_textcodec", "utf16le.txt", b"\xff\xfe" + "für 😀\r\n".encode("utf-16-le") + b"\x00\xd8")
put("fuzz_textcodec", "utf16be.txt", b"\xfe\xff" + "Ж\r".encode("utf-16-be") + b"\xdc")
put("fuzz_textcodec", "cp1252.txt", b"f\xfcr \x80 \x93x\x94\r\x81\x8d\x8f\x90\x9d\n")
put("fuzz_textcodec", "invalid-utf8.txt", b"\xc0\xaf\xed\xa0\x80\xf4\x90\x80\x80\xe2\x82")

# Flags byte, then click script, tip file and cart base, separated by NUL bytes.
put("fuzz_online", "script-and-tips.bin",
    b"\x05[Z1_1] [Z2_1] [S1_1] [S2_1]\r\n[Z1_10] [z1_1] [DAUER][FR][DI][DIFR] [MELDUNGFERTIG] [TIPPDATEI]"
    b"\x005,17,33,41,62,9,\r\n2,8,19,50,70,25,\x00https://portal.example/cart?")
put("fuzz_online", "plain-and-twelve.bin",
    b"\x00LOGIN\nno placeholders \xe4\r\x007,,,,,,\r\n\r\n\r\n\r\n\r\n\r\n1,2,3,4,5,6,7\x00javascript:alert(1)//")
put("fuzz_online", "bom-and-utf16.bin",
    b"\x0f\xef\xbb\xbf[Z5_12][S2_12]\x00\xff\xfe5\x00,\x00\x00http://a\x01b/?")
