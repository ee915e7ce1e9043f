#!/usr/bin/env bash
# The installed program: `cmake --install` into a temporary prefix that is then made read-only,
# started with a fresh HOME; the desktop files checked by their validators; the Debian package
# built, unpacked into a scratch dpkg root and (on a CI machine, as root) installed and removed.
# Usage: install_test.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
work=$(mktemp -d /tmp/lumira-install-test.XXXXXX)
cleanup() { chmod -R u+w "$work" 2>/dev/null || true; rm -rf "$work"; }
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null

id=org.lumira.generator
for f in bin/lumira bin/lumira-cli \
         share/lumira/sample share/lumira/iface.dat share/lumira/velmar.dat share/lumira/profiles.ini \
         share/applications/$id.desktop share/metainfo/$id.metainfo.xml \
         share/icons/hicolor/48x48/apps/$id.png share/icons/hicolor/256x256/apps/$id.png \
         share/icons/hicolor/scalable/apps/$id.svg share/man/man1/lumira-cli.1.gz; do
  [ -f "$prefix/$f" ] || fail "not installed: $f"
done
[ -x "$prefix/bin/lumira-cli" ] || fail "lumira-cli is not executable"
# Only the programs go to bin: the portable layout's files stay out of it.
[ "$(ls "$prefix/bin" | sort | tr '\n' ' ')" = "lumira lumira-cli " ] || fail "bin holds: $(ls "$prefix/bin")"

desktop-file-validate "$prefix/share/applications/$id.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml" >/dev/null ||
  { appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml"; fail "appstreamcli validate"; }
man_page=$(gzip -dc "$prefix/share/man/man1/lumira-cli.1.gz")
grep -q '^\.TH LUMIRA-CLI 1' <<<"$man_page" || fail "manual page"

# From here on the install tree is read-only; as root that is not enforced, so its contents are
# compared before and after as well.
chmod -R a-w "$prefix"
snapshot() { (cd "$prefix" && find . -printf '%p %m %s\n' | sort && find . -type f -exec sha256sum {} + | sort); }
before=$(snapshot)

home=$work/home
mkdir -p "$home" "$work/out"
run() { env -i PATH=/usr/bin:/bin HOME="$home" LANG=C.UTF-8 "$@"; }
printf 'Chapter one\r\n\r\nIt was a dark and stormy night.\r\n' > "$work/book.txt"

profiles=$(run "$prefix/bin/lumira-cli" --list-profiles) || fail "lumira-cli --list-profiles"
profile=$(head -n 1 <<<"$profiles" | cut -f 1)
[ -n "$profile" ] || fail "no profile listed from the installed program"
cmp "$home/.config/lumira/profiles.ini" "$prefix/share/lumira/profiles.ini" ||
  fail "the shipped profiles.ini was not copied into the user's folder"
run "$prefix/bin/lumira-cli" --profile "$profile" --out "$work/out/book.jar" "$work/book.txt" ||
  fail "lumira-cli could not build a book from the installed program"
[ -s "$work/out/book.jar" ] && [ -s "$work/out/book.jad" ] || fail "no .jar and .jad"
listing=$(unzip -l "$work/out/book.jar")
grep -q 'BookReader.class' <<<"$listing" || fail "the .jar holds no reader"
grep -q 'text/chunk.0' <<<"$listing" || fail "the .jar holds no text"

# The window: started offscreen, it builds its glyph strip in the user's cache folder.
# Not through run(): a function sent to the background is a shell of its own, and killing that
# would leave the window running.
env -i PATH=/usr/bin:/bin HOME="$home" LANG=C.UTF-8 QT_QPA_PLATFORM=offscreen "$prefix/bin/lumira" >"$work/window.log" 2>&1 &
window=$!
for _ in $(seq 1 100); do
  [ -s "$home/.cache/lumira/temp/fonts/default.png" ] && break
  kill -0 $window 2>/dev/null || break
  sleep 0.2
done
started=0
[ -s "$home/.cache/lumira/temp/fonts/default.png" ] && started=1
kill $window 2>/dev/null || true
wait $window 2>/dev/null || true
[ $started = 1 ] || { cat "$work/window.log"; fail "the installed window did not start"; }

[ "$(snapshot)" = "$before" ] || fail "something was written into the install tree"
echo "install tree: ok"

# The Debian package.
if command -v cpack >/dev/null && command -v dpkg-deb >/dev/null && command -v dpkg-shlibdeps >/dev/null; then
  (cd "$build" && cpack -G DEB -B "$work/pkg" >/dev/null) || fail "cpack"
  deb=$(ls "$work"/pkg/lumira_*.deb)
  depends=$(dpkg-deb -f "$deb" Depends)
  for p in libqt6widgets6 libqt6gui6 libqt6core6 libcurl4 libminizip1 zlib1g qt6-qpa-plugins libhyphen0 hyphen-ru hyphen-en-us; do
    grep -q "\b$p\b" <<<"$depends" || fail "the package does not depend on $p: $depends"
  done
  contents=$(dpkg-deb -c "$deb")
  grep -q '\./usr/bin/lumira-cli$' <<<"$contents" || fail "the package holds no /usr/bin/lumira-cli"
  grep -q '\./usr/share/lumira/velmar.dat$' <<<"$contents" || fail "the package holds no template"

  # Installed into and removed from a scratch root: dpkg's own bookkeeping, nothing system-wide.
  root=$work/root
  mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
  : > "$root/var/lib/dpkg/status"
  scratch=(dpkg --root="$root" --force-not-root --force-depends --force-script-chrootless)
  # (The scratch root has none of the dependencies: dpkg's warnings about them are expected.)
  "${scratch[@]}" -i "$deb" >"$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log"; fail "dpkg -i into a scratch root"; }
  [ -x "$root/usr/bin/lumira-cli" ] || fail "dpkg -i did not install lumira-cli"
  "${scratch[@]}" -r lumira >"$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log"; fail "dpkg -r from a scratch root"; }
  [ ! -e "$root/usr/bin/lumira-cli" ] || fail "dpkg -r left lumira-cli behind"

  # On a CI machine (as root, lumira not installed otherwise): the real thing.
  if [ -n "${CI:-}" ] && [ "$(id -u)" = 0 ] && ! dpkg -s lumira >/dev/null 2>&1; then
    dpkg -i "$deb" || fail "dpkg -i"
    rm -rf "$home"; mkdir -p "$home"
    run /usr/bin/lumira-cli --profile "$profile" --out "$work/out/system.jar" "$work/book.txt" ||
      { dpkg -r lumira; fail "the packaged lumira-cli could not build a book"; }
    dpkg -r lumira || fail "dpkg -r"
    [ ! -e /usr/bin/lumira-cli ] || fail "dpkg -r left /usr/bin/lumira-cli behind"
    echo "system package: ok"
  fi
  echo "package: ok"
else
  fail "cpack, dpkg-deb and dpkg-shlibdeps are needed (./build.sh installs them)"
fi
