#!/usr/bin/env bash
# Puts the program and its help pages (main.html, and main.<tag>.html for each language that has
# one) into dist/, plus a zip of them, the installer package
# Tarnwick.msi (at the version the build gave the exe), the winget and Scoop manifests and
# SHA256SUMS.
#
# Signing (Authenticode, with osslsigncode): the exe is signed before it goes into the zip and
# the package, then the package itself. The certificate comes from the environment:
#   TARNWICK_SIGN_PFX       a PKCS#12 file holding the code-signing certificate, its key and
#                           its chain; unset: nothing is signed
#   TARNWICK_SIGN_PASSWORD  the file's password (may be empty)
#   TARNWICK_TIMESTAMP_URL  an RFC 3161 time-stamping service (default
#                           http://timestamp.digicert.com; empty: no timestamp). One that does
#                           not answer within 20 s leaves the files signed without a timestamp.
# The manifests point at TARNWICK_RELEASE_URL, the folder where the release's Tarnwick.msi,
# Tarnwick.zip and SHA256SUMS are published (its path holds the version, so that Scoop's
# autoupdate can follow it), and name TARNWICK_HOMEPAGE as the project's page.
#
# TARNWICK_RELEASE=1 is the build of a release: a missing release URL, homepage or
# certificate stops it. Any other build writes placeholders under example.invalid and says so.
#
# Reproducible: every date is the commit's (SOURCE_DATE_EPOCH, taken from git when unset), no
# build path reaches a file, the zip's order and times are fixed. Two unsigned builds of one
# commit give the same bytes (scripts/check_reproducible.sh). The debug data goes into
# Tarnwick.debug beside the stripped exe (found by its debug link); it stays with the release
# for crash analysis and is neither in the zip nor in the package.
# TARNWICK_DIST_DIR: where the files go (default dist/ of the tree).
set -euo pipefail
out=${TARNWICK_DIST_DIR:-}
[ -z "$out" ] || out=$(realpath -m "$out")
cd "$(dirname "$0")/.."
out=${out:-$PWD/dist}
build=${1:-build/windows}
exe="$build/src/app/Tarnwick.exe"
version_file="$build/src/app/version.txt"
[ -f "$exe" ] || { echo "no $exe (run the windows build first)"; exit 1; }
[ -f "$version_file" ] || { echo "no $version_file (configure the windows build again)"; exit 1; }
[ -f "$build/src/app/main.html" ] || { echo "no $build/src/app/main.html (configure the windows build again)"; exit 1; }
version=$(tr -d '\r\n' <"$version_file")
# The help in other languages: one page for each help/main.<tag>.html.in, in a fixed order.
# Each must also be one the package installs, or the zip and the package would differ.
mapfile -t help_pages < <(cd help && printf '%s\n' main.*.html.in | grep -v '^main\.\*' | sed 's/\.in$//' | LC_ALL=C sort)
for page in "${help_pages[@]}"; do
  [ -f "$build/src/app/$page" ] || { echo "no $build/src/app/$page (configure the windows build again)"; exit 1; }
  grep -qF "Name=\"$page\"" packaging/Tarnwick.wxs ||
    { echo "build_dist: packaging/Tarnwick.wxs does not install $page (help/$page.in)" >&2; exit 1; }
done

release=${TARNWICK_RELEASE:-0}
missing=()
[ -n "${TARNWICK_RELEASE_URL:-}" ] || missing+=("TARNWICK_RELEASE_URL (the published folder of this version)")
[ -n "${TARNWICK_HOMEPAGE:-}" ] || missing+=("TARNWICK_HOMEPAGE (the project's page)")
[ -n "${TARNWICK_SIGN_PFX:-}" ] || missing+=("TARNWICK_SIGN_PFX (the code-signing certificate)")
if [ ${#missing[@]} -gt 0 ]; then
  if [ "$release" = 1 ]; then
    printf 'build_dist: a release (TARNWICK_RELEASE=1) needs %s\n' "${missing[@]}" >&2
    exit 1
  fi
  printf 'build_dist: not a release: no %s\n' "${missing[@]}"
fi
release_url=${TARNWICK_RELEASE_URL:-https://example.invalid/tarnwick/releases/$version/}
homepage=${TARNWICK_HOMEPAGE:-https://example.invalid/tarnwick/}
if [ "$release" = 1 ] && [[ $release_url$homepage == *example.invalid* ]]; then
  echo "build_dist: a release cannot point at example.invalid" >&2
  exit 1
fi
# Scoop's autoupdate finds the next release by putting its version into this URL.
if [ "$release" = 1 ] && [[ $release_url != *"$version"* ]]; then
  echo "build_dist: a release needs TARNWICK_RELEASE_URL to hold the version $version ($release_url does not)" >&2
  exit 1
fi

if [ -z "${SOURCE_DATE_EPOCH:-}" ] && ! SOURCE_DATE_EPOCH=$(git log -1 --format=%ct 2>/dev/null); then
  [ "$release" != 1 ] || { echo "build_dist: a release needs SOURCE_DATE_EPOCH or the git history to take it from" >&2; exit 1; }
  # A tree without its history (an unpacked archive) still builds, dated now: not reproducible.
  SOURCE_DATE_EPOCH=$(date +%s)
  echo "build_dist: no git history and no SOURCE_DATE_EPOCH; the files are dated now and will not be reproducible"
fi
[[ $SOURCE_DATE_EPOCH =~ ^[0-9]+$ ]] || { echo "build_dist: SOURCE_DATE_EPOCH '$SOURCE_DATE_EPOCH' is not a number" >&2; exit 1; }
export SOURCE_DATE_EPOCH
# Only a folder this script made before (or an empty one) is emptied.
if [ -d "$out" ] && [ -n "$(ls -A "$out")" ] && [ ! -f "$out/SHA256SUMS" ] && [ ! -f "$out/Tarnwick.exe" ]; then
  echo "build_dist: $out holds other files; not emptying it" >&2
  exit 1
fi
if [ -n "${TARNWICK_SIGN_PFX:-}" ]; then
  [ -r "$TARNWICK_SIGN_PFX" ] || { echo "build_dist: cannot read TARNWICK_SIGN_PFX '$TARNWICK_SIGN_PFX'" >&2; exit 1; }
  command -v osslsigncode >/dev/null || { echo "build_dist: osslsigncode is missing (bash scripts/deps.sh)" >&2; exit 1; }
fi
rm -rf "$out" && mkdir -p "$out"

work=$(mktemp -d "${TMPDIR:-/tmp}/tarnwick-dist-XXXXXX")
trap 'rm -rf "$work"' EXIT
timestamp_url=${TARNWICK_TIMESTAMP_URL-http://timestamp.digicert.com}
if [ -n "${TARNWICK_SIGN_PFX:-}" ]; then
  # Through a file only this user can read, never on a command line that ps shows.
  (umask 077 && printf '%s' "${TARNWICK_SIGN_PASSWORD:-}" >"$work/password")
fi

# sign FILE: signs it in place, timestamped when the service answers.
sign() {
  [ -n "${TARNWICK_SIGN_PFX:-}" ] || return 0
  local file=$1 args
  args=(sign -pkcs12 "$TARNWICK_SIGN_PFX" -readpass "$work/password" -h sha256 -n Tarnwick -in "$file" -out "$work/signed")
  rm -f "$work/signed"
  if [ -n "$timestamp_url" ] && timeout 20 osslsigncode "${args[@]}" -ts "$timestamp_url" >"$work/sign.log" 2>&1; then
    echo "signed $file, timestamped by $timestamp_url"
  else
    if [ -n "$timestamp_url" ]; then
      echo "build_dist: no timestamp from $timestamp_url (unreachable or refused); $file is signed without one"
      timestamp_url="" # one try per build: the next file would wait as long again
    fi
    rm -f "$work/signed"
    osslsigncode "${args[@]}" >"$work/sign.log" 2>&1 ||
      { cat "$work/sign.log" >&2; echo "build_dist: cannot sign $file (certificate or password?)" >&2; exit 1; }
    echo "signed $file"
  fi
  mv -f "$work/signed" "$file"
}

# set_pe_time_stamp FILE [sealed]: the COFF header's time stamp (the link time) becomes the
# commit's. "sealed" also pads the file to 8 bytes and writes its PE checksum, as osslsigncode
# does when it signs: then removing the signature gives back these very bytes.
set_pe_time_stamp() {
  python3 - "$1" "$SOURCE_DATE_EPOCH" "${2:-}" <<'PY'
import struct, sys
path, stamp, sealed = sys.argv[1], int(sys.argv[2]), sys.argv[3] == "sealed"
data = bytearray(open(path, "rb").read())
pe = struct.unpack_from("<I", data, 0x3C)[0]
if data[pe:pe + 4] != b"PE\0\0":
    sys.exit("build_dist: %s is not a PE file" % path)
struct.pack_into("<I", data, pe + 8, stamp & 0xFFFFFFFF)
if sealed:
    data += bytes(-len(data) % 8)
    at = pe + 24 + 64  # CheckSum in the optional header
    struct.pack_into("<I", data, at, 0)
    total = 0
    for (word,) in struct.iter_unpack("<H", bytes(data)):
        total += word
        total = (total & 0xFFFF) + (total >> 16)
    struct.pack_into("<I", data, at, (total & 0xFFFF) + len(data))
open(path, "wb").write(data)
PY
}

objcopy=x86_64-w64-mingw32-objcopy
command -v "$objcopy" >/dev/null || { echo "build_dist: $objcopy is missing (bash scripts/deps.sh)" >&2; exit 1; }
# The debug file is stamped before the link to it is made: the link carries its CRC.
"$objcopy" --only-keep-debug "$exe" "$out/Tarnwick.debug"
set_pe_time_stamp "$out/Tarnwick.debug"
"$objcopy" --strip-all --add-gnu-debuglink="$out/Tarnwick.debug" "$exe" "$out/Tarnwick.exe"
set_pe_time_stamp "$out/Tarnwick.exe" sealed
cp "$build/src/app/main.html" "$out/main.html"
for page in "${help_pages[@]}"; do cp "$build/src/app/$page" "$out/$page"; done
[ -n "${TARNWICK_SIGN_PFX:-}" ] || echo "build_dist: TARNWICK_SIGN_PFX is not set; Tarnwick.exe and Tarnwick.msi stay unsigned"
sign "$out/Tarnwick.exe"
# Fixed order, times and attributes: no extra fields (-X), times read in UTC.
touch -d "@$SOURCE_DATE_EPOCH" "$out/Tarnwick.exe" "$out/main.html" "${help_pages[@]/#/$out/}"
chmod 644 "$out/Tarnwick.exe" "$out/main.html" "${help_pages[@]/#/$out/}" "$out/Tarnwick.debug"
(cd "$out" && TZ=UTC zip -q -X -9 Tarnwick.zip Tarnwick.exe main.html "${help_pages[@]}")
bash packaging/build_msi.sh "$version" "$out/Tarnwick.exe" "$out/main.html" "$out/Tarnwick.msi"
sign "$out/Tarnwick.msi"

(cd "$work" && msiinfo export "$out/Tarnwick.msi" Property) | tr -d '\r' >"$work/Property.idt"
product_code=$(awk -F'\t' '$1 == "ProductCode" { print $2 }' "$work/Property.idt")
upgrade_code=$(awk -F'\t' '$1 == "UpgradeCode" { print $2 }' "$work/Property.idt")
python3 packaging/manifests.py --version "$version" --product-code "$product_code" --upgrade-code "$upgrade_code" \
  --release-url "$release_url" --homepage "$homepage" "$out"

# Every file of the folder but this list itself, by its path there.
(cd "$out" && find . -type f ! -name SHA256SUMS | sed 's|^\./||' | LC_ALL=C sort | xargs -d '\n' sha256sum >SHA256SUMS)
echo "$out: $(cd "$out" && find . -type f | sed 's|^\./||' | LC_ALL=C sort | tr '\n' ' ')"
