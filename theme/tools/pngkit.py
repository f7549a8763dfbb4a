"""Small raster toolkit for the theme generator: PNG and BMP files, RGBA images, compositing and
an anti-aliased shape painter. Python standard library only.

Pixels are straight (not premultiplied) RGBA, 8 bits per channel, rows top to bottom.
"""

import math
import struct
import zlib

PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"


class Image:
    def __init__(self, width, height, pixels=None):
        self.width = width
        self.height = height
        self.pixels = bytearray(width * height * 4) if pixels is None else bytearray(pixels)
        if len(self.pixels) != width * height * 4:
            raise ValueError("pixel buffer does not match the size")

    def copy(self):
        return Image(self.width, self.height, self.pixels)

    def get(self, x, y):
        i = (y * self.width + x) * 4
        return tuple(self.pixels[i:i + 4])

    def put(self, x, y, rgba):
        i = (y * self.width + x) * 4
        self.pixels[i:i + 4] = bytes(rgba)

    def blend(self, x, y, rgb, alpha):
        """Paints colour `rgb` with coverage `alpha` (0..1) over the pixel (source-over)."""
        if alpha <= 0 or not (0 <= x < self.width and 0 <= y < self.height):
            return
        i = (y * self.width + x) * 4
        p = self.pixels
        sa = min(alpha, 1.0)
        da = p[i + 3] / 255.0
        oa = sa + da * (1 - sa)
        if oa <= 0:
            return
        for c in range(3):
            p[i + c] = round((rgb[c] * sa + p[i + c] * da * (1 - sa)) / oa)
        p[i + 3] = round(oa * 255)

    def alpha_bbox(self):
        xs, ys = [], []
        for y in range(self.height):
            for x in range(self.width):
                if self.pixels[(y * self.width + x) * 4 + 3]:
                    xs.append(x)
                    ys.append(y)
        if not xs:
            return None
        return min(xs), min(ys), max(xs), max(ys)


def parse_colour(text):
    """'#RRGGBB' or '#RRGGBBAA' -> (r, g, b, a)."""
    t = text.strip().lstrip("#")
    if len(t) not in (6, 8):
        raise ValueError("bad colour " + text)
    vals = [int(t[i:i + 2], 16) for i in range(0, len(t), 2)]
    if len(vals) == 3:
        vals.append(255)
    return tuple(vals)


# ---------------------------------------------------------------------------------------------
# PNG


def _chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)


def encode_png(image):
    """Writes an RGBA PNG; each row takes the filter (None, Sub or Up) with the smallest sum."""
    w, h = image.width, image.height
    stride = w * 4
    raw = bytearray()
    prev = bytes(stride)
    px = image.pixels
    for y in range(h):
        row = bytes(px[y * stride:(y + 1) * stride])
        sub = bytes((row[i] - (row[i - 4] if i >= 4 else 0)) & 0xFF for i in range(stride))
        up = bytes((row[i] - prev[i]) & 0xFF for i in range(stride))
        best = min(((0, row), (1, sub), (2, up)), key=lambda c: sum(b if b < 128 else 256 - b for b in c[1]))
        raw.append(best[0])
        raw += best[1]
        prev = row
    ihdr = struct.pack(">IIBBBBB", w, h, 8, 6, 0, 0, 0)
    return PNG_SIGNATURE + _chunk(b"IHDR", ihdr) + _chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + _chunk(b"IEND", b"")


def _paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    if pa <= pb and pa <= pc:
        return a
    return b if pb <= pc else c


def decode_png(data):
    """Reads an 8-bit, non-interlaced PNG (grey, grey+alpha, RGB, RGBA or palette) into RGBA."""
    if data[:8] != PNG_SIGNATURE:
        raise ValueError("not a PNG file")
    pos = 8
    idat = bytearray()
    palette = None
    trns = None
    width = height = depth = ctype = interlace = None
    while pos < len(data):
        (length,) = struct.unpack(">I", data[pos:pos + 4])
        kind = data[pos + 4:pos + 8]
        body = data[pos + 8:pos + 8 + length]
        pos += 12 + length
        if kind == b"IHDR":
            width, height, depth, ctype, _, _, interlace = struct.unpack(">IIBBBBB", body)
        elif kind == b"PLTE":
            palette = body
        elif kind == b"tRNS":
            trns = body
        elif kind == b"IDAT":
            idat += body
        elif kind == b"IEND":
            break
    if depth != 8 or interlace != 0:
        raise ValueError("only 8-bit non-interlaced PNG files are read")
    channels = {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}[ctype]
    stride = width * channels
    raw = zlib.decompress(bytes(idat))
    rows = []
    prev = bytearray(stride)
    for y in range(height):
        ftype = raw[y * (stride + 1)]
        cur = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        if ftype == 1:
            for i in range(channels, stride):
                cur[i] = (cur[i] + cur[i - channels]) & 0xFF
        elif ftype == 2:
            for i in range(stride):
                cur[i] = (cur[i] + prev[i]) & 0xFF
        elif ftype == 3:
            for i in range(stride):
                left = cur[i - channels] if i >= channels else 0
                cur[i] = (cur[i] + ((left + prev[i]) >> 1)) & 0xFF
        elif ftype == 4:
            for i in range(stride):
                left = cur[i - channels] if i >= channels else 0
                upleft = prev[i - channels] if i >= channels else 0
                cur[i] = (cur[i] + _paeth(left, prev[i], upleft)) & 0xFF
        elif ftype != 0:
            raise ValueError("bad PNG filter")
        rows.append(cur)
        prev = cur
    out = Image(width, height)
    px = out.pixels
    o = 0
    for row in rows:
        for x in range(width):
            if ctype == 6:
                px[o:o + 4] = row[x * 4:x * 4 + 4]
            elif ctype == 2:
                px[o:o + 3] = row[x * 3:x * 3 + 3]
                px[o + 3] = 255
            elif ctype == 0:
                px[o:o + 3] = bytes((row[x],)) * 3
                px[o + 3] = 255
            elif ctype == 4:
                px[o:o + 3] = bytes((row[x * 2],)) * 3
                px[o + 3] = row[x * 2 + 1]
            else:
                k = row[x]
                px[o:o + 3] = palette[k * 3:k * 3 + 3]
                px[o + 3] = trns[k] if trns is not None and k < len(trns) else 255
            o += 4
    return out


def png_size(data):
    """(width, height) from a PNG header."""
    if data[:8] != PNG_SIGNATURE or data[12:16] != b"IHDR":
        raise ValueError("not a PNG file")
    return struct.unpack(">II", data[16:24])


# ---------------------------------------------------------------------------------------------
# BMP


def encode_bmp24(image, background=(0, 0, 0), trailing_pad=0):
    """A bottom-up 24-bit BMP (BITMAPINFOHEADER) of the image flattened on `background`.
    `trailing_pad` zero bytes follow the pixel array and are counted in the image size, as some
    writers do."""
    w, h = image.width, image.height
    stride = (w * 3 + 3) & ~3
    pixels = bytearray()
    for y in range(h - 1, -1, -1):
        row = bytearray()
        for x in range(w):
            r, g, b, a = image.get(x, y)
            f = a / 255.0
            row += bytes((round(b * f + background[2] * (1 - f)),
                          round(g * f + background[1] * (1 - f)),
                          round(r * f + background[0] * (1 - f))))
        row += bytes(stride - len(row))
        pixels += row
    pixels += bytes(trailing_pad)
    header_size = 14 + 40
    file_header = struct.pack("<2sIHHI", b"BM", header_size + len(pixels), 0, 0, header_size)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    return file_header + info + bytes(pixels)


# ---------------------------------------------------------------------------------------------
# Image operations


def composite(dst, src, dx=0, dy=0):
    """Source-over of `src` onto `dst` at (dx, dy)."""
    for y in range(src.height):
        for x in range(src.width):
            r, g, b, a = src.get(x, y)
            if a:
                dst.blend(x + dx, y + dy, (r, g, b), a / 255.0)


def knock_out(image, mask, grow=1):
    """Clears `image` wherever `mask` (an image of the same size) has coverage, grown by `grow`
    pixels: makes room around a badge so it reads apart from the glyph below."""
    w, h = image.width, image.height
    cover = [[mask.pixels[(y * w + x) * 4 + 3] for x in range(w)] for y in range(h)]
    for y in range(h):
        for x in range(w):
            best = 0
            for yy in range(max(0, y - grow), min(h, y + grow + 1)):
                for xx in range(max(0, x - grow), min(w, x + grow + 1)):
                    best = max(best, cover[yy][xx])
            if best:
                i = (y * w + x) * 4 + 3
                image.pixels[i] = round(image.pixels[i] * (1 - best / 255.0))


def disabled_look(image, alpha=0.42, lift=0.1):
    """The greyed form of an icon: luminance only, a little lighter, at reduced opacity."""
    out = image.copy()
    px = out.pixels
    for i in range(0, len(px), 4):
        lum = 0.299 * px[i] + 0.587 * px[i + 1] + 0.114 * px[i + 2]
        grey = round(lum + (255 - lum) * lift)
        px[i] = px[i + 1] = px[i + 2] = grey
        px[i + 3] = round(px[i + 3] * alpha)
    return out


# ---------------------------------------------------------------------------------------------
# Shapes: coverage functions sampled on a 4 x 4 grid per pixel.

SUB = 4


def scaled_size(side, scale):
    """A side drawn at `scale`, rounded half up (as the toolkit expects its renditions)."""
    return int(side * scale + 0.5)


def drawing(width, height, scale=1.0):
    """An empty image for shapes given in the coordinates of a `width` x `height` drawing, made
    `scale` times as large: fill() scales every shape with it, so one drawing gives each size."""
    img = Image(scaled_size(width, scale), scaled_size(height, scale))
    img.scale = scale
    return img


def fill(image, inside, rgb, opacity=1.0):
    """Paints every pixel by the share of its 16 sample points for which inside(x, y) holds
    (x, y in the drawing's coordinates when the image was made by drawing())."""
    k = getattr(image, "scale", 1.0)
    for py in range(image.height):
        for px in range(image.width):
            hits = 0
            for sy in range(SUB):
                for sx in range(SUB):
                    if inside((px + (sx + 0.5) / SUB) / k, (py + (sy + 0.5) / SUB) / k):
                        hits += 1
            if hits:
                image.blend(px, py, rgb, opacity * hits / (SUB * SUB))


def seg_dist(x, y, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy) if dx or dy else 0.0
    t = max(0.0, min(1.0, t))
    return math.hypot(x - (ax + t * dx), y - (ay + t * dy))


def stroke(points, width, closed=False):
    """Inside-test of a polyline drawn with round joins and caps."""
    segs = list(zip(points, points[1:] + (points[:1] if closed else [])))
    half = width / 2.0
    return lambda x, y: any(seg_dist(x, y, a[0], a[1], b[0], b[1]) <= half for a, b in segs)


def polygon(points):
    """Inside-test of a polygon (even-odd)."""
    def inside(x, y):
        c = False
        n = len(points)
        for i in range(n):
            x1, y1 = points[i]
            x2, y2 = points[(i + 1) % n]
            if (y1 > y) != (y2 > y) and x < (x2 - x1) * (y - y1) / (y2 - y1) + x1:
                c = not c
        return c
    return inside


def circle(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x < x1 and y0 <= y < y1


def rounded_rect(x0, y0, x1, y1, r):
    def inside(x, y):
        if not (x0 <= x < x1 and y0 <= y < y1):
            return False
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    return inside
