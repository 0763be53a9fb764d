#pragma once
// A glTF 2.0 document as it is built: its JSON and the pieces of its one
// binary buffer. A buffer view's place and length are fixed when it is added,
// its bytes are made only while the file is written: a large model's numbers
// never stand in memory beside the model. The builder knows nothing of
// models, so that a whole scene can add its meshes once and its nodes many
// times.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

namespace gltf {
constexpr int unsigned_byte = 5121, unsigned_short = 5123, unsigned_int = 5125, float_type = 5126;
constexpr int array_buffer = 34962, element_array_buffer = 34963;
}  // namespace gltf

// A file's path relative to the document as a URI: every byte outside the
// unreserved set percent-encoded, but '/' (and Windows' '\\') separating its folders.
std::string uri_of_file_name(const std::string& name);

class GltfDocument {
public:
    // Writes exactly the view's length of bytes.
    using Fill = std::function<void(std::uint8_t* out)>;

    GltfDocument();

    nlohmann::json& json() { return json_; }
    const nlohmann::json& json() const { return json_; }

    // Appends item to the top-level array named (meshes, nodes, ...); its index.
    int add(const char* array, nlohmann::json item);
    // The same for an item already written as JSON text (valid, names made
    // UTF-8): for the tens of thousands of small items of animations, which
    // would spend most of a character's time as JSON objects.
    int add_text(const char* array, std::string_view item);
    // count such items, comma-separated, written by write(std::string&)
    // straight onto the array's text; the index of the first.
    template <class Write>
    int write_text(const char* array, std::size_t count, Write&& write) {
        const auto [text, first] = text_items(array, count);
        write(*text);
        return first;
    }
    // Items in the top-level array named, both kinds.
    std::size_t count(const char* array) const;

    nlohmann::json& node(int index) { return json_["nodes"][static_cast<std::size_t>(index)]; }
    // Makes child one of parent's children, after those it has.
    void attach(int parent, int child);
    // A node named name that turns the format's z-up world into glTF's y-up
    // one (x stays, z becomes y, y becomes -z); its index.
    int add_z_up_root(const std::string& name);

    // A buffer view of length bytes (more than 0), 4-byte aligned in the
    // buffer; target 0 for none (images).
    int add_view(std::size_t length, Fill fill, int target = 0);

    // An accessor over a whole view; min and max only when not null.
    int add_accessor(int view, int component_type, std::size_t count, const char* type, bool normalized = false,
                     const nlohmann::json& min = nullptr, const nlohmann::json& max = nullptr);

    std::size_t binary_length() const { return binary_length_; }

    // The binary container: JSON and buffer in one file.
    bool write_glb(const std::string& path, std::string& why);
    // The JSON file with its buffer in bin_path, named in the JSON by its file name.
    bool write_gltf(const std::string& path, const std::string& bin_path, std::string& why);

private:
    struct View {
        std::size_t offset, length;
        Fill fill;
    };
    // The JSON in pieces to write in order: the text items stay where they are.
    struct JsonText {
        std::deque<std::string> owned;  // a deque: its strings stay put as it grows
        std::vector<std::string_view> pieces;
        std::size_t size = 0;
        void own(std::string piece);
    };
    // The JSON with its buffer, named by buffer_uri unless that is empty.
    JsonText json_text(const std::string& buffer_uri);

    // Items added as text, which follow an array's JSON items.
    struct TextItems {
        std::string joined;  // comma-separated
        std::size_t count = 0;
    };
    // The array's text, ready for count more items (its comma written), and the index of the first.
    std::pair<std::string*, int> text_items(const char* array, std::size_t count);

    nlohmann::json json_;
    std::map<std::string, TextItems> texts_;
    std::vector<View> views_;
    std::size_t binary_length_ = 0;
};
