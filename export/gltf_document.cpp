#include "export/gltf_document.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

std::size_t padded(std::size_t n) { return (n + 3) & ~std::size_t(3); }

// A file written under a temporary name beside its target, renamed over it
// once whole: no reader sees half a file. Its bytes gather in a block of its
// own and leave it a block at a time; views are made straight into the
// block: the tens of thousands of small pieces of a character's animations
// cost one copy on their way out, not two.
class WholeFile {
public:
    explicit WholeFile(const std::string& path) : path_(path), temporary_(path + ".part") {
        file_ = std::fopen(temporary_.c_str(), "wb");
        if (!file_) why_ = "cannot create " + temporary_ + ": " + std::strerror(errno);
        else std::setvbuf(file_, nullptr, _IONBF, 0);  // the block is the buffer
    }
    ~WholeFile() {
        if (file_) std::fclose(file_);
        if (!done_) std::remove(temporary_.c_str());
    }
    WholeFile(const WholeFile&) = delete;
    WholeFile& operator=(const WholeFile&) = delete;

    void put(const void* bytes, std::size_t n) {
        if (std::uint8_t* at = room(n)) {
            std::memcpy(at, bytes, n);
            used_ += n;
        } else {
            write_out(bytes, n);
        }
    }
    // Room for n bytes at the block's end, the block sent first if it lacks
    // it; null for more than a block, which is written straight out.
    std::uint8_t* room(std::size_t n) {
        if (n > block_.size()) {
            flush();
            return nullptr;
        }
        if (n > block_.size() - used_) flush();
        return block_.data() + used_;
    }
    // n bytes written into the room.
    void fill(std::size_t n) { used_ += n; }
    void put_u32(std::uint32_t v) {
        const std::uint8_t b[4] = {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
                                   static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)};
        put(b, 4);
    }
    void pad(std::size_t n, char with) {
        static const char spaces[4] = {' ', ' ', ' ', ' '}, zeros[4] = {0, 0, 0, 0};
        put(with == ' ' ? spaces : zeros, padded(n) - n);
    }
    bool finish(std::string& why) {
        flush();
        if (file_ && std::fclose(file_) != 0 && why_.empty()) why_ = "cannot write " + temporary_;
        file_ = nullptr;
#ifdef _WIN32
        // rename does not replace an existing file there.
        if (why_.empty()) std::remove(path_.c_str());
#endif
        if (why_.empty() && std::rename(temporary_.c_str(), path_.c_str()) != 0)
            why_ = "cannot rename " + temporary_ + " to " + path_ + ": " + std::strerror(errno);
        done_ = why_.empty();
        why = why_;
        return done_;
    }

private:
    void flush() {
        if (used_) write_out(block_.data(), used_);
        used_ = 0;
    }
    void write_out(const void* bytes, std::size_t n) {
        if (file_ && why_.empty() && std::fwrite(bytes, 1, n, file_) != n)
            why_ = "cannot write " + temporary_ + ": " + std::strerror(errno);
    }

    std::string path_, temporary_, why_;
    std::FILE* file_ = nullptr;
    std::vector<std::uint8_t> block_ = std::vector<std::uint8_t>(std::size_t(1) << 16);
    std::size_t used_ = 0;
    bool done_ = false;
};

// Every view's bytes in order, each padded to 4: made in the file's block
// where they fit, else in a buffer of their own.
template <class Views>
void put_buffer(const Views& views, WholeFile& out) {
    std::vector<std::uint8_t> large;
    for (const auto& v : views) {
        const std::size_t length = padded(v.length);
        // A fill writes its whole length, and only the padding is cleared.
        if (std::uint8_t* at = out.room(length)) {
            v.fill(at);
            std::memset(at + v.length, 0, length - v.length);
            out.fill(length);
            continue;
        }
        if (large.size() < v.length) large.resize(v.length);
        v.fill(large.data());
        out.put(large.data(), v.length);
        out.pad(v.length, 0);
    }
}

std::string file_name_of(const std::string& path) {
    std::size_t at = path.find_last_of("/\\");
    return at == std::string::npos ? path : path.substr(at + 1);
}

}  // namespace

std::string uri_of_file_name(const std::string& name) {
    static const char digits[] = "0123456789ABCDEF";
    std::string uri;
    for (unsigned char c : name) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
            c == '_' || c == '~') {
            uri += static_cast<char>(c);
        } else if (c == '/' || c == '\\') {
            uri += '/';
        } else {
            uri += '%';
            uri += digits[c >> 4];
            uri += digits[c & 15];
        }
    }
    return uri;
}

GltfDocument::GltfDocument() {
    json_ = nlohmann::json::object();
    json_["asset"] = {{"version", "2.0"}};
}

int GltfDocument::add(const char* array, nlohmann::json item) {
    // Once an array has text items, later items follow them as text: the order is the index.
    if (texts_.count(array)) return add_text(array, item.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
    nlohmann::json& list = json_[array];
    if (!list.is_array()) list = nlohmann::json::array();
    list.push_back(std::move(item));
    return static_cast<int>(list.size() - 1);
}

int GltfDocument::add_text(const char* array, std::string_view item) {
    return write_text(array, 1, [&](std::string& text) { text += item; });
}

std::pair<std::string*, int> GltfDocument::text_items(const char* array, std::size_t count) {
    nlohmann::json& list = json_[array];
    if (!list.is_array()) list = nlohmann::json::array();
    TextItems& t = texts_[array];
    if (t.count) t.joined += ',';
    t.count += count;
    return {&t.joined, static_cast<int>(list.size() + t.count - count)};
}

std::size_t GltfDocument::count(const char* array) const {
    const auto list = json_.find(array);
    const auto text = texts_.find(array);
    return (list != json_.end() && list->is_array() ? list->size() : 0) + (text != texts_.end() ? text->second.count : 0);
}

void GltfDocument::attach(int parent, int child) {
    nlohmann::json& n = node(parent);
    if (!n.contains("children")) n["children"] = nlohmann::json::array();
    n["children"].push_back(child);
}

int GltfDocument::add_z_up_root(const std::string& name) {
    // A quarter turn about x, written to a double's precision: a map's points lie
    // thousands of units out, where a float's quaternion would move them.
    const double half = 0.70710678118654757;
    return add("nodes", {{"name", name}, {"rotation", {-half, 0, 0, half}}});
}

int GltfDocument::add_view(std::size_t length, Fill fill, int target) {
    const std::size_t offset = binary_length_;
    views_.push_back({offset, length, std::move(fill)});
    binary_length_ += padded(length);
    // As text, members in the order dump() writes them: a character's animations add hundreds of views.
    return write_text("bufferViews", 1, [&](std::string& text) {
        text += "{\"buffer\":0,\"byteLength\":";
        text += std::to_string(length);
        text += ",\"byteOffset\":";
        text += std::to_string(offset);
        if (target) {
            text += ",\"target\":";
            text += std::to_string(target);
        }
        text += '}';
    });
}

int GltfDocument::add_accessor(int view, int component_type, std::size_t count, const char* type, bool normalized,
                               const nlohmann::json& min, const nlohmann::json& max) {
    nlohmann::json accessor = {{"bufferView", view}, {"componentType", component_type}, {"count", count}, {"type", type}};
    if (normalized) accessor["normalized"] = true;
    if (!min.is_null()) accessor["min"] = min;
    if (!max.is_null()) accessor["max"] = max;
    return add("accessors", std::move(accessor));
}

GltfDocument::JsonText GltfDocument::json_text(const std::string& buffer_uri) {
    json_.erase("buffers");
    if (binary_length_ > 0) {
        nlohmann::json buffer = {{"byteLength", binary_length_}};
        if (!buffer_uri.empty()) buffer["uri"] = buffer_uri;
        json_["buffers"] = nlohmann::json::array({buffer});
    }
    // Names come from the file as bytes: whatever is no UTF-8 is replaced, not refused.
    constexpr auto replace = nlohmann::json::error_handler_t::replace;
    JsonText text;
    if (texts_.empty()) {
        text.own(json_.dump(-1, ' ', false, replace));
        return text;
    }
    // The members in the order dump() writes them, an array's text items after its JSON ones.
    std::string head = "{";
    for (auto member = json_.begin(); member != json_.end(); ++member) {
        if (member != json_.begin()) head += ',';
        head += nlohmann::json(member.key()).dump(-1, ' ', false, replace);
        head += ':';
        const auto items = texts_.find(member.key());
        if (items == texts_.end()) {
            head += member.value().dump(-1, ' ', false, replace);
            continue;
        }
        head += '[';
        for (const nlohmann::json& item : member.value()) {
            head += item.dump(-1, ' ', false, replace);
            head += ',';
        }
        // The text items are written where they stand, not copied into one string.
        text.own(std::move(head));
        text.pieces.push_back(items->second.joined);
        text.size += items->second.joined.size();
        head = "]";
    }
    text.own(head + '}');
    return text;
}

void GltfDocument::JsonText::own(std::string piece) {
    owned.push_back(std::move(piece));
    pieces.push_back(owned.back());
    size += owned.back().size();
}

bool GltfDocument::write_glb(const std::string& path, std::string& why) {
    const JsonText text = json_text("");
    const std::size_t json_length = padded(text.size);
    const std::size_t total = 12 + 8 + json_length + (binary_length_ ? 8 + binary_length_ : 0);
    if (total > 0xFFFFFFFFu) {
        why = "the binary file would pass 4 GB";
        return false;
    }
    WholeFile out(path);
    out.put("glTF", 4);
    out.put_u32(2);
    out.put_u32(static_cast<std::uint32_t>(total));
    out.put_u32(static_cast<std::uint32_t>(json_length));
    out.put("JSON", 4);
    for (std::string_view piece : text.pieces) out.put(piece.data(), piece.size());
    out.pad(text.size, ' ');
    if (binary_length_) {
        out.put_u32(static_cast<std::uint32_t>(binary_length_));
        out.put("BIN\0", 4);
        put_buffer(views_, out);
    }
    return out.finish(why);
}

bool GltfDocument::write_gltf(const std::string& path, const std::string& bin_path, std::string& why) {
    if (binary_length_) {
        WholeFile bin(bin_path);
        put_buffer(views_, bin);
        if (!bin.finish(why)) return false;
    }
    const JsonText text = json_text(uri_of_file_name(file_name_of(bin_path)));
    WholeFile out(path);
    for (std::string_view piece : text.pieces) out.put(piece.data(), piece.size());
    return out.finish(why);
}
