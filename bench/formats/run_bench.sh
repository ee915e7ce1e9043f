#!/usr/bin/env bash
# Create of a book in FB2 and in EPUB against Create of the same text as a plain cp1251 .txt, in
# the same run: the whole package build, the book laid out and converted on the way, and the
# peak memory of each. The FB2 is about 10 MiB (SIZE_MIB=n for another size; a larger size
# shows whether the peak grows with the book).
#   bench/formats/run_bench.sh [build folder]     (default: build beside this script's repository)
# RUNS=n sets the runs of each (best one counts); files go under $TMPDIR (TMPDIR=/dev/shm leaves
# the disk out). KEEP=folder keeps a copy of the three books there, for profiling.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../.." && pwd)"
build="${1:-$root/build}"
tool="$build/bin/bench_book_build"
runs="${RUNS:-5}"
mib="${SIZE_MIB:-10}"
. "$root/bench/bench_lib.sh"
bench_needs "$tool" "cmake --build $build --target bench_book_build"

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT

# The template: the program's own when it has been built, else a small stand-in.
bench_template "$build" "$scratch"

# Chapters of paragraphs of the shipped sample's words, with a little inline markup and an
# embedded picture; the same book as EPUB (one chapter a file), and its laid-out text in cp1251.
python3 - "$mib" "$scratch" "$root/data/sample" <<'PY'
import random, sys, zipfile, base64
size = int(sys.argv[1]) << 20
out = sys.argv[2]
words = open(sys.argv[3], 'rb').read().decode('cp1251').split()
words = [w.replace('&', '').replace('<', '').replace('>', '') for w in words if w.strip('&<>')]
rnd = random.Random(1)
chapters, length = [], 0
while length < size:
    paras = []
    for _ in range(rnd.randint(20, 60)):
        p = ' '.join(rnd.choice(words) for _ in range(rnd.randint(10, 90)))
        paras.append(p)
        length += len(p.encode('utf-8')) + 8
    chapters.append(('Глава %d' % (len(chapters) + 1), paras))

def marked(p):
    w = p.split(' ')
    if len(w) > 3: w[1] = '<emphasis>' + w[1] + '</emphasis>'
    return ' '.join(w)

picture = base64.b64encode(rnd.randbytes(300000)).decode()
fb2 = ['<?xml version="1.0" encoding="utf-8"?>\n<FictionBook xmlns="http://www.gribuser.ru/xml/fictionbook/2.0" '
       'xmlns:l="http://www.w3.org/1999/xlink"><description><title-info><book-title>Книга для замера</book-title>'
       '</title-info></description><body>']
for title, paras in chapters:
    fb2.append('<section><title><p>%s</p></title>\n' % title)
    fb2.extend('<p>%s</p>\n' % marked(p) for p in paras)
    fb2.append('</section>\n')
fb2.append('</body><binary id="pic" content-type="image/jpeg">%s</binary></FictionBook>\n' % picture)
open(out + '/book.fb2', 'w', encoding='utf-8').write(''.join(fb2))

with zipfile.ZipFile(out + '/book.epub', 'w', zipfile.ZIP_DEFLATED) as z:
    z.writestr(zipfile.ZipInfo('mimetype'), 'application/epub+zip')
    z.writestr('META-INF/container.xml', '<?xml version="1.0"?><container version="1.0" xmlns="urn:oasis:names:tc:'
               'opendocument:xmlns:container"><rootfiles><rootfile full-path="OEBPS/content.opf" '
               'media-type="application/oebps-package+xml"/></rootfiles></container>')
    items = ''.join('<item id="c%d" href="c%d.xhtml" media-type="application/xhtml+xml"/>' % (i, i) for i in range(len(chapters)))
    spine = ''.join('<itemref idref="c%d"/>' % i for i in range(len(chapters)))
    z.writestr('OEBPS/content.opf', '<?xml version="1.0"?><package xmlns="http://www.idpf.org/2007/opf" version="3.0">'
               '<metadata xmlns:dc="http://purl.org/dc/elements/1.1/"><dc:title>Книга для замера</dc:title></metadata>'
               '<manifest>%s</manifest><spine>%s</spine></package>' % (items, spine))
    for i, (title, paras) in enumerate(chapters):
        body = '<h1>%s</h1>' % title + ''.join('<p>%s</p>\n' % marked(p).replace('emphasis>', 'em>') for p in paras)
        z.writestr('OEBPS/c%d.xhtml' % i, '<?xml version="1.0" encoding="utf-8"?><html xmlns="http://www.w3.org/1999/xhtml">'
                   '<head><title>%s</title></head><body>%s</body></html>' % (title, body))

text = '\r\n'.join(title + '\r\n\r\n' + ''.join('   ' + p + '\r\n' for p in paras) for title, paras in chapters)
open(out + '/book.txt', 'wb').write(text.encode('cp1251'))
PY

[ -n "${KEEP:-}" ] && cp "$scratch"/book.* "$KEEP"/

# one LABEL FILE [ENCODING]: a Create, its figures appended to $scratch/LABEL.runs.
one() {
  local label="$1" text="$2" enc="${3:-}"
  local work="$scratch/work-$label/book"
  bench_work "$work"
  rm -f "$scratch/$label.jar" "$scratch/$label.jad"
  local w c r
  read -r w c r < <(measure "$scratch/time.txt" "$tool" "$text" "$template" "$work" "$scratch/$label.jar" $enc)
  echo "$w $c $r" >> "$scratch/$label.runs"
}

# The Creates take turns, so that a slower spell of the machine falls on all alike.
for ((i = 0; i < runs; i++)); do
  one txt "$scratch/book.txt"
  one fb2 "$scratch/book.fb2" auto
  one epub "$scratch/book.epub" auto
done

# The books must hold the same words: a converted book's text differs from the plain one only in
# the marks that set its titles apart (control characters) and where the layout may split words.
words() {
  python3 - "$1" <<'PY'
import re, sys, zipfile
z = zipfile.ZipFile(sys.argv[1])
pieces = sorted((n for n in z.namelist() if n.startswith('text/chunk.')), key=lambda n: int(n.rsplit('.', 1)[1]))
text = b''.join(z.read(n) for n in pieces)
text = re.sub(rb'[\x00-\x08\x0b\x0c\x0e-\x1f\xad]', b'', text)
sys.stdout.buffer.write(b'\n'.join(text.split()))
PY
}
for label in fb2 epub; do
  if ! cmp -s <(words "$scratch/txt.jar") <(words "$scratch/$label.jar"); then
    echo "the $label book holds other words than the plain one" >&2
    exit 1
  fi
done

best() { sort -n -k"$2,$2" "$scratch/$1.runs" | head -1 | awk -v k="$2" '{print $k}'; }
printf '%-26s %9s %9s %12s\n' "Create of" "wall" "cpu" "peak KiB"
for label in txt fb2 epub; do
  file="$scratch/book.$label"
  printf '%-26s %7.2f s %7.2f s %12s\n' "$label ($(($(stat -c %s "$file") >> 10)) KiB)" "$(best $label 1)" "$(best $label 2)" \
    "$(sort -n -k3,3 "$scratch/$label.runs" | tail -1 | awk '{print $3}')"
done
for label in fb2 epub; do
  awk -v a="$(best txt 1)" -v b="$(best $label 1)" -v c="$(best txt 2)" -v d="$(best $label 2)" -v l="$label" \
    'BEGIN {printf "%s over txt: wall %.2fx, cpu %.2fx\n", l, b / a, d / c}'
done
