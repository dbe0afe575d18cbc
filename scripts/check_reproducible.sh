#!/usr/bin/env bash
# Two unsigned builds of one source tree give the same bytes: the release built from BUILD_DIR
# (the test command's windows build) and a second one built from a copy of the tree in another
# folder, in another time zone, packaged under a clock two days ahead. Both take their dates
# from the commit (SOURCE_DATE_EPOCH). Then the signed release in dist/, when there is one, is
# compared with the unsigned files once its signatures are removed.
# usage: scripts/check_reproducible.sh BUILD_DIR
# Prints one line per check ("PASS name" / "FAIL name: reason"), the files' SHA-256, and ends
# with "N passed, M failed".
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:?usage: scripts/check_reproducible.sh BUILD_DIR}" 2>/dev/null && pwd) ||
  { echo "no build folder $1"; echo "0 passed, 1 failed"; exit 1; }
tmp=$(mktemp -d "${TMPDIR:-/tmp}/tarnwick-repro-XXXXXX")
trap 'rm -rf "$tmp"' EXIT
FILES=(Tarnwick.exe Tarnwick.debug main.html main.de.html main.ja.html Tarnwick.zip Tarnwick.msi)

PASSED=0
FAILED=0
REASON=""
check() { # NAME FUNCTION
  REASON=""
  if "$2"; then PASSED=$((PASSED + 1)); echo "PASS $1"; else FAILED=$((FAILED + 1)); echo "FAIL $1: ${REASON:-failed}"; fi
}

SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct)} || { echo "no commit to date the build"; echo "0 passed, 1 failed"; exit 1; }
export SOURCE_DATE_EPOCH
# unsigned_dist BUILD OUT [WRAPPER...]: the release files of BUILD, without a certificate.
unsigned_dist() {
  local from=$1 to=$2
  shift 2
  env -u TARNWICK_SIGN_PFX -u TARNWICK_RELEASE TARNWICK_DIST_DIR="$to" "$@" bash scripts/build_dist.sh "$from" \
    >"$to.log" 2>&1 || { REASON="build_dist.sh $from: $(tail -n 3 "$to.log" | tr '\n' ' ')"; return 1; }
}

second_build_elsewhere() {
  # The tree as it is (tracked and new files, no build output), in another folder.
  mkdir -p "$tmp/elsewhere/tree"
  (cd "$root" && git ls-files -z --cached --others --exclude-standard | xargs -0 tar -cf - 2>/dev/null) |
    tar -xf - -C "$tmp/elsewhere/tree" || { REASON="cannot copy the tree"; return 1; }
  (cd "$tmp/elsewhere/tree" && export TZ=Pacific/Kiritimati &&
    cmake --preset windows -B "$tmp/elsewhere/build" >"$tmp/configure.log" 2>&1 &&
    cmake --build "$tmp/elsewhere/build" --target Tarnwick -j2 >"$tmp/build.log" 2>&1) ||
    { REASON="the second build failed: $(tail -n 5 "$tmp/build.log" "$tmp/configure.log" 2>/dev/null | tr '\n' ' ')"; return 1; }
  unsigned_dist "$build" "$tmp/a" || return 1
  (cd "$tmp/elsewhere/tree" && export TZ=Pacific/Kiritimati && unsigned_dist "$tmp/elsewhere/build" "$tmp/b" faketime -f +2d) || return 1
}

both_builds_give_the_same_bytes() {
  local f differ=()
  for f in "${FILES[@]}"; do
    [ -f "$tmp/a/$f" ] && [ -f "$tmp/b/$f" ] || { REASON="$f is missing from a build"; return 1; }
    cmp -s "$tmp/a/$f" "$tmp/b/$f" || differ+=("$f")
  done
  # The manifests and SHA256SUMS follow from these; a difference there is one too.
  diff -r "$tmp/a" "$tmp/b" >/dev/null || [ ${#differ[@]} -gt 0 ] || differ+=("the manifests")
  [ ${#differ[@]} -eq 0 ] || { REASON="they differ in ${differ[*]}"; return 1; }
  (cd "$tmp/a" && sha256sum "${FILES[@]}")
}

# The signed release in dist/ is the unsigned build plus its signatures.
signed_release_is_the_build_plus_signatures() {
  local dist=$root/dist
  [ -f "$dist/Tarnwick.exe" ] || { REASON="no dist/ to compare"; return 1; }
  if ! osslsigncode extract-signature -in "$dist/Tarnwick.exe" -out "$tmp/signature" >/dev/null 2>&1; then
    echo "dist/ is not signed: its files are compared as they are"
    local f
    for f in "${FILES[@]}"; do cmp -s "$dist/$f" "$tmp/a/$f" || { REASON="dist/$f is not the unsigned build's"; return 1; }; done
    return 0
  fi
  osslsigncode remove-signature -in "$dist/Tarnwick.exe" -out "$tmp/exe.unsigned" >/dev/null 2>&1 &&
    cmp -s "$tmp/exe.unsigned" "$tmp/a/Tarnwick.exe" || { REASON="dist/Tarnwick.exe without its signature is not the unsigned build's"; return 1; }
  cmp -s "$dist/Tarnwick.debug" "$tmp/a/Tarnwick.debug" && cmp -s "$dist/main.html" "$tmp/a/main.html" ||
    { REASON="dist/'s Tarnwick.debug or main.html is not the unsigned build's"; return 1; }
  # The zip and the package carry the signed exe: inside each, that exe without its signature
  # is the unsigned build's, and the rest is what packaging the signed exe gives.
  local check=$tmp/check version
  version=$(tr -d '\r\n' <"$build/src/app/version.txt")
  mkdir -p "$check/zip" "$check/msi"
  (cd "$check/zip" && unzip -q "$dist/Tarnwick.zip") &&
    osslsigncode remove-signature -in "$check/zip/Tarnwick.exe" -out "$check/zip.exe" >/dev/null 2>&1 &&
    cmp -s "$check/zip.exe" "$tmp/a/Tarnwick.exe" && cmp -s "$check/zip/main.html" "$tmp/a/main.html" ||
    { REASON="the zip's Tarnwick.exe without its signature is not the unsigned build's"; return 1; }
  (cd "$check" && cp "$dist/Tarnwick.exe" "$dist/main.html" "$dist/main.de.html" "$dist/main.ja.html" . &&
    touch -d "@$SOURCE_DATE_EPOCH" Tarnwick.exe main.html main.de.html main.ja.html &&
    chmod 644 Tarnwick.exe main.html main.de.html main.ja.html &&
    TZ=UTC zip -q -X -9 again.zip Tarnwick.exe main.html main.de.html main.ja.html) &&
    cmp -s "$check/again.zip" "$dist/Tarnwick.zip" || { REASON="the zip is not the signed exe and main.html zipped"; return 1; }
  # osslsigncode rewrites the compound file when it removes the package's signature, so the
  # package is compared by its content: tables, streams and summary (whose package code
  # names the content).
  bash packaging/build_msi.sh "$version" "$dist/Tarnwick.exe" "$dist/main.html" "$check/again.msi" ||
    { REASON="cannot package the signed exe"; return 1; }
  osslsigncode remove-signature -in "$dist/Tarnwick.msi" -out "$check/package.msi" >/dev/null 2>&1 ||
    { REASON="cannot remove the package's signature"; return 1; }
  (cd "$check/msi" && msiextract -C x "$check/package.msi" >/dev/null) &&
    osslsigncode remove-signature -in "$check/msi/x/Tarnwick/Tarnwick.exe" -out "$check/msi.exe" >/dev/null 2>&1 &&
    cmp -s "$check/msi.exe" "$tmp/a/Tarnwick.exe" || { REASON="the package's Tarnwick.exe without its signature is not the unsigned build's"; return 1; }
  local t
  for t in $(msiinfo tables "$check/again.msi" | tr -d '\r'); do
    cmp -s <(cd "$check/msi" && msiinfo export "$check/package.msi" "$t") <(cd "$check/msi" && msiinfo export "$check/again.msi" "$t") ||
      { REASON="the package's $t table is not that of the signed exe's package"; return 1; }
  done
  for t in $(msiinfo streams "$check/again.msi" | tr -d '\r'); do
    cmp -s <(msiinfo extract "$check/package.msi" "$t") <(msiinfo extract "$check/again.msi" "$t") ||
      { REASON="the package's stream $t is not that of the signed exe's package"; return 1; }
  done
  cmp -s <(msiinfo suminfo "$check/package.msi") <(msiinfo suminfo "$check/again.msi") ||
    { REASON="the package's summary is not that of the signed exe's package"; return 1; }
}

cd "$root"
check second-build-elsewhere second_build_elsewhere
check two-builds-give-the-same-bytes both_builds_give_the_same_bytes
check signed-release-is-the-build-plus-signatures signed_release_is_the_build_plus_signatures
echo "$PASSED passed, $FAILED failed"
[ "$FAILED" -eq 0 ]
