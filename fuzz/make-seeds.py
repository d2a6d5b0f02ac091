#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets into fuzz/corpus/<target>/:
symbols rendered by zint (module matrices, width lists, small pictures),
tiny picture files made by ImageMagick from them, and codeword sequences
written from the symbology standards' encodation rules. Needs zint and
convert; run again after changing an input layout of a target."""
import os
import subprocess
import tempfile

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus")


def write(target, name, data):
    folder = os.path.join(ROOT, target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(bytes(data))


def zint_rows(args):
    """The module rows of `zint --dump`, each a list of 0/1 (1 dark)."""
    out = subprocess.run(["zint", "--dump"] + args, check=True, capture_output=True, text=True).stdout
    rows = []
    for line in out.splitlines():
        digits = line.replace(" ", "")
        rows.append([int(c, 16) >> (3 - k) & 1 for c in digits for k in range(4)])
    return rows


def pack(bits):
    data = bytearray((len(bits) + 7) // 8)
    for k, b in enumerate(bits):
        if b:
            data[k // 8] |= 0x80 >> (k % 8)
    return data


def square(rows):
    side = len(rows)
    return [b for row in rows for b in row[:side]]


def qrcode():
    for name, args in [("v1", ["-b", "58", "-d", "HELLO 123"]), ("v2-byte", ["-b", "58", "--vers=2", "-d", "héllo wörld"]),
                       ("v3-kanji", ["-b", "58", "--vers=3", "-d", "点茗", "--esc"]), ("v7", ["-b", "58", "--vers=7", "-d", "0123456789" * 8]),
                       ("eci", ["-b", "58", "--eci=26", "-d", "Ωμέγα"]), ("gs1", ["-b", "58", "--gs1", "-d", "[01]09501101530003"])]:
        rows = zint_rows(args)
        version = (len(rows) - 17) // 4
        write("qrcode", name, [version - 1] + list(pack(square(rows))))
    # Data streams: numeric "01234567" then alphanumeric "AC-42", byte "Hi", terminator.
    bits = "0001" + "0000001000" + "0000001100" + "0101011001" + "1000011" + \
           "0010" + "000000101" + "00111001110" + "11100111001" + "000010" + \
           "0100" + "00000010" + "01001000" + "01101001" + "0000"
    write("qrcode", "stream", [0x80] + list(pack([int(c) for c in bits])))


def aztec():
    for name, vers, compact, layers, text in [("compact1", 1, 1, 1, "Hi 12"), ("compact3", 3, 1, 3, "Aztec Code 2D 12345 abc"),
                                              ("full1", 5, 0, 1, "AZ-09"), ("full4", 8, 0, 4, "Aztec Code 2D 12345 abc")]:
        rows = zint_rows(["-b", "92", "--vers=%d" % vers, "-d", text])
        write("aztec", name, [compact | (layers - 1) << 1] + list(pack(square(rows))))
    # Upper "AB", latch to digits, "12", back: raw characters of 6-bit words.
    write("aztec", "characters", [0x80, 0, 0] + list(pack([int(c) for c in "00010" "00011" "11110" "0100" "0101"])))


def linear():
    for name, args in [("code128", ["-b", "20", "-d", "Code 128 x1"]), ("ean13", ["-b", "13", "-d", "590123412345"]),
                       ("ean8", ["-b", "13", "-d", "9638507"]), ("upce", ["-b", "37", "-d", "0123456"]),
                       ("code39", ["-b", "8", "-d", "CODE39"]), ("itf", ["-b", "3", "-d", "12345678"]),
                       ("codabar", ["-b", "18", "-d", "A40156B"])]:
        row = zint_rows(args)[0]
        while row and row[-1] == 0:
            row.pop()
        runs, previous = [], None
        for b in row:
            if b == previous:
                runs[-1] += 1
            else:
                runs.append(1)
                previous = b
        # Two units per module: width byte 1 + low nibble.
        write("linear", name, [20] + [2 * r - 1 for r in runs])


def datamatrix():
    ascii_ = lambda text: [ord(c) + 1 for c in text]
    write("datamatrix", "ascii", ascii_("Hello") + [130 + 12] + [129, 251])         # digit pair 12, pad
    write("datamatrix", "c40", [230, 91, 11, 254] + ascii_("x"))                     # C40 "AIM", unlatch
    write("datamatrix", "text", [239, 91, 11, 254, 129])
    write("datamatrix", "x12", [238, 89, 233, 254, 129])
    write("datamatrix", "edifact", [240, 16, 21, 1, 124] + ascii_("z"))
    write("datamatrix", "base256", [231, 45, 3, 167, 90])
    write("datamatrix", "fnc1-eci", [232] + ascii_("01") + [241, 27] + ascii_("ab"))
    write("datamatrix", "append-macro", [233, 0x12, 1, 1, 236] + ascii_("x"))


def pdf417_ecc(data, level):
    """Check codewords of PDF417 (GF(929), generator roots 3^1 ... 3^k)."""
    k = 2 << level
    generator = [1]
    root = 1
    for _ in range(k):
        root = root * 3 % 929
        generator = [(a - root * b) % 929 for a, b in zip(generator + [0], [0] + generator)]
    remainder = [0] * k
    for value in data:
        factor = (value + remainder[0]) % 929
        remainder = remainder[1:] + [0]
        for i in range(k):
            remainder[i] = (remainder[i] - factor * generator[k - 1 - i]) % 929
    return [(-r) % 929 for r in remainder]


def pdf417():
    def be(values):
        return [b for v in values for b in (v >> 8, v & 0xFF)]
    messages = {"text": [900, 1, 30, 150, 29, 899], "byte": [901, 65, 66, 67, 924 - 23],
                "numeric": [902, 491, 81, 137, 450, 302, 67, 15, 174, 492, 862, 667, 475, 869, 12, 434, 685, 326, 422, 57, 117, 339],
                "macro": [900, 30, 928, 111, 100, 17, 923, 1, 900, 300, 922], "eci": [927, 26, 901, 206, 169]}
    for name, message in messages.items():
        data = [len(message) + 1] + message
        write("pdf417", name, [0] + be(data))
        level = 2
        columns = 3
        while (len(data) + (2 << level)) % columns:
            data.append(900)
        data[0] = len(data)
        codewords = data + pdf417_ecc(data, level)
        write("pdf417", name + "-grid", [0x80 | level, columns - 1] + be(codewords))


def rle4_bmp():
    """A 5 x 3 BI_RLE4 bitmap (ImageMagick writes no RLE4): a run of
    alternating nibbles, an absolute run, a delta and the end marks."""
    import struct
    stream = bytes([5, 0x12, 0, 0, 0, 3, 0x34, 0x50, 0, 2, 1, 1, 2, 0xFF, 0, 1])
    palette = b"".join(struct.pack("<I", (k * 0x111111) & 0xFFFFFF) for k in range(16))
    offset = 14 + 40 + len(palette)
    header = struct.pack("<IiiHHIIiiII", 40, 5, 3, 1, 4, 2, len(stream), 2835, 2835, 16, 0)
    return b"BM" + struct.pack("<IHHI", offset + len(stream), 0, 0, offset) + header + palette + stream


def pictures():
    with tempfile.TemporaryDirectory() as tmp:
        def render(args, name):
            path = os.path.join(tmp, name + ".png")
            subprocess.run(["zint", "--scale=1", "-o", path] + args, check=True, capture_output=True)
            return path

        def convert(source, target, folder, options, name):
            out = os.path.join(tmp, name)
            stable = ["-define", "png:exclude-chunks=date,time"] if name.endswith(".png") else []
            subprocess.run(["convert", source] + options + stable + [out], check=True)
            with open(out, "rb") as f:
                write(folder, name, f.read())

        qr = render(["-b", "58", "-d", "HI"], "qr")
        small = ["-resize", "12x12"]
        convert(qr, "", "bmp", small + ["-type", "bilevel"], "mono.bmp")
        convert(qr, "", "bmp", small + ["-colors", "16", "-type", "palette"], "palette4.bmp")
        convert(qr, "", "bmp", small + ["-type", "palette"], "palette8.bmp")
        convert(qr, "", "bmp", small + ["-type", "truecolor"], "rgb24.bmp")
        convert(qr, "", "bmp", small + ["-type", "truecoloralpha"], "rgba32.bmp")
        convert(qr, "", "bmp", small + ["-define", "bmp:format=bmp3", "-type", "palette", "-compress", "rle"], "rle8.bmp")
        write("bmp", "rle4.bmp", rle4_bmp())
        convert(qr, "", "jpeg", small + ["-quality", "50"], "colour.jpg")
        convert(qr, "", "jpeg", small + ["-colorspace", "gray", "-interlace", "plane"], "grey-progressive.jpg")
        convert(qr, "", "jpeg", small + ["-colorspace", "cmyk"], "cmyk.jpg")
        convert(qr, "", "png", small + ["-type", "bilevel"], "mono.png")
        convert(qr, "", "png", small + ["-type", "palette"], "palette.png")
        convert(qr, "", "png", small + ["-alpha", "on", "-channel", "A", "-evaluate", "set", "50%", "-interlace", "png"], "rgba-interlaced.png")
        convert(qr, "", "png", small + ["-colorspace", "gray", "-depth", "16"], "grey16.png")
        for name, args in [("qr", ["-b", "58", "-d", "HI"]), ("datamatrix", ["-b", "71", "-d", "Hi"]),
                           ("aztec", ["-b", "92", "-d", "Hi"]), ("code128", ["-b", "20", "--height=8", "-d", "Ab"]),
                           ("pdf417", ["-b", "55", "--rows=3", "-d", "Hi"])]:
            rows = zint_rows(args)
            scale = 2 if len(rows[0]) < 60 else 1
            height_scale = 4 if name == "pdf417" else scale
            width = min(135, len(rows[0]) * scale + 8)
            picture = [[0] * width for _ in range(4)]
            for row in rows:
                line = [0] * 4 + [b for b in row for _ in range(scale)] + [0] * 4
                picture += [line[:width] + [0] * (width - len(line[:width]))] * height_scale
            picture += [[0] * width for _ in range(4)]
            data = [width - 8, 2] + [byte for line in picture for byte in pack(line)]
            write("readbarcodes", name, data)


if __name__ == "__main__":
    qrcode()
    aztec()
    linear()
    datamatrix()
    pdf417()
    pictures()
