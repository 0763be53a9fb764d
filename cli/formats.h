#pragma once
// The files a structure conversion writes for a model (-f), any of them.

struct Formats {
    bool obj = true;   // house.dff.obj and house.dff.mtl
    bool glb = false;  // house.dff.glb: glTF, its buffer and images inside
    bool gltf = false; // house.dff.gltf with house.dff.bin beside it
    bool any_gltf() const { return glb || gltf; }
};
