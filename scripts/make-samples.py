#!/usr/bin/env python3
"""Writes the sample shapefiles in samples/: towns (points), roads and rivers (lines) and
areas (polygons, one with a hole) around Taiwan, in TWD67 TM2 (central meridian 121 E,
scale 0.9999, false easting 250000 m), metres. The positions are approximate: they were
taken from well-known places and rounded to the metre. The attribute tables hold an ID and a
Traditional Chinese NAME, encoded in UTF-8, as each .cpg says.

Usage: scripts/make-samples.py [OUTPUT_FOLDER]   (default: samples/ beside this script)
The output is the same bytes on every run.
"""
import os
import struct
import sys

POINT, POLYLINE, POLYGON = 1, 3, 5

TOWNS = [
    ("臺北市", (302166, 2771181)),
    ("新竹市", (247139, 2743812)),
    ("臺中市", (217418, 2670984)),
    ("嘉義市", (193727, 2597564)),
    ("臺南市", (170754, 2544180)),
    ("高雄市", (178188, 2503191)),
    ("花蓮市", (311205, 2653734)),
    ("臺東市", (264788, 2517535)),
    ("宜蘭市", (326158, 2739082)),
]

# Each line is a list of parts; each part a list of vertices.
ROADS = [
    ("國道一號", [[(324620, 2780169), (306495, 2773658), (282304, 2764718), (251011, 2744743),
                 (228728, 2717069), (216477, 2677222), (203169, 2646249), (192806, 2599772),
                 (173148, 2551133), (181140, 2505691)]]),
    # Two parts: the coast road north of Hualien and the southern link to Taitung.
    ("台9線（蘇花、南迴）", [[(337090, 2721756), (326112, 2691785), (314083, 2658498)],
                        [(210867, 2474582), (234539, 2461253), (239704, 2477858),
                         (264377, 2517723)]]),
]

RIVERS = [
    ("淡水河", [[(304522, 2762573), (301472, 2768099), (298416, 2775842), (290317, 2785784)]]),
    ("濁水溪", [[(265261, 2655040), (239810, 2632887), (219430, 2632915), (199058, 2635188),
               (173604, 2638623)]]),
    ("高屏溪", [[(239777, 2585268), (214144, 2554301), (203835, 2533289), (195541, 2508955),
               (193412, 2489031)]]),
]

# Each area is an outer ring and optional holes; ring orientation is set when writing.
AREAS = [
    ("南投縣（簡化）", [(211344, 2657299), (255077, 2682721), (280494, 2668355), (268370, 2610746),
                  (239783, 2594127), (212254, 2616320)],
     [[(238798, 2641747), (242871, 2641744), (242869, 2637315), (238795, 2637317)]]),  # 日月潭
    ("臺北盆地", [(295376, 2780262), (312523, 2779222), (315617, 2764837), (303516, 2761461),
              (293394, 2769179)], []),
    ("墾丁國家公園（簡化）", [(219035, 2439132), (239678, 2439105), (239668, 2422497),
                     (219003, 2422524)], []),
]


def signed_area(ring):
    return sum(x0 * y1 - x1 * y0 for (x0, y0), (x1, y1) in zip(ring, ring[1:] + ring[:1])) / 2


def closed_ring(ring, clockwise):
    """The ring closed on its first vertex, turned to the wanted direction: outer rings run
    clockwise and holes counter-clockwise."""
    ring = list(ring)
    if (signed_area(ring) < 0) != clockwise:
        ring.reverse()
    return ring + [ring[0]]


def bounds(points):
    xs = [x for x, _ in points]
    ys = [y for _, y in points]
    return min(xs), min(ys), max(xs), max(ys)


def point_content(point):
    return struct.pack("<i2d", POINT, float(point[0]), float(point[1]))


def multipart_content(shape_type, parts):
    points = [p for part in parts for p in part]
    starts, total = [], 0
    for part in parts:
        starts.append(total)
        total += len(part)
    out = struct.pack("<i4d2i", shape_type, *map(float, bounds(points)), len(parts), len(points))
    out += struct.pack("<%di" % len(parts), *starts)
    out += b"".join(struct.pack("<2d", float(x), float(y)) for x, y in points)
    return out


def file_header(shape_type, length_bytes, box):
    return (struct.pack(">7i", 9994, 0, 0, 0, 0, 0, length_bytes // 2)
            + struct.pack("<2i", 1000, shape_type)
            + struct.pack("<4d", *map(float, box)) + struct.pack("<4d", 0, 0, 0, 0))


def write_shapefile(stem, shape_type, contents, all_points, names):
    box = bounds(all_points)
    records, index, offset = b"", b"", 100
    for number, content in enumerate(contents, start=1):
        records += struct.pack(">2i", number, len(content) // 2) + content
        index += struct.pack(">2i", offset // 2, len(content) // 2)
        offset += 8 + len(content)
    with open(stem + ".shp", "wb") as f:
        f.write(file_header(shape_type, 100 + len(records), box) + records)
    with open(stem + ".shx", "wb") as f:
        f.write(file_header(shape_type, 100 + len(index), box) + index)
    write_table(stem + ".dbf", names)
    with open(stem + ".cpg", "w", encoding="ascii") as f:
        f.write("UTF-8\n")


def write_table(path, names):
    """A dBASE III table: ID N(4,0) and NAME C(60), the names in UTF-8."""
    fields = [(b"ID", b"N", 4, 0), (b"NAME", b"C", 60, 0)]
    record_length = 1 + sum(width for _, _, width, _ in fields)
    header_length = 32 + 32 * len(fields) + 1
    out = struct.pack("<4BIHH20x", 0x03, 125, 1, 1, len(names), header_length, record_length)
    for name, kind, width, decimals in fields:
        out += struct.pack("<11sc4xBB14x", name, kind, width, decimals)
    out += b"\r"
    for number, name in enumerate(names, start=1):
        encoded = name.encode("utf-8")
        assert len(encoded) <= 60, name
        out += b" " + str(number).rjust(4).encode("ascii") + encoded.ljust(60, b" ")
    out += b"\x1a"
    with open(path, "wb") as f:
        f.write(out)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "samples")
    os.makedirs(folder, exist_ok=True)

    write_shapefile(os.path.join(folder, "towns"), POINT,
                    [point_content(p) for _, p in TOWNS], [p for _, p in TOWNS],
                    [n for n, _ in TOWNS])
    for stem, lines in (("roads", ROADS), ("河川", RIVERS)):
        write_shapefile(os.path.join(folder, stem), POLYLINE,
                        [multipart_content(POLYLINE, parts) for _, parts in lines],
                        [p for _, parts in lines for part in parts for p in part],
                        [n for n, _ in lines])
    polygons = [[closed_ring(outer, True)] + [closed_ring(h, False) for h in holes]
                for _, outer, holes in AREAS]
    write_shapefile(os.path.join(folder, "areas"), POLYGON,
                    [multipart_content(POLYGON, rings) for rings in polygons],
                    [p for rings in polygons for ring in rings for p in ring],
                    [n for n, _, _ in AREAS])


if __name__ == "__main__":
    main()
