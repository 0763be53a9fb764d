#include "model/dictionary_inspection.h"

#include "model/chunk.h"
#include "model/inspection_text.h"
#include "model/texture_dictionary.h"

namespace {

std::string platform_text(std::uint32_t platform) {
    if (platform == ps2_platform) return "PS2";
    return "PC (" + std::to_string(platform) + ")";
}

std::string pixels_text(const DictionaryTexture& t) {
    if (t.format != PixelFormat::palette4 && t.format != PixelFormat::palette8)
        return std::string(pixel_format_name(t.format)) + ", no palette";
    std::string text = "palette of " + std::to_string(t.palette.count);
    if (t.palette_format != PixelFormat::unknown) text += std::string(" ") + pixel_format_name(t.palette_format);
    return text + " colours";
}

void texture_line(std::string& out, const DictionaryTexture& t) {
    append(out, "texture %s at 0x%06X: platform %s, %u x %u, depth %u, ", quoted(t.name).c_str(),
           static_cast<unsigned>(t.offset), platform_text(t.platform).c_str(), unsigned(t.width), unsigned(t.height),
           unsigned(t.depth));
    out += pixels_text(t);
    append(out, ", %s, %u %s\n", t.swizzled ? "swizzled" : "not swizzled", unsigned(t.level_count),
           t.level_count == 1 ? "level" : "levels");
}

}  // namespace

std::string inspect_dictionary(const std::uint8_t* bytes, std::uint32_t size) {
    if (!bytes) size = 0;
    const TextureDictionary d = read_texture_dictionary(bytes, size);
    std::string out;
    char version[16];
    append(out, "texture dictionary, format version %s, device %u, %u %s read\n", version_text(d.version, version),
           unsigned(d.device), static_cast<unsigned>(d.textures.size()),
           d.textures.size() == 1 ? "texture" : "textures");
    for (const DictionaryTexture& t : d.textures) texture_line(out, t);
    bool damaged = false;
    for (const Finding& f : d.findings) {
        append(out, "%s at 0x%06X: ", f.doubtful ? "damage" : "note", static_cast<unsigned>(f.offset));
        out += f.text + "\n";
        damaged = damaged || f.doubtful;
    }
    if (!damaged) out += "well-formed\n";
    return out;
}
