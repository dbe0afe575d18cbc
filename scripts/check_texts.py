#!/usr/bin/env python3
"""Finds a sentence typed in the program's code instead of taken from its text table.

Every text Tarnwick shows comes from src/texts, in the user's language. A string literal of
two words or more in the program's modules is taken for such a text, unless its line says
`// english: <why>` or it stands between `// english-begin: <why>` and `// english-end`
(what is written for support, such as the log, stays English).
usage: check_texts.py [ROOT]     prints one line per finding and "texts: N passed, M failed"
"""
import pathlib
import re
import sys

MODULES = ["src/app", "src/sharing", "src/trayicon", "src/framework", "src/timer"]
WORDS = re.compile(r"[A-Za-z]{2,}[ ,;:'()]+[A-Za-z]{2,}")


def literals(line):
    """The string literals of a line of C++ outside its comment, and whether it has one."""
    found, i, n = [], 0, len(line)
    while i < n:
        c = line[i]
        if c == "/" and line.startswith("//", i):
            break
        if c == "'":  # a character literal, perhaps '"'
            end = line.find("'", i + 2 if line.startswith("\\", i + 1) else i + 1)
            i = (end if end > i else n) + 1
            continue
        if c == '"':
            j, text = i + 1, ""
            while j < n and line[j] != '"':
                if line[j] == "\\" and j + 1 < n:
                    text += line[j : j + 2]
                    j += 2
                    continue
                text += line[j]
                j += 1
            found.append(text)
            i = j + 1
            continue
        i += 1
    return found


def check_file(path, root):
    findings, exempt, in_block = [], False, False
    for number, line in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
        stripped = line.strip()
        if stripped.startswith("// english-begin"):
            exempt = True
            continue
        if stripped.startswith("// english-end"):
            exempt = False
            continue
        if "/*" in stripped and "*/" not in stripped:
            in_block = True
        if in_block:
            in_block = "*/" not in stripped
            continue
        if exempt or stripped.startswith("#include") or "// english:" in line:
            continue
        for text in literals(line):
            if WORDS.search(text):
                findings.append(f"{path.relative_to(root)}:{number}: \"{text}\"")
    if exempt:
        findings.append(f"{path.relative_to(root)}: an english-begin without its english-end")
    return findings


def main():
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else ".").resolve()
    files = sorted(p for m in MODULES for p in (root / m).glob("*") if p.suffix in (".cpp", ".h"))
    findings = []
    for f in files:
        findings += check_file(f, root)
    for f in findings:
        print("FAIL " + f)
    print(f"texts: {len(files) - len({f.split(':')[0] for f in findings})} passed, "
          f"{len({f.split(':')[0] for f in findings})} failed")
    return 1 if findings else 0


if __name__ == "__main__":
    sys.exit(main())
