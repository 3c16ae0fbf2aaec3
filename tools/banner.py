#!/usr/bin/env python3
"""Draws the About box banner of dodir: a 414x138 24-bit BMP.

  banner.py OUT.bmp [FONTHEIGHT]

With FONTHEIGHT (the window font's height in pixels, 12 at 96 dpi) the banner is drawn
for that screen: 414 x 138 multiplied by FONTHEIGHT / 12, rounded as MulDiv rounds, every
pixel computed from the shapes at that size.

A soft evening sky with a few twinkling stars and clouds, green hills, a small fan
of ruled memo sheets and a green quill that has just written a line of ink.
Everything is computed from shapes (signed distances with a one-pixel soft edge),
so the picture is smooth and always the same; only the standard library is used.
"""
import math
import sys

from pixelart import write_bmp24

W, H = 414, 138


def clamp(v, lo=0.0, hi=1.0):
    return lo if v < lo else hi if v > hi else v


def mix(a, b, t):
    return (a[0] + (b[0] - a[0]) * t, a[1] + (b[1] - a[1]) * t, a[2] + (b[2] - a[2]) * t)


# The width of one output pixel in the scene's units: shape edges stay one pixel soft.
PIXEL = 1.0


def cover(d, soft=None):
    """Coverage of a shape at signed distance d (negative inside)."""
    return clamp(0.5 - d / (soft or PIXEL))


def smooth(e0, e1, x):
    t = clamp((x - e0) / (e1 - e0))
    return t * t * (3 - 2 * t)


def box(px, py, cx, cy, hw, hh, ang, r=0.0):
    """Signed distance to a rotated rounded box; also returns the local coordinates."""
    c, s = math.cos(ang), math.sin(ang)
    dx, dy = px - cx, py - cy
    lx, ly = dx * c + dy * s, -dx * s + dy * c
    qx, qy = abs(lx) - hw + r, abs(ly) - hh + r
    out = math.hypot(max(qx, 0.0), max(qy, 0.0))
    d = out + min(max(qx, qy), 0.0) - r
    return d, lx, ly


def seg(px, py, ax, ay, bx, by):
    """Distance to a segment and the position along it (0..1)."""
    vx, vy = bx - ax, by - ay
    t = clamp(((px - ax) * vx + (py - ay) * vy) / (vx * vx + vy * vy))
    return math.hypot(px - ax - vx * t, py - ay - vy * t), t


# ---------------------------------------------------------------- the scene

SKY_TOP = (38, 70, 140)
SKY_MID = (108, 150, 212)
SKY_LOW = (236, 214, 196)

STARS = [  # x, y, size
    (22, 18, 5.0), (58, 40, 3.0), (96, 14, 4.0), (138, 32, 2.5), (176, 12, 3.5),
    (40, 66, 2.2), (214, 26, 2.2), (352, 20, 2.8), (398, 46, 3.6), (120, 58, 2.0),
]
DOTS = [(12, 44), (78, 24), (150, 8), (196, 44), (232, 10), (330, 36), (380, 10), (404, 26), (84, 62)]

CLOUDS = [  # circles (x, y, r) making two soft clouds
    [(60, 92, 14), (78, 86, 18), (98, 92, 13), (44, 98, 9), (112, 98, 8)],
    [(300, 40, 9), (312, 34, 12), (326, 40, 8)],
]

# memo sheets, back to front: centre, half size, angle (radians), paper colour, band colour
SHEETS = [
    ((198, 78), (58, 44), -0.20, (250, 246, 222), (238, 200, 90)),
    ((252, 74), (58, 44), 0.12, (240, 248, 255), (120, 170, 230)),
    ((226, 82), (60, 46), -0.03, (255, 255, 252), (92, 176, 96)),
]

# the quill: nib point and the far end of its spine
NIB = (272.0, 104.0)
TOP = (392.0, 8.0)


def sky(x, y):
    t = y / (H - 1)
    if t < 0.55:
        c = mix(SKY_TOP, SKY_MID, smooth(0.0, 0.55, t))
    else:
        c = mix(SKY_MID, SKY_LOW, smooth(0.55, 1.0, t))
    # a warm glow low on the right, where the sun has just set
    g = math.exp(-(((x - 360) / 120.0) ** 2 + ((y - 150) / 70.0) ** 2))
    return mix(c, (255, 206, 150), 0.55 * g)


def stars(c, x, y):
    for sx, sy, size in STARS:
        dx, dy = x - sx, y - sy
        r = math.hypot(dx, dy)
        if r > size * 4:
            continue
        # a soft halo and a four-pointed sparkle
        c = mix(c, (255, 250, 220), 0.35 * math.exp(-(r / (size * 0.9)) ** 2))
        th = math.atan2(dy, dx)
        reach = size * (0.28 + 0.72 * abs(math.cos(2 * th)) ** 6)
        c = mix(c, (255, 252, 235), cover(r - reach, 0.9))
    for sx, sy in DOTS:
        r = math.hypot(x - sx, y - sy)
        if r < 3:
            c = mix(c, (235, 240, 255), 0.8 * cover(r - 0.8))
    return c


def clouds(c, x, y):
    for cloud in CLOUDS:
        d = min(math.hypot(x - cx, y - cy) - r for cx, cy, r in cloud)
        if d < 4:
            a = cover(d, 3.0) * 0.85
            shade = clamp((y - min(cy for _, cy, _ in cloud)) / 30.0)
            c = mix(c, mix((255, 255, 255), (222, 214, 226), shade), a)
    return c


def hills(c, x, y):
    far = 112 + 8 * math.sin(x / 47.0 + 0.6) + 4 * math.sin(x / 19.0)
    near = 124 + 7 * math.sin(x / 61.0 + 2.2) + 3 * math.sin(x / 23.0 + 1.0)
    c = mix(c, mix((120, 170, 120), (88, 140, 96), clamp((y - far) / 25)), cover(far - y))
    c = mix(c, mix((86, 150, 84), (58, 116, 64), clamp((y - near) / 14)), cover(near - y))
    return c


def sheet(c, x, y, centre, half, ang, paper, band):
    (cx, cy), (hw, hh) = centre, half
    # a soft shadow, offset down and to the right
    ds, _, _ = box(x, y, cx + 4, cy + 5, hw, hh, ang, 3)
    c = mix(c, (30, 40, 70), 0.30 * (1 - smooth(-3, 5, ds)))
    d, lx, ly = box(x, y, cx, cy, hw, hh, ang, 3)
    a = cover(d)
    if a <= 0:
        return c
    p = paper
    top = ly + hh  # distance from the top edge, in the sheet's own frame
    # ruled lines every 10 pixels below the coloured band, and a red margin
    k = (top - 20) % 10
    line = cover(min(k, 10 - k) - 0.45) * smooth(14, 16, top)
    p = mix(p, (150, 186, 230), 0.8 * line)
    margin = cover(abs(lx + hw - 16) - 0.45) * smooth(10, 12, top)
    p = mix(p, (232, 120, 120), 0.7 * margin)
    # a little shading towards the bottom-right corner
    p = mix(p, (214, 214, 220), 0.18 * clamp((lx + ly) / (hw + hh)))
    # the band where the sheets were glued into the pad
    p = mix(p, mix(band, (255, 255, 255), 0.2 * clamp(1 - top / 4)), cover(top - 10))
    edge = cover(-d - 1.0)
    p = mix(p, (120, 126, 150), 0.55 * edge)
    return mix(c, p, a)


def ink(c, x, y):
    """The line the quill has just written on the front sheet: looping handwriting."""
    if not (INK_BOX[0] <= x <= INK_BOX[2] and INK_BOX[1] <= y <= INK_BOX[3]):
        return c
    best = min((seg(x, y, *a, *b)[0] for a, b in INK if abs(a[0] - x) < 6), default=9.0)
    return mix(c, (28, 42, 110), 0.9 * cover(best - 0.6))


def handwriting():
    """Words of slanted loops (prolate cycloids) on two ruled lines, the last one
    ending at the nib; returns the strokes as segments and their bounding box."""
    pts, segs = [], []
    pi = math.pi
    # (where the line ends, its baseline, the words as ranges of the loop parameter)
    lines = [
        (NIB[0] - 4, NIB[1] - 20.6, ((pi, 7 * pi), (9 * pi, 13 * pi))),
        (NIB[0], NIB[1] - 0.4, ((pi, 5 * pi), (7 * pi, 11 * pi))),
    ]
    for x_end, base, words in lines:
        last = words[-1][1]
        for start, end in words:
            prev = None
            n = int((end - start) * 6)
            for i in range(n + 1):
                tau = start + (end - start) * i / n
                rise = 3.4 * (1 + math.cos(tau)) * (0.8 + 0.2 * math.sin(0.45 * tau))
                hx = x_end - 2.0 * (last - tau) - 3.0 * math.sin(tau) + 0.5 * rise
                hy = base - rise + 0.035 * (x_end - hx)
                if prev:
                    segs.append((prev, (hx, hy)))
                prev = (hx, hy)
                pts.append(prev)
    xs, ys = [p[0] for p in pts], [p[1] for p in pts]
    return segs, (min(xs) - 3, min(ys) - 3, max(xs) + 3, max(ys) + 3)


def quill(c, x, y):
    ax, ay = NIB
    bx, by = TOP
    L = math.hypot(bx - ax, by - ay)
    ux, uy = (bx - ax) / L, (by - ay) / L
    dx, dy = x - ax, y - ay
    u = dx * ux + dy * uy          # along the quill, 0 at the nib
    v = -dx * uy + dy * ux         # across it
    if u < -3 or u > L + 3:
        return c
    t = u / L
    bend = 10.0 * t * t            # the feather curls gently to one side
    v -= bend
    # shadow of the feather on the things behind it
    vs = v - 4.0
    if 0.2 < t < 1.0:
        wsh = 15.0 * math.sin(math.pi * (t - 0.2) / 0.8) ** 0.7
        c = mix(c, (30, 40, 60), 0.22 * (1 - smooth(-2, 4, abs(vs) - wsh)))
    # the vane: wider on one side, tapering to both ends
    if 0.22 < t <= 1.0:
        s = (t - 0.22) / 0.78
        shape = math.sin(math.pi * s) ** 0.65 * (1 - 0.25 * s)
        wl = 15.0 * shape
        wr = 10.0 * shape
        w = wl if v < 0 else wr
        d = abs(v) - w
        a = cover(d)
        if a > 0:
            across = clamp(abs(v) / max(w, 0.1))
            base = mix((120, 200, 90), (34, 120, 52), across)
            base = mix(base, (190, 240, 150), 0.35 * clamp(1 - s * 1.4))
            # barbs: fine slanted stripes that sweep back from the spine
            k = (u * 0.9 + abs(v) * 1.3) / 3.2
            f = k - math.floor(k)
            stripe = 0.5 + 0.5 * math.cos(f * 2 * math.pi)
            base = mix(base, (20, 90, 40), 0.28 * stripe * across)
            # a few notches in the edge, as real feathers have
            notch = (abs(v) > w - 2.5) and (0.35 < s < 0.45 or 0.7 < s < 0.76) and v < 0
            if notch:
                a *= 0.15
            edge = cover(-d - 1.0)
            base = mix(base, (18, 80, 36), 0.6 * edge)
            c = mix(c, base, a)
    # the spine, pale and thin, running from the nib to the tip
    if 0.1 < t < 0.99:
        thick = 1.4 * (1 - 0.6 * t)
        c = mix(c, mix((250, 244, 214), (200, 190, 150), clamp(v / thick * 0.5 + 0.5)),
                cover(abs(v) - thick))
    # the nib: a dark metal point with a bright slit
    if t <= 0.12:
        w = 3.6 * (max(t, 0.0) / 0.12) ** 0.8
        d = abs(v) - w
        nib = mix((70, 74, 90), (30, 32, 44), clamp(v / 4 + 0.5))
        if abs(v) < 0.5 and 0.02 < t < 0.09:
            nib = (190, 196, 210)
        c = mix(c, nib, cover(d))
    return c


INK, INK_BOX = handwriting()


def pixel(x, y):
    c = sky(x, y)
    c = stars(c, x, y)
    c = clouds(c, x, y)
    c = hills(c, x, y)
    for centre, half, ang, paper, band in SHEETS:
        c = sheet(c, x, y, centre, half, ang, paper, band)
    c = ink(c, x, y)
    c = quill(c, x, y)
    # a faint vignette keeps the eye in the middle
    vx, vy = (x - W / 2) / (W / 2), (y - H / 2) / (H / 2)
    c = mix(c, (20, 26, 50), 0.10 * clamp(vx * vx + vy * vy - 0.5))
    return tuple(int(round(clamp(ch, 0, 255))) for ch in c)


def muldiv(v, num, den):
    """v * num / den rounded half away from zero, as the platform's MulDiv."""
    return (2 * v * num + den) // (2 * den)


def main(argv):
    global PIXEL
    if len(argv) not in (2, 3):
        sys.exit(__doc__)
    height = int(argv[2]) if len(argv) == 3 else 12
    w, h = muldiv(W, height, 12), muldiv(H, height, 12)
    PIXEL = W / w
    pixels = [[pixel((x + 0.5) * W / w, (y + 0.5) * H / h) for x in range(w)] for y in range(h)]
    write_bmp24(w, h, pixels, argv[1])


if __name__ == "__main__":
    main(sys.argv)
