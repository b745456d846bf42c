"""Reads a DXF with ezdxf's recovering reader, audits it and prints the
counts of the model space's entities: "POLYLINE 3 VERTEX 9 TEXT 2 LINE 5".
Exits 1 with the auditor's errors when there are any."""
import sys

from ezdxf import recover

doc, auditor = recover.readfile(sys.argv[1])
audit = doc.audit()
errors = list(auditor.errors) + list(audit.errors)
if errors:
    for e in errors:
        print("error:", e)
    sys.exit(1)
counts = {"POLYLINE": 0, "VERTEX": 0, "TEXT": 0, "LINE": 0}
for e in doc.modelspace():
    kind = e.dxftype()
    counts[kind] = counts.get(kind, 0) + 1
    if kind == "POLYLINE":
        counts["VERTEX"] += len(e.vertices)
print(" ".join(f"{k} {v}" for k, v in counts.items()))
