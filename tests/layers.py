"""The folders depend one way: each file includes only files of its own folder or of folders
below it in LAYERS, and no native program is built from a file of lab/ (the page's folder).
Start at main; an include is resolved as the compiler resolves a quoted one, its own folder
first, then any folder that has a file of that name.
    usage: python3 tests/layers.py ROOT"""
import os
import re
import sys

# Lowest first: each folder may include those before it.
LAYERS = ["src", "platform", "measures", "text", "cli", "output", "cities", "settings",
          "pictures", "trace", "survey", "python", "lab"]
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def sources(root, folder):
    """The C++ files of a folder (not its subfolders), by name."""
    path = os.path.join(root, folder)
    if not os.path.isdir(path):
        return []
    return sorted(n for n in os.listdir(path) if n.endswith((".h", ".cpp")))


def wrong_includes(root):
    """Each include that reaches a folder above its file's: 'folder/file includes other/name'."""
    holders = {}
    for folder in LAYERS:
        for name in sources(root, folder):
            holders.setdefault(name, []).append(folder)
    wrong = []
    for rank, folder in enumerate(LAYERS):
        for name in sources(root, folder):
            with open(os.path.join(root, folder, name), encoding="utf-8") as f:
                text = f.read()
            for included in INCLUDE.findall(text):
                if included in sources(root, folder):
                    continue  # its own folder's, as a quoted include finds it first
                found = holders.get(os.path.basename(included), [])
                if found and min(LAYERS.index(g) for g in found) > rank:
                    wrong.append(f"{folder}/{name} includes {'|'.join(found)}/{included}")
    return wrong


def lab_in_native(root):
    """Each lab/ source named in a native target of the top CMakeLists.txt."""
    with open(os.path.join(root, "CMakeLists.txt"), encoding="utf-8") as f:
        text = f.read()
    targets = re.findall(r"add_(?:library|executable)\(([^)]*)\)", text)
    return [t.split()[0] for t in targets if re.search(r"\blab/", t)]


def main():
    root = sys.argv[1]
    wrong = wrong_includes(root) + [f"native target {t} is built from lab/" for t in
                                    lab_in_native(root)]
    for line in wrong:
        print(line)
    unknown = [f for f in os.listdir(root) if os.path.isdir(os.path.join(root, f)) and
               f not in LAYERS + ["tests", "bench"] and not f.startswith("build") and
               sources(root, f)]
    for folder in unknown:
        print(f"{folder}/ holds C++ but has no place in LAYERS")
    return 1 if wrong or unknown else 0


if __name__ == "__main__":
    sys.exit(main())
