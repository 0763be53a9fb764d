# Imports OBJ and glTF (.glb, .gltf) files into Blender and checks what it finds against what each
# file holds. Run by tests/blender/blender_check.sh:
#   blender -b --factory-startup --python-exit-code 1 --python import_check.py -- MANIFEST
# MANIFEST has one OBJ file a line, tab-separated: the path, then what Blender
# must find, as key=value:
#   faces=N       polygons over all meshes
#   vertices=N    vertices over all meshes
#   meshes=N      mesh objects
#   materials=N   materials
#   image=NAME:WxH   an image loaded with that size (once per image)
#   zrange=LOW:HIGH  imported keeping the OBJ's axes (z up): the lowest and
#                 highest vertex along z, within 0.001, and z the longest extent;
#                 vertices as drawn, so a skinned mesh as its armature poses it
#   bones=N       bones over all armatures
#   groups=N      vertex groups that carry a weight on some vertex
#   actions=N     actions (a glTF file's animations)
#   playing=NAME:FRACTION  the action whose name starts with NAME played on the
#                 armature, at FRACTION of its frame range: the character as
#                 tall as unposed (within 10 %), its feet further apart along y
#   lights=N      light objects
#   light=X:Y:Z   a light object at that place in the world (z up), within 0.001
# Prints "RESULT ok|FAIL PATH found ..." a file and ends with
# "RESULT files=N failed=M"; raises (exit status 1) when any check failed.
import sys

import bpy

COUNTS = ("faces", "vertices", "meshes", "materials")
SKIN_COUNTS = ("bones", "groups", "actions", "lights")


def parse_line(line):
    fields = line.rstrip("\n").split("\t")
    expected = {"images": [], "light_places": []}
    for field in fields[1:]:
        key, _, value = field.partition("=")
        if key == "image":
            name, _, size = value.rpartition(":")
            width, _, height = size.partition("x")
            expected["images"].append((name, int(width), int(height)))
        elif key == "light":
            expected["light_places"].append(tuple(float(v) for v in value.split(":")))
        elif key == "zrange":
            low, _, high = value.partition(":")
            expected["zrange"] = (float(low), float(high))
        elif key == "playing":
            name, _, fraction = value.rpartition(":")
            expected["playing"] = (name, float(fraction))
        elif key in COUNTS or key in SKIN_COUNTS:
            expected[key] = int(value)
        else:
            raise ValueError("unknown check %r in %r" % (key, line))
    return fields[0], expected


def extents(meshes):
    depsgraph = bpy.context.evaluated_depsgraph_get()
    points = []
    for o in meshes:
        drawn = o.evaluated_get(depsgraph)
        points += [drawn.matrix_world @ v.co for v in drawn.to_mesh().vertices]
        drawn.to_mesh_clear()
    if not points:
        return [(0.0, 0.0)] * 3
    return [(min(p[k] for p in points), max(p[k] for p in points)) for k in range(3)]


def points_of(meshes):
    depsgraph = bpy.context.evaluated_depsgraph_get()
    points = []
    for o in meshes:
        drawn = o.evaluated_get(depsgraph)
        points += [(drawn.matrix_world @ v.co).copy() for v in drawn.to_mesh().vertices]
        drawn.to_mesh_clear()
    return points


def height_and_stride(points):
    """The height along z, and the spread along y of the lowest quarter: the feet."""
    low = min(p.z for p in points)
    high = max(p.z for p in points)
    feet = [p.y for p in points if p.z < low + (high - low) / 4]
    return high - low, max(feet) - min(feet)


def play(name, fraction):
    """(height, stride) unposed, then at fraction of the named action."""
    armature = [o for o in bpy.data.objects if o.type == "ARMATURE"][0]
    meshes = [o for o in bpy.data.objects if o.type == "MESH"]
    armature.animation_data_create()
    armature.animation_data.action = None
    for bone in armature.pose.bones:
        bone.matrix_basis.identity()
    bpy.context.view_layer.update()
    still = height_and_stride(points_of(meshes))
    action = next(a for a in bpy.data.actions if a.name.startswith(name))
    armature.animation_data.action = action
    start, end = action.frame_range
    bpy.context.scene.frame_set(int(round(start + fraction * (end - start))))
    bpy.context.view_layer.update()
    return still, height_and_stride(points_of(meshes))


def import_one(path, keep_axes, playing=None):
    bpy.ops.wm.read_factory_settings(use_empty=True)
    if path.endswith((".glb", ".gltf")):
        # Debian 12's importer still uses numpy.bool, which its numpy no longer has.
        import numpy
        if not hasattr(numpy, "bool"):
            numpy.bool = numpy.bool_
        bpy.ops.import_scene.gltf(filepath=path)
    elif keep_axes:
        bpy.ops.wm.obj_import(filepath=path, forward_axis="Y", up_axis="Z")
    else:
        bpy.ops.wm.obj_import(filepath=path)
    meshes = [o for o in bpy.data.objects if o.type == "MESH"]
    played = play(*playing) if playing else None
    return {
        "played": played,
        "actions": len(bpy.data.actions),
        "extents": extents(meshes),
        "faces": sum(len(o.data.polygons) for o in meshes),
        "vertices": sum(len(o.data.vertices) for o in meshes),
        "meshes": len(meshes),
        "materials": len(bpy.data.materials),
        "images": sorted((i.name, i.size[0], i.size[1]) for i in bpy.data.images),
        "bones": sum(len(o.data.bones) for o in bpy.data.objects if o.type == "ARMATURE"),
        "groups": sum(len({g.group for v in o.data.vertices for g in v.groups if g.weight > 0}) for o in meshes),
        "lights": len([o for o in bpy.data.objects if o.type == "LIGHT"]),
        "light_places": [tuple(o.matrix_world.translation) for o in bpy.data.objects if o.type == "LIGHT"],
    }


def problems(found, expected):
    out = []
    for key in COUNTS + SKIN_COUNTS:
        if key in expected and found[key] != expected[key]:
            out.append("%s %d, expected %d" % (key, found[key], expected[key]))
    if "zrange" in expected:
        (x0, x1), (y0, y1), (z0, z1) = found["extents"]
        low, high = expected["zrange"]
        if abs(z0 - low) > 1e-3 or abs(z1 - high) > 1e-3:
            out.append("z from %.4f to %.4f, expected %.4f to %.4f" % (z0, z1, low, high))
        if z1 - z0 <= max(x1 - x0, y1 - y0):
            out.append("not upright: extents x %.4f, y %.4f, z %.4f" % (x1 - x0, y1 - y0, z1 - z0))
    if "playing" in expected:
        (height, stride), (moving_height, moving_stride) = found["played"]
        if abs(moving_height - height) > 0.1 * height:
            out.append("height %.4f while playing, %.4f unposed" % (moving_height, height))
        if moving_stride < stride + 0.1:
            out.append("feet %.4f apart while playing, %.4f unposed" % (moving_stride, stride))
    for place in expected["light_places"]:
        if not any(max(abs(a - b) for a, b in zip(place, p)) <= 1e-3 for p in found["light_places"]):
            out.append("no light at %.3f %.3f %.3f" % place)
    for image in expected["images"]:
        if image not in found["images"]:
            out.append("no image %s %dx%d" % image)
    return out


def main():
    manifest = sys.argv[sys.argv.index("--") + 1]
    with open(manifest, encoding="utf-8") as f:
        entries = [parse_line(line) for line in f if line.strip()]
    failed = 0
    for path, expected in entries:
        found = import_one(path, "zrange" in expected, expected.get("playing"))
        wrong = problems(found, expected)
        failed += bool(wrong)
        print("RESULT", "FAIL" if wrong else "ok", path,
              "found faces=%(faces)d vertices=%(vertices)d meshes=%(meshes)d materials=%(materials)d "
              "bones=%(bones)d groups=%(groups)d actions=%(actions)d lights=%(lights)d played=%(played)s" % found,
              "images=%s" % found["images"], "; ".join(wrong), flush=True)
    print("RESULT files=%d failed=%d" % (len(entries), failed), flush=True)
    if failed:
        raise SystemExit("%d of %d files imported wrong" % (failed, len(entries)))


main()
