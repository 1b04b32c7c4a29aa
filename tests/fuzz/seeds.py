#!/usr/bin/env python3
"""Writes the seed corpus of each fuzz target into corpus/<target>/.

Run it after changing how a target reads its input; the files are committed. Targets that
read through FuzzedDataProvider take strings from the front (a backslash followed by any
other byte ends one; two backslashes stand for one) and numbers from the back.
"""

import pathlib
import shutil

HERE = pathlib.Path(__file__).resolve().parent

CP932, SINGLE_BYTE = 0, 1

# Code page 932 text.
GAME = b"\x83\x51\x81\x5b\x83\x80"  # ゲーム
HYO = b"\x95\x5c"  # 表: trail byte is '\'
SO = b"\x83\x5c"  # ソ: trail byte is '\'
PO = b"\x83\x7c"  # ポ: trail byte is '|'
WIDE_SPACE = b"\x81\x40"
LEAD = b"\x81"


class Provider:
    """Builds input in the order a FuzzedDataProvider takes it."""

    def __init__(self):
        self.front = b""
        self.back = b""  # in the order taken; stored reversed at the end

    def string(self, text):
        self.front += text.replace(b"\\", b"\\\\") + b"\\x"

    def byte(self, value):
        self.back += bytes([value])

    def integral(self, value, size, signed=False):
        # Taken a byte at a time from the end, most significant first, as the distance
        # from the type's minimum.
        if signed:
            value += 1 << (8 * size - 1)
        self.back += (value % (1 << (8 * size))).to_bytes(size, "big")

    def clean_cp932(self, text):
        """The generator of well-formed text, fed back the characters of text."""
        chars = []
        i = 0
        while i < len(text):
            b = text[i]
            if 0x81 <= b <= 0x9F or 0xE0 <= b <= 0xFC:
                trail = text[i + 1]
                chars.append((b, trail - 0x40 - (1 if trail > 0x7F else 0)))
                i += 2
            else:
                chars.append((b, None))
                i += 1
        self.byte(len(chars))
        for lead, trail_index in chars:
            self.byte(lead)
            if trail_index is not None:
                self.byte(trail_index)

    def data(self, remaining=b""):
        return self.front + remaining + self.back[::-1]


def record_read():
    # [code page] [lead range first] [last] [chunk] [fail] file...
    def seed(content, cp=CP932, chunk=0, fail=0):
        return bytes([cp, 0, 0, chunk, fail]) + content

    return {
        "appdata": seed(
            GAME + b"\tC:\\Games\\Game.lnk\t640\t480\t16\t60\t1\r\n"
            + HYO + PO + b"\tD:\\" + HYO + b"\\" + SO + b".lnk\t0\t0\t0\t0\t0\r\n"
        ),
        "line-ends": seed(b"a\r\r\nb\rc\n\r\nd\0gone\te\r\n\x1aafter", chunk=1),
        "read-error": seed(b"one\r\ntwo\r\nthree\r\n", chunk=3, fail=3),
        "lone-lead": seed(b"a" + LEAD + b"\tb\tc\r\n" + LEAD + b"\r\n", chunk=2),
        "screenmode": seed(b"640\t480\t16\t60\r\n800\t600\t32\t75\r\n", cp=SINGLE_BYTE),
    }


def record_write():
    def seed(records, base=b"C:\\Mirelka\\Mirelka.exe", cp=CP932, faults=0, limit=0):
        p = Provider()
        for value in (cp, 0, 0, faults):
            p.byte(value)
        p.integral(limit, 2)
        p.string(base)
        p.byte(len(records))
        for fields in records:
            p.byte(len(fields))
            for field in fields:
                p.byte(0)  # any bytes, not generated text
                p.string(field)
        return p.data()

    game = [GAME, b"C:\\Games\\Game.lnk", b"640", b"480", b"16", b"60", b"1"]
    tool = [HYO + PO, b"D:\\" + SO + b"\\t.lnk", b"0", b"0", b"0", b"0", b"0"]
    return {
        "two-records": seed([game, tool]),
        "dbcs-folder": seed([tool], base=b"C:\\" + HYO + b"\\Mirelka.exe"),
        "disk-full": seed([game, tool], faults=1, limit=40),
        "close-fails": seed([game], faults=6),
        "breakers": seed([[b"a\nb", b"c\rd", b"e\x1af", b""], [b"", b""]], cp=SINGLE_BYTE),
    }


def entry_seed(cp, fields):
    """A line for the parsing half of AppEntryFuzz and ModeFuzz."""
    return bytes([0, cp, 0, 0]) + b"\t".join(fields)


def app_entry():
    def round_trip(entries, cp=CP932, again=255):
        p = Provider()
        p.byte(len(entries) - 1)
        p.byte(again)  # the last title becomes a copy of this one's, when there is one
        for title, shortcut, numbers, restore in entries:
            if cp == CP932:
                p.clean_cp932(title)
                p.clean_cp932(shortcut)
            else:
                p.string(title)
                p.string(shortcut)
            for n in numbers:
                p.integral(n, 4, signed=True)
            p.byte(restore)
        return bytes([1, cp, 0, 0]) + p.data()

    return {
        "parse-cp932": entry_seed(
            CP932, [GAME, b"C:\\" + HYO + b"\\Game.lnk", b"640", b"480", b"16", b"60", b"1"]
        ),
        "parse-odd-numbers": entry_seed(
            SINGLE_BYTE, [b"t", b"", b" -12x", b"+4294967297", b"", b"\t9", b"2"]
        ),
        "parse-lone-lead": entry_seed(CP932, [b"a" + LEAD, b"b", b"640"]),
        "round-trip-cp932": round_trip(
            [
                (GAME, b"C:\\Games\\" + SO + b".lnk", (640, 480, 16, 60), 1),
                (WIDE_SPACE + PO, b"", (-1, 2**31 - 1, -(2**31), 0), 7),
            ]
        ),
        "round-trip-same-title": round_trip(
            [
                (GAME, b"C:\\a.lnk", (640, 480, 16, 60), 1),
                (PO, b"C:\\b.lnk", (800, 600, 32, 60), 0),
                (HYO, b"C:\\c.lnk", (1024, 768, 32, 60), 0),
            ],
            again=0,
        ),
        "round-trip-single-byte": round_trip(
            [(b"Game", b"C:\\Game.lnk", (800, 600, 32, 75), 0)], cp=SINGLE_BYTE
        ),
    }


def mode():
    def round_trip(modes):
        p = Provider()
        p.byte(len(modes) - 1)
        for numbers in modes:
            for n in numbers:
                p.integral(n, 4)
            p.byte(0)
        return bytes([1, CP932, 0, 0]) + p.data()

    return {
        "parse-usable": entry_seed(CP932, [b"1024", b"768", b"32", b"60"]),
        "parse-odd": entry_seed(SINGLE_BYTE, [b"-1", b"", b"  8bit", b"4294967356", b"extra"]),
        "round-trip": round_trip([(640, 480, 16, 60), (0xFFFFFFFF, 2**31, 0, 1)]),
    }


def mb_string():
    def seed(a, b, c, cp=CP932, sep=None, charset=b"\\/:", value=0):
        p = Provider()
        for v in (cp, 0, 0):
            p.byte(v)
        if sep is None:
            p.byte(1)  # TAB
        else:
            p.byte(0)
            p.integral(sep, 1, signed=True)  # char is signed here
        p.integral(value, 4, signed=True)
        p.string(charset)
        p.string(a)
        p.string(b)
        return p.data(remaining=c)

    return {
        "paths": seed(b"C:\\" + HYO + b"\\" + SO + b".lnk", GAME, GAME + b" 2", sep=ord("\\")),
        "separators": seed(b"a|" + PO + b"||b", b"a\tb", b"x" + LEAD, sep=ord("|")),
        "numbers": seed(b"  -2147483649x", b"+4294967296", b"\t\r\n 12", cp=SINGLE_BYTE,
                        value=-(2**31)),
        "trim": seed(WIDE_SPACE + b" title \t", b"%1 and %1%", b" \r\n\v\f", value=42),
        "lead-before-nul": seed(LEAD + b"\0" + LEAD, LEAD, LEAD + b"\0"),
    }


def main():
    corpora = {
        "RecordReadFuzz": record_read(),
        "RecordWriteFuzz": record_write(),
        "AppEntryFuzz": app_entry(),
        "ModeFuzz": mode(),
        "MbStringFuzz": mb_string(),
    }
    for target, seeds in corpora.items():
        folder = HERE / "corpus" / target
        shutil.rmtree(folder, ignore_errors=True)
        folder.mkdir(parents=True)
        for name, data in seeds.items():
            (folder / name).write_bytes(data)


if __name__ == "__main__":
    main()
