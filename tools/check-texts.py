#!/usr/bin/env python3
"""Checks the text tables of lang/ against each other and against the code.

  check-texts.py [--literals] [--stamp FILE]

Fails (exit 1, one line per fault) when a language lacks a text another has
or has one more, lists them in another order, when a text's placeholders
differ from the Simplified one's, when a text is named nowhere in the code,
or (with --literals) when a Chinese literal stands in the code outside the
Simplified table and the files that hold the store's words."""
import os
import re
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
TABLES = [("zh_CN", "lang/zh_CN.inc"), ("en", "lang/en.inc"), ("zh_TW", "lang/zh_TW.inc")]
CODE_DIRS = ["app", "base", "platform", "ui", "lang", "store", "scheduler", "actions", "dialogs"]
# The store's format: trigger texts, action names and verbs, value and file
# names as older installs read and write them. They never change with the
# language of the windows.
STORED_WORD_FILES = {
    "store/trigger_text.h",
    "store/trigger_text.cpp",
    "actions/action_table.cpp",
    "scheduler/run_record.cpp",
    "app/quick_timer.cpp",
}
ROW = re.compile(r'^T\((\w+), ("(?:[^"\\]|\\.)*")\)\s*$')
PLACEHOLDER = re.compile(r"%([1-9%])")


def read_table(path):
    rows = []
    with open(os.path.join(ROOT, path), encoding="utf-8") as table:
        for number, line in enumerate(table, 1):
            line = line.rstrip("\n")
            if not line.strip() or line.startswith("//"):
                continue
            row = ROW.match(line)
            if not row:
                raise SystemExit(f"{path}:{number}: not a row T(Name, \"text\"): {line}")
            rows.append((row.group(1), row.group(2), number))
    return rows


def placeholders(text):
    return sorted({found for found in PLACEHOLDER.findall(text) if found != "%"})


def code_files():
    for folder in CODE_DIRS:
        for base, _, names in os.walk(os.path.join(ROOT, folder)):
            for name in names:
                if name.endswith((".cpp", ".h")):
                    path = os.path.join(base, name)
                    yield os.path.relpath(path, ROOT).replace(os.sep, "/"), path


def without_comments(source):
    """The source with its comments blanked, its string literals kept."""
    out, i, n = [], 0, len(source)
    while i < n:
        c = source[i]
        if source.startswith("//", i):
            end = source.find("\n", i)
            i = n if end < 0 else end
        elif source.startswith("/*", i):
            end = source.find("*/", i + 2)
            i = n if end < 0 else end + 2
        elif c in "\"'":
            j = i + 1
            while j < n and source[j] != c:
                j += 2 if source[j] == "\\" else 1
            out.append(source[i : j + 1])
            i = j + 1
        else:
            out.append(c)
            i += 1
    return "".join(out)


def main():
    faults = []
    tables = {language: read_table(path) for language, path in TABLES}
    names = [name for name, _, _ in tables["zh_CN"]]
    texts = {name: text for name, text, _ in tables["zh_CN"]}
    if len(set(names)) != len(names):
        faults.append("lang/zh_CN.inc names a text twice")
    for language, path in TABLES[1:]:
        theirs = [name for name, _, _ in tables[language]]
        for name in sorted(set(names) - set(theirs)):
            faults.append(f"{path}: lacks {name}")
        for name, _, number in tables[language]:
            if name not in texts:
                faults.append(f"{path}:{number}: {name} is no text of lang/zh_CN.inc")
        if not faults and theirs != names:
            first = next(i for i, (a, b) in enumerate(zip(names, theirs)) if a != b)
            faults.append(f"{path}: {theirs[first]} stands where lang/zh_CN.inc has {names[first]}")
        for name, text, number in tables[language]:
            if name in texts and placeholders(text) != placeholders(texts[name]):
                faults.append(f"{path}:{number}: {name} has placeholders {placeholders(text)}, "
                              f"lang/zh_CN.inc {placeholders(texts[name])}")

    used = set()
    word = re.compile(r"\b(\w+)\b")
    chinese = re.compile(r'"[^"\n]*[\u3000-\u9fff\uff00-\uffef][^"\n]*"')
    for relative, path in code_files():
        with open(path, encoding="utf-8") as source:
            code = without_comments(source.read())
        used.update(word.findall(code))
        if "--literals" in sys.argv and relative not in STORED_WORD_FILES:
            for literal in chinese.findall(code):
                faults.append(f"{relative}: a Chinese literal outside the text tables: {literal}")
    for name in names:
        if name not in used:
            faults.append(f"lang/zh_CN.inc: {name} is named nowhere in the code")

    for fault in faults:
        print(fault, file=sys.stderr)
    if faults:
        return 1
    if "--stamp" in sys.argv[1:-1]:
        with open(sys.argv[sys.argv.index("--stamp") + 1], "w") as stamp:
            stamp.write(f"{len(names)} texts in {len(TABLES)} languages\n")
    return 0


if __name__ == "__main__":
    sys.exit(main())
