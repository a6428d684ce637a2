#!/usr/bin/env python3
"""Opens a NetCDF result of quelmar-cli process with xarray, as an oceanographer would, and
checks a value and the decoded times against the CSV of the same file.

Usage: netcdf_xarray_test.py QUELMAR_CLI RAW_FILE
Exits 77 (skipped) when xarray is not installed, or is without a NetCDF-4 engine to read
the file with (python3-netcdf4 and python3-h5netcdf are only recommended by python3-xarray)."""

import csv
import datetime
import os
import subprocess
import sys
import tempfile

try:
    import xarray
except ImportError:
    print("xarray is not installed: skipped")
    sys.exit(77)

# xarray opens NetCDF-4 files through netCDF4 or h5netcdf; with neither, it cannot read one.
ENGINE = None
for module, engine in (("netCDF4", "netcdf4"), ("h5netcdf", "h5netcdf")):
    try:
        __import__(module)
    except ImportError:
        continue
    ENGINE = engine
    break
if ENGINE is None:
    print("xarray has no NetCDF-4 engine (python3-netcdf4 or python3-h5netcdf): skipped")
    sys.exit(77)


def main():
    cli, raw = sys.argv[1], sys.argv[2]
    with tempfile.TemporaryDirectory() as folder:
        nc = os.path.join(folder, "results.nc")
        subprocess.run([cli, "process", "-o", nc, raw], check=True)
        rows = list(csv.reader(subprocess.run([cli, "process", raw], check=True,
                                              capture_output=True, text=True).stdout.splitlines()))
        titles, rows = rows[0], rows[1:]
        with xarray.open_dataset(nc, engine=ENGINE) as ds:
            assert ds.attrs["Conventions"] == "CF-1.8", ds.attrs
            assert ds.sizes["time"] == len(rows), (ds.sizes, len(rows))
            times = [datetime.datetime.strptime(r[0], "%d/%m/%Y %H:%M:%S") for r in rows]
            decoded = [t.astype("datetime64[s]").item() for t in ds["time"].values]
            assert decoded == times, (decoded[:3], times[:3])
            dic = titles.index("DIC (umol/kg)")
            values = [f"{v:.3f}" for v in ds["dic"].values]
            assert values == [r[dic] for r in rows], (values[:3], rows[:3])
            assert ds["dic"].attrs["units"] == "umol kg-1"
    print("xarray reads", len(rows), "rows with their times")


if __name__ == "__main__":
    main()
