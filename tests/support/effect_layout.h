#pragma once
// 2D effect entries and UV animations laid out as a model file holds them:
// the geometry's effect plug-in, a UV animation chunk with its keys, and a
// body of every effect type with distinct values in each field.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "support/chunk_writer.h"

struct EffectEntryLayout {
    float position[3] = {0, 0, 0};
    std::uint32_t type = 0;
    std::vector<std::uint8_t> body;
    std::optional<std::uint32_t> stated_size{};  // damage: a size other than the body's
};

// The plug-in: count (the entries' unless stated), then the entries.
chunks::Node effects_plugin(const std::vector<EffectEntryLayout>& entries,
                            std::optional<std::uint32_t> count = std::nullopt);

// A body of the type's own size (a light of 80 bytes, or 76 when short_light)
// whose fields hold recognisable values; the lamp of the worked example for a light.
std::vector<std::uint8_t> effect_body(std::uint32_t type, bool short_light = false);

struct UvKeyLayout {
    float time;
    float values[6];
    std::int32_t previous;
};

// An animation chunk: version 0x100, interpolator, key count (the keys' unless stated), duration, name, channels.
chunks::Node uv_animation_chunk(const std::string& name, std::uint32_t interpolator,
                                const std::vector<std::int32_t>& channels, const std::vector<UvKeyLayout>& keys,
                                std::optional<std::uint32_t> stated_keys = std::nullopt);

// The material's UV animation plug-in: slot mask with a bit a name, then the names.
chunks::Node uv_animation_names_plugin(const std::vector<std::string>& names);
