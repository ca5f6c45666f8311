"""Runs a notebook top to bottom in a fresh kernel of this Python (nbclient and ipykernel), its
folder the working one, Matplotlib's backend Agg: fails (status 1) at the first cell that raises,
naming it; exits 77 (skipped), saying why, when nbclient, ipykernel or the nuv module cannot be
imported. With FIGURES, the notebook writes the figures the README shows there (NUV_FIGURES), and
each must then be an SVG. The executed notebook is written to FIGURES/executed.ipynb.
    usage: python3 run_notebook.py NOTEBOOK [FIGURES]"""
import os
import subprocess
import sys
import time

README_FIGURES = ["python-collapse.svg", "python-methods.svg"]


def skip(why):
    print(f"skipped: {why}")
    sys.exit(77)


try:
    import ipykernel  # noqa: F401  (the kernel the notebook runs in)
    import nbclient
    import nbformat
except ImportError as e:
    skip(f"{e}; install python3-nbclient and python3-ipykernel")
notebook = os.path.abspath(sys.argv[1])
figures = os.path.abspath(sys.argv[2]) if len(sys.argv) > 2 else None
# The kernel is this Python, whatever python3 comes first on PATH, with what it imports.
os.environ["PATH"] = os.path.dirname(sys.executable) + os.pathsep + os.environ.get("PATH", "")
os.environ["MPLBACKEND"] = "Agg"
os.environ["PYDEVD_DISABLE_FILE_VALIDATION"] = "1"  # the kernel's debugger's note on frozen modules
# The kernel works in the notebook's folder: the module's path must hold there too.
os.environ["PYTHONPATH"] = os.pathsep.join(
    os.path.abspath(p) for p in os.environ.get("PYTHONPATH", "").split(os.pathsep) if p)
for module in ("nuv", "matplotlib", "pandas"):
    found = subprocess.run([sys.executable, "-c", f"import {module}"], capture_output=True,
                           text=True)
    if found.returncode != 0:
        last = (found.stderr.strip().splitlines() or ["?"])[-1]
        skip(f"the notebook's module {module} cannot be imported here ({last})")
if figures:
    os.makedirs(figures, exist_ok=True)
    os.environ["NUV_FIGURES"] = figures
    for name in README_FIGURES:
        if os.path.exists(os.path.join(figures, name)):
            os.remove(os.path.join(figures, name))

nb = nbformat.read(notebook, as_version=4)
client = nbclient.NotebookClient(nb, timeout=600, kernel_name="python3",
                                 resources={"metadata": {"path": os.path.dirname(notebook)}})
start = time.monotonic()
try:
    client.execute()
except nbclient.exceptions.CellExecutionError as e:
    print(f"{notebook}: a cell failed:\n{e}")
    sys.exit(1)
print(f"{notebook}: {len(nb.cells)} cells run in {time.monotonic() - start:.1f} s")
if figures:
    nbformat.write(nb, os.path.join(figures, "executed.ipynb"))
    for name in README_FIGURES:
        path = os.path.join(figures, name)
        with open(path) as f:
            if "<svg" not in f.read(2000):
                print(f"{path}: not an SVG")
                sys.exit(1)
        print(f"wrote {path}")
