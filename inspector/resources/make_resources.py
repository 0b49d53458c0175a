# Draws lumivex's picking cursor, picking-box bitmaps and program icon, and writes them beside this script.

# Run with: python3 make_resources.py
# Everything is drawn in code so the artwork can be reviewed and changed in text,
# and the output is byte-for-byte reproducible (no timestamps, no external tools).

import math
import os
import struct
import zlib

OUT_DIR = os.path.dirname(os.path.abspath(__file__))


# ---------------------------------------------------------------------------
# Reticle geometry shared by the cursor and the picking box, so the tool the
# user lifts out of the box looks exactly like the cursor it turns into.
# ---------------------------------------------------------------------------

def circle_points(cx, cy, r):
    """1-pixel, 8-connected circle; drawn per octant so the ring is symmetric
    about the centre pixel (the hotspot must sit dead centre)."""
    pts = set()
    x, y, d = r, 0, 1 - r
    while y <= x:
        for sx, sy in ((x, y), (y, x)):
            for mx in (-1, 1):
                for my in (-1, 1):
                    pts.add((cx + mx * sx, cy + my * sy))
        y += 1
        if d < 0:
            d += 2 * y + 1
        else:
            x -= 1
            d += 2 * (y - x) + 1
    return pts


def reticle_ink(cx, cy, ring, arm_out, arm_in):
    """Black pixels of the sight: ring plus four arms that stop short of the
    centre, so the pixel being picked stays visible under the cursor."""
    ink = circle_points(cx, cy, ring)
    for k in range(arm_in, arm_out + 1):
        ink.update({(cx + k, cy), (cx - k, cy), (cx, cy + k), (cx, cy - k)})
    return ink


def halo_of(ink):
    """8-neighbour outline, so the black sight stays visible on dark backgrounds."""
    halo = set()
    for (x, y) in ink:
        for dx in (-1, 0, 1):
            for dy in (-1, 0, 1):
                p = (x + dx, y + dy)
                if p not in ink:
                    halo.add(p)
    return halo


# ---------------------------------------------------------------------------
# Cursor
# ---------------------------------------------------------------------------

CUR_SIZE = 32
CUR_HOT = (15, 15)   # odd-sized sight (31 px) centred on a real pixel


def make_cursor():
    cx, cy = CUR_HOT
    ink = reticle_ink(cx, cy, ring=9, arm_out=14, arm_in=4)
    halo = halo_of(ink)
    n = CUR_SIZE
    row_bytes = n // 8          # 32 px at 1 bpp is already DWORD aligned
    xor_rows, and_rows = [], []
    for y in range(n - 1, -1, -1):       # DIBs are stored bottom-up
        xr, ar = 0, 0
        for x in range(n):
            bit = 1 << (n - 1 - x)
            if (x, y) in ink:
                pass                      # AND 0, XOR 0 -> black
            elif (x, y) in halo:
                xr |= bit                 # AND 0, XOR 1 -> white
            else:
                ar |= bit                 # AND 1, XOR 0 -> screen shows through
        xor_rows.append(xr.to_bytes(row_bytes, 'big'))
        and_rows.append(ar.to_bytes(row_bytes, 'big'))
    palette = bytes((0, 0, 0, 0, 255, 255, 255, 0))
    bits = b''.join(xor_rows) + b''.join(and_rows)
    header = struct.pack('<IiiHHIIiiII', 40, n, n * 2, 1, 1, 0, len(bits), 0, 0, 2, 0)
    image = header + palette + bits
    # For cursors the directory entry's planes/bitcount fields carry the hotspot.
    directory = struct.pack('<HHH', 0, 2, 1)
    entry = struct.pack('<BBBBHHII', n, n, 2, 0, cx, cy, len(image), 6 + 16)
    return directory + entry + image, ink, halo


# ---------------------------------------------------------------------------
# Picking box bitmaps
# ---------------------------------------------------------------------------

BOX_W, BOX_H = 31, 28
FACE = (212, 208, 200)
SHADOW = (128, 128, 128)
DARK_SHADOW = (64, 64, 64)
LIGHT = (223, 223, 223)
HILIGHT = (255, 255, 255)
BLACK = (0, 0, 0)


def box_pixels(with_tool):
    px = [[FACE] * BOX_W for _ in range(BOX_H)]
    r, b = BOX_W - 1, BOX_H - 1
    # Two-pixel sunken well: the tool visibly sits *in* something it can be lifted out of.
    for x in range(BOX_W):
        px[0][x] = SHADOW
        px[b][x] = HILIGHT
    for y in range(BOX_H):
        px[y][0] = SHADOW
        px[y][r] = HILIGHT
    for x in range(1, r):
        px[1][x] = DARK_SHADOW
        px[b - 1][x] = LIGHT
    for y in range(1, b):
        px[y][1] = DARK_SHADOW
        px[y][r - 1] = LIGHT
    px[0][r] = HILIGHT
    px[b][0] = HILIGHT
    px[1][r - 1] = LIGHT
    px[b - 1][1] = LIGHT
    if with_tool:
        # The well's interior (27x24) is even in height, so an odd-sized sight
        # cannot be exactly centred; it sits half a pixel high, which reads as
        # balanced against the heavier shadow along the top edge.
        cx, cy = BOX_W // 2, 13
        ink = reticle_ink(cx, cy, ring=7, arm_out=9, arm_in=3)
        halo = halo_of(ink)
        for (x, y) in halo:
            # Guard: a larger sight must never paint over the bevel.
            if 2 <= x <= r - 2 and 2 <= y <= b - 2:
                px[y][x] = HILIGHT
        for (x, y) in ink:
            px[y][x] = BLACK
    return px


def bmp24(px):
    h, w = len(px), len(px[0])
    stride = (w * 3 + 3) & ~3
    pad = b'\0' * (stride - w * 3)
    rows = []
    for y in range(h - 1, -1, -1):
        rows.append(b''.join(bytes((c[2], c[1], c[0])) for c in px[y]) + pad)
    bits = b''.join(rows)
    info = struct.pack('<IiiHHIIiiII', 40, w, h, 1, 24, 0, len(bits), 2835, 2835, 0, 0)
    filehdr = struct.pack('<2sIHHI', b'BM', 14 + 40 + len(bits), 0, 0, 14 + 40)
    return filehdr + info + bits


# ---------------------------------------------------------------------------
# Icon: a tiny analytic rasteriser (signed distance + supersampled edges)
# ---------------------------------------------------------------------------

class Canvas:
    """Premultiplied float RGBA; shapes are signed-distance functions in pixel units."""

    def __init__(self, size):
        self.size = size
        self.px = [[[0.0, 0.0, 0.0, 0.0] for _ in range(size)] for _ in range(size)]

    def shape(self, sd, color, ss=8):
        n = self.size
        offs = [(i + 0.5) / ss for i in range(ss)]
        for py in range(n):
            for px in range(n):
                d = sd(px + 0.5, py + 0.5)
                # Only pixels an edge can cross are supersampled; the rest are
                # decided exactly from the distance at the pixel centre.
                if d >= 0.75:
                    continue
                if d <= -0.75:
                    cov = 1.0
                else:
                    hits = 0
                    for oy in offs:
                        for ox in offs:
                            if sd(px + ox, py + oy) < 0:
                                hits += 1
                    cov = hits / (ss * ss)
                    if cov == 0:
                        continue
                c = color(px + 0.5, py + 0.5) if callable(color) else color
                a = c[3] * cov
                dst = self.px[py][px]
                k = 1.0 - a
                dst[0] = c[0] / 255.0 * a + dst[0] * k
                dst[1] = c[1] / 255.0 * a + dst[1] * k
                dst[2] = c[2] / 255.0 * a + dst[2] * k
                dst[3] = a + dst[3] * k

    def soft(self, sd, rgb, alpha, blur):
        """Soft-edged fill for drop shadows."""
        n = self.size
        for py in range(n):
            for px in range(n):
                d = sd(px + 0.5, py + 0.5)
                t = min(1.0, max(0.0, 0.5 - d / (2 * blur)))
                t = t * t * (3 - 2 * t)
                a = alpha * t
                if a <= 0:
                    continue
                dst = self.px[py][px]
                k = 1.0 - a
                for i in range(3):
                    dst[i] = rgb[i] / 255.0 * a + dst[i] * k
                dst[3] = a + dst[3] * k

    def rgba(self):
        """Straight (non-premultiplied) 8-bit RGBA rows, top-down."""
        out = []
        for row in self.px:
            r = []
            for (pr, pg, pb, pa) in row:
                a = int(round(pa * 255))
                if a <= 0:
                    r.append((0, 0, 0, 0))
                    continue
                r.append(tuple(min(255, int(round(v / pa * 255))) for v in (pr, pg, pb)) + (a,))
            out.append(r)
        return out


def sd_round_rect(x0, y0, x1, y1, rad):
    cx, cy, hx, hy = (x0 + x1) / 2, (y0 + y1) / 2, (x1 - x0) / 2, (y1 - y0) / 2

    def f(x, y):
        qx = abs(x - cx) - hx + rad
        qy = abs(y - cy) - hy + rad
        out = math.hypot(max(qx, 0.0), max(qy, 0.0))
        return out + min(max(qx, qy), 0.0) - rad
    return f


def sd_circle(cx, cy, r):
    return lambda x, y: math.hypot(x - cx, y - cy) - r


def sd_arc(cx, cy, r, a0, a1, w):
    """Round-capped arc from angle a0 to a1 (radians, y down)."""
    ends = [(cx + r * math.cos(a), cy + r * math.sin(a)) for a in (a0, a1)]

    def f(x, y):
        a = math.atan2(y - cy, x - cx)
        if a0 <= a <= a1:
            return abs(math.hypot(x - cx, y - cy) - r) - w / 2
        return min(math.hypot(x - ex, y - ey) for ex, ey in ends) - w / 2
    return f


def sd_union(*fs):
    return lambda x, y: min(f(x, y) for f in fs)


def sd_intersect(a, b):
    return lambda x, y: max(a(x, y), b(x, y))


def sd_grow(f, w):
    return lambda x, y: f(x, y) - w


def lerp_color(c0, c1, t):
    t = min(1.0, max(0.0, t))
    return tuple(a + (b - a) * t for a, b in zip(c0, c1))


NAVY = (20, 58, 112, 1.0)
TITLE_TOP = (78, 160, 240, 1.0)
TITLE_BOT = (28, 104, 204, 1.0)
CLIENT = (248, 251, 254, 1.0)
CONTENT = (186, 205, 230, 1.0)
CONTENT_ACCENT = (120, 170, 225, 1.0)
TEAL = (0, 142, 146, 1.0)
TEAL_DARK = (0, 92, 100, 1.0)
LENS = (150, 228, 224)
WHITE = (255, 255, 255, 1.0)


# Per-size layouts in output pixels. The same drawing at every size, but each
# size's edges are placed by hand on pixel boundaries so 32 and 48 stay crisp
# instead of being a blurred copy of the 256 artwork.
ICON_LAYOUTS = {
    256: dict(win=(10, 26, 206, 194), win_r=18, frame=8, title_h=46, sep=4,
              bars=[(36, 106, 90, 10, 'accent'), (36, 132, 130, 10, 'plain'),
                    (36, 158, 70, 10, 'plain')],
              caption=dict(y=(48, 66), size=18, step=26, right=184, label=(32, 88), r=3),
              shadow=(4, 10, 10), ss=4,
              sight=dict(c=(170, 170), ring_r=58, ring_w=14, arm_w=10, arm_out=76, arm_in=22,
                         halo=7, core=4, dot=6, lens=0.5, glint=(40, 7))),
    48: dict(win=(2, 5, 40, 37), win_r=3.5, frame=1, title_h=8, sep=1,
             bars=[(5, 18, 17, 2, 'accent'), (5, 23, 24, 2, 'plain'), (5, 28, 13, 2, 'plain')],
             caption=dict(y=(8, 12), size=4, step=5, right=37, label=(5, 15), r=0.5),
             shadow=(1, 2, 2), ss=8,
             sight=dict(c=(32, 32), ring_r=10.5, ring_w=3, arm_w=2, arm_out=14.5, arm_in=3.5,
                        halo=1.25, core=0.75, dot=1.2, lens=0.85, glint=(7, 1.3))),
    32: dict(win=(1, 3, 27, 25), win_r=2.5, frame=1, title_h=5, sep=1,
             bars=[(3, 12, 10, 1, 'accent'), (3, 15, 14, 1, 'plain'), (3, 18, 8, 1, 'plain')],
             caption=None, shadow=None, ss=8,
             sight=dict(c=(21.5, 21.5), ring_r=6.5, ring_w=2, arm_w=1, arm_out=9.5, arm_in=2.5,
                        halo=1.2, core=None, dot=None, lens=0.88, glint=None)),
}


def draw_icon_vector(size):
    L = ICON_LAYOUTS[size]
    cv = Canvas(size)
    ss = L['ss']
    wx0, wy0, wx1, wy1 = L['win']
    fr, wr = L['frame'], L['win_r']

    if L['shadow']:
        dx, dy, blur = L['shadow']
        cv.soft(sd_round_rect(wx0 + dx, wy0 + dy, wx1 + dx, wy1 + dy, wr), (10, 30, 60), 0.30, blur)

    cv.shape(sd_round_rect(wx0, wy0, wx1, wy1, wr), NAVY, ss)
    inner = sd_round_rect(wx0 + fr, wy0 + fr, wx1 - fr, wy1 - fr, max(wr - fr, 0.5))
    cv.shape(inner, CLIENT, ss)
    ty0, ty1 = wy0 + fr, wy0 + fr + L['title_h']
    cv.shape(sd_intersect(inner, lambda x, y: y - ty1),
             lambda x, y: lerp_color(TITLE_TOP, TITLE_BOT, (y - ty0) / (ty1 - ty0)), ss)
    # The dark rule under the title bar is what makes it read as a window at 32 px.
    cv.shape(sd_round_rect(wx0 + fr, ty1, wx1 - fr, ty1 + L['sep'], 0), NAVY, ss)

    cap = L['caption']
    if cap:
        y0, y1 = cap['y']
        for i in range(3):
            bx1 = cap['right'] - i * cap['step']
            cv.shape(sd_round_rect(bx1 - cap['size'], y0, bx1, y1, cap['r']), (255, 255, 255, 0.85), ss)
        lx0, lx1 = cap['label']
        cv.shape(sd_round_rect(lx0, y0, lx1, y1, cap['r']), (255, 255, 255, 0.55), ss)

    for (bx, by, bw, bh, kind) in L['bars']:
        col = CONTENT_ACCENT if kind == 'accent' else CONTENT
        cv.shape(sd_round_rect(bx, by, bx + bw, by + bh, min(4, bh / 2) if bh > 2 else 0), col, ss)

    S = L['sight']
    cx, cy = S['c']
    ring_mid = lambda x, y: abs(math.hypot(x - cx, y - cy) - S['ring_r'])
    ring = lambda x, y: ring_mid(x, y) - S['ring_w'] / 2
    aw, ao, ai = S['arm_w'] / 2, S['arm_out'], S['arm_in']
    arms = [sd_round_rect(cx + ai, cy - aw, cx + ao, cy + aw, 0),
            sd_round_rect(cx - ao, cy - aw, cx - ai, cy + aw, 0),
            sd_round_rect(cx - aw, cy + ai, cx + aw, cy + ao, 0),
            sd_round_rect(cx - aw, cy - ao, cx + aw, cy - ai, 0)]
    sight = sd_union(ring, *arms)
    # White halo first: it cuts the sight out of whatever window art lies below.
    cv.shape(sd_grow(sight, S['halo']), WHITE, ss)
    # The lens is mostly opaque: window edges seen faintly through it read as
    # noise at small sizes.
    cv.shape(sd_circle(cx, cy, S['ring_r']), LENS[:3] + (S['lens'],), ss)
    if S['glint']:
        gr, gw = S['glint']
        cv.shape(sd_arc(cx, cy, gr, math.radians(-165), math.radians(-115), gw), (255, 255, 255, 0.75), ss)
    cv.shape(sight, TEAL_DARK, ss)
    if S['core']:
        cv.shape(lambda x, y: ring_mid(x, y) - S['ring_w'] / 2 + S['core'], TEAL, ss)
    if S['dot']:
        cv.shape(sd_circle(cx, cy, S['dot']), TEAL_DARK, ss)
    return cv.rgba()


def draw_icon_16():
    """Hand-placed pixels: at 16 px any scaled drawing turns to mush."""
    n = 16
    img = [[(0, 0, 0, 0)] * n for _ in range(n)]

    def put(x, y, c):
        if 0 <= x < n and 0 <= y < n:
            img[y][x] = tuple(int(v) for v in c[:3]) + (int(round(c[3] * 255)),)

    def rect(x0, y0, x1, y1, c):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                put(x, y, c)

    rect(0, 1, 12, 12, NAVY)
    rect(1, 2, 11, 3, TITLE_BOT)
    rect(1, 2, 11, 2, TITLE_TOP)
    rect(1, 4, 11, 4, NAVY)
    rect(1, 5, 11, 11, CLIENT)
    rect(2, 6, 6, 6, CONTENT_ACCENT)
    rect(2, 8, 7, 8, CONTENT)
    rect(2, 10, 5, 10, CONTENT)
    for (x, y) in ((0, 1), (12, 1), (0, 12), (12, 12)):
        img[y][x] = (0, 0, 0, 0)

    # A 9x9 ring drawn from a picture rather than an algorithm: the rasterised
    # circle at this radius comes out octagonal.
    ring_art = ("...###...",
                ".##...##.",
                ".#.....#.",
                "#.......#",
                "#.......#",
                "#.......#",
                ".#.....#.",
                ".##...##.",
                "...###...")
    # Centred one pixel in from the corner so the arms can poke out of the
    # ring as they do at the larger sizes; that overhang is what says "sight".
    cx, cy = 10, 10
    ring, inside = set(), set()
    for j, line in enumerate(ring_art):
        xs = [i for i, ch in enumerate(line) if ch == '#']
        for i, ch in enumerate(line):
            p = (cx - 4 + i, cy - 4 + j)
            if ch == '#':
                ring.add(p)
            elif xs and min(xs) < i < max(xs) and 0 < j < 8:
                inside.add(p)
    arms = {(cx + k * sx, cy + k * sy) for k in (2, 3, 5) for (sx, sy) in ((1, 0), (-1, 0), (0, 1), (0, -1))}
    # 4-neighbour halo: the 8-neighbour one used elsewhere would blot out
    # half the window at this size.
    ink = ring | arms
    for (x, y) in ink:
        for p in ((x + 1, y), (x - 1, y), (x, y + 1), (x, y - 1)):
            if p not in ink and p not in inside:
                put(p[0], p[1], WHITE)
    for (x, y) in inside:
        put(x, y, (206, 240, 238, 1.0))
    for (x, y) in ring | arms:
        put(x, y, TEAL_DARK)
    return img



def png_bytes(rgba):
    h, w = len(rgba), len(rgba[0])
    raw = b''.join(b'\0' + b''.join(bytes(p) for p in row) for row in rgba)

    def chunk(tag, data):
        return (struct.pack('>I', len(data)) + tag + data
                + struct.pack('>I', zlib.crc32(tag + data) & 0xffffffff))
    return (b'\x89PNG\r\n\x1a\n'
            + chunk(b'IHDR', struct.pack('>IIBBBBB', w, h, 8, 6, 0, 0, 0))
            + chunk(b'IDAT', zlib.compress(raw, 9))
            + chunk(b'IEND', b''))


def ico_dib(rgba):
    n = len(rgba)
    xor = b''.join(b''.join(bytes((p[2], p[1], p[0], p[3])) for p in rgba[y])
                   for y in range(n - 1, -1, -1))
    mask_stride = ((n + 31) // 32) * 4
    and_rows = []
    for y in range(n - 1, -1, -1):
        bits = 0
        for x in range(n):
            if rgba[y][x][3] == 0:
                bits |= 1 << (mask_stride * 8 - 1 - x)
        and_rows.append(bits.to_bytes(mask_stride, 'big'))
    mask = b''.join(and_rows)
    header = struct.pack('<IiiHHIIiiII', 40, n, n * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return header + xor + mask


def make_icon():
    images = [(16, ico_dib(draw_icon_16())),
              (32, ico_dib(draw_icon_vector(32))),
              (48, ico_dib(draw_icon_vector(48))),
              (256, png_bytes(draw_icon_vector(256)))]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in images:
        dim = size if size < 256 else 0
        out += struct.pack('<BBBBHHII', dim, dim, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return out + b''.join(d for _, d in images)


def draw_no_icon(n):
    """The stand-in for a window without an icon: a dashed grey frame crossed by a thin
    diagonal, quiet enough not to pass for a real icon."""
    grey = (128, 128, 128, 255)
    light = (192, 192, 192, 255)
    px = [[(0, 0, 0, 0) for _ in range(n)] for _ in range(n)]
    lo, hi = n // 8, n - 1 - n // 8
    dash = max(2, n // 8)
    for i in range(lo, hi + 1):
        if ((i - lo) // dash) % 2 == 0:
            for (x, y) in ((i, lo), (i, hi), (lo, i), (hi, i)):
                px[y][x] = grey
    for i in range(lo + 2, hi - 1):
        px[i][hi - (i - lo)] = light
    return px


def make_no_icon():
    images = [(16, ico_dib(draw_no_icon(16))), (32, ico_dib(draw_no_icon(32)))]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in images:
        out += struct.pack('<BBBBHHII', size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return out + b''.join(d for _, d in images)


def make_logo():
    """The about box's strip, 57 x 192: night blue to teal, the program's sight at the top and
    faint scan rings below it, as a 24-bit picture (rows top-down, RGB)."""
    w, h = 57, 192
    icon = draw_icon_vector(48)
    top, bottom = (14, 28, 58), (18, 104, 112)
    rows = []
    for y in range(h):
        row = []
        for x in range(w):
            t = y / (h - 1)
            r, g, b = [top[i] + (bottom[i] - top[i]) * t for i in range(3)]
            # Rings around a centre below the strip, like a sweep on a screen.
            d = math.hypot(x - w / 2, y - 250)
            ring = max(0.0, 1.0 - abs((d % 22) - 11) / 1.2) * 0.22 * (1 - t * 0.4)
            r, g, b = r + (255 - r) * ring, g + (255 - g) * ring, b + (255 - b) * ring
            # The sight, centred at the top.
            ix, iy = x - (w - 48) // 2, y - 10
            if 0 <= ix < 48 and 0 <= iy < 48:
                ir, ig, ib, ia = icon[iy][ix]
                a = ia / 255
                r, g, b = r + (ir - r) * a, g + (ig - g) * a, b + (ib - b) * a
            row.append((int(round(r)), int(round(g)), int(round(b))))
        rows.append(row)
    header = b'P6\n%d %d\n255\n' % (w, h)
    return header + b''.join(bytes(c for p in row for c in p) for row in rows)


def write_logo():
    """logo.jpg is made from the drawing with ImageMagick when it is there; the JPEG is kept in
    the repository, so building never needs this step."""
    import shutil
    import subprocess
    import tempfile
    tool = shutil.which('convert')
    if tool is None:
        print('convert (ImageMagick) not found: logo.jpg left as it is')
        return
    with tempfile.TemporaryDirectory() as folder:
        ppm = os.path.join(folder, 'logo.ppm')
        with open(ppm, 'wb') as f:
            f.write(make_logo())
        subprocess.run([tool, ppm, '-strip', '-quality', '92', '-sampling-factor', '1x1',
                        os.path.join(OUT_DIR, 'logo.jpg')], check=True)


def write(name, data):
    with open(os.path.join(OUT_DIR, name), 'wb') as f:
        f.write(data)


def main():
    write('sniper.cur', make_cursor()[0])
    write('picking_idle.bmp', bmp24(box_pixels(True)))
    write('picking_active.bmp', bmp24(box_pixels(False)))
    write('lumivex.ico', make_icon())
    write('noicon.ico', make_no_icon())
    write_logo()


if __name__ == '__main__':
    main()
