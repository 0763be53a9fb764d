// The archive reader on archives laid out from tables, both versions, with
// each kind of damage; the one reader of a file's or an entry's bytes; the
// game's data files and the paths they write.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "game/archive.h"
#include "game/file_source.h"
#include "game/game_data_file.h"
#include "game/game_paths.h"
#include "support/archive_writer.h"
#include "support/model_builder.h"

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

namespace {

Bytes payload(std::size_t n, std::uint8_t v) { return Bytes(n, v); }

ArchiveLayout three_entries() {
    return {{{"first.dff", payload(100, 1)}, {"second.txd", payload(3000, 2)}, {"third.col", payload(2048, 3)}}};
}

struct DamageCase {
    const char* name;
    ArchiveLayout layout;
    std::vector<std::string> entry_names;     // as read
    std::vector<std::string> entry_damage;    // a piece of each entry's damage text; "" for none
    std::string directory_damage;             // a piece of the directory's; "" for none
    int only_version = 0;                     // 1 or 2 when the case is one version's alone
    bool cut_last = false;                    // the data file loses its last 100 bytes
};

std::vector<DamageCase> damage_cases() {
    std::vector<DamageCase> cases;
    cases.push_back({"whole", three_entries(), {"first.dff", "second.txd", "third.col"}, {"", "", ""}, ""});
    ArchiveLayout zero = three_entries();
    zero.entries[1].length_sectors = 0;
    cases.push_back({"length 0", zero, {"first.dff", "second.txd", "third.col"}, {"", "its length is 0", ""}, ""});
    ArchiveLayout past = three_entries();
    past.entries[0].start_sectors = 500;
    cases.push_back({"starts past the end", past, {"first.dff", "second.txd", "third.col"},
                     {"past the end of the archive", "", ""}, ""});
    cases.push_back({"cut short", three_entries(), {"first.dff", "second.txd", "third.col"},
                     {"", "", "runs past the end"}, "", 0, true});
    ArchiveLayout names{{{"abcdefghijklmnopqrstuvwxyz.dff", payload(10, 4)}, {"ff.dff", payload(10, 5), -1, -1, 0xFF},
                         {std::string("bin\x01\xC3(.dff"), payload(10, 6)}}};
    cases.push_back({"names", names, {"abcdefghijklmnopqrstuvwx", "ff.dff", std::string("bin\x01\xC3(.dff")},
                     {"", "", ""}, ""});
    ArchiveLayout twice{{{"same.dff", payload(10, 7)}, {"SAME.dff", payload(10, 8)}}};
    cases.push_back({"same name twice", twice, {"same.dff", "SAME.dff"}, {"", ""}, ""});
    ArchiveLayout promised = three_entries();
    promised.stored_count = 1000000;
    promised.cut_to = 8 + 32 * 3 + 10;  // the directory's three records and part of a fourth
    cases.push_back({"count promises more", promised, {"first.dff", "second.txd", "third.col"},
                     {"past the end", "past the end", "past the end"}, "promises 1000000 entries", 2});
    return cases;
}

// Reads bytes written as the version says, through the files, as the program does.
ArchiveDirectory read_written(const TempFolder& folder, int version, ArchiveLayout layout, bool cut_last) {
    if (version == 2) {
        Bytes bytes = build_version2(layout);
        layout.cut_to = bytes.size() - 100;
        return read_archive(folder.write("a.img", cut_last ? build_version2(layout) : bytes).string());
    }
    Version1Files files = build_version1(layout);
    if (cut_last) files.data.resize(files.data.size() - 100);
    folder.write("a.img", files.data);
    return read_archive(folder.write("a.dir", files.directory).string());
}

}  // namespace

TEST(Archive, EachDamageOfEitherVersion) {
    for (const DamageCase& c : damage_cases()) {
        for (int version : {1, 2}) {
            if (c.only_version && c.only_version != version) continue;
            SCOPED_TRACE(std::string(c.name) + ", version " + std::to_string(version));
            TempFolder folder;
            const ArchiveDirectory d = read_written(folder, version, c.layout, c.cut_last);
            ASSERT_TRUE(d.refused.empty()) << d.refused;
            EXPECT_EQ(d.version, version);
            ASSERT_EQ(d.entries.size(), c.entry_names.size());
            for (std::size_t i = 0; i < d.entries.size(); ++i) {
                EXPECT_EQ(d.entries[i].name, c.entry_names[i]);
                if (c.entry_damage[i].empty()) {
                    EXPECT_EQ(d.entries[i].damage, "") << i;
                    Bytes got;
                    EXPECT_EQ(read_archive_entry(d.data_file, d.entries[i].start, d.entries[i].length, got), "");
                    const Bytes& wanted = c.layout.entries[i].bytes;
                    ASSERT_GE(got.size(), wanted.size());
                    EXPECT_TRUE(std::equal(wanted.begin(), wanted.end(), got.begin())) << i;
                } else {
                    EXPECT_NE(d.entries[i].damage.find(c.entry_damage[i]), std::string::npos) << d.entries[i].damage;
                }
            }
            const std::string all_damage = d.damage.empty() ? "" : d.damage.front();
            if (c.directory_damage.empty()) EXPECT_TRUE(d.damage.empty()) << all_damage;
            else EXPECT_NE(all_damage.find(c.directory_damage), std::string::npos) << all_damage;
        }
    }
}

TEST(Archive, Version1DirectoryCutAndAlone) {
    TempFolder folder;
    Version1Files files = build_version1(three_entries());
    files.directory.resize(files.directory.size() - 5);
    folder.write("pair.img", files.data);
    // Naming the .img means the pair too.
    ArchiveDirectory d = read_archive(folder.write("pair.DIR", files.directory).string());
    ASSERT_EQ(d.entries.size(), 2u);
    ASSERT_EQ(d.damage.size(), 1u);
    EXPECT_NE(d.damage[0].find("no multiple of 32"), std::string::npos);
    ArchiveDirectory by_img = read_archive((folder.path / "pair.img").string());
    EXPECT_EQ(by_img.version, 1);
    EXPECT_EQ(by_img.entries.size(), 2u);

    ArchiveDirectory alone = read_archive(folder.write("alone.dir", files.directory).string());
    ASSERT_EQ(alone.entries.size(), 2u);
    EXPECT_NE(alone.entries[0].damage.find("past the end"), std::string::npos);
    EXPECT_NE(alone.damage.back().find("no alone.img beside alone.dir"), std::string::npos);
}

TEST(Archive, RefusesWhatIsNoArchive) {
    TempFolder folder;
    fs::create_directories(folder.path / "folder.img");
    const struct {
        const char* name;
        Bytes bytes;
        const char* says;
    } cases[] = {
        {"zip.img", {'P', 'K', 3, 4, 0, 0}, "a zip file"},
        {"later.img", {0x52, 0x2A, 0x4E, 0xA9, 1, 2, 3, 4}, "version 3"},
        {"noise.img", payload(4096, 0x5A), "another tool's format, or an encrypted version 3"},
        {"empty.img", {}, "empty file"},
    };
    for (const auto& c : cases) {
        ArchiveDirectory d = read_archive(folder.write(c.name, c.bytes).string());
        EXPECT_NE(d.refused.find(c.says), std::string::npos) << c.name << ": " << d.refused;
        EXPECT_TRUE(d.entries.empty());
    }
    EXPECT_EQ(read_archive((folder.path / "folder.img").string()).refused, "a folder, not an archive");
    EXPECT_EQ(read_archive((folder.path / "none.img").string()).refused, "no such file");
}

TEST(Archive, HostileHeadersSizeNothingByTheirCounts) {
    // Every prefix of a version 2 archive with a huge count: no entry is made up.
    Bytes bytes = build_version2(three_entries());
    bytes[4] = bytes[5] = bytes[6] = bytes[7] = 0xFF;
    for (std::size_t n = 0; n <= 8 + 32 * 3; ++n) {
        ArchiveDirectory d = parse_version2(bytes.data(), n, bytes.size());
        EXPECT_EQ(d.entries.size(), n < 8 ? 0 : (n - 8) / 32) << n;
        EXPECT_EQ(d.damage.size(), 1u) << n;
    }
}

TEST(Archive, PaddingAfterTheFirstChunkIsNotTheEntrys) {
    Bytes chunk = {0x10, 0, 0, 0, 4, 0, 0, 0, 0xFF, 0xFF, 3, 0x18, 1, 2, 3, 4};
    Bytes padded = chunk;
    padded.resize(2048, 0);
    EXPECT_EQ(entry_content_length(padded.data(), padded.size()), chunk.size());
    padded[100] = 1;  // something after it: all kept
    EXPECT_EQ(entry_content_length(padded.data(), padded.size()), padded.size());
    EXPECT_EQ(entry_content_length(chunk.data(), 5), 5u);
}

TEST(FileSource, ReadWholeUnderTheLimitOrTellWhyNot) {
    // A file and an archive's entry read by the one reader: its bytes, or the reason.
    TempFolder folder;
    fs::create_directories(folder.path / "folder.dff");
    folder.write("five.dff", payload(5, 9));
    folder.write("empty.dff", Bytes());
    ArchiveLayout layout = three_entries();
    layout.entries[2].start_sectors = 500;  // past the end: damaged
    const ArchiveDirectory directory = read_written(folder, 2, layout, false);
    const std::string archive = (folder.path / "a.img").string();
    using Reason = SourceFailure::Reason;
    const struct {
        const char* what;
        FileSource source;
        std::uint64_t limit;
        Reason reason;
        std::size_t bytes;  // read when there is no reason
    } cases[] = {
        {"a file", file_source(folder.path / "five.dff"), 5, Reason::none, 5},
        {"an empty file", file_source(folder.path / "empty.dff"), 5, Reason::none, 0},
        {"a file over the limit", file_source(folder.path / "five.dff"), 4, Reason::too_large, 0},
        {"no file", file_source(folder.path / "none.dff"), 5, Reason::missing, 0},
        {"a folder", file_source(folder.path / "folder.dff"), 5, Reason::not_a_file, 0},
        {"an entry, padded to its sector", entry_source(archive, directory, directory.entries[0]), 4096, Reason::none,
         2048},
        {"an entry over the limit", entry_source(archive, directory, directory.entries[1]), 2048, Reason::too_large, 0},
        {"a damaged entry", entry_source(archive, directory, directory.entries[2]), 4096, Reason::damaged, 0},
    };
    for (const auto& c : cases) {
        std::vector<std::uint8_t> bytes(3, 1);
        const SourceFailure failure = read_source(c.source, c.limit, bytes);
        EXPECT_EQ(failure.reason, c.reason) << c.what;
        EXPECT_EQ(bytes.size(), c.bytes) << c.what;
        if (c.reason == Reason::too_large) {
            EXPECT_GT(failure.size, c.limit) << c.what;
        }
        if (c.reason == Reason::damaged) {
            EXPECT_EQ(failure.detail, directory.entries[2].damage) << c.what;
        }
    }
    EXPECT_EQ(entry_source(archive, directory, directory.entries[1]).shown, entry_path(archive, "second.txd"));
}

TEST(GameDataFile, DirectivesAsTheGameWritesThem) {
    const char text[] =
        "# the game's data\r\n"
        "IDE DATA\\MAPS\\generic.ide\r\n"
        "ide data\\maps\\other.IDE   # a comment\r\n"
        "IMG MODELS\\GTA_INT.IMG\r\n"
        "TEXDICTION MODELS\\GENERIC\\VEHICLE.TXD\r\n"
        "MODELFILE models\\generic\\air vlo.DFF\r\n"
        "IPL DATA\\MAPS\\a.ipl\n"
        "COLFILE 0 MODELS\\COLL\\GENERIC.COL\n"
        "SPLASH loadsc0\n"
        "IDE\n";
    const GameDataFile d = read_game_data_file(text);
    auto paths = [](const std::vector<GamePath>& list) {
        std::vector<std::string> p;
        for (const GamePath& g : list) p.push_back(g.path + "@" + std::to_string(g.line));
        return p;
    };
    EXPECT_EQ(paths(d.item_definitions),
              (std::vector<std::string>{"DATA\\MAPS\\generic.ide@2", "data\\maps\\other.IDE@3"}));
    EXPECT_EQ(paths(d.archives), (std::vector<std::string>{"MODELS\\GTA_INT.IMG@4"}));
    EXPECT_EQ(paths(d.shared_dictionaries), (std::vector<std::string>{"MODELS\\GENERIC\\VEHICLE.TXD@5"}));
    EXPECT_EQ(paths(d.model_files), (std::vector<std::string>{"models\\generic\\air vlo.DFF@6"}));
    EXPECT_EQ(paths(d.placements), (std::vector<std::string>{"DATA\\MAPS\\a.ipl@7"}));
    ASSERT_EQ(d.skipped.size(), 1u);
    EXPECT_EQ(d.skipped[0].line, 10u);
}

TEST(GamePaths, FoundWithoutCaseAndNeverOutside) {
    TempFolder folder;
    fs::create_directories(folder.path / "Models/Generic");
    folder.write("Models/Generic/vehicle.TXD", Bytes{1});
    const fs::path found = folder.path / "Models/Generic/vehicle.TXD";
    for (const char* written : {"MODELS\\GENERIC\\VEHICLE.TXD", "models/generic/vehicle.txd", "Models\\\\Generic\\.\\vehicle.TXD"})
        EXPECT_EQ(resolve_game_path(folder.path, written), found) << written;
    for (const char* written : {"models\\generic\\none.txd", "..\\x", "\\etc\\passwd", "C:\\x", ""})
        EXPECT_EQ(resolve_game_path(folder.path, written), fs::path()) << written;
}

TEST(GamePaths, PlacementScenesMirrorTheGamesPathInLowerCase) {
    const struct {
        const char* relative;
        const char* scene;
    } cases[] = {
        {"DATA/MAPS/country/countN2.IPL", "maps/country/countn2.obj"},
        {"data\\maps\\industne\\industNE.ipl", "maps/industne/industne.obj"},
        {"maps/addon/addon.IPL", "maps/addon/addon.obj"},
        {"Data/Town.ipl", "town.obj"},
        {"data", "data.obj"},
        {"./data/./x.y.ipl", "x.y.obj"},
        {"data/../../etc/x.ipl", "etc/x.obj"},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(placement_scene_path(c.relative), c.scene) << c.relative;
}
