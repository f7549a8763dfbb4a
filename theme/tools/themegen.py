#!/usr/bin/env python3
"""Builds the generated part of the theme folder.

  themegen.py icons    --map icon-map.txt --theme THEME_SRC --papirus DIR --out STAGE [--list]
  themegen.py pictures --src PICTURES_SRC --out DIR
  themegen.py sync     STAGE DEST --stamp FILE

`icons` renders every icon of the map (Papirus SVG -> PNG with rsvg-convert, recoloured and
badged, or one of our interface glyphs) into STAGE/<folder>/<file>, and the disabled look of the
tool-bar icons; each also at 24 and 32 pixels into STAGE/<folder>/24/<file> and
STAGE/<folder>/32/<file> (a glyph of another size scaled by 24/16 and 32/16, rounded half up),
which the toolkit draws instead of stretching the 16-pixel file on screens of 150 % and 200 %. It checks the map against the resource package and the toolbox's icon.json: each
image they name is produced, each produced package or toolbox image is named by them.
With --list it only prints what it would read ("in PATH") and write ("out PATH").

`pictures` renders the pictures the plug-in carries (splash, start-page banner as a 24-bit BMP,
the start-page list badge).

`sync` mirrors STAGE/Dark and STAGE/Control into DEST (copying changed files, deleting files that
are no longer generated) and touches the stamp.
"""

import argparse
import concurrent.futures
import json
import os
import re
import shutil
import subprocess
import sys

sys.dont_write_bytecode = True  # keep the source tree clean
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import pngkit as pk  # noqa: E402

FOLDERS = {
    "menu": ["Dark/Images/winMenu"],
    "tools": ["Dark/Images/wintools"],  # + the disabled look in displayIcon
    "res": ["Dark/Images/res"],
    "ui": ["Dark/Images/ui"],
    "box": ["Control/DarkIcons"],
}
DISABLED_FOLDER = "Dark/Images/wintools/displayIcon"
# The larger renditions: the icon size each serves, and its folder beside the 16-pixel file.
SIZES = (16, 24, 32)
PACKAGE_TAGS = ("res", "ui")
BADGES = ("-", "plus", "cross", "dot", "next", "prev", "play")
PAPIRUS_CATEGORIES = ("actions", "places", "mimetypes", "devices", "apps", "emotes", "emblems",
                      "status", "categories", "panel")
# The colour classes of Papirus' monochrome icons, replaced by palette entries of the same role.
SCHEME_ROLES = {"Text": None, "Highlight": "accent", "PositiveText": "green",
                "NegativeText": "red", "NeutralText": "orange"}
PAPIRUS_FOREGROUND = "#dfdfdf"


def fail(msg):
    sys.stderr.write("themegen: " + msg + "\n")
    sys.exit(1)


# ---------------------------------------------------------------------------------------------
# The icon map


class Entry:
    def __init__(self, line_no, file, source, colour, badge, tags):
        self.line_no = line_no
        self.file = file
        self.source = source
        self.colour = colour
        self.badge = badge
        self.tags = tags
        self.svgs = {}  # size -> resolved Papirus file

    def outputs(self, size=16):
        """The files of one size (16: the icon itself, else its rendition folder's)."""
        sub = "" if size == 16 else f"{size}/"
        outs = []
        for tag in self.tags:
            for folder in FOLDERS[tag]:
                outs.append(f"{folder}/{sub}{self.file}")
            if tag == "tools":
                outs.append(f"{DISABLED_FOLDER}/{sub}{self.file}")
        return outs


def read_map(path):
    palette = {}
    entries = []
    seen = {}
    with open(path, encoding="utf-8") as f:
        for no, line in enumerate(f, 1):
            words = line.split()
            if not words or words[0].startswith("#"):
                continue
            if words[0] == "colour":
                if len(words) != 3:
                    fail(f"{path}:{no}: colour NAME #RRGGBB")
                palette[words[1]] = pk.parse_colour(words[2])
                continue
            if len(words) < 5:
                fail(f"{path}:{no}: file source colour badge folder...")
            file, source, colour, badge, tags = words[0], words[1], words[2], words[3], words[4:]
            if file in seen:
                fail(f"{path}:{no}: {file} already mapped on line {seen[file]}")
            seen[file] = no
            if badge not in BADGES:
                fail(f"{path}:{no}: unknown badge {badge}")
            for t in tags:
                if t not in FOLDERS:
                    fail(f"{path}:{no}: unknown folder {t}")
            entries.append(Entry(no, file, source, colour, badge, tags))
    for e in entries:
        if e.colour != "-" and e.colour not in palette and not e.colour.startswith("#"):
            fail(f"{path}:{e.line_no}: colour {e.colour} is not in the palette")
        if e.source.startswith("glyph:") and e.source[6:] not in GLYPHS:
            fail(f"{path}:{e.line_no}: unknown glyph {e.source}")
    return palette, entries


def resolve_papirus(papirus, name, size=16):
    """The SVG drawn for `size` pixels: the theme's own at that size, else its 16-pixel one."""
    if name.endswith("-symbolic"):
        roots = [os.path.join(papirus, "symbolic", c) for c in PAPIRUS_CATEGORIES]
    else:
        roots = [os.path.join(papirus, f"{size}x{size}", c) for c in PAPIRUS_CATEGORIES]
        if size != 16:
            roots += [os.path.join(papirus, "16x16", c) for c in PAPIRUS_CATEGORIES]
    for root in roots:
        path = os.path.join(root, name + ".svg")
        if os.path.exists(path):
            return os.path.realpath(path)
    return None


def package_images(res_path):
    """The [images] section of the resource package: name -> path (with '/' separators)."""
    images = {}
    section = None
    with open(res_path, encoding="utf-8-sig") as f:
        for line in f:
            s = line.strip()
            if not s or s[0] in "#;":
                continue
            if s.startswith("["):
                section = s.strip("[]").strip().lower()
                continue
            if section == "images" and "=" in s:
                name, path = (p.strip() for p in s.split("=", 1))
                images[name] = path.replace("\\", "/")
    return images


def toolbox_icons(json_path):
    with open(json_path, encoding="utf-8-sig") as f:
        rows = json.load(f)
    return [row["iCons"] for row in rows]


def check_map(entries, theme_src):
    produced = {}
    for e in entries:
        for out in e.outputs():
            produced[out] = e
    images = package_images(os.path.join(theme_src, "Dark", "resource.res"))
    named = set()
    for name, path in images.items():
        out = "Dark/" + path
        e = produced.get(out)
        if e is None or not any(t in PACKAGE_TAGS for t in e.tags):
            fail(f"resource.res: image {name} = {path} is not produced by the icon map")
        if os.path.basename(path) != name:
            fail(f"resource.res: image {name} is stored under another file name ({path})")
        named.add(out)
    for e in entries:
        for t in e.tags:
            if t in PACKAGE_TAGS and FOLDERS[t][0] + "/" + e.file not in named:
                fail(f"icon map line {e.line_no}: {e.file} goes to the package but resource.res does not name it")
    box = set(toolbox_icons(os.path.join(theme_src, "Control", "icon.json")))
    for icon in box:
        if "Control/DarkIcons/" + icon not in produced:
            fail(f"icon.json: {icon} is not produced by the icon map")
    for e in entries:
        if "box" in e.tags and e.file not in box:
            fail(f"icon map line {e.line_no}: {e.file} goes to DarkIcons but icon.json does not use it")


# ---------------------------------------------------------------------------------------------
# Rendering


def recolour_svg(svg, tint, palette):
    """Gives a monochrome Papirus icon our colours: the foreground becomes `tint`, the scheme's
    accent colours become the palette's."""
    def hexof(rgb):
        return "#%02x%02x%02x" % rgb[:3]

    def scheme(match):
        role = match.group(1)
        key = SCHEME_ROLES.get(role)
        colour = tint if key is None else palette.get(key)
        return match.group(0) if colour is None else f".ColorScheme-{role} {{ color:{hexof(colour)}; }}"

    svg = re.sub(r"\.ColorScheme-(\w+)\s*\{\s*color:\s*#[0-9a-fA-F]{3,6};?\s*\}", scheme, svg)
    return re.sub(re.escape(PAPIRUS_FOREGROUND), hexof(tint), svg, flags=re.IGNORECASE)


def render_svg(rsvg, svg_text, size):
    done = subprocess.run([rsvg, "-w", str(size), "-h", str(size), "-f", "png"],
                          input=svg_text.encode("utf-8"), capture_output=True)
    if done.returncode != 0 or not done.stdout:
        raise RuntimeError(done.stderr.decode("utf-8", "replace"))
    return pk.decode_png(done.stdout)


def draw_badge(kind, palette, k=1.0):
    img = pk.drawing(16, 16, k)
    if kind == "plus":
        pk.fill(img, lambda x, y: (10 <= x < 16 and 12 <= y < 14) or (12 <= x < 14 and 10 <= y < 16), palette["green"])
    elif kind == "cross":
        pk.fill(img, pk.stroke([(10.6, 10.6), (15.0, 15.0)], 1.7), palette["red"])
        pk.fill(img, pk.stroke([(15.0, 10.6), (10.6, 15.0)], 1.7), palette["red"])
    elif kind == "dot":
        pk.fill(img, pk.circle(12.5, 12.5, 3.2), palette["breakpoint"])
    elif kind in ("next", "play"):
        pk.fill(img, pk.polygon([(10.0, 9.5), (15.8, 12.75), (10.0, 16.0)]),
                palette["accent" if kind == "next" else "green"])
    elif kind == "prev":
        pk.fill(img, pk.polygon([(15.8, 9.5), (10.0, 12.75), (15.8, 16.0)]), palette["accent"])
    return img


def glyph_drop(palette, hover, k):
    # Drop-down arrow of the combo boxes: placed with its right edge 3 pixels inside the box and
    # its top 3 pixels down, so the triangle sits in the middle of a 22-pixel box.
    img = pk.drawing(7, 10, k)
    pk.fill(img, pk.polygon([(0.0, 6.0), (7.0, 6.0), (3.5, 9.6)]),
            palette["glyph-hot" if hover else "glyph-dim"])
    return img


def glyph_close(palette, back, k):
    img = pk.drawing(16, 16, k)
    if back:
        pk.fill(img, pk.rect(1, 1, 15, 15), palette[back])
    colour = palette["glyph-hot"]
    pk.fill(img, pk.stroke([(4.6, 4.6), (11.4, 11.4)], 1.45), colour)
    pk.fill(img, pk.stroke([(11.4, 4.6), (4.6, 11.4)], 1.45), colour)
    return img


def glyph_collapsed(palette, k):
    img = pk.drawing(16, 16, k)
    pk.fill(img, pk.stroke([(5.5, 3.8), (10.5, 8.0), (5.5, 12.2)], 1.25, closed=True), palette["glyph"])
    return img


def glyph_expanded(palette, k):
    img = pk.drawing(16, 16, k)
    pk.fill(img, pk.polygon([(11.8, 4.2), (11.8, 11.8), (4.2, 11.8)]), palette["glyph"])
    return img


def glyph_pane_grip(palette, active, k):
    # One tile of the dotted grip of a pane caption; tiled across the caption 5 pixels down.
    img = pk.drawing(4, 12, k)
    colour = palette["grip-active" if active else "grip"]
    for x, y in ((0, 4), (2, 6), (0, 8)):
        pk.fill(img, pk.rect(x, y, x + 1, y + 1), colour)
    return img


def glyph_size_grip(palette, debugging, k):
    img = pk.drawing(12, 12, k)
    shadow = palette["grip-shadow-debug" if debugging else "grip-shadow"]
    light = palette["glyph-hot"]
    dots = [(9, 1), (9, 5), (5, 5), (9, 9), (5, 9), (1, 9)]
    for x, y in dots:
        pk.fill(img, pk.rect(x + 1, y + 1, x + 3, y + 3), shadow)
    for x, y in dots:
        pk.fill(img, pk.rect(x, y, x + 2, y + 2), light, 0.85)
    return img


def glyph_logo(palette, k):
    # The product mark: a "T" cut out of a rounded blue tile.
    img = pk.drawing(16, 16, k)
    pk.fill(img, pk.rounded_rect(1, 1, 15, 15, 3), palette["logo"])
    pk.fill(img, pk.rounded_rect(1, 1, 15, 8, 3), palette["logo-light"], 0.55)
    pk.fill(img, pk.rect(4, 4, 12, 6), palette["glyph-hot"])
    pk.fill(img, pk.rect(7, 4, 9, 13), palette["glyph-hot"])
    return img


def glyph_chrome(palette, kind, k):
    # Thin-line caption button signs, 10 x 10 in the middle of a 16 x 16 image.
    img = pk.drawing(16, 16, k)
    colour = palette["glyph-hot"]
    if kind == "minimize":
        pk.fill(img, pk.rect(3, 8, 13, 9), colour)
    elif kind == "maximize":
        pk.fill(img, lambda x, y: 3 <= x < 13 and 3 <= y < 13 and not (4 <= x < 12 and 4 <= y < 12), colour)
    else:
        pk.fill(img, pk.stroke([(3.5, 3.5), (12.5, 12.5)], 1.1), colour)
        pk.fill(img, pk.stroke([(12.5, 3.5), (3.5, 12.5)], 1.1), colour)
    return img


GLYPHS = {
    "logo": glyph_logo,
    "chrome-minimize": lambda p, k: glyph_chrome(p, "minimize", k),
    "chrome-maximize": lambda p, k: glyph_chrome(p, "maximize", k),
    "chrome-close": lambda p, k: glyph_chrome(p, "close", k),
    "drop": lambda p, k: glyph_drop(p, False, k),
    "drop-hover": lambda p, k: glyph_drop(p, True, k),
    "close": lambda p, k: glyph_close(p, None, k),
    "close-hover": lambda p, k: glyph_close(p, "close-hover", k),
    "close-pressed": lambda p, k: glyph_close(p, "close-pressed", k),
    "close-active": lambda p, k: glyph_close(p, None, k),
    "close-active-hover": lambda p, k: glyph_close(p, "close-active-hover", k),
    "close-active-pressed": lambda p, k: glyph_close(p, "close-pressed", k),
    "collapsed": glyph_collapsed,
    "expanded": glyph_expanded,
    "pane-grip": lambda p, k: glyph_pane_grip(p, False, k),
    "pane-grip-active": lambda p, k: glyph_pane_grip(p, True, k),
    "size-grip": lambda p, k: glyph_size_grip(p, False, k),
    "size-grip-debug": lambda p, k: glyph_size_grip(p, True, k),
}


def render_entry(entry, palette, rsvg, size=16):
    k = size / 16
    if entry.source.startswith("glyph:"):
        return GLYPHS[entry.source[6:]](palette, k)
    with open(entry.svgs[size], encoding="utf-8") as f:
        svg = f.read()
    if entry.colour != "-":
        tint = palette[entry.colour] if entry.colour in palette else pk.parse_colour(entry.colour)
        svg = recolour_svg(svg, tint, palette)
    img = render_svg(rsvg, svg, size)
    if entry.badge != "-":
        badge = draw_badge(entry.badge, palette, k)
        pk.knock_out(img, badge, grow=1)
        pk.composite(img, badge)
    return img


def write_if_changed(path, data):
    """Writes the file unless it already holds `data`; either way its time stamp is renewed, so
    the build sees the output as up to date."""
    try:
        with open(path, "rb") as f:
            if f.read() == data:
                os.utime(path)
                return
    except OSError:
        pass
    os.makedirs(os.path.dirname(path), exist_ok=True)
    tmp = path + ".tmp"
    with open(tmp, "wb") as f:
        f.write(data)
    os.replace(tmp, path)


def cmd_icons(args):
    palette, entries = read_map(args.map)
    for key in ("accent", "green", "red", "orange", "breakpoint", "glyph", "glyph-dim", "glyph-hot",
                "grip", "grip-active", "grip-shadow", "grip-shadow-debug", "close-hover",
                "close-pressed", "close-active-hover", "logo", "logo-light"):
        if key not in palette:
            fail(f"{args.map}: the palette needs the colour {key}")
    check_map(entries, args.theme)
    inputs = [args.map, os.path.abspath(__file__), pk.__file__]
    for e in entries:
        if not e.source.startswith("glyph:"):
            e.svgs = {size: resolve_papirus(args.papirus, e.source, size) for size in SIZES}
            if e.svgs[16] is None:
                fail(f"{args.map}:{e.line_no}: no Papirus icon {e.source} under {args.papirus}")
            inputs.extend(e.svgs.values())
    if args.list:
        for path in sorted(set(inputs)):
            print("in " + path)
        for e in entries:
            for size in SIZES:
                for out in e.outputs(size):
                    print("out " + out)
        return

    def job(work):
        entry, size = work
        try:
            img = render_entry(entry, palette, args.rsvg, size)
        except Exception as exc:  # report which icon failed
            raise RuntimeError(f"{entry.file} ({entry.source}) at {size}: {exc}") from exc
        data = pk.encode_png(img)
        disabled = pk.encode_png(pk.disabled_look(img)) if "tools" in entry.tags else None
        for out in entry.outputs(size):
            is_disabled = out.startswith(DISABLED_FOLDER + "/")
            write_if_changed(os.path.join(args.out, out), disabled if is_disabled else data)
        return entry.file

    with concurrent.futures.ThreadPoolExecutor(max_workers=args.jobs) as pool:
        for _ in pool.map(job, [(e, size) for e in entries for size in SIZES]):
            pass
    if args.stamp:
        with open(args.stamp, "w") as f:
            f.write(f"{len(entries)} icons\n")


# ---------------------------------------------------------------------------------------------
# Pictures

PICTURES = [
    # source SVG, output, width, height, format
    ("splash.svg", "splash.png", 680, 420, "png"),
    ("banner620.svg", "banner620.bmp", 500, 300, "bmp"),
    ("startpage-num.svg", "startpage-num.png", 24, 24, "png"),
]
# The start-page banner replaces a host bitmap that is read back as a file of this exact size
# (54 bytes of headers, 450,000 bytes of pixels and 2 bytes of padding).
BANNER_FILE_SIZE = 450056


def cmd_pictures(args):
    os.makedirs(args.out, exist_ok=True)
    for src, out, w, h, fmt in PICTURES:
        with open(os.path.join(args.src, src), encoding="utf-8") as f:
            svg = f.read().replace("@VERSION@", args.version)
        done = subprocess.run([args.rsvg, "-w", str(w), "-h", str(h), "-f", "png"],
                              input=svg.encode("utf-8"), capture_output=True)
        if done.returncode != 0:
            fail(f"{src}: {done.stderr.decode('utf-8', 'replace')}")
        png = done.stdout
        if pk.png_size(png) != (w, h):
            fail(f"{src}: rendered at {pk.png_size(png)}, expected {w} x {h}")
        if fmt == "bmp":
            img = pk.decode_png(png)
            data = pk.encode_bmp24(img, background=(30, 30, 30), trailing_pad=2)
            if len(data) != BANNER_FILE_SIZE:
                fail(f"{out}: {len(data)} bytes, expected {BANNER_FILE_SIZE}")
        else:
            data = png
        write_if_changed(os.path.join(args.out, out), data)


# ---------------------------------------------------------------------------------------------
# Sync

MIRRORED = ("Dark", "Control")


def cmd_sync(args):
    for top in MIRRORED:
        src_root = os.path.join(args.stage, top)
        dst_root = os.path.join(args.dest, top)
        wanted = set()
        for dirpath, _, files in os.walk(src_root):
            for name in files:
                rel = os.path.relpath(os.path.join(dirpath, name), src_root)
                wanted.add(rel)
                src = os.path.join(src_root, rel)
                dst = os.path.join(dst_root, rel)
                with open(src, "rb") as f:
                    data = f.read()
                write_if_changed(dst, data)
        for dirpath, _, files in os.walk(dst_root, topdown=False):
            for name in files:
                rel = os.path.relpath(os.path.join(dirpath, name), dst_root)
                if rel not in wanted:
                    os.remove(os.path.join(dirpath, name))
            if dirpath != dst_root and not os.listdir(dirpath):
                os.rmdir(dirpath)
    if args.stamp:
        os.makedirs(os.path.dirname(args.stamp), exist_ok=True)
        with open(args.stamp, "w") as f:
            f.write(args.dest + "\n")


def main():
    ap = argparse.ArgumentParser(description="theme generator")
    sub = ap.add_subparsers(dest="cmd", required=True)
    a = sub.add_parser("icons")
    a.add_argument("--map", required=True)
    a.add_argument("--theme", required=True, help="theme source folder (holds Dark/ and Control/)")
    a.add_argument("--papirus", required=True)
    a.add_argument("--out", required=True)
    a.add_argument("--rsvg", default=shutil.which("rsvg-convert") or "rsvg-convert")
    a.add_argument("--jobs", type=int, default=2)
    a.add_argument("--stamp")
    a.add_argument("--list", action="store_true")
    p = sub.add_parser("pictures")
    p.add_argument("--src", required=True)
    p.add_argument("--out", required=True)
    p.add_argument("--version", default="")
    p.add_argument("--rsvg", default=shutil.which("rsvg-convert") or "rsvg-convert")
    s = sub.add_parser("sync")
    s.add_argument("stage")
    s.add_argument("dest")
    s.add_argument("--stamp")
    args = ap.parse_args()
    {"icons": cmd_icons, "pictures": cmd_pictures, "sync": cmd_sync}[args.cmd](args)


if __name__ == "__main__":
    main()
