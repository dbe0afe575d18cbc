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

# What wixl cannot write is set in the finished package, each table exported, changed and
# imported again:
# - the upgrade row's attributes: wixl drops IncludeMaximum (and MigrateFeatures), which would
#   leave a rebuild of the same version installed beside the old one; 1 migrate features +
#   256 minimum inclusive + 512 maximum inclusive;
# - File.Version of Tarnwick.exe, the version its resource carries (MAJOR.MINOR.PATCH.0), so
#   that inventory tools and the file-versioning rules see a versioned file;
# - the conditions of the two autostart components, which follow AUTOSTART;
# - AUTOSTART among the secure properties, so that a managed install passes it on to the
#   part of the installation that runs as SYSTEM;
# - a new MsiLockPermissionsEx table (Windows Installer 5.0, which the package's
#   InstallerVersion 500 asks for) with one row: the descriptor that CreateFolders gives
#   %ProgramData%\Tarnwick, the one the program's CreateProtectedFolder uses. Owner
#   Administrators; protected, so nothing of ProgramData's rights (users may create there) is
#   inherited; SYSTEM and Administrators full control, Users read and list; all of it
#   inherited by what is made inside.
machine_folder_sddl='O:BAG:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)'
for table in Upgrade File Component Property CreateFolder; do
  (cd "$work" && msiinfo export Tarnwick.msi "$table" >"$table.idt")
done
python3 - "$work" "$version" "$machine_folder_sddl" <<'PY'
import os, sys
work, version, machine_folder_sddl = sys.argv[1], sys.argv[2], sys.argv[3]
parts = (version.split(".") + ["0", "0"])[:3] + ["0"]
file_version = ".".join(str(int(p)) for p in parts)

def edit(table, key_column, changes):
    """changes: {row key: {column name: value}}; every key must be found exactly once."""
    path = os.path.join(work, table + ".idt")
    rows = open(path, "rb").read().decode("utf-8").split("\r\n")
    names = rows[0].split("\t")
    seen = set()
    for i, row in enumerate(rows[3:], 3):
        cols = row.split("\t")
        key = cols[names.index(key_column)] if len(cols) == len(names) else None
        if key in changes:
            for name, value in changes[key].items():
                cols[names.index(name)] = value
            rows[i] = "\t".join(cols)
            seen.add(key)
    missing = set(changes) - seen
    if missing:
        sys.exit("build_msi: no %s row %s" % (table, ", ".join(sorted(missing))))
    open(path, "wb").write("\r\n".join(rows).encode("utf-8"))

edit("Upgrade", "ActionProperty", {"WIX_UPGRADE_DETECTED": {"Attributes": str(1 | 256 | 512)}})
edit("File", "File", {"TarnwickExe": {"Version": file_version}})
edit("Component", "Component", {"MachineAutostart": {"Condition": 'AUTOSTART="1"'},
                                "AutostartChoice": {"Condition": "AUTOSTART"}})
props = open(os.path.join(work, "Property.idt"), "rb").read().decode("utf-8")
secure = [l.split("\t")[1] for l in props.split("\r\n") if l.startswith("SecureCustomProperties\t")]
edit("Property", "Property", {"SecureCustomProperties": {"Value": ";".join(secure + ["AUTOSTART"])}})

# The lock row names the folder by its key in CreateFolder: a directory renamed in the wxs
# must stop the build, not leave a row that secures nothing.
created = open(os.path.join(work, "CreateFolder.idt"), "rb").read().decode("utf-8").split("\r\n")[3:]
if "MACHINEDATADIR\tMachineDataFolder" not in created:
    sys.exit("build_msi: no CreateFolder row for MACHINEDATADIR (component MachineDataFolder)")
# Columns and types as Windows Installer defines the table; the header is that of an export.
lock = ["MsiLockPermissionsEx\tLockObject\tTable\tSDDLText\tCondition",
        "s72\ts72\ts32\ts0\tS255",
        "MsiLockPermissionsEx\tMsiLockPermissionsEx",
        "\t".join(["MachineDataFolder", "MACHINEDATADIR", "CreateFolder", machine_folder_sddl, ""]), ""]
open(os.path.join(work, "MsiLockPermissionsEx.idt"), "wb").write("\r\n".join(lock).encode("ascii"))
PY
for table in Upgrade File Component Property MsiLockPermissionsEx; do
  msibuild "$work/Tarnwick.msi" -i "$work/$table.idt"
done
mv -f "$work/Tarnwick.msi" "$out"
