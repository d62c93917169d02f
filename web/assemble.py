#!/usr/bin/python3
"""Puts pelkano.html together: the page, its style and script, the WebAssembly module (its wasm
inside its JavaScript), the two IPA faces cut down to the characters the page draws, the nine
type pictures and the faces' licence, all in the one file. The faces also carry every character
of the texts in the C++ sources given after the licence (those of the practice's results page).

    assemble.py OUT.html PAGE_DIR MODULE.js MINCHO.ttf GOTHIC.ttf PICTURE_DIR LICENCE [SOURCE.cpp...]
"""
import base64
import html
import io
import re
import sys

from fontTools import subset
from fontTools.ttLib import TTFont

# What the sheets draw in each face: the header, digits and signs, the brackets and the default
# question sentence; for sentences of the teacher's own (and in the header face for any other
# header in kana), ASCII, kana and the common punctuation.
MINCHO_UNICODES = [
    *range(0x20, 0x7F), 0xF7, *range(0x3000, 0x3040), *range(0x3041, 0x3097), *range(0x309B, 0x309F),
    *range(0x30A1, 0x30FB), *range(0x30FC, 0x30FF), *range(0xFF01, 0xFF5F), 0xFF65,
]
MINCHO_TEXT = "問題計算つぎの計算をしましょう（）　÷･"
GOTHIC_TEXT = "わり算こたえ"


def cut(path, unicodes, text, family):
    options = subset.Options()
    options.flavor = "woff"
    options.layout_features = []
    options.hinting = False
    options.desubroutinize = True
    options.drop_tables += ["EBDT", "EBLC", "EBSC", "gasp", "DSIG"]
    options.name_IDs = [0, 1, 2, 3, 4, 5, 6]
    font = TTFont(path)
    subsetter = subset.Subsetter(options)
    subsetter.populate(unicodes=unicodes, text=text)
    subsetter.subset(font)
    # A font cut from the IPA faces may not carry their names (IPA Font License, 3.1 (4)).
    plain = family.replace(" ", "")
    for record in font["name"].names:
        if record.nameID in (1, 4):
            record.string = family
        elif record.nameID == 3:
            record.string = plain + "-Cut"
        elif record.nameID == 6:
            record.string = plain
    out = io.BytesIO()
    font.flavor = "woff"
    font.save(out)
    return base64.b64encode(out.getvalue()).decode("ascii")


def literal_characters(sources):
    """Every character of the string literals of these C++ files (escapes taken as written)."""
    chars = set()
    for path in sources:
        with open(path, encoding="utf-8") as f:
            for literal in re.findall(r'"((?:[^"\\\n]|\\.)*)"', f.read()):
                chars.update(literal)
    return "".join(sorted(chars))


def script_safe(text):
    return text.replace("</script", "<\\/script").replace("<!--", "<\\!--")


def main():
    out, page_dir, module_js, mincho, gothic, pictures, licence = sys.argv[1:8]
    drawn = literal_characters(sys.argv[8:])
    read = lambda p: open(p, encoding="utf-8").read()
    faces = "".join(
        f'@font-face {{ font-family: "{family}"; src: url(data:font/woff;base64,{data}) format("woff"); }}\n'
        for family, data in [
            ("Pelkano Sheet Mincho", cut(mincho, MINCHO_UNICODES, MINCHO_TEXT + drawn, "Pelkano Sheet Mincho")),
            ("Pelkano Sheet Gothic", cut(gothic, MINCHO_UNICODES, GOTHIC_TEXT + drawn, "Pelkano Sheet Gothic")),
        ])
    pictures_js = "const PELKANO_PICTURES = [" + ",".join(
        '"data:image/jpeg;base64,' + base64.b64encode(open(f"{pictures}/page{k}.jpg", "rb").read()).decode("ascii") + '"'
        for k in range(1, 10)) + "];"
    page = read(f"{page_dir}/pelkano.html")
    parts = {
        "/*@PAGE_CSS@*/": read(f"{page_dir}/page.css"),
        "/*@FACES_CSS@*/": faces,
        "<!--@LICENCE@-->": html.escape(read(licence)),
        "/*@PICTURES@*/": pictures_js,
        "/*@MODULE_JS@*/": script_safe(read(module_js)),
        "/*@PAGE_JS@*/": script_safe(read(f"{page_dir}/page.js")),
    }
    for marker, text in parts.items():
        if page.count(marker) != 1:
            sys.exit(f"assemble.py: {marker} is not once in the page")
        page = page.replace(marker, text)
    with open(out, "w", encoding="utf-8") as f:
        f.write(page)


if __name__ == "__main__":
    main()
