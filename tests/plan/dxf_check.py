"""dxf_check.py circle|sector X,Y... < drawing: reads a plan drawing back with ezdxf; prints
each difference from the expected loudspeakers, or "ok"."""
import io
import sys

import ezdxf
from ezdxf.math import Vec2

coverage = sys.argv[1]
expected = [Vec2(*map(float, pair.split(","))) for pair in sys.argv[2:]]
doc = ezdxf.read(io.TextIOWrapper(sys.stdin.buffer, newline=None))
faults = [f"audit: {error.message}" for error in doc.audit().errors]
if doc.dxfversion != "AC1009":
    faults.append(f"version {doc.dxfversion}")
faults += [f"no layer {name}" for name in ("ROOM", "SPEAKERS", "COVERAGE") if name not in doc.layers]
msp = doc.modelspace()
rooms = msp.query("POLYLINE[layer=='ROOM']")
if len(rooms) != 1 or not rooms[0].is_closed or len(list(rooms[0].points())) != 4:
    faults.append("the room is not one closed outline of four corners")


def match(query, attribute):
    found = [Vec2(e.dxf.get(attribute)) for e in msp.query(query)]
    for point in expected:
        near = [p for p in found if p.isclose(point, abs_tol=1e-6)]
        if near:
            found.remove(near[0])
        else:
            faults.append(f"{query}: nothing at {point}")
    faults.extend(f"{query}: one at {p} where no loudspeaker stands" for p in found)


match("CIRCLE[layer=='SPEAKERS']", "center")
match("POINT[layer=='SPEAKERS']", "location")
match("CIRCLE[layer=='COVERAGE']" if coverage == "circle" else "ARC[layer=='COVERAGE']", "center")
if coverage != "circle" and len(msp.query("LINE[layer=='COVERAGE']")) != 2 * len(expected):
    faults.append("a sector is not closed by two radii")
numbers = sorted(e.dxf.text for e in msp.query("TEXT[layer=='SPEAKERS']"))
if numbers != sorted(str(i + 1) for i in range(len(expected))):
    faults.append(f"numbers {numbers}")
print("\n".join(faults) or "ok")
