#include "game/car_colours.h"

#include "game/text_lines.h"

namespace {

enum class Section { none, col, car, car4 };

bool starts_with(std::string_view line, std::string_view word) {
    return line.substr(0, word.size()) == word;
}

// Commas, CR and (in colour lines) dots separate like blanks; a real colour
// line reads "77.93,96".
std::vector<std::string_view> words(std::string_view line, bool dots_separate) {
    std::vector<std::string_view> out;
    std::size_t i = 0;
    auto separator = [&](char c) {
        return c == ' ' || c == '\t' || c == ',' || c == '\r' || c == '\v' || c == '\f' || (dots_separate && c == '.');
    };
    while (i < line.size()) {
        while (i < line.size() && separator(line[i])) ++i;
        const std::size_t start = i;
        while (i < line.size() && !separator(line[i])) ++i;
        if (i > start) out.push_back(line.substr(start, i - start));
    }
    return out;
}

bool byte_value(std::string_view field, std::uint8_t& out) {
    unsigned value = 0;
    if (!parse_number(field, value) || value > 255) return false;
    out = static_cast<std::uint8_t>(value);
    return true;
}

void read_colour(std::string_view line, std::size_t number, CarColourFile& out) {
    const auto w = words(line, true);
    std::array<std::uint8_t, 3> rgb{};
    if (w.size() < 3 || !byte_value(w[0], rgb[0]) || !byte_value(w[1], rgb[1]) || !byte_value(w[2], rgb[2])) {
        out.skipped.push_back({number, "a colour that is not three numbers from 0 to 255"});
        // Keeps the later colours at their indices.
        rgb = {0, 0, 0};
    }
    if (out.colours.size() >= max_car_colours) {
        out.skipped.push_back({number, "the colour table is full (" + std::to_string(max_car_colours) + ")"});
        return;
    }
    out.colours.push_back(rgb);
}

void read_car(std::string_view line, std::size_t number, std::size_t per_group, CarColourFile& out) {
    const auto w = words(line, false);
    if (w.empty()) return;
    const std::size_t indices = w.size() - 1;
    if (indices == 0 || indices % per_group != 0 || indices > 8 * per_group) {
        out.skipped.push_back({number, "a car line needs a model and 1 to 8 groups of " + std::to_string(per_group) +
                                           " colour indices"});
        return;
    }
    CarColourLine car;
    car.model = std::string(w[0]);
    car.line = number;
    for (std::size_t g = 0; g < indices / per_group; ++g) {
        CarPaint paint{0, 0, 0, 0};
        for (std::size_t k = 0; k < per_group; ++k)
            if (!byte_value(w[1 + g * per_group + k], paint[k])) {
                out.skipped.push_back({number, "a colour index that is not a number from 0 to 255"});
                return;
            }
        car.combinations.push_back(paint);
    }
    for (CarColourLine& known : out.cars)
        if (same_name(known.model, car.model)) {
            known.combinations.insert(known.combinations.end(), car.combinations.begin(), car.combinations.end());
            return;
        }
    out.cars.push_back(std::move(car));
}

}  // namespace

CarColourFile read_car_colours(std::string_view text) {
    CarColourFile out;
    Section section = Section::none;
    std::size_t number = 0;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        ++number;
        const std::size_t hash = line.find('#');
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t' || line.front() == ',' || line.front() == '\r'))
            line.remove_prefix(1);
        if (line.empty() || line.front() == '#') continue;
        if (hash != std::string_view::npos) line = line.substr(0, line.find('#'));
        if (words(line, false).empty()) continue;
        if (section == Section::none) {
            if (starts_with(line, "col")) section = Section::col;
            else if (starts_with(line, "car4")) section = Section::car4;
            else if (starts_with(line, "car")) section = Section::car;
            else out.skipped.push_back({number, "outside any section"});
            continue;
        }
        if (starts_with(line, "end")) {
            section = Section::none;
            continue;
        }
        if (section == Section::col) read_colour(line, number, out);
        else read_car(line, number, section == Section::car4 ? 4 : 2, out);
    }
    return out;
}

const CarColourLine* car_colours_of(const CarColourFile& file, std::string_view model) {
    for (const CarColourLine& car : file.cars)
        if (same_name(car.model, model)) return &car;
    return nullptr;
}

std::string car_colour_notes_text(const CarColourFile& file, std::string_view file_name) {
    if (file.skipped.empty()) return {};
    std::string text = std::string(file_name) + ": ";
    for (std::size_t i = 0; i < file.skipped.size(); ++i) {
        if (i) text += i + 1 == file.skipped.size() ? " and " : ", ";
        text += "line " + std::to_string(file.skipped[i].line) + " (" + file.skipped[i].reason + ")";
    }
    return text + " skipped";
}
