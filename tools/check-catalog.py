#!/usr/bin/env python3
"""Checks that a catalog file (M_dav.dat) is well formed and prints a summary.

usage: check-catalog.py FILE

Checks: CR LF line ends only; the header names every catalog column; the
caption line and every part line have as many "|" fields as the header; node
marker lines are closed, named and attached below an existing node of the
level above; no node path occurs twice; part numbers are unique (ignoring
case), upper case and do not start with a marker or a blank; descriptions are
not empty; prices are decimal numbers (whole numbers for yen); measure prices
are set exactly for parts sold per foot; DefaultPartNo repeats PartNo; the only
bytes above 127 are the degree and plus-minus signs.
"""
import re
import sys

CATALOG_COLUMNS = """AddtlCost App_Briefs Avail_Code BegFreq Bro_ham Bro_ham_ME Cancel Cancel_ME
Change Change_ME DefaultPartNo Desc DiscCats DiscGrps DK DK_ME EndingFreq Eureka Eureka_ME
Graphic Graphic_ME Install_Inst Instr_Bulletins PartNo ProdCat Ref_Info SecondXRef
Specmaster USPrice XRef Yes Yes_ME""".split()
PRICES = ["USPrice", "Cancel", "DK", "Eureka", "Graphic", "Bro_ham", "Change"]
MEASURES = [p + "_ME" for p in PRICES[1:]]
MARKERS = {"[": "]", "{": "}", "~": "~", "#": "#", "`": "`", "^": "^"}
LEVEL = {"[": 1, "{": 2, "~": 3, "#": 4, "`": 5, "^": 6}
MONEY = re.compile(r"^(0|(0|[1-9][0-9]*)\.[0-9]{2})$")
WHOLE = re.compile(r"^(0|[1-9][0-9]*)$")


def main(path):
    data = open(path, "rb").read()
    errors = []

    def fail(lineno, text):
        errors.append(f"line {lineno}: {text}")

    if not data.endswith(b"\r\n"):
        fail("end", "file does not end with CR LF")
    high = {b for b in data if b >= 0x80} - {0xB0, 0xB1}
    if high:
        fail("-", f"unexpected bytes above 127: {sorted(hex(b) for b in high)}")
    raw = data.split(b"\r\n")[:-1]
    lines = []
    for i, r in enumerate(raw):
        if b"\r" in r or b"\n" in r:
            fail(i, "bare CR or LF")
        lines.append(r.decode("cp1252"))

    header = lines[0].split("|")
    missing = [c for c in CATALOG_COLUMNS if c.lower() not in (h.lower() for h in header)]
    if missing:
        fail(0, f"header lacks {missing}")
    extras = [h for h in header if h.lower() not in (c.lower() for c in CATALOG_COLUMNS)]
    col = {h: i for i, h in enumerate(header)}
    if len(lines[1].split("|")) != len(header):
        fail(1, "caption line has another field count than the header")

    last = {}            # level -> path of the most recent node of that level
    paths = set()
    current = None
    levels = {k: 0 for k in range(1, 7)}
    partnos = set()
    parts = comments = 0
    part_bytes = 0
    for i in range(2, len(lines)):
        line = lines[i]
        c = line[:1]
        if line == "":
            fail(i, "empty line")
        elif c == ";":
            comments += 1
        elif c in MARKERS:
            close = MARKERS[c]
            level = LEVEL[c]
            if len(line) < 3 or not line.endswith(close) or close in line[1:-1]:
                fail(i, f"marker line not closed once by {close!r}: {line!r}")
                continue
            name = line[1:-1]
            if not name.strip() or name != name.strip():
                fail(i, f"bad node name {name!r}")
            if level > 1 and (level - 1) not in last:
                fail(i, f"level {level} node without a level {level - 1} node before it")
                continue
            node = (last[level - 1] + "." if level > 1 else "") + name
            if node in paths:
                fail(i, f"node path written twice: {node}")
            paths.add(node)
            last[level] = node
            for deeper in range(level + 1, 7):
                last.pop(deeper, None)
            current = node
            levels[level] += 1
        elif c == " " or c < " ":
            fail(i, "line starts with a blank or control character")
        else:
            parts += 1
            part_bytes += len(raw[i]) + 2
            if current is None:
                fail(i, "part before the first node")
            f = line.split("|")
            if len(f) != len(header):
                fail(i, f"{len(f)} fields, header has {len(header)}")
                continue
            if any(ch < " " for ch in line):
                fail(i, "control character inside the line")
            v = dict(zip(header, f))
            pn = v["PartNo"]
            if not pn or pn != pn.upper() or pn.strip() != pn:
                fail(i, f"bad part number {pn!r}")
            if pn.upper() in partnos:
                fail(i, f"duplicate part number {pn}")
            partnos.add(pn.upper())
            if v["DefaultPartNo"] != pn:
                fail(i, "DefaultPartNo differs from PartNo")
            if not v["Desc"].strip():
                fail(i, "empty description")
            for p in PRICES + MEASURES + ["AddtlCost", "Can_price"]:
                if p not in v:
                    continue
                pattern = WHOLE if p.startswith("Yes") else MONEY
                if not pattern.match(v[p]):
                    fail(i, f"{p} is not a price: {v[p]!r}")
            if v["USPrice"] == "0":
                fail(i, "no US price")
            per_foot = "per foot" in v["Desc"]
            if per_foot != any(v[m] != "0" for m in MEASURES):
                fail(i, "measure prices do not match the sale unit")
            if v["Avail_Code"] not in ("S", "L", "X", ""):
                fail(i, f"unknown availability code {v['Avail_Code']!r}")
            for key in ("ProdCat", "DiscGrps", "DiscCats", "Specmaster"):
                if not v[key]:
                    fail(i, f"empty {key}")
            if len(errors) > 50:
                break

    print(f"{path}: {len(lines)} lines, {parts} parts, {comments} comment lines, "
          f"nodes by level {[levels[k] for k in range(1, 7)]}, "
          f"{part_bytes / max(parts, 1):.1f} bytes per part line")
    print(f"header ({len(header)} fields): {'|'.join(header)}")
    print(f"columns not read by the catalog: {extras}")
    for e in errors[:50]:
        print("ERROR", e)
    return 1 if errors else 0


if __name__ == "__main__":
    if len(sys.argv) != 2:
        print(__doc__.strip().splitlines()[2], file=sys.stderr)
        sys.exit(2)
    sys.exit(main(sys.argv[1]))
