#!/usr/bin/env python3
"""Writes the starting inputs of each harness, built from the stored formats,
into OUT/<harness>/. The kept corpus (fuzz/corpus/) is these merged with what
fuzzing found, minimized with -merge=1; run this only to rebuild it.

Harnesses that read with FuzzedDataProvider take strings from the front of
an input (a backslash escapes the next backslash, a backslash followed by
anything else ends the string) and numbers from the back, most significant
byte last in the input; TSeed lays them out that way.
"""
import os
import subprocess
import sys
import tempfile


def cp(text):
    return text.encode("cp932")


class TSeed:
    def __init__(self):
        self.front = b""
        self.back = []  # bytes in the order they are consumed

    def string(self, s):
        self.front += s.replace(b"\\", b"\\\\") + b"\\x"
        return self

    def number(self, value, lo, hi):
        span = hi - lo
        value -= lo
        nbytes = 0
        while nbytes < 8 and (span >> (8 * nbytes)) > 0:
            nbytes += 1
        for i in range(nbytes):  # consumed most significant first
            self.back.append((value >> (8 * (nbytes - 1 - i))) & 0xFF)
        return self

    def bool(self, value):
        return self.number(1 if value else 0, 0, 255)

    def bytes(self, rest):
        return self.front + rest + bytes(reversed(self.back))


def write(out, name, seeds):
    folder = os.path.join(out, name)
    os.makedirs(folder, exist_ok=True)
    for i, data in enumerate(seeds):
        with open(os.path.join(folder, "seed%02d" % i), "wb") as f:
            f.write(data)


SET_INI = [
    b"[6]\r\nTitle=other day\r\n[7]\r\nTitle=\x93\xFA\x8B\x4C\r\nReNewalTime=2005/03/07 21:15:03\r\n"
    b"UseCode=1\r\nMethod=0\r\nCodeKey=300\r\n",
    b"\xEF\xBB\xBF[6]\r\nTitle=six\r\n[7] ; moved from the old pc\r\nTitle =  spaced title \r\nUseCode = 1\r\n"
    b"Method =1 \r\n",
    b"[Window]\nSaveExt=.txt\nSaveStyle=2\nNumber=$FFFFFFFF\nColor=clNavy\nBack=$00EFFDE3\n\n[Edit]\r"
    b"FontName=FixedSys\rFontSize=9\r;comment\r[\x83\x5D]\rTop=1\rLeft=-2\rWidth=\"  quoted \"\r",
    b"[Task]\r\nDblClickStyle=1\r\nLimitDate=3\r\nShortCut=Shift+Ctrl+F3\r\n[task]\r\nHover=3000\r\n",
]

TASKS = (b"Task File Version 1.0.0\r\n" + cp("牛乳") + b"|2005/03/08|1|2|" + cp("一行目") + b"\\n" + cp("二行目")
         + b"|" + cp("買い物") + b"|\r\n|2005/03/07|0|1||NewTask|\r\n")
TASKS2 = (b"Task File Version 1.0.0\nc:\\new|05/3/7|0|7|" + cp("ソn") + b"|" + cp("ポスト") + b"|\n"
          b"bad|2005/13/40|1|x|m|t|\nshort|line|\n")

IMAGE_DAT = [
    b"a.jpg|" + cp("晴れ") + b"|\r\n" + cp("ポスト.png") + b"||\r\nc.gif\r\n",
    b"../etc|x|\n.|y|\nx/y|z|\nok.bmp|comment|extra|\r",
]

PATTERNS = [b"abc", b"a(b|c)*d", b"^[0-9]+$", b"[^a-z]", b"\\x41\\101\\t", cp("東京|大阪"), b"(a|b)*a(a|b)",
            b"[\\t- ]", b"a?b+.c", b"[" + cp("ア-ン") + b"]", b"\\", b"(", b"[z-a]", b"((((a))))", b"^$",
            b"[]a]", b"a**", cp("ソ\\") + b"n"]
TEXTS = [b"xxabcx\r\nabd\r\n", b"aab\nbab\n\n", cp("東京と大阪\r\nポスト\r\n"), b"\t \r\n12\r\n\x81\r\n"]


def bmp_seeds():
    seeds = []
    with tempfile.TemporaryDirectory() as tmp:
        for args, name in [(["-type", "bilevel"], "BMP3:a.bmp"), (["-colors", "16", "-type", "palette"], "BMP3:b.bmp"),
                           (["-colors", "200", "-type", "palette"], "BMP3:c.bmp"),
                           (["-colors", "200", "-type", "palette", "-compress", "RLE"], "BMP3:d.bmp"),
                           (["-colors", "12", "-type", "palette", "-compress", "RLE"], "BMP3:g.bmp"),
                           (["-type", "truecolor"], "BMP3:e.bmp"), (["-alpha", "on"], "BMP:f.bmp"),
                           (["-type", "truecolor"], "BMP2:h.bmp"), (["-define", "bmp:subtype=RGB565"], "BMP:i.bmp")]:
            target = os.path.join(tmp, name.split(":")[1])
            try:
                subprocess.run(["convert", "-size", "7x5", "plasma:", *args, name.split(":")[0] + ":" + target],
                               check=True, capture_output=True)
                with open(target, "rb") as f:
                    seeds.append(f.read())
            except (OSError, subprocess.CalledProcessError):
                pass
    return seeds


def main(out):
    write(out, "ini", [TSeed().string(b"7").string(b"Title").string(b" spaced ").bool(i % 2).bytes(s)
                       for i, s in enumerate(SET_INI)])
    write(out, "taskfile", [TSeed().number(2005, 1, 9999).number(3, 1, 12).number(7, 1, 28).string(d).bytes(t)
                            for d, t in [(b"05/03/07", TASKS), (b"99/12/31", TASKS2), (b" 2005 / 3 / 7 ", b"")]])
    write(out, "imagedat", IMAGE_DAT)
    bmps = bmp_seeds()
    cache = []
    for bmp in bmps[:3]:
        s = TSeed()
        s.number(0, 0, 5).string(bmp[:200]).bool(False)  # append as it is
        s.number(2, 0, 5).number(0, -2**63, 2**63 - 1).bool(True).number(0, 0, 0)  # read the record back
        s.number(4, 0, 5).string(b"XX").number(3, 0, 4096)  # overwrite part of it
        s.number(2, 0, 5).number(0, -2**63, 2**63 - 1).bool(False)
        cache.append(s.bytes(b""))
    write(out, "thumbcache", cache)
    dib = [TSeed().bool(True).bytes(b) for b in bmps]
    for b in bmps:  # the same pictures in the plug-in layout: information header and colours, then pixels
        offset = int.from_bytes(b[10:14], "little")
        if int.from_bytes(b[14:18], "little") >= 40:
            dib.append(TSeed().bool(False).string(b[14:offset]).bytes(b[offset:]))
    write(out, "dib", dib)
    write(out, "regex_parse", PATTERNS)
    write(out, "regex_match", [bytes([len(p)]) + p + t for p in PATTERNS if len(p) <= 24 for t in TEXTS[:2]]
          + [bytes([len(PATTERNS[i])]) + PATTERNS[i] + TEXTS[i % 4] for i in range(len(PATTERNS))])
    plain = b"Begin of File\r\n" + cp("今日は晴れ") + b"\r\nEnd of File\r\n"
    keyed = bytes(c ^ 164 for c in plain)
    write(out, "keyfiles", [TSeed().number(0, 0, 2).string(b"diary").number(164, -2**31, 2**31 - 1)
                            .number(0, 0, 3).bytes(os.urandom(24)),
                            TSeed().number(1, 0, 2).string(b"").number(164, -2**31, 2**31 - 1)
                            .number(0, 0, 3).bytes(keyed),
                            TSeed().number(2, 0, 2).string(b"k").number(0, -2**31, 2**31 - 1)
                            .number(1, 0, 3).bytes(b"0123456789abcdef")])
    texts = [cp("日本語の文章、ｶﾞｷﾞ ＡＢＣ абв Ⅰⅰ≒～\r\n"), "漢字かなカナ 😀".encode("utf-8"),
             b"\x85\x40\x80\xa0\xfd\xf0\x40\x81", b"line\r\nline\rline\n"]
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "data", "codepage", "prose-utf8.txt")
    if os.path.exists(path):
        with open(path, "rb") as f:
            prose = f.read()[:2000]
        texts += [prose, prose.decode("utf-8").encode("cp932", errors="replace")]
    write(out, "codepage", texts)
    write(out, "history", [TSeed().string(b"abc").number(10, -2, 40).bytes(b"abc\r\nxyz\r\n\r\n" + cp("検索") + b"\n"),
                           TSeed().string(cp("東京")).number(1, -2, 40).bytes(b"\rold\n")])


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "seeds")
