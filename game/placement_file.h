#pragma once
// Placement files (.ipl): one record per placed copy of a model. Text files of
// all three line forms, and the binary stream files ("bnry") kept in archives.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Which form a record was read in; the older forms have no lod field and the
// first no interior.
enum class InstanceForm {
    first,   // 12 fields: id, model, x, y, z, sx, sy, sz, rx, ry, rz, rw
    second,  // 13 fields: id, model, interior, x, y, z, sx, sy, sz, rx, ry, rz, rw
    third,   // 11 fields: id, model, interior, x, y, z, rx, ry, rz, rw, lod
    binary,  // a 40-byte record of a stream file
};

struct Instance {
    std::size_t where = 0;   // text: the 1-based line; binary: the 0-based record
    std::size_t index = 0;   // place in the file's inst list, which lod fields count in
    InstanceForm form = InstanceForm::first;
    std::int32_t id = -1;
    std::string name;        // as written; empty in binary files and in some real lines
    std::int32_t interior = 0;  // low byte the area, higher bits flags
    double position[3] = {0, 0, 0};
    float rotation[4] = {0, 0, 0, 1};  // x, y, z, w as stored: the inverse turn
    float scale[3] = {1, 1, 1};
    std::int32_t lod = -1;   // index of this one's far-view stand-in, -1 none
};

struct BadRecord {
    std::size_t where = 0;  // line or record, as in Instance
    std::string reason;
};

struct PlacementFile {
    std::string name;     // for messages
    bool binary = false;
    std::size_t instance_count = 0;  // every inst line or record, bad ones too
    std::vector<Instance> instances;
    std::vector<BadRecord> bad;      // in file order
};

// Reads the bytes of a placement file: binary when they start with "bnry",
// text otherwise.
PlacementFile read_placement_file(std::string_view bytes, std::string_view file_name);

PlacementFile read_placement_text(std::string_view text, std::string_view file_name);
PlacementFile read_placement_binary(std::string_view bytes, std::string_view file_name);

// Where of a fault in the binary header rather than in one record.
inline constexpr std::size_t whole_file = static_cast<std::size_t>(-1);

// "line 7", "record 12" or "header", as a bad record of the file is named.
std::string record_place(const PlacementFile& file, std::size_t where);

// Whether an archive entry is one of the stream files of the text placement
// file named text_file (a path or a name): its base name followed by
// "_stream", without case, ending ".ipl". "countn2_stream0.ipl" is one of
// "DATA\MAPS\country\countn2.ipl"'s.
bool is_stream_file_of(std::string_view entry_name, std::string_view text_file);

// The placement files named, as groups whose lod fields count into one list:
// each file with the stream files of it that are named, the text file first.
// Groups keep the order their first file was named in.
std::vector<std::vector<std::size_t>> placement_groups(const std::vector<std::string>& file_names);
