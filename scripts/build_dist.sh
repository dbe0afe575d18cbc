#!/usr/bin/env bash
# Puts the program and its help page into dist/, plus a zip of both, the installer package
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
# The manifests point at TARNWICK_RELEASE_URL (default a placeholder under example.invalid),
# the folder where the release's Tarnwick.msi and Tarnwick.zip are published.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/windows}
exe="$build/src/app/Tarnwick.exe"
version_file="$build/src/app/version.txt"
[ -f "$exe" ] || { echo "no $exe (run the windows build first)"; exit 1; }
[ -f "$version_file" ] || { echo "no $version_file (configure the windows build again)"; exit 1; }
[ -f "$build/src/app/main.html" ] || { echo "no $build/src/app/main.html (configure the windows build again)"; exit 1; }
version=$(tr -d '\r\n' <"$version_file")
rm -rf dist && mkdir -p dist

work=$(mktemp -d "${TMPDIR:-/tmp}/tarnwick-dist-XXXXXX")
trap 'rm -rf "$work"' EXIT
timestamp_url=${TARNWICK_TIMESTAMP_URL-http://timestamp.digicert.com}
if [ -n "${TARNWICK_SIGN_PFX:-}" ]; then
  [ -r "$TARNWICK_SIGN_PFX" ] || { echo "build_dist: cannot read TARNWICK_SIGN_PFX '$TARNWICK_SIGN_PFX'" >&2; exit 1; }
  command -v osslsigncode >/dev/null || { echo "build_dist: osslsigncode is missing (bash scripts/deps.sh)" >&2; exit 1; }
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

cp "$exe" dist/Tarnwick.exe
cp "$build/src/app/main.html" dist/main.html
[ -n "${TARNWICK_SIGN_PFX:-}" ] || echo "build_dist: TARNWICK_SIGN_PFX is not set; Tarnwick.exe and Tarnwick.msi stay unsigned"
sign dist/Tarnwick.exe
(cd dist && zip -q -9 Tarnwick.zip Tarnwick.exe main.html)
bash packaging/build_msi.sh "$version" dist/Tarnwick.exe dist/main.html dist/Tarnwick.msi
sign dist/Tarnwick.msi

(root=$PWD && cd "$work" && msiinfo export "$root/dist/Tarnwick.msi" Property) | tr -d '\r' >"$work/Property.idt"
product_code=$(awk -F'\t' '$1 == "ProductCode" { print $2 }' "$work/Property.idt")
upgrade_code=$(awk -F'\t' '$1 == "UpgradeCode" { print $2 }' "$work/Property.idt")
python3 packaging/manifests.py --version "$version" --product-code "$product_code" --upgrade-code "$upgrade_code" \
  --release-url "${TARNWICK_RELEASE_URL:-https://example.invalid/tarnwick/releases/$version/}" dist

# Every file of dist/ but this list itself, by its path in dist/.
(cd dist && find . -type f ! -name SHA256SUMS | sed 's|^\./||' | LC_ALL=C sort | xargs -d '\n' sha256sum >SHA256SUMS)
echo "dist/: $(cd dist && find . -type f | sed 's|^\./||' | LC_ALL=C sort | tr '\n' ' ')"
