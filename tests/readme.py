#!/usr/bin/env python3
"""The README renders as it reads: every section heading comes out as a heading.

A code fence left open (or closed on the same line as its last row) turns the rest of the page
into one code block; this renders the page with a CommonMark renderer (cmark-gfm) and checks
that every line written as a section heading (## and deeper) is one, and that every fence
closes.

    usage: readme.py README.md    (exit status 0 when they agree, 77 without cmark-gfm)
"""
import re
import shutil
import subprocess
import sys


def open_fence(lines):
    """The line number of a fenced code block that is never closed, or None."""
    fence = None
    for number, line in enumerate(lines, 1):
        mark = re.match(r"^ {0,3}(`{3,}|~{3,})(.*)$", line)
        if not mark:
            continue
        if fence is None:
            fence = (mark.group(1), number)
        elif mark.group(1)[0] == fence[0][0] and len(mark.group(1)) >= len(fence[0]) \
                and not mark.group(2).strip():
            fence = None
    return fence[1] if fence else None


def main():
    if not shutil.which("cmark-gfm"):
        print("skipped: no cmark-gfm (Debian: cmark-gfm)")
        return 77
    text = open(sys.argv[1], encoding="utf-8").read()
    html = subprocess.run(["cmark-gfm"], input=text, capture_output=True, text=True,
                          check=True).stdout
    rendered = [re.sub(r"<[^>]+>", "", body).strip()
                for _, body in re.findall(r"<h([2-6])>(.*?)</h\1>", html)]
    # A section heading is never meant to sit in a code block: each one must be a heading.
    lines = text.splitlines()
    written = [re.sub(r"^#+ +|`", "", line).strip() for line in lines
               if re.match(r"^#{2,6} ", line)]
    failed = 0
    unclosed = open_fence(lines)
    if unclosed:
        print(f"the code block opened on line {unclosed} is never closed")
        failed = 1
    missing = [h for h in written if h not in rendered]
    for heading in missing:
        print(f"not rendered as a heading: {heading}")
    print(f"{len(written)} section headings, {len(written) - len(missing)} rendered as headings")
    return 1 if missing or failed else 0


if __name__ == "__main__":
    sys.exit(main())
