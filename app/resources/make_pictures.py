#!/usr/bin/env python3
"""Draws the program icon (vorsant.ico) and the toolbar strip (toolbar.bmp),
with the strip again at 150 % and 200 % (toolbar24.bmp, toolbar32.bmp) for
screens at those scales.

Run from this folder; the outputs are committed beside it. Pictures are
drawn pixel by pixel so nothing but the standard library is needed.
"""
import struct

MAGENTA = (255, 0, 255)  # the toolbar strip's transparent colour


class Image:
    def __init__(self, w, h, bg=None):
        self.w, self.h = w, h
        self.px = [[bg for _ in range(w)] for _ in range(h)]

    def set(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = c

    def rect(self, x0, y0, x1, y1, fill=None, border=None):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                edge = x in (x0, x1) or y in (y0, y1)
                c = border if edge and border else fill
                if c:
                    self.set(x, y, c)

    def line(self, x0, y0, x1, y1, c):
        n = max(abs(x1 - x0), abs(y1 - y0), 1)
        for i in range(n + 1):
            self.set(round(x0 + (x1 - x0) * i / n), round(y0 + (y1 - y0) * i / n), c)


def window(img, x0, y0, x1, y1):
    img.rect(x0, y0, x1, y1, fill=(255, 255, 255), border=(40, 40, 40))
    img.rect(x0 + 1, y0 + 1, x1 - 1, y0 + 2, fill=(30, 80, 170))


def toolbar():
    strip = Image(16 * 6, 16, MAGENTA)
    tiles = [Image(16, 16, MAGENTA) for _ in range(6)]
    new, opn, save, cascade, tileh, tilev = tiles
    # New: a sheet with a folded corner.
    new.rect(3, 1, 12, 14, fill=(255, 255, 255), border=(60, 60, 60))
    for i in range(4):
        new.line(9 + i, 1, 12, 4 - i, MAGENTA if i < 3 else (60, 60, 60))
    new.line(9, 1, 9, 4, (60, 60, 60))
    new.line(9, 4, 12, 4, (60, 60, 60))
    # Open: a folder.
    opn.rect(1, 4, 6, 5, fill=(230, 180, 60), border=(120, 90, 20))
    opn.rect(1, 5, 13, 13, fill=(250, 210, 90), border=(120, 90, 20))
    opn.rect(3, 8, 15, 13, fill=(240, 195, 70), border=(120, 90, 20))
    # Save: a diskette.
    save.rect(1, 1, 14, 14, fill=(40, 70, 140), border=(20, 30, 70))
    save.rect(4, 2, 11, 6, fill=(235, 235, 235))
    save.rect(4, 9, 11, 14, fill=(200, 200, 200), border=(20, 30, 70))
    save.rect(9, 3, 10, 5, fill=(40, 70, 140))
    # Cascade: overlapping windows.
    window(cascade, 0, 0, 9, 7)
    window(cascade, 3, 4, 12, 11)
    window(cascade, 6, 8, 15, 15)
    # Tile horizontally: one above the other.
    window(tileh, 1, 1, 14, 7)
    window(tileh, 1, 8, 14, 14)
    # Tile vertically: side by side.
    window(tilev, 1, 1, 7, 14)
    window(tilev, 8, 1, 14, 14)
    for i, t in enumerate(tiles):
        for y in range(16):
            for x in range(16):
                strip.set(16 * i + x, y, t.px[y][x])
    return strip


def glass(size):
    """A red wine glass on a transparent ground."""
    img = Image(size, size, None)
    s = size / 32.0
    rim, bowl_bottom = 3 * s, 17 * s
    for y in range(size):
        for x in range(size):
            cx = size / 2 - 0.5
            if rim <= y <= bowl_bottom:
                t = (y - rim) / (bowl_bottom - rim)
                half = (10 - 3 * t * t) * s
                if abs(x - cx) <= half:
                    edge = abs(x - cx) > half - 1.2 * s or y < rim + 1.2 * s
                    if y > rim + 6 * s:
                        c = (150, 20, 45) if not edge else (90, 10, 30)
                    else:
                        c = (225, 235, 245) if not edge else (120, 130, 150)
                    img.set(x, y, c)
            elif bowl_bottom < y <= 26 * s and abs(x - cx) <= max(1.0, 1.2 * s):
                img.set(x, y, (120, 130, 150))
            elif 26 * s < y <= 28.5 * s and abs(x - cx) <= 7 * s:
                img.set(x, y, (120, 130, 150))
    return img


def scaled(img, factor):
    """The picture at `factor` times its size, pixel for pixel, so its edges
    stay sharp."""
    out = Image(round(img.w * factor), round(img.h * factor), MAGENTA)
    for y in range(out.h):
        for x in range(out.w):
            out.px[y][x] = img.px[min(img.h - 1, int(y / factor))][min(img.w - 1, int(x / factor))]
    return out


def bmp_bytes(img):
    row = (img.w * 3 + 3) & ~3
    data = bytearray()
    for y in reversed(range(img.h)):
        line = bytearray()
        for x in range(img.w):
            r, g, b = img.px[y][x] or MAGENTA
            line += bytes((b, g, r))
        data += line + bytes(row - len(line))
    header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, img.w, img.h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    return header + info + data


def ico_image(img):
    """One 32-bit icon image: BITMAPINFOHEADER, BGRA pixels, AND mask."""
    pixels = bytearray()
    for y in reversed(range(img.h)):
        for x in range(img.w):
            c = img.px[y][x]
            pixels += bytes((c[2], c[1], c[0], 255)) if c else bytes(4)
    mask_row = ((img.w + 31) // 32) * 4
    mask = bytearray()
    for y in reversed(range(img.h)):
        bits = bytearray(mask_row)
        for x in range(img.w):
            if img.px[y][x] is None:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    info = struct.pack("<IiiHHIIiiII", 40, img.w, img.h * 2, 1, 32, 0, len(pixels) + len(mask), 0, 0, 0, 0)
    return info + pixels + mask


def ico_bytes(images):
    out = struct.pack("<HHH", 0, 1, len(images))
    blobs = [ico_image(i) for i in images]
    offset = 6 + 16 * len(images)
    for img, blob in zip(images, blobs):
        out += struct.pack("<BBBBHHII", img.w % 256, img.h % 256, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
    return out + b"".join(blobs)


if __name__ == "__main__":
    strip = toolbar()
    with open("toolbar.bmp", "wb") as f:
        f.write(bmp_bytes(strip))
    for size in (24, 32):
        with open(f"toolbar{size}.bmp", "wb") as f:
            f.write(bmp_bytes(scaled(strip, size / 16)))
    with open("vorsant.ico", "wb") as f:
        f.write(ico_bytes([glass(16), glass(32), glass(48)]))
