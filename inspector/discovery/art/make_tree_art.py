# Draws the window tree's class pictures and toolbar images, and writes the
# class-name table that maps window classes to those pictures.
#
# Run with: python3 make_tree_art.py [--preview PNG]
# Writes ../../resources/classicons.bmp (50 pictures of 20x20 in one strip),
# ../../resources/treetools.bmp (10 toolbar images of 32x32) and ../Classes.dsc.
# Everything is drawn in code and the output is byte-for-byte reproducible.
# Magenta (255, 0, 255) marks transparent pixels in both strips.
#
# Class pictures (index -> what kind of window):
#    0 any other child window (faint outline)   25 date/time picker
#    1 dialog box                               26 month calendar
#    2 push button                              27 IP address field
#    3 check box                                28 animation
#    4 radio button                             29 link
#    5 group box                                30 pager
#    6 single-line edit                         31 MDI client area
#    7 multi-line / rich edit, memo             32 popup menu
#    8 static text, label                       33 icon title
#    9 static picture, image                    34 task switcher
#   10 list box                                 35 browser / HTML view
#   11 combo box, drop-down list                36 console window
#   12 scroll bar                               37 taskbar / tray
#   13 tree view                                38 shell folder view, folder window
#   14 list view                                39 input method (IME)
#   15 header                                   40 OLE / COM / DDE helper window
#   16 tab control                              41 hidden helper, message-only window
#   17 toolbar                                  42 panel, container, page
#   18 rebar, cool bar                          43 the desktop (tree root)
#   19 status bar                               44 toolkit form / frame window
#   20 progress bar                             45 grid, table
#   21 trackbar, slider                         46 top-level window without a class picture
#   22 up-down, spin buttons                    47 embedded object, ActiveX host
#   23 hot-key field                            48 render surface (3D, video)
#   24 tooltip, hint                            49 custom / owner-drawn control
#
# Toolbar images: 0 expand all, 1 collapse all, 2 rescan, 3 find by mask,
# 4 save as text, 5 find next, 6 show handles as..., 7 expand the selected node,
# 8 grouped by hierarchy, 9 grouped by process and thread.

import math
import os
import struct
import sys
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
RESOURCES = os.path.normpath(os.path.join(HERE, '..', '..', 'resources'))
DISCOVERY = os.path.normpath(os.path.join(HERE, '..'))

KEY = (255, 0, 255)     # transparent pixels in the bitmaps


# ---------------------------------------------------------------------------
# Palette: one dark outline, greys for faces, a few accents.
# ---------------------------------------------------------------------------

INK = (52, 62, 80)          # outlines
MID = (112, 122, 138)       # secondary outlines, glyph strokes
LINE = (176, 184, 196)      # text stand-ins, grid lines
PALE = (206, 212, 222)      # faint outlines
WHITE = (255, 255, 255)
FACE = (236, 239, 244)      # control face
SHADE = (212, 218, 226)     # control face, lower half
TEXT = (92, 102, 118)
BLUE = (38, 112, 206)
BLUE_DK = (24, 72, 150)
BLUE_LT = (140, 188, 240)
BLUE_PALE = (216, 233, 252)
TITLE_TOP = (84, 158, 236)
TITLE_BOT = (36, 108, 204)
GREEN = (44, 158, 84)
GREEN_DK = (24, 110, 56)
GREEN_LT = (132, 212, 146)
RED = (214, 68, 58)
RED_DK = (150, 40, 34)
ORANGE = (240, 146, 38)
ORANGE_DK = (176, 96, 20)
YELLOW = (250, 206, 74)
YELLOW_DK = (176, 128, 30)
YELLOW_LT = (255, 241, 176)
DARK = (40, 46, 58)         # console, taskbar
GREY_BG = (150, 160, 176)   # MDI workspace


def mix(c0, c1, t):
    t = min(1.0, max(0.0, t))
    return tuple(int(round(a + (b - a) * t)) for a, b in zip(c0, c1))


# ---------------------------------------------------------------------------
# Canvas with pixel helpers (inclusive coordinates) and shape fills
# ---------------------------------------------------------------------------

class Img:
    def __init__(self, w, h):
        self.w, self.h = w, h
        self.p = [[None] * w for _ in range(h)]

    def put(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.p[y][x] = c

    def rect(self, x0, y0, x1, y1, c):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.put(x, y, c)

    def hline(self, x0, x1, y, c):
        self.rect(x0, y, x1, y, c)

    def vline(self, x, y0, y1, c):
        self.rect(x, y0, x, y1, c)

    def frame(self, x0, y0, x1, y1, c):
        self.hline(x0, x1, y0, c)
        self.hline(x0, x1, y1, c)
        self.vline(x0, y0, y1, c)
        self.vline(x1, y0, y1, c)

    def box(self, x0, y0, x1, y1, fill, edge, round_=True):
        """Filled rectangle with a 1-px edge; round_ cuts the four corner pixels."""
        if fill is not None:
            self.rect(x0 + 1, y0 + 1, x1 - 1, y1 - 1, fill)
        self.frame(x0, y0, x1, y1, edge)
        if round_:
            for (x, y) in ((x0, y0), (x1, y0), (x0, y1), (x1, y1)):
                self.put(x, y, None)

    def vgrad(self, x0, y0, x1, y1, c0, c1):
        n = max(1, y1 - y0)
        for y in range(y0, y1 + 1):
            self.hline(x0, x1, y, mix(c0, c1, (y - y0) / n))

    def dashed(self, x0, y0, x1, y1, c, on=2, off=1):
        """Dashed rectangle outline; the dash pattern runs on around the corners."""
        path = ([(x, y0) for x in range(x0, x1)] + [(x1, y) for y in range(y0, y1)]
                + [(x, y1) for x in range(x1, x0, -1)] + [(x0, y) for y in range(y1, y0, -1)])
        for i, (x, y) in enumerate(path):
            if i % (on + off) < on:
                self.put(x, y, c)

    def line(self, x0, y0, x1, y1, c):
        dx, dy = abs(x1 - x0), -abs(y1 - y0)
        sx, sy = (1 if x1 > x0 else -1), (1 if y1 > y0 else -1)
        err = dx + dy
        while True:
            self.put(x0, y0, c)
            if (x0, y0) == (x1, y1):
                break
            e2 = 2 * err
            if e2 >= dy:
                err += dy
                x0 += sx
            if e2 <= dx:
                err += dx
                y0 += sy

    def shape(self, sd, c, ss=4):
        """Fills the pixels at least half covered by the shape sd < 0 (pixel (x, y)
        spans [x, x+1) x [y, y+1)). c may be a function of the pixel centre."""
        offs = [(i + 0.5) / ss for i in range(ss)]
        for y in range(self.h):
            for x in range(self.w):
                d = sd(x + 0.5, y + 0.5)
                if d >= 0.75:
                    continue
                if d > -0.75:
                    hits = sum(1 for oy in offs for ox in offs if sd(x + ox, y + oy) < 0)
                    if hits * 2 < ss * ss:
                        continue
                self.p[y][x] = c(x + 0.5, y + 0.5) if callable(c) else c

    def outlined(self, sd, fill, edge, w=1.0):
        """A shape with an outline of w pixels around it."""
        self.shape(grow(sd, w), edge)
        self.shape(sd, fill)

    def art(self, x0, y0, rows, pal):
        """Pixel art: one string a row, one character a pixel; '.' leaves the pixel.
        A palette entry may be a function of the pixel position."""
        for j, row in enumerate(rows):
            for i, ch in enumerate(row):
                if ch != '.':
                    c = pal[ch]
                    self.put(x0 + i, y0 + j, c(x0 + i, y0 + j) if callable(c) else c)

    def text(self, x, y, s, c, font=None):
        font = font or FONT
        for ch in s:
            g = font[ch]
            self.art(x, y, [r.replace('#', '*') for r in g], {'*': c})
            x += len(g[0]) + 1

    def blit(self, other, x0, y0):
        for y in range(other.h):
            for x in range(other.w):
                if other.p[y][x] is not None:
                    self.put(x0 + x, y0 + y, other.p[y][x])


def text_width(s, font=None):
    font = font or FONT
    return sum(len(font[ch][0]) + 1 for ch in s) - 1


# 3x5 glyphs for the few labels the pictures carry.
FONT = {
    '0': ['.#.', '#.#', '#.#', '#.#', '.#.'],
    '1': ['.#.', '##.', '.#.', '.#.', '###'],
    '2': ['##.', '..#', '.#.', '#..', '###'],
    '3': ['##.', '..#', '.#.', '..#', '##.'],
    '4': ['#.#', '#.#', '###', '..#', '..#'],
    '5': ['###', '#..', '##.', '..#', '##.'],
    '6': ['.##', '#..', '##.', '#.#', '.#.'],
    '7': ['###', '..#', '.#.', '.#.', '.#.'],
    '8': ['.#.', '#.#', '.#.', '#.#', '.#.'],
    '9': ['.#.', '#.#', '.##', '..#', '##.'],
    'O': ['.#.', '#.#', '#.#', '#.#', '.#.'],
    'K': ['#.#', '#.#', '##.', '#.#', '#.#'],
    'a': ['...', '.##', '#.#', '#.#', '.##'],
    'b': ['#..', '#..', '##.', '#.#', '##.'],
    '.': ['.', '.', '.', '.', '#'],
    ' ': ['.', '.', '.', '.', '.'],
}

# 6x9 bold glyphs for the "handles as" toolbar image.
BIG = {
    '0': ['.####.', '##..##', '##..##', '##.###', '###.##', '##..##', '##..##', '##..##', '.####.'],
    'x': ['......', '......', '......', '##..##', '.####.', '..##..', '.####.', '##..##', '......'],
}


# ---------------------------------------------------------------------------
# Signed-distance shapes (pixel units, y down)
# ---------------------------------------------------------------------------

def sd_circle(cx, cy, r):
    return lambda x, y: math.hypot(x - cx, y - cy) - r


def sd_ellipse(cx, cy, rx, ry):
    # Good enough near the edge for the small radii used here.
    def f(x, y):
        k = math.hypot((x - cx) / rx, (y - cy) / ry)
        return (k - 1.0) * min(rx, ry)
    return f


def sd_box(x0, y0, x1, y1, rad=0.0):
    cx, cy, hx, hy = (x0 + x1) / 2, (y0 + y1) / 2, (x1 - x0) / 2, (y1 - y0) / 2

    def f(x, y):
        qx = abs(x - cx) - hx + rad
        qy = abs(y - cy) - hy + rad
        return math.hypot(max(qx, 0.0), max(qy, 0.0)) + min(max(qx, qy), 0.0) - rad
    return f


def sd_segment(ax, ay, bx, by, r):
    """Round-capped stroke of radius r from a to b."""
    def f(x, y):
        px, py, vx, vy = x - ax, y - ay, bx - ax, by - ay
        t = max(0.0, min(1.0, (px * vx + py * vy) / (vx * vx + vy * vy)))
        return math.hypot(px - vx * t, py - vy * t) - r
    return f


def sd_polygon(pts):
    n = len(pts)

    def f(x, y):
        d = min((x - px) ** 2 + (y - py) ** 2 for px, py in pts)
        inside = False
        for i in range(n):
            ax, ay = pts[i]
            bx, by = pts[i - 1]
            ex, ey, wx, wy = bx - ax, by - ay, x - ax, y - ay
            t = max(0.0, min(1.0, (wx * ex + wy * ey) / (ex * ex + ey * ey)))
            d = min(d, (wx - ex * t) ** 2 + (wy - ey * t) ** 2)
            if (ay > y) != (by > y) and x < ax + (y - ay) * (bx - ax) / (by - ay):
                inside = not inside
        return -math.sqrt(d) if inside else math.sqrt(d)
    return f


def sd_arc(cx, cy, r, a0, a1, w):
    """Butt-ended arc band of width w between angles a0..a1 (degrees, y down, a0 < a1)."""
    def f(x, y):
        a = math.degrees(math.atan2(y - cy, x - cx))
        while a < a0:
            a += 360
        band = abs(math.hypot(x - cx, y - cy) - r) - w / 2
        if a <= a1:
            return band
        # Outside the sweep: distance to the nearer end cut, kept outside the shape.
        return max(band, min(a - a1, a0 + 360 - a) * math.pi / 180 * r)
    return f


def union(*fs):
    return lambda x, y: min(f(x, y) for f in fs)


def minus(a, b):
    return lambda x, y: max(a(x, y), -b(x, y))


def intersect(a, b):
    return lambda x, y: max(a(x, y), b(x, y))


def grow(f, w):
    return lambda x, y: f(x, y) - w


def ring(f, w):
    return lambda x, y: abs(f(x, y)) - w / 2


# ---------------------------------------------------------------------------
# Pieces shared by several pictures
# ---------------------------------------------------------------------------

def window(im, x0, y0, x1, y1, client=WHITE, title=(TITLE_TOP, TITLE_BOT), title_h=3, buttons=True):
    """A framed window with a title bar of title_h rows; returns the client's first row."""
    im.box(x0, y0, x1, y1, client, INK)
    im.vgrad(x0 + 1, y0 + 1, x1 - 1, y0 + title_h, title[0], title[1])
    if buttons and x1 - x0 >= 9:
        ty = y0 + 1 + title_h // 2
        for k in range(3):
            im.put(x1 - 2 - 2 * k, ty, WHITE)
    return y0 + title_h + 1


def arrow(im, cx, cy, direction, c, size=2):
    """Solid triangle arrow pointing `direction`, its tip `size` pixels from its base line."""
    for k in range(size + 1):
        half = k          # k counts rows from the tip
        for j in range(-half, half + 1):
            if direction == 'up':
                im.put(cx + j, cy - size // 2 + k, c)
            elif direction == 'down':
                im.put(cx + j, cy + size // 2 - k, c)
            elif direction == 'left':
                im.put(cx - size // 2 + k, cy + j, c)
            else:
                im.put(cx + size // 2 - k, cy + j, c)


def gear(cx, cy, r_out, r_in, teeth, hole):
    """Gear outline as a signed-distance shape."""
    body = sd_circle(cx, cy, r_in)
    cogs = []
    for i in range(teeth):
        a = 2 * math.pi * i / teeth
        cogs.append(sd_segment(cx + math.cos(a) * r_in, cy + math.sin(a) * r_in,
                               cx + math.cos(a) * (r_out - 0.6), cy + math.sin(a) * (r_out - 0.6), 0.9))
    return minus(union(body, *cogs), sd_circle(cx, cy, hole))


# ---------------------------------------------------------------------------
# Class pictures, 20x20
# ---------------------------------------------------------------------------

CLASS_SIZE = 20
CLASS_COUNT = 50
PICTURES = {}


def picture(index):
    def register(fn):
        assert index not in PICTURES, index
        PICTURES[index] = fn
        return fn
    return register


@picture(0)
def generic_child(im):
    im.box(2, 3, 17, 16, (250, 251, 253), PALE)


@picture(1)
def dialog(im):
    window(im, 1, 2, 18, 17, client=FACE, buttons=False)
    im.rect(14, 3, 16, 5, RED)
    im.put(15, 4, WHITE)
    # A message, and OK / Cancel below it.
    im.hline(3, 15, 8, TEXT)
    im.hline(3, 11, 10, TEXT)
    im.box(5, 13, 10, 16, WHITE, BLUE)
    im.box(12, 13, 17, 16, WHITE, MID)


@picture(2)
def push_button(im):
    im.box(1, 5, 18, 14, None, INK)
    im.vgrad(2, 6, 17, 13, WHITE, SHADE)
    im.hline(2, 17, 13, (196, 204, 214))
    im.text(10 - text_width('OK') // 2 - 1, 7, 'OK', INK)


@picture(3)
def check_box(im):
    im.box(3, 3, 16, 16, None, INK)
    im.vgrad(4, 4, 15, 15, WHITE, FACE)
    check = union(sd_segment(6.5, 10.0, 8.8, 12.6, 1.05), sd_segment(8.8, 12.6, 13.4, 6.6, 1.05))
    im.shape(check, BLUE)


@picture(4)
def radio_button(im):
    im.outlined(sd_circle(10, 10, 7.2), WHITE, INK)
    im.shape(intersect(sd_circle(10, 10, 7.2), lambda x, y: 12.5 - y), FACE)
    im.shape(sd_circle(10, 10, 3.3), BLUE)
    im.put(9, 8, BLUE_LT)


@picture(5)
def group_box(im):
    im.box(1, 4, 18, 18, None, MID)
    im.hline(3, 12, 4, None)
    im.hline(4, 11, 3, TEXT)
    im.hline(4, 9, 5, TEXT)
    # Two choices inside.
    for y in (8, 13):
        im.box(4, y, 7, y + 3, WHITE, INK, round_=False)
        im.hline(9, 15, y + 1, LINE)
        im.hline(9, 13, y + 2, LINE)
    im.rect(5, 9, 6, 10, BLUE)


@picture(6)
def edit(im):
    im.box(1, 5, 18, 14, WHITE, INK)
    im.hline(2, 17, 6, (232, 236, 242))
    im.text(3, 8, 'ab', TEXT)
    # I-beam caret.
    im.vline(11, 7, 12, BLUE)
    im.put(10, 7, BLUE)
    im.put(12, 7, BLUE)
    im.put(10, 12, BLUE)
    im.put(12, 12, BLUE)


@picture(7)
def memo(im):
    im.box(1, 1, 18, 18, WHITE, INK)
    # Scroll bar.
    im.rect(15, 2, 17, 17, FACE)
    im.vline(14, 2, 17, PALE)
    im.box(15, 5, 17, 10, BLUE_LT, BLUE, round_=False)
    # Formatted lines: plain, bold, coloured runs.
    im.hline(3, 12, 4, TEXT)
    im.hline(3, 7, 6, TEXT)
    im.hline(8, 12, 6, BLUE)
    im.hline(3, 11, 8, TEXT)
    im.rect(3, 10, 6, 11, INK)
    im.hline(8, 12, 11, TEXT)
    im.hline(3, 5, 13, RED)
    im.hline(6, 12, 13, TEXT)
    im.hline(3, 9, 15, TEXT)
    im.vline(10, 14, 16, INK)


@picture(8)
def static_text(im):
    im.art(1, 3, [
        '....##.....',
        '....##.....',
        '...####....',
        '...#..#....',
        '..##..##...',
        '..##..##...',
        '.########..',
        '.##....##..',
        '##......##.',
        '##......##.',
        '###....###.',
    ], {'#': INK})
    im.art(12, 7, [
        '.####.',
        '#...##',
        '....##',
        '.#####',
        '##..##',
        '##..##',
        '.###.#',
    ], {'#': TEXT})
    im.hline(1, 18, 16, BLUE_LT)


@picture(9)
def static_picture(im):
    im.box(1, 2, 18, 17, None, INK)
    im.vgrad(2, 3, 17, 16, (150, 200, 248), BLUE_PALE)
    im.shape(sd_circle(13.5, 6.5, 2.0), YELLOW)
    im.shape(intersect(sd_polygon([(1, 17), (7.5, 8.5), (14, 17)]), sd_box(2, 3, 18, 17)), GREEN)
    im.shape(intersect(sd_polygon([(9, 17), (13.5, 11), (19, 17)]), sd_box(2, 3, 18, 17)), GREEN_DK)
    im.put(7, 9, GREEN_LT)
    im.put(7, 10, GREEN_LT)


@picture(10)
def list_box(im):
    im.box(1, 1, 18, 18, WHITE, INK)
    im.rect(15, 2, 17, 17, FACE)
    im.vline(14, 2, 17, PALE)
    im.box(15, 3, 17, 8, SHADE, MID, round_=False)
    for i, y in enumerate((4, 7, 10, 13, 16)):
        if i == 2:
            im.rect(2, y - 1, 13, y + 1, BLUE)
            im.hline(4, 10, y, WHITE)
        else:
            im.hline(4, 11 - (i % 2) * 3, y, LINE if i != 0 else TEXT)


@picture(11)
def combo_box(im):
    im.box(1, 8, 13, 18, WHITE, MID)
    for y in (11, 14, 17):
        im.hline(3, 9, y, LINE)
    im.rect(2, 13, 12, 15, BLUE)
    im.hline(3, 9, 14, WHITE)
    im.box(1, 1, 18, 8, WHITE, INK)
    im.hline(3, 9, 4, TEXT)
    im.hline(3, 7, 5, TEXT)
    # Drop-down button.
    im.box(12, 2, 17, 7, None, MID, round_=False)
    im.vgrad(13, 3, 16, 6, WHITE, SHADE)
    im.hline(13, 16, 4, INK)
    im.hline(14, 15, 5, INK)


@picture(12)
def scroll_bar(im):
    im.box(5, 0, 14, 19, FACE, INK)
    for (y0, y1, d) in ((1, 4, 'up'), (15, 18, 'down')):
        im.vgrad(6, y0, 13, y1, WHITE, SHADE)
        # Two overlapping arrows make one centred on the even-width button.
        cy = (y0 + y1 + 1) // 2
        arrow(im, 9, cy, d, INK, 2)
        arrow(im, 10, cy, d, INK, 2)
    im.hline(6, 13, 5, PALE)
    im.hline(6, 13, 14, PALE)
    im.box(6, 7, 13, 11, BLUE_LT, BLUE)
    im.hline(8, 11, 8, (190, 218, 250))
    im.hline(8, 11, 10, (110, 164, 228))


@picture(13)
def tree_view(im):
    im.box(1, 1, 18, 18, WHITE, INK)
    dots = (196, 202, 212)
    for y in range(6, 16, 2):
        im.put(4, y, dots)
    for x in range(5, 8, 2):
        im.put(x, 9, dots)
        im.put(x, 15, dots)
    for y in range(11, 16, 2):
        im.put(9, y, dots)
    im.put(10, 13, dots)
    # Root, child, grandchild and sibling nodes.
    im.box(2, 3, 6, 6, YELLOW, YELLOW_DK, round_=False)
    im.hline(8, 15, 4, TEXT)
    im.box(7, 8, 10, 10, YELLOW, YELLOW_DK, round_=False)
    im.hline(12, 16, 9, LINE)
    im.box(11, 12, 13, 14, BLUE_LT, BLUE, round_=False)
    im.hline(15, 16, 13, LINE)
    im.box(7, 14, 10, 16, YELLOW, YELLOW_DK, round_=False)
    im.hline(12, 16, 15, LINE)


@picture(14)
def list_view(im):
    im.box(1, 1, 18, 18, WHITE, INK)
    tiles = [(3, 3, BLUE, BLUE_DK), (11, 3, GREEN, GREEN_DK), (3, 11, ORANGE, ORANGE_DK), (11, 11, YELLOW, YELLOW_DK)]
    for i, (x, y, c, e) in enumerate(tiles):
        im.box(x + 1, y, x + 5, y + 3, c, e)
        im.put(x + 2, y + 1, mix(c, WHITE, 0.6))
        if i == 0:
            im.rect(x, y + 5, x + 6, y + 5, BLUE)
        else:
            im.hline(x, x + 6, y + 5, LINE)


@picture(15)
def header(im):
    im.box(1, 8, 18, 18, WHITE, PALE)
    im.box(0, 3, 19, 8, None, INK)
    im.vgrad(1, 4, 18, 7, WHITE, SHADE)
    for x in (7, 13):
        im.vline(x, 4, 7, MID)
        im.vline(x, 9, 17, (232, 236, 242))
    for (x0, x1) in ((2, 5), (9, 11), (15, 17)):
        im.hline(x0, x1, 5, TEXT)
        for y in (11, 14, 17):
            im.hline(x0, x1 - (y % 2), y, LINE)


@picture(16)
def tab_control(im):
    # Two tabs behind the selected one, then the page.
    for x in (7, 12):
        im.box(x, 3, x + 6, 7, SHADE, MID)
        im.hline(x + 2, x + 4, 5, TEXT)
    im.box(1, 6, 18, 18, WHITE, INK)
    im.box(1, 1, 8, 7, WHITE, INK)
    im.put(1, 7, INK)
    im.hline(2, 7, 6, WHITE)
    im.hline(2, 7, 7, WHITE)
    im.put(8, 7, INK)
    im.hline(2, 7, 2, BLUE)
    im.hline(3, 6, 4, TEXT)
    for (y, n) in ((10, 12), (13, 9), (16, 11)):
        im.hline(4, 3 + n, y, LINE)


def tool_glyphs(im, y, xs):
    """Three small toolbar glyphs (page, folder, disk) with their left edges at xs."""
    a, b, c = xs
    im.box(a, y, a + 3, y + 4, WHITE, MID, round_=False)
    im.put(a + 3, y, None)
    im.box(b, y + 1, b + 4, y + 4, YELLOW, YELLOW_DK, round_=False)
    im.hline(b, b + 1, y, YELLOW_DK)
    im.box(c, y, c + 4, y + 4, BLUE, BLUE_DK, round_=False)
    im.hline(c + 1, c + 3, y + 1, WHITE)


@picture(17)
def toolbar(im):
    im.box(0, 5, 19, 14, None, INK)
    im.vgrad(1, 6, 18, 13, WHITE, SHADE)
    tool_glyphs(im, 8, (2, 7, 14))
    im.vline(12, 7, 12, LINE)


@picture(18)
def rebar(im):
    for (y0, y1) in ((2, 9), (10, 17)):
        im.box(0, y0, 19, y1, None, INK, round_=False)
        im.vgrad(1, y0 + 1, 18, y1 - 1, WHITE, SHADE)
    for y in range(4, 8):
        im.put(2, y, MID)
    for y in range(12, 16):
        im.put(2, y, MID)
        im.put(11, y, MID)
    im.vline(10, 11, 16, INK)
    tool_glyphs(im, 3, (4, 9, 14))
    im.hline(4, 8, 13, TEXT)
    im.hline(4, 7, 14, LINE)
    im.box(13, 11, 17, 16, WHITE, MID, round_=False)
    im.hline(14, 16, 13, LINE)


@picture(19)
def status_bar(im):
    window(im, 1, 1, 18, 18)
    im.hline(3, 11, 7, LINE)
    im.hline(3, 8, 9, LINE)
    im.hline(2, 17, 13, MID)
    im.rect(2, 14, 17, 17, FACE)
    im.vline(9, 14, 17, LINE)
    im.vline(13, 14, 17, LINE)
    im.hline(3, 7, 15, TEXT)
    im.hline(10, 12, 15, TEXT)
    # Size grip.
    for (x, y) in ((16, 15), (15, 16), (16, 16)):
        im.put(x, y, MID)


@picture(20)
def progress_bar(im):
    im.box(0, 6, 19, 13, FACE, INK)
    im.vgrad(2, 8, 12, 11, GREEN_LT, GREEN)
    im.hline(2, 12, 8, (176, 232, 186))
    for x in (5, 9):
        im.vline(x, 8, 11, (236, 248, 238))


@picture(21)
def trackbar(im):
    im.box(1, 8, 18, 11, WHITE, MID)
    im.rect(2, 9, 8, 10, BLUE_LT)
    for x in range(2, 19, 4):
        im.vline(x, 16, 17, MID)
    thumb = sd_polygon([(7.5, 5.0), (12.5, 5.0), (12.5, 11.5), (10.0, 14.0), (7.5, 11.5)])
    im.outlined(thumb, lambda x, y: mix(BLUE_LT, BLUE, (y - 5) / 8), INK)
    im.vline(9, 6, 10, (186, 214, 248))


@picture(22)
def up_down(im):
    for (y0, y1, d) in ((1, 9, 'up'), (10, 18, 'down')):
        im.box(4, y0, 15, y1, None, INK)
        im.vgrad(5, y0 + 1, 14, y1 - 1, WHITE, SHADE)
        cy = (y0 + y1) // 2
        if d == 'up':
            im.art(7, cy - 1, ['..##..', '.####.', '######'], {'#': INK})
        else:
            im.art(7, cy - 1, ['######', '.####.', '..##..'], {'#': INK})
    im.put(4, 9, INK)
    im.put(15, 9, INK)
    im.put(4, 10, INK)
    im.put(15, 10, INK)


@picture(23)
def hot_key(im):
    # A key cap: lit top face on a darker base.
    im.box(2, 2, 17, 17, SHADE, INK)
    im.rect(3, 15, 16, 16, (188, 196, 208))
    im.box(3, 3, 16, 14, None, MID)
    im.vgrad(4, 4, 15, 13, WHITE, FACE)
    im.art(6, 5, [
        '##...##',
        '##..##.',
        '##.##..',
        '####...',
        '##.##..',
        '##..##.',
        '##...##',
    ], {'#': INK})


@picture(24)
def tooltip(im):
    edge = (150, 118, 40)
    balloon = union(sd_box(1, 2, 19, 13, 1.5), sd_polygon([(4, 12), (9, 12), (4, 17.5)]))
    im.outlined(grow(balloon, -1), YELLOW_LT, edge)
    for (y, n) in ((5, 12), (7, 9), (9, 11)):
        im.hline(4, 3 + n, y, TEXT)


@picture(25)
def date_time(im):
    im.box(1, 5, 18, 14, WHITE, INK)
    im.text(3, 7, '12', TEXT)
    im.put(10, 8, TEXT)
    im.put(10, 10, TEXT)
    # Drop-down button with a small calendar.
    im.vline(12, 6, 13, PALE)
    im.rect(13, 6, 17, 13, FACE)
    im.box(13, 7, 17, 12, WHITE, MID, round_=False)
    im.hline(13, 17, 7, RED)
    im.hline(13, 17, 8, RED)
    for (x, y) in ((14, 10), (16, 10), (15, 11), (16, 11)):
        im.put(x, y, MID)
    im.put(15, 10, BLUE)


@picture(26)
def month_calendar(im):
    im.box(1, 2, 18, 18, WHITE, INK)
    im.rect(2, 3, 17, 6, RED)
    im.hline(2, 17, 3, (232, 104, 94))
    im.vline(5, 1, 4, INK)
    im.vline(14, 1, 4, INK)
    im.hline(7, 12, 5, WHITE)
    for row in range(4):
        for col in range(5):
            x, y = 3 + col * 3, 8 + row * 3
            if row == 3 and col > 2:
                continue
            im.rect(x, y, x + 1, y + 1, LINE)
    im.rect(9, 10, 11, 12, BLUE)


@picture(27)
def ip_address(im):
    # Four numbers with the dots set a pixel low, so they read as separators.
    im.box(0, 5, 19, 14, WHITE, INK)
    for i, part in enumerate('1920'):
        x = 2 + 4 * i
        im.text(x, 7, part, TEXT)
        if i < 3:
            im.put(x + 3, 12, BLUE)
    im.hline(1, 18, 6, (232, 236, 242))


@picture(28)
def animation(im):
    im.box(1, 2, 18, 17, DARK, INK)
    for x in range(3, 18, 3):
        im.put(x, 3, WHITE)
        im.put(x, 16, WHITE)
    for (x0, c0, c1) in ((3, (120, 180, 244), BLUE), (11, (150, 210, 160), GREEN)):
        im.vgrad(x0, 5, x0 + 5, 14, c0, c1)
    # A ball bouncing from frame to frame.
    im.rect(4, 11, 5, 12, YELLOW)
    im.rect(14, 7, 15, 8, YELLOW)


@picture(29)
def link(im):
    a = ring(sd_segment(5.0, 14.5, 8.5, 11.0, 2.9), 2.2)
    b = ring(sd_segment(11.5, 9.0, 15.0, 5.5, 2.9), 2.2)
    im.shape(a, BLUE)
    im.shape(b, BLUE_DK)
    # Each link passes over the other at one crossing, with a clear pixel gap
    # around it, so the two read as interlocked.
    for over, col, (cx, cy) in ((a, BLUE, (11.2, 11.6)), (b, BLUE_DK, (8.4, 8.4))):
        near = sd_circle(cx, cy, 2.2)
        im.shape(intersect(grow(over, 0.9), near), None)
        im.shape(intersect(over, grow(near, 1.0)), col)


@picture(30)
def pager(im):
    im.box(0, 5, 19, 14, None, INK)
    im.vgrad(1, 6, 18, 13, WHITE, SHADE)
    for (x0, x1, d) in ((1, 4, 'left'), (15, 18, 'right')):
        im.rect(x0, 6, x1, 13, FACE)
        arrow(im, (x0 + x1) // 2 + (1 if d == 'left' else 0), 9, d, INK, 2)
        arrow(im, (x0 + x1) // 2 + (1 if d == 'left' else 0), 10, d, INK, 2)
    im.vline(5, 6, 13, MID)
    im.vline(14, 6, 13, MID)
    im.box(6, 8, 9, 11, BLUE, BLUE_DK, round_=False)
    im.box(11, 8, 14, 11, GREEN, GREEN_DK, round_=False)
    im.vline(14, 6, 13, MID)


@picture(31)
def mdi_client(im):
    im.box(0, 1, 19, 18, GREY_BG, INK)
    back = ((170, 196, 226), (130, 164, 206))
    window(im, 2, 3, 12, 11, client=(236, 240, 246), title=back, title_h=2, buttons=False)
    window(im, 7, 8, 17, 16, title_h=2, buttons=False)
    im.hline(9, 14, 13, LINE)


@picture(32)
def popup_menu(im):
    im.rect(4, 3, 17, 19, (196, 202, 212))   # drop shadow
    im.box(2, 1, 16, 18, WHITE, INK, round_=False)
    im.rect(3, 2, 5, 17, FACE)
    im.hline(7, 13, 4, TEXT)
    im.rect(3, 6, 15, 8, BLUE)
    im.hline(7, 12, 7, WHITE)
    im.hline(7, 14, 10, PALE)
    im.hline(7, 11, 12, TEXT)
    im.hline(7, 11, 15, TEXT)
    arrow(im, 14, 15, 'right', INK, 2)
    im.put(4, 7, WHITE)


@picture(33)
def icon_title(im):
    window(im, 5, 1, 14, 9, title_h=2, buttons=False)
    im.hline(7, 11, 6, LINE)
    im.box(1, 12, 18, 17, BLUE, BLUE_DK)
    im.hline(3, 16, 14, WHITE)
    im.hline(5, 13, 15, (190, 214, 246))


@picture(34)
def task_switch(im):
    im.box(0, 3, 19, 16, DARK, INK)
    for i, x in enumerate((2, 8, 14)):
        if i == 1:
            im.frame(x - 1, 5, x + 5, 14, BLUE_LT)
        im.rect(x, 6, x + 3, 7, TITLE_BOT if i == 1 else (110, 130, 160))
        im.rect(x, 8, x + 3, 11, (236, 240, 246) if i == 1 else (176, 186, 200))
        im.hline(x, x + 3, 13, (200, 208, 220) if i == 1 else MID)


@picture(35)
def browser(im):
    cx, cy, r = 10, 10, 8.3
    im.outlined(sd_circle(cx, cy, r), lambda x, y: mix((112, 178, 246), BLUE, (y - 2) / 16), INK)
    lines = (200, 228, 255)
    disc = sd_circle(cx, cy, r - 0.2)
    im.shape(intersect(ring(sd_ellipse(cx, cy, 3.6, r), 0.9), disc), lines)
    im.shape(intersect(sd_box(cx - 0.5, 2, cx + 0.5, 18), disc), lines)
    im.shape(intersect(sd_box(2, cy - 0.5, 18, cy + 0.5), disc), lines)
    im.shape(intersect(sd_box(2, 5.5, 18, 6.5), disc), lines)
    im.shape(intersect(sd_box(2, 13.5, 18, 14.5), disc), lines)
    # A green land patch.
    im.shape(intersect(sd_polygon([(3, 8), (6.5, 7), (8, 11), (6, 15), (3.5, 12)]), disc), GREEN)


@picture(36)
def console(im):
    top = window(im, 1, 2, 18, 17, client=DARK, title=((120, 130, 146), (86, 96, 112)))
    green = (120, 230, 140)
    im.art(3, top + 2, ['#..', '.#.', '..#', '.#.', '#..'], {'#': green})
    im.hline(7, 10, top + 6, (220, 226, 234))


@picture(37)
def taskbar(im):
    im.box(0, 1, 19, 18, None, INK)
    im.vgrad(1, 2, 18, 12, (116, 176, 240), (196, 226, 252))
    im.rect(1, 12, 18, 17, DARK)
    im.hline(1, 18, 12, (84, 96, 116))
    im.rect(2, 14, 4, 16, BLUE_LT)
    im.put(3, 15, WHITE)
    im.rect(6, 14, 9, 16, (84, 96, 116))
    im.hline(6, 9, 16, BLUE_LT)
    im.rect(11, 14, 12, 16, (84, 96, 116))
    # Tray: an icon and the clock.
    im.put(14, 14, GREEN_LT)
    im.hline(15, 17, 16, (200, 208, 220))
    im.put(16, 14, YELLOW)
    # A desktop window above the bar.
    im.box(5, 4, 13, 10, WHITE, INK)
    im.hline(6, 12, 5, TITLE_BOT)


@picture(38)
def folder(im):
    edge = YELLOW_DK
    im.box(1, 3, 8, 6, (236, 176, 52), edge)
    im.box(1, 5, 18, 17, (236, 176, 52), edge)
    im.box(4, 3, 15, 12, WHITE, MID, round_=False)
    im.hline(6, 12, 6, LINE)
    im.hline(6, 11, 8, LINE)
    im.outlined(grow(sd_box(1, 8, 19, 18, 1.0), -1), lambda x, y: mix(YELLOW_LT, YELLOW, (y - 9) / 8), edge)


@picture(39)
def ime(im):
    im.box(1, 1, 11, 11, WHITE, INK)
    im.art(3, 3, ['..#..', '.#.#.', '.#.#.', '#...#', '#####', '#...#', '#...#'], {'#': INK})
    im.box(7, 7, 18, 18, BLUE, BLUE_DK)
    im.art(9, 9, [
        '...#...',
        '#######',
        '.#...#.',
        '..#.#..',
        '...#...',
        '.##.##.',
        '#.....#',
    ], {'#': WHITE})


def hidden_frame(im):
    im.rect(2, 3, 17, 16, (248, 249, 251))
    im.dashed(1, 2, 18, 17, MID, 2, 2)


@picture(40)
def com_helper(im):
    hidden_frame(im)
    g = gear(10, 10, 6.8, 4.6, 8, 1.9)
    im.outlined(g, lambda x, y: mix((150, 162, 180), (104, 116, 134), (y - 4) / 12), INK)


@picture(41)
def hidden_helper(im):
    hidden_frame(im)
    im.box(4, 6, 15, 14, WHITE, INK, round_=False)
    im.line(5, 7, 9, 11, MID)
    im.line(14, 7, 10, 11, MID)
    im.put(9, 11, MID)
    im.put(10, 11, MID)


@picture(42)
def panel(im):
    im.box(1, 3, 18, 16, FACE, INK)
    im.hline(2, 17, 4, WHITE)
    im.vline(2, 4, 15, WHITE)
    im.hline(2, 17, 15, (176, 184, 198))
    im.vline(17, 4, 15, (176, 184, 198))
    im.box(4, 6, 15, 13, None, (190, 198, 210), round_=False)
    im.hline(5, 14, 7, WHITE)
    im.vline(5, 7, 12, WHITE)
    im.hline(7, 12, 10, TEXT)


@picture(43)
def desktop(im):
    im.box(0, 1, 19, 15, None, INK)
    im.vgrad(1, 2, 18, 14, (60, 130, 220), (150, 200, 250))
    hill = sd_ellipse(13, 20, 13, 7)
    im.shape(intersect(hill, sd_box(1, 2, 19, 14)), (196, 226, 252))
    # A window on the screen.
    im.box(3, 4, 10, 9, WHITE, BLUE_DK)
    im.hline(4, 9, 5, TITLE_BOT)
    im.rect(8, 16, 11, 16, MID)
    im.box(5, 17, 14, 19, SHADE, INK, round_=True)


@picture(44)
def form(im):
    top = window(im, 1, 2, 18, 17, client=FACE)
    for y in range(top + 1, 17, 2):
        for x in range(3, 18, 2):
            im.put(x, y, LINE)
    im.box(4, 10, 12, 13, WHITE, MID, round_=False)
    im.hline(6, 9, 11, BLUE)


@picture(45)
def grid(im):
    im.box(1, 2, 18, 17, WHITE, INK)
    im.rect(2, 3, 17, 5, FACE)
    im.rect(2, 3, 5, 16, FACE)
    for y in (6, 9, 12, 15):
        im.hline(2, 17, y, PALE if y != 6 else MID)
    for x in (6, 11, 15):
        im.vline(x, 3, 16, PALE if x != 6 else MID)
    im.frame(6, 9, 11, 12, BLUE)
    im.rect(7, 10, 10, 11, BLUE_PALE)
    im.hline(7, 9, 4, TEXT)
    im.hline(12, 14, 4, TEXT)


@picture(46)
def app_window(im):
    top = window(im, 1, 2, 18, 17)
    im.hline(3, 10, top + 2, BLUE_LT)
    im.hline(3, 14, top + 4, LINE)
    im.hline(3, 12, top + 6, LINE)
    im.hline(3, 8, top + 8, LINE)


@picture(47)
def embedded_object(im):
    # A puzzle piece: knobs on top and right, a socket on the left.
    fill = lambda x, y: mix((126, 210, 142), GREEN, (y - 2) / 16)
    im.art(0, 0, [
        '....................',
        '......####..........',
        '.....#gggg#.........',
        '.....#gggg#.........',
        '......#gg#..........',
        '.######gg######.....',
        '.#llllgggggggg#.....',
        '.#lggggggggggg#.....',
        '.#gggggggggggg#.....',
        '.#g###gggggggg#.###.',
        '.##...#ggggggg##ggg#',
        '......#gggggggggggg#',
        '......#gggggggggggg#',
        '.##...#ggggggg##ggg#',
        '.#g###gggggggg#.###.',
        '.#gggggggggggg#.....',
        '.#gggggggggggg#.....',
        '.#gggggggggggg#.....',
        '..############......',
    ], {'#': GREEN_DK, 'g': fill, 'l': (190, 236, 198)})


@picture(48)
def render_surface(im):
    top = sd_polygon([(10, 1.5), (18, 5.5), (10, 9.5), (2, 5.5)])
    left = sd_polygon([(2, 5.5), (10, 9.5), (10, 18.5), (2, 14.5)])
    right = sd_polygon([(10, 9.5), (18, 5.5), (18, 14.5), (10, 18.5)])
    im.shape(grow(union(top, left, right), 0.9), INK)
    im.shape(top, (252, 196, 120))
    im.shape(left, ORANGE)
    im.shape(right, ORANGE_DK)


@picture(49)
def custom_control(im):
    im.box(4, 5, 15, 14, BLUE_PALE, BLUE, round_=False)
    im.hline(6, 11, 8, BLUE)
    im.hline(6, 13, 11, BLUE_LT)
    im.dashed(2, 3, 17, 16, MID, 1, 1)
    for (x, y) in ((2, 3), (9, 3), (17, 3), (2, 9), (17, 9), (2, 16), (9, 16), (17, 16)):
        hx, hy = min(max(x - 1, 0), 17), min(max(y - 1, 0), 17)
        im.rect(hx, hy, hx + 2, hy + 2, INK)
        im.put(hx + 1, hy + 1, WHITE)


# ---------------------------------------------------------------------------
# Toolbar images, 32x32
# ---------------------------------------------------------------------------

TOOL_SIZE = 32
TOOLS = {}


def tool(index):
    def register(fn):
        TOOLS[index] = fn
        return fn
    return register


def node_box(im, x, y, plus):
    """A 9x9 expand/collapse box with a minus, or a plus when plus is true."""
    im.box(x, y, x + 8, y + 8, None, INK)
    im.vgrad(x + 1, y + 1, x + 7, y + 7, WHITE, SHADE)
    im.hline(x + 2, x + 6, y + 4, BLUE_DK)
    if plus:
        im.vline(x + 4, y + 2, y + 6, BLUE_DK)


def branch_dots(im, x0, y0, x1, y1):
    for y in range(y0, y1 + 1, 2):
        im.put(x0, y, MID)
    for x in range(x0, x1 + 1, 2):
        im.put(x, y1, MID)


def double_chevron(im, cx, cy, up, fill, edge):
    for k in (0, 5):
        dy = -k if up else k
        tip = cy + dy + (-3 if up else 3)
        base = cy + dy + (3 if up else -3)
        shape = sd_polygon([(cx - 5.5, base), (cx, tip), (cx + 5.5, base), (cx + 5.5, base + (-2.5 if up else 2.5)),
                            (cx, tip + (-2.5 if up else 2.5)), (cx - 5.5, base + (-2.5 if up else 2.5))])
        im.outlined(shape, fill, edge)


@tool(0)
def expand_all(im):
    node_box(im, 2, 2, False)
    im.hline(12, 16, 6, TEXT)
    branch_dots(im, 6, 12, 9, 15)
    node_box(im, 10, 11, False)
    im.hline(21, 29, 16, TEXT)
    for y in (22, 28):
        branch_dots(im, 14, 21, 17, y)
        im.box(18, y - 2, 22, y + 2, YELLOW, YELLOW_DK, round_=False)
        im.hline(24, 29, y, LINE)
    double_chevron(im, 25, 4, False, GREEN_LT, GREEN_DK)


@tool(1)
def collapse_all(im):
    for y in (3, 13, 23):
        node_box(im, 2, y, True)
        im.hline(13, 21 if y != 13 else 18, y + 4, TEXT)
        im.hline(13, 17 if y != 13 else 20, y + 5, LINE)
    for y in (12, 22):
        im.put(6, y, MID)
    double_chevron(im, 25, 17, True, GREEN_LT, GREEN_DK)


@tool(2)
def rescan(im):
    fill = lambda x, y: mix((96, 200, 120), GREEN, (y - 3) / 26)
    for a0, a1, tip in ((200, 330, 330), (20, 150, 150)):
        band = sd_arc(16, 16, 10.5, a0, a1, 4.2)
        a = math.radians(tip)
        tx, ty = 16 + math.cos(a) * 10.5, 16 + math.sin(a) * 10.5
        # Arrow head: a triangle across the band, pointing along the sweep.
        nx, ny = math.cos(a), math.sin(a)          # radial
        gx, gy = -math.sin(a), math.cos(a)         # tangent, direction of the sweep
        head = sd_polygon([(tx + nx * 6.0, ty + ny * 6.0), (tx - nx * 6.0, ty - ny * 6.0),
                           (tx + gx * 6.5, ty + gy * 6.5)])
        im.shape(grow(union(band, head), 1.0), GREEN_DK)
        im.shape(union(band, head), fill)


def magnifier(im, cx, cy, r, handle_to, glass=(214, 236, 252)):
    hx, hy = handle_to
    a = math.atan2(hy - cy, hx - cx)
    sx, sy = cx + math.cos(a) * (r + 1.5), cy + math.sin(a) * (r + 1.5)
    grip = sd_segment(sx + math.cos(a) * 2.5, sy + math.sin(a) * 2.5, hx, hy, 2.4)
    im.outlined(grip, lambda x, y: mix((150, 110, 70), (100, 64, 36), (x + y - 36) / 20), INK)
    im.shape(sd_segment(cx, cy, sx + math.cos(a) * 2.5, sy + math.sin(a) * 2.5, 1.4), MID)
    im.outlined(ring(sd_circle(cx, cy, r), 2.6), lambda x, y: mix((150, 160, 176), (96, 106, 122), (y - cy + r) / (2 * r)), INK, 0.9)
    im.shape(sd_circle(cx, cy, r - 1.3), glass)
    im.shape(sd_arc(cx, cy, r - 3.2, 190, 250, 1.3), WHITE)


@tool(3)
def find_mask(im):
    magnifier(im, 13, 13, 9, (28, 28))
    im.art(9, 9, [
        '...#...',
        '#..#..#',
        '.#####.',
        '..###..',
        '.#####.',
        '#..#..#',
        '...#...',
    ], {'#': BLUE_DK})


@tool(4)
def save(im):
    body = sd_polygon([(3, 3), (25, 3), (29, 7), (29, 29), (3, 29)])
    im.outlined(grow(body, -0.5), lambda x, y: mix((80, 146, 226), BLUE_DK, (y - 3) / 26), INK)
    im.box(8, 3, 24, 14, WHITE, INK, round_=False)
    for y in (6, 8, 10):
        im.hline(10, 22, y, LINE)
    im.hline(10, 18, 12, BLUE_LT)
    im.box(9, 19, 23, 29, (214, 220, 230), INK, round_=False)
    im.rect(18, 21, 20, 27, (110, 120, 136))
    im.hline(10, 22, 20, WHITE)


@tool(5)
def find_next(im):
    magnifier(im, 11, 11, 8, (21, 21))
    im.hline(9, 13, 9, LINE)
    im.hline(8, 14, 11, LINE)
    im.hline(9, 12, 13, LINE)
    shaft = sd_box(16, 22, 25, 27)
    head = sd_polygon([(23, 18), (31, 24.5), (23, 31)])
    im.outlined(union(shaft, head), lambda x, y: mix((112, 214, 136), GREEN, (y - 18) / 13), GREEN_DK)


@tool(6)
def handles_as(im):
    im.box(1, 6, 30, 25, None, BLUE_DK)
    im.vgrad(2, 7, 29, 24, (236, 244, 254), (196, 220, 248))
    im.hline(2, 29, 7, WHITE)
    im.text(3, 11, '0x', BLUE_DK, BIG)
    # Two hex digits after the prefix, on the same baseline as the "x".
    hexd = (76, 110, 160)
    im.art(18, 14, ['####', '#...', '###.', '#...', '####'], {'#': hexd})
    im.art(23, 14, ['####', '#...', '###.', '#...', '#...'], {'#': hexd})
    im.hline(3, 27, 22, BLUE_LT)


@tool(7)
def expand_node(im):
    # The selected node, its plus box, and a green arrow opening it onto children.
    im.rect(1, 3, 30, 13, BLUE_PALE)
    im.frame(1, 3, 30, 13, BLUE_LT)
    node_box(im, 3, 4, True)
    im.rect(14, 6, 28, 10, BLUE)
    im.hline(16, 26, 8, WHITE)
    for y in (21, 28):
        branch_dots(im, 7, 15, 12, y)
        im.box(13, y - 2, 17, y + 2, YELLOW, YELLOW_DK, round_=False)
        im.hline(19, 23, y, LINE)
    shaft = sd_box(25, 14, 29, 22)
    head = sd_polygon([(21.5, 21), (32.5, 21), (27, 27.5)])
    im.outlined(union(shaft, head), lambda x, y: mix((112, 214, 136), GREEN, (y - 14) / 13), GREEN_DK)


@tool(8)
def by_hierarchy(im):
    # A parent window with two child windows hanging from it.
    window(im, 2, 2, 17, 13)
    branch_dots(im, 7, 14, 12, 20)
    branch_dots(im, 7, 14, 12, 28)
    window(im, 13, 16, 29, 23, buttons=False)
    im.hline(15, 27, 21, LINE)
    window(im, 13, 25, 29, 31, buttons=False)


@tool(9)
def by_process(im):
    # A gear for the process, its threads as two strands, each holding a window.
    im.outlined(gear(9, 9, 8, 5.5, 8, 2.5), lambda x, y: mix((150, 160, 176), (96, 106, 122), y / 18), INK)
    for y, fill in ((19, ORANGE), (27, GREEN)):
        branch_dots(im, 9, 17, 13, y)
        im.box(14, y - 2, 18, y + 2, fill, INK, round_=False)
        window(im, 20, y - 4, 31, y + 3, buttons=False)


# ---------------------------------------------------------------------------
# Strips and files
# ---------------------------------------------------------------------------

def strip(count, size, drawers):
    out = Img(count * size, size)
    for i in range(count):
        im = Img(size, size)
        if i in drawers:
            drawers[i](im)
        out.blit(im, i * size, 0)
    return out


def bmp24(im):
    stride = (im.w * 3 + 3) & ~3
    pad = b'\0' * (stride - im.w * 3)
    rows = []
    for y in range(im.h - 1, -1, -1):          # bottom-up
        row = bytearray()
        for c in im.p[y]:
            c = KEY if c is None else c
            assert c == KEY or tuple(c) != KEY
            row += bytes((c[2], c[1], c[0]))
        rows.append(bytes(row) + pad)
    bits = b''.join(rows)
    info = struct.pack('<IiiHHIIiiII', 40, im.w, im.h, 1, 24, 0, len(bits), 2835, 2835, 0, 0)
    filehdr = struct.pack('<2sIHHI', b'BM', 14 + 40 + len(bits), 0, 0, 14 + 40)
    return filehdr + info + bits


def png_bytes(rows):
    h, w = len(rows), len(rows[0])
    raw = b''.join(b'\0' + b''.join(bytes(p) for p in row) for row in rows)

    def chunk(tag, data):
        return (struct.pack('>I', len(data)) + tag + data
                + struct.pack('>I', zlib.crc32(tag + data) & 0xffffffff))
    return (b'\x89PNG\r\n\x1a\n'
            + chunk(b'IHDR', struct.pack('>IIBBBBB', w, h, 8, 2, 0, 0, 0))
            + chunk(b'IDAT', zlib.compress(raw, 9))
            + chunk(b'IEND', b''))


# ---------------------------------------------------------------------------
# Class names -> pictures. Written in this order: exact names first under
# each index; masks are tried in file order, so narrow masks come before
# general ones and the broadest masks close the file.
# ---------------------------------------------------------------------------

CLASSES = [
    (1, ['!#32770']),
    (2, ['!Button', '!TButton', '!TBitBtn', '!TToggleSwitch',
         '?WindowsForms10.BUTTON.*']),
    (3, ['!TCheckBox', '!TDBCheckBox']),
    (4, ['!TRadioButton']),
    (5, ['!TGroupBox', '!TRadioGroup', '!TDBRadioGroup']),
    (6, ['!Edit', '!TEdit', '!TMaskEdit', '!TDBEdit', '!TLabeledEdit', '!TButtonedEdit', '!TSpinEdit',
         '!msctls_netaddress']),
    (7, ['!RichEdit', '!RichEdit20A', '!RichEdit20W', '!RICHEDIT50W', '!RICHEDIT60W', '!TMemo', '!TDBMemo',
         '!TRichEdit', '!TDBRichEdit', '!Scintilla',
         '?WindowsForms10.RichEdit*', '?RichEdit*']),
    (6, ['?WindowsForms10.EDIT.*']),
    (8, ['!Static', '!TStaticText', '!NativeFontCtl',
         '?WindowsForms10.STATIC.*']),
    (9, ['!TDBImage']),
    (10, ['!ListBox', '!TListBox', '!TDBListBox', '!TCheckListBox', '!TFileListBox', '!TDirectoryListBox',
          '!TDBLookupListBox',
          '?WindowsForms10.LISTBOX.*']),
    (11, ['!ComboBox', '!ComboBoxEx32', '!ComboLBox', '!TComboBox', '!TComboBoxEx', '!TDBComboBox',
          '!TDBLookupComboBox', '!TDriveComboBox', '!TFilterComboBox', '!TColorBox', '!Auto-Suggest Dropdown',
          '?WindowsForms10.COMBOBOX.*']),
    (12, ['!ScrollBar', '!TScrollBar',
          '?WindowsForms10.SCROLLBAR.*']),
    (13, ['!SysTreeView32', '!TTreeView', '!NamespaceTreeControl',
          '?WindowsForms10.SysTreeView32.*']),
    (14, ['!SysListView32', '!TListView',
          '?WindowsForms10.SysListView32.*']),
    (15, ['!SysHeader32', '!THeaderControl', '!THeader']),
    (16, ['!SysTabControl32', '!TTabControl', '!TPageControl', '!TTabSet', '!TTabbedNotebook',
          '?WindowsForms10.SysTabControl32.*']),
    (17, ['!ToolbarWindow32', '!TToolBar', '!TActionToolBar', '!TActionMainMenuBar',
          '?WindowsForms10.ToolbarWindow32.*', '?AfxControlBar*']),
    (18, ['!ReBarWindow32', '!TCoolBar', '!TControlBar']),
    (19, ['!msctls_statusbar32', '!TStatusBar',
          '?WindowsForms10.msctls_statusbar32.*']),
    (20, ['!msctls_progress32', '!TProgressBar',
          '?WindowsForms10.msctls_progress32.*']),
    (21, ['!msctls_trackbar32', '!TTrackBar',
          '?WindowsForms10.msctls_trackbar32.*']),
    (22, ['!msctls_updown32', '!TUpDown', '!TSpinButton',
          '?WindowsForms10.msctls_updown32.*']),
    (23, ['!msctls_hotkey32', '!THotKey']),
    (24, ['!tooltips_class32', '!THintWindow', '!TBalloonHint',
          '?WindowsForms10.tooltips_class32.*']),
    (25, ['!SysDateTimePick32', '!TDateTimePicker',
          '?WindowsForms10.SysDateTimePick32.*']),
    (26, ['!SysMonthCal32', '!TMonthCalendar', '!TCalendar',
          '?WindowsForms10.SysMonthCal32.*']),
    (27, ['!SysIPAddress32']),
    (28, ['!SysAnimate32', '!TAnimate']),
    (29, ['!SysLink', '!TLinkLabel']),
    (30, ['!SysPager', '!TPageScroller']),
    (31, ['!MDIClient']),
    (32, ['!#32768']),
    (33, ['!#32772']),
    (34, ['!#32771', '!MultitaskingViewFrame', '!TaskSwitcherWnd', '!TaskSwitcherOverlayWnd']),
    (35, ['!Internet Explorer_Server', '!Shell Embedding', '!Shell DocObject View', '!TWebBrowser']),
    (36, ['!ConsoleWindowClass', '!PseudoConsoleWindow', '!WineConsoleClass']),
    (37, ['!Shell_TrayWnd', '!Shell_SecondaryTrayWnd', '!TrayNotifyWnd', '!MSTaskSwWClass', '!MSTaskListWClass',
          '!TrayClockWClass', '!TrayShowDesktopButtonWClass', '!NotifyIconOverflowWindow',
          '!__wine_tray_icon']),
    (38, ['!SHELLDLL_DefView', '!DirectUIHWND', '!CabinetWClass', '!ExploreWClass', '!ExplorerWClass',
          '!TShellListView', '!TShellTreeView']),
    (39, ['!IME', '!MSCTFIME UI', '!CiceroUIWndFrame', '!TF_FloatingLangBar_WndTitle',
          '?MSCTFIME*', '?IME *']),
    (40, ['!OleMainThreadWndClass', '!OleDdeWndClass', '!CicMarshalWnd', '!CicMarshalWndClass',
          '!CLIPBRDWNDCLASS', '!DDEMLEvent', '!DDEMLMom',
          '?OleMainThreadWndClass*', '?DDEML*', '?Ole*Wnd*']),
    (41, ['!Message', '!TApplication', '!TPUtilWindow', '!GDI+ Hook Window Class', '!WorkerW',
          '!CtrlNotifySink', '!UserAdapterWindowClass', '!SystemUserAdapterWindowClass',
          '!__wine_clipboard_manager',
          '?.NET-BroadcastEventWindow*', '?__wine_*', '?Wine*']),
    (42, ['!TPanel', '!TScrollBox', '!TTabSheet', '!TGridPanel', '!TFlowPanel', '!TCategoryPanelGroup',
          '!TCategoryPanel', '!TDBCtrlPanel', '!TNotebook', '!TPage']),
    (43, ['!#32769', '!Progman']),
    (44, ['?HwndWrapper*', '?AfxFrameOrView*', '?AfxMDIFrame*', '?WindowsForms10.Window.*']),
    (45, ['!TStringGrid', '!TDrawGrid', '!TDBGrid', '!TDBCtrlGrid']),
    (47, ['!TOleContainer', '?AtlAxWin*', '?ATL:*', '?AfxOleControl*']),
    (48, ['!ActiveMovie Window', '!VideoRenderer']),
    (49, ['?AfxWnd*']),
    (44, ['?Afx:*']),
    (31, ['?WindowsForms10.MDICLIENT.*']),
    (49, ['?WindowsForms10.*']),

    # Pascal class-library names: "T", then the control kind, perhaps with a vendor prefix or suffix.
    (7, ['?T*RichEdit*', '?T*Memo*']),
    (4, ['?T*RadioButton*']),
    (3, ['?T*CheckBox*']),
    (5, ['?T*GroupBox*', '?T*RadioGroup*']),
    (6, ['?T*Edit*']),
    (2, ['?T*Button*', '?T*BitBtn*']),
    (8, ['?T*StaticText*', '?T*Label*']),
    (9, ['?T*Image*']),
    (10, ['?T*ListBox*']),
    (11, ['?T*ComboBox*']),
    (12, ['?T*ScrollBar*']),
    (13, ['?T*TreeView*']),
    (14, ['?T*ListView*']),
    (16, ['?T*PageControl*', '?T*TabControl*']),
    (17, ['?T*ToolBar*']),
    (18, ['?T*CoolBar*', '?T*ControlBar*']),
    (19, ['?T*StatusBar*']),
    (45, ['?T*Grid*']),
    (42, ['?T*Panel*', '?T*ScrollBox*', '?T*TabSheet*']),
    (44, ['?T*Form*', '?T*Frame*']),

    # General masks: names that merely contain a kind of control.
    (7, ['?*RichEdit*', '?*Memo*']),
    (4, ['?*RadioButton*']),
    (3, ['?*CheckBox*']),
    (5, ['?*GroupBox*', '?*RadioGroup*']),
    (11, ['?*ComboBox*', '?*ComboLBox*', '?*DropDown*']),
    (10, ['?*ListBox*']),
    (13, ['?*TreeView*']),
    (14, ['?*ListView*']),
    (15, ['?*Header*']),
    (16, ['?*TabControl*', '?*TabCtrl*']),
    (17, ['?*ToolBar*']),
    (18, ['?*ReBar*', '?*CoolBar*']),
    (19, ['?*StatusBar*']),
    (20, ['?*Progress*']),
    (21, ['?*TrackBar*', '?*Slider*']),
    (22, ['?*UpDown*', '?*Spin*']),
    (23, ['?*HotKey*']),
    (24, ['?*ToolTip*', '?*Tooltips*', '?*HintWindow*', '?*Balloon*']),
    (25, ['?*DateTime*', '?*DatePick*', '?*TimePick*']),
    (26, ['?*MonthCal*', '?*Calendar*']),
    (27, ['?*IPAddress*']),
    (28, ['?*Animate*', '?*Animation*']),
    (29, ['?*SysLink*', '?*HyperLink*', '?*LinkLabel*']),
    (30, ['?*Pager*', '?*PageScroller*']),
    (31, ['?*MDIClient*']),
    (32, ['?*PopupMenu*', '?*Menu*']),
    (35, ['?*HTML*', '?*Browser*', '?*WebView*']),
    (36, ['?*Console*', '?*Terminal*']),
    (37, ['?*TrayWnd*', '?*Taskbar*']),
    (45, ['?*Grid*']),
    (9, ['?*Picture*', '?*Image*', '?*Bitmap*']),
    (12, ['?*ScrollBar*']),
    (6, ['?*Edit*']),
    (2, ['?*Button*']),
    (8, ['?*Static*', '?*Label*']),
    (47, ['?*ActiveX*', '?*OleControl*']),
    (48, ['?*Direct3D*', '?*OpenGL*', '?*Video*']),
    (42, ['?*Panel*', '?*Splitter*', '?*Container*']),
    (1, ['?*Dialog*']),
    (41, ['?*Hidden*', '?*MessageWindow*', '?*MsgWnd*', '?*Helper*']),
    (44, ['?*Form*', '?*Frame*']),
    (46, ['?*MainWindow*', '?*MainWnd*', '?*AppWindow*']),
    (49, ['?*Control*', '?*Ctrl*']),
]


def classes_dsc():
    lines, seen = [], set()
    for index, entries in CLASSES:
        assert 0 < index < CLASS_COUNT, index
        lines.append(str(index))
        for e in entries:
            assert e[0] in '!?' and e == e.strip() and len(e) > 1, e
            key = (e[0], e[1:].upper())
            assert key not in seen, 'listed twice: ' + e
            seen.add(key)
            lines.append(e)
        lines.append('')
    return ('\r\n'.join(lines)).encode('ascii')


# ---------------------------------------------------------------------------
# Preview for review: both strips scaled up on the tree's white background.
# ---------------------------------------------------------------------------

def preview_png(classes, tools, scale=4):
    per_row, gap = 10, 6
    cw = CLASS_SIZE * scale + gap
    rows_c = (CLASS_COUNT + per_row - 1) // per_row
    th = TOOL_SIZE * scale
    width = max(per_row * cw + gap, CLASS_COUNT * CLASS_SIZE + 2 * gap)
    height = rows_c * (cw + 10) + th + 3 * gap + 12 + 64
    canvas = [[(255, 255, 255)] * width for _ in range(height)]

    def put_scaled(src, sx, sy, sw, sh, dx, dy, k):
        for y in range(sh):
            for x in range(sw):
                c = src.p[sy + y][sx + x]
                if c is None:
                    continue
                for j in range(k):
                    row = canvas[dy + y * k + j]
                    for i in range(k):
                        row[dx + x * k + i] = c

    def label(n, dx, dy):
        s = str(n)
        for ch_i, ch in enumerate(s):
            g = FONT[ch]
            for j, r in enumerate(g):
                for i, v in enumerate(r):
                    if v == '#':
                        for a in range(2):
                            for b in range(2):
                                canvas[dy + j * 2 + a][dx + ch_i * 8 + i * 2 + b] = (200, 0, 0)

    for i in range(CLASS_COUNT):
        r, c = divmod(i, per_row)
        dx, dy = gap + c * cw, gap + r * (cw + 10)
        label(i, dx, dy)
        put_scaled(classes, i * CLASS_SIZE, 0, CLASS_SIZE, CLASS_SIZE, dx, dy + 12, scale)
    ty = gap + rows_c * (cw + 10) + gap
    for i in range(10):
        put_scaled(tools, i * TOOL_SIZE, 0, TOOL_SIZE, TOOL_SIZE, gap + i * (TOOL_SIZE * 3 + 4), ty, 3)
    # Actual size, as the tree and toolbar show them.
    ay = ty + TOOL_SIZE * 3 + gap
    put_scaled(classes, 0, 0, classes.w, CLASS_SIZE, gap, ay, 1)
    put_scaled(tools, 0, 0, tools.w, TOOL_SIZE, gap, ay + 24, 1)
    return png_bytes(canvas)


def write(path, data):
    with open(path, 'wb') as f:
        f.write(data)


def main(argv):
    classes = strip(CLASS_COUNT, CLASS_SIZE, PICTURES)
    tools = strip(10, TOOL_SIZE, TOOLS)
    write(os.path.join(RESOURCES, 'classicons.bmp'), bmp24(classes))
    write(os.path.join(RESOURCES, 'treetools.bmp'), bmp24(tools))
    write(os.path.join(DISCOVERY, 'Classes.dsc'), classes_dsc())
    if len(argv) == 3 and argv[1] == '--preview':
        write(argv[2], preview_png(classes, tools))


if __name__ == '__main__':
    main(sys.argv)
