# Sourced by the benchmark scripts: what they all need before they run and around each timed run.
#   bench_needs TOOL HOW      stops with HOW as the advice when the program TOOL has not been
#                             built, or when /usr/bin/time is missing
#   bench_template BUILD DIR  sets $template: the build's own reader template, else a small
#                             stand-in made in DIR
#   bench_work FOLDER         a work folder holding stand-in glyph files, as a Create needs
#   measure REPORT COMMAND... runs COMMAND (its output into REPORT.out) and prints
#                             "wall-seconds cpu-seconds peak-KiB", seconds to the millisecond

bench_needs() {
  [ -x "$1" ] || { echo "build $(basename "$1") first: $2" >&2; exit 1; }
  [ -x /usr/bin/time ] || { echo "/usr/bin/time is missing (package time)" >&2; exit 1; }
}

bench_template() {
  template="$1/bin/velmar.dat"
  [ -f "$template" ] && return 0
  local tpl="$2/tpl"
  mkdir -p "$tpl/META-INF" "$tpl/text"
  printf 'Manifest-Version: 1.0\r\nMIDlet-Vendor: Bench\r\nMicroEdition-Profile: MIDP-2.0\r\n' > "$tpl/META-INF/MANIFEST.MF"
  head -c 30000 /dev/urandom > "$tpl/BookReader.class"
  head -c 2000 /dev/urandom > "$tpl/book.png"
  (cd "$tpl" && zip -q -r "$2/velmar.dat" META-INF book.png BookReader.class text)
  template="$2/velmar.dat"
}

bench_work() {
  [ -d "$1/fonts" ] && return 0
  mkdir -p "$1/fonts"
  head -c 514 /dev/urandom > "$1/fonts/default.props"
  head -c 20000 /dev/urandom > "$1/fonts/default.png"
}

measure() {
  # To the millisecond (/usr/bin/time gives hundredths, too coarse for runs of a few tenths).
  python3 - "$@" <<'PY'
import os, subprocess, sys, time
report, command = sys.argv[1], sys.argv[2:]
with open(report + '.out', 'wb') as out:
    start = time.perf_counter()
    child = subprocess.Popen(command, stdout=out)
    _, _, usage = os.wait4(child.pid, 0)  # the command's own use, not this interpreter's
    wall = time.perf_counter() - start
with open(report, 'w') as f:
    f.write('@@ %.3f %.3f %.3f %d\n' % (wall, usage.ru_utime, usage.ru_stime, usage.ru_maxrss))
print('%.3f %.3f %d' % (wall, usage.ru_utime + usage.ru_stime, usage.ru_maxrss))
PY
}
