#pragma once
// The OBJ text as it grows: handed on in pieces when a sink takes it, with
// the conversion's doubt kept beside it.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

class ObjTextOut {
public:
    ObjTextOut(std::string& text, const std::function<void(std::string_view)>& sink)
        : text_(text), sink_(sink) {}

    void append(const char* bytes, std::size_t count) {
        text_.append(bytes, count);
        if (sink_ && text_.size() >= piece_size) hand_on();
    }
    void append(std::string_view s) { append(s.data(), s.size()); }

    // A "# " line; newlines in text must not end the comment early.
    void comment(std::string_view text);
    // A comment that makes the conversion doubtful.
    void doubt(std::string_view text) {
        comment(text);
        if (!doubtful) first_doubt = text;
        doubtful = true;
    }

    // Hands whatever is gathered to the sink, if there is one.
    void hand_on();
    std::uint64_t size() const { return handed_ + text_.size(); }

    bool doubtful = false;
    std::string first_doubt;  // what made it doubtful first, for a one-line reason

private:
    static constexpr std::size_t piece_size = 1 << 20;
    std::string& text_;
    const std::function<void(std::string_view)>& sink_;
    std::uint64_t handed_ = 0;
};
