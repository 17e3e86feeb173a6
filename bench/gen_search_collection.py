#!/usr/bin/env python3
"""Makes a collection for the search benchmark: PLANTS plants in three groups (a tenth of them in
folders), three pages each written as a Windows rich-edit control writes Windows-1251 RTF, a photo with
its comment each, and a few notes.  Usage: gen_search_collection.py PROGRAM_FOLDER [PLANTS] [PAGE_KB]"""
import os
import random
import sys

pf = sys.argv[1]
plants = int(sys.argv[2]) if len(sys.argv) > 2 else 2000
page_kb = int(sys.argv[3]) if len(sys.argv) > 3 else 50
rng = random.Random(18)

real = ("полив поливать полива пересадка пересадил удобрение подкормка фунгицид опрыскивание тля "
        "щитовка клещ цветение бутоны листья корни грунт дренаж горшок ярмарка купил подарок свет "
        "тень окно балкон зима весна лето осень черенок укоренение семена рассада подрезка обрезка "
        "влажность температура минус плюс ёмкость ёжик зелёный жёлтый").split()
syll = "ка ло ми ра ни то ве се да ли по ре жа лу ко бе ны ст ва ры ще ёл зо ду ги хо".split()
ends = ["", "а", "ы", "ой", "ая", "ее", "ов", "ами", "ение", "ка"]
vocab = real + ["".join(rng.choice(syll) for _ in range(rng.randint(2, 4))) + rng.choice(ends)
                for _ in range(6000)]
latin = "Aloe Echeveria Ficus Monstera Haworthia Sansevieria Opuntia Begonia Fungicide Topaz".split()


def rtf_escape(word):
    return "".join("\\'%02x" % b if b >= 0x80 else chr(b) for b in word.encode("cp1251"))


esc = {w: rtf_escape(w) for w in vocab}
weights = [30 if w in real else 1 for w in vocab]

HEAD = ("{\\rtf1\\ansi\\ansicpg1251\\deff0\\deflang1049{\\fonttbl{\\f0\\fnil\\fcharset204 Times New Roman;}"
        "{\\f1\\fswiss\\fcharset204 Arial;}}\r\n{\\colortbl ;\\red255\\green0\\blue0;}\r\n"
        "\\viewkind4\\uc1\\pard\\lang1049\\f0\\fs24 ")


def page(kb):
    out, size = [HEAD], len(HEAD)
    while size < kb * 1024:
        words = rng.choices(vocab, weights, k=60)
        parts = []
        for i, w in enumerate(words):
            e = esc[w]
            r = rng.random()
            if r < 0.02:
                e = "\\b " + e + "\\b0 "
            elif r < 0.03:
                e = "{\\cf1 " + e + "}"
            elif r < 0.035:
                e = rng.choice(latin)
            parts.append(e)
        line = " ".join(parts) + ".\\par\r\n"
        out.append(line)
        size += len(line)
    out.append("}\r\n\x00")
    return "".join(out).encode("latin-1")


def write(path, data):
    with open(path, "wb") as f:
        f.write(data)


def node(folder, cond):
    os.makedirs(folder, exist_ok=True)
    write(os.path.join(folder, "plant.ini"), b"[Main]\r\nCond=%d\r\nExpanded=0\r\n\r\n" % cond)
    for name in ("description.rtf", "care.rtf", "diary.rtf"):
        write(os.path.join(folder, name), page(rng.randint(page_kb * 2 // 3, page_kb * 4 // 3)))
    write(os.path.join(folder, "p1.jpg"), b"\xff\xd8\xff\xd9")
    comment = " ".join(rng.choices(vocab, weights, k=12))
    write(os.path.join(folder, "p1.jpg.txt"), comment.encode("cp1251"))


root = os.path.join(pf, "MyPlants")
groups = ["Декоративнолиственные", "Декоративноцветущие", "Суккуленты"]
for g, name in enumerate(groups):
    gf = os.path.join(root, name)
    os.makedirs(gf, exist_ok=True)
    write(os.path.join(gf, "group.ini"), b"[Group]\r\nColor=16777215\r\nImageIndex=%d\r\nImageOrder=%d\r\n" % (g + 1, g + 1))
for i in range(plants):
    gf = os.path.join(root, groups[i % 3])
    name = "%s %s %04d" % (rng.choice(latin), rng.choice(real).capitalize(), i)
    if i % 10 == 0:
        folder = os.path.join(gf, "Папка %d" % (i // 100))
        os.makedirs(folder, exist_ok=True)
        write(os.path.join(folder, "plant.ini"), b"[Main]\r\nCond=1\r\nExpanded=0\r\n\r\n")
        node(os.path.join(folder, name), i % 6 if i % 6 != 1 else 0)
    else:
        node(os.path.join(gf, name), i % 6 if i % 6 != 1 else 0)
notes = os.path.join(root, "!Notes", "Main")
os.makedirs(notes, exist_ok=True)
write(os.path.join(notes, "description.rtf"), page(10))
