#include "support/archive_writer.h"

#include <algorithm>

namespace {

constexpr std::size_t sector = 2048;

void put_u32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

void put_u16(std::vector<std::uint8_t>& out, std::uint16_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void put_name(std::vector<std::uint8_t>& out, const ArchiveEntryLayout& e) {
    const std::size_t n = std::min<std::size_t>(e.name.size(), 24);
    out.insert(out.end(), e.name.begin(), e.name.begin() + static_cast<std::ptrdiff_t>(n));
    if (n < 24) out.push_back(0);
    while (out.size() % 32 != 0) out.push_back(e.name_padding);
}

std::size_t sectors_of(std::size_t bytes) { return (bytes + sector - 1) / sector; }

// The entries' bytes from first_sector on, and each one's stored start and length.
struct Placed {
    std::vector<std::uint8_t> data;
    std::vector<std::uint32_t> start, length;
};

Placed place(const ArchiveLayout& layout, std::size_t first_sector) {
    Placed p;
    std::size_t at = first_sector;
    for (const ArchiveEntryLayout& e : layout.entries) {
        const std::size_t n = sectors_of(e.bytes.size());
        p.start.push_back(static_cast<std::uint32_t>(e.start_sectors >= 0 ? e.start_sectors : std::int64_t(at)));
        p.length.push_back(static_cast<std::uint32_t>(e.length_sectors >= 0 ? e.length_sectors : std::int64_t(n)));
        p.data.insert(p.data.end(), e.bytes.begin(), e.bytes.end());
        p.data.resize((at - first_sector + n) * sector, 0);
        at += n;
    }
    return p;
}

void cut(std::vector<std::uint8_t>& bytes, std::size_t to) {
    if (to > 0 && to < bytes.size()) bytes.resize(to);
}

}  // namespace

std::vector<std::uint8_t> build_version2(const ArchiveLayout& layout) {
    const std::size_t header = 8 + 32 * layout.entries.size();
    const std::size_t first = sectors_of(header);
    Placed p = place(layout, first);
    std::vector<std::uint8_t> out{'V', 'E', 'R', '2'};
    put_u32(out, static_cast<std::uint32_t>(layout.stored_count >= 0 ? layout.stored_count
                                                                     : std::int64_t(layout.entries.size())));
    for (std::size_t i = 0; i < layout.entries.size(); ++i) {
        put_u32(out, p.start[i]);
        put_u16(out, static_cast<std::uint16_t>(p.length[i]));
        put_u16(out, 0);
        // The name lies at 16 + 32 i: padding counts from the record's start.
        std::vector<std::uint8_t> name;
        put_name(name, layout.entries[i]);
        out.insert(out.end(), name.begin(), name.begin() + 24);
    }
    out.resize(first * sector, 0);
    out.insert(out.end(), p.data.begin(), p.data.end());
    cut(out, layout.cut_to);
    return out;
}

Version1Files build_version1(const ArchiveLayout& layout) {
    Version1Files files;
    Placed p = place(layout, 0);
    for (std::size_t i = 0; i < layout.entries.size(); ++i) {
        put_u32(files.directory, p.start[i]);
        put_u32(files.directory, p.length[i]);
        put_name(files.directory, layout.entries[i]);
    }
    files.data = std::move(p.data);
    cut(files.data, layout.cut_to);
    return files;
}
