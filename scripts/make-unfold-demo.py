#!/usr/bin/env python3
"""Writes the workbench's start-up demo scene: a sphere made by subdividing an
icosahedron, with an unfolding strategy attached so that the net grows as soon
as the scene is opened.

Usage: make-unfold-demo.py [levels] [strategy class, or none] > examples/unfold-demo.xml
"""
import math
import struct
import sys


def vector_text(v):
    # The scene format's vector text: the three doubles bit-exactly as little-endian
    # hexadecimal between [bin] tags, then readable values.
    digits = "".join(struct.pack("<d", c).hex().upper() for c in v)
    return "[bin]%s[/bin]%7.4f %7.4f %7.4f" % ((digits,) + tuple(v))


def icosahedron():
    t = (1 + math.sqrt(5)) / 2
    vertices = [(-1, t, 0), (1, t, 0), (-1, -t, 0), (1, -t, 0),
                (0, -1, t), (0, 1, t), (0, -1, -t), (0, 1, -t),
                (t, 0, -1), (t, 0, 1), (-t, 0, -1), (-t, 0, 1)]
    faces = [(0, 11, 5), (0, 5, 1), (0, 1, 7), (0, 7, 10), (0, 10, 11),
             (1, 5, 9), (5, 11, 4), (11, 10, 2), (10, 7, 6), (7, 1, 8),
             (3, 9, 4), (3, 4, 2), (3, 2, 6), (3, 6, 8), (3, 8, 9),
             (4, 9, 5), (2, 4, 11), (6, 2, 10), (8, 6, 7), (9, 8, 1)]
    return [unit(v) for v in vertices], faces


def unit(v):
    n = math.sqrt(sum(c * c for c in v))
    return tuple(c / n for c in v)


def subdivide(vertices, faces):
    """Splits every triangle into four, pushing the new vertices onto the sphere."""
    midpoints = {}

    def middle(a, b):
        key = (min(a, b), max(a, b))
        if key not in midpoints:
            va, vb = vertices[a], vertices[b]
            vertices.append(unit(tuple((x + y) / 2 for x, y in zip(va, vb))))
            midpoints[key] = len(vertices) - 1
        return midpoints[key]

    result = []
    for a, b, c in faces:
        ab, bc, ca = middle(a, b), middle(b, c), middle(c, a)
        result += [(a, ab, ca), (b, bc, ab), (c, ca, bc), (ab, bc, ca)]
    return vertices, result


def main():
    levels = int(sys.argv[1]) if len(sys.argv) > 1 else 4
    strategy = sys.argv[2] if len(sys.argv) > 2 else "LeastHeightUnfolder"
    vertices, faces = icosahedron()
    for _ in range(levels):
        vertices, faces = subdivide(vertices, faces)
    out = ['<?xml version="1.0" ?>', "<SceneRoot>", "  <Children>", "    <PolyMesh>",
           "      <Vertices>"]
    out += ["        <Vertex>%s</Vertex>" % vector_text(v) for v in vertices]
    out += ["      </Vertices>", "      <Faces>"]
    out += ["        <Face>%5i, %5i, %5i</Face>" % f for f in faces]
    out += ["      </Faces>",
            "      <DrawEdges>true</DrawEdges>",
            "      <Color>%s</Color>" % vector_text((0.75, 0.75, 0.75))]
    if strategy != "none":
        out += ["      <Children>", "        <%s />" % strategy, "      </Children>"]
    out += ["    </PolyMesh>", "  </Children>", "</SceneRoot>"]
    print("\n".join(out))


if __name__ == "__main__":
    main()
