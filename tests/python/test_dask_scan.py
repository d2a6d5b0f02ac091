"""tools/dask-scan on a local cluster of two workers writes exactly what
orvel-scan --json writes, times aside, in the order of the files."""

import os
import re
import shutil
import subprocess
import sys
import tempfile
import unittest

try:
    import distributed  # noqa: F401
    import orvel
    from test_orvel import png_bytes
except ImportError as missing:
    raise unittest.SkipTest(f"Dask distributed or the orvel module is not importable: {missing}")

SOURCE = os.environ.get("ORVEL_SOURCE_DIR", os.path.join(os.path.dirname(__file__), "..", ".."))
ORVEL_SCAN = os.environ.get("ORVEL_SCAN", "")
DASK_SCAN = os.path.join(SOURCE, "tools", "dask-scan")
TIME = re.compile(r'"ms": [0-9.]+')


def without_times(text):
    return TIME.sub('"ms": 0', text).splitlines()


def make_folder(root):
    """Pictures in nested folders, a PNG, a bitmap named .jpg, a broken picture
    and a file that is no picture."""
    samples = os.path.join(SOURCE, "samples")
    os.makedirs(os.path.join(root, "b", "deeper"))
    os.makedirs(os.path.join(root, "a"))
    shutil.copy(os.path.join(samples, "QRCodeImages", "qrcode.bmp"), os.path.join(root, "b", "deeper", "Z.BMP"))
    shutil.copy(os.path.join(samples, "images", "ean13.jpg"), os.path.join(root, "a", "shop.jpeg"))
    shutil.copy(os.path.join(samples, "AztecImages", "aztec.bmp"), os.path.join(root, "top.bmp"))
    with open(os.path.join(root, "a", "broken.jpg"), "wb") as file:
        file.write(b"\xff\xd8\xff\xe0 cut short")
    with open(os.path.join(root, "a", "qr.png"), "wb") as file:
        file.write(png_bytes(orvel.load_picture(os.path.join(samples, "QRCodeImages", "qrcode.bmp"))[..., 0]))
    shutil.copy(os.path.join(samples, "images", "code39.bmp"), os.path.join(root, "a", "named-wrongly.jpg"))
    with open(os.path.join(root, "a", "notes.txt"), "w") as file:
        file.write("not a picture")


class DaskScan(unittest.TestCase):
    def setUp(self):
        if not ORVEL_SCAN or not os.access(ORVEL_SCAN, os.X_OK):
            self.skipTest("ORVEL_SCAN does not name the orvel-scan program")
        probe = subprocess.run([ORVEL_SCAN, "--json", os.path.join(SOURCE, "samples", "QRCodeImages", "qrcode.bmp")],
                               capture_output=True, text=True)
        if '"bytes"' not in probe.stdout:
            self.skipTest("this orvel-scan writes the documented readers' records, not readBarcodes'")

    def test_local_cluster_writes_what_orvel_scan_writes(self):
        with tempfile.TemporaryDirectory() as folder:
            make_folder(folder)
            paths = [os.path.join(SOURCE, "samples"), folder, os.path.join(folder, "no-such.png")]
            scan = subprocess.run([ORVEL_SCAN, "--json", "-r"] + paths, capture_output=True, text=True)
            dask = subprocess.run([sys.executable, DASK_SCAN, "--workers", "2", "--batch", "3", "--no-progress"] + paths,
                                  capture_output=True, text=True, timeout=300)
        self.assertEqual(dask.stderr.strip(), "")
        expected = without_times(scan.stdout)
        self.assertEqual(len(expected), 15 + 6 + 1)
        self.assertEqual(without_times(dask.stdout), expected)
        self.assertEqual((dask.returncode, scan.returncode), (1, 1))


if __name__ == "__main__":
    unittest.main()
