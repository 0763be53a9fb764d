#pragma once
// Chunk trees laid out as bytes: each node is an id, a library stamp and either
// body bytes or child chunks; sizes are computed unless a test states a wrong one.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace chunks {

constexpr std::uint32_t stamp_3_6_0_3 = 0x1803FFFF;

struct Node {
    std::uint32_t id = 0;
    std::uint32_t stamp = stamp_3_6_0_3;
    std::vector<std::uint8_t> body;   // written first
    std::vector<Node> children;       // then these, in order
    std::optional<std::uint32_t> stated_size;  // damage: a size other than the true one
};

Node leaf(std::uint32_t id, std::uint32_t stamp, std::vector<std::uint8_t> body);
Node container(std::uint32_t id, std::uint32_t stamp, std::vector<Node> children);
// Extensions inside extensions, depth deep: far deeper than any real file nests.
Node nested_extensions(int depth, std::uint32_t stamp);

// The body size the node's header states when none is given.
std::uint32_t true_size(const Node& node);
void append(const Node& node, std::vector<std::uint8_t>& out);
std::vector<std::uint8_t> write(const std::vector<Node>& top_level);

// Where the header of a node lies once written: path walks from one of the
// top-level nodes (path[0]) through child indices.
std::uint32_t offset_of(const std::vector<Node>& top_level, const std::vector<std::size_t>& path);
Node& node_at(std::vector<Node>& top_level, const std::vector<std::size_t>& path);

// Little-endian body bytes.
struct Body {
    std::vector<std::uint8_t> bytes;
    Body& u32(std::uint32_t v);
    Body& u16(std::uint16_t v);
    Body& f32(float v);
    Body& raw(const std::string& text);  // the characters, no terminator
};

}  // namespace chunks
