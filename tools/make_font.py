#!/usr/bin/python3
"""Makes resources/zolm-sans.ttf, the font the rows fall back on for the
control pictures.

The Ascii row shows the codes 0, 10 and 13 as the pictures U+2400, U+240A
and U+240D, and reports show every control code below 33 and 127 as its
picture (U+2400..U+2421); few fonts have them, and where the system has
none a window draws them all as one missing-glyph box. This font is DejaVu
Sans (Debian's fonts-dejavu-core) cut to the Windows-1252 repertoire, with
those 34 pictures added: each the control's abbreviation ("NUL", "LF",
"CR", ...) in the font's own capitals, small and stepping down to the
right, as Unicode's code charts draw them. DejaVu Sans's licence lets it be
changed only under a name without "Bitstream" or "Vera" (and DejaVu asks
the same of its name), so it is "Zolm Sans".

The web page carries a second cut, resources/web/zolm-sans-pictures.ttf,
of the pictures alone. Needs Debian's python3-fonttools. Run it again after changing the drawing;
the font is checked in.
"""
import os

from fontTools import subset
from fontTools.pens.transformPen import TransformPen
from fontTools.pens.ttGlyphPen import TTGlyphPen
from fontTools.ttLib import TTFont

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"
OUT = os.path.join(HERE, "..", "resources", "zolm-sans.ttf")
# The web page's cut: the pictures alone, for its text boxes to fall back on.
WEB_OUT = os.path.join(HERE, "..", "resources", "web", "zolm-sans-pictures.ttf")
FAMILY = "Zolm Sans"

NAMES = ("NUL SOH STX ETX EOT ENQ ACK BEL BS HT LF VT FF CR SO SI DLE DC1 DC2 "
         "DC3 DC4 NAK SYN ETB CAN EM SUB ESC FS GS RS US SP").split() + ["DEL"]
PICTURES = list(range(0x2400, 0x2421)) + [0x2421]


def windows_1252():
    codes = set()
    for byte in range(256):
        try:
            codes.add(ord(bytes([byte]).decode("cp1252")))
        except UnicodeDecodeError:
            pass
    return codes


def add_picture(font, code, letters):
    glyphs = font.getGlyphSet()
    cmap = font.getBestCmap()
    glyf = font["glyf"]
    glyf[cmap[ord("H")]].recalcBounds(glyf)
    cap = glyf[cmap[ord("H")]].yMax
    scale = 0.66 if len(letters) == 2 else 0.54
    # Each letter a little left of where the one before it ends, and lower,
    # so the picture stays about an em wide and a capital high.
    step_y = (cap * 1.05 - cap * scale) / max(1, len(letters) - 1)
    margin = 60
    pen = TTGlyphPen(glyphs)
    x = margin
    for i, letter in enumerate(letters):
        name = cmap[ord(letter)]
        y = (len(letters) - 1 - i) * step_y
        glyphs[name].draw(TransformPen(pen, (scale, 0, 0, scale, x, y)))
        x += glyphs[name].width * scale * 0.86
    x += glyphs[cmap[ord(letters[-1])]].width * scale * 0.14
    name = "uni%04X" % code
    order = font.getGlyphOrder() + [name]
    font.setGlyphOrder(order)
    font["glyf"].setGlyphOrder(order)
    glyph = pen.glyph()
    font["glyf"][name] = glyph
    glyph.recalcBounds(font["glyf"])
    font["hmtx"][name] = (int(round(x + margin)), getattr(glyph, "xMin", 0))
    for table in font["cmap"].tables:
        if table.isUnicode():
            table.cmap[code] = name


def main():
    font = TTFont(SOURCE)
    # Tables kept per glyph that the new glyphs would be missing from.
    for tag in ("hdmx", "LTSH", "VDMX", "FFTM", "MATH"):
        if tag in font:
            del font[tag]
    for code, letters in zip(PICTURES, NAMES):
        add_picture(font, code, letters)
    options = subset.Options()
    options.name_IDs = ["*"]
    options.name_languages = ["*"]
    options.layout_features = ["kern"]
    options.notdef_outline = True
    subsetter = subset.Subsetter(options)
    subsetter.populate(unicodes=sorted(windows_1252() | set(PICTURES)))
    subsetter.subset(font)
    names = font["name"]
    for record in list(names.names):
        if record.nameID in (1, 3, 4, 6, 16, 17, 18, 21, 22):
            names.removeNames(nameID=record.nameID)
    for name_id, text in ((1, FAMILY), (3, FAMILY + " 1.0"), (4, FAMILY),
                          (6, FAMILY.replace(" ", ""))):
        names.setName(text, name_id, 3, 1, 0x409)
        names.setName(text, name_id, 1, 0, 0)
    names.setName("Zolm Sans is DejaVu Sans cut to the Windows-1252 characters, "
                  "with the control pictures U+2400..U+2421 added.", 10, 3, 1, 0x409)
    font["head"].created = font["head"].modified = 0x7C259DC0  # 2000-01-01
    font.save(OUT, reorderTables=True)
    # The pictures have no hinting of their own to keep.
    options.hinting = False
    options.layout_features = []
    pictures = subset.Subsetter(options)
    pictures.populate(unicodes=PICTURES)
    pictures.subset(font)
    # The page shows the licence in full among its notices; its copy in the
    # font would only weigh the page down. The copyright and the licence's
    # address stay.
    font["name"].removeNames(nameID=13)
    font.save(WEB_OUT, reorderTables=True)


if __name__ == "__main__":
    main()
