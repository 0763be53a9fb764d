# Renders converted OBJ files (with their MTL and PNG files) or glTF files
# (.glb, .gltf) into one picture, headless, with Blender's Cycles on the CPU.
# Run through scripts/render-picture.sh.
#   blender -b --factory-startup --python-exit-code 1 --python render_picture.py -- OUT.png [--night] [--frames A,B,C] A.obj [B.glb ...]
# The objects of every file stand side by side, left to right, seen from the front
# and a little above, so that their textures show. --night: a dark sky and no
# sun, so that the files' own lights light them. --frames: the scene at each
# of these frames of its first animation, side by side in one picture.
import math
import sys

import bpy
from mathutils import Vector

args = sys.argv[sys.argv.index("--") + 1:]
out, args = args[0], args[1:]
night = "--night" in args
frames = []
if "--frames" in args:
    at = args.index("--frames")
    frames = [int(f) for f in args[at + 1].split(",")]
    del args[at:at + 2]
paths = [a for a in args if a != "--night"]

bpy.ops.wm.read_factory_settings(use_empty=True)
scene = bpy.context.scene

offset = 0.0
everything = []
for path in paths:
    before = set(bpy.data.objects)
    if path.endswith((".glb", ".gltf")):
        # Debian 12's importer still uses numpy.bool, which its numpy no longer has.
        import numpy
        if not hasattr(numpy, "bool"):
            numpy.bool = numpy.bool_
        # The file's root turns z-up into glTF's y-up; the importer turns it back.
        bpy.ops.import_scene.gltf(filepath=path)
    else:
        # The game's models stand on z; Blender's importer otherwise takes y as up.
        bpy.ops.wm.obj_import(filepath=path, forward_axis='Y', up_axis='Z')
    new_objects = [o for o in bpy.data.objects if o not in before]
    added = [o for o in new_objects if o.type == 'MESH']
    # Only the tops of a hierarchy move: their children go with them.
    tops = [o for o in new_objects if o.parent is None]
    bpy.context.view_layer.update()
    corners = [o.matrix_world @ Vector(c) for o in added for c in o.bound_box]
    if not corners:
        continue
    low = Vector((min(c.x for c in corners), min(c.y for c in corners), min(c.z for c in corners)))
    high = Vector((max(c.x for c in corners), max(c.y for c in corners), max(c.z for c in corners)))
    # Each model's own floor at zero, models in a row along x with a gap between them.
    shift = Vector((offset - low.x, -(low.y + high.y) / 2, -low.z))
    for o in tops:
        o.location += shift
    offset += (high.x - low.x) * 1.25
    everything += added

bpy.context.view_layer.update()
corners = [o.matrix_world @ Vector(c) for o in everything for c in o.bound_box]
low = Vector((min(c.x for c in corners), min(c.y for c in corners), min(c.z for c in corners)))
high = Vector((max(c.x for c in corners), max(c.y for c in corners), max(c.z for c in corners)))
center = (low + high) / 2
radius = max((high - low).length / 2, 1e-3)

camera = bpy.data.objects.new("camera", bpy.data.cameras.new("camera"))
scene.collection.objects.link(camera)
scene.camera = camera
camera.data.lens = 50
camera.data.sensor_fit = 'HORIZONTAL'
direction = Vector((0.35, -1.0, 0.45)).normalized()
# The picture is wider than high: fit the bounding sphere into its height.
width, height = 640, 400
half_height = math.atan(camera.data.sensor_width / 2 * height / width / camera.data.lens)
distance = radius / math.sin(half_height) * 1.05
camera.location = center + direction * distance
# A scene as large as a city lies far past the default 100 m of view.
camera.data.clip_start = max(distance - radius * 1.5, 0.01)
camera.data.clip_end = distance + radius * 1.5
camera.rotation_euler = (center - camera.location).to_track_quat('-Z', 'Y').to_euler()

if not night:
    sun = bpy.data.objects.new("sun", bpy.data.lights.new("sun", 'SUN'))
    sun.data.energy = 3.0
    sun.rotation_euler = (math.radians(40), math.radians(15), math.radians(30))
    scene.collection.objects.link(sun)
world = bpy.data.worlds.new("world")
world.use_nodes = True
world.node_tree.nodes["Background"].inputs[0].default_value = (0.02, 0.025, 0.05, 1.0) if night else (0.8, 0.82, 0.86, 1.0)
world.node_tree.nodes["Background"].inputs[1].default_value = 0.1 if night else 0.6
scene.world = world
if night:
    # The lights as imported; the camera opens up as one does at night.
    scene.view_settings.exposure = 3.0
    # Adaptive sampling and the light threshold judge a dark picture before
    # its exposure: they would stop it too soon and drop its lights' samples.
    scene.cycles.use_adaptive_sampling = False
    scene.cycles.light_sampling_threshold = 0

scene.render.engine = 'CYCLES'
scene.cycles.device = 'CPU'
scene.cycles.samples = 1024 if night else 32
scene.cycles.use_denoising = False  # Debian's build has no denoiser
scene.render.resolution_x = width
scene.render.resolution_y = height
scene.render.film_transparent = False
scene.render.image_settings.file_format = 'PNG'
if not frames:
    scene.render.filepath = out
    bpy.ops.render.render(write_still=True)
    print("RENDERED", out, len(everything), "objects")
    sys.exit(0)

# Each frame rendered alone, then the pictures side by side, left to right;
# a walk, where the file has one, is the animation played.
walks = [a for a in bpy.data.actions if "walk" in a.name.lower()]
if walks:
    for o in bpy.data.objects:
        if o.animation_data:
            o.animation_data.action = walks[0]
import numpy
strips = []
for n, frame in enumerate(frames):
    scene.frame_set(frame)
    part = out + ".%d.png" % n
    scene.render.filepath = part
    bpy.ops.render.render(write_still=True)
    image = bpy.data.images.load(part)
    strips.append(numpy.array(image.pixels[:], dtype=numpy.float32).reshape(height, width, 4))
whole = bpy.data.images.new("frames", width * len(frames), height)
whole.pixels = numpy.concatenate(strips, axis=1).ravel().tolist()
whole.filepath_raw = out
whole.file_format = 'PNG'
whole.save()
print("RENDERED", out, len(everything), "objects", len(frames), "frames")
