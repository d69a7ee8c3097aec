# Test media: random screens as picture files and slide shows (the calculator's page compression).
import random
import struct


def screen(seed):
    random.seed(seed)
    s = bytearray(1056)
    for band in range(8):
        for col in range(127):
            s[band * 132 + col] = random.getrandbits(8) if (band + col) % 3 else 0
    return bytes(s)


def picture(s):
    pic = bytearray(b'6i' + b'\x10\x0d' + b' ' * 9 + b'\0' * 41 + b'\x10\x0d\x00')
    for band in range(8):
        pic += s[band * 132: band * 132 + 127]
    return bytes(pic)


def compress(s):
    out = [s[0]]
    i = 1
    while i < 1056:
        x = s[i] ^ s[i - 1]
        out.append(x)
        i += 1
        if x == 0:
            c = 0
            while i < 1056 and c < 255 and s[i] == s[i - 1]:
                c += 1
                i += 1
            out.append(c)
    return bytes(out)


def slide_show(digit, name, title, pages):
    show = bytearray(digit + b's' + name.ljust(11, b'\xff') + title.ljust(40, b'\0') + b'\0\0')
    for c in pages:
        show += struct.pack('<II', len(c) + 8, 0) + c
    return bytes(show + bytes(8))


def record(name, data, length=None):
    return struct.pack('<I', len(data) + 264 if length is None else length) + \
        name.ljust(260, b'\0') + data
