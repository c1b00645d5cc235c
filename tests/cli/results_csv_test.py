#!/usr/bin/env python3
"""The batch sizer's CSV read back by Python's csv module. Usage: results_csv_test.py CLI_PATH"""
import csv
import os
import subprocess
import sys
import tempfile


def put(line, column, text):
    line = line.ljust(column - 1 + len(text))
    return line[:column - 1] + text + line[column - 1 + len(text):]


def bps(pool, vp, numerator, denominator):
    return put(put(put(put("BPS", 21, pool.ljust(8)), 34, vp), 67, denominator), 349, numerator)


def bpd(name, a, b):
    return put(put(put(put("BPD", 29, "T"), 30, name), 57, a), 339, b)


def main():
    cli = sys.argv[1]
    with tempfile.TemporaryDirectory() as folder:
        data = os.path.join(folder, "pools.sta")
        lines = ["LOOMSTEAD STATISTICS ENV=TEST", put("LEAD", 142, "09.00.00"),
                 bps('B"\xc4,1', "2000", "300", "1000"), bpd("DB1.TS1", "40000", "1000"),
                 bps("BP32K", "5000", "500", "1000"), bpd("DB2.TS1", "100", "100")]
        with open(data, "wb") as f:
            f.write("".join(line + "\r\n" for line in lines).encode("latin-1"))
        out = os.path.join(folder, "results.csv")
        run = subprocess.run([cli, "--share-all", "--members", "2", "--output", out, data],
                             capture_output=True)
        assert run.returncode == 0, run.stderr
        assert run.stdout == b"", run.stdout
        with open(out, newline="", encoding="utf-8") as f:
            rows = list(csv.reader(f))
    expected = [
        ["Pool", "Shared", "Cache All", "VP Size", "HP Size", "GBP Pages", "Page Size KB",
         "GBP Size MB"],
        # '"' sorts before 'P'. No group buffer pool: counted as 4 KB; 2000 x 2 x 0.3 = 1200 -> 2000 pages, 7.8125 MB.
        ['B"\u00c4,1', "1", "0", "2000", "0", "2000", "4", "7.8"],
        # BP32K: 5000 x 2 x 0.5 = 5000 pages of 32 KB = 156.25 MB, shown 156.3.
        ["BP32K", "1", "0", "5000", "0", "5000", "32", "156.3"],
        [],
        ["Recommendation", "Value"],
        ["sca_size_mb", "8"],
        ["lock_structure_size_mb", "8"],
        # 40100 / 1100 / 20 + 0.5 = 2.32 -> 2, raised to 3.
        ["directory_data_ratio", "3"],
        ["irlm_ecsa_size_mb", "6"],
        # 8 + (7000 x 4 / 1000 = 28) + 6 + 8.
        ["total_memory_mb", "50"],
    ]
    if rows != expected:
        print("got:", rows, "\nexpected:", expected)
    return 0 if rows == expected else 1


if __name__ == "__main__":
    sys.exit(main())
