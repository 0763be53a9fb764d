// libFuzzer target: arbitrary bytes read as a collision file, as one embedded
// record (with and without its fourcc) and as a model whose clump may embed
// one; whatever is read is written as OBJ text and as a glb in memory. Any
// crash, sanitizer report or leak is a finding.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include <unistd.h>

#include "export/collision_gltf.h"
#include "export/collision_obj.h"
#include "game/collision_file.h"

namespace {

std::string scratch_glb() {
    char pattern[] = "/tmp/vorlund-fuzz-collision-XXXXXX";
    const char* folder = mkdtemp(pattern);
    if (!folder) std::abort();
    return std::string(folder) + "/fuzz.glb";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    CollisionFile file = read_collision_file(bytes);
    // A file is either refused or read, never both.
    if (!file.refused.empty() && (!file.models.empty() || !file.skipped.empty())) std::abort();
    CollisionModel one;
    if (read_collision_record(bytes, one).empty()) file.models.push_back(one);
    std::string_view payload;
    if (find_embedded_collision(bytes, payload) && read_collision_record(payload, one).empty())
        file.models.push_back(one);
    for (bool third : {false, true}) {
        const CollisionObjText text = write_collision_obj(file.models, third, {"fuzz"}, "fuzz.mtl");
        if (text.objects < file.models.size()) std::abort();
    }
    static const std::string glb_path = scratch_glb();
    auto glb = collision_gltf(file.models, false, "fuzz", "fuzz");
    std::string why;
    if (!glb->document.write_glb(glb_path, why)) std::abort();
    return 0;
}
