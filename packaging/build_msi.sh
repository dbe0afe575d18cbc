#!/usr/bin/env bash
# Builds the Windows Installer package from Tarnwick.wxs with wixl.
# usage: packaging/build_msi.sh VERSION EXE HELP_PAGE OUT.msi
# VERSION is the project's (the build writes it to src/app/version.txt); the tests also pass
# other versions to make packages to upgrade from.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
[ $# -eq 4 ] || { echo "usage: $0 VERSION EXE HELP_PAGE OUT.msi" >&2; exit 2; }
version=$1 exe=$2 help_page=$3 out=$4

# Windows Installer reads at most MAJOR.MINOR.BUILD, with these limits; anything else would
# make a package whose upgrades go wrong.
if ! [[ $version =~ ^([0-9]+)\.([0-9]+)(\.([0-9]+))?$ ]] ||
  [ $((10#${BASH_REMATCH[1]})) -gt 255 ] || [ $((10#${BASH_REMATCH[2]})) -gt 255 ] ||
  [ $((10#${BASH_REMATCH[4]:-0})) -gt 65535 ]; then
  echo "build_msi: version '$version' is not MAJOR.MINOR[.BUILD] within 255.255.65535" >&2
  exit 1
fi
for f in "$exe" "$help_page"; do
  [ -f "$f" ] || { echo "build_msi: no $f" >&2; exit 1; }
done
command -v wixl >/dev/null && command -v msibuild >/dev/null ||
  { echo "build_msi: wixl and msibuild are missing (bash scripts/deps.sh)" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/tarnwick-msi-XXXXXX")
trap 'rm -rf "$work"' EXIT
# wixl looks files up only by relative names, so the inputs are gathered in one folder.
cp "$exe" "$work/Tarnwick.exe"
cp "$help_page" "$work/main.html"
cp "$here/../src/app/res/tarnwick.ico" "$here/Tarnwick.wxs" "$work/"
(cd "$work" && wixl -a x64 -D Version="$version" -D Exe=Tarnwick.exe -D HelpPage=main.html \
  -D Icon=tarnwick.ico -o Tarnwick.msi Tarnwick.wxs) 2>"$work/wixl.log" ||
  { cat "$work/wixl.log" >&2; exit 1; }

# wixl drops IncludeMaximum (and MigrateFeatures) from the upgrade row, which would leave a
# rebuild of the same version installed beside the old one; the row is written again with
# its attributes: 1 migrate features + 256 minimum inclusive + 512 maximum inclusive.
msiinfo export "$work/Tarnwick.msi" Upgrade >"$work/Upgrade.idt"
python3 - "$work/Upgrade.idt" <<'PY'
import sys
path = sys.argv[1]
rows = open(path, "rb").read().decode("ascii").split("\r\n")
fixed = 0
for i, row in enumerate(rows[3:], 3):
    cols = row.split("\t")
    if len(cols) == 7 and cols[6] == "WIX_UPGRADE_DETECTED":
        cols[4] = str(1 | 256 | 512)
        rows[i] = "\t".join(cols)
        fixed += 1
if fixed != 1:
    sys.exit("build_msi: expected one WIX_UPGRADE_DETECTED row in the Upgrade table, found %d" % fixed)
open(path, "wb").write("\r\n".join(rows).encode("ascii"))
PY
msibuild "$work/Tarnwick.msi" -i "$work/Upgrade.idt"
mv -f "$work/Tarnwick.msi" "$out"
