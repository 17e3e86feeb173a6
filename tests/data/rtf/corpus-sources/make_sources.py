# -*- coding: utf-8 -*-
import os, sys, random
sys.path.insert(0, os.path.dirname(__file__))
from content import *
out = sys.argv[1] if len(sys.argv) > 1 else "src"
os.makedirs(out, exist_ok=True)
open(f"{out}/leaf.png", "wb").write(png(24, 16, (40, 160, 60)))
open(f"{out}/pot.png", "wb").write(png(12, 20, (160, 90, 40)))

def H(title, body):
    return f'<!DOCTYPE html>\n<html><head><meta charset="utf-8"><title>{title}</title></head><body>\n{body}\n</body></html>\n'

def ul(items, tag="ul", attrs=""):
    return f"<{tag}{attrs}>" + "".join(f"<li>{i}</li>" for i in items) + f"</{tag}>"

def table(rows, border=1, extra=""):
    s = f'<table border="{border}" cellpadding="4"{extra}>'
    for r in rows:
        s += "<tr>" + "".join(c if c.startswith("<td") or c.startswith("<th") else f"<td>{c}</td>" for c in r) + "</tr>"
    return s + "</table>"

docs = {}
docs["en-basic"] = H("Basic", f"<h1>Spring notes</h1><p>{para('en',3)}</p><p><b>Bold words</b>, <i>italic words</i>, <u>underlined words</u>, <s>struck words</s>, x<sup>2</sup> and H<sub>2</sub>O.</p>"
    f"<p><font color='#c00000'>Red text</font> and <span style='color:#0060c0;background:#ffff80'>blue on yellow</span>. A <a href='https://example.org/spring'>link to a page</a> ends here.</p><h2>Second heading</h2><p>{para('en',2)}</p>")
docs["en-lists"] = H("Lists", "<h1>Lists</h1>" + ul(["Apples", "Pears " + ul(["Conference", "Williams " + ul(["early", "late"])]), "Plums"])
    + ul(["First step", "Second step " + ul(["sub a", "sub b"], "ol", " type='a'"), "Third step " + ul(["part i", "part ii"], "ol", " type='i'")], "ol")
    + ul(["Item starting at five", "next"], "ol", " start='5'") + f"<p>{para('en',2)}</p>")
docs["en-table"] = H("Table", f"<p>{para('en',1)}</p>" + table([["<th>Name</th>", "<th>Light</th>", "<th>Water</th>"], ["Fern", "shade", "often"], ["Cactus", "sun", "rarely"], ["<td colspan='2'>Merged across two</td>", "end"], ["<td rowspan='2'>Tall cell</td>", "a", "b"], ["c", "d"]]) + f"<p>{para('en',1)}</p>")
docs["en-table-nested"] = H("Nested", f"<p>Before the table.</p>" + table([["Outer one", table([["Inner A", "Inner B"], ["Inner C", "Inner D"]])], ["Outer three", "Outer four " + table([["Deep " + table([["Deepest"]])]])]]) + "<p>After the table.</p>")
docs["ru-unicode"] = H("Русский", f"<h1>Заметки о растениях</h1><p>{para('ru',3)}</p>" + ul(["Первый пункт", "Второй пункт " + ul(["вложенный", "ещё один"], "ol"), "Третий пункт"])
    + table([["Название", "Полив"], ["Фикус", "умеренный"], ["Алоэ", "редкий"]]) + f"<p><b>Жирный</b> и <i>курсив</i>. {para('ru',2)}</p>")
docs["ja-text"] = H("日本語", f"<h1>日本語の文書</h1><p>{para('ja',3)}</p>" + ul(["最初の項目", "二番目の項目", "三番目の項目"], "ol") + table([["名前", "説明"], ["桜", "春に咲く"], ["菊", "秋に咲く"]]))
docs["zh-text"] = H("中文", f"<h1>中文文档</h1><p>{para('zh',3)}</p>" + ul(["第一项", "第二项 " + ul(["子项目"]), "第三项"]) + f"<p><b>粗体</b>和<i>斜体</i>。{para('zh',2)}</p>")
docs["tw-text"] = H("繁體", f"<h1>繁體中文</h1><p>{para('tw',3)}</p>" + table([["項目", "內容"], ["一", "春天"], ["二", "夏天"]]) + f"<p>{para('tw',2)}</p>")
docs["ko-text"] = H("한국어", f"<h1>한국어 문서</h1><p>{para('ko',3)}</p>" + ul(["첫 번째", "두 번째", "세 번째"]) + f"<p>{para('ko',2)}</p>")
docs["euro-mixed"] = H("Mixed", "".join(f"<p lang='{l}'>{para(l,1)}</p>" for l in ['de', 'fr', 'pl', 'cs', 'el', 'tr']) + "<p>Symbols: € £ ¥ © ® ™ — – “quotes” ‘single’ … § ¶ ° ± × ÷ µ</p>")
docs["indents"] = H("Indents", f"<p style='text-align:center'>Centred: {para('en',1)}</p><p style='text-align:right'>Right aligned line.</p><p style='text-align:justify'>Justified: {para('en',4)}</p>"
    f"<blockquote>{para('en',2)}</blockquote><p style='margin-left:2cm;text-indent:-1cm'>Hanging indent paragraph. {para('en',2)}</p><pre>preformatted  text\n  keeps   spaces\n</pre>")
docs["image"] = H("Pictures", f"<p>A picture follows.</p><p><img src='leaf.png' width='48' height='32' alt='leaf'> Leaf picture with text after it.</p><p>Second picture: <img src='pot.png'> and a <a href='http://example.com/pots'>link</a>.</p><p>{para('en',2)}</p>")
docs["ru-nested"] = H("Вложенные", "<p>Таблица в таблице:</p>" + table([["Снаружи", table([["Внутри один", "Внутри два"]])], ["Строка два", "конец"]]) + ul(["Уровень один " + ul(["Уровень два " + ul(["Уровень три"], "ol")], "ol")], "ol"))
docs["cjk-mixed"] = H("CJK", f"<p>{para('ja',1)}</p><p>{para('zh',1)}</p><p>{para('ko',1)}</p><p>English between: {para('en',1)}</p><p>Русский: {para('ru',1)}</p>")
for k, v in docs.items():
    open(f"{out}/{k}.html", "w", encoding="utf-8").write(v)

md = {}
md["md-footnotes"] = """# Footnotes and links

A sentence with a footnote.[^1] Another one with a second note.[^2]

Visit [the example site](https://example.org) for *more* **information**.

[^1]: The first footnote text, with *emphasis*.
[^2]: The second footnote, which is a little longer and has two sentences. Here is the second.
"""
md["md-lists"] = """# Nested lists

1. First
   1. First of first
   2. Second of first
      - bullet deep
      - another deep
2. Second
3. Third

- Bullet one
  - Bullet two
    - Bullet three

Term
: Definition of the term.
"""
md["md-table"] = """# Tables

| Plant | Light | Water |
|:------|:-----:|------:|
| Fern  | shade | often |
| Cactus | sun | rarely |
| Orchid | bright | weekly |

Table: A caption for the table.

Text after the table.
"""
md["md-russian"] = "# Заголовок\n\n" + para('ru', 4) + "\n\n1. Первый\n2. Второй\n    - вложенный\n\n| Имя | Значение |\n|---|---|\n| один | два |\n\nСноска здесь.[^1]\n\n[^1]: " + para('ru', 1) + "\n"
md["md-japanese"] = "# 見出し\n\n" + para('ja', 4) + "\n\n- 一つ目\n- 二つ目\n\n" + para('ja', 2) + "\n"
md["md-chinese"] = "# 标题\n\n" + para('zh', 3) + "\n\n1. 第一\n2. 第二\n\n" + para('tw', 2) + "\n"
md["md-korean"] = "# 제목\n\n" + para('ko', 3) + "\n\n- 하나\n- 둘\n"
md["md-code"] = "# Code and quotes\n\n> A quoted paragraph. " + para('en', 2) + "\n\n```\nint main() { return 0; }\n```\n\nInline `code` and ~~strike~~ text, H~2~O and x^2^.\n\n---\n\n" + para('en', 3) + "\n"
md["md-long"] = "\n\n".join(f"## Section {i}\n\n" + para('en', 5) + "\n\n- " + para('en', 1) + "\n- " + para('en', 1) for i in range(1, 21)) + "\n"
md["md-mixed"] = "# Mixed\n\n" + "\n\n".join(para(l, 2) for l in ['en', 'de', 'fr', 'ru', 'el', 'pl', 'tr', 'cs']) + "\n"
for k, v in md.items():
    open(f"{out}/{k}.md", "w", encoding="utf-8").write(v)

# Plain texts for LibreOffice's text import and for enscript (in their own random sequence).
random.seed(7)
open(f"{out}/notes.txt", "w").write("\n\n".join(para('en', 4) for _ in range(12)) + "\n")
open(f"{out}/notes-latin1.txt", "w", encoding="latin1").write("\n\n".join(para(l, 2) for l in ['de', 'fr', 'de', 'fr']) + "\n")
open(f"{out}/notes-koi8.txt", "w", encoding="koi8-r").write("\n\n".join(para('ru', 3) for _ in range(5)) + "\n")
open(f"{out}/notes-ru-1251.txt", "w", encoding="cp1251").write("\n\n".join(para('ru', 3) for _ in range(6)) + "\n")
