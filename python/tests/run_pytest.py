"""Runs one of the module's pytest files as a CTest test: exits 77 (skipped), saying why, when
pytest or the nuv module cannot be imported, else with pytest's status (no test collected is a
failure, never a pass).
    usage: python3 run_pytest.py TEST_FILE [PYTEST_OPTION...]"""
import sys

try:
    import pytest
except ImportError as e:
    print(f"skipped: pytest cannot be imported ({e}); install python3-pytest")
    sys.exit(77)
try:
    import nuv  # noqa: F401  (from PYTHONPATH: the build's python/ folder)
except ImportError as e:
    print(f"skipped: the nuv module cannot be imported ({e}); build it with pybind11-dev, "
          "python3-dev and python3-numpy")
    sys.exit(77)

status = pytest.main(["-q", "-p", "no:cacheprovider", *sys.argv[1:]])
sys.exit(1 if status == pytest.ExitCode.NO_TESTS_COLLECTED else int(status))
