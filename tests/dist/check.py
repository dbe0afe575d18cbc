#!/usr/bin/env python3
"""Checks of a release's files, one per subcommand; each prints nothing and exits 0 when the
check holds, or prints why not and exits 1. Each one also feeds its rules a copy broken on
purpose and fails if that copy passes, so that a check that cannot fail shows up.

  release-exe EXE DEBUG                       stripped, small, and its debug file is the one
                                              its debug link names (CRC)
  winget DIST SCHEMA_DIR POLICY VERSION CODE  the winget files are in the community layout,
                                              validate against winget's published schemas and
                                              the project's policy, and carry the build
  scoop DIST SCHEMA VERSION                   the Scoop manifest validates against Scoop's
                                              schema and has what the bucket expects
  policy-rejects POLICY                       the project's policy refuses what it should
  policies ADMX POLICY_DIR POLICY_CPP POLICY_H
                                              the ADMX and every language folder's ADML are
                                              well-formed, the ADMX declares no namespace it
                                              does not use and names exactly the policy values
                                              the code reads, each ADML has exactly the strings
                                              and presentations the ADMX refers to, and there
                                              is one folder for each language of the Language
                                              policy
  msi MSI                                     the package's tables keep Windows Installer's
                                              validation rules that this package once broke
                                              (ICE03, ICE60, ICE68, and the ALLUSERS=1 that
                                              makes ICE43/ICE57 false positives); not a full
                                              ICE run, which needs Windows
"""
import copy
import glob
import hashlib
import json
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import zlib
import xml.etree.ElementTree as ET

WINGET_FILES = {"version": "Tarnwick.Tarnwick.yaml", "installer": "Tarnwick.Tarnwick.installer.yaml",
                "defaultLocale": "Tarnwick.Tarnwick.locale.en-US.yaml"}


def fail(message):
    print(message)
    sys.exit(1)


def sha256(path):
    with open(path, "rb") as f:
        return hashlib.sha256(f.read()).hexdigest()


def validator(schema_path):
    import jsonschema
    with open(schema_path, encoding="utf-8") as f:
        schema = json.load(f)
    cls = jsonschema.validators.validator_for(schema)
    cls.check_schema(schema)
    return cls(schema)


def errors(check, document):
    return ["%s: %s" % ("/".join(str(p) for p in e.absolute_path) or "(top)", e.message)
            for e in check.iter_errors(document)]


def load_json(path):
    with open(path, encoding="utf-8") as f:
        return json.load(f)


def winget(dist, schema_dir, policy_path, version, product_code):
    import yaml
    folder = os.path.join(dist, "winget", "manifests", "t", "Tarnwick", "Tarnwick", version)
    present = sorted(os.listdir(folder)) if os.path.isdir(folder) else []
    if present != sorted(WINGET_FILES.values()):
        fail("%s holds %s, not the three manifest files" % (folder, present or "nothing"))
    policy = validator(policy_path)
    docs = {}
    for kind, name in WINGET_FILES.items():
        try:
            with open(os.path.join(folder, name), encoding="utf-8") as f:
                doc = yaml.safe_load(f)
        except yaml.YAMLError as e:
            fail("%s: %s" % (name, e))
        if not isinstance(doc, dict) or doc.get("ManifestType") != kind:
            fail("%s is not a %s manifest" % (name, kind))
        schema = os.path.join(schema_dir, "manifest.%s.%s.json" % (kind, doc.get("ManifestVersion")))
        if not os.path.isfile(schema):
            fail("%s: manifest version %s, for which %s has no published schema" % (name, doc.get("ManifestVersion"), schema_dir))
        official = validator(schema)
        found = errors(official, doc)
        if found:
            fail("%s against winget's schema: %s" % (name, "; ".join(found)))
        found = errors(policy, doc)
        if found:
            fail("%s against the project's policy: %s" % (name, "; ".join(found)))
        if doc["PackageVersion"] != version:
            fail("%s: PackageVersion %r, the build's is %r" % (name, doc["PackageVersion"], version))
        docs[kind] = (doc, official)
    if len({d["PackageIdentifier"] for d, _ in docs.values()}) != 1:
        fail("the three files name different packages")
    if docs["version"][0]["DefaultLocale"] != docs["defaultLocale"][0]["PackageLocale"]:
        fail("DefaultLocale names no locale file")
    installer, official = docs["installer"]
    if installer["ProductCode"] != product_code:
        fail("ProductCode %s, the package's is %s" % (installer["ProductCode"], product_code))
    for entry in installer.get("AppsAndFeaturesEntries", []):
        if entry.get("ProductCode", product_code) != product_code or entry.get("DisplayVersion", version) != version:
            fail("AppsAndFeaturesEntries %r is not this package" % entry)
    (only,) = installer["Installers"]
    if not only["InstallerUrl"].endswith("/Tarnwick.msi"):
        fail("InstallerUrl %s is not Tarnwick.msi" % only["InstallerUrl"])
    if only["InstallerSha256"].lower() != sha256(os.path.join(dist, "Tarnwick.msi")):
        fail("InstallerSha256 is not the hash of dist/Tarnwick.msi")
    broken = copy.deepcopy(installer)
    broken["Installers"][0]["InstallerSha256"] = only["InstallerSha256"][:-1]
    if not errors(official, broken):
        fail("winget's schema accepts an installer manifest with a 63-digit hash")


def scoop(dist, schema_path, version):
    path = os.path.join(dist, "scoop", "tarnwick.json")
    try:
        doc = load_json(path)
    except (OSError, ValueError) as e:
        fail("%s: %s" % (path, e))
    official = validator(schema_path)
    found = errors(official, doc)
    if found:
        fail("tarnwick.json against Scoop's schema: %s" % "; ".join(found))
    broken = dict(doc, checkver={"regex": 42})
    if not errors(official, broken):
        fail("Scoop's schema accepts a checkver whose regex is a number")
    for key, kind in (("version", str), ("description", str), ("homepage", str), ("license", str),
                      ("architecture", dict), ("shortcuts", list)):
        if not isinstance(doc.get(key), kind):
            fail("%s is missing or not a %s" % (key, kind.__name__))
    if doc["version"] != version:
        fail("version %r, the build's is %r" % (doc["version"], version))
    if set(doc["architecture"]) != {"64bit"}:
        fail("architectures %s; the program is 64-bit only" % sorted(doc["architecture"]))
    arch = doc["architecture"]["64bit"]
    if not re.fullmatch(r"https?://.+/Tarnwick\.zip", arch.get("url", "")):
        fail("url %r is not an http(s) URL of Tarnwick.zip" % arch.get("url"))
    if not re.fullmatch(r"[0-9a-f]{64}", arch.get("hash", "")) or arch["hash"] != sha256(os.path.join(dist, "Tarnwick.zip")):
        fail("hash %r is not the SHA-256 of dist/Tarnwick.zip" % arch.get("hash"))
    if doc["shortcuts"] != [["Tarnwick.exe", "Tarnwick"]]:
        fail("shortcuts %r" % doc["shortcuts"])
    hooks = {k: "\n".join(v) if isinstance(v, list) else v for k, v in doc.items() if k.startswith("pre_")}
    for name in doc.get("persist", []):
        # Made in the new folder only when the store has none, or every update leaves a
        # name.original behind.
        made = 'if (!(Test-Path "$persist_dir\\%s")) { New-Item "$dir\\%s"' % (name, name)
        if made not in hooks.get("pre_install", ""):
            fail("persisted %s is not made by pre_install when $persist_dir has none" % name)
    uninstall = hooks.get("pre_uninstall", "")
    if not uninstall.startswith("if ($cmd -eq 'uninstall') {"):
        fail("pre_uninstall does not limit itself to an uninstall (it also runs on update)")
    for what in ("CurrentVersion\\Run'", "-Name 'Tarnwick'", "Software\\Tarnwick' -Name 'Run'"):
        if what not in uninstall:
            fail("pre_uninstall does not remove %s" % what)
    if doc["homepage"] == os.path.dirname(arch["url"]) + "/":
        fail("the homepage is the release folder %s" % doc["homepage"])
    auto = doc.get("autoupdate", {}).get("architecture", {}).get("64bit", {}).get("url", "")
    if "checkver" not in doc or auto.replace("$version", version) != arch["url"]:
        fail("no checkver, or autoupdate's url %r does not give this release's %r" % (auto, arch["url"]))


def policy_rejects(schema_path):
    """The project's policy for its winget files (stricter than winget's schemas: one package
    shape only) refuses what it is there to refuse, or it checks nothing."""
    check = validator(schema_path)
    good = {"PackageIdentifier": "Tarnwick.Tarnwick", "PackageVersion": "1.10", "InstallerType": "msi",
            "Scope": "machine", "ProductCode": "{25E760C3-6A74-49E6-B5F1-4C9155D3C7BC}",
            "Installers": [{"Architecture": "x64", "InstallerUrl": "https://example.invalid/Tarnwick.msi",
                            "InstallerSha256": "A" * 64}],
            "ManifestType": "installer", "ManifestVersion": "1.12.0"}
    if errors(check, good):
        fail("a good installer manifest is refused: %s" % errors(check, good))
    bad = {
        "a version read as a number (1.10 unquoted)": ("PackageVersion", 1.1),
        "an identifier without a publisher part": ("PackageIdentifier", "Tarnwick"),
        "a short hash": ("Installers", [dict(good["Installers"][0], InstallerSha256="A" * 63)]),
        "a per-user scope": ("Scope", "user"),
        "another installer type": ("InstallerType", "exe"),
        "another manifest version": ("ManifestVersion", "1.6.0"),
        "a Windows version part above 65535": ("MinimumOSVersion", "10.0.99999.0"),
        "the same entry twice": ("AppsAndFeaturesEntries", [{"DisplayName": "Tarnwick"}, {"DisplayName": "Tarnwick"}]),
        "a product code that is no GUID": ("ProductCode", "Tarnwick"),
        "a URL that is not http(s)": ("Installers", [dict(good["Installers"][0], InstallerUrl="file:///C:/Tarnwick.msi")]),
    }
    for what, (key, value) in bad.items():
        doc = copy.deepcopy(good)
        doc[key] = value
        if not errors(check, doc):
            fail("the project's policy accepts %s" % what)
    for key in ("ProductCode", "Installers", "Scope"):
        doc = {k: v for k, v in good.items() if k != key}
        if not errors(check, doc):
            fail("the project's policy accepts an installer manifest without %s" % key)


def unused_namespaces(admx, ns):
    """The prefixes of <using> that no reference (prefix:name) names."""
    refs = set()
    for element in admx.iter():
        for name in ("ref", "parentCategory", "supportedOn"):
            value = element.get(name, "")
            if ":" in value:
                refs.add(value.split(":", 1)[0])
    return sorted(u.get("prefix") for u in admx.iterfind("p:policyNamespaces/p:using", ns) if u.get("prefix") not in refs)


# The presentation control that shows each kind of policy element.
CONTROLS = {"text": "textBox", "enum": "dropdownList", "decimal": "decimalTextBox", "boolean": "checkBox",
            "list": "listBox", "multiText": "multiTextBox"}
# The folder of a language's ADML: a tag with a region is its own; the others take their main one.
LOCALE_FOLDERS = {"en": "en-US", "de": "de-DE", "fr": "fr-FR", "es": "es-ES", "it": "it-IT", "pl": "pl-PL",
                  "ja": "ja-JP"}


def adml_faults(admx, admx_text, adml, ns):
    """What keeps the ADML from giving the ADMX its texts: strings and presentations missing,
    extra, or with controls that do not fit the policy's elements."""
    if adml.tag != "{%s}policyDefinitionResources" % ns["p"]:
        return ["the root element %s is not an ADML's" % adml.tag]
    faults = []
    strings = [s.get("id") for s in adml.iterfind(".//p:stringTable/p:string", ns)]
    referred = set(re.findall(r"\$\(string\.([^)]+)\)", admx_text))
    for missing in sorted(referred - set(strings)):
        faults.append("no string %s" % missing)
    for extra in sorted(set(strings) - referred):
        faults.append("a string %s that the ADMX does not use" % extra)
    if len(strings) != len(set(strings)):
        faults.append("a string id twice")
    presentations = {p.get("id"): p for p in adml.iterfind(".//p:presentationTable/p:presentation", ns)}
    used = set()
    for policy in admx.iterfind(".//p:policies/p:policy", ns):
        ref = re.fullmatch(r"\$\(presentation\.([^)]+)\)", policy.get("presentation", ""))
        elements = {e.get("id"): e.tag.split("}")[1] for e in policy.iterfind("p:elements/*", ns)}
        if not elements:
            continue
        presentation = presentations.get(ref.group(1)) if ref else None
        if presentation is None:
            faults.append("policy %s: no presentation for its elements %s" % (policy.get("name"), sorted(elements)))
            continue
        used.add(ref.group(1))
        controls = {c.get("refId"): c.tag.split("}")[1] for c in presentation}
        if set(controls) != set(elements):
            faults.append("presentation %s shows %s, the policy has %s" % (ref.group(1), sorted(controls), sorted(elements)))
        for name, kind in elements.items():
            if name in controls and controls[name] != CONTROLS.get(kind):
                faults.append("presentation %s shows the %s %s in a %s" % (ref.group(1), kind, name, controls[name]))
    for extra in sorted(set(presentations) - used):
        faults.append("a presentation %s that no policy uses" % extra)
    return faults


def policies(admx_path, policy_dir, policy_cpp, policy_h):
    ns = {"p": "http://schemas.microsoft.com/GroupPolicy/2006/07/PolicyDefinitions"}
    folders = sorted(f for f in os.listdir(policy_dir) if os.path.isfile(os.path.join(policy_dir, f, "Tarnwick.adml")))
    admls = {}
    for path in [admx_path] + [os.path.join(policy_dir, f, "Tarnwick.adml") for f in folders]:
        try:
            root = ET.parse(path).getroot()
        except ET.ParseError as e:
            fail("%s is not well-formed: %s" % (path, e))
        if path == admx_path:
            admx = root
        else:
            admls[os.path.basename(os.path.dirname(path))] = root
    if admx.tag != "{%s}policyDefinitions" % ns["p"]:
        fail("the root element %s is not an ADMX's" % admx.tag)
    unused = unused_namespaces(admx, ns)
    if unused:
        fail("the ADMX declares namespaces it never uses: %s" % ", ".join(unused))
    broken = copy.deepcopy(admx)
    ET.SubElement(broken.find("p:policyNamespaces", ns), "{%s}using" % ns["p"], prefix="unused", namespace="Some.Policies")
    if unused_namespaces(broken, ns) != ["unused"]:
        fail("a declared and unused namespace is not found")
    code = open(policy_cpp, encoding="utf-8").read()
    read = {}
    for kind, name in re.findall(r'Read(Dword|String)\(key\.get\(\), "([^"]+)"', code):
        read[name] = "decimal" if kind == "Dword" else "text"
    key = re.search(r'PolicyKey = "([^"]+)"', open(policy_h, encoding="utf-8").read()).group(1).replace("\\\\", "\\")
    if not read:
        fail("found no policy value read in %s" % policy_cpp)
    named = {}
    for policy in admx.iterfind(".//p:policies/p:policy", ns):
        if policy.get("class") != "Machine" or policy.get("key") != key:
            fail("policy %s: class %s, key %s; the code reads HKLM\\%s" % (policy.get("name"), policy.get("class"), policy.get("key"), key))
        if policy.get("valueName"):
            named[policy.get("valueName")] = "decimal" if policy.find("p:enabledValue/p:decimal", ns) is not None else "?"
        for element in policy.iterfind("p:elements/*", ns):
            kind = element.tag.split("}")[1]
            if kind == "enum":
                # What a choice writes: a string (REG_SZ) or a number (REG_DWORD), alike for all.
                values = {v.tag.split("}")[1] for v in element.iterfind("p:item/p:value/*", ns)}
                kind = {"string": "text", "decimal": "decimal"}.get(values.pop(), "?") if len(values) == 1 else "?"
            named[element.get("valueName")] = kind
    if named != read:
        fail("the ADMX names %s; the code reads %s" % (sorted(named.items()), sorted(read.items())))
    text = open(admx_path, encoding="utf-8").read()
    tags = [v.text for v in admx.iterfind(".//p:policy[@name='Language']//p:item/p:value/p:string", ns)]
    if not tags or len(tags) != len(set(tags)):
        fail("the Language policy offers %s, not each language once" % tags)
    # The languages offered are the ones the program ships: each table's tag in src/texts.
    texts = os.path.join(os.path.dirname(os.path.abspath(policy_cpp)), "..", "texts")
    shipped = set()
    for table in glob.glob(os.path.join(texts, "lang_*.cpp")):
        shipped.update(re.findall(r'const Language \w+ = \{"([^"]+)"', open(table, encoding="utf-8").read()))
    shipped.update(["en"] if os.path.exists(os.path.join(texts, "lang_en.cpp")) else [])
    if set(tags) != shipped:
        fail("the Language policy offers %s; the program ships %s" % (sorted(tags), sorted(shipped)))
    expected = sorted(LOCALE_FOLDERS.get(tag, tag) for tag in tags)
    if folders != expected:
        fail("ADML folders %s; the Language policy offers %s, which need %s" % (folders, tags, expected))
    for folder, adml in admls.items():
        faults = adml_faults(admx, text, adml, ns)
        if faults:
            fail("%s/Tarnwick.adml: %s" % (folder, "; ".join(faults)))
    # An ADML that lost a string, kept one too many, or shows a choice in a text box fails.
    english = admls.get("en-US", next(iter(admls.values())))
    breaks = {"without a string": lambda r: r.find(".//p:stringTable", ns).remove(r.find(".//p:stringTable/p:string", ns)),
              "with an unused string": lambda r: ET.SubElement(r.find(".//p:stringTable", ns), "{%s}string" % ns["p"], id="Unused"),
              "with a choice in a text box": lambda r: setattr(r.find(".//p:dropdownList", ns), "tag", "{%s}textBox" % ns["p"])}
    for what, damage in breaks.items():
        broken = copy.deepcopy(english)
        damage(broken)
        if not adml_faults(admx, text, broken, ns):
            fail("an ADML %s passes" % what)


# The program with its texts in nine languages (about 60 KB of them) and room to grow.
MAX_EXE_BYTES = 900 * 1024


def pe_sections(data):
    """(name, file bytes) of each section, and the COFF header's symbol count."""
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        raise ValueError("not a PE file")
    count, _, symbols_at, symbols = struct.unpack_from("<HIII", data, pe + 6)
    optional = struct.unpack_from("<H", data, pe + 20)[0]
    strings_at = symbols_at + 18 * symbols
    sections = []
    for i in range(count):
        at = pe + 24 + optional + 40 * i
        raw = data[at:at + 8].rstrip(b"\0").decode("latin-1")
        if raw.startswith("/"):  # a long name, kept in the string table after the symbols
            start = strings_at + int(raw[1:])
            raw = data[start:data.index(b"\0", start)].decode("latin-1")
        # The raw size is rounded up to the file alignment; the virtual size is the content's.
        virtual, _, size, offset = struct.unpack_from("<IIII", data, at + 8)
        sections.append((raw, data[offset:offset + (min(virtual, size) if virtual else size)]))
    return sections, symbols


def exe_faults(exe, debug):
    try:
        sections, symbols = pe_sections(exe)
    except (ValueError, struct.error) as e:
        return ["the exe: %s" % e]
    faults = []
    if len(exe) > MAX_EXE_BYTES:
        faults.append("%d bytes, above %d" % (len(exe), MAX_EXE_BYTES))
    debug_sections = [name for name, _ in sections if name.startswith(".debug")]
    if debug_sections:
        faults.append("debug sections %s" % " ".join(debug_sections))
    if symbols:
        faults.append("a symbol table of %d entries" % symbols)
    links = [body for name, body in sections if name == ".gnu_debuglink"]
    if len(links) != 1:
        faults.append("no debug link")
    else:
        name = links[0][:links[0].index(b"\0")].decode()
        crc = struct.unpack_from("<I", links[0], len(links[0]) - 4)[0]
        if name != "Tarnwick.debug" or crc != zlib.crc32(debug):
            faults.append("the debug link names %s with CRC %08x; Tarnwick.debug's is %08x" % (name, crc, zlib.crc32(debug)))
    try:
        if not [n for n, _ in pe_sections(debug)[0] if n == ".debug_info"]:
            faults.append("Tarnwick.debug has no .debug_info")
    except (ValueError, struct.error) as e:
        faults.append("Tarnwick.debug: %s" % e)
    return faults


def release_exe(exe_path, debug_path):
    exe = open(exe_path, "rb").read()
    debug = open(debug_path, "rb").read()
    faults = exe_faults(exe, debug)
    if faults:
        fail("%s: %s" % (exe_path, "; ".join(faults)))
    changed = bytearray(debug)
    changed[len(changed) // 2] ^= 0xFF
    if not exe_faults(exe, bytes(changed)):
        fail("a changed Tarnwick.debug still matches the debug link")


def msi_tables(msi, names):
    """{table: [row dicts]}, exported with msiinfo; an absent table has no rows."""
    msi = os.path.abspath(msi)
    work = tempfile.mkdtemp()
    try:
        present = subprocess.run(["msiinfo", "tables", msi], capture_output=True, text=True, check=True).stdout.split()
        tables = {}
        for name in names:
            tables[name] = []
            if name not in present:
                continue
            text = subprocess.run(["msiinfo", "export", msi, name], capture_output=True, text=True,
                                  check=True, cwd=work).stdout.replace("\r", "")
            lines = text.split("\n")
            columns = lines[0].split("\t")
            tables[name] = [dict(zip(columns, l.split("\t"))) for l in lines[3:] if l]
        return tables
    finally:
        shutil.rmtree(work)


SHORT_NAME = re.compile(r"[^\\/:*?\"<>|+,;=\[\]\s.]{1,8}(\.[^\\/:*?\"<>|+,;=\[\]\s.]{1,3})?")


def msi_faults(msi):
    t = msi_tables(msi, ["File", "MsiFileHash", "CustomAction", "Shortcut", "Component", "Property"])
    faults = []
    files = {f["File"]: f for f in t["File"]}
    for row in t["MsiFileHash"]:
        if files.get(row["File_"], {}).get("Version"):
            faults.append("ICE60: versioned file %s has a MsiFileHash row" % row["File_"])
    for f in files.values():
        if f["Version"] and re.fullmatch(r"\d+(\.\d+){0,3}", f["Version"]) and not f["Language"]:
            faults.append("ICE60: versioned file %s has no Language" % f["File"])
        short, _, long_name = f["FileName"].partition("|")
        if not SHORT_NAME.fullmatch(short):
            faults.append("ICE03: %s's FileName %r has no 8.3 short name" % (f["File"], f["FileName"]))
    for a in t["CustomAction"]:
        kind = int(a["Type"])
        if kind & 0x800 and not kind & 0x400:
            faults.append("ICE68: immediate custom action %s of type %d has the NoImpersonate bit" % (a["Action"], kind))
    keys = {c["Component"]: c["KeyPath"] for c in t["Component"]}
    all_users = {p["Property"]: p["Value"] for p in t["Property"]}.get("ALLUSERS")
    for s in t["Shortcut"]:
        advertised = not s["Target"].startswith("[")
        if not advertised and keys.get(s["Component_"]) in files and all_users != "1":
            faults.append("ICE43/ICE57: non-advertised shortcut %s in a file-keyed component of a package "
                          "that is not per-machine (ALLUSERS=%r)" % (s["Shortcut"], all_users))
    return faults


def msi(msi_path):
    faults = msi_faults(msi_path)
    if faults:
        fail("; ".join(faults))
    # Each rule against a copy that breaks it, the way the package once did.
    breaks = {
        "ICE60 hash": "INSERT INTO `MsiFileHash` (`File_`, `Options`, `HashPart1`, `HashPart2`, `HashPart3`, `HashPart4`) "
                      "VALUES ('TarnwickExe', 0, 1, 2, 3, 4)",
        "ICE60 language": "UPDATE `File` SET `Language` = '' WHERE `File` = 'TarnwickExe'",
        "ICE03": "UPDATE `File` SET `FileName` = 'main.html' WHERE `File` = 'HelpPage'",
        "ICE68": "UPDATE `CustomAction` SET `Type` = 2099 WHERE `Action` = 'SetHelpLink'",
        "ICE43/ICE57": "DELETE FROM `Property` WHERE `Property` = 'ALLUSERS'",
    }
    work = tempfile.mkdtemp()
    try:
        for rule, query in breaks.items():
            broken = os.path.join(work, "broken.msi")
            shutil.copy(msi_path, broken)
            subprocess.run(["msibuild", broken, "-q", query], check=True, capture_output=True)
            if not any(f.startswith(rule.split()[0]) for f in msi_faults(broken)):
                fail("a package that breaks %s passes" % rule)
    finally:
        shutil.rmtree(work)


if __name__ == "__main__":
    commands = {"release-exe": release_exe, "winget": winget, "scoop": scoop, "policy-rejects": policy_rejects,
                "policies": policies, "msi": msi}
    if len(sys.argv) < 2 or sys.argv[1] not in commands:
        fail(__doc__)
    commands[sys.argv[1]](*sys.argv[2:])
