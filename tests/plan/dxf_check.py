"""Reads a plan drawing back with ezdxf and checks it against the positions it should hold.

Usage: dxf_check.py FILE COVERAGE X,Y [X,Y ...]
COVERAGE is "circle" for ceiling loudspeakers and "sector" for wall and horn loudspeakers.
Prints what differs and exits with 1; prints "ok" and exits with 0 when all agrees.
"""
import sys

import ezdxf
from ezdxf.math import Vec2


def main():
    path, coverage = sys.argv[1], sys.argv[2]
    expected = [Vec2(*map(float, pair.split(","))) for pair in sys.argv[3:]]
    faults = []

    doc = ezdxf.readfile(path)
    if doc.dxfversion != "AC1009":
        faults.append(f"version {doc.dxfversion}, not AC1009")
    auditor = doc.audit()
    for error in auditor.errors:
        faults.append(f"audit: {error.message}")
    for name in ("ROOM", "SPEAKERS", "COVERAGE"):
        if name not in doc.layers:
            faults.append(f"no layer {name}")

    msp = doc.modelspace()
    rooms = msp.query("POLYLINE[layer=='ROOM']")
    if len(rooms) != 1 or not rooms[0].is_closed or len(list(rooms[0].points())) != 4:
        faults.append("the room is not one closed outline of four corners")

    def centres(query):
        return [Vec2(e.dxf.center) for e in msp.query(query)]

    def matches(found, what):
        unmatched = list(found)
        for point in expected:
            near = [p for p in unmatched if p.isclose(point, abs_tol=1e-6)]
            if not near:
                faults.append(f"no {what} at {point}")
            else:
                unmatched.remove(near[0])
        if unmatched:
            faults.append(f"{len(unmatched)} {what} where no loudspeaker stands")

    matches(centres("CIRCLE[layer=='SPEAKERS']"), "speaker circle")
    matches([Vec2(e.dxf.location) for e in msp.query("POINT[layer=='SPEAKERS']")], "point")
    numbers = sorted(e.dxf.text for e in msp.query("TEXT[layer=='SPEAKERS']"))
    if numbers != sorted(str(i + 1) for i in range(len(expected))):
        faults.append(f"numbers {numbers}")
    if coverage == "circle":
        matches(centres("CIRCLE[layer=='COVERAGE']"), "coverage circle")
    else:
        matches(centres("ARC[layer=='COVERAGE']"), "coverage arc")
        if len(msp.query("LINE[layer=='COVERAGE']")) != 2 * len(expected):
            faults.append("a sector is not closed by two radii")

    for fault in faults:
        print(fault)
    if not faults:
        print("ok")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
