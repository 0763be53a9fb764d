// Vehicles through the real program, as OBJ and glb read back: the parts
// shown, a wheel at every wheel dummy (the car's own and the older games'
// generic one), placed, turned and scaled as the game does, the marker
// colours painted; the note's worked examples among the rows.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "support/archive_writer.h"
#include "support/cli_fixture.h"
#include "support/dictionary_builder.h"
#include "support/gltf_reader.h"
#include "support/vehicle_layouts.h"

#ifdef VORLUND_OBJ_PROGRAM

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

using Point = std::array<double, 3>;

// Each object's vertices, in the model's z-up space.
std::map<std::string, std::vector<Point>> obj_objects(const std::string& text) {
    std::map<std::string, std::vector<Point>> out;
    std::string current;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        std::string word;
        words >> word;
        if (word == "o") words >> current;
        if (word == "v") {
            Point p{};
            words >> p[0] >> p[1] >> p[2];
            out[current].push_back(p);
        }
    }
    return out;
}

// Each named mesh node's vertices placed by the nodes above it, back in z-up space.
void glb_objects(const Gltf& g, int node, const Matrix& parent, std::map<std::string, std::vector<Point>>& out) {
    const json& n = g.doc["nodes"][node];
    Matrix local = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    if (n.contains("matrix")) for (int i = 0; i < 16; ++i) local[i] = n["matrix"][i];
    if (n.contains("scale")) for (int k = 0; k < 3; ++k) for (int r = 0; r < 3; ++r) local[4 * k + r] *= n["scale"][k].get<double>();
    if (n.contains("rotation")) {
        const double x = n["rotation"][0], y = n["rotation"][1], z = n["rotation"][2], w = n["rotation"][3];
        const Matrix r = {1 - 2 * (y * y + z * z), 2 * (x * y + z * w), 2 * (x * z - y * w), 0,
                          2 * (x * y - z * w), 1 - 2 * (x * x + z * z), 2 * (y * z + x * w), 0,
                          2 * (x * z + y * w), 2 * (y * z - x * w), 1 - 2 * (x * x + y * y), 0, 0, 0, 0, 1};
        local = times(r, local);
    }
    if (n.contains("translation")) for (int k = 0; k < 3; ++k) local[12 + k] = n["translation"][k];
    const Matrix world = times(parent, local);
    if (n.contains("mesh")) {
        const json& primitives = g.doc["meshes"][n["mesh"].get<int>()]["primitives"];
        const std::vector<double> p = numbers(g, primitives[0]["attributes"]["POSITION"]);
        for (std::size_t i = 0; i + 2 < p.size(); i += 3) {
            double w[3];
            for (int r = 0; r < 3; ++r) w[r] = world[r] * p[i] + world[4 + r] * p[i + 1] + world[8 + r] * p[i + 2] + world[12 + r];
            out[n.value("name", "")].push_back({w[0], -w[2], w[1]});
        }
    }
    for (const json& child : n.value("children", json::array())) glb_objects(g, child, world, out);
}

std::vector<std::array<double, 3>> mtl_colours(const std::string& text) {
    std::vector<std::array<double, 3>> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        if (line.rfind("Kd ", 0) == 0) {
            std::istringstream words(line.substr(3));
            std::array<double, 3> c{};
            words >> c[0] >> c[1] >> c[2];
            out.push_back(c);
        }
    return out;
}

// The materials' base colours, back from linear to the 0..1 of an OBJ Kd.
std::vector<std::array<double, 3>> glb_colours(const Gltf& g) {
    std::vector<std::array<double, 3>> out;
    for (const json& m : g.doc.value("materials", json::array())) {
        const json factor = m.value("pbrMetallicRoughness", json::object()).value("baseColorFactor", json::array({1, 1, 1, 1}));
        std::array<double, 3> c{};
        for (int k = 0; k < 3; ++k) {
            const double v = factor[k].get<double>();
            c[k] = v <= 0.0031308 ? v * 12.92 : 1.055 * std::pow(v, 1 / 2.4) - 0.055;
        }
        out.push_back(c);
    }
    return out;
}

bool near(const std::array<double, 3>& a, const std::array<double, 3>& b, double within = 0.002) {
    for (int k = 0; k < 3; ++k)
        if (std::fabs(a[k] - b[k]) > within) return false;
    return true;
}

bool has_colour(const std::vector<std::array<double, 3>>& list, const std::array<double, 3>& c) {
    for (const auto& l : list)
        if (near(l, c)) return true;
    return false;
}

// Faces drawn in a material of colour c: the OBJ's by usemtl and its MTL's Kd,
// the glb's by primitive and its base colour.
int obj_faces_in(const std::string& obj, const std::string& mtl, const std::array<double, 3>& c) {
    std::map<std::string, std::array<double, 3>> kd;
    std::string name;
    std::istringstream materials(mtl);
    for (std::string line; std::getline(materials, line);) {
        std::istringstream words(line);
        std::string word;
        words >> word;
        if (word == "newmtl") words >> name;
        if (word == "Kd") words >> kd[name][0] >> kd[name][1] >> kd[name][2];
    }
    int faces = 0;
    bool in_c = false;
    std::istringstream in(obj);
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("usemtl ", 0) == 0) in_c = kd.count(line.substr(7)) && near(kd[line.substr(7)], c);
        if (line.rfind("f ", 0) == 0 && in_c) ++faces;
    }
    return faces;
}

int glb_faces_in(const Gltf& g, const std::array<double, 3>& c) {
    const auto colours = glb_colours(g);
    int faces = 0;
    for (const json& mesh : g.doc.value("meshes", json::array()))
        for (const json& p : mesh["primitives"])
            if (p.contains("material") && p.contains("indices") && near(colours[p["material"].get<std::size_t>()], c))
                faces += static_cast<int>(numbers(g, p["indices"].get<int>()).size() / 3);
    return faces;
}

// A body whose triangle records all say material 0, and whose draw lists put
// its second triangle on a primary marker material: the paint follows the lists.
ModelLayout painted_by_draw_lists() {
    GeometryLayout g;
    g.positions = {-1, -2, 0, 1, -2, 0, 1, 2, 0, -1, 2, 0};
    g.triangles = {{0, 1, 2, 0}, {0, 2, 3, 0}};
    MaterialLayout plain, marker;
    marker.color = {60, 255, 0, 255};
    g.materials = {plain, marker};
    g.bin_mesh = BinMeshLayout{0, {{0, {0, 1, 2}}, {1, {0, 2, 3}}}};
    ClumpLayout c;
    c.frames.resize(3);
    c.frames[1].name = "chassis_dummy";
    c.frames[1].parent = 0;
    c.frames[2].name = "chassis";
    c.frames[2].parent = 1;
    c.geometries = {g};
    c.atomics = {{2, 0}};
    ModelLayout m;
    m.clumps = {c};
    return m;
}

class Vehicles : public CliFolder {};

TEST_F(Vehicles, PartsWheelsAndPaintAsTheGameDrawsThemInObjAndGlb) {
    folder.write("own.dff", build_model(own_wheel_car()));
    folder.write("mycar.dff", build_model(generic_wheel_car()));
    folder.write("wheels.dff", build_model(wheels_file()));
    folder.write("drawlist.dff", build_model(painted_by_draw_lists()));
    folder.write("cars.ide", std::vector<std::uint8_t>(vehicle_items, vehicle_items + std::strlen(vehicle_items)));
    folder.write("carcols.dat", std::vector<std::uint8_t>(vehicle_colours, vehicle_colours + std::strlen(vehicle_colours)));
    const std::vector<std::string> by_hand = {"--ide", "cars.ide", "--wheels", "wheels.dff"};
    const std::array<double, 3> grey = {0.702, 0.702, 0.702}, white = {1, 1, 1}, red = {0.510, 0, 0},
                                black = {0.0196, 0.0196, 0.0196}, lime = {60 / 255.0, 1, 0};
    struct Row {
        const char* model;
        std::vector<std::string> args;
        std::set<std::string> objects;                 // exactly these objects
        std::map<std::string, Point> first_vertex;     // of these objects
        std::vector<std::array<double, 3>> colours;    // among the materials' (OBJ Kd; glb by the same numbers)
        const char* told = "";                         // a line stderr holds
        int faces_in_first_colour = -1;                // when not -1: faces drawn in colours[0]
    } rows[] = {
        // The third game's worked example: no cars line, wheel_lb_dummy at (-0.9, -1.4, -0.3).
        {"own", {},
         {"chassis", "door_lf_ok", "bonnet_lo", "wheel_rf", "wheel_lf", "wheel_rb", "wheel_lb", "wheel_rm", "wheel_lm"},
         {{"wheel_lb", {-1.06, -1.5, 0.06}}, {"wheel_rf", {1.06, 1.5, 0.06}}, {"wheel_lm", {-1.06, -0.1, 0.06}}},
         {grey, white}},
        {"own", {"--parts", "damaged", "--extras", "1"},
         {"chassis", "door_lf_dam", "extra1", "bonnet_lo", "wheel_rf", "wheel_lf", "wheel_rb", "wheel_lb", "wheel_rm", "wheel_lm"},
         {{"door_lf_dam", {-0.8, 0.5, 0}}}, {}},
        {"own", {"--parts", "far"},
         {"chassis_vlo", "wheel_rf", "wheel_lf", "wheel_rb", "wheel_lb", "wheel_rm", "wheel_lm"}, {}, {}},
        {"own", {"--parts", "all"},
         {"chassis", "chassis_vlo", "wheel", "door_lf_ok", "door_lf_dam", "extra1", "bonnet_lo"}, {}, {grey}},
        // The second game's worked example: wheel scale 0.7 on wheel_x from wheels.dff.
        {"mycar", by_hand,
         {"chassis", "bonnet_hi_ok", "wheel_lf", "wheel_rf"},
         {{"wheel_lf", {-1.074, 1.6, -0.1}}, {"wheel_rf", {1.074, 1.6, -0.1}}}, {grey}},
        {"mycar", {"--ide", "cars.ide", "--wheels", "wheels.dff", "--carcols", "carcols.dat", "--paint", "1,0"},
         {"chassis", "bonnet_hi_ok", "wheel_lf", "wheel_rf"}, {}, {red, black}},
        {"mycar", {"--ide", "cars.ide", "--wheels", "wheels.dff", "--carcols", "carcols.dat"},
         {"chassis", "bonnet_hi_ok", "wheel_lf", "wheel_rf"}, {}, {red, black}},
        {"mycar", {"--ide", "cars.ide", "--parts", "far"}, {"chassis_vlo", "chassis"}, {}, {}},
        {"mycar", {"--parts", "damaged", "--extras", "2,5"}, {"chassis", "bonnet_hi_dam", "extra2"}, {}, {}},
        {"mycar", {}, {"chassis", "bonnet_hi_ok"}, {}, {grey},
         "converted without wheels: no cars line names this model"},
        {"mycar", {"--ide", "cars.ide"}, {"chassis", "bonnet_hi_ok"}, {}, {},
         "no wheels.dff was given"},
        // A marker only the draw lists name is painted too.
        {"drawlist", {"--carcols", "carcols.dat", "--paint", "1,0"}, {"chassis"}, {}, {red}, "", 1},
    };
    for (const Row& row : rows) {
        std::vector<std::string> args = {"-f", "obj,glb", "-o", "out"};
        args.insert(args.end(), row.args.begin(), row.args.end());
        args.push_back(std::string(row.model) + ".dff");
        std::string what = row.model;
        for (const std::string& a : row.args) what += " " + a;
        const ProgramRun run = cli(args);
        ASSERT_EQ(run.exit_status, 0) << what << "\n" << run.err;
        EXPECT_NE(run.err.find(row.told), std::string::npos) << what << "\n" << run.err;
        auto obj = obj_objects(read_file(at("out/" + std::string(row.model) + ".dff.obj")));
        std::map<std::string, std::vector<Point>> glb;
        const Gltf g = read_glb(at("out/" + std::string(row.model) + ".dff.glb"));
        glb_objects(g, g.doc["scenes"][0]["nodes"][0], {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}, glb);
        for (const auto* found : {&obj, &glb}) {
            std::set<std::string> names;
            for (const auto& [name, points] : *found) names.insert(name);
            EXPECT_EQ(names, row.objects) << what << (found == &obj ? " (OBJ)" : " (glb)");
            for (const auto& [name, point] : row.first_vertex) {
                ASSERT_TRUE(found->count(name)) << what << " " << name;
                EXPECT_TRUE(near(found->at(name).front(), point, 1e-4))
                    << what << " " << name << ": " << found->at(name).front()[0] << " " << found->at(name).front()[1]
                    << " " << found->at(name).front()[2];
            }
        }
        // The wheel's mesh is written once, whatever the number of dummies.
        std::set<int> wheel_meshes;
        for (const json& n : g.doc["nodes"])
            if (n.value("name", "").rfind("wheel_", 0) == 0 && n.contains("mesh")) wheel_meshes.insert(n["mesh"].get<int>());
        EXPECT_LE(wheel_meshes.size(), 1u) << what;
        const auto kd = mtl_colours(read_file(at("out/" + std::string(row.model) + ".dff.mtl")));
        const auto base = glb_colours(g);
        if (row.faces_in_first_colour >= 0) {
            const std::string obj_text = read_file(at("out/" + std::string(row.model) + ".dff.obj"));
            const std::string mtl_text = read_file(at("out/" + std::string(row.model) + ".dff.mtl"));
            EXPECT_EQ(obj_faces_in(obj_text, mtl_text, row.colours[0]), row.faces_in_first_colour) << what << " (OBJ)";
            EXPECT_EQ(glb_faces_in(g, row.colours[0]), row.faces_in_first_colour) << what << " (glb)";
        }
        for (const auto* found : {&kd, &base}) {
            const char* format = found == &kd ? " (OBJ)" : " (glb)";
            EXPECT_FALSE(has_colour(*found, lime)) << what << format << ": a marker left unpainted";
            for (const auto& c : row.colours)
                EXPECT_TRUE(has_colour(*found, c)) << what << format << ": " << c[0] << " " << c[1] << " " << c[2];
        }
    }
}

TEST_F(Vehicles, PaintPastTheTableIsAUsageErrorAndInspectNamesTheParts) {
    folder.write("mycar.dff", build_model(generic_wheel_car()));
    folder.write("cars.ide", std::vector<std::uint8_t>(vehicle_items, vehicle_items + std::strlen(vehicle_items)));
    folder.write("carcols.dat", std::vector<std::uint8_t>(vehicle_colours, vehicle_colours + std::strlen(vehicle_colours)));
    const ProgramRun past = cli({"--carcols", "carcols.dat", "--paint", "1,2", "-o", "out", "mycar.dff"});
    EXPECT_EQ(past.exit_status, 2);
    EXPECT_NE(past.err.find("which holds 2 colours"), std::string::npos) << past.err;
    const ProgramRun inspect = cli({"--inspect", "--ide", "cars.ide", "mycar.dff"});
    for (const char* line : {"wheel dummies: wheel_lf_dummy wheel_rf_dummy",
                             "wheel drawn: none (wheel_x is in wheels.dff, and no wheels.dff was given (--wheels, --game))",
                             "parts damaged (_dam): bonnet_hi_dam", "parts far (_vlo): chassis_vlo",
                             "marker: geometry 0 material 0 primary", "marker: geometry 0 material 1 secondary (texture grunge)"})
        EXPECT_NE(inspect.out.find(line), std::string::npos) << line << "\n" << inspect.out;
}

// A 1x1 texture a name, for where a material's texture is looked up.
std::vector<std::uint8_t> textures_named(const std::string& name) {
    TextureLayout t;
    t.name = name, t.raster_format = 0x600, t.format = 22;
    t.levels = {{1, 2, 3, 0}};
    return build_dictionary({t});
}

TEST_F(Vehicles, TheGameGivesCarsLinesWheelsColoursAndVehicleTexturesFirst) {
    fs::create_directories(folder.path / "Game/DATA");
    fs::create_directories(folder.path / "Game/models/Generic");
    folder.write("Game/models/mycar.dff", build_model(generic_wheel_car()));
    // The newest game's car in the main archive with its dictionary, which its cars line names.
    ArchiveLayout archive;
    archive.entries = {{"own.dff", build_model(own_wheel_car())}, {"own.txd", textures_named("body")}};
    folder.write("Game/models/gta3.img", build_version2(archive));
    const std::string own_line = "cars\n400, own, own, car, OWN, OWN, null, normal, 10, 7, 0, 0, 0.7, 0.7, -1\nend\n";
    folder.write("Game/DATA/own.ide", std::vector<std::uint8_t>(own_line.begin(), own_line.end()));
    folder.write("Game/models/Generic/Wheels.DFF", build_model(wheels_file()));
    folder.write("Game/models/Generic/vehicle.txd", textures_named("body"));
    folder.write("Game/DATA/cars.ide", std::vector<std::uint8_t>(vehicle_items, vehicle_items + std::strlen(vehicle_items)));
    folder.write("Game/DATA/CarCols.dat", std::vector<std::uint8_t>(vehicle_colours, vehicle_colours + std::strlen(vehicle_colours)));
    const std::string dat = "IDE DATA\\CARS.IDE\r\nIDE DATA\\OWN.IDE\r\nTEXDICTION MODELS\\GENERIC\\VEHICLE.TXD\r\n"
                            "MODELFILE MODELS\\GENERIC\\WHEELS.DFF\r\nMODELFILE MODELS\\MYCAR.DFF\r\n";
    folder.write("Game/DATA/gta.dat", std::vector<std::uint8_t>(dat.begin(), dat.end()));
    const ProgramRun run = cli({"--game", at("Game"), "-o", "out"});
    const auto objects = obj_objects(read_file(at("out/models/mycar.dff.obj")));
    ASSERT_TRUE(objects.count("wheel_lf")) << run.err;
    EXPECT_TRUE(near(objects.at("wheel_lf").front(), {-1.074, 1.6, -0.1}, 1e-4));
    EXPECT_TRUE(has_colour(mtl_colours(read_file(at("out/models/mycar.dff.mtl"))), {0.0196, 0.0196, 0.0196})) << run.err;
    // The newest game's car takes vehicle.txd's texture over its own dictionary's of the same name.
    const std::string own_mtl = read_file(at("out/gta3/own.dff.mtl"));
    EXPECT_NE(own_mtl.find("textures/vehicle/body.png"), std::string::npos) << own_mtl << run.err;
}

}  // namespace

#endif
