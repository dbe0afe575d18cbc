#!/usr/bin/env bash
# The release in dist/: the stripped exe and its debug file, its signatures, SHA256SUMS, the
# winget and Scoop manifests against the package managers' published schemas
# (packaging/schemas/), the package's tables against the validation rules it once broke, and
# the Group Policy templates against the policy values the code reads.
# usage: tests/dist/run.sh BUILD_DIR     (dist/ must have been built by scripts/build_dist.sh)
# The signatures are verified against TARNWICK_SIGN_CA (the test command's throwaway CA);
# without it, against the system's trusted roots, as a real release is.
# Prints one line per check ("PASS name" / "FAIL name: reason") and ends with "N passed, M failed".
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=${1:?usage: tests/dist/run.sh BUILD_DIR}
dist=$root/dist
version_file=$build/src/app/version.txt
[ -f "$version_file" ] && [ -f "$dist/Tarnwick.msi" ] || { echo "no $version_file or dist/Tarnwick.msi (build, then scripts/build_dist.sh)"; echo "0 passed, 1 failed"; exit 1; }
version=$(tr -d '\r\n' <"$version_file")
tmp=$(mktemp -d "${TMPDIR:-/tmp}/tarnwick-dist-test-XXXXXX")
trap 'rm -rf "$tmp"' EXIT

PASSED=0
FAILED=0
REASON=""
check() { # NAME FUNCTION
  REASON=""
  if "$2"; then PASSED=$((PASSED + 1)); echo "PASS $1"; else FAILED=$((FAILED + 1)); echo "FAIL $1: ${REASON:-failed}"; fi
}
python_check() { REASON=$(python3 "$here/check.py" "$@" 2>&1); }

both_signatures_verify() {
  local f ca=${TARNWICK_SIGN_CA:-/etc/ssl/certs/ca-certificates.crt}
  for f in Tarnwick.exe Tarnwick.msi; do
    osslsigncode verify -CAfile "$ca" -in "$dist/$f" >"$tmp/verify.log" 2>&1 ||
      { REASON="$f: $(grep -m1 -iE 'fail|error|no signature' "$tmp/verify.log" || tail -n 1 "$tmp/verify.log")"; return 1; }
  done
  # What the zip and the package carry is the signed exe, not the one before signing.
  python3 -c 'import sys, zipfile; sys.stdout.buffer.write(zipfile.ZipFile(sys.argv[1]).read("Tarnwick.exe"))' "$dist/Tarnwick.zip" |
    cmp -s - "$dist/Tarnwick.exe" || { REASON="the zip's Tarnwick.exe is not the signed one"; return 1; }
  (cd "$tmp" && msiextract -C x "$dist/Tarnwick.msi" >/dev/null) && cmp -s "$tmp/x/Tarnwick/Tarnwick.exe" "$dist/Tarnwick.exe" ||
    { REASON="the package's Tarnwick.exe is not the signed one"; return 1; }
  # A changed byte breaks the signature: the check above can fail.
  cp "$dist/Tarnwick.exe" "$tmp/changed.exe"
  printf 'X' | dd of="$tmp/changed.exe" bs=1 seek=4096 conv=notrunc status=none
  if osslsigncode verify -CAfile "$ca" -in "$tmp/changed.exe" >/dev/null 2>&1; then REASON="a changed exe still verifies"; return 1; fi
}

sha256sums_list_and_match_every_file() {
  local listed present
  (cd "$dist" && sha256sum --quiet -c SHA256SUMS) >"$tmp/sums.log" 2>&1 || { REASON=$(head -n 3 "$tmp/sums.log" | tr '\n' ' '); return 1; }
  listed=$(sed 's/^[0-9a-f]\{64\}  //' "$dist/SHA256SUMS" | LC_ALL=C sort)
  present=$(cd "$dist" && find . -type f ! -name SHA256SUMS | sed 's|^\./||' | LC_ALL=C sort)
  [ "$listed" = "$present" ] || { REASON="listed: $(tr '\n' ' ' <<<"$listed"); in dist/: $(tr '\n' ' ' <<<"$present")"; return 1; }
}

release_exe_is_stripped_small_and_its_debug_file_stays_out() {
  python_check release-exe "$dist/Tarnwick.exe" "$dist/Tarnwick.debug" || return 1
  # Kept with the release, not shipped to users.
  if unzip -l "$dist/Tarnwick.zip" | grep -q 'Tarnwick\.debug'; then REASON="the zip holds Tarnwick.debug"; return 1; fi
  if (cd "$tmp" && msiinfo export "$dist/Tarnwick.msi" File) | grep -qi '\.debug'; then REASON="the package holds Tarnwick.debug"; return 1; fi
}

winget_manifests_validate_and_carry_the_build() {
  local product_code
  product_code=$(cd "$tmp" && msiinfo export "$dist/Tarnwick.msi" Property | tr -d '\r' | awk -F'\t' '$1 == "ProductCode" { print $2 }')
  python_check policy-rejects "$root/packaging/winget-manifest.schema.json" || return 1
  python_check winget "$dist" "$root/packaging/schemas/winget-1.12.0" "$root/packaging/winget-manifest.schema.json" "$version" "$product_code"
}

scoop_manifest_validates_and_carries_the_zip() { python_check scoop "$dist" "$root/packaging/schemas/scoop/schema.json" "$version"; }

package_tables_keep_the_validation_rules() { python_check msi "$dist/Tarnwick.msi"; }

# TARNWICK_RELEASE=1 refuses to write placeholders; given everything it points at what it was given.
release_mode_needs_url_homepage_and_certificate() {
  local out=$tmp/release setting pfx=${TARNWICK_SIGN_PFX:-$tmp/unread.pfx}
  local given=(TARNWICK_RELEASE_URL="https://releases.test/tarnwick/$version/" TARNWICK_HOMEPAGE=https://tarnwick.test/
    TARNWICK_SIGN_PFX="$pfx")
  touch "$tmp/unread.pfx"
  local others g
  for setting in TARNWICK_RELEASE_URL TARNWICK_HOMEPAGE TARNWICK_SIGN_PFX; do
    others=()
    for g in "${given[@]}"; do [[ $g == "$setting="* ]] || others+=("$g"); done
    if env -u TARNWICK_RELEASE_URL -u TARNWICK_HOMEPAGE -u TARNWICK_SIGN_PFX "${others[@]}" TARNWICK_RELEASE=1 \
      TARNWICK_DIST_DIR="$out" bash "$root/scripts/build_dist.sh" "$build" >"$tmp/release.log" 2>&1; then
      REASON="a release without $setting was built"; return 1
    fi
    grep -q "needs $setting" "$tmp/release.log" || { REASON="without $setting: $(tail -n 1 "$tmp/release.log")"; return 1; }
    [ ! -e "$out" ] || { REASON="a refused release left $out"; return 1; }
  done
  [ -n "${TARNWICK_SIGN_PFX:-}" ] || return 0 # the rest needs a certificate
  env "${given[@]}" TARNWICK_RELEASE=1 TARNWICK_DIST_DIR="$out" bash "$root/scripts/build_dist.sh" "$build" >"$tmp/release.log" 2>&1 ||
    { REASON="a release with every setting failed: $(tail -n 2 "$tmp/release.log" | tr '\n' ' ')"; return 1; }
  if grep -rq example.invalid "$out/winget" "$out/scoop"; then REASON="a release names example.invalid"; return 1; fi
  grep -qF '"homepage": "https://tarnwick.test/"' "$out/scoop/tarnwick.json" ||
    { REASON="the Scoop homepage is not TARNWICK_HOMEPAGE"; return 1; }
  grep -qF "InstallerUrl: https://releases.test/tarnwick/$version/Tarnwick.msi" \
    "$out/winget/manifests/t/Tarnwick/Tarnwick/$version/Tarnwick.Tarnwick.installer.yaml" ||
    { REASON="the winget InstallerUrl is not under TARNWICK_RELEASE_URL"; return 1; }
}

group_policy_templates_name_exactly_the_policies_the_code_reads() {
  python_check policies "$root/packaging/policy/Tarnwick.admx" "$root/packaging/policy" \
    "$root/src/sharing/policy.cpp" "$root/src/sharing/policy.h"
}

check release-exe-stripped-small-debug-file-matches release_exe_is_stripped_small_and_its_debug_file_stays_out
check both-signatures-verify both_signatures_verify
check sha256sums-list-and-match-every-file sha256sums_list_and_match_every_file
check winget-manifests-validate-and-carry-the-build winget_manifests_validate_and_carry_the_build
check scoop-manifest-validates-and-carries-the-zip scoop_manifest_validates_and_carries_the_zip
check package-tables-keep-validation-rules package_tables_keep_the_validation_rules
check release-mode-needs-url-homepage-certificate release_mode_needs_url_homepage_and_certificate
check group-policy-templates-name-exactly-the-code-policies group_policy_templates_name_exactly_the_policies_the_code_reads
echo "$PASSED passed, $FAILED failed"
[ "$FAILED" -eq 0 ]
