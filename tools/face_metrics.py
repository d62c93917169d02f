#!/usr/bin/python3
"""Writes the metrics of the sheet's two faces as a C++ source, read from the font files.

    face_metrics.py OUT.cpp MINCHO.ttf GOTHIC.ttf

For each face: units per em, the typographic ascender (where the baseline lies below the top of
the text cell), the underline's position and thickness, and every character's advance width as
runs of consecutive mapped characters that advance alike (a gap between mapped characters joins
the run around it: the drawing never measures a character a face does not have).
"""
import sys

from fontTools.ttLib import TTFont


def runs_of(font):
    cmap = font.getBestCmap()
    hmtx = font["hmtx"]
    runs = []
    for code in sorted(cmap):
        advance = hmtx[cmap[code]][0]
        if runs and runs[-1][2] == advance:
            runs[-1][1] = code
        else:
            runs.append([code, code, advance])
    return runs


def face_source(name, path):
    font = TTFont(path, lazy=True)
    runs = runs_of(font)
    lines = [f"constexpr AdvanceRun k{name}Runs[] = {{"]
    for first, last, advance in runs:
        lines.append(f"    {{0x{first:X}, 0x{last:X}, {advance}}},")
    lines.append("};")
    lines.append(
        f"const FaceMetrics k{name}{{{font['head'].unitsPerEm}, {font['OS/2'].sTypoAscender}, "
        f"{font['post'].underlinePosition}, {font['post'].underlineThickness}, k{name}Runs}};")
    return "\n".join(lines)


def main():
    out, mincho, gothic = sys.argv[1:4]
    text = "\n".join([
        "// Written by tools/face_metrics.py from the installed font files; do not edit.",
        '#include "FaceMetrics.h"',
        "",
        "namespace pelkano {",
        "namespace {",
        face_source("Mincho", mincho),
        face_source("Gothic", gothic),
        "}  // namespace",
        "",
        "const FaceMetrics& minchoMetrics() { return kMincho; }",
        "const FaceMetrics& gothicMetrics() { return kGothic; }",
        "",
        "}  // namespace pelkano",
        "",
    ])
    with open(out, "w", encoding="utf-8") as f:
        f.write(text)


if __name__ == "__main__":
    main()
