# -*- coding: utf-8 -*-
import zlib, struct, os, random, html
random.seed(7)

TEXTS = {
 'en': ["The quick brown fox jumps over the lazy dog while the kettle boils.",
        "Repotting is best done in early spring, before new growth begins.",
        "Water thoroughly, then let the top two centimetres of soil dry out.",
        "A south-facing window gives bright light for most of the day.",
        "Feed every fortnight from April to September with a weak fertiliser."],
 'ru': ["Съешь же ещё этих мягких французских булок, да выпей чаю.",
        "Широкая электрификация южных губерний даст мощный толчок подъёму сельского хозяйства.",
        "Пересаживать лучше всего ранней весной, до начала роста.",
        "Поливать обильно, затем дать верхнему слою почвы просохнуть.",
        "В пёстрых листьях меньше хлорофилла, поэтому им нужно больше света."],
 'ja': ["いろはにほへと ちりぬるを わかよたれそ つねならむ。",
        "今日は良い天気ですね。東京都の人口は約千四百万人です。",
        "春になると、庭の花が一斉に咲き始めます。",
        "水やりは土の表面が乾いてからたっぷりと与えてください。"],
 'zh': ["我能吞下玻璃而不伤身体。",
        "春天来了，花园里的花都开了。",
        "每两周施一次稀释的肥料，冬季停止施肥。"],
 'tw': ["我能吞下玻璃而不傷身體。",
        "天氣晴朗，適合在公園裡散步。",
        "這本書的內容非常豐富，值得一讀。"],
 'ko': ["나는 유리를 먹을 수 있어요. 그래도 아프지 않아요.",
        "오늘은 날씨가 좋습니다. 공원에 산책하러 갑시다.",
        "봄이 오면 정원의 꽃들이 피기 시작합니다."],
 'de': ["Falsches Üben von Xylophonmusik quält jeden größeren Zwerg.",
        "Die Blätter färben sich im Herbst gelb, orange und rot."],
 'fr': ["Portez ce vieux whisky au juge blond qui fume sur son île intérieure.",
        "L'été dernier, nous avons planté des capucines près de la fenêtre."],
 'pl': ["Zażółć gęślą jaźń. Pchnąć w tę łódź jeża lub ośm skrzyń fig."],
 'cs': ["Příliš žluťoučký kůň úpěl ďábelské ódy."],
 'el': ["Ξεσκεπάζω την ψυχοφθόρα βδελυγμία. Τα φύλλα πέφτουν το φθινόπωρο."],
 'tr': ["Pijamalı hasta yağız şoföre çabucak güvendi."],
}

def para(lang, n=2):
    t = TEXTS[lang]
    return " ".join(random.choice(t) for _ in range(n))

def png(w=24, h=16, rgb=(40, 160, 60)):
    raw = b"".join(b"\x00" + bytes(rgb) * w for _ in range(h))
    def chunk(tag, data):
        c = struct.pack(">I", len(data)) + tag + data
        return c + struct.pack(">I", zlib.crc32(tag + data) & 0xffffffff)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b""))
