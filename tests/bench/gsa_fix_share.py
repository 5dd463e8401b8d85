#!/usr/bin/env python3
"""Share of GGA sentences after which satellitesUsed >= 3, per capture.

    tests/bench/gsa_fix_share.py HORALUX_DIAG CAPTURE...

Runs `HORALUX_DIAG nmea --every CAPTURE` (one JSON object per dispatched sentence, each naming
the sentence it follows) and counts, over the objects that follow a GGA sentence, how many show
satellitesUsed of 3 or more: the share of fixes for which the time-lock test would see enough
satellites in use.
"""
import json
import os
import subprocess
import sys


def share(diag, capture):
    out = subprocess.run([diag, "nmea", "--every", capture], check=True, capture_output=True,
                         text=True).stdout
    gga = locked = 0
    for line in out.splitlines():
        record = json.loads(line)
        if record["sentence"][2:] == "GGA":
            gga += 1
            locked += record["satellitesUsed"] >= 3
    return locked, gga


def main():
    if len(sys.argv) < 3:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    diag = sys.argv[1]
    for capture in sys.argv[2:]:
        locked, gga = share(diag, capture)
        pct = 100.0 * locked / gga if gga else 0.0
        print(f"{os.path.basename(capture)}\t{locked}/{gga}\t{pct:.1f}%")
    return 0


if __name__ == "__main__":
    sys.exit(main())
