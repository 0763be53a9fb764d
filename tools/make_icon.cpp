// Draws the program's icon, a shaded cube with its mesh lines, and writes it as
// an .ico file: one 32 x 32 image with a 256-colour palette.
// Usage: make_icon OUTPUT.ico   (the committed icon is ui/vorlund.ico)
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr int size = 32;

enum Colour : unsigned char { transparent = 0, outline, top_face, left_face, right_face, mesh };

struct Rgb {
    unsigned char r, g, b;
};

// The colours the picture uses first; the rest of the 256 entries are a grey ramp.
constexpr Rgb named_colours[] = {
    {0, 0, 0}, {48, 32, 16}, {252, 206, 120}, {224, 142, 52}, {162, 88, 30}, {120, 70, 24},
};

struct Point {
    int x, y;
};

// The cube seen from above a corner: six outer corners and the near corner.
constexpr Point top{16, 1}, upper_left{2, 8}, upper_right{29, 8}, centre{16, 15},
    lower_left{2, 23}, lower_right{29, 23}, bottom{16, 30};

using Picture = std::vector<unsigned char>;  // size * size palette indices, top row first

long cross(Point a, Point b, int px, int py) {
    return static_cast<long>(b.x - a.x) * (py - a.y) - static_cast<long>(b.y - a.y) * (px - a.x);
}

// Fills the convex quadrilateral a b c d (either winding) with colour.
void fill_quad(Picture& picture, Point a, Point b, Point c, Point d, Colour colour) {
    const Point corners[4] = {a, b, c, d};
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            int positive = 0, negative = 0;
            for (int i = 0; i < 4; ++i) {
                long side = cross(corners[i], corners[(i + 1) % 4], x, y);
                positive += side > 0;
                negative += side < 0;
            }
            if (positive == 0 || negative == 0) picture[y * size + x] = colour;
        }
}

void draw_line(Picture& picture, Point from, Point to, Colour colour) {
    int dx = std::abs(to.x - from.x), dy = -std::abs(to.y - from.y);
    int step_x = from.x < to.x ? 1 : -1, step_y = from.y < to.y ? 1 : -1;
    int error = dx + dy;
    for (Point p = from;;) {
        picture[p.y * size + p.x] = colour;
        if (p.x == to.x && p.y == to.y) break;
        int twice = 2 * error;
        if (twice >= dy) error += dy, p.x += step_x;
        if (twice <= dx) error += dx, p.y += step_y;
    }
}

Point midpoint(Point a, Point b) { return {(a.x + b.x) / 2, (a.y + b.y) / 2}; }

Picture draw_cube() {
    Picture picture(size * size, transparent);
    fill_quad(picture, top, upper_right, centre, upper_left, top_face);
    fill_quad(picture, upper_left, centre, bottom, lower_left, left_face);
    fill_quad(picture, centre, upper_right, lower_right, bottom, right_face);
    // One diagonal per face and the face midlines: the triangles of a mesh.
    draw_line(picture, upper_left, upper_right, mesh);
    draw_line(picture, upper_left, bottom, mesh);
    draw_line(picture, centre, lower_right, mesh);
    draw_line(picture, midpoint(upper_left, lower_left), midpoint(centre, bottom), mesh);
    draw_line(picture, midpoint(centre, bottom), midpoint(upper_right, lower_right), mesh);
    const Point rim[] = {top, upper_right, lower_right, bottom, lower_left, upper_left, top};
    for (int i = 0; i + 1 < 7; ++i) draw_line(picture, rim[i], rim[i + 1], outline);
    draw_line(picture, upper_left, centre, outline);
    draw_line(picture, centre, upper_right, outline);
    draw_line(picture, centre, bottom, outline);
    return picture;
}

void put16(std::vector<unsigned char>& out, unsigned value) {
    out.push_back(value & 0xFF);
    out.push_back((value >> 8) & 0xFF);
}

void put32(std::vector<unsigned char>& out, unsigned value) {
    put16(out, value & 0xFFFF);
    put16(out, value >> 16);
}

std::vector<unsigned char> encode_icon(const Picture& picture) {
    constexpr unsigned palette_bytes = 256 * 4;
    constexpr unsigned colour_bytes = size * size;        // one byte a pixel, rows of 32
    constexpr unsigned mask_bytes = size * (size / 8);    // one bit a pixel, rows of 4 bytes
    constexpr unsigned image_bytes = 40 + palette_bytes + colour_bytes + mask_bytes;
    std::vector<unsigned char> out;
    // Icon directory with its one entry.
    put16(out, 0);
    put16(out, 1);  // an icon
    put16(out, 1);  // one image
    out.push_back(size);
    out.push_back(size);
    out.push_back(0);  // 0 stands for 256 colours
    out.push_back(0);
    put16(out, 1);  // planes
    put16(out, 8);  // bits a pixel
    put32(out, image_bytes);
    put32(out, 6 + 16);
    // The image: a bitmap header whose height counts the colour rows and the mask rows.
    put32(out, 40);
    put32(out, size);
    put32(out, 2 * size);
    put16(out, 1);
    put16(out, 8);
    put32(out, 0);  // uncompressed
    put32(out, colour_bytes + mask_bytes);
    put32(out, 0);
    put32(out, 0);
    put32(out, 0);  // all 256 palette entries
    put32(out, 0);
    constexpr unsigned named = sizeof named_colours / sizeof named_colours[0];
    for (unsigned i = 0; i < 256; ++i) {
        Rgb c = i < named ? named_colours[i]
                          : Rgb{static_cast<unsigned char>(i), static_cast<unsigned char>(i),
                                static_cast<unsigned char>(i)};
        out.push_back(c.b);
        out.push_back(c.g);
        out.push_back(c.r);
        out.push_back(0);
    }
    // Rows bottom up, as bitmaps store them.
    for (int y = size - 1; y >= 0; --y)
        for (int x = 0; x < size; ++x) out.push_back(picture[y * size + x]);
    // The mask: a set bit lets the background through.
    for (int y = size - 1; y >= 0; --y)
        for (int byte = 0; byte < size / 8; ++byte) {
            unsigned char bits = 0;
            for (int bit = 0; bit < 8; ++bit)
                if (picture[y * size + byte * 8 + bit] == transparent) bits |= 0x80 >> bit;
            out.push_back(bits);
        }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_icon OUTPUT.ico\n");
        return 2;
    }
    const std::vector<unsigned char> icon = encode_icon(draw_cube());
    std::FILE* file = std::fopen(argv[1], "wb");
    if (!file) {
        std::perror(argv[1]);
        return 1;
    }
    bool written = std::fwrite(icon.data(), 1, icon.size(), file) == icon.size();
    if (std::fclose(file) != 0 || !written) {
        std::perror(argv[1]);
        return 1;
    }
    return 0;
}
