#!/usr/bin/env bash
# Each book's words against an independent extraction (pandoc -t plain): the words the book's
# text lacks ("missing") and the words only it has ("added"), counted as multisets of words
# (letters and digits; case ignored), for one or two builds side by side.
#   bench/formats/compare_words.sh [build folder] [earlier build folder]
# A build folder must hold bin/bench_book_text (cmake --build BUILD --target bench_book_text).
# The corpus: books this script writes (notes named and marked, poems, tables, drawings,
# formulas, objects, deep nesting, an internal DTD subset, an impossible charset), HTML
# documentation installed with Debian packages, and every *.epub, *.fb2, *.html in $CORPUS
# (a folder of real books, such as the EPUB 3 samples packed into .epub files).
# KEEP=folder keeps the corpus and each tool's text there.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../.." && pwd)"
after="${1:-$root/build}/bin/bench_book_text"
before="${2:+$2/bin/bench_book_text}"
[ -x "$after" ] || { echo "build bench_book_text first: cmake --build build --target bench_book_text" >&2; exit 1; }
command -v pandoc > /dev/null || { echo "pandoc is missing (package pandoc)" >&2; exit 1; }
work="${KEEP:-$(mktemp -d)}"
[ -n "${KEEP:-}" ] || trap 'rm -rf "$work"' EXIT
mkdir -p "$work/corpus"

python3 - "$work/corpus" <<'PY'
import sys, zipfile
out = sys.argv[1]
words = 'ветер море капитан шторм парус берег волна якорь палуба мачта wind sea harbour anchor deck mast'.split()
def text(n, k=0):
    return ' '.join(words[(k * 5 + i * 7) % len(words)] for i in range(n))

def page(body, lang='ru', head=''):
    return ('<?xml version="1.0" encoding="utf-8"?>%s<html xmlns="http://www.w3.org/1999/xhtml" '
            'xmlns:epub="http://www.idpf.org/2007/ops" lang="%s"><head><title>Книга</title></head><body>%s</body></html>'
            % (head, lang, body))

def epub(name, docs, extra_items='', lang='ru'):
    items = ''.join('<item id="d%d" href="%s" media-type="%s"/>' % (i, n, t) for i, (n, t, _) in enumerate(docs))
    spine = ''.join('<itemref idref="d%d"/>' % i for i in range(len(docs)))
    with zipfile.ZipFile(out + '/' + name, 'w', zipfile.ZIP_DEFLATED) as z:
        z.writestr(zipfile.ZipInfo('mimetype'), 'application/epub+zip')
        z.writestr('META-INF/container.xml', '<?xml version="1.0"?><container version="1.0" xmlns="urn:oasis:names:tc:'
                   'opendocument:xmlns:container"><rootfiles><rootfile full-path="OEBPS/content.opf" '
                   'media-type="application/oebps-package+xml"/></rootfiles></container>')
        z.writestr('OEBPS/content.opf', '<?xml version="1.0"?><package xmlns="http://www.idpf.org/2007/opf" version="3.0" '
                   'unique-identifier="id"><metadata xmlns:dc="http://purl.org/dc/elements/1.1/"><dc:identifier id="id">x'
                   '</dc:identifier><dc:title>%s</dc:title><dc:language>%s</dc:language></metadata><manifest>%s%s'
                   '</manifest><spine>%s</spine></package>' % (name, lang, items, extra_items, spine))
        for n, _, content in docs:
            z.writestr('OEBPS/' + n, content)

X = 'application/xhtml+xml'
chapters = [('c%d.xhtml' % i, X, page('<h1>Глава %d</h1>' % i + ''.join('<p>%s</p>' % text(40, i * 10 + j) for j in range(20))))
            for i in range(3)]
# Chapters whose file names hold "note", between others.
epub('named-notes.epub', [chapters[0], ('processing_of_notes.xhtml', X, chapters[1][2]),
                          ('chapter_002_notebook.xhtml', X, chapters[2][2])])
# Notes by reference into an endnotes document, and by mark in the chapter.
body = ''.join('<p>%s<a epub:type="noteref" href="endnotes.xhtml#e%d">%d</a> %s<sup><a href="#f%d">%d</a></sup></p>'
               % (text(30, j), j, j, text(10, j + 50), j, j) for j in range(1, 30))
body += ''.join('<aside epub:type="footnote" id="f%d"><p>%s</p></aside>' % (j, text(8, j + 200)) for j in range(1, 30))
notes = '<h1>Notes</h1><ol>' + ''.join('<li id="e%d"><p><a href="c.xhtml">%d</a>. %s</p></li>' % (j, j, text(12, j + 300))
                                       for j in range(1, 30)) + '</ol>'
epub('marked-notes.epub', [('c.xhtml', X, page(body, 'en')), ('endnotes.xhtml', X, page(notes, 'en'))], lang='en')
# Text in drawings (inline and as spine documents), formulas, objects' fallback.
svg = ('<?xml version="1.0"?><svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 100 100"><title>x</title>' +
       ''.join('<text x="0" y="%d">%s <tspan>%s</tspan></text>' % (i * 10, text(5, i), text(3, i + 9)) for i in range(8)) + '</svg>')
math = ''.join('<p>%s <math><mi>C</mi><mo>=</mo><mn>%d</mn></math> %s <math alttext="x + %d"><mi>x</mi></math></p>'
               % (text(12, j), j, text(6, j + 1), j) for j in range(40))
obj = ''.join('<object data="quiz%d.swf"><param name="a" value="b"/><p>%s</p></object>' % (j, text(15, j)) for j in range(10))
epub('hidden-text.epub', [('p1.svg', 'image/svg+xml', svg), ('m.xhtml', X, page(math)), ('o.xhtml', X, page(obj)),
                          ('s.xhtml', X, page('<p>%s</p><svg xmlns="http://www.w3.org/2000/svg">%s</svg>'
                                              % (text(10), svg[svg.index('<text'):svg.index('</svg>')])))])
# An FB2 with poems, tables, notes.
fb2 = ['<?xml version="1.0" encoding="utf-8"?><FictionBook xmlns:l="http://www.w3.org/1999/xlink"><description>'
       '<title-info><book-title>Стихи</book-title><lang>ru</lang></title-info></description><body>']
for s in range(5):
    fb2.append('<section><title><p>Часть %d</p></title><poem><stanza>%s</stanza></poem><table><tr><td>%s</td><td>%s</td>'
               '</tr></table><p>%s<a l:href="#n%d" type="note">%d</a>.</p></section>'
               % (s, ''.join('<v>%s</v>' % text(6, s * 10 + v) for v in range(8)), text(3, s), text(3, s + 1), text(20, s), s, s))
fb2.append('</body><body name="notes">' + ''.join('<section id="n%d"><title><p>%d</p></title><p>%s</p></section>'
                                                  % (s, s, text(7, s + 70)) for s in range(5)) + '</body></FictionBook>')
open(out + '/poems.fb2', 'w', encoding='utf-8').write(''.join(fb2))
# HTML: nesting beyond 256 levels, an internal DTD subset, an impossible charset.
deep = '<div>' * 400 + '<p>%s</p>' % text(30) + '</div>' * 400 + ''.join('<p>%s</p>' % text(30, j) for j in range(20))
open(out + '/deep.html', 'w', encoding='utf-8').write(page(deep))
subset = '<!DOCTYPE html [\n<!ENTITY author "Автор">\n]>\n'
open(out + '/subset.xhtml', 'w', encoding='utf-8').write(page(''.join('<p>%s &author;</p>' % text(20, j) for j in range(20)),
                                                              head=subset))
open(out + '/utf16-declared.html', 'wb').write(('<html><head><meta charset="utf-16"><title>Т</title></head><body>' +
                                                ''.join('<p>%s</p>' % text(20, j) for j in range(20)) + '</body></html>').encode('cp1251'))
PY

# Installed documentation as real HTML books.
for f in /usr/share/doc/python3/python-policy.html /usr/share/doc/libxslt1-dev/html/xslt.html \
         /usr/share/doc/libxslt1-dev/html/news.html /usr/share/doc/libjs-underscore/index.html; do
  [ -f "$f" ] && cp "$f" "$work/corpus/debian-$(basename "$(dirname "$f")")-$(basename "$f")"
done
for f in "${CORPUS:-/nonexistent}"/*.{epub,fb2,html}; do [ -f "$f" ] && cp "$f" "$work/corpus/"; done

mkdir -p "$work/out"
for book in "$work/corpus"/*; do
  name="$(basename "$book")"
  case "$name" in
    *.epub) from=epub ;; *.fb2) from=fb2 ;; *) from=html ;;
  esac
  timeout "${PANDOC_SECONDS:-900}" pandoc -f "$from" -t plain --wrap=none "$book" > "$work/out/$name.pandoc" 2> /dev/null || echo "(pandoc failed)" > "$work/out/$name.pandoc"
  for tool in after before; do
    exe="${!tool}"
    [ -n "$exe" ] || continue
    if ! timeout 120 "$exe" "$book" > "$work/out/$name.$tool" 2> "$work/out/$name.$tool.err"; then
      echo "REFUSED: $(head -c 120 "$work/out/$name.$tool.err")" > "$work/out/$name.$tool"
    fi
  done
done

python3 - "$work/out" "${before:+before}" <<'PY'
import sys, os, re, collections
out, has_before = sys.argv[1], len(sys.argv) > 2 and sys.argv[2] == 'before'
def words(path):
    t = open(path, encoding='utf-8', errors='replace').read()
    return None if t.startswith('REFUSED') else collections.Counter(re.findall(r'\w+', t.lower()))
tools = (['before'] if has_before else []) + ['after']
head = '%-44s %8s' % ('book', 'pandoc') + ''.join(' %18s' % ('%s miss/add' % t) for t in tools)
print(head)
totals = {t: [0, 0] for t in tools}
for f in sorted(os.listdir(out)):
    if not f.endswith('.pandoc'): continue
    name = f[:-7]
    ref = words(os.path.join(out, f)) or collections.Counter()
    if open(os.path.join(out, f), encoding='utf-8', errors='replace').read().startswith('(pandoc failed)'):
        print('%-44s %8s' % (name[:44], 'failed'))
        continue
    row = '%-44s %8d' % (name[:44], sum(ref.values()))
    for t in tools:
        got = words(os.path.join(out, name + '.' + t))
        if got is None:
            row += ' %18s' % 'refused'
            continue
        miss, add = sum((ref - got).values()), sum((got - ref).values())
        totals[t][0] += miss; totals[t][1] += add
        row += ' %18s' % ('%d / %d' % (miss, add))
    print(row)
print('%-44s %8s' % ('total', '') + ''.join(' %18s' % ('%d / %d' % tuple(totals[t])) for t in tools))
PY
