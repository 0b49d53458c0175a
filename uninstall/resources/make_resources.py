# Draws the uninstaller's banner and watermark bitmaps and its icons, and writes them beside this script.

# Run with: python3 make_resources.py
# Everything is drawn in code, so the artwork is reviewed and changed as text, and the output is
# the same bytes on every run (no timestamps, no external tools).

import math
import os
import struct

OUT_DIR = os.path.dirname(os.path.abspath(__file__))

WHITE = (255, 255, 255)
TEAL = (30, 110, 130)
TEAL_LIGHT = (150, 200, 210)
AMBER = (230, 160, 40)
GREY = (150, 150, 150)
GREEN = (40, 150, 60)


def blend(a, b, t):
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(3))


def write_bmp(name, width, height, pixel):
    """24-bit bottom-up DIB; pixel(x, y) gives (r, g, b) with y counted from the top."""
    row_size = (width * 3 + 3) & ~3
    rows = []
    for y in range(height - 1, -1, -1):
        row = bytearray()
        for x in range(width):
            r, g, b = pixel(x, y)
            row += bytes((b, g, r))
        row += bytes(row_size - len(row))
        rows.append(bytes(row))
    data = b"".join(rows)
    header = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    file_header = struct.pack("<2sIHHI", b"BM", 14 + len(header) + len(data), 0, 0, 14 + len(header))
    with open(os.path.join(OUT_DIR, name), "wb") as f:
        f.write(file_header + header + data)


def write_ico(name, images):
    """images: list of (size, pixel) where pixel(x, y) gives (r, g, b, a) or None for transparent."""
    entries, blobs = [], []
    offset = 6 + 16 * len(images)
    for size, pixel in images:
        xor = bytearray()
        mask_row = ((size + 31) // 32) * 4
        mask = bytearray()
        for y in range(size - 1, -1, -1):
            bits = 0
            row_mask = bytearray(mask_row)
            for x in range(size):
                p = pixel(x, y)
                if p is None:
                    xor += bytes((0, 0, 0, 0))
                    row_mask[x // 8] |= 0x80 >> (x % 8)
                else:
                    r, g, b, a = p
                    xor += bytes((b, g, r, a))
            mask += row_mask
        header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
        blob = header + bytes(xor) + bytes(mask)
        entries.append(struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(blob), offset))
        blobs.append(blob)
        offset += len(blob)
    with open(os.path.join(OUT_DIR, name), "wb") as f:
        f.write(struct.pack("<HHH", 0, 1, len(images)) + b"".join(entries) + b"".join(blobs))


# ---------------------------------------------------------------------------
# Banner: white on the left (the page's title is written there), a box whose
# lid lifts away on the right, fading into the white.
# ---------------------------------------------------------------------------

def box_shape(x, y, left, top, size):
    """A box seen from the front with its lid lifted and tilted: 0 outside, 1 body, 2 lid, 3 edge."""
    u, v = (x - left) / size, (y - top) / size
    if 0.1 <= u <= 0.9 and 0.45 <= v <= 0.95:
        edge = u < 0.13 or u > 0.87 or v < 0.48 or v > 0.92
        return 3 if edge else 1
    # The lid: a parallelogram above the body, raised and slanted.
    lift = 0.12 + 0.25 * (u - 0.05)
    if 0.05 <= u <= 0.85 and 0.35 - lift <= v <= 0.43 - lift:
        return 2
    return 0


def banner(x, y):
    width, height = 500, 60
    fade = max(0.0, (x - 400) / 100.0)
    colour = blend(WHITE, TEAL_LIGHT, fade * 0.5)
    shape = box_shape(x, y, 430, 4, 54)
    if shape == 1:
        colour = TEAL
    elif shape == 2:
        colour = AMBER
    elif shape == 3:
        colour = blend(TEAL, (0, 0, 0), 0.4)
    return colour


# ---------------------------------------------------------------------------
# Watermark: a vertical teal gradient with rings rising from the box.
# ---------------------------------------------------------------------------

def watermark(x, y):
    width, height = 164, 314
    colour = blend(TEAL, TEAL_LIGHT, y / (height - 1))
    cx, cy = width / 2, 220
    d = math.hypot(x - cx, (y - cy) * 1.6)
    if y < cy and int(d) % 22 in (0, 1) and d > 30:
        colour = blend(colour, WHITE, 0.55)
    shape = box_shape(x, y, 42, 200, 80)
    if shape == 1:
        colour = WHITE
    elif shape == 2:
        colour = AMBER
    elif shape == 3:
        colour = blend(TEAL, (0, 0, 0), 0.5)
    return colour


# ---------------------------------------------------------------------------
# Icons: the program's box, and the three stage marks of the progress page.
# ---------------------------------------------------------------------------

def main_icon(size):
    def pixel(x, y):
        shape = box_shape(x, y, 0, 0, size)
        if shape == 1:
            return TEAL + (255,)
        if shape == 2:
            return AMBER + (255,)
        if shape == 3:
            return blend(TEAL, (0, 0, 0), 0.5) + (255,)
        return None
    return pixel


def stage_icon(kind, size):
    c = (size - 1) / 2

    def pixel(x, y):
        d = math.hypot(x - c, y - c)
        if kind == "not":
            # A small grey dot: not reached yet.
            return GREY + (255,) if d <= size * 0.18 else None
        if kind == "doing":
            # An arrow pointing right: under way.
            u, v = x / size, y / size
            if 0.2 <= u <= 0.55 and 0.4 <= v <= 0.6:
                return AMBER + (255,)
            if 0.55 <= u <= 0.85 and abs(v - 0.5) <= (0.85 - u):
                return AMBER + (255,)
            return None
        # A check mark: done.
        u, v = x / size, y / size
        on_short = abs((v - 0.55) - (u - 0.2)) < 0.09 and 0.15 <= u <= 0.42
        on_long = abs((v - 0.77) + (u - 0.42) * 1.3) < 0.1 and 0.38 <= u <= 0.85
        return GREEN + (255,) if on_short or on_long else None
    return pixel


def main():
    write_bmp("banner.bmp", 500, 60, banner)
    write_bmp("watermark.bmp", 164, 314, watermark)
    write_ico("uninstall.ico", [(32, main_icon(32)), (16, main_icon(16))])
    write_ico("item_not_uninstalled.ico", [(16, stage_icon("not", 16))])
    write_ico("item_uninstalling.ico", [(16, stage_icon("doing", 16))])
    write_ico("item_uninstalled.ico", [(16, stage_icon("done", 16))])


if __name__ == "__main__":
    main()
