#!/usr/bin/env bash
# Builds the Windows Installer package from Tarnwick.wxs with wixl.
# usage: packaging/build_msi.sh VERSION EXE HELP_PAGE OUT.msi
# The help pages in other languages that Tarnwick.wxs installs (main.<tag>.html) are taken from
# the folder of HELP_PAGE.
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
# The package names each page by its file name; sorted, so that the inputs come in one order.
mapfile -t translated < <(grep -o 'Name="main\.[A-Za-z0-9-]*\.html"' "$here/Tarnwick.wxs" | sed 's/^Name="//; s/"$//' | LC_ALL=C sort -u)
for f in "$exe" "$help_page" "${translated[@]/#/$(dirname "$help_page")/}"; do
  [ -f "$f" ] || { echo "build_msi: no $f" >&2; exit 1; }
done
command -v wixl >/dev/null && command -v msibuild >/dev/null && command -v faketime >/dev/null ||
  { echo "build_msi: wixl, msibuild or faketime is missing (bash scripts/deps.sh)" >&2; exit 1; }
# Every date in the package is this one: the summary stream's (wixl and msibuild read the
# clock, so they run under a fixed one) and the cabinet's file times (the inputs' times).
epoch=${SOURCE_DATE_EPOCH:-$(git -C "$here" log -1 --format=%ct 2>/dev/null || date +%s)}
[[ $epoch =~ ^[0-9]+$ ]] || { echo "build_msi: SOURCE_DATE_EPOCH '$epoch' is not a number of seconds" >&2; exit 1; }
at_source_date() { TZ=UTC faketime -f "$(date -u -d "@$epoch" '+%Y-%m-%d %H:%M:%S')" "$@"; }

work=$(mktemp -d "${TMPDIR:-/tmp}/tarnwick-msi-XXXXXX")
trap 'rm -rf "$work"' EXIT
# wixl looks files up only by relative names, so the inputs are gathered in one folder.
cp "$exe" "$work/Tarnwick.exe"
cp "$help_page" "$work/main.html"
for page in "${translated[@]}"; do cp "$(dirname "$help_page")/$page" "$work/$page"; done
cp "$here/../src/app/res/tarnwick.ico" "$here/Tarnwick.wxs" "$work/"
touch -d "@$epoch" "$work/Tarnwick.exe" "$work/main.html" "${translated[@]/#/$work/}" "$work/tarnwick.ico"
# wixl draws both codes at random. The product code is one per version; the package code
# (the summary stream's revision number) names these very bytes, so it follows everything
# that goes into the package, this script included.
read -r product_code package_code < <(python3 - "$version" "$work/Tarnwick.exe" "$work/main.html" \
  "$work/tarnwick.ico" "$work/Tarnwick.wxs" "$here/build_msi.sh" "${translated[@]/#/$work/}" <<'PY'
import hashlib, re, sys, uuid
version, inputs = sys.argv[1], sys.argv[2:]
wxs = open(inputs[3], encoding="utf-8").read()
upgrade_code = uuid.UUID(re.search(r'UpgradeCode="([0-9A-Fa-f-]{36})"', wxs).group(1))
content = hashlib.sha256(version.encode())
for path in inputs:
    content.update(hashlib.sha256(open(path, "rb").read()).digest())
product = uuid.uuid5(upgrade_code, "ProductCode " + version)
package = uuid.uuid5(upgrade_code, "PackageCode " + content.hexdigest())
print(str(product).upper(), "{%s}" % str(package).upper())
PY
)
(cd "$work" && at_source_date wixl -a x64 -D Version="$version" -D ProductCode="$product_code" -D Exe=Tarnwick.exe \
  -D HelpPage=main.html -D Icon=tarnwick.ico -o Tarnwick.msi Tarnwick.wxs) 2>"$work/wixl.log" ||
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
#   inherited by what is made inside;
# - what Windows Installer's validation asks and wixl does not write: no MsiFileHash row for a
#   versioned file (ICE60: its version decides whether it is replaced; hashes are for
#   unversioned files), the exe's
#   Language, an 8.3 short name beside each long file name (ICE03), and immediate custom
#   actions without the NoImpersonate bit (0x800), which only deferred ones may carry (ICE68;
#   wixl sets it on every property-setting action);
# - the summary stream's package code derived above (msibuild -s writes the subject, author
#   and template with it, so they are given again).
machine_folder_sddl='O:BAG:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)'
for table in Upgrade File Component Property CreateFolder CustomAction; do
  (cd "$work" && msiinfo export Tarnwick.msi "$table" >"$table.idt")
done
python3 - "$work" "$version" "$machine_folder_sddl" <<'PY'
import os, re, sys
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
edit("File", "File", {"TarnwickExe": {"Version": file_version, "Language": "1033"}})

def rows(table):
    lines = open(os.path.join(work, table + ".idt"), "rb").read().decode("utf-8").split("\r\n")
    names = lines[0].split("\t")
    return [dict(zip(names, l.split("\t"))) for l in lines[3:] if l]

def short_name(long_name, taken):
    """An 8.3 name for the file, as Windows would make one: NAME~N.EXT in capitals."""
    base, _, ext = long_name.rpartition(".") if "." in long_name else (long_name, "", "")
    clean = lambda text: "".join(c for c in text.upper() if c.isalnum() or c in "_-")
    for n in range(1, 10):
        candidate = "%s~%d" % (clean(base)[:6], n) + ("." + clean(ext)[:3] if ext else "")
        if candidate not in taken:
            return candidate
    sys.exit("build_msi: no short name left for %s" % long_name)

def is_short(name):
    return re.fullmatch(r"[A-Za-z0-9_\-$~!#%&{}()@^']{1,8}(\.[A-Za-z0-9_\-$~!#%&{}()@^']{1,3})?", name) is not None

files = rows("File")
taken = {f["FileName"].split("|")[0].upper() for f in files}
names = {}
for f in files:
    if "|" not in f["FileName"] and not is_short(f["FileName"]):
        short = short_name(f["FileName"], taken)
        taken.add(short)
        names[f["File"]] = {"FileName": short + "|" + f["FileName"]}
if names:
    edit("File", "File", names)
versioned = [f["File"] for f in files if f["Version"]]
open(os.path.join(work, "unhash.sql"), "w").write(
    "".join("DELETE FROM `MsiFileHash` WHERE `File_` = '%s'\n" % name for name in versioned))
immediate = {a["Action"]: {"Type": str(int(a["Type"]) & ~0x800)} for a in rows("CustomAction")
             if int(a["Type"]) & 0x800 and not int(a["Type"]) & 0x400}
if immediate:
    edit("CustomAction", "Action", immediate)
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
for table in Upgrade File Component Property CustomAction MsiLockPermissionsEx; do
  at_source_date msibuild "$work/Tarnwick.msi" -i "$work/$table.idt"
done
while read -r query; do
  at_source_date msibuild "$work/Tarnwick.msi" -q "$query"
done <"$work/unhash.sql"
at_source_date msibuild "$work/Tarnwick.msi" -s "Tarnwick $version" Tarnwick "x64;1033" "$package_code"
mv -f "$work/Tarnwick.msi" "$out"
