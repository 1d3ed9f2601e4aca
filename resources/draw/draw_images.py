#!/usr/bin/python3
"""Draws the 21 editor images of Vorblex into resources/img/.

Run from anywhere:

    /usr/bin/python3 resources/draw/draw_images.py            # writes resources/img/
    /usr/bin/python3 resources/draw/draw_images.py OUTDIR     # writes elsewhere
    /usr/bin/python3 resources/draw/draw_images.py --preview FILE.png

Needs Debian's python3-pil (no other input: every glyph, icon and shape is
drawn here).  The output is bit-identical from run to run: fixed drawing
order, no randomness, no PNG metadata, fixed zlib settings.

Layout numbers (control rectangles, keyboard geometry, button grid) are the
editor's; keep them in step with the editor code when either changes.
"""

import os
import sys

try:
    from PIL import Image, ImageDraw
except ImportError:  # a non-system interpreter without PIL: use Debian's
    if os.path.exists("/usr/bin/python3") and sys.executable != "/usr/bin/python3":
        os.execv("/usr/bin/python3", ["/usr/bin/python3"] + sys.argv)
    raise

HERE = os.path.dirname(os.path.abspath(__file__))
sys.dont_write_bytecode = True      # keep the source folder clean
sys.path.insert(0, HERE)
import pixelfont as pf  # noqa: E402

# --------------------------------------------------------------------------
# Palette
# --------------------------------------------------------------------------
INK = (36, 34, 46)            # rules, bands, outlines
FRAME = (72, 68, 84)          # space around the ruled table
CELL = (236, 230, 214)        # inside of the boxes
CELL_RULE = (216, 208, 188)   # faint row / column rules inside boxes
BAND_TEXT = (250, 222, 150)   # labels printed on the dark bands
LABEL = (36, 34, 46)          # labels printed on the light cells
GLYPH = (18, 16, 24)          # value read-outs
ACCENT = (238, 110, 38)       # lit arcs, LEDs
ACCENT_DIM = (70, 34, 24)
TRACK = (186, 178, 158)       # unlit knob arc
CREAM = (250, 244, 226)
CONSOLE = (22, 21, 28)        # the dark strip and keyboard bed
TRANSPARENT = (0, 0, 0, 0)

W, H = 846, 768

# --------------------------------------------------------------------------
# Small helpers
# --------------------------------------------------------------------------


def rgba(c, a=255):
    return (c[0], c[1], c[2], a)


def mix(a, b, t):
    """Blend colour a towards b by t (0..1), integer result."""
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(3))


def new(w, h, fill=TRANSPARENT):
    return Image.new("RGBA", (w, h), fill)


def downsample(img, w, h):
    """Box-filter a supersampled drawing down, averaging premultiplied."""
    return img.convert("RGBa").resize((w, h), Image.BOX).convert("RGBA")


def save_png(img, path):
    img = img.copy()
    img.info = {}
    img.save(path, format="PNG", optimize=False, compress_level=9)


def stack(frames):
    """Stack equal frames vertically into one strip."""
    fw, fh = frames[0].size
    out = new(fw, fh * len(frames))
    for i, f in enumerate(frames):
        assert f.size == (fw, fh)
        out.paste(f, (0, i * fh))
    return out


def put(img, x, y, color):
    if 0 <= x < img.width and 0 <= y < img.height:
        img.putpixel((x, y), rgba(color) if len(color) == 3 else color)


# --------------------------------------------------------------------------
# Pixel text for the panel, buttons and about page (proportional spacing)
# --------------------------------------------------------------------------


def face_rows(code, face):
    if code < 32 or code > 126:
        code = 63
    if face == "small":
        return pf.small_rows(code)
    if face == "tall":
        return pf.tall_rows(code)
    raise ValueError(face)


def embolden(rows):
    """Pixel bold: each ink run grows one column to the right, except where
    that would close a one-pixel gap (so M, W, N and # keep their shape)."""
    out = []
    for r in rows:
        s = ""
        n = len(r)
        for c in range(n + 1):
            here = c < n and r[c] == "#"
            left = c > 0 and r[c - 1] == "#"
            right = c + 1 < n and r[c + 1] == "#"
            s += "#" if (here or (left and not right)) else "."
        out.append(s)
    return out


def layout(text, face, bold=False, scale=1):
    """Glyph placements [(rows, x)] and the run width in pixels."""
    space = (3 if face == "small" else 4) * scale
    pen = 0
    items = []
    for ch in text:
        rows = face_rows(ord(ch), face)
        if bold and ch in pf.BOLD:
            w = len(pf.BOLD[ch][0])
            rows = pf.BOLD[ch] + ["." * w] * 2
            if face == "tall":
                rows = pf.stretch(rows, ch)
        elif bold:
            rows = embolden(rows)
        span = pf.ink_span(rows)
        if span is None:
            pen += space
            continue
        items.append((rows, pen - span[0] * scale))
        pen += (span[1] - span[0] + 1) * scale + scale
    return items, max(0, pen - scale)


def text_width(text, face="tall", bold=False, scale=1):
    return layout(text, face, bold, scale)[1]


def draw_text(img, x, y, text, color, face="tall", bold=False, scale=1,
              align="left", shadow=None):
    """Draw text with its cap top at y; x is the left edge, the centre or
    the right edge by align.  Returns the run width."""
    items, w = layout(text, face, bold, scale)
    if align == "center":
        x = x - w // 2
    elif align == "right":
        x = x - w
    passes = []
    if shadow is not None:
        passes.append((shadow, scale))
    passes.append((color, 0))
    for col, off in passes:
        for rows, gx in items:
            for ry, r in enumerate(rows):
                for rx, ch in enumerate(r):
                    if ch != "#":
                        continue
                    for sy in range(scale):
                        for sx in range(scale):
                            put(img, x + gx + rx * scale + sx + off,
                                y + ry * scale + sy + off, col)
    return w


def text_image(text, color, face="tall", bold=False, scale=1):
    rows_h = (11 if face == "tall" else 9) * scale
    w = text_width(text, face, bold, scale)
    img = new(max(1, w), rows_h)
    draw_text(img, 0, 0, text, color, face, bold, scale)
    return img


def draw_text_rotated(img, cx, cy, text, color, face="tall", bold=False):
    """Text reading bottom to top, centred on (cx, cy) by its cap box."""
    t = text_image(text, color, face, bold)
    cap = 9 if face == "tall" else 7
    r = t.transpose(Image.ROTATE_90)      # cap rows end up on the left
    img.alpha_composite(r, (cx - cap // 2, cy - r.height // 2))


def draw_lines(img, cx, cy, lines, color, face="tall", bold=False, gap=3):
    """Several centred lines, the block centred vertically on cy."""
    cap = 9 if face == "tall" else 7
    total = len(lines) * cap + (len(lines) - 1) * gap
    y = cy - total // 2
    for ln in lines:
        draw_text(img, cx, y, ln, color, face, bold, align="center")
        y += cap + gap


# --------------------------------------------------------------------------
# Glyph strips (ids 115 to 118)
# --------------------------------------------------------------------------


def glyph_strip(cell_w, cell_h, face, advances, color, top, scale=1,
                replace=None):
    """One cell per code 32..255 stacked vertically.  Codes 32..126 carry
    the pixel font; the rest stay empty.  With an advance table each glyph's
    ink is centred in its advance minus one column of spacing, so no glyph
    reaches into its right-hand neighbour."""
    img = new(cell_w, cell_h * 224)
    for code in range(32, 127):
        rows = face_rows(code, face)
        if replace and code in replace:
            rows = replace[code]
        span = pf.ink_span(rows)
        if span is None:
            continue
        inkw = (span[1] - span[0] + 1) * scale
        if advances is not None:
            adv = advances[code - 32]
            x0 = max(0, (adv - 1 - inkw) // 2)
        else:
            x0 = 1
        assert x0 + inkw <= cell_w
        y0 = (code - 32) * cell_h + top
        for ry, r in enumerate(rows):
            for rx, ch in enumerate(r):
                if ch != "#":
                    continue
                for sy in range(scale):
                    for sx in range(scale):
                        px = x0 + (rx - span[0]) * scale + sx
                        py = y0 + ry * scale + sy
                        assert py < (code - 32 + 1) * cell_h
                        img.putpixel((px, py), rgba(color))
    return img


def strip_12():
    # The infinity sign replaces 'A'; it sits on the rows of the minus sign
    # (body rows 2..5) so that "-A" reads as minus infinity.
    inf = ["....."] * 2 + pf.INFINITY + ["....."] * 3
    return glyph_strip(9, 12, "small", pf.ADVANCE_12, GLYPH, 2,
                       replace={65: inf})


def strip_14(color=GLYPH):
    return glyph_strip(11, 14, "tall", pf.ADVANCE_14, color, 1)


def strip_20():
    return glyph_strip(15, 20, "small", None, GLYPH, 1, scale=2)


# --------------------------------------------------------------------------
# Knobs (ids 103, 110, 111, 113, 114)
# --------------------------------------------------------------------------

KNOB_STYLES = {
    # body, body highlight, pointer, lit arc, unlit arc
    "slate": ((64, 64, 82), (98, 98, 122), CREAM, ACCENT, TRACK),
    "red": ((176, 50, 42), (214, 92, 74), CREAM, (250, 196, 60), TRACK),
    "cream": ((226, 220, 200), (248, 244, 232), INK, ACCENT, TRACK),
    "teal": ((36, 120, 126), (70, 164, 168), CREAM, ACCENT, TRACK),
}


def knob_frame(size, v, style="slate"):
    """One knob frame, size x size, for value v in 0..1: a value arc that
    fills from 7:30 (minimum) clockwise to 4:30 (maximum) around a round
    body whose pointer points at the same angle."""
    import math
    body, hi, pointer, lit, unlit = KNOB_STYLES[style]
    S = 8
    u = size / 48.0 * S          # one design pixel in supersampled pixels
    img = new(size * S, size * S)
    d = ImageDraw.Draw(img)
    c = 24 * u
    a0, a1 = 135.0, 405.0
    av = a0 + (a1 - a0) * v

    def ring(r_out, width, start, end, col):
        box = [c - r_out, c - r_out, c + r_out, c + r_out]
        d.arc(box, start, end, fill=rgba(col), width=int(round(width)))

    def cap(angle, r_mid, rad, col):
        x = c + r_mid * math.cos(math.radians(angle))
        y = c + r_mid * math.sin(math.radians(angle))
        d.ellipse([x - rad, y - rad, x + rad, y + rad], fill=rgba(col))

    # value arc: unlit track, then the lit part from the minimum
    r_out, wd = 23 * u, 4 * u
    r_mid = r_out - wd / 2
    ring(r_out, wd, a0, a1, unlit)
    cap(a0, r_mid, wd / 2, lit)
    cap(a1, r_mid, wd / 2, lit if v >= 1.0 else unlit)
    if v > 0:
        ring(r_out, wd, a0, av, lit)
        cap(av, r_mid, wd / 2, lit)
    # shadow, body, outline
    rb = 16.5 * u
    d.ellipse([c - rb + 1.2 * u, c - rb + 2.0 * u, c + rb + 1.2 * u,
               c + rb + 2.0 * u], fill=(0, 0, 0, 70))
    d.ellipse([c - rb, c - rb, c + rb, c + rb], fill=rgba(INK))
    ri = rb - 2.2 * u
    d.ellipse([c - ri, c - ri, c + ri, c + ri], fill=rgba(hi))
    rs = ri - 1.6 * u
    d.ellipse([c - rs + 0.9 * u, c - rs + 1.3 * u, c + rs + 0.3 * u,
               c + rs + 0.6 * u], fill=rgba(body))
    # grip notches around the rim
    for k in range(12):
        ang = math.radians(k * 30 + 15)
        x = c + (ri - 0.9 * u) * math.cos(ang)
        y = c + (ri - 0.9 * u) * math.sin(ang)
        rr = 0.8 * u
        d.ellipse([x - rr, y - rr, x + rr, y + rr], fill=rgba(mix(body, INK, 0.5)))
    # pointer
    ang = math.radians(av)
    x0 = c + 4.0 * u * math.cos(ang)
    y0 = c + 4.0 * u * math.sin(ang)
    x1 = c + (ri - 2.2 * u) * math.cos(ang)
    y1 = c + (ri - 2.2 * u) * math.sin(ang)
    pw = 3.2 * u
    d.line([x0, y0, x1, y1], fill=rgba(pointer), width=int(round(pw)))
    for (x, y) in ((x0, y0), (x1, y1)):
        d.ellipse([x - pw / 2, y - pw / 2, x + pw / 2, y + pw / 2],
                  fill=rgba(pointer))
    return downsample(img, size, size)


def knob_strip(size, frames, style="slate"):
    return stack([knob_frame(size, i / (frames - 1), style)
                  for i in range(frames)])


# --------------------------------------------------------------------------
# Switches (ids 112, 120)
# --------------------------------------------------------------------------


def switch_frame(w, h, positions, pos):
    """A slide switch: a vertical slot with a thumb (bottom = first
    position) and one LED per position beside it, the current one lit."""
    img = new(w, h)
    d = ImageDraw.Draw(img)
    d.rounded_rectangle([0, 0, w - 1, h - 1], radius=3, fill=rgba(INK))
    d.rounded_rectangle([1, 1, w - 2, h - 2], radius=2, fill=rgba((52, 50, 64)))
    # slot
    sx0, sx1 = 5, 11
    d.rectangle([sx0 + 2, 3, sx1 - 2, h - 4], fill=rgba((12, 12, 16)))
    # thumb
    span = h - 6 - 6
    ty = 3 + span - (span * pos) // (positions - 1)   # top of thumb
    d.rectangle([sx0 - 1, ty - 1, sx1 + 1, ty + 6], fill=rgba(INK))
    d.rectangle([sx0, ty, sx1, ty + 5], fill=rgba(CREAM))
    d.line([sx0, ty + 5, sx1, ty + 5], fill=rgba((190, 182, 160)))
    d.line([sx0 + 1, ty + 2, sx1 - 1, ty + 2], fill=rgba((150, 144, 128)))
    d.line([sx0 + 1, ty + 3, sx1 - 1, ty + 3], fill=rgba((150, 144, 128)))
    # LEDs, top LED = last position
    lx = w - 10
    for p in range(positions):
        ly = 3 + (span * (positions - 1 - p)) // (positions - 1) + 1
        on = p == pos
        d.rectangle([lx - 1, ly - 1, lx + 5, ly + 4], fill=rgba((12, 12, 16)))
        d.rectangle([lx, ly, lx + 4, ly + 3],
                    fill=rgba(ACCENT if on else ACCENT_DIM))
        if on:
            d.point([lx + 1, ly], fill=rgba((255, 214, 150)))
    return img


def switch_strip(w, h, positions):
    return stack([switch_frame(w, h, positions, p) for p in range(positions)])


# --------------------------------------------------------------------------
# Level meters (ids 108, 109)
# --------------------------------------------------------------------------

METER_SEGMENTS = 18


def meter_frame(lit, side):
    """28 x 128: 18 LED segments in a bezel, lit from the bottom.  The two
    bottom rows stay clear for the read-out drawn under the meter."""
    w, h = 28, 128
    img = new(w, h)
    d = ImageDraw.Draw(img)
    pitch, seg = 6, 4
    top = h - 4 - METER_SEGMENTS * pitch - 3      # bezel top
    bx0, bx1 = (3, 26) if side == "L" else (1, 24)
    d.rectangle([bx0, top, bx1, h - 4], fill=rgba(INK))
    d.rectangle([bx0 + 1, top + 1, bx1 - 1, h - 5], fill=rgba((14, 14, 18)))
    for k in range(METER_SEGMENTS):        # k = 0 is the bottom segment
        y1 = h - 4 - 3 - k * pitch
        y0 = y1 - seg + 1
        if k < 12:
            on, off = (96, 214, 96), (30, 56, 34)
        elif k < 16:
            on, off = (246, 204, 52), (64, 54, 22)
        else:
            on, off = (238, 64, 44), (66, 24, 22)
        col = on if k < lit else off
        d.rectangle([bx0 + 3, y0, bx1 - 3, y1], fill=rgba(col))
        if k < lit:
            d.line([bx0 + 3, y0, bx1 - 3, y0], fill=rgba(mix(on, (255, 255, 255), 0.45)))
    return img


def meter_strip(side):
    return stack([meter_frame(i, side) for i in range(METER_SEGMENTS + 1)])


# --------------------------------------------------------------------------
# Keyboard (ids 104 to 107 and the keys at rest in the background)
# --------------------------------------------------------------------------

KEY_W, KEY_H = 10, 60
BLACK_W, BLACK_H = 6, 35
KEY_OFFSETS = [0, 7, 10, 17, 20, 30, 37, 40, 47, 50, 57, 60]
KB_X, KB_Y = 138, 707
KEY_GAP = (28, 26, 32)

WHITE_REST = {"face": (244, 240, 228), "lip": (212, 206, 192),
              "top": (188, 184, 172)}
WHITE_LIT = {"face": (255, 206, 112), "lip": (228, 156, 64),
             "top": (196, 128, 52)}
WHITE_RED = {"face": (246, 112, 96), "lip": (206, 66, 54),
             "top": (160, 44, 38)}
BLACK_REST = {"body": (18, 18, 22), "face": (58, 58, 68), "lip": (8, 8, 10)}
BLACK_LIT = {"body": (120, 54, 14), "face": (238, 122, 40), "lip": (92, 40, 10)}
BLACK_RED = {"body": (110, 20, 16), "face": (214, 52, 40), "lip": (80, 12, 10)}

# white-key frames: left notch, right notch (columns covered by black keys)
WHITE_SHAPES = [
    (0, 3),   # 1: C and F
    (3, 3),   # 2: D
    (3, 0),   # 3: E and B
    (3, 3),   # 4: G
    (3, 3),   # 5: A
    (0, 0),   # 6: the top key
]


def white_key(pal, notch_l, notch_r, pressed):
    """10 x 60.  Columns 0..8 are the key, column 9 the gap to the next
    key.  Notch areas (under the neighbouring black keys) stay transparent
    so the black keys of the background show through."""
    img = new(KEY_W, KEY_H)
    lip = 3 if pressed else 5
    shade = 2 if pressed else 1
    for y in range(KEY_H):
        for x in range(KEY_W):
            if y < BLACK_H and (x < notch_l or x >= KEY_W - notch_r):
                continue
            if x == KEY_W - 1:
                col = KEY_GAP
            elif y < shade:
                col = pal["top"]
            elif y >= KEY_H - lip:
                col = pal["lip"]
            else:
                col = pal["face"]
                if x == 0:
                    col = mix(col, (255, 255, 255), 0.35)
            img.putpixel((x, y), rgba(col))
    return img


def white_key_strip(pal):
    return stack([white_key(pal, l, r, True) for (l, r) in WHITE_SHAPES])


def black_key(pal, pressed):
    img = new(BLACK_W, BLACK_H)
    lip = 3 if pressed else 5
    for y in range(BLACK_H):
        for x in range(BLACK_W):
            if x == 0 or x == BLACK_W - 1 or y == BLACK_H - 1:
                col = pal["body"]
            elif y >= BLACK_H - 1 - lip:
                col = pal["lip"]
            else:
                col = pal["face"]
                if x == 1:
                    col = mix(col, (255, 255, 255), 0.12)
            img.putpixel((x, y), rgba(col))
    return img


def keyboard_at_rest(img):
    """The 97 keys at rest, exactly where the keyboard control draws."""
    for i in range(57):
        img.alpha_composite(white_key(WHITE_REST, 0, 0, False),
                            (KB_X + i * KEY_W, KB_Y))
    for o in range(8):
        for s in (1, 3, 6, 8, 10):
            img.alpha_composite(black_key(BLACK_REST, False),
                                (KB_X + o * 7 * KEY_W + KEY_OFFSETS[s], KB_Y))
    d = ImageDraw.Draw(img)
    d.line([KB_X - 1, KB_Y - 1, KB_X - 1, H - 1], fill=rgba(KEY_GAP))
    d.line([KB_X - 1, KB_Y - 1, KB_X + 57 * KEY_W - 1, KB_Y - 1],
           fill=rgba((80, 76, 92)))


# --------------------------------------------------------------------------
# Icons for the buttons (16 x 16, supersampled)
# --------------------------------------------------------------------------


def icon(name, fg, dark, size=16):
    """A 16-unit icon drawn at size x size pixels (supersampled)."""
    import math
    S = 8 * size // 16
    img = new(16 * S, 16 * S)
    d = ImageDraw.Draw(img)
    F, K = rgba(fg), rgba(dark)

    def P(pts):
        return [(x * S, y * S) for (x, y) in pts]

    def E(x0, y0, x1, y1, **kw):
        d.ellipse([x0 * S, y0 * S, x1 * S, y1 * S], **kw)

    if name == "reset":
        d.arc([2 * S, 2 * S, 14 * S, 14 * S], 300, 250, fill=F, width=int(2.4 * S))
        d.polygon(P([(5.0, 0.2), (10.6, 3.2), (5.0, 6.6)]), fill=F)
    elif name == "random":
        d.rounded_rectangle([1.5 * S, 1.5 * S, 14.5 * S, 14.5 * S],
                            radius=3 * S, fill=F)
        for (x, y) in ((4.8, 4.8), (11.2, 4.8), (8, 8), (4.8, 11.2), (11.2, 11.2)):
            E(x - 1.3, y - 1.3, x + 1.3, y + 1.3, fill=K)
    elif name == "coin":
        E(1, 1, 15, 15, fill=F)
        E(3, 3, 13, 13, fill=K)
        E(4.2, 4.2, 11.8, 11.8, fill=F)
        d.rectangle([7 * S, 5 * S, 9 * S, 11 * S], fill=K)
    elif name == "shoot":
        d.polygon(P([(9.5, 0.5), (2.5, 9.2), (7.6, 9.2), (6.0, 15.5),
                     (13.5, 6.4), (8.4, 6.4)]), fill=F)
    elif name == "powerup":
        pts = []
        for k in range(10):
            r = 7.6 if k % 2 == 0 else 3.3
            a = math.radians(-90 + k * 36)
            pts.append((8 + r * math.cos(a), 8.6 + r * math.sin(a)))
        d.polygon(P(pts), fill=F)
    elif name == "hit":
        pts = []
        radii = [7.8, 3.4, 6.6, 3.0, 7.6, 3.6, 6.2, 3.2, 7.8, 3.4, 6.8, 3.1]
        for k, r in enumerate(radii):
            a = math.radians(-80 + k * 30)
            pts.append((8 + r * math.cos(a), 8 + r * math.sin(a)))
        d.polygon(P(pts), fill=F)
        E(6.2, 6.2, 9.8, 9.8, fill=K)
    elif name == "jump":
        d.polygon(P([(8, 0.5), (14, 7), (10.2, 7), (10.2, 11), (5.8, 11),
                     (5.8, 7), (2, 7)]), fill=F)
        d.rectangle([1 * S, 13 * S, 15 * S, 15.2 * S], fill=F)
    elif name == "blip":
        d.polygon(P([(1.5, 2.5), (7.5, 6.5), (1.5, 10.5)]), fill=F)
        d.rectangle([9.5 * S, 3 * S, 15 * S, 5 * S], fill=F)
        d.rectangle([9.5 * S, 8 * S, 15 * S, 10 * S], fill=F)
        d.rectangle([1.5 * S, 13 * S, 15 * S, 15 * S], fill=F)
    elif name == "blade":
        d.polygon(P([(15.2, 0.8), (14.4, 4.0), (6.4, 12.0), (4.0, 9.6),
                     (12.0, 1.6)]), fill=F)
        d.line(P([(2.6, 8.0), (8.0, 13.4)]), fill=F, width=int(2.2 * S))
        d.line(P([(5.0, 11.0), (1.6, 14.4)]), fill=F, width=int(2.4 * S))
        E(0.2, 13.2, 3.0, 16.0, fill=F)
    elif name == "mutate":
        # a bubbling flask
        d.rectangle([5.6 * S, 0.6 * S, 10.4 * S, 2.4 * S], fill=F)
        d.rectangle([6.4 * S, 2 * S, 9.6 * S, 7 * S], fill=F)
        E(1.6, 4.6, 14.4, 15.6, fill=F)
        E(3.6, 8.4, 12.4, 14.2, fill=K)
        d.rectangle([3.4 * S, 8.2 * S, 12.6 * S, 10.2 * S], fill=F)
        E(5.2, 10.6, 7.4, 12.8, fill=F)
        E(8.6, 11.6, 10.2, 13.2, fill=F)
    elif name == "prev":
        d.polygon(P([(2, 8), (10, 2), (10, 14)]), fill=F)
        d.rectangle([11 * S, 6 * S, 14.5 * S, 10 * S], fill=F)
    elif name == "next":
        d.polygon(P([(14, 8), (6, 2), (6, 14)]), fill=F)
        d.rectangle([1.5 * S, 6 * S, 5 * S, 10 * S], fill=F)
    elif name == "save":
        d.polygon(P([(1.5, 1.5), (12, 1.5), (14.5, 4), (14.5, 14.5),
                     (1.5, 14.5)]), fill=F)
        d.rectangle([4 * S, 1.5 * S, 11 * S, 6 * S], fill=K)
        d.rectangle([8.5 * S, 2.4 * S, 10 * S, 5.2 * S], fill=F)
        d.rectangle([4 * S, 9 * S, 12 * S, 14.5 * S], fill=K)
    else:
        raise ValueError(name)
    return downsample(img, size, size)


def paste_shadowed(dst, src, x, y, shadow_col):
    sh = new(src.width, src.height, rgba(shadow_col))
    sh.putalpha(src.getchannel("A"))
    dst.alpha_composite(sh, (x + 1, y + 1))
    dst.alpha_composite(src, (x, y))


# --------------------------------------------------------------------------
# Buttons (ids 119, 121)
# --------------------------------------------------------------------------

# In strip order: (caption, icon, face colour).  The strip order is the one
# the editor's first-frame table expects (Blade third, Shoot ninth).
BIG_BUTTONS = [
    ("RESET", "reset", (128, 128, 144)),
    ("RANDOM", "random", (136, 88, 196)),
    ("PICKUP/COIN", "coin", (222, 162, 24)),
    ("BLADE", "blade", (86, 114, 148)),
    ("POWERUP", "powerup", (64, 164, 78)),
    ("HIT/HURT", "hit", (224, 104, 40)),
    ("JUMP", "jump", (52, 142, 214)),
    ("BLIP/SELECT", "blip", (32, 156, 156)),
    ("SHOOT", "shoot", (212, 58, 50)),
    ("MUTATE", "mutate", (190, 66, 142)),
]

SMALL_BUTTONS = [
    ("PREV", "prev", True),
    ("NEXT", "next", False),
    ("SAVE", "save", True),
]


def button_frame(w, h, state, caption, icon_name, face, margin=2, radius=6,
                 depth=4, text_col=CREAM, icon_left=True, bold=True):
    """state 0 normal, 1 mouse over, 2 pressed.  The button sits on a
    transparent margin so neighbouring buttons of a grid stay apart."""
    S = 4
    img = new(w * S, h * S)
    d = ImageDraw.Draw(img)
    if state == 1:
        face = mix(face, (255, 255, 255), 0.14)
    elif state == 2:
        face = mix(face, (0, 0, 0), 0.16)
    lip = mix(face, (0, 0, 0), 0.38)
    x0, y0, x1, y1 = margin, margin, w - margin, h - margin
    push = depth if state == 2 else 0
    # outline and lip
    d.rounded_rectangle([x0 * S, (y0 + push) * S, x1 * S, y1 * S],
                        radius=radius * S, fill=rgba(INK))
    b = 2
    if state != 2:
        d.rounded_rectangle([(x0 + b) * S, (y0 + b) * S, (x1 - b) * S,
                             (y1 - b) * S], radius=(radius - 2) * S,
                            fill=rgba(lip))
    d.rounded_rectangle([(x0 + b) * S, (y0 + b + push) * S, (x1 - b) * S,
                         (y1 - b - (depth if state != 2 else 0)) * S],
                        radius=(radius - 2) * S, fill=rgba(face))
    # highlight line along the top of the face (not when pressed)
    if state != 2:
        hl = mix(face, (255, 255, 255), 0.45)
        d.rounded_rectangle([(x0 + b + 3) * S, (y0 + b + 1) * S,
                             (x1 - b - 3) * S, (y0 + b + 2) * S],
                            radius=1 * S, fill=rgba(hl))
    if state == 1:
        d.rounded_rectangle([(x0 + b) * S, (y0 + b) * S, (x1 - b) * S,
                             (y1 - b - depth) * S], radius=(radius - 2) * S,
                            outline=rgba((255, 246, 200)), width=S)
    img = downsample(img, w, h)
    # caption and icon, centred on the face
    face_top = y0 + b + push
    face_bot = y1 - b - (depth if state != 2 else 0)
    cy = (face_top + face_bot) // 2
    dark = mix(face, (0, 0, 0), 0.55)
    ic = icon(icon_name, text_col, face) if icon_name else None
    tw = text_width(caption, "tall", bold)
    gap = 5 if ic is not None else 0
    total = tw + gap + (16 if ic is not None else 0)
    x = (w - total) // 2
    if ic is not None and icon_left:
        paste_shadowed(img, ic, x, cy - 8, dark)
        x += 16 + gap
    draw_text(img, x, cy - 4, caption, text_col, "tall", bold, shadow=dark)
    x += tw + gap
    if ic is not None and not icon_left:
        paste_shadowed(img, ic, x, cy - 8, dark)
    return img


def big_buttons():
    frames = []
    for caption, ic, face in BIG_BUTTONS:
        for state in range(3):
            frames.append(button_frame(108, 50, state, caption, ic, face))
    return stack(frames)


def small_buttons():
    frames = []
    for caption, ic, icon_left in SMALL_BUTTONS:
        for state in range(3):
            frames.append(button_frame(76, 30, state, caption, ic,
                                       (92, 96, 120), margin=1, radius=5,
                                       depth=3, icon_left=icon_left))
    return stack(frames)


# --------------------------------------------------------------------------
# Dot-matrix lettering (the name strip and the about page)
# --------------------------------------------------------------------------


def dot_matrix(img, x, y, text, pitch, dot, on, off=None, cols=None,
               rows=7, shade=None):
    """Light the dots of text in a 5 x 7 dot grid at (x, y).  With cols the
    whole panel of cols x rows dots is drawn and the text is centred in it."""
    d = ImageDraw.Draw(img)
    glyph_cols = len(text) * 6 - 1
    lit = set()
    start = 0 if cols is None else (cols - glyph_cols) // 2
    for i, ch in enumerate(text):
        rows_ = pf.small_rows(ord(ch))
        for ry in range(7):
            for rx in range(5):
                if rows_[ry][rx] == "#":
                    lit.add((start + i * 6 + rx, ry))
    ncols = glyph_cols if cols is None else cols
    for gy in range(rows):
        for gx in range(ncols):
            is_on = (gx, gy) in lit
            if not is_on and off is None:
                continue
            col = on if is_on else off
            px, py = x + gx * pitch, y + gy * pitch
            if dot >= 3:
                d.rounded_rectangle([px, py, px + dot - 1, py + dot - 1],
                                    radius=max(1, dot // 3), fill=rgba(col))
            else:
                d.rectangle([px, py, px + dot - 1, py + dot - 1], fill=rgba(col))
            if is_on and shade is not None and dot >= 3:
                d.point([px + 1, py + 1] if dot < 6 else
                        [(px + 1 + a, py + 1 + b) for a in range(dot // 3)
                         for b in range(dot // 3)], fill=rgba(shade))
    return ncols * pitch


# --------------------------------------------------------------------------
# Background (id 102)
# --------------------------------------------------------------------------

# (x, y, w, h) of the parameter controls, by parameter index.
PARAM_RECTS = [
    (752, 32, 72, 68), (32, 32, 72, 68), (32, 100, 72, 68), (32, 168, 72, 68),
    (104, 32, 72, 68), (104, 100, 72, 68), (104, 168, 72, 68),
    (104, 236, 72, 68), (104, 304, 72, 68), (248, 32, 72, 68),
    (248, 100, 72, 68), (248, 168, 72, 68), (320, 32, 72, 68),
    (320, 100, 72, 68), (320, 168, 72, 68), (392, 32, 72, 68),
    (392, 100, 72, 68), (392, 168, 72, 68), (536, 32, 72, 68),
    (536, 100, 72, 68), (536, 168, 72, 68), (464, 32, 72, 68),
    (464, 100, 72, 68), (464, 168, 72, 68), (176, 32, 72, 68),
    (176, 100, 72, 68), (176, 168, 72, 68), (176, 236, 72, 68),
    (176, 304, 72, 68), (32, 404, 72, 68), (104, 404, 72, 68),
    (176, 404, 72, 68), (248, 404, 72, 68), (320, 404, 72, 68),
    (320, 304, 72, 68), (392, 304, 72, 68), (464, 304, 72, 68),
    (536, 304, 72, 68), (608, 304, 72, 68), (680, 304, 72, 68),
    (464, 404, 72, 68), (536, 404, 72, 68), (608, 404, 72, 68),
    (464, 472, 72, 68), (536, 472, 72, 68), (608, 472, 72, 68),
    (752, 304, 72, 68), (752, 404, 72, 68), (752, 472, 72, 68),
    (752, 540, 72, 68), (752, 612, 72, 44), (32, 472, 72, 68),
    (104, 472, 72, 68), (176, 472, 72, 68), (248, 472, 72, 68),
    (320, 472, 72, 68), (680, 190, 72, 44), (680, 32, 72, 68),
    (680, 100, 72, 68), (32, 558, 72, 68),
]
assert len(PARAM_RECTS) == 60
SWITCH_PARAMS = (50, 56)
NOTE_PARAMS = (34, 35)

BIG_BUTTON_RECTS = [  # (left, top, first frame) in control order
    (153, 556, 0), (153, 606, 3), (261, 556, 6), (261, 606, 24),
    (369, 556, 12), (369, 606, 15), (477, 556, 18), (477, 606, 21),
    (585, 556, 9), (585, 606, 27),
]
SMALL_BUTTON_RECTS = [(320, 240, 0), (396, 240, 3), (472, 240, 6)]
DISPLAY_RECT = (548, 240, 603, 270)
METER_RECTS = [(760, 100, 788, 242), (788, 100, 817, 242)]
ABOUT_TARGET = (255, 668, 590, 701)


def col_cx(x):
    return x + 36


def box(d, x0, y0, x1, y1):
    """A ruled box, 2-pixel border, coordinates inclusive."""
    d.rectangle([x0, y0, x1, y1], fill=rgba(INK))
    d.rectangle([x0 + 2, y0 + 2, x1 - 2, y1 - 2], fill=rgba(CELL))


def band(d, x0, y0, x1, y1):
    d.rectangle([x0, y0, x1, y1], fill=rgba(INK))


def head(img, cx, y0, y1, text):
    """A heading centred in a dark band spanning y0..y1."""
    draw_text(img, cx, (y0 + y1 + 1) // 2 - 4, text, BAND_TEXT, "tall",
              align="center")


def background():
    img = new(W, H, rgba(FRAME))
    d = ImageDraw.Draw(img)

    # ---- the ruled table, top band ------------------------------------
    # sources (oscillators and noise), an L-shaped box
    d.rectangle([3, 3, 609, 237], fill=rgba(INK))
    d.rectangle([3, 237, 251, 375], fill=rgba(INK))
    d.rectangle([5, 5, 607, 235], fill=rgba(CELL))
    d.rectangle([5, 235, 249, 373], fill=rgba(CELL))
    box(d, 250, 236, 609, 279)        # history
    box(d, 250, 278, 751, 375)        # pitch envelope
    box(d, 608, 3, 751, 279)          # bit crusher
    box(d, 750, 3, 842, 279)          # output
    box(d, 750, 278, 842, 375)        # compression
    # middle band
    box(d, 3, 377, 393, 542)          # amp and filter envelopes
    box(d, 392, 377, 698, 542)        # low pass / high pass
    box(d, 697, 377, 842, 660)        # pitch jump
    # lower band
    box(d, 3, 541, 148, 660)          # mutation
    box(d, 147, 541, 698, 660)        # generate

    # faint rules between the rows and columns of knobs
    def vrule(x, y0, y1):
        d.line([x, y0, x, y1], fill=rgba(CELL_RULE))

    def hrule(y, x0, x1):
        d.line([x0, y, x1, y], fill=rgba(CELL_RULE))

    for x in range(104, 608, 72):
        vrule(x, 30, 234 if x > 248 else 372)
    for y in (100, 168):
        hrule(y, 30, 606)
    hrule(304, 30, 248)
    hrule(236, 30, 248)
    for x in range(392, 749, 72):
        vrule(x, 302, 372)
    for x in range(104, 392, 72):
        vrule(x, 402, 539)
    hrule(472, 30, 390)
    for x in (536, 608):
        vrule(x, 402, 539)
    hrule(472, 462, 680)
    hrule(472, 762, 839)
    hrule(540, 762, 839)
    hrule(100, 678, 748)
    hrule(168, 678, 748)

    # ---- sources --------------------------------------------------------
    band(d, 5, 5, 607, 29)
    band(d, 5, 5, 29, 373)
    heads = ["Type", "Level", "Env.Depth", "Octave", "Transpose", "Cents",
             "Phase", "Square Duty"]
    for i, t in enumerate(heads):
        head(img, col_cx(32 + 72 * i), 5, 29, t)
    for r, name in enumerate(["Osc1", "Osc2", "Osc3", "Osc4", "Osc5"]):
        draw_text_rotated(img, 17, 32 + 68 * r + 34, name, BAND_TEXT)
    # the noise rows have no oscillator controls: name the source instead
    for r, (a, b) in ((3, ("White", "Noise")), (4, ("Pink", "Noise"))):
        y = 32 + 68 * r
        cx = 68
        d.rounded_rectangle([38, y + 10, 98, y + 56], radius=4,
                            outline=rgba(INK), width=2)
        draw_lines(img, cx, y + 33, [a, b], LABEL)
    d.rectangle([30, 234, 103, 237], fill=rgba(CELL))
    hrule(236, 30, 248)

    # ---- bit crusher ------------------------------------------------------
    band(d, 610, 5, 677, 277)
    band(d, 610, 5, 749, 29)
    head(img, 680, 5, 29, "BitCrush")
    draw_lines(img, 644, 32 + 24, ["Sample", "Rate"], BAND_TEXT)
    draw_lines(img, 644, 100 + 24, ["Bit", "Depth"], BAND_TEXT)
    draw_lines(img, 644, 190 + 12, ["Mode"], BAND_TEXT)

    # ---- output ---------------------------------------------------------------
    band(d, 752, 5, 840, 29)
    head(img, 796, 5, 29, "Output")
    # keep the two read-outs apart (left one ends at 786, right starts at 788)
    d.line([787, 227, 787, 237], fill=rgba(CELL_RULE))
    draw_text(img, 774, 244, "L", LABEL, "small", align="center")
    draw_text(img, 802, 244, "R", LABEL, "small", align="center")
    draw_text(img, 788, 256, "dB", LABEL, "small", align="center")

    # ---- history ------------------------------------------------------------
    band(d, 252, 238, 317, 277)
    head(img, 285, 238, 277, "History:")
    # the number display
    l, t, r, b = DISPLAY_RECT
    d.rectangle([l + 1, t, r - 2, b - 1], fill=rgba(INK))
    d.rectangle([l + 3, t + 2, r - 4, b - 3], fill=rgba((196, 214, 160)))
    d.line([l + 3, t + 2, r - 4, t + 2], fill=rgba((160, 180, 128)))

    # ---- pitch envelope -------------------------------------------------------
    band(d, 252, 280, 749, 301)
    band(d, 252, 280, 317, 373)
    for i, t in enumerate(["High Note", "Low Note", "Duration", "Start",
                           "End", "Curve"]):
        head(img, col_cx(320 + 72 * i), 280, 301, t)
    draw_lines(img, 285, 304 + 24, ["Pitch", "Env"], BAND_TEXT)

    # ---- compression ------------------------------------------------------------
    band(d, 752, 280, 840, 301)
    head(img, 796, 280, 301, "Comp.")

    # ---- envelopes --------------------------------------------------------------
    band(d, 5, 379, 391, 401)
    band(d, 5, 379, 29, 540)
    for i, t in enumerate(["Attack", "Hold", "Decay", "Sustain", "Release"]):
        head(img, col_cx(32 + 72 * i), 379, 401, t)
    draw_text_rotated(img, 17, 404 + 34, "Amp Env", BAND_TEXT)
    draw_text_rotated(img, 17, 472 + 34, "Filter Env", BAND_TEXT)

    # ---- filters ----------------------------------------------------------------
    band(d, 394, 379, 696, 401)
    band(d, 394, 379, 461, 540)
    for i, t in enumerate(["Freq", "Reso", "Env.Depth"]):
        head(img, col_cx(464 + 72 * i), 379, 401, t)
    draw_lines(img, 428, 404 + 24, ["Low", "Pass"], BAND_TEXT)
    draw_lines(img, 428, 472 + 24, ["High", "Pass"], BAND_TEXT)

    # ---- pitch jump ---------------------------------------------------------------
    band(d, 699, 379, 748, 658)
    band(d, 699, 379, 840, 401)
    head(img, 770, 379, 401, "Pitch Jump")
    draw_lines(img, 724, 404 + 24, ["Transp."], BAND_TEXT)
    draw_lines(img, 724, 472 + 24, ["Delay"], BAND_TEXT)
    draw_lines(img, 724, 540 + 24, ["Time"], BAND_TEXT)
    draw_lines(img, 724, 612 + 12, ["Mode"], BAND_TEXT)

    # ---- mutation -----------------------------------------------------------------
    band(d, 5, 543, 146, 555)
    head(img, 75, 543, 555, "Mutation%")
    draw_lines(img, 68, 642, ["used by", "MUTATE"], LABEL, face="small", gap=2)

    # ---- generate -----------------------------------------------------------------
    band(d, 149, 543, 696, 555)
    head(img, 423, 543, 555, "Generate")

    # ---- console: name display and keyboard ---------------------------------------
    d.rectangle([0, 661, W - 1, H - 1], fill=rgba(CONSOLE))
    d.line([0, 661, W - 1, 661], fill=rgba(ACCENT))
    d.line([0, 662, W - 1, 662], fill=rgba((120, 56, 22)))
    l, t, r, b = ABOUT_TARGET
    d.rectangle([l, t, r - 1, b - 1], fill=rgba((70, 66, 80)))
    d.rectangle([l + 1, t + 1, r - 2, b - 2], fill=rgba((8, 8, 10)))
    pitch = 4
    cols = (r - l - 6) // pitch
    x0 = l + (r - l - (cols * pitch - 1)) // 2
    dot_matrix(img, x0, t + 4, "VORBLEX", pitch, 3, (255, 132, 44),
               off=(44, 22, 16), cols=cols, shade=(255, 214, 150))
    # speaker grilles either side of the display
    for gx0, gx1 in ((18, 236), (609, 828)):
        for yy in range(671, 700, 4):
            for xx in range(gx0, gx1, 4):
                d.rectangle([xx, yy, xx + 1, yy + 1], fill=rgba((48, 46, 58)))
    d.rectangle([0, 703, W - 1, H - 1], fill=rgba((8, 8, 10)))
    keyboard_at_rest(img)
    return img


# --------------------------------------------------------------------------
# About page (id 101)
# --------------------------------------------------------------------------


def about():
    w, h = 846, 698
    img = new(w, h, rgba(CONSOLE))
    d = ImageDraw.Draw(img)
    d.rectangle([8, 8, w - 9, h - 9], outline=rgba(ACCENT), width=2)
    d.rectangle([14, 14, w - 15, h - 15], outline=rgba((70, 66, 80)), width=1)
    # the name, big, in lit dots
    pitch, dot = 12, 10
    tw = (7 * 6 - 1) * pitch
    dot_matrix(img, (w - tw) // 2, 60, "VORBLEX", pitch, dot, (255, 132, 44),
               shade=(255, 210, 150))
    y = 60 + 7 * pitch + 28
    draw_text(img, w // 2, y, "GAME SOUND EFFECTS INSTRUMENT", BAND_TEXT,
              "small", scale=3, align="center")
    y += 21 + 22
    draw_text(img, w // 2, y, "Version 1.0.1", CREAM, "tall", scale=2,
              align="center")
    y += 18 + 14
    draw_text(img, w // 2, y, "made by Tessolar", CREAM, "tall", scale=2,
              align="center")
    # a row of the generator icons
    y += 18 + 34
    names = ["coin", "shoot", "powerup", "hit", "jump", "blip", "blade",
             "mutate"]
    size = 48
    gap = 28
    total = len(names) * size + (len(names) - 1) * gap
    x = (w - total) // 2
    colors = [(222, 162, 24), (212, 58, 50), (64, 164, 78), (224, 104, 40),
              (52, 142, 214), (32, 156, 156), (86, 114, 148), (190, 66, 142)]
    for n, c in zip(names, colors):
        img.alpha_composite(icon(n, mix(c, (255, 255, 255), 0.15), CONSOLE,
                                 size), (x, y))
        x += size + gap
    y += size + 36
    lines = [
        "Press a category button to make a new sound of that kind.",
        "RANDOM makes anything; MUTATE varies the current sound by",
        "the Mutation% amount; RESET returns to the initial sound.",
        "Every new sound is numbered in the History: PREV and NEXT",
        "step through it, SAVE stores your edits in the entry shown.",
        "Drag a knob to turn it (Ctrl or Shift for fine steps),",
        "double click for its default, click its value to type one.",
    ]
    for ln in lines:
        draw_text(img, w // 2, y, ln, (214, 208, 196), "small", scale=2,
                  align="center")
        y += 26
    draw_text(img, w // 2, h - 52, "click anywhere to close", (150, 144, 160),
              "small", scale=2, align="center")
    return img


# --------------------------------------------------------------------------
# All images
# --------------------------------------------------------------------------

def build():
    """{file name: image} in resource-id order (101..121)."""
    out = {}
    out["about.png"] = about()
    out["Background.png"] = background()
    out["KnobNes.png"] = knob_strip(48, 33, "slate")
    out["pianowhitekey.png"] = white_key_strip(WHITE_LIT)
    out["pianoblackkey.png"] = black_key(BLACK_LIT, True)
    out["pianowhiteredkey.png"] = white_key_strip(WHITE_RED)
    out["pianoblackredkey.png"] = black_key(BLACK_RED, True)
    out["PeakMeterL.png"] = meter_strip("L")
    out["PeakMeterR.png"] = meter_strip("R")
    out["KnobSNes.png"] = knob_strip(96, 65, "slate")
    out["KnobSNes2.png"] = knob_strip(96, 65, "red")
    out["Switch.png"] = switch_strip(28, 24, 2)
    out["KnobNes2.png"] = knob_strip(24, 33, "cream")
    out["KnobNes3.png"] = knob_strip(24, 33, "teal")
    out["Eyetype_3_12.png"] = strip_12()
    out["Eyetype_3_14.png"] = strip_14()
    out["Eyetype_3_20.png"] = strip_20()
    out["Eyetype_3_14_white.png"] = strip_14(CREAM)
    out["Buttons.png"] = big_buttons()
    out["Switch3.png"] = switch_strip(26, 24, 3)
    out["ButtonsSmall.png"] = small_buttons()
    return out


# --------------------------------------------------------------------------
# Preview: the editor as the controls would draw it
# --------------------------------------------------------------------------

def frame_of(strip, frames, i):
    fh = strip.height // frames
    return strip.crop((0, i * fh, strip.width, (i + 1) * fh))


def text_run(img, strip, adv, s, pen_x, top, right):
    """Blit a text run the way the editor's bitmap-font controls do."""
    cell_h = strip.height // 224
    for ch in s:
        code = ord(ch)
        g = frame_of(strip, 224, code - 32)
        g = g.crop((0, 0, max(0, min(g.width, right - pen_x)), cell_h))
        if g.width > 0:
            img.alpha_composite(g, (pen_x, top))
        pen_x += adv[code - 32]


def run_width(adv, s):
    return sum(adv[ord(c) - 32] for c in s)


def preview(images):
    img = images["Background.png"].copy()
    knob = images["KnobNes.png"]
    sw = images["Switch3.png"]
    s14 = images["Eyetype_3_14.png"]
    s12 = images["Eyetype_3_12.png"]
    samples = {0: "-6.0dB", 1: "Triangle", 2: "Off", 3: "Saw", 4: "0.0dB",
               5: "-96.0dB", 6: "-12.5dB", 9: "0oct", 10: "-2oct", 12: "0st",
               13: "7st", 15: "0cts", 16: "-35cts", 18: "0.50", 21: "0.000",
               24: "1.00", 29: "0.010s", 33: "0.200s", 34: "C 7", 35: "C 0",
               39: "1.000", 40: "22050.0Hz", 41: "0.707", 46: "0.300",
               47: "0st", 50: "On NoteOn", 56: "Inside", 57: "44100.0",
               58: "24.00", 59: "5.0"}
    for i, (x, y, w, h) in enumerate(PARAM_RECTS):
        L, T, R, B = x, y, x + w, y + h
        v = ((i * 37) % 33) / 32.0
        if i in SWITCH_PARAMS:
            f = frame_of(sw, 3, 1 if i == 56 else 0)
            img.alpha_composite(f, (L + (w - sw.width) // 2, T))
        else:
            f = frame_of(knob, 33, int(32 * v + 0.5))
            img.alpha_composite(f, (L + (w - knob.width) // 2, T))
        s = samples.get(i, "%.2f" % v)
        cx = L + (R - L) // 2
        text_run(img, s14, pf.ADVANCE_14, s, cx - run_width(pf.ADVANCE_14, s) // 2,
                 B - 16, R)
    # meters: left showing a level, right silent
    for k, (L, T, R, B) in enumerate(METER_RECTS):
        m = images["PeakMeterL.png" if k == 0 else "PeakMeterR.png"]
        lit = 13 if k == 0 else 0
        img.alpha_composite(frame_of(m, 19, lit), (L + (R - L - 28) // 2, T))
        s = "-6.1" if k == 0 else "-A"
        w = run_width(pf.ADVANCE_12, s)
        px = R - 2 - w if k == 0 else L
        text_run(img, s12, pf.ADVANCE_12, s, px, B - 16, R)
    # buttons: one hovered, one pressed
    bb = images["Buttons.png"]
    for n, (L, T, first) in enumerate(BIG_BUTTON_RECTS):
        state = 1 if n == 3 else (2 if n == 6 else 0)
        img.alpha_composite(frame_of(bb, 30, first + state), (L, T))
    sb = images["ButtonsSmall.png"]
    for n, (L, T, first) in enumerate(SMALL_BUTTON_RECTS):
        img.alpha_composite(frame_of(sb, 9, first + (1 if n == 1 else 0)), (L, T))
    L, T, R, B = DISPLAY_RECT
    s = "12"
    text_run(img, s14, pf.ADVANCE_14, s, L + (R - L) // 2 - run_width(pf.ADVANCE_14, s) // 2,
             B - 20, R)
    # keyboard: a C major chord and a black key sounding, plus the top key
    wk = images["pianowhitekey.png"]
    bk = images["pianoblackkey.png"]
    frame_by_semi = {0: 0, 2: 1, 4: 2, 5: 0, 7: 3, 9: 4, 11: 2}
    for k in (48, 52, 55, 96):
        semi = k % 12
        white_index = (k // 12) * 7 + [0, 0, 1, 1, 2, 3, 3, 4, 4, 5, 5, 6][semi]
        fr = 5 if k == 96 else frame_by_semi[semi]
        img.alpha_composite(frame_of(wk, 6, fr), (KB_X + white_index * KEY_W, KB_Y))
    for k in (61, 66):
        img.alpha_composite(bk, (KB_X + (k // 12) * 70 + KEY_OFFSETS[k % 12], KB_Y))
    return img


def main(argv):
    args = argv[1:]
    images = build()
    if args and args[0] == "--preview":
        target = args[1] if len(args) > 1 else "/tmp/preview.png"
        save_png(preview(images), target)
        print("preview written to", target)
        return 0
    outdir = args[0] if args else os.path.join(HERE, "..", "img")
    outdir = os.path.normpath(outdir)
    os.makedirs(outdir, exist_ok=True)
    for name, im in images.items():
        save_png(im, os.path.join(outdir, name))
    print("%d images written to %s" % (len(images), outdir))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
