#!/usr/bin/env bash
# What dictionary hyphenation costs: lumira-cli Create of a 16 MiB text with
# "--hyphenation dictionary" against "--hyphenation simple", and "--dump-pages" of a 5 MiB text
# likewise; wall and CPU (user + system) time, best of RUNS interleaved runs, files on a RAM disk
# (/dev/shm); prints the ratios dictionary / simple.
#   bench/book/hyphenation_cost.sh [build folder]      (default: build beside this repository)
# The text is real prose in both of the dictionaries' languages, three Russian paragraphs to one
# English, in cp1251 with CR LF breaks, repeated up to the size:
#   Russian: the translations in the system's Russian message catalogues
#            (/usr/share/locale/ru/LC_MESSAGES/*.mo) and the text of its Russian manual pages
#            (/usr/share/man/ru), macros taken out;
#   English: the catalogues' original messages and the English manual pages' text
#            (/usr/share/man/man1), or the chapters of an EPUB book given as EPUB=book.epub.
# BEFORE=path/to/another/lumira-cli also times that build on the same texts (interleaved) and
# checks that both make the same packages (entries, sizes, CRCs) and the same pages, byte for byte.
# RUNS=n (default 5), CREATE_MIB (16) and PAGES_MIB (5) change the runs and the sizes.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../.." && pwd)"
build="$(cd "${1:-$root/build}" && pwd)"
. "$here/../bench_lib.sh"
cli="$build/bin/lumira-cli"
bench_needs "$cli" "cmake --build $build --target lumira-cli"
runs="${RUNS:-5}"
before="${BEFORE:-}"
[ -z "$before" ] || [ -x "$before" ] || { echo "BEFORE=$before is not a program" >&2; exit 1; }

scratch="$(mktemp -d -p /dev/shm hyphenation-cost-XXXXXX)"
[ -n "${KEEP:-}" ] || trap 'rm -rf "$scratch"' EXIT

gen_text() {  # size-in-bytes file
  python3 - "$1" "$2" "${EPUB:-}" <<'PY'
import gettext, glob, gzip, html, re, sys, zipfile
size, path, epub = int(sys.argv[1]), sys.argv[2], sys.argv[3]

def man_text(name):
    try:
        raw = gzip.open(name, 'rb').read().decode('utf-8')
    except Exception:
        return []
    paragraphs, lines = [], []
    for line in raw.split('\n'):
        if line.startswith(('.', "'")):
            if lines and re.match(r"^\.(PP|P|LP|SH|SS|TP|IP|sp|br)\b", line):
                paragraphs.append(' '.join(lines)); lines = []
            continue
        line = re.sub(r'\\f[A-Z1-9]|\\f\[[A-Z]*\]|\\\(..|\\\*.|\\[&|^-]', lambda m: '-' if m.group(0) == '\\-' else '', line)
        line = line.replace('\\e', '\\').strip()
        if line: lines.append(line)
    if lines: paragraphs.append(' '.join(lines))
    return [p for p in paragraphs if len(p) > 40]

russian, english = [], []
for name in sorted(glob.glob('/usr/share/locale/ru/LC_MESSAGES/*.mo')):
    try:
        with open(name, 'rb') as f:
            catalog = gettext.GNUTranslations(f)._catalog
    except Exception:
        continue
    for key, value in catalog.items():
        if isinstance(key, str) and key and isinstance(value, str) and value.strip():
            russian.append(value.replace('\r', '').replace('\n', ' '))
            english.append(key.replace('\r', '').replace('\n', ' '))
for name in sorted(glob.glob('/usr/share/man/ru/man*/*.gz')):
    russian += man_text(name)
if epub:
    book = zipfile.ZipFile(epub)
    english = []
    for name in sorted(n for n in book.namelist() if n.endswith(('.xhtml', '.html'))):
        body = book.read(name).decode('utf-8', 'replace')
        for p in re.findall(r'<p[^>]*>(.*?)</p>', body, re.S):
            p = html.unescape(re.sub(r'<[^>]+>', '', p)).split()
            if p: english.append(' '.join(p))
else:
    for name in sorted(glob.glob('/usr/share/man/man1/*.gz'))[:600]:
        english += man_text(name)
if not russian or not english:
    sys.exit('no Russian or no English prose found on this system')
text = []
r = e = 0
while r < len(russian):
    text += russian[r:r + 3]
    r += 3
    text.append(english[e % len(english)])
    e += 1
data = '\r\n'.join(text).encode('cp1251', errors='replace') + b'\r\n'
out = bytearray()
while len(out) < size:
    out += data
open(path, 'wb').write(out[:size])
PY
}

create_text="$scratch/create.txt"
pages_text="$scratch/pages.txt"
gen_text $(( ${CREATE_MIB:-16} << 20 )) "$create_text"
gen_text $(( ${PAGES_MIB:-5} << 20 )) "$pages_text"
echo "texts: $(du -h "$create_text" | cut -f1) for Create, $(du -h "$pages_text" | cut -f1) for --dump-pages;" \
  "English from ${EPUB:-the English manual pages}; $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg)"

programs=("$cli")
[ -n "$before" ] && programs=("$before" "$cli")
declare -A wall cpu
keep_best() {  # key wall cpu
  if [ -z "${wall[$1]:-}" ] || awk -v a="$2" -v b="${wall[$1]}" 'BEGIN {exit !(a < b)}'; then wall[$1]=$2; fi
  if [ -z "${cpu[$1]:-}" ] || awk -v a="$3" -v b="${cpu[$1]}" 'BEGIN {exit !(a < b)}'; then cpu[$1]=$3; fi
}
for ((i = 0; i < runs; i++)); do
  for p in "${!programs[@]}"; do
    for rule in simple dictionary; do
      out="$scratch/$p-$rule"
      read -r w c _ < <(measure "$scratch/time" "${programs[$p]}" --app-dir "$build/bin" --encoding cp1251 \
        --hyphenation "$rule" --out "$out.jar" "$create_text" 2> "$scratch/err")
      keep_best "create $p $rule" "$w" "$c"
      read -r w c _ < <(measure "$scratch/time" "${programs[$p]}" --app-dir "$build/bin" --encoding cp1251 \
        --hyphenation "$rule" --dump-pages "$pages_text" 2> "$scratch/err")
      mv "$scratch/time.out" "$out.pages"
      keep_best "pages $p $rule" "$w" "$c"
    done
  done
done
echo "load average after the runs: $(cut -d' ' -f1-3 /proc/loadavg)"

printf '%-8s %-14s %22s %22s %13s %13s\n' "program" "what" "simple: wall/cpu s" "dictionary: wall/cpu s" "ratio wall" "ratio cpu"
for p in "${!programs[@]}"; do
  name=this; [ "${programs[$p]}" = "$cli" ] || name=before
  for what in create pages; do
    s="$what $p simple" d="$what $p dictionary"
    label="Create"; [ "$what" = pages ] && label="--dump-pages"
    printf '%-8s %-14s %22s %22s %13s %13s\n' "$name" "$label" "${wall[$s]} / ${cpu[$s]}" "${wall[$d]} / ${cpu[$d]}" \
      "$(awk -v a="${wall[$d]}" -v b="${wall[$s]}" 'BEGIN {printf "%.3f", a / b}')" \
      "$(awk -v a="${cpu[$d]}" -v b="${cpu[$s]}" 'BEGIN {printf "%.3f", a / b}')"
  done
done
# A package's entries by name, size, packed size and CRC (their times are those of the run).
entries() { unzip -v "$1" | awk 'NR > 3 && $7 ~ /^[0-9a-f]+$/ && length($7) == 8 {print $1, $2, $3, $7, $8}'; }
if [ -n "$before" ]; then
  for rule in simple dictionary; do
    cmp -s <(entries "$scratch/0-$rule.jar") <(entries "$scratch/1-$rule.jar") &&
      cmp -s "$scratch/0-$rule.pages" "$scratch/1-$rule.pages" &&
      echo "$rule: same package and same pages as before" || { echo "$rule: OUTPUT DIFFERS from before"; exit 1; }
  done
fi
