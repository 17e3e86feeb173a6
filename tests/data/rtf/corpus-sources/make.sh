#!/bin/bash
# Remakes the generated part of tests/data/rtf/corpus with the Debian 12 programs named in its README:
#   apt-get install libreoffice-writer-nogui libreoffice-math abiword pandoc latex2rtf enscript librtf-writer-perl troffcvt docbook-utils
# Output goes to OUT (default: a new temporary folder); copy what you want into the corpus by hand.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
out="${1:-$(mktemp -d)}"
mkdir -p "$out" && cd "$out"
mkdir -p src mid lo lo2 lodocx lotxt abi abiodt pandoc l2r ens jade rw troff
python3 "$here/make_sources.py" src
soffice --headless --infilter="HTML (StarWriter)" --convert-to rtf --outdir lo src/*.html
soffice --headless --infilter="HTML (StarWriter)" --convert-to rtf --outdir lo2 "$here"/html/*.html
for f in src/*.html; do n=$(basename "$f" .html)
    abiword --to=rtf -o "abi/$n.rtf" "$f"
    pandoc -f html -t rtf -s -o "pandoc/$n-html.rtf" "$f"
done
for f in src/*.md; do n=$(basename "$f" .md)
    pandoc -f markdown -t rtf -s -o "pandoc/$n.rtf" "$f"
    pandoc -f markdown -t docx -o "mid/$n.docx" "$f"
    pandoc -f markdown -t odt -o "mid/$n.odt" "$f"
    abiword --to=rtf -o "abiodt/$n.rtf" "mid/$n.odt"
done
for n in en-table-nested ru-nested en-lists image; do
    pandoc -f html -t docx --resource-path=src -o "mid/$n-h.docx" "src/$n.html"
done
pandoc -f markdown -t docx -o mid/objects-math-comment.docx "$here/md/objects.md"   # needs libreoffice-math too
soffice --headless --convert-to rtf --outdir lodocx mid/*.docx
cp src/notes-ru-1251.txt mid/ru-1251.txt && cp src/notes.txt mid/notes-en.txt
soffice --headless --infilter="Text (encoded):MS_1251,LF,,," --convert-to rtf --outdir lotxt mid/ru-1251.txt
soffice --headless --infilter="Text (encoded):UTF8,LF,,," --convert-to rtf --outdir lotxt mid/notes-en.txt
(cd "$here/tex" && for f in *.tex; do latex2rtf -o "$out/l2r/${f%.tex}.rtf" "$f"; done)
enscript --language=rtf -p ens/notes.rtf src/notes.txt
enscript --language=rtf -E -p ens/python-highlight.rtf "$here/make_sources.py"
enscript --language=rtf -Ebash --color -p ens/shell-color.rtf /usr/bin/docbook2rtf
enscript --language=rtf -X latin1 -p ens/latin1.rtf src/notes-latin1.txt
enscript --language=rtf -X koi8 -p ens/koi8.rtf src/notes-koi8.txt
enscript --language=rtf -E --color -p ens/latex-color.rtf "$here/tex/footnotes.tex"
docbook2rtf -o jade "$here/docbook/guide.sgml"
docbook2rtf -o jade "$here/docbook/book.sgml"
SP_ENCODING=utf-8 SP_CHARSET_FIXED=yes docbook2rtf -o jade "$here/docbook/russian.sgml"
(cp src/leaf.png rw/ && cd rw && perl "$here/rw.pl")
troff2rtf -ms "$here/troff/boxes.ms" > troff/boxes-ms.rtf
troff2rtf -ms "$here/troff/report.ms" > troff/report-ms.rtf
troff2rtf -me "$here/troff/notes.me" > troff/notes-me.rtf
troff2rtf -man "$here/troff/tool.1" > troff/tool-man.rtf
echo "made in $out"
