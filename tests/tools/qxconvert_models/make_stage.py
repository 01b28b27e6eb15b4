#!/usr/bin/env python3
"""Writes stage.glb, the converter tests' small scene laid out as Blender's
glTF exporter lays scenes out: Y up, metres, named nodes, a perspective camera
with its aspect, KHR_lights_punctual lights, a linear animation and PNG
textures in the binary chunk. Standard library only; run it here to remake
the file."""
import json
import math
import struct
import zlib


def png(width, height, pixels, alpha):
    """pixels(x, y) -> (r, g, b[, a]) tuples, top row first."""
    raw = b""
    for y in range(height):
        raw += b"\0" + b"".join(bytes(pixels(x, y)) for x in range(width))
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    header = struct.pack(">IIBBBBB", width, height, 8, 6 if alpha else 2, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b"")


# The marker: green top left, red top right, blue below, so that a picture
# drawn upside down or mirrored shows it.
def marker(x, y):
    if y < 8:
        return (0, 255, 0) if x < 8 else (255, 0, 0)
    return (0, 0, 255)


MARKER = png(16, 16, marker, False)
WINDOW = png(8, 8, lambda x, y: (255, 255, 255, 96), True)

# A cube of edge 2: per face its four corners counter-clockwise seen from
# outside, starting bottom left, with the picture upright on the face (glTF
# texture coordinates start at the picture's top left).
FACES = [
    ((0, 0, 1), (1, 0, 0), (0, 1, 0)),
    ((0, 0, -1), (-1, 0, 0), (0, 1, 0)),
    ((1, 0, 0), (0, 0, -1), (0, 1, 0)),
    ((-1, 0, 0), (0, 0, 1), (0, 1, 0)),
    ((0, 1, 0), (1, 0, 0), (0, 0, -1)),
    ((0, -1, 0), (1, 0, 0), (0, 0, 1)),
]
cube_positions, cube_uvs, cube_indices = [], [], []
for normal, right, up in FACES:
    base = len(cube_positions)
    for sx, sy, u, v in ((-1, -1, 0, 1), (1, -1, 1, 1), (1, 1, 1, 0), (-1, 1, 0, 0)):
        cube_positions.append(tuple(normal[i] + sx * right[i] + sy * up[i] for i in range(3)))
        cube_uvs.append((u, v))
    cube_indices += [base, base + 1, base + 2, base, base + 2, base + 3]

pane_positions = [(-1, -1, 0), (1, -1, 0), (1, 1, 0), (-1, 1, 0)]
pane_uvs = [(0, 1), (1, 1), (1, 0), (0, 0)]
pane_indices = [0, 1, 2, 0, 2, 3]

half = math.sin(math.radians(22.5)), math.cos(math.radians(22.5))
quarter = math.sin(math.radians(45)), math.cos(math.radians(45))
times = [0.0, 1.0, 2.0]
translations = [(0, 0, 0), (1, 0, 0), (2, 0, 0)]
rotations = [(0, 0, 0, 1), (0, half[0], 0, half[1]), (0, quarter[0], 0, quarter[1])]

binary = bytearray()
views, accessors = [], []


def add_view(data, target=None):
    while len(binary) % 4:
        binary.append(0)
    view = {"buffer": 0, "byteOffset": len(binary), "byteLength": len(data)}
    if target:
        view["target"] = target
    binary.extend(data)
    views.append(view)
    return len(views) - 1


def add_accessor(values, kind, component=5126, target=34962):
    flat = [c for v in values for c in (v if isinstance(v, tuple) else (v,))]
    fmt = "<%d%s" % (len(flat), "f" if component == 5126 else "H")
    accessor = {"bufferView": add_view(struct.pack(fmt, *flat), target), "componentType": component,
                "count": len(values), "type": kind}
    if kind == "VEC3" or (kind == "SCALAR" and component == 5126):
        width = 3 if kind == "VEC3" else 1
        columns = [[v[i] if isinstance(v, tuple) else v for v in values] for i in range(width)]
        accessor["min"] = [min(c) for c in columns]
        accessor["max"] = [max(c) for c in columns]
    accessors.append(accessor)
    return len(accessors) - 1


cube = {"POSITION": add_accessor(cube_positions, "VEC3"), "TEXCOORD_0": add_accessor(cube_uvs, "VEC2")}
cube_index = add_accessor(cube_indices, "SCALAR", 5123, 34963)
pane = {"POSITION": add_accessor(pane_positions, "VEC3"), "TEXCOORD_0": add_accessor(pane_uvs, "VEC2")}
pane_index = add_accessor(pane_indices, "SCALAR", 5123, 34963)
time_accessor = add_accessor(times, "SCALAR", target=None)
translation_accessor = add_accessor(translations, "VEC3", target=None)
rotation_accessor = add_accessor(rotations, "VEC4", target=None)
marker_view = add_view(MARKER)
window_view = add_view(WINDOW)

document = {
    "asset": {"version": "2.0", "generator": "velmora make_stage.py (laid out as Khronos glTF Blender I/O)"},
    "extensionsUsed": ["KHR_lights_punctual"],
    "extensions": {"KHR_lights_punctual": {"lights": [
        {"name": "Lamp", "type": "point", "color": [1.0, 0.9, 0.8], "intensity": 30.0, "range": 30.0},
        {"name": "Spot", "type": "spot", "color": [1.0, 1.0, 1.0], "intensity": 10.0,
         "spot": {"innerConeAngle": 0.4, "outerConeAngle": 0.7}},
    ]}},
    "scene": 0,
    "scenes": [{"name": "Scene", "nodes": [0, 1, 2, 3, 4, 5]}],
    "nodes": [
        {"name": "Cube", "mesh": 0},
        {"name": "Glass", "mesh": 1, "translation": [-3.5, 0.0, 0.0]},
        {"name": "Window", "mesh": 2, "translation": [3.5, 0.0, 0.0]},
        {"name": "Camera", "camera": 0, "translation": [0.0, 2.0, 10.0],
         "rotation": [-math.sin(math.atan2(2, 10) / 2), 0.0, 0.0, math.cos(math.atan2(2, 10) / 2)]},
        {"name": "Lamp", "translation": [3.0, 4.0, 5.0], "extensions": {"KHR_lights_punctual": {"light": 0}}},
        {"name": "Spot", "translation": [0.0, 6.0, 0.0], "rotation": [-quarter[0], 0.0, 0.0, quarter[1]],
         "extensions": {"KHR_lights_punctual": {"light": 1}}},
    ],
    "cameras": [{"name": "Camera", "type": "perspective",
                 "perspective": {"yfov": 0.5, "aspectRatio": 1.7778, "znear": 0.1, "zfar": 100.0}}],
    "meshes": [
        {"name": "CubeMesh", "primitives": [{"attributes": cube, "indices": cube_index, "material": 0}]},
        {"name": "GlassMesh", "primitives": [{"attributes": pane, "indices": pane_index, "material": 1}]},
        {"name": "WindowMesh", "primitives": [{"attributes": pane, "indices": pane_index, "material": 2}]},
    ],
    "materials": [
        {"name": "Painted", "pbrMetallicRoughness": {"baseColorTexture": {"index": 0}, "metallicFactor": 0.0}},
        {"name": "Glass", "alphaMode": "BLEND", "doubleSided": True,
         "pbrMetallicRoughness": {"baseColorFactor": [0.2, 0.6, 1.0, 0.4], "metallicFactor": 0.0}},
        {"name": "Window", "alphaMode": "BLEND", "doubleSided": True,
         "pbrMetallicRoughness": {"baseColorTexture": {"index": 1}, "metallicFactor": 0.0}},
    ],
    "textures": [{"source": 0, "sampler": 0}, {"source": 1, "sampler": 0}],
    "samplers": [{"magFilter": 9729, "minFilter": 9987}],
    "images": [{"name": "marker", "mimeType": "image/png", "bufferView": marker_view},
               {"name": "window", "mimeType": "image/png", "bufferView": window_view}],
    "animations": [{"name": "CubeAction", "channels": [
        {"sampler": 0, "target": {"node": 0, "path": "translation"}},
        {"sampler": 1, "target": {"node": 0, "path": "rotation"}},
    ], "samplers": [
        {"input": time_accessor, "output": translation_accessor, "interpolation": "LINEAR"},
        {"input": time_accessor, "output": rotation_accessor, "interpolation": "LINEAR"},
    ]}],
    "bufferViews": views,
    "accessors": accessors,
}
while len(binary) % 4:
    binary.append(0)
document["buffers"] = [{"byteLength": len(binary)}]
text = json.dumps(document, separators=(",", ":")).encode()
text += b" " * (-len(text) % 4)
glb = struct.pack("<III", 0x46546C67, 2, 12 + 8 + len(text) + 8 + len(binary))
glb += struct.pack("<II", len(text), 0x4E4F534A) + text
glb += struct.pack("<II", len(binary), 0x004E4942) + bytes(binary)
with open("stage.glb", "wb") as out:
    out.write(glb)
