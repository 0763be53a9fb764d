#pragma once
// Lays out synthetic model files byte by byte, as a test describes them, and
// writes them into a temporary folder.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

struct ModelBuilder {
    std::vector<std::uint8_t> bytes;

    // Appenders, little-endian; each returns the offset where its data starts.
    std::size_t u8(std::uint8_t v);
    std::size_t u16(std::uint16_t v);
    std::size_t u32(std::uint32_t v);
    std::size_t f32(float v);
    std::size_t text(const std::string& s);            // the characters, no terminator
    std::size_t raw(std::initializer_list<std::uint8_t> list);
    std::size_t fill(std::size_t count, std::uint8_t v = 0);
    // Pads with zeros up to offset (which must not be behind the end).
    std::size_t pad_to(std::size_t offset);

    // Overwrites at an offset that already exists.
    void put_u32(std::size_t offset, std::uint32_t v);

    // A chunk header (id, size, library stamp; 3.6.0.3 unless told) whose size
    // is known only once the body is written: begin returns where the size
    // goes, end fills it in.
    std::size_t begin_chunk(std::uint32_t id, std::uint32_t stamp = 0x1803FFFF);
    void end_chunk(std::size_t size_at);

    std::size_t size() const { return bytes.size(); }
};

// A geometry block as the decoder reads it. Writes face count, vertex count,
// the marker byte and three zeros, the variant's skipped bytes, vc UV pairs,
// the faces, 24 skipped bytes, vc positions and the normal.
struct BlockSpec {
    std::uint32_t face_count = 1;
    std::uint32_t vertex_count = 3;
    std::uint8_t marker = 1;
    int variant = 1;
    std::vector<std::uint16_t> indices = {0, 1, 0, 2};  // four per face
    std::vector<float> uvs;        // 2 per vertex; defaults fill 0.25 * i
    std::vector<float> positions;  // 3 per vertex; defaults fill i, i + 0.5, -i
    float normal[3] = {0.0f, 0.0f, 1.0f};
    std::uint8_t skip_fill = 0xAB;  // bytes of the skipped regions
};
// Appends the block; returns its start offset.
std::size_t append_block(ModelBuilder& m, const BlockSpec& shape);
// The size in bytes append_block writes for shape.
std::size_t block_size(const BlockSpec& shape);

// A folder under the system temporary folder, removed with everything in it.
struct TempFolder {
    std::filesystem::path path;
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    std::filesystem::path write(const std::string& name, const std::vector<std::uint8_t>& bytes) const;
    std::filesystem::path write(const std::string& name, const ModelBuilder& m) const {
        return write(name, m.bytes);
    }
};

std::string read_file(const std::filesystem::path& p);
