#!/usr/bin/env python3
"""Writes the package manifests of a release into DIST: a winget manifest set (version,
installer and default-locale files, manifest format 1.12.0, the one the community repository
asks for) under DIST/winget/ in that repository's layout
(manifests/t/Tarnwick/Tarnwick/<version>/) for Tarnwick.msi, and a Scoop manifest
DIST/scoop/tarnwick.json for Tarnwick.zip. The version is the build's (version.txt), the
hashes those of the files in DIST.

usage: manifests.py --version V --product-code {GUID} --upgrade-code {GUID} --release-url URL
                    --homepage URL DIST
"""
import argparse
import hashlib
import json
import os
import re
import sys

import yaml

IDENTIFIER = "Tarnwick.Tarnwick"
MANIFEST_VERSION = "1.12.0"
PUBLISHER = "Tarnwick"
DESCRIPTION = "Switches file and printer sharing from the notification area"
# The project names no licence: all rights stay with it until one is chosen.
LICENSE = "Proprietary"


def sha256(path):
    digest = hashlib.sha256()
    with open(path, "rb") as f:
        for block in iter(lambda: f.read(1 << 16), b""):
            digest.update(block)
    return digest.hexdigest().upper()


def write_yaml(path, kind, fields):
    header = (f"# Tarnwick {fields['PackageVersion']}, written by packaging/manifests.py.\n"
              f"# yaml-language-server: $schema=https://aka.ms/winget-manifest.{kind}.{MANIFEST_VERSION}.schema.json\n")
    # Key order kept as winget's own manifests have it; strings such as '1.10' stay strings.
    body = yaml.safe_dump(fields, sort_keys=False, allow_unicode=True, default_flow_style=False)
    with open(path, "w", encoding="utf-8", newline="\n") as f:
        f.write(header + body)


def winget_folder(dist, version):
    """manifests/<first letter, lower case>/<publisher>/<name>/<version>/, as the community
    repository keeps them."""
    publisher, name = IDENTIFIER.split(".", 1)
    return os.path.join(dist, "winget", "manifests", publisher[0].lower(), publisher, name, version)


def scoop_updates(version, release_url, homepage):
    """checkver and autoupdate that follow the release URL, whose path holds the version;
    None when it does not (an ordinary build's choice; a release is refused before)."""
    if version not in release_url:
        return None
    template = release_url.replace(version, "$version")
    github = re.match(r"https://github\.com/([^/]+)/([^/]+)/releases/download/", release_url)
    if github:
        checkver = {"github": "https://github.com/%s/%s" % github.groups()}
    else:
        # The homepage links the newest release's folder; the version is read from that link.
        pattern = re.escape(template).replace(re.escape("$version"), r"([\d.]+)")
        checkver = {"url": homepage, "regex": pattern}
    autoupdate = {
        "architecture": {"64bit": {"url": template + "Tarnwick.zip"}},
        # SHA256SUMS is published beside the zip, one "<hash>  <name>" line per file.
        "hash": {"url": "$baseurl/SHA256SUMS", "regex": "$sha256\\s+$basename"},
    }
    return checkver, autoupdate


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--version", required=True)
    parser.add_argument("--product-code", required=True)
    parser.add_argument("--upgrade-code", required=True)
    parser.add_argument("--release-url", required=True)
    parser.add_argument("--homepage", required=True)
    parser.add_argument("dist")
    args = parser.parse_args()
    for name, value in (("product code", args.product_code), ("upgrade code", args.upgrade_code)):
        if not (value.startswith("{") and value.endswith("}") and len(value) == 38):
            sys.exit(f"manifests: the {name} '{value}' is not a {{GUID}}")
    for name, value in (("release URL", args.release_url), ("homepage", args.homepage)):
        if not re.match(r"https?://[^/\s]+", value):
            sys.exit(f"manifests: the {name} '{value}' is not an http(s) URL")
    base = args.release_url if args.release_url.endswith("/") else args.release_url + "/"
    msi = os.path.join(args.dist, "Tarnwick.msi")
    zip_file = os.path.join(args.dist, "Tarnwick.zip")
    common = {"PackageIdentifier": IDENTIFIER, "PackageVersion": args.version}

    winget = winget_folder(args.dist, args.version)
    os.makedirs(winget, exist_ok=True)
    write_yaml(os.path.join(winget, f"{IDENTIFIER}.yaml"), "version", {
        **common, "DefaultLocale": "en-US", "ManifestType": "version", "ManifestVersion": MANIFEST_VERSION})
    write_yaml(os.path.join(winget, f"{IDENTIFIER}.installer.yaml"), "installer", {
        **common,
        "MinimumOSVersion": "10.0.0.0",
        "InstallerType": "msi",
        "Scope": "machine",
        "InstallModes": ["interactive", "silent", "silentWithProgress"],
        "UpgradeBehavior": "install",
        "ProductCode": args.product_code,
        "AppsAndFeaturesEntries": [{
            "DisplayName": "Tarnwick", "Publisher": PUBLISHER, "DisplayVersion": args.version,
            "ProductCode": args.product_code, "UpgradeCode": args.upgrade_code}],
        "Installers": [{
            "Architecture": "x64", "InstallerUrl": base + "Tarnwick.msi", "InstallerSha256": sha256(msi)}],
        "ManifestType": "installer",
        "ManifestVersion": MANIFEST_VERSION})
    write_yaml(os.path.join(winget, f"{IDENTIFIER}.locale.en-US.yaml"), "defaultLocale", {
        **common,
        "PackageLocale": "en-US",
        "Publisher": PUBLISHER,
        "PackageName": "Tarnwick",
        "PackageUrl": args.homepage,
        "License": LICENSE,
        "ShortDescription": DESCRIPTION,
        "ManifestType": "defaultLocale",
        "ManifestVersion": MANIFEST_VERSION})

    scoop = os.path.join(args.dist, "scoop")
    os.makedirs(scoop, exist_ok=True)
    manifest = {
        "version": args.version,
        "description": DESCRIPTION,
        "homepage": args.homepage,
        "license": LICENSE,
        "architecture": {"64bit": {"url": base + "Tarnwick.zip", "hash": sha256(zip_file).lower()}},
        "shortcuts": [["Tarnwick.exe", "Tarnwick"]],
        # code.ini is kept across updates. Scoop makes a folder of a persisted name that is
        # neither in the store nor in the new version's folder, so an empty file is made first,
        # but only when the store has none: otherwise Scoop would keep the empty one as
        # code.ini.original at every update. srvStat.txt is not persisted: the program
        # replaces it as a whole, which would cut it off from Scoop's link.
        "pre_install": "if (!(Test-Path \"$persist_dir\\code.ini\")) { New-Item \"$dir\\code.ini\" -ItemType File | Out-Null }",
        # On uninstall (not on update), the user's autostart value when it names this app's
        # folder, and the first-start marker, as the installer package removes them.
        "pre_uninstall": [
            "if ($cmd -eq 'uninstall') {",
            "    $run = 'HKCU:\\Software\\Microsoft\\Windows\\CurrentVersion\\Run'",
            "    $value = (Get-ItemProperty -Path $run -Name 'Tarnwick' -ErrorAction SilentlyContinue).Tarnwick",
            "    if ($value -and $value.Contains((Split-Path $dir) + '\\')) { Remove-ItemProperty -Path $run -Name 'Tarnwick' }",
            "    Remove-ItemProperty -Path 'HKCU:\\Software\\Tarnwick' -Name 'Run' -ErrorAction SilentlyContinue",
            "}",
        ],
        "persist": ["code.ini"],
    }
    updates = scoop_updates(args.version, base, args.homepage)
    if updates:
        manifest["checkver"], manifest["autoupdate"] = updates
    else:
        print(f"manifests: the release URL {base} does not hold the version {args.version}: "
              "no checkver or autoupdate in the Scoop manifest")
    with open(os.path.join(scoop, "tarnwick.json"), "w", encoding="utf-8", newline="\n") as f:
        json.dump(manifest, f, indent=4)
        f.write("\n")


if __name__ == "__main__":
    main()
