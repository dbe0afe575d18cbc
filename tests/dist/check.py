#!/usr/bin/env python3
"""Checks of a release's files, one per subcommand; each prints nothing and exits 0 when the
check holds, or prints why not and exits 1.

  winget DIST SCHEMA VERSION PRODUCT_CODE   the winget files validate and carry the build
  scoop DIST VERSION                        the Scoop manifest has what Scoop needs
  schema-rejects SCHEMA                     the schema refuses what winget would refuse
  policies ADMX ADML POLICY_CPP POLICY_H    the ADMX and ADML are well-formed and name exactly
                                            the policy values the code reads
"""
import copy
import hashlib
import json
import os
import re
import sys
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


def winget(dist, schema_path, version, product_code):
    import yaml
    check = validator(schema_path)
    docs = {}
    for kind, name in WINGET_FILES.items():
        path = os.path.join(dist, "winget", name)
        if not os.path.isfile(path):
            fail("no %s" % path)
        with open(path, encoding="utf-8") as f:
            doc = yaml.safe_load(f)
        found = errors(check, doc)
        if found:
            fail("%s: %s" % (name, "; ".join(found)))
        if doc["ManifestType"] != kind:
            fail("%s is a %s manifest" % (name, doc["ManifestType"]))
        if doc["PackageVersion"] != version:
            fail("%s: PackageVersion %r, the build's is %r" % (name, doc["PackageVersion"], version))
        docs[kind] = doc
    if len({d["PackageIdentifier"] for d in docs.values()}) != 1:
        fail("the three files name different packages")
    if docs["version"]["DefaultLocale"] != docs["defaultLocale"]["PackageLocale"]:
        fail("DefaultLocale names no locale file")
    installer = docs["installer"]
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


def scoop(dist, version):
    path = os.path.join(dist, "scoop", "tarnwick.json")
    try:
        with open(path, encoding="utf-8") as f:
            doc = json.load(f)
    except (OSError, ValueError) as e:
        fail("%s: %s" % (path, e))
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
    for name in doc.get("persist", []):
        if name not in doc.get("pre_install", ""):
            fail("persisted %s is not made before the install: Scoop would make a folder of it" % name)


def schema_rejects(schema_path):
    """What winget itself refuses must fail here too, or the schema checks nothing."""
    check = validator(schema_path)
    good = {"PackageIdentifier": "Tarnwick.Tarnwick", "PackageVersion": "1.10", "InstallerType": "msi",
            "Scope": "machine", "ProductCode": "{25E760C3-6A74-49E6-B5F1-4C9155D3C7BC}",
            "Installers": [{"Architecture": "x64", "InstallerUrl": "https://example.invalid/Tarnwick.msi",
                            "InstallerSha256": "A" * 64}],
            "ManifestType": "installer", "ManifestVersion": "1.6.0"}
    if errors(check, good):
        fail("a good installer manifest is refused: %s" % errors(check, good))
    bad = {
        "a version read as a number (1.10 unquoted)": ("PackageVersion", 1.1),
        "an identifier without a publisher part": ("PackageIdentifier", "Tarnwick"),
        "a short hash": ("Installers", [dict(good["Installers"][0], InstallerSha256="A" * 63)]),
        "a per-user scope": ("Scope", "user"),
        "another installer type": ("InstallerType", "exe"),
        "another manifest version": ("ManifestVersion", "1.6"),
        "a product code that is no GUID": ("ProductCode", "Tarnwick"),
        "a URL that is not http(s)": ("Installers", [dict(good["Installers"][0], InstallerUrl="file:///C:/Tarnwick.msi")]),
    }
    for what, (key, value) in bad.items():
        doc = copy.deepcopy(good)
        doc[key] = value
        if not errors(check, doc):
            fail("the schema accepts %s" % what)
    for key in ("ProductCode", "Installers", "Scope"):
        doc = {k: v for k, v in good.items() if k != key}
        if not errors(check, doc):
            fail("the schema accepts an installer manifest without %s" % key)


def policies(admx_path, adml_path, policy_cpp, policy_h):
    ns = {"p": "http://schemas.microsoft.com/GroupPolicy/2006/07/PolicyDefinitions"}
    try:
        admx = ET.parse(admx_path).getroot()
        adml = ET.parse(adml_path).getroot()
    except ET.ParseError as e:
        fail("not well-formed: %s" % e)
    if admx.tag != "{%s}policyDefinitions" % ns["p"] or adml.tag != "{%s}policyDefinitionResources" % ns["p"]:
        fail("root elements %s and %s are not an ADMX and an ADML" % (admx.tag, adml.tag))
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
            named[element.get("valueName")] = element.tag.split("}")[1]
    if named != read:
        fail("the ADMX names %s; the code reads %s" % (sorted(named.items()), sorted(read.items())))
    strings = {s.get("id") for s in adml.iterfind(".//p:stringTable/p:string", ns)}
    presentations = {p.get("id"): {c.get("refId") for c in p} for p in adml.iterfind(".//p:presentationTable/p:presentation", ns)}
    text = open(admx_path, encoding="utf-8").read()
    for ref in re.findall(r"\$\(string\.([^)]+)\)", text):
        if ref not in strings:
            fail("the ADML has no string %s" % ref)
    for policy in admx.iterfind(".//p:policies/p:policy", ns):
        ref = re.fullmatch(r"\$\(presentation\.([^)]+)\)", policy.get("presentation", "")) if policy.get("presentation") else None
        ids = {e.get("id") for e in policy.iterfind("p:elements/*", ns)}
        if ids and (not ref or presentations.get(ref.group(1)) != ids):
            fail("policy %s: its elements %s have no presentation in the ADML" % (policy.get("name"), sorted(ids)))


if __name__ == "__main__":
    commands = {"winget": winget, "scoop": scoop, "schema-rejects": schema_rejects, "policies": policies}
    if len(sys.argv) < 2 or sys.argv[1] not in commands:
        fail(__doc__)
    commands[sys.argv[1]](*sys.argv[2:])
