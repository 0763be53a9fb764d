#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <utility>

// Tells of trouble with single vertices or triangles, a line each up to a
// limit, then how many more: a damaged geometry must not bury the output in notes.
class TroubleTally {
public:
    static constexpr std::size_t told_at_most = 16;

    TroubleTally(std::function<void(const std::string&)> say, const std::string& where, const char* kind)
        : say_(std::move(say)), where_(where), kind_(kind) {}
    TroubleTally(const TroubleTally&) = delete;
    TroubleTally& operator=(const TroubleTally&) = delete;
    void tell(const std::string& what) {
        if (told_++ < told_at_most) say_(where_ + ": " + what);
    }
    ~TroubleTally() {
        if (told_ > told_at_most) say_(where_ + ": " + std::to_string(told_ - told_at_most) + " more " + kind_);
    }

private:
    std::function<void(const std::string&)> say_;
    const std::string& where_;
    const char* kind_;
    std::size_t told_ = 0;
};
