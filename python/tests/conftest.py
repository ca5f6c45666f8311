"""What the module's tests share: the tools to compare with (NUV_TRACE, NUV_SURVEY, set by CTest
from the build) and the source tree (NUV_SOURCE), and the reading of nuv-trace's output."""
import csv
import io
import os
import subprocess

import pytest

TRACE = os.environ.get("NUV_TRACE", "")
SURVEY = os.environ.get("NUV_SURVEY", "")
SOURCE = os.environ.get("NUV_SOURCE", os.path.join(os.path.dirname(__file__), "..", ".."))


def data(*parts):
    """A file of the source tree's data/ folder."""
    return os.path.join(SOURCE, "data", *parts)


def tool(path, *args):
    """A tool's run: (status, standard output, standard error)."""
    if not path or not os.access(path, os.X_OK):
        pytest.skip(f"the tool {path!r} is not built")
    done = subprocess.run([path, *args], capture_output=True, text=True)
    return done.returncode, done.stdout, done.stderr


def trace_rows(*args):
    """nuv-trace --csv's rows for args, each a dict of its columns' texts."""
    status, out, err = tool(TRACE, "--csv", *args)
    assert status == 0, err
    return list(csv.DictReader(io.StringIO(out)))


def trace_refusal(*args):
    """What nuv-trace prints after 'nuv-trace: ' when it refuses args (status 2)."""
    status, out, err = tool(TRACE, *args)
    assert status == 2 and err.startswith("nuv-trace: "), (status, err)
    return err[len("nuv-trace: "):].rstrip("\n")


def option_words(keywords):
    """The tools' options for Network keywords (method first, as Network applies it), and the
    coefficients' texts (None when left to a method)."""
    words = []
    items = sorted(keywords.items(), key=lambda kv: kv[0] != "method")
    for key, value in items:
        if key in ("A", "B", "D"):
            continue
        words += ["--" + key.replace("_", "-"), str(value)]
    coefficients = [str(keywords[k]) for k in ("A", "B", "D") if k in keywords]
    return words, coefficients
