#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes test texts for the converter benchmark.

  gentext.py game  SIZE_MB FILE    German game-style text in Windows-1252, CRLF lines: accented
                                   words and typographic punctuation, about 3% bytes above 127
  gentext.py game-utf8 SIZE_MB FILE
                                   the same game text saved as UTF-8 (no byte-order mark), as
                                   a current editor saves it
  gentext.py ascii SIZE_MB FILE    the same kind of lines in pure ASCII
  gentext.py small COUNT FOLDER    COUNT game-text files of 2 KB each, named NNNNN.deu

The output is the same for the same arguments (fixed seed).
"""

import random
import sys
import unicodedata

# Plain words and words with umlauts, sharp s and French accents, as game texts have them.
PLAIN = (
    "der die das und ein eine Einheit Truppen Angriff Verteidigung Burg Stadt Dorf Ritter "
    "Bogenschützen Kampagne Szenario Spieler Gegner Karte Gold Holz Stein Nahrung Armee "
    "General Festung Mauer Turm Brücke Straße Wald Fluss Berg Hafen Schiff Flotte Handel "
    "Markt Kaserne Schmiede Kloster Mönch Priester König Königin Prinz Herzog Graf Bauer "
    "nach dem zu mit von auf ist wird hat sind war werden kann muss soll Sieg Niederlage "
    "Ziel Auftrag erobern zerstören verteidigen sammeln bauen ausbilden erforschen "
    "Verstärkung erreicht Lager Späher Reiterei Fußvolk Belagerung Katapult Rammbock "
    "Zugbrücke Schatzkammer Tribut Bündnis Verräter Grenze Nordwind Südtor Ostmark"
).split()
FRENCH = "Opération château élite bâtiment forêt épée héros côte".split()
# Windows-1252 typographic punctuation: „ “ ” ‚ ‘ ’ – — … « »
QUOTES = [("\u201e", "\u201c"), ("\u00ab", "\u00bb"), ("\u201a", "\u2018")]
DASHES = ["\u2013", "\u2014"]

ASCII_MAP = str.maketrans({
    "ä": "ae", "ö": "oe", "ü": "ue", "Ä": "Ae", "Ö": "Oe", "Ü": "Ue", "ß": "ss",
    "é": "e", "è": "e", "â": "a", "ê": "e", "ô": "o", "\u201e": '"', "\u201c": '"',
    "\u00ab": '"', "\u00bb": '"', "\u201a": "'", "\u2018": "'", "\u2019": "'",
    "\u2013": "-", "\u2014": "-", "\u2026": "...",
})


def sentence(rng):
    words = [rng.choice(PLAIN) for _ in range(rng.randint(5, 14))]
    if rng.random() < 0.15:
        words[rng.randrange(len(words))] = rng.choice(FRENCH)
    text = " ".join(words)
    text = text[0].upper() + text[1:]
    roll = rng.random()
    if roll < 0.2:
        left, right = rng.choice(QUOTES)
        text = f"{left}{text}{right}"
    elif roll < 0.3:
        text += " " + rng.choice(DASHES) + " " + rng.choice(PLAIN)
    elif roll < 0.35:
        text += "\u2026"
    elif roll < 0.4:
        text = text.replace(" ist ", " ist\u2019s ", 1)
    return text + rng.choice([".", ".", "!", "?", ":"])


def line(rng, encoding):
    kind = rng.random()
    if kind < 0.1:
        text = f"[{rng.randint(1, 9999):04d}]"
    elif kind < 0.2:
        text = ""
    else:
        text = " ".join(sentence(rng) for _ in range(rng.randint(1, 3)))
    if encoding == "ascii":
        plain = unicodedata.normalize("NFKD", text.translate(ASCII_MAP))
        return plain.encode("ascii", "ignore")
    return text.encode(encoding)


# The encoding of each kind of text.
ENCODINGS = {"game": "cp1252", "game-utf8": "utf-8", "ascii": "ascii"}


def block(rng, size, encoding):
    parts = []
    total = 0
    while total < size:
        data = line(rng, encoding) + b"\r\n"
        parts.append(data)
        total += len(data)
    return b"".join(parts)


def write_text(kind, size_mb, path):
    rng = random.Random(408)
    size = int(size_mb * 1_000_000)
    # Four distinct megabytes, repeated: generating every byte afresh would take longer than
    # the measurements themselves.
    chunk = block(rng, min(size, 4_000_000), ENCODINGS[kind])
    with open(path, "wb") as out:
        written = 0
        while written < size:
            end = min(len(chunk), size - written)
            # UTF-8 is cut between characters (the file may come out a few bytes short).
            while kind == "game-utf8" and 0 < end < len(chunk) and chunk[end] & 0xC0 == 0x80:
                end -= 1
            out.write(chunk[:end])
            written += end
            if end < min(len(chunk), size - written + end):
                break


def write_small(count, folder):
    import os

    rng = random.Random(408)
    os.makedirs(folder, exist_ok=True)
    for i in range(count):
        data = block(rng, 2048, "cp1252")[:2048]
        with open(os.path.join(folder, f"{i:05d}.deu"), "wb") as out:
            out.write(data)


def main(argv):
    if len(argv) != 4 or argv[1] not in ("game", "game-utf8", "ascii", "small"):
        sys.exit(__doc__)
    if argv[1] == "small":
        write_small(int(argv[2]), argv[3])
    else:
        write_text(argv[1], float(argv[2]), argv[3])


if __name__ == "__main__":
    main(sys.argv)
