#include "cli/options.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "control/commands.h"

const char help_text[] =
    "usage: vorlund-obj [-b structure|go1|go2|go3|go4|auto] [--local] [--recursive]\n"
    "                   [-f obj|glb|gltf[,...]] [--night] [--collision] [-o DIR]\n"
    "                   [-j N] [-q|-v]\n"
    "                   [--exact-text] [-t DICTIONARY.txd]... [--no-textures]\n"
    "                   [--ide FILE.ide]... [--animations FILE.ifp]...\n"
    "                   [--animation-names NAME[,NAME...]] MODEL_FOLDER_OR_ARCHIVE...\n"
    "       vorlund-obj --game GAME_FOLDER -o DIR [options]\n"
    "       vorlund-obj --inspect [--recursive] MODEL_FOLDER_OR_ARCHIVE...\n"
    "       vorlund-obj --extract [--recursive] [--game DIR] [-o DIR]\n"
    "                   DICTIONARY.txd_FOLDER_OR_ARCHIVE...\n"
    "       vorlund-obj --map PLACEMENT.ipl... --ide ITEMS.ide... [--lod] [--interiors]\n"
    "                   [--scale] [--hour H] [-f obj|glb|gltf[,...]] -o DIR\n"
    "                   MODEL_FOLDER_OR_ARCHIVE...\n"
    "       vorlund-obj --map all|PLACEMENT.ipl --game GAME_FOLDER -o DIR [map options]\n"
    "\n"
    "Converts Vorlund model files (*.dff) into Wavefront OBJ text. Each model's OBJ file\n"
    "is written beside it, named after the model's whole file name with \".obj\" added\n"
    "(house.dff gives house.dff.obj); an existing file of that name is replaced.\n"
    "\n"
    "  -b, --button BUTTON    the conversion:\n"
    "                           structure reads the model by its chunk structure: every\n"
    "                             part placed by its frames, with materials in an MTL\n"
    "                             file beside the OBJ file (house.dff.mtl)\n"
    "                           go1 ... go4 the search strategies, as the window's buttons\n"
    "                           auto (default) tries structure, go1, go2, go3, go4 in\n"
    "                             turn and keeps the first clean result; when none is\n"
    "                             clean the OBJ file keeps structure's doubtful output if\n"
    "                             it converted any geometry, and is left empty otherwise\n"
    "                           structure and go1 ... go4 keep their output even when it\n"
    "                             is doubtful\n"
    "  -f, --format LIST      structure: the files to write, comma-separated (default obj):\n"
    "                           obj  house.dff.obj with its MTL file\n"
    "                           glb  house.dff.glb, glTF 2.0 with the frames' hierarchy,\n"
    "                             every UV set, the vertex colours and the textures inside\n"
    "                           gltf house.dff.gltf with house.dff.bin and the PNG files\n"
    "                             beside it\n"
    "                           glb and gltf cannot be used with go1 ... go4; with auto, a\n"
    "                           model only a search strategy converts gets its OBJ file;\n"
    "                           with --map, the scene's files: map.obj, map.glb, map.gltf\n"
    "      --local            structure: every part stays in its own frame's space\n"
    "                           (a skinned character as stored, not stood upright)\n"
    "      --night            structure: write the night vertex colours instead of the\n"
    "                           day ones (a geometry without them keeps its day colours)\n"
    "      --collision        structure: also write the model's collision (the record\n"
    "                           it embeds, else the one of its name in the collision\n"
    "                           files named or the game's) as house.dff.col.obj, and in\n"
    "                           its glTF as a node \"collision\" under the root; with\n"
    "                           --map, each instance's as map.col.obj and a node\n"
    "                           \"collision\" of the glTF scene\n"
    "      --effects all|none\n"
    "                         glTF: the 2D effects (lights, particles, ...) as nodes and\n"
    "                           lights (all, the default) or left out (none)\n"
    "  -t, --textures FILE    structure: also look up the materials' textures in this\n"
    "                           dictionary (repeatable, in order), after the model's\n"
    "                           own (house.txd beside house.dff); each texture is\n"
    "                           written as a PNG file beside the OBJ file\n"
    "      --no-textures      structure: write no PNG files\n"
    "      --ide FILE         read item definitions: each model's dictionary and each\n"
    "                           dictionary's parent, looked up first (repeatable);\n"
    "                           with --map also which model each placed id stands for\n"
    "      --parts WHICH      a vehicle's parts: near (default: intact, as seen close\n"
    "                           by, a wheel at every wheel dummy), damaged (the _dam\n"
    "                           parts instead of their _ok twins), far (the far-view\n"
    "                           parts) or all (every part as stored, no wheels added)\n"
    "      --extras N,...     a vehicle's extras shown (1 to 6; none by default)\n"
    "      --paint I,J[,K,L]  a vehicle's colours: indices into carcols.dat's table\n"
    "                           (default the car's first combination there; grey\n"
    "                           without carcols.dat)\n"
    "      --carcols FILE     the vehicles' colour file (carcols.dat)\n"
    "      --wheels FILE      the generic wheels (wheels.dff) the older games' cars use\n"
    "      --game DIR         convert every model of the game in DIR, as its\n"
    "                           data/gta.dat and data/default.dat name them; needs -o\n"
    "      --animations FILE  glb, gltf: the animations of this animation file (.ifp,\n"
    "                           or an archive's entry as ARCHIVE.img/FILE.ifp) on each\n"
    "                           skinned character whose bones they drive (repeatable);\n"
    "                           an archive entry named alone is found in the archives\n"
    "                           named; with --game, 'all' takes every animation file\n"
    "                           of the game (its anim folder and archives)\n"
    "      --animation-names NAME[,NAME...]\n"
    "                         --animations: keep only the animations of these names\n"
    "      --inspect          write no OBJ file: print each model's chunk tree and the\n"
    "                           first damage (or \"well-formed\") on stdout; a named\n"
    "                           .ifp file: its animations (objects, keys, duration,\n"
    "                           bone ids) and the first damage\n"
    "      --extract          the files named are texture dictionaries: write every\n"
    "                           texture in them as a PNG file beside them (or under -o);\n"
    "                           folders give their *.txd files, --game every dictionary\n"
    "                           of the game; with more than one dictionary, each one's\n"
    "                           PNG files go into textures/NAME/\n"
    "      --recursive        a folder also converts the models (--extract: the\n"
    "                           dictionaries) in its subfolders\n"
    "  -o, --output-dir DIR   write the OBJ files under DIR instead of beside the models;\n"
    "                           a named folder's models keep their paths relative to it\n"
    "  -j, --jobs N           convert N models at once in worker processes (default: one\n"
    "                           per processor core); -j 1 converts in this process\n"
    "  -q, --quiet            tell only failed and doubtful models, and the summary\n"
    "  -v, --verbose          also show every message the window would show in a box\n"
    "      --exact-text       write the window's text byte for byte; by default each\n"
    "                           group's v lines come before its vt and f lines, so\n"
    "                           that one-pass importers find the faces' vertices\n"
    "      --map FILE         a placement file (repeatable; binary stream files join the\n"
    "                           text file they are named after): every model it places\n"
    "                           is written into one scene, DIR/map.obj + DIR/map.mtl\n"
    "                           (-f glb: DIR/map.glb, a mesh a model, a node an instance),\n"
    "                           its textures under DIR/textures/DICTIONARY/; the models\n"
    "                           and dictionaries are found by name among the models,\n"
    "                           folders and archives named; with --map, named *.ipl\n"
    "                           files are placement files too. With --game, one scene\n"
    "                           per placement file its data files name, each with its\n"
    "                           stream files from the archives, under DIR where the\n"
    "                           game keeps it (data/maps/x/y.ipl: DIR/maps/x/y.obj):\n"
    "                           --map all for every one, or a file's name or path\n"
    "      --lod              --map: keep the far-view stand-ins (left out by default)\n"
    "      --interiors        --map: keep the interiors (left out by default)\n"
    "      --scale            --map: apply the older games' scale fields, which the\n"
    "                           game itself ignores\n"
    "      --hour H           --map: show time objects as at hour H (default 12)\n"
    "  -h, --help             show this help and exit\n"
    "      --version          show the version and exit\n"
    "\n"
    "A named .img file (version 2, or with NAME.dir beside it) or .dir file is an\n"
    "archive: its model entries are converted into a folder beside it named after\n"
    "it (or under -o), their textures into textures/DICTIONARY/ there.\n"
    "A folder converts the *.dff files in it (any case of the extension). Named files\n"
    "ending in .obj or .mtl are skipped as this program's own output, unless they\n"
    "follow \"--\". Short options take their value attached or separate (-bgo2, -b go2),\n"
    "long ones after '=' or separate (--button=go2, --button go2).\n"
    "Messages and a summary go to stderr, one line each.\n"
    "\n"
    "Exit status: 0 when every model converted clean; 1 when any model's output is\n"
    "doubtful or its conversion failed, or a named folder holds no models; 2 for a\n"
    "usage error. Textures not found do not make a conversion doubtful. --inspect:\n"
    "0 when every model is well-formed; --extract: 0 when every dictionary was\n"
    "extracted whole.\n";

namespace {

int button_from_name(const char* name) {
    static const struct {
        const char* name;
        int id;
    } buttons[] = {{"auto", 0},         {"go1", id_go1}, {"go2", id_go2},
                   {"go3", id_go3},     {"go4", id_go4}, {"structure", id_structure}};
    for (const auto& b : buttons)
        if (std::strcmp(name, b.name) == 0) return b.id;
    return -1;
}

using Apply = bool (*)(Options&, const char* value, std::string& error);

// One row per option. value_needed names what the option's value is, for the
// message when it is missing; null for options without a value.
struct OptionRow {
    char short_name;  // 0 for none
    const char* long_name;
    const char* value_needed;
    Apply apply;
};

bool set_button(Options& o, const char* value, std::string& error) {
    o.button_id = button_from_name(value);
    o.button_given = true;
    if (o.button_id >= 0) return true;
    error = std::string("unknown button '") + value + "' (structure, go1, go2, go3, go4 or auto)";
    return false;
}

bool set_formats(Options& o, const char* value, std::string& error) {
    o.formats = Formats{false, false, false};
    o.format_given = true;
    std::string list = value;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = list.find(',', start);
        const std::string name = list.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        if (name == "obj") o.formats.obj = true;
        else if (name == "glb") o.formats.glb = true;
        else if (name == "gltf") o.formats.gltf = true;
        else {
            error = "unknown format '" + name + "' in '--format " + list + "' (obj, glb or gltf, comma-separated)";
            return false;
        }
        if (comma == std::string::npos) return true;
        start = comma + 1;
    }
}

bool set_output_dir(Options& o, const char* value, std::string& error) {
    if (value[0] == '\0') {
        error = "option '--output-dir' needs a folder";
        return false;
    }
    std::error_code ec;
    if (std::filesystem::exists(value, ec) && !std::filesystem::is_directory(value, ec)) {
        error = std::string("output folder '") + value + "' exists and is not a folder";
        return false;
    }
    o.output_dir = value;
    return true;
}

bool add_texture(Options& o, const char* value, std::string& error) {
    if (value[0] == '\0') {
        error = "option '--textures' needs a file";
        return false;
    }
    o.textures.push_back(value);
    return true;
}

bool set_game(Options& o, const char* value, std::string& error) {
    std::error_code ec;
    if (value[0] == '\0' || !std::filesystem::is_directory(value, ec)) {
        error = std::string("option '--game' needs the game's folder; '") + value + "' is none";
        return false;
    }
    o.game_dir = value;
    return true;
}

bool add_named_file(std::vector<std::string>& list, const char* option, const char* value, std::string& error) {
    if (value[0] == '\0') {
        error = std::string("option '--") + option + "' needs a file";
        return false;
    }
    list.push_back(value);
    return true;
}

bool set_hour(Options& o, const char* value, std::string& error) {
    char* end = nullptr;
    long hour = std::strtol(value, &end, 10);
    if (value[0] == '\0' || *end != '\0' || hour < 0 || hour > 23) {
        error = std::string("option '--hour' needs an hour from 0 to 23, not '") + value + "'";
        return false;
    }
    o.hour = static_cast<int>(hour);
    return true;
}

bool add_animation_names(Options& o, const char* value, std::string& error) {
    const std::string list = value;
    for (std::size_t start = 0;;) {
        const std::size_t comma = list.find(',', start);
        const std::string name = list.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        if (name.empty()) {
            error = "option '--animation-names' needs names separated by commas, not '" + list + "'";
            return false;
        }
        o.animation_names.push_back(name);
        if (comma == std::string::npos) return true;
        start = comma + 1;
    }
}

bool set_effects(Options& o, const char* value, std::string& error) {
    const std::string v = value;
    if (v != "all" && v != "none") {
        error = "option '--effects' needs all or none, not '" + v + "'";
        return false;
    }
    o.effects = v == "all";
    o.effects_given = true;
    return true;
}

bool set_parts(Options& o, const char* value, std::string& error) {
    for (const char* known : {"near", "damaged", "far", "all"})
        if (std::strcmp(value, known) == 0) {
            o.parts = value;
            return true;
        }
    error = std::string("option '--parts' needs near, damaged, far or all, not '") + value + "'";
    return false;
}

// A list of small numbers: "1,3" gives 1 and 3, each from 0 to most.
bool number_list(const char* value, int most, std::vector<int>& out) {
    out.clear();
    const char* p = value;
    do {
        char* end = nullptr;
        const long n = std::strtol(p, &end, 10);
        if (end == p || n < 0 || n > most || (*end != ',' && *end != '\0')) return false;
        out.push_back(static_cast<int>(n));
        p = *end == ',' ? end + 1 : end;
    } while (*p != '\0');
    return true;
}

bool set_extras(Options& o, const char* value, std::string& error) {
    bool ok = number_list(value, 6, o.extras);
    for (int n : o.extras) ok = ok && n >= 1;
    if (!ok) error = std::string("option '--extras' needs extras from 1 to 6, as 1,3, not '") + value + "'";
    return ok;
}

bool set_paint(Options& o, const char* value, std::string& error) {
    if (!number_list(value, 255, o.paint) || (o.paint.size() != 2 && o.paint.size() != 4)) {
        error = std::string("option '--paint' needs two or four colour indices, as 1,0, not '") + value + "'";
        return false;
    }
    return true;
}

bool set_file(std::string& field, const char* option, const char* value, std::string& error) {
    if (value[0] == '\0') {
        error = std::string("option '--") + option + "' needs a file";
        return false;
    }
    field = value;
    return true;
}

const OptionRow option_table[] = {
    {'b', "button", "a button (structure, go1, go2, go3, go4 or auto)", set_button},
    {'f', "format", "a list of formats (obj, glb, gltf)", set_formats},
    {0, "recursive", nullptr, [](Options& o, const char*, std::string&) { return o.recursive = true; }},
    {'o', "output-dir", "a folder", set_output_dir},
    {'q', "quiet", nullptr,
     [](Options& o, const char*, std::string&) { o.verbosity = Verbosity::quiet; return true; }},
    {'v', "verbose", nullptr,
     [](Options& o, const char*, std::string&) { o.verbosity = Verbosity::verbose; return true; }},
    {'h', "help", nullptr, [](Options& o, const char*, std::string&) { return o.help = true; }},
    {0, "version", nullptr, [](Options& o, const char*, std::string&) { return o.version = true; }},
    {0, "inspect", nullptr, [](Options& o, const char*, std::string&) { return o.inspect = true; }},
    {'t', "textures", "a texture dictionary file", add_texture},
    {0, "no-textures", nullptr, [](Options& o, const char*, std::string&) { return o.no_textures = true; }},
    {0, "extract", nullptr, [](Options& o, const char*, std::string&) { return o.extract = true; }},
    {0, "exact-text", nullptr, [](Options& o, const char*, std::string&) { return o.exact_text = true; }},
    {0, "local", nullptr, [](Options& o, const char*, std::string&) { return o.local = true; }},
    {0, "map", "a placement file",
     [](Options& o, const char* v, std::string& e) { return add_named_file(o.maps, "map", v, e); }},
    {0, "lod", nullptr, [](Options& o, const char*, std::string&) { return o.keep_lod = true; }},
    {0, "interiors", nullptr, [](Options& o, const char*, std::string&) { return o.keep_interiors = true; }},
    {0, "scale", nullptr, [](Options& o, const char*, std::string&) { return o.apply_scale = true; }},
    {0, "hour", "an hour (0 to 23)", set_hour},
    {0, "night", nullptr, [](Options& o, const char*, std::string&) { return o.night = true; }},
    {0, "collision", nullptr, [](Options& o, const char*, std::string&) { return o.collision = true; }},
    {0, "effects", "all or none", set_effects},
    {0, "ide", "an item definition file",
     [](Options& o, const char* v, std::string& e) { return add_named_file(o.item_definitions, "ide", v, e); }},
    {0, "game", "the game's folder", set_game},
    {0, "animations", "an animation file",
     [](Options& o, const char* v, std::string& e) { return add_named_file(o.animations, "animations", v, e); }},
    {0, "animation-names", "a list of animation names", add_animation_names},
    {0, "parts", "near, damaged, far or all", set_parts},
    {0, "extras", "a list of extras (1 to 6)", set_extras},
    {0, "paint", "colour indices (I,J or I,J,K,L)", set_paint},
    {0, "carcols", "a vehicle colour file",
     [](Options& o, const char* v, std::string& e) { return set_file(o.carcols_file, "carcols", v, e); }},
    {0, "wheels", "a model file of wheels",
     [](Options& o, const char* v, std::string& e) { return set_file(o.wheels_file, "wheels", v, e); }},
};

const OptionRow* row_for_long(const std::string& name) {
    for (const auto& row : option_table)
        if (name == row.long_name) return &row;
    return nullptr;
}

const OptionRow* row_for_short(char name) {
    for (const auto& row : option_table)
        if (row.short_name != 0 && row.short_name == name) return &row;
    return nullptr;
}

// Walks argv as getopt_long does, without permuting: options and paths may mix.
class ArgumentWalk {
public:
    ArgumentWalk(int argc, char** argv, Options& options, std::string& error)
        : argc_(argc), argv_(argv), options_(options), error_(error) {}

    bool run() {
        bool options_ended = false;
        for (i_ = 1; i_ < argc_; ++i_) {
            const char* arg = argv_[i_];
            if (arg[0] == '\0') return fail("empty path");
            if (options_ended || arg[0] != '-' || arg[1] == '\0') {
                options_.paths.push_back(arg);
            } else if (std::strcmp(arg, "--") == 0) {
                options_ended = true;
                options_.first_literal_path = options_.paths.size();
            } else if (arg[1] == '-') {
                if (!long_option(arg + 2)) return false;
            } else if (!short_options(arg + 1)) {
                return false;
            }
            // --help and --version end the walk: what follows does not matter.
            if (options_.help || options_.version) return true;
        }
        return true;
    }

private:
    bool fail(const std::string& why) {
        error_ = why;
        return false;
    }

    // The next argument as the option's value; false when there is none.
    bool take_next(const char*& value) {
        if (i_ + 1 >= argc_) return false;
        value = argv_[++i_];
        return true;
    }

    bool apply(const OptionRow& row, const char* value, const std::string& spelled) {
        if (!row.apply(options_, value, error_)) {
            // A value's own message names the long spelling; say what was typed.
            const std::string long_spelling = std::string("'--") + row.long_name + "'";
            std::size_t at = error_.find(long_spelling);
            if (at != std::string::npos) error_.replace(at, long_spelling.size(), "'" + spelled + "'");
            return false;
        }
        return true;
    }

    bool long_option(const char* text) {
        const char* equals = std::strchr(text, '=');
        std::string name = equals ? std::string(text, equals) : std::string(text);
        const OptionRow* row = row_for_long(name);
        std::string spelled = "--" + name;
        if (!row) return fail("unknown option '" + spelled + "'");
        const char* value = equals ? equals + 1 : nullptr;
        if (!row->value_needed) {
            if (value) return fail("option '" + spelled + "' takes no value");
            return apply(*row, "", spelled);
        }
        if (!value && !take_next(value))
            return fail("option '" + spelled + "' needs " + row->value_needed);
        return apply(*row, value, spelled);
    }

    // A cluster of short options, as "-qv" or "-bgo2": an option with a value
    // takes the rest of the cluster, or the next argument when nothing is left.
    bool short_options(const char* cluster) {
        for (const char* c = cluster; *c; ++c) {
            const OptionRow* row = row_for_short(*c);
            std::string spelled = std::string("-") + *c;
            if (!row) return fail("unknown option '" + spelled + "'");
            if (!row->value_needed) {
                if (!apply(*row, "", spelled)) return false;
                if (options_.help) return true;
                continue;
            }
            const char* value = c + 1;
            if (*value == '\0' && !take_next(value))
                return fail("option '" + spelled + "' needs " + row->value_needed);
            return apply(*row, value, spelled);
        }
        return true;
    }

    int argc_;
    char** argv_;
    Options& options_;
    std::string& error_;
    int i_ = 0;
};

// --inspect and --extract are runs of their own: options of a conversion
// would be silently ignored there, so they are usage errors.
std::string mode_conflict(const Options& o) {
    if (o.inspect && o.extract) return "options '--inspect' and '--extract' cannot be used together";
    if (!o.textures.empty() && o.no_textures) return "options '--textures' and '--no-textures' cannot be used together";
    // The search strategies write OBJ text only.
    if (o.formats.any_gltf() && o.button_id != 0 && o.button_id != id_structure && o.button_given)
        return std::string("option '--format ") + (o.formats.glb ? "glb" : "gltf") +
               "' cannot be used with a search strategy ('--button go1' ... 'go4'): only structure writes glTF";
    // Animations play only in glTF.
    if (!o.animations.empty() && !o.inspect && !o.extract && !o.formats.any_gltf())
        return "option '--animations' needs '-f glb' or '-f gltf': only glTF files play animations";
    for (const std::string& a : o.animations)
        if (a == "all" && o.game_dir.empty()) return "option '--animations all' needs '--game'";
    if (!o.animation_names.empty() && o.animations.empty())
        return "option '--animation-names' needs '--animations'";
    const char* mode = o.inspect ? "--inspect" : o.extract ? "--extract" : nullptr;
    if (!mode) return "";
    const struct {
        bool given;
        const char* name;
        bool allowed_with_extract;
    } conversion_options[] = {
        {o.button_given, "--button", false},        {!o.textures.empty(), "--textures", false},
        {o.format_given, "--format", false},
        {o.no_textures, "--no-textures", false},     {o.local, "--local", false},
        {o.night, "--night", false},               {o.collision, "--collision", false},
        {o.effects_given, "--effects", false},
        {o.exact_text, "--exact-text", false},       {!o.output_dir.empty(), "--output-dir", true},
        {!o.item_definitions.empty() && o.maps.empty() && o.extract, "--ide", false},
        {!o.parts.empty(), "--parts", false},       {!o.extras.empty(), "--extras", false},
        {!o.paint.empty(), "--paint", false},
        {!o.game_dir.empty() && o.maps.empty(), "--game", true},
        {!o.animations.empty(), "--animations", false},
    };
    for (const auto& c : conversion_options)
        if (c.given && !(o.extract && c.allowed_with_extract))
            return std::string("option '") + c.name + "' cannot be used with '" + mode + "'";
    return "";
}

// A map is one scene of its own: the options that shape it need it, and the
// options of one OBJ file a model cannot apply to it.
std::string map_conflict(const Options& o) {
    const bool map = !o.maps.empty();
    const struct {
        bool given;
        const char* name;
    } map_options[] = {{o.keep_lod, "--lod"},
                       {o.keep_interiors, "--interiors"},      {o.apply_scale, "--scale"},
                       {o.hour >= 0, "--hour"}},
      model_options[] = {{o.extract, "--extract"},   {o.local, "--local"}, {!o.animations.empty(), "--animations"},
                         {o.exact_text, "--exact-text"}, {o.night, "--night"},
                         {!o.parts.empty(), "--parts"}, {!o.extras.empty(), "--extras"},
                         {!o.paint.empty(), "--paint"}, {!o.carcols_file.empty(), "--carcols"},
                         {!o.wheels_file.empty(), "--wheels"},
                         {o.button_given && o.button_id != 0 && o.button_id != id_structure, "--button"}};
    if (!map) {
        for (const auto& m : map_options)
            if (m.given) return std::string("option '") + m.name + "' needs '--map'";
        return "";
    }
    for (const auto& m : model_options)
        if (m.given) return std::string("option '") + m.name + "' cannot be used with '--map'";
    if (!o.inspect && o.output_dir.empty()) return "option '--map' needs '-o DIR': the scene is written there";
    return "";
}

}  // namespace

int parse_options(int argc, char** argv, Options& options, std::string& error) {
    if (!ArgumentWalk(argc, argv, options, error).run()) return 0;
    if (options.help || options.version) return 1;
    // --inspect --map lists a game's scenes without writing them.
    if (!options.game_dir.empty() && options.output_dir.empty() && !(options.inspect && !options.maps.empty())) {
        error = "option '--game' needs '--output-dir': nothing is written into the game's folder";
        return 0;
    }
    if (options.paths.empty() && options.game_dir.empty()) {
        error = options.extract ? "no texture dictionary named" : "no model or folder named";
        return 0;
    }
    error = map_conflict(options);
    if (error.empty()) error = mode_conflict(options);
    return error.empty() ? 1 : 0;
}
