#include "support/chunk_writer.h"

#include <cstring>
#include <stdexcept>

namespace chunks {

Node leaf(std::uint32_t id, std::uint32_t stamp, std::vector<std::uint8_t> body) {
    Node n;
    n.id = id;
    n.stamp = stamp;
    n.body = std::move(body);
    return n;
}

Node container(std::uint32_t id, std::uint32_t stamp, std::vector<Node> children) {
    Node n;
    n.id = id;
    n.stamp = stamp;
    n.children = std::move(children);
    return n;
}

Node nested_extensions(int depth, std::uint32_t stamp) {
    Node deep = container(0x03, stamp, {});
    for (int i = 0; i < depth; ++i) {
        Node outer = container(0x03, stamp, {});
        outer.children.push_back(std::move(deep));
        deep = std::move(outer);
    }
    return deep;
}

std::uint32_t true_size(const Node& node) {
    std::size_t size = node.body.size();
    for (const Node& child : node.children) size += 12 + true_size(child);
    return static_cast<std::uint32_t>(size);
}

namespace {
void put(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
}  // namespace

void append(const Node& node, std::vector<std::uint8_t>& out) {
    put(out, node.id);
    put(out, node.stated_size.value_or(true_size(node)));
    put(out, node.stamp);
    out.insert(out.end(), node.body.begin(), node.body.end());
    for (const Node& child : node.children) append(child, out);
}

std::vector<std::uint8_t> write(const std::vector<Node>& top_level) {
    std::vector<std::uint8_t> out;
    for (const Node& n : top_level) append(n, out);
    return out;
}

std::uint32_t offset_of(const std::vector<Node>& top_level, const std::vector<std::size_t>& path) {
    if (path.empty()) throw std::logic_error("offset_of: empty path");
    std::uint32_t at = 0;
    for (std::size_t i = 0; i < path[0]; ++i) at += 12 + true_size(top_level.at(i));
    const Node* node = &top_level.at(path[0]);
    for (std::size_t depth = 1; depth < path.size(); ++depth) {
        at += 12 + static_cast<std::uint32_t>(node->body.size());
        for (std::size_t i = 0; i < path[depth]; ++i) at += 12 + true_size(node->children.at(i));
        node = &node->children.at(path[depth]);
    }
    return at;
}

Node& node_at(std::vector<Node>& top_level, const std::vector<std::size_t>& path) {
    Node* node = &top_level.at(path.at(0));
    for (std::size_t depth = 1; depth < path.size(); ++depth) node = &node->children.at(path[depth]);
    return *node;
}

Body& Body::u32(std::uint32_t v) {
    put(bytes, v);
    return *this;
}

Body& Body::u16(std::uint16_t v) {
    bytes.push_back(static_cast<std::uint8_t>(v));
    bytes.push_back(static_cast<std::uint8_t>(v >> 8));
    return *this;
}

Body& Body::f32(float v) {
    std::uint32_t bits;
    std::memcpy(&bits, &v, 4);
    return u32(bits);
}

Body& Body::raw(const std::string& text) {
    bytes.insert(bytes.end(), text.begin(), text.end());
    return *this;
}

}  // namespace chunks
