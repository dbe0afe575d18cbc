#!/usr/bin/env bash
# The installer: dist/Tarnwick.msi's tables read with msiinfo, then the package installed,
# upgraded and removed with Wine's msiexec in a fresh prefix, and the installed program
# started from its Start-menu shortcut in a Wine desktop on a private Xvfb.
# usage: tests/msi/run.sh BUILD_DIR      (the windows build folder; dist/ must exist)
# Prints one line per check ("PASS name" / "FAIL name: reason") and ends with
# "N passed, M failed". Logs and screenshots go to $ARTIFACTS/msi (default build/artifacts/msi).
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=${1:?usage: tests/msi/run.sh BUILD_DIR}
build=$(cd "$build" 2>/dev/null && pwd) || { echo "no build folder $1"; echo "0 passed, 1 failed"; exit 1; }
art=${ARTIFACTS:-$root/build/artifacts}/msi
msi=$root/dist/Tarnwick.msi
version_file=$build/src/app/version.txt
UPGRADE_CODE="{25E760C3-6A74-49E6-B5F1-4C9155D3C7BC}"
RUN_KEY='HKCU\SOFTWARE\Microsoft\Windows\CurrentVersion\Run'
MACHINE_RUN_KEY='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Run'
UNINSTALL_KEY='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'

source "$root/scripts/wine_env.sh"

started=$(date +%s)
for f in "$msi" "$root/dist/Tarnwick.exe" "$root/dist/main.html" "$version_file"; do
  [ -f "$f" ] || { echo "missing $f (build the windows preset and run scripts/build_dist.sh)"; echo "0 passed, 1 failed"; exit 1; }
done
version=$(tr -d '\r\n' <"$version_file")
rm -rf "$art" && mkdir -p "$art"
tmp=$(mktemp -d "${TMPDIR:-/tmp}/tarnwick-msi-test-XXXXXX")
DESKTOP_PID=""
cleanup() {
  [ -n "$DESKTOP_PID" ] && kill "$DESKTOP_PID" 2>/dev/null
  wine_prefix_end
  xvfb_stop
  rm -rf "$tmp"
}
trap cleanup EXIT

PASSED=0
FAILED=0
REASON=""
check() { # NAME FUNCTION
  REASON=""
  if "$2"; then
    PASSED=$((PASSED + 1))
    echo "PASS $1"
  else
    FAILED=$((FAILED + 1))
    echo "FAIL $1: ${REASON:-failed}"
  fi
}
expect_eq() { # WHAT GOT WANT
  [ "$2" = "$3" ] && return 0
  REASON="$1 is '$2', expected '$3'"
  return 1
}

# --- the package's tables ---------------------------------------------------------------

msiinfo export "$msi" Property >/dev/null 2>&1 || { echo "msiinfo cannot read $msi"; echo "0 passed, 1 failed"; exit 1; }
# TABLE: its rows, tab-separated. Run in tmp: msiinfo writes a table's binary streams to a
# folder of the table's name in the current one.
rows() { (cd "$tmp" && msiinfo export "$msi" "$1") | tr -d '\r' | tail -n +4; }
col() { awk -F'\t' -v k="$2" -v c="$3" '$1 == k { print $c }' <<<"$1"; } # ROWS KEY COLUMN
property() { col "$(rows Property)" "$1" 2; }

product_is_tarnwick_at_the_build_version() {
  local exe_version
  # The exe's own version resource, as Explorer shows it.
  exe_version=$(python3 - "$root/dist/Tarnwick.exe" <<'EOF'
import sys
data = open(sys.argv[1], "rb").read()
key = "ProductVersion\0".encode("utf-16-le")
at = data.index(key) + len(key)
at += (4 - at % 4) % 4
end = data.index(b"\0\0", at)
print(data[at:end + (end - at) % 2].decode("utf-16-le"))
EOF
  )
  expect_eq "the exe's ProductVersion" "$exe_version" "$version" || return 1
  expect_eq ProductVersion "$(property ProductVersion)" "$version" || return 1
  expect_eq ProductName "$(property ProductName)" Tarnwick || return 1
  expect_eq Manufacturer "$(property Manufacturer)" Tarnwick || return 1
  expect_eq UpgradeCode "$(property UpgradeCode)" "$UPGRADE_CODE" || return 1
  expect_eq "summary Subject" "$(msiinfo suminfo "$msi" | sed -n 's/^Subject: //p')" "Tarnwick $version" || return 1
  local icon
  icon=$(property ARPPRODUCTICON)
  [ -n "$icon" ] && [ -n "$(col "$(rows Icon)" "$icon" 1)" ] ||
    { REASON="ARPPRODUCTICON '$icon' names no row of the Icon table"; return 1; }
}

package_is_per_machine_64_bit() {
  expect_eq ALLUSERS "$(property ALLUSERS)" 1 || return 1
  expect_eq "MSIINSTALLPERUSER" "$(property MSIINSTALLPERUSER)" "" || return 1
  expect_eq "summary Template" "$(msiinfo suminfo "$msi" | sed -n 's/^Template: //p')" "x64;1033" || return 1
  # Every component 64-bit (attribute 256), so Windows puts it in the 64-bit Program Files.
  local bad
  bad=$(awk -F'\t' 'int($4 / 256) % 2 == 0 { print $1 }' <<<"$(rows Component)")
  [ -z "$bad" ] || { REASON="components not marked 64-bit: $bad"; return 1; }
  # Folders and registry roots that belong to one user have no place in a per-machine package.
  local folder
  for folder in AppDataFolder LocalAppDataFolder PersonalFolder DesktopFolder StartMenuFolder StartupFolder \
    FavoritesFolder SendToFolder TemplateFolder RecentFolder NetHoodFolder PrintHoodFolder MyPicturesFolder TempFolder; do
    if cut -f1,2 <<<"$(rows Directory)" | tr '\t' '\n' | grep -qx "$folder"; then
      REASON="the Directory table uses the per-user folder $folder"
      return 1
    fi
  done
  bad=$(awk -F'\t' '$2 == 1 || $2 == -1 { print $1 }' <<<"$(rows Registry)")
  [ -z "$bad" ] || { REASON="per-user registry rows: $bad"; return 1; }
  expect_eq "INSTALLDIR" "$(col "$(rows Directory)" INSTALLDIR 2)/$(col "$(rows Directory)" INSTALLDIR 3)" \
    "ProgramFiles64Folder/Tarnwick" || return 1
}

package_holds_exactly_the_exe_and_the_help_page() {
  local files
  files=$(rows File | awk -F'\t' '{ print $3 " " $2 }' | LC_ALL=C sort | tr '\n' ',')
  expect_eq "File table (name component)" "$files" "MAINDE~1.HTM|main.de.html HelpPageDe,MAINJA~1.HTM|main.ja.html HelpPageJa,MAIN~1.HTM|main.html HelpPage,Tarnwick.exe TarnwickExe," || return 1
  expect_eq "the exe's component folder" "$(col "$(rows Component)" TarnwickExe 3)" INSTALLDIR || return 1
  expect_eq "the help page's component folder" "$(col "$(rows Component)" HelpPage 3)" INSTALLDIR || return 1
  # The packed files are the ones in dist/.
  mkdir -p "$tmp/extract"
  msiextract -C "$tmp/extract" "$msi" >/dev/null || { REASON="msiextract failed"; return 1; }
  cmp -s "$tmp/extract/Tarnwick/Tarnwick.exe" "$root/dist/Tarnwick.exe" || { REASON="the packed Tarnwick.exe is not dist/Tarnwick.exe"; return 1; }
  local page
  for page in main.html main.de.html main.ja.html; do
    cmp -s "$tmp/extract/Tarnwick/$page" "$root/dist/$page" || { REASON="the packed $page is not dist/$page"; return 1; }
  done
}

start_menu_shortcut_points_at_the_installed_exe() {
  local all
  all=$(rows Shortcut)
  expect_eq "shortcuts" "$(cut -f1 <<<"$all" | tr '\n' ' ')" "StartMenuShortcut " || return 1
  expect_eq "shortcut folder" "$(col "$all" StartMenuShortcut 2)" ProgramMenuFolder || return 1
  expect_eq "shortcut name" "$(col "$all" StartMenuShortcut 3)" Tarnwick || return 1
  expect_eq "shortcut component" "$(col "$all" StartMenuShortcut 4)" TarnwickExe || return 1
  # A feature name here would make it an advertised shortcut; it names the file instead.
  expect_eq "shortcut target" "$(col "$all" StartMenuShortcut 5)" "[#TarnwickExe]" || return 1
  expect_eq "shortcut working folder" "$(col "$all" StartMenuShortcut 12)" INSTALLDIR
}

major_upgrade_replaces_every_older_and_refuses_a_newer() {
  local up seq
  up=$(rows Upgrade)
  # Attributes 769: migrate features, minimum and maximum inclusive (a rebuild of this
  # version replaces the installed one); 2: only detect.
  expect_eq "upgrade rule" "$(awk -F'\t' '$7 == "WIX_UPGRADE_DETECTED" { print $1, $2, $3, $5 }' <<<"$up")" \
    "$UPGRADE_CODE 0.0.0 $version 769" || return 1
  expect_eq "downgrade rule" "$(awk -F'\t' '$7 == "WIX_DOWNGRADE_DETECTED" { print $1, $2, "[" $3 "]", $5 }' <<<"$up")" \
    "$UPGRADE_CODE $version [] 2" || return 1
  expect_eq "launch condition" "$(rows LaunchCondition | awk -F'\t' '$2 ~ /^A newer version/ { print $1 }')" "NOT WIX_DOWNGRADE_DETECTED" || return 1
  expect_eq "SecureCustomProperties" "$(property SecureCustomProperties | tr ';' '\n' | sort | tr '\n' ';')" \
    "AUTOSTART;WIX_DOWNGRADE_DETECTED;WIX_UPGRADE_DETECTED;" || return 1
  seq=$(rows InstallExecuteSequence)
  local validate remove initialize
  validate=$(col "$seq" InstallValidate 3) remove=$(col "$seq" RemoveExistingProducts 3) initialize=$(col "$seq" InstallInitialize 3)
  [ -n "$remove" ] && [ "$remove" -gt "$validate" ] && [ "$remove" -lt "$initialize" ] ||
    { REASON="RemoveExistingProducts at '$remove', not between InstallValidate ($validate) and InstallInitialize ($initialize)"; return 1; }
  [ -n "$(col "$seq" FindRelatedProducts 3)" ] || { REASON="no FindRelatedProducts"; return 1; }
}

uninstall_removes_only_the_users_autostart_values() {
  local ca seq name type condition at
  ca=$(rows CustomAction)
  seq=$(rows InstallExecuteSequence)
  for name in RemoveAutostartEntry RemoveFirstStartMarker; do
    type=$(col "$ca" "$name" 2)
    [ -n "$type" ] || { REASON="no custom action $name"; return 1; }
    # 0x400 deferred, 0x40 a failure is ignored, no 0x800: it runs as the uninstalling
    # user, whose HKCU it must reach.
    [ $((type & 0x400)) -ne 0 ] && [ $((type & 0x40)) -ne 0 ] && [ $((type & 0x800)) -eq 0 ] ||
      { REASON="$name has type $type: not deferred, ignoring failure, as the user"; return 1; }
    condition=$(col "$seq" "$name" 2) at=$(col "$seq" "$name" 3)
    expect_eq "$name's condition" "$condition" 'REMOVE="ALL" AND NOT UPGRADINGPRODUCTCODE' || return 1
    [ "$at" -gt "$(col "$seq" InstallInitialize 3)" ] && [ "$at" -lt "$(col "$seq" InstallFinalize 3)" ] ||
      { REASON="$name at $at, outside the install script"; return 1; }
  done
  expect_eq "RemoveAutostartEntry's command" "$(col "$ca" RemoveAutostartEntry 4)" \
    'delete "HKCU\SOFTWARE\Microsoft\Windows\CurrentVersion\Run" /v Tarnwick /f' || return 1
  expect_eq "RemoveFirstStartMarker's command" "$(col "$ca" RemoveFirstStartMarker 4)" \
    'delete "HKCU\Software\Tarnwick" /v Run /f' || return 1
  # The users' data files are never the package's to remove.
  expect_eq "RemoveFile table" "$(rows RemoveFile)" "" || return 1
  if grep -qi 'code\.ini\|srvStat' <<<"$ca"; then REASON="a custom action touches code.ini or srvStat.txt"; return 1; fi
}

exe_is_versioned_and_the_links_open_the_help_page() {
  local fixed ca seq link action at
  # The exe's fixed file version (VS_FIXEDFILEINFO), the one Windows Installer compares.
  fixed=$(python3 - "$root/dist/Tarnwick.exe" <<'EOF'
import struct, sys
data = open(sys.argv[1], "rb").read()
at = data.index(struct.pack("<I", 0xFEEF04BD))
ms, ls = struct.unpack_from("<II", data, at + 8)
print("%d.%d.%d.%d" % (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF))
EOF
  )
  expect_eq "the exe's file version" "$fixed" "$version.0.0" || return 1
  expect_eq "File.Version of Tarnwick.exe" "$(col "$(rows File)" TarnwickExe 5)" "$fixed" || return 1
  ca=$(rows CustomAction) seq=$(rows InstallExecuteSequence)
  for link in ARPHELPLINK:SetHelpLink ARPURLINFOABOUT:SetAboutLink; do
    action=${link#*:}
    expect_eq "$action's property" "$(col "$ca" "$action" 3)" "${link%%:*}" || return 1
    expect_eq "${link%%:*}" "$(col "$ca" "$action" 4)" "[INSTALLDIR]main.html" || return 1
    # Once the folders are resolved, before the product is registered.
    at=$(col "$seq" "$action" 3)
    [ -n "$at" ] && [ "$at" -gt "$(col "$seq" CostFinalize 3)" ] && [ "$at" -lt "$(col "$seq" InstallValidate 3)" ] ||
      { REASON="$action at '$at', not between CostFinalize and InstallValidate"; return 1; }
  done
}

autostart_is_per_machine_and_follows_the_autostart_property() {
  local comps regs
  comps=$(rows Component) regs=$(rows Registry)
  expect_eq "AUTOSTART's default" "$(property AUTOSTART)" 1 || return 1
  expect_eq "launch condition on AUTOSTART" "$(rows LaunchCondition | awk -F'\t' '$2 == "AUTOSTART must be 1, 0 or empty." { print $1 }')" \
    'NOT AUTOSTART OR AUTOSTART="1" OR AUTOSTART="0"' || return 1
  expect_eq "MachineAutostart's condition" "$(col "$comps" MachineAutostart 5)" 'AUTOSTART="1"' || return 1
  expect_eq "AutostartChoice's condition" "$(col "$comps" AutostartChoice 5)" AUTOSTART || return 1
  expect_eq "the machine's Run value" "$(awk -F'\t' '$6 == "MachineAutostart" { print $2, $3, $4, $5 }' <<<"$regs")" \
    '2 SOFTWARE\Microsoft\Windows\CurrentVersion\Run Tarnwick "[INSTALLDIR]Tarnwick.exe"' || return 1
  expect_eq "the recorded choice" "$(awk -F'\t' '$6 == "AutostartChoice" { print $2, $3, $4, $5 }' <<<"$regs")" \
    '2 Software\Tarnwick AutoStart #[AUTOSTART]'
}

# %ProgramData%\Tarnwick made by the package, secured as the program secures it: the
# descriptor in the program's CreateProtectedFolder, which is the administrators-only one.
ADMIN_ONLY_SDDL='O:BAG:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)'
machine_folder_is_created_with_the_programs_descriptor() {
  local dir component program_sddl lock
  dir=$(rows Directory | awk -F'\t' '$2 == "CommonAppDataFolder" && $3 == "Tarnwick" { print $1 }')
  [ -n "$dir" ] && [ "$(wc -l <<<"$dir")" -eq 1 ] || { REASON="folders Tarnwick under CommonAppDataFolder: '$dir'"; return 1; }
  component=$(col "$(rows CreateFolder)" "$dir" 2)
  [ -n "$component" ] || { REASON="no CreateFolder row for $dir"; return 1; }
  # Always installed, with the folder as its key path (an empty KeyPath), in the feature.
  expect_eq "$component's condition and key path" "$(col "$(rows Component)" "$component" 5)/$(col "$(rows Component)" "$component" 6)" "/" || return 1
  rows FeatureComponents | cut -f2 | grep -qxF "$component" || { REASON="$component is in no feature"; return 1; }
  # The folder's descriptor (inherited by what is made inside), not the lock file's.
  program_sddl=$(sed -n '/OICI/s/.*L"\(O:[^"]*\)".*/\1/p' "$root/src/platform/win32/win32_folder_security.cpp")
  expect_eq "the program's folder descriptor" "$program_sddl" "$ADMIN_ONLY_SDDL" || return 1
  # One row, unconditional: LockObject and Table name the created folder.
  lock=$(rows MsiLockPermissionsEx | cut -f2-)
  expect_eq "MsiLockPermissionsEx (LockObject Table SDDLText Condition)" "$lock" \
    "$dir"$'\t'CreateFolder$'\t'"$program_sddl"$'\t' || return 1
  # Windows Installer 5.0 reads that table, and refuses a package that also has the old one.
  local installer_version
  installer_version=$(msiinfo suminfo "$msi" | sed -n 's/^Version: \([0-9]*\).*/\1/p')
  [ -n "$installer_version" ] && [ "$installer_version" -ge 500 ] ||
    { REASON="InstallerVersion '$installer_version', below 500"; return 1; }
  if msiinfo tables "$msi" | tr -d '\r' | grep -qx LockPermissions; then REASON="a LockPermissions table as well"; return 1; fi
}

package_build_refuses_versions_windows_installer_cannot_compare() {
  local v out
  for v in 1.256 256.1 1.2.65536 1.2.3.4 1 1.x ""; do
    if out=$(bash "$root/packaging/build_msi.sh" "$v" "$root/dist/Tarnwick.exe" "$root/dist/main.html" "$tmp/bad.msi" 2>&1) ||
      [ -e "$tmp/bad.msi" ]; then
      REASON="version '$v' was accepted"
      return 1
    fi
    grep -q "is not MAJOR.MINOR" <<<"$out" || { REASON="version '$v': no clear message ($out)"; return 1; }
  done
  bash "$root/packaging/build_msi.sh" 1.10 "$tmp/none.exe" "$root/dist/main.html" "$tmp/bad.msi" >/dev/null 2>&1 &&
    { REASON="a missing exe was accepted"; return 1; }
  return 0
}

check product-is-tarnwick-at-the-build-version product_is_tarnwick_at_the_build_version
check package-is-per-machine-64-bit package_is_per_machine_64_bit
check package-holds-the-exe-and-the-help-page package_holds_exactly_the_exe_and_the_help_page
check start-menu-shortcut-points-at-the-installed-exe start_menu_shortcut_points_at_the_installed_exe
check major-upgrade-replaces-older-refuses-newer major_upgrade_replaces_every_older_and_refuses_a_newer
check uninstall-removes-only-the-users-autostart-values uninstall_removes_only_the_users_autostart_values
check exe-versioned-and-links-open-the-help-page exe_is_versioned_and_the_links_open_the_help_page
check autostart-per-machine-follows-autostart autostart_is_per_machine_and_follows_the_autostart_property
check machine-folder-created-with-programs-descriptor machine_folder_is_created_with_the_programs_descriptor
check package-build-refuses-bad-versions package_build_refuses_versions_windows_installer_cannot_compare

# --- under Wine -------------------------------------------------------------------------

wine_prefix_new msi || { echo "FAIL wine: cannot make a prefix"; echo "$PASSED passed, $((FAILED + 1)) failed"; exit 1; }
wineserver -p
drive=$WINEPREFIX/drive_c
install="$drive/Program Files/Tarnwick"
local_data="$drive/users/$(whoami)/AppData/Local/Tarnwick"
machine_data="$drive/ProgramData/Tarnwick"

# Packages to upgrade from and to, built from the same exe: an older one with a help page of
# its own, and a rebuild of this version (the same product code and, from the same files,
# the same package code).
printf '<p>the help page of 1.9</p>\n' >"$tmp/old.html"
# The package takes the translated pages from beside the English one.
for page in main.de.html main.ja.html; do printf '<p>%s of 1.9</p>\n' "$page" >"$tmp/$page"; done
bash "$root/packaging/build_msi.sh" 1.9 "$root/dist/Tarnwick.exe" "$tmp/old.html" "$tmp/old.msi" ||
  { echo "cannot build the 1.9 package"; echo "$PASSED passed, $((FAILED + 1)) failed"; exit 1; }
bash "$root/packaging/build_msi.sh" "$version" "$root/dist/Tarnwick.exe" "$root/dist/main.html" "$tmp/rebuild.msi" ||
  { echo "cannot rebuild the package"; echo "$PASSED passed, $((FAILED + 1)) failed"; exit 1; }

msiexec() { # ACTION MSI LOGNAME [PROPERTY=VALUE...]: a silent msiexec, its log kept; returns its exit code
  local action=$1 package=$2 log=$3
  shift 3
  wine msiexec "$action" "$(winepath -w "$package")" "$@" /qn /l*v "$(winepath -w "$art/$log.log")" >/dev/null 2>&1
}
reg_value() { # KEY NAME -> "TYPE DATA", nothing when the value is missing
  wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$2    \(REG_[A-Z_]*\)    \(.*\)\$/\1 \2/p"
}
# "CODE VERSION" of every installed product named Tarnwick.
installed_products() {
  wine reg query "$UNINSTALL_KEY" /s 2>/dev/null | tr -d '\r' | awk '
    /^HKEY/ { key = $0; sub(/.*\\/, "", key); name = ""; ver = "" }
    $1 == "DisplayName" && $3 == "Tarnwick" { name = 1 }
    $1 == "DisplayVersion" { ver = $3 }
    name && ver != "" { print key, ver; name = "" }' | sort
}
arp_value() { reg_value "$UNINSTALL_KEY\\$1" "$2" | cut -d' ' -f2-; } # PRODUCT NAME
# "KEY NAME DATA" of every Run value, the user's and the machine's, whose program is missing.
run_values_naming_missing_files() {
  local key name data path
  for key in "$RUN_KEY" "$MACHINE_RUN_KEY"; do
    while IFS=$'\t' read -r name data; do
      path=$data
      [[ $data == \"* ]] && { path=${data#\"}; path=${path%%\"*}; }
      [ -e "$(winepath -u "$path" 2>/dev/null)" ] || echo "$key $name $data"
    done < <(wine reg query "$key" 2>/dev/null | tr -d '\r' | sed -n 's/^    \([^ ].*\)    REG_[A-Z_]*    \(.*\)$/\1\t\2/p')
  done
}
# Wine keeps the Start menu of a per-machine install in the user's profile; Windows puts
# it under ProgramData. Either one counts, but only one.
shortcut_files() {
  local f
  for f in "$drive/ProgramData/Microsoft/Windows/Start Menu/Programs/Tarnwick.lnk" \
    "$drive/users/$(whoami)/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Tarnwick.lnk"; do
    [ -e "$f" ] && echo "$f"
  done
}
tarnwick_pids() {
  local env p
  for env in $(grep -lzxF "WINEPREFIX=$WINEPREFIX" /proc/[0-9]*/environ 2>/dev/null); do
    p=${env%/environ}
    tr '\0' ' ' 2>/dev/null <"$p/cmdline" | grep -q '^C:\\Program Files\\Tarnwick\\Tarnwick\.exe' && echo "${p#/proc/}"
  done
}
wait_for() { # SECONDS COMMAND
  local deadline=$(($(date +%s) + $1))
  until eval "$2"; do
    [ "$(date +%s)" -lt "$deadline" ] || return 1
    sleep 0.3
  done
}

silent_install_puts_both_files_into_program_files() {
  [ ! -e "$machine_data" ] || { REASON="the new prefix already has $machine_data"; return 1; }
  msiexec /i "$msi" install || { REASON="msiexec /i exited $?"; return 1; }
  cmp -s "$install/Tarnwick.exe" "$root/dist/Tarnwick.exe" || { REASON="no Tarnwick.exe from dist/ in $install"; return 1; }
  cmp -s "$install/main.html" "$root/dist/main.html" || { REASON="no main.html from dist/ in $install"; return 1; }
  local products code
  products=$(installed_products)
  [ "$(wc -l <<<"$products")" -eq 1 ] && [ "${products#* }" = "$version" ] ||
    { REASON="installed products: '$products', expected one of version $version"; return 1; }
  code=${products%% *}
  expect_eq "Publisher" "$(arp_value "$code" Publisher)" Tarnwick || return 1
  expect_eq "InstallLocation" "$(arp_value "$code" InstallLocation)" 'C:\Program Files\Tarnwick\' || return 1
  expect_eq "HelpLink" "$(arp_value "$code" HelpLink)" 'C:\Program Files\Tarnwick\main.html' || return 1
  expect_eq "URLInfoAbout" "$(arp_value "$code" URLInfoAbout)" 'C:\Program Files\Tarnwick\main.html' || return 1
  # AUTOSTART=1 by default: one Run value for every user, and the choice recorded for the program.
  expect_eq "the machine's Run value" "$(reg_value "$MACHINE_RUN_KEY" Tarnwick)" 'REG_SZ "C:\Program Files\Tarnwick\Tarnwick.exe"' || return 1
  expect_eq "HKLM\\Software\\Tarnwick AutoStart" "$(reg_value 'HKLM\Software\Tarnwick' AutoStart)" "REG_DWORD 0x1" || return 1
  # The icon of the "Installed apps" entry is cached by the installer under its product code.
  local packed icon
  packed=$(wine reg query 'HKLM\Software\Classes\Installer\Products' /s 2>/dev/null | tr -d '\r' |
    awk '/^HKEY/ { key = $0 } $1 == "ProductName" && $3 == "Tarnwick" { print key }' | head -n 1)
  icon=$(reg_value "$packed" ProductIcon | cut -d' ' -f2-)
  [ -n "$icon" ] && cmp -s "$(winepath -u "$icon" 2>/dev/null)" "$root/src/app/res/tarnwick.ico" ||
    { REASON="the product icon '$icon' is not the program's icon"; return 1; }
  expect_eq "shortcuts" "$(shortcut_files | wc -l)" 1
}

# Wine applies no MsiLockPermissionsEx descriptor, so only the folder's being there shows here.
install_creates_the_machine_folder() {
  [ -d "$machine_data" ] || { REASON="no C:\\ProgramData\\Tarnwick after the install"; return 1; }
  expect_eq "in C:\\ProgramData\\Tarnwick" "$(ls -A "$machine_data")" ""
}

# TARGET [PICTURE]: starts it in the Wine desktop "msi" (made at the first call), waits for its lamp.
start_and_wait_for_the_lamp() {
  local target=$1 colour rest
  [ -n "${XVFB_PID:-}" ] || xvfb_start 150
  (cd "$tmp" && exec wine explorer /desktop=msi,640x480 "$target" >>"$art/explorer.log" 2>&1) &
  [ -n "$DESKTOP_PID" ] || DESKTOP_PID=$!
  wait_for 60 '[ -n "$(tarnwick_pids)" ]' || { REASON="Tarnwick.exe did not start from $target"; return 1; }
  local window desk="" X Y WIDTH HEIGHT
  wait_for 30 "xdotool search --name '^msi - Wine desktop\$' >/dev/null" || { REASON="no Wine desktop"; return 1; }
  window=$(xdotool search --name '^msi - Wine desktop$' | head -n 1)
  eval "$(xdotool getwindowgeometry --shell "$window")"
  desk="$X $Y $WIDTH $HEIGHT"
  # No test services here: sharing reads as off, so the lamp rests red (green where the
  # machine has a Server service running).
  # shellcheck disable=SC2086
  wait_for 45 'import -window root "$tmp/lamp.png" 2>/dev/null; read -r colour rest <<<"$(python3 "$root/tests/e2e/lamp.py" "$tmp/lamp.png" $desk)"; [ "$colour" = red ] || [ "$colour" = green ]' ||
    { cp "$tmp/lamp.png" "$art/no-lamp.png" 2>/dev/null; REASON="no lamp in the notification area (last look: ${colour:-nothing})"; return 1; }
  cp "$tmp/lamp.png" "$art/${2:-lamp}.png"
}
end_the_program() {
  local pid
  for pid in $(tarnwick_pids); do kill "$pid"; done
  wait_for 10 '[ -z "$(tarnwick_pids)" ]' || { REASON="Tarnwick.exe did not end"; return 1; }
}

installed_exe_starts_from_the_shortcut_and_shows_its_lamp() {
  local link target workdir
  link=$(shortcut_files | head -n 1)
  [ -n "$link" ] || { REASON="no Start-menu shortcut"; return 1; }
  target=$(python3 "$here/lnk.py" "$link" | sed -n 's/^target //p')
  workdir=$(python3 "$here/lnk.py" "$link" | sed -n 's/^workdir //p')
  expect_eq "shortcut target" "$target" 'C:\Program Files\Tarnwick\Tarnwick.exe' || return 1
  expect_eq "shortcut working folder" "$workdir" 'C:\Program Files\Tarnwick\' || return 1
  start_and_wait_for_the_lamp "$target" || return 1
  # The machine's Run value starts it: its first start writes no value of the user's, which an
  # uninstall run as SYSTEM would leave behind.
  expect_eq "the user's Run value" "$(reg_value "$RUN_KEY" Tarnwick)" "" || return 1
  expect_eq "first-start marker" "$(reg_value 'HKCU\Software\Tarnwick' Run)" "" || return 1
  end_the_program
}

silent_uninstall_removes_files_shortcut_and_autostart_only() {
  local code
  code=$(installed_products | cut -d' ' -f1)
  printf '[Info]\r\nSecondService=Keep\r\n' >"$install/code.ini"
  printf 'TwKeep\r\n' | tee "$machine_data/srvStat.txt" >"$install/srvStat.txt"
  wine reg add "$RUN_KEY" /v Tarnwick /d 'C:\Program Files\Tarnwick\Tarnwick.exe' /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Tarnwick' /v Run /d Yes /f >/dev/null 2>&1
  wine reg add "$RUN_KEY" /v SomethingElse /d 'C:\other.exe' /f >/dev/null 2>&1
  msiexec /x "$msi" uninstall || { REASON="msiexec /x exited $?"; return 1; }
  [ ! -e "$install/Tarnwick.exe" ] && [ ! -e "$install/main.html" ] || { REASON="files left in $install: $(ls "$install" | tr '\n' ' ')"; return 1; }
  [ -z "$(shortcut_files)" ] || { REASON="the shortcut is still there: $(shortcut_files)"; return 1; }
  [ -z "$(installed_products)" ] || { REASON="still installed: $(installed_products)"; return 1; }
  if wine reg query "$UNINSTALL_KEY\\$code" >/dev/null 2>&1; then REASON="the uninstall entry $code is left"; return 1; fi
  expect_eq "code.ini" "$(cat "$install/code.ini" 2>/dev/null)" $'[Info]\r\nSecondService=Keep\r' || return 1
  expect_eq "srvStat.txt" "$(cat "$install/srvStat.txt" 2>/dev/null)" $'TwKeep\r' || return 1
  # The machine folder holds state written after the install: it stays, with that state.
  expect_eq "C:\\ProgramData\\Tarnwick\\srvStat.txt" "$(cat "$machine_data/srvStat.txt" 2>/dev/null)" $'TwKeep\r' || return 1
  expect_eq "Run value Tarnwick" "$(reg_value "$RUN_KEY" Tarnwick)" "" || return 1
  expect_eq "first-start marker" "$(reg_value 'HKCU\Software\Tarnwick' Run)" "" || return 1
  expect_eq "another program's Run value" "$(reg_value "$RUN_KEY" SomethingElse)" 'REG_SZ C:\other.exe' || return 1
  wine reg delete "$RUN_KEY" /v SomethingElse /f >/dev/null 2>&1
  expect_eq "the machine's Run value" "$(reg_value "$MACHINE_RUN_KEY" Tarnwick)" "" || return 1
  expect_eq "HKLM\\Software\\Tarnwick AutoStart" "$(reg_value 'HKLM\Software\Tarnwick' AutoStart)" "" || return 1
  expect_eq "Run values naming a missing file" "$(run_values_naming_missing_files)" ""
}

upgrade_from_a_lower_version_keeps_the_users_files() {
  rm -rf "$install"
  msiexec /i "$tmp/old.msi" install-1.9 || { REASON="installing 1.9 exited $?"; return 1; }
  local old
  old=$(installed_products)
  expect_eq "before the upgrade" "${old#* }" 1.9 || return 1
  # Settings beside the program (an administrator's) and in the user's local data (an
  # unelevated user's), as the program writes them.
  mkdir -p "$local_data"
  printf '[Info]\r\nSaveState=no\r\nLastState=off\r\nSecondService=TwUp\r\n' | tee "$install/code.ini" >"$local_data/code.ini"
  printf 'TwA\r\nTwB\r\n' | tee "$install/srvStat.txt" "$machine_data/srvStat.txt" >"$local_data/srvStat.txt"
  cp "$install/code.ini" "$tmp/code.ini.before"
  cp "$install/srvStat.txt" "$tmp/srvStat.txt.before"
  # 1.9 < 1.10: the versions compare by number, not as text.
  msiexec /i "$msi" upgrade || { REASON="the upgrade exited $?"; return 1; }
  local now
  now=$(installed_products)
  [ "$(wc -l <<<"$now")" -eq 1 ] && [ "${now#* }" = "$version" ] && [ "${now%% *}" != "${old%% *}" ] ||
    { REASON="installed after the upgrade: '$now' (before: '$old')"; return 1; }
  cmp -s "$install/main.html" "$root/dist/main.html" || { REASON="the help page of 1.9 was not replaced"; return 1; }
  cmp -s "$install/Tarnwick.exe" "$root/dist/Tarnwick.exe" || { REASON="no Tarnwick.exe after the upgrade"; return 1; }
  local f
  for f in "$install/code.ini" "$local_data/code.ini"; do
    cmp -s "$f" "$tmp/code.ini.before" || { REASON="$f changed in the upgrade: $(cat -A "$f" 2>&1)"; return 1; }
  done
  for f in "$install/srvStat.txt" "$local_data/srvStat.txt" "$machine_data/srvStat.txt"; do
    cmp -s "$f" "$tmp/srvStat.txt.before" || { REASON="$f changed in the upgrade"; return 1; }
  done
  expect_eq "shortcuts" "$(shortcut_files | wc -l)" 1
}

rebuild_of_the_same_version_is_the_same_package_and_an_older_is_refused() {
  local before after revision
  before=$(installed_products)
  expect_eq "the rebuild's ProductCode" "$(cd "$tmp" && msiinfo export "$tmp/rebuild.msi" Property | tr -d '\r' |
    awk -F'\t' '$1 == "ProductCode" { print $2 }')" "${before%% *}" || return 1
  revision() { msiinfo suminfo "$1" | sed -n 's/^Revision number (UUID): //p'; }
  expect_eq "the rebuild's package code" "$(revision "$tmp/rebuild.msi")" "$(revision "$msi")" || return 1
  msiexec /i "$tmp/rebuild.msi" reinstall-rebuild || { REASON="installing a rebuild exited $?"; return 1; }
  after=$(installed_products)
  [ "$after" = "$before" ] || { REASON="after installing a rebuild of $version: '$after' (before: '$before')"; return 1; }
  msiexec /i "$tmp/old.msi" downgrade
  # 1603, the failed install, of which a Unix exit status keeps the low byte (67).
  expect_eq "msiexec's exit code for a downgrade" "$(($? & 255))" $((1603 & 255)) || return 1
  expect_eq "after the refused downgrade" "$(installed_products)" "$after" || return 1
  cmp -s "$install/main.html" "$root/dist/main.html" || { REASON="the refused downgrade changed main.html"; return 1; }
}

final_uninstall_leaves_the_users_data_files() {
  # Windows Installer removes a folder it created only when it is empty: with nothing owed
  # any more (no srvStat files), the machine folder goes with the package.
  rm -f "$machine_data/srvStat.txt"
  msiexec /x "$tmp/rebuild.msi" uninstall-final || { REASON="msiexec /x exited $?"; return 1; }
  [ ! -e "$machine_data" ] || { REASON="the empty $machine_data is left: $(ls -A "$machine_data" | tr '\n' ' ')"; return 1; }
  [ -z "$(installed_products)" ] || { REASON="still installed: $(installed_products)"; return 1; }
  expect_eq "left in the program folder" "$(ls "$install" | tr '\n' ' ')" "code.ini srvStat.txt " || return 1
  expect_eq "left in the local data" "$(ls "$local_data" | tr '\n' ' ')" "code.ini srvStat.txt " || return 1
  cmp -s "$local_data/code.ini" "$tmp/code.ini.before" && cmp -s "$install/srvStat.txt" "$tmp/srvStat.txt.before" ||
    { REASON="the users' files changed"; return 1; }
}

check silent-install-puts-both-files-into-program-files silent_install_puts_both_files_into_program_files
check install-creates-programdata-tarnwick install_creates_the_machine_folder
check installed-exe-starts-from-shortcut-shows-lamp installed_exe_starts_from_the_shortcut_and_shows_its_lamp
check silent-uninstall-removes-files-shortcut-autostart silent_uninstall_removes_files_shortcut_and_autostart_only
check upgrade-from-1.9-keeps-code-ini-and-srvstat upgrade_from_a_lower_version_keeps_the_users_files
check rebuild-is-same-package-older-refused rebuild_of_the_same_version_is_the_same_package_and_an_older_is_refused
check final-uninstall-leaves-users-data-files final_uninstall_leaves_the_users_data_files

autostart_0_writes_no_run_value_and_other_values_are_refused() {
  msiexec /i "$msi" autostart-2 AUTOSTART=2
  expect_eq "msiexec's exit code for AUTOSTART=2" "$(($? & 255))" $((1603 & 255)) || return 1
  expect_eq "installed after AUTOSTART=2" "$(installed_products)" "" || return 1
  msiexec /i "$msi" autostart-0 AUTOSTART=0 || { REASON="msiexec /i AUTOSTART=0 exited $?"; return 1; }
  expect_eq "the machine's Run value" "$(reg_value "$MACHINE_RUN_KEY" Tarnwick)" "" || return 1
  expect_eq "the user's Run value" "$(reg_value "$RUN_KEY" Tarnwick)" "" || return 1
  expect_eq "HKLM\\Software\\Tarnwick AutoStart" "$(reg_value 'HKLM\Software\Tarnwick' AutoStart)" "REG_DWORD 0x0" || return 1
  msiexec /x "$msi" autostart-0-uninstall || { REASON="msiexec /x exited $?"; return 1; }
  expect_eq "HKLM\\Software\\Tarnwick AutoStart" "$(reg_value 'HKLM\Software\Tarnwick' AutoStart)" ""
}

policy_disable_autostart_keeps_the_first_start_from_writing_the_run_value() {
  # AUTOSTART empty: the choice is left to each user, whose first start registers autostart.
  # AUTOSTART="" on Windows; Wine's msiexec reads "" as a backslash, so the empty value is given bare.
  msiexec /i "$msi" autostart-users AUTOSTART= || { REASON="msiexec /i AUTOSTART= exited $?"; return 1; }
  expect_eq "HKLM\\Software\\Tarnwick AutoStart" "$(reg_value 'HKLM\Software\Tarnwick' AutoStart)" "" || return 1
  expect_eq "the machine's Run value" "$(reg_value "$MACHINE_RUN_KEY" Tarnwick)" "" || return 1
  wine reg add 'HKLM\Software\Policies\Tarnwick' /v DisableAutoStart /t REG_DWORD /d 1 /f >/dev/null 2>&1 ||
    { REASON="reg add of the policy failed"; return 1; }
  start_and_wait_for_the_lamp 'C:\Program Files\Tarnwick\Tarnwick.exe' lamp-policy || return 1
  expect_eq "the user's Run value" "$(reg_value "$RUN_KEY" Tarnwick)" "" || return 1
  expect_eq "first-start marker" "$(reg_value 'HKCU\Software\Tarnwick' Run)" "" || return 1
  end_the_program || return 1
  # Without the policy the same start is a first start that registers autostart.
  wine reg delete 'HKLM\Software\Policies\Tarnwick' /f >/dev/null 2>&1
  start_and_wait_for_the_lamp 'C:\Program Files\Tarnwick\Tarnwick.exe' lamp-no-policy || return 1
  expect_eq "the user's Run value without the policy" "$(reg_value "$RUN_KEY" Tarnwick)" \
    'REG_SZ "C:\Program Files\Tarnwick\Tarnwick.exe"' || return 1
  end_the_program || return 1
  msiexec /x "$msi" autostart-users-uninstall || { REASON="msiexec /x exited $?"; return 1; }
  expect_eq "Run values naming a missing file" "$(run_values_naming_missing_files)" ""
}

check autostart-0-writes-no-run-value-2-refused autostart_0_writes_no_run_value_and_other_values_are_refused
check policy-disableautostart-first-start-writes-no-run policy_disable_autostart_keeps_the_first_start_from_writing_the_run_value

echo "msi suite took $(($(date +%s) - started)) s; logs in $art"
echo "$PASSED passed, $FAILED failed"
[ "$FAILED" -eq 0 ]
