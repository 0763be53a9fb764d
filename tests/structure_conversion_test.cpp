// The structure conversion end to end: model files through the real program,
// the OBJ and MTL files it leaves read back by a real OBJ reader.
#include <gtest/gtest.h>
#include <tiny_obj_loader.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "support/model_builder.h"
#include "support/model_layout.h"
#include "support/run_program.h"

#ifdef VORLUND_OBJ_PROGRAM

namespace fs = std::filesystem;

namespace {

struct ReadBack {
    tinyobj::attrib_t attrib;
    std::vector<tinyobj::shape_t> shapes;
    std::vector<tinyobj::material_t> materials;
    std::size_t faces = 0;
};

// The OBJ file as an importer sees it, its MTL file found by the mtllib line.
ReadBack read_back(const fs::path& obj) {
    ReadBack r;
    std::string warning, error;
    bool ok = tinyobj::LoadObj(&r.attrib, &r.shapes, &r.materials, &warning, &error, obj.c_str(),
                               (obj.parent_path().string() + "/").c_str(), false);
    EXPECT_TRUE(ok) << error;
    EXPECT_EQ(warning, "") << obj;
    for (const auto& s : r.shapes) r.faces += s.mesh.num_face_vertices.size();
    return r;
}

std::string line_starting(const std::string& text, const std::string& start) {
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        if (line.rfind(start, 0) == 0) return line;
    return {};
}

class StructureConversion : public ::testing::Test {
protected:
    TempFolder folder;
    ProgramRun cli(const std::vector<std::string>& args) {
        return run_program(VORLUND_OBJ_PROGRAM, args, RunSettings{folder.path.string(), false});
    }
};

TEST_F(StructureConversion, PublicCorpusConvertsCleanWithEveryVertexAndTriangle) {
    const fs::path corpus = VORLUND_CORPUS_DIR;
    if (!fs::exists(corpus / "cube.dff")) GTEST_SKIP() << "no public corpus at " << corpus;
    const struct {
        const char* name;
        std::size_t vertices, triangles;
    } cases[] = {{"cube.dff", 24, 12},      {"donut.dff", 36864, 12288}, {"monkey.dff", 2875, 968},
                 {"large-input.dff", 4225, 8192}, {"object.dff", 32, 20},   {"torus.dff", 125, 192}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // A copy: the engine locks the model it reads, and other tests read the corpus at the same time.
        fs::copy_file(corpus / c.name, folder.path / c.name);
        ProgramRun run = cli({"--button", "structure", c.name});
        EXPECT_EQ(run.exit_status, 0) << run.err;
        EXPECT_NE(run.err.find(": structure converted it clean into "), std::string::npos) << run.err;
        ReadBack r = read_back(folder.path / (std::string(c.name) + ".obj"));
        EXPECT_EQ(r.attrib.vertices.size(), 3 * c.vertices);
        EXPECT_EQ(r.faces, c.triangles);
        EXPECT_FALSE(r.materials.empty());
        EXPECT_TRUE(fs::exists(folder.path / (fs::path(c.name).string() + ".mtl")));
    }
}

// Two parts on a frame chain, one geometry no atomic uses, textured materials.
ModelLayout vehicle() {
    ModelLayout m;
    ClumpLayout c;
    FrameLayout body;
    body.name = "body";
    body.matrix = {1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 10};
    FrameLayout wheel;
    wheel.name = "wheel";
    wheel.parent = 0;
    wheel.matrix = {0, 1, 0, -1, 0, 0, 0, 0, 1, 2, 0, 0};  // a quarter turn about z
    c.frames = {body, wheel};
    GeometryLayout g = quad_geometry();
    g.materials = {MaterialLayout{{255, 0, 0, 255}, "paint", ""}, MaterialLayout{{0, 0, 255, 128}, "glass", "glass_a"}};
    g.triangles[1].material = 1;
    c.geometries = {g, g, quad_geometry()};
    c.atomics = {{0, 0}, {1, 1}};
    m.clumps = {c};
    return m;
}

TEST_F(StructureConversion, PlacesPartsAndNamesMaterialsOrKeepsThemLocal) {
    folder.write("car.dff", build_model(vehicle()));
    for (bool local : {false, true}) {
        SCOPED_TRACE(local ? "local" : "world");
        std::vector<std::string> args = {"-b", "structure", "car.dff"};
        if (local) args.insert(args.begin(), "--local");
        ProgramRun run = cli(args);
        EXPECT_EQ(run.exit_status, 0) << run.err;
        ReadBack r = read_back(folder.path / "car.dff.obj");
        ASSERT_EQ(r.shapes.size(), 3u);
        EXPECT_EQ(r.shapes[0].name, "body");
        EXPECT_EQ(r.shapes[1].name, "wheel");
        EXPECT_EQ(r.shapes[2].name, "geometry_2");
        ASSERT_EQ(r.attrib.vertices.size(), 3u * 12u);
        // The wheel's corner (1, 0, 0): turned to (0, 1, 0), moved by 2 in x, then 10 in z.
        const float wheel_corner[3] = {local ? 1.0f : 2.0f, local ? 0.0f : 1.0f, local ? 0.0f : 10.0f};
        for (int k = 0; k < 3; ++k) EXPECT_EQ(r.attrib.vertices[3 * 5 + k], wheel_corner[k]) << k;
        EXPECT_EQ(r.attrib.normals[3 * 4 + 2], 1.0f);
        ASSERT_EQ(r.materials.size(), 5u);
        EXPECT_EQ(r.materials[0].name, "paint");
        EXPECT_EQ(r.materials[0].diffuse_texname, "paint.png");
        EXPECT_EQ(r.materials[1].alpha_texname, "glass_a.png");
        EXPECT_EQ(r.materials[2].name, "paint_2");
        EXPECT_EQ(r.shapes[1].mesh.material_ids, (std::vector<int>{2, 3}));
    }
    const std::string obj = read_file(folder.path / "car.dff.obj");
    EXPECT_EQ(obj.substr(0, obj.find('\n')), "# " + (folder.path / "car.dff").string());
    EXPECT_EQ(line_starting(obj, "mtllib "), "mtllib car.dff.mtl");
}

TEST_F(StructureConversion, AutoKeepsDoubtfulStructureOutputWhenNothingIsClean) {
    ModelLayout m = vehicle();
    m.clumps[0].geometries[0].triangles.push_back({0, 1, 9, 0});  // past the vertex count
    folder.write("bent.dff", build_model(m));
    ProgramRun run = cli({"bent.dff"});
    EXPECT_EQ(run.exit_status, 1);
    EXPECT_NE(run.err.find("bent.dff: no conversion is clean (structure: "), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("vertex index at or past the vertex count 4, left out; go1: "), std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("); structure's doubtful output is kept in "), std::string::npos) << run.err;
    const std::string obj = read_file(folder.path / "bent.dff.obj");
    EXPECT_NE(obj.find("has a vertex index at or past the vertex count 4, left out"), std::string::npos);
    ReadBack r = read_back(folder.path / "bent.dff.obj");
    EXPECT_EQ(r.faces, 6u);

    folder.write("car.dff", build_model(vehicle()));
    run = cli({"car.dff"});
    EXPECT_EQ(run.exit_status, 0);
    EXPECT_NE(run.err.find("car.dff: structure converted it clean into "), std::string::npos) << run.err;
}

}  // namespace

#endif
