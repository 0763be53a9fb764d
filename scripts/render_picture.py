# Renders converted OBJ files (with their MTL and PNG files) or glTF files
# (.glb, .gltf) into one picture, headless, with Blender's Cycles on the CPU.
# Run through scripts/render-picture.sh.
#   blender -b --factory-startup --python-exit-code 1 --python render_picture.py -- OUT.png A.obj [B.glb ...]
# The objects of every file stand side by side, left to right, seen from the front
# and a little above, so that their textures show.
import math
import sys

import bpy
from mathutils import Vector

args = sys.argv[sys.argv.index("--") + 1:]
out, paths = args[0], args[1:]

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

sun = bpy.data.objects.new("sun", bpy.data.lights.new("sun", 'SUN'))
sun.data.energy = 3.0
sun.rotation_euler = (math.radians(40), math.radians(15), math.radians(30))
scene.collection.objects.link(sun)
world = bpy.data.worlds.new("world")
world.use_nodes = True
world.node_tree.nodes["Background"].inputs[0].default_value = (0.8, 0.82, 0.86, 1.0)
world.node_tree.nodes["Background"].inputs[1].default_value = 0.6
scene.world = world

scene.render.engine = 'CYCLES'
scene.cycles.device = 'CPU'
scene.cycles.samples = 32
scene.cycles.use_denoising = False  # Debian's build has no denoiser
scene.render.resolution_x = width
scene.render.resolution_y = height
scene.render.film_transparent = False
scene.render.image_settings.file_format = 'PNG'
scene.render.filepath = out
bpy.ops.render.render(write_still=True)
print("RENDERED", out, len(everything), "objects")
