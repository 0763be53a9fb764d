// The commands under the recording platform, with stand-in strategies whose
// outcome each test decides. The real strategies appear where the table of
// commands itself is tested.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "control/commands.h"
#include "engine/conversion_state.h"
#include "support/fake_platform.h"
#include "support/model_builder.h"
#include "support/process_guards.h"

namespace fs = std::filesystem;

namespace {

// What the stand-in strategies saw: the source path of every run.
std::vector<std::string> runs;

void write_line(const char* what, const char* path) {
    std::fprintf(conversion_state.output, "# %s\n%s\n", path, what);
}

void clean_strategy(const char* path) {
    runs.push_back(path);
    write_line("clean output", path);
}

void doubtful_strategy(const char* path) {
    runs.push_back(path);
    write_line("doubtful output", path);
    conversion_state.had_errors = 1;
}

// Enough text to pass any stream buffer, so a full disk shows before the close.
void long_strategy(const char* path) {
    runs.push_back(path);
    for (int i = 0; i < 200000; ++i) std::fprintf(conversion_state.output, "v %d 0 0\n", i);
}

int main_window_object;
WindowHandle const main_window = &main_window_object;

std::string all_ids_enabled(const FakePlatform& fake) {
    std::string s;
    for (int id = id_go1; id <= id_go4; ++id) s += fake.enabled[id] ? '1' : '0';
    return s;
}

class Commands : public ::testing::Test {
protected:
    TempFolder folder;
    CurrentFolder here{folder.path};
    FakePlatform fake;

    void SetUp() override {
        runs.clear();
        set_keep_doubtful_output(0);
        conversion_state.source_path[0] = '\0';
        conversion_state.output_path[0] = '\0';
        conversion_state.output = nullptr;
        conversion_state.output_open = 0;
        conversion_state.had_errors = 0;
        fake.active = main_window;
    }

    void TearDown() override {
        if (conversion_state.output) std::fclose(conversion_state.output);
        conversion_state.output = nullptr;
        conversion_state.output_open = 0;
        set_keep_doubtful_output(0);
    }

    // The dialog returns a file in the test folder (left current, as the dialog does).
    std::string model(const std::string& name) { return (folder.path / name).string(); }

    void open(const std::string& name) {
        fake.dialog_choice = model(name);
        handle_command(main_window, id_open);
    }

    void cancel_open() {
        fake.dialog_choice.clear();
        handle_command(main_window, id_open);
    }

    std::string obj(const std::string& name) { return read_file(folder.path / name); }

    void expect_idle() {
        EXPECT_EQ(conversion_state.output_open, 0);
        EXPECT_EQ(conversion_state.output, nullptr);
    }
    void expect_ready() {
        EXPECT_EQ(conversion_state.output_open, 1);
        EXPECT_NE(conversion_state.output, nullptr);
    }
};

TEST_F(Commands, AtStartButtonsAreDisabledAndOnlyOpenExitAboutDoSomething) {
    EXPECT_EQ(all_ids_enabled(fake), "0000");
    handle_command(main_window, id_about);
    ASSERT_EQ(fake.boxes.size(), 1u);
    EXPECT_EQ(fake.boxes[0].owner, nullptr);  // the About box has no owner
    EXPECT_EQ(fake.boxes[0].caption, "About vorlund-obj");
    EXPECT_NE(fake.boxes[0].text.find("vorlund-obj " VORLUND_VERSION), std::string::npos);
    EXPECT_NE(fake.boxes[0].text.find("OBJ"), std::string::npos);

    handle_command(main_window, id_exit);
    EXPECT_EQ(fake.window_calls, std::vector<std::string>{"post_close"});
    expect_idle();
}

TEST_F(Commands, OpenNamesTheObjFileAfterTheWholeFileNameAndEnablesTheButtonsInOrder) {
    open("house.dff");
    EXPECT_EQ(fake.open_dialogs, 1);
    EXPECT_EQ(fake.dialog_owner, main_window);
    EXPECT_STREQ(conversion_state.source_path, model("house.dff").c_str());
    EXPECT_STREQ(conversion_state.output_path, "house.dff.obj");
    expect_ready();
    EXPECT_TRUE(fs::exists(folder.path / "house.dff.obj"));
    EXPECT_EQ(fake.window_calls,
              (std::vector<std::string>{"enable 3 1", "enable 4 1", "enable 5 1", "enable 6 1"}));
    EXPECT_TRUE(fake.boxes.empty());
}

// The command line's output folder: the OBJ file goes there by its bare name,
// the model stays where the dialog left the current folder; without it, as the window.
TEST_F(Commands, OutputFolderTakesTheObjFileAndOutputFilePathNamesItInFull) {
    fs::create_directory(folder.path / "out");
    const std::string out = (folder.path / "out").string();
    const struct {
        std::string set;       // the output folder, "" for none
        std::string expected;  // output_file_path()
    } cases[] = {{out, out + "/house.dff.obj"}, {out + "/", out + "/house.dff.obj"}, {"", model("house.dff.obj")}};
    for (const auto& c : cases) {
        set_output_folder(c.set);
        open("house.dff");
        run_conversion(main_window, id_go1, clean_strategy);
        set_output_folder("");
        EXPECT_STREQ(conversion_state.output_path, "house.dff.obj");
        EXPECT_EQ(output_file_path(), c.expected);
        EXPECT_EQ(read_file(c.expected), "# " + model("house.dff") + "\nclean output\n");
        EXPECT_EQ(fs::current_path(), folder.path);
        fs::remove(c.expected);
    }
    EXPECT_FALSE(fs::exists(folder.path / "out/out"));
}

TEST_F(Commands, ModelWithoutExtensionGetsDotObj) {
    open("tree");
    EXPECT_STREQ(conversion_state.output_path, "tree.obj");
    EXPECT_TRUE(fs::exists(folder.path / "tree.obj"));
}

TEST_F(Commands, OpenEmptiesAnExistingObjFileAtOnce) {
    folder.write("house.dff.obj", std::vector<std::uint8_t>{'o', 'l', 'd'});
    open("house.dff");
    EXPECT_EQ(obj("house.dff.obj"), "");
}

TEST_F(Commands, CleanConversionClosesTheFileAndDisablesOnlyItsButton) {
    open("house.dff");
    fake.window_calls.clear();
    run_conversion(main_window, id_go2, clean_strategy);
    expect_idle();
    EXPECT_EQ(runs, std::vector<std::string>{model("house.dff")});
    EXPECT_EQ(obj("house.dff.obj"), "# " + model("house.dff") + "\nclean output\n");
    EXPECT_EQ(fake.window_calls, std::vector<std::string>{"enable 4 0"});
    EXPECT_EQ(all_ids_enabled(fake), "1011");
    EXPECT_TRUE(fake.boxes.empty());

    // The other buttons are still enabled, but there is nothing to convert.
    run_conversion(main_window, id_go1, clean_strategy);
    ASSERT_EQ(fake.box_texts(), std::vector<std::string>{"Choose a dff file!"});
    EXPECT_EQ(fake.boxes[0].owner, main_window);
    EXPECT_EQ(fake.boxes[0].caption, fake.module_path);
    EXPECT_EQ(runs.size(), 1u);
    EXPECT_EQ(all_ids_enabled(fake), "1011");
    EXPECT_EQ(obj("house.dff.obj"), "# " + model("house.dff") + "\nclean output\n");
}

TEST_F(Commands, ButtonWithoutChosenModelIsRefusedAndKeepsItsState) {
    fake.enabled[id_go3] = 1;
    run_conversion(main_window, id_go3, clean_strategy);
    EXPECT_EQ(fake.box_texts(), std::vector<std::string>{"Choose a dff file!"});
    EXPECT_TRUE(runs.empty());
    EXPECT_TRUE(fake.window_calls.empty());
    expect_idle();
}

TEST_F(Commands, DoubtfulOutputIsOnDiskWhileTheMessageIsUpThenEmptied) {
    open("house.dff");
    std::string seen_during_box;
    FILE* stream_during_box = reinterpret_cast<FILE*>(1);
    int open_flag_during_box = -1;
    fake.while_box_up = [&](const MessageBoxCall&) {
        seen_during_box = obj("house.dff.obj");
        stream_during_box = conversion_state.output;
        open_flag_during_box = conversion_state.output_open;
    };
    fake.window_calls.clear();
    run_conversion(main_window, id_go1, doubtful_strategy);

    ASSERT_EQ(fake.box_texts(), std::vector<std::string>{"There were errors!\n\nChoose another button."});
    EXPECT_EQ(fake.boxes[0].owner, main_window);
    EXPECT_EQ(seen_during_box, "# " + model("house.dff") + "\ndoubtful output\n");
    EXPECT_EQ(stream_during_box, nullptr);
    EXPECT_EQ(open_flag_during_box, 1);
    expect_ready();
    EXPECT_EQ(obj("house.dff.obj"), "");
    EXPECT_EQ(fake.window_calls, std::vector<std::string>{"enable 3 0"});
    EXPECT_EQ(all_ids_enabled(fake), "0111");
}

TEST_F(Commands, DoubtfulThenCleanLeavesOnlyTheCleanOutput) {
    open("house.dff");
    run_conversion(main_window, id_go1, doubtful_strategy);
    run_conversion(main_window, id_go3, clean_strategy);
    expect_idle();
    EXPECT_EQ(obj("house.dff.obj"), "# " + model("house.dff") + "\nclean output\n");
    EXPECT_EQ(all_ids_enabled(fake), "0101");
    EXPECT_EQ(fake.box_texts(), std::vector<std::string>{"There were errors!\n\nChoose another button."});
}

TEST_F(Commands, DoubtfulOnAllFourButtonsLeavesTheFileOpenAndEmpty) {
    open("house.dff");
    for (int id = id_go1; id <= id_go4; ++id) run_conversion(main_window, id, doubtful_strategy);
    EXPECT_EQ(all_ids_enabled(fake), "0000");
    EXPECT_EQ(fake.boxes.size(), 4u);
    expect_ready();
    EXPECT_EQ(obj("house.dff.obj"), "");

    fake.window_calls.clear();
    handle_close(main_window);
    expect_idle();
    EXPECT_EQ(fake.window_calls, std::vector<std::string>{"destroy"});
    EXPECT_TRUE(fs::exists(folder.path / "house.dff.obj"));
    EXPECT_EQ(obj("house.dff.obj"), "");
}

TEST_F(Commands, FailedReopenAfterDoubtfulOutputEndsIdleWithoutAWord) {
    open("house.dff");
    // While the message is up the file is replaced by a folder of its name.
    fake.while_box_up = [&](const MessageBoxCall&) {
        fs::remove(folder.path / "house.dff.obj");
        fs::create_directory(folder.path / "house.dff.obj");
    };
    run_conversion(main_window, id_go2, doubtful_strategy);
    expect_idle();
    EXPECT_EQ(fake.box_texts(), std::vector<std::string>{"There were errors!\n\nChoose another button."});
    EXPECT_EQ(all_ids_enabled(fake), "1011");

    fake.while_box_up = nullptr;
    run_conversion(main_window, id_go3, clean_strategy);
    EXPECT_EQ(fake.box_texts().back(), "Choose a dff file!");
    EXPECT_EQ(runs.size(), 1u);
}

TEST_F(Commands, SecondModelBeforeConvertingTheFirstLeavesTheFirstObjFileEmpty) {
    open("first.dff");
    run_conversion(main_window, id_go1, doubtful_strategy);  // go1 now disabled
    open("second.dff");
    expect_ready();
    EXPECT_STREQ(conversion_state.output_path, "second.dff.obj");
    EXPECT_EQ(all_ids_enabled(fake), "1111");
    EXPECT_TRUE(fs::exists(folder.path / "first.dff.obj"));
    EXPECT_EQ(obj("first.dff.obj"), "");

    run_conversion(main_window, id_go1, clean_strategy);
    EXPECT_EQ(obj("first.dff.obj"), "");
    EXPECT_EQ(obj("second.dff.obj"), "# " + model("second.dff") + "\nclean output\n");
}

TEST_F(Commands, SameModelAgainAfterACleanConversionEmptiesItsResult) {
    open("house.dff");
    run_conversion(main_window, id_go4, clean_strategy);
    ASSERT_NE(obj("house.dff.obj"), "");
    open("house.dff");
    expect_ready();
    EXPECT_EQ(obj("house.dff.obj"), "");
    EXPECT_EQ(all_ids_enabled(fake), "1111");
}

TEST_F(Commands, CancelledOpenWhileReadyEmptiesOnlyTheSourcePath) {
    open("house.dff");
    FILE* stream = conversion_state.output;
    run_conversion(main_window, id_go1, doubtful_strategy);
    stream = conversion_state.output;
    fake.window_calls.clear();
    fake.boxes.clear();

    cancel_open();
    EXPECT_EQ(fake.open_dialogs, 2);
    EXPECT_STREQ(conversion_state.source_path, "");
    EXPECT_STREQ(conversion_state.output_path, "house.dff.obj");
    EXPECT_EQ(conversion_state.output, stream);
    expect_ready();
    EXPECT_TRUE(fake.window_calls.empty());
    EXPECT_TRUE(fake.boxes.empty());
    EXPECT_EQ(all_ids_enabled(fake), "0111");

    // The next button runs on the empty path and ends clean.
    run_conversion(main_window, id_go2, clean_strategy);
    EXPECT_EQ(runs.back(), "");
    expect_idle();
    EXPECT_EQ(obj("house.dff.obj"), "# \nclean output\n");
}

TEST_F(Commands, CancelledOpenWhileIdleChangesNothing) {
    cancel_open();
    expect_idle();
    EXPECT_TRUE(fake.window_calls.empty());
    EXPECT_TRUE(fake.boxes.empty());
}

// An OBJ file that cannot be opened, each way it happens; root can still be
// refused a folder by the name of the OBJ file.
struct UnopenableCase {
    const char* name;
    void (*prepare)(const fs::path& folder);
    bool needs_unprivileged;
};
void PrintTo(const UnopenableCase& c, std::ostream* os) { *os << c.name; }

void obj_name_taken_by_folder(const fs::path& f) { fs::create_directory(f / "house.dff.obj"); }

void obj_file_read_only(const fs::path& f) {
    open_to_everyone(f);
    std::FILE* out = std::fopen((f / "house.dff.obj").c_str(), "w");
    std::fclose(out);
    fs::permissions(f / "house.dff.obj", fs::perms::owner_read | fs::perms::group_read |
                                             fs::perms::others_read);
}

void folder_read_only(const fs::path& f) {
    fs::permissions(f, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                           fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
}

class UnopenableObj : public Commands, public ::testing::WithParamInterface<UnopenableCase> {};

TEST_P(UnopenableObj, ReportsOpenErrorEndsIdleAndLeavesTheButtons) {
    const UnopenableCase& c = GetParam();
    GetParam().prepare(folder.path);

    auto try_open = [&](const std::string& name) {
        Unprivileged as_user;
        if (c.needs_unprivileged && !as_user.active)
            GTEST_SKIP() << "running as root and cannot act as another user: a read-only "
                            "file or folder does not stop root (a folder named like the OBJ "
                            "file covers the failing open)";
        open(name);
    };

    // From Idle: nothing was open, the buttons are not touched.
    try_open("house.dff");
    if (IsSkipped()) return;
    ASSERT_EQ(fake.box_texts(), std::vector<std::string>{"<*.obj> open error!"});
    EXPECT_EQ(fake.boxes[0].owner, main_window);
    EXPECT_STREQ(conversion_state.source_path, model("house.dff").c_str());
    EXPECT_STREQ(conversion_state.output_path, "house.dff.obj");
    expect_idle();
    EXPECT_TRUE(fake.window_calls.empty());
}

TEST_P(UnopenableObj, FromReadyClosesThePreviousFileAndLaterButtonsFindNothingOpen) {
    const UnopenableCase& c = GetParam();
    fs::create_directory(folder.path / "sub");
    fake.dialog_choice = (folder.path / "sub" / "first.dff").string();
    {
        CurrentFolder in_sub(folder.path / "sub");
        handle_command(main_window, id_open);
        expect_ready();
    }
    GetParam().prepare(folder.path);
    {
        Unprivileged as_user;
        if (c.needs_unprivileged && !as_user.active)
            GTEST_SKIP() << "running as root and cannot act as another user";
        open("house.dff");
    }
    EXPECT_EQ(fake.box_texts(), std::vector<std::string>{"<*.obj> open error!"});
    expect_idle();
    EXPECT_EQ(all_ids_enabled(fake), "1111");
    EXPECT_EQ(read_file(folder.path / "sub" / "first.dff.obj"), "");

    run_conversion(main_window, id_go1, clean_strategy);
    EXPECT_EQ(fake.box_texts().back(), "Choose a dff file!");
    EXPECT_TRUE(runs.empty());
    EXPECT_EQ(all_ids_enabled(fake), "1111");
}

INSTANTIATE_TEST_SUITE_P(
    EachCause, UnopenableObj,
    ::testing::Values(UnopenableCase{"NameTakenByFolder", obj_name_taken_by_folder, false},
                      UnopenableCase{"ReadOnlyObjFile", obj_file_read_only, true},
                      UnopenableCase{"ReadOnlyFolder", folder_read_only, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Commands, CloseRequestClosesAnOpenObjFileAndDestroysTheWindow) {
    open("house.dff");
    fake.window_calls.clear();
    handle_close(main_window);
    expect_idle();
    EXPECT_EQ(fake.window_calls, std::vector<std::string>{"destroy"});
    EXPECT_EQ(obj("house.dff.obj"), "");
    EXPECT_TRUE(fake.boxes.empty());
}

TEST_F(Commands, CloseRequestWhileIdleOnlyDestroysTheWindow) {
    handle_close(main_window);
    EXPECT_EQ(fake.window_calls, std::vector<std::string>{"destroy"});
}

TEST_F(Commands, ExitOnlyQueuesACloseRequest) {
    open("house.dff");
    fake.window_calls.clear();
    EXPECT_EQ(handle_command(main_window, id_exit), 0);
    EXPECT_EQ(fake.window_calls, std::vector<std::string>{"post_close"});
    expect_ready();
}

TEST_F(Commands, IdsThatAreNotCommandsDoNothing) {
    open("house.dff");
    fake.window_calls.clear();
    for (std::uintptr_t id : {0u, 1u, 2u, 7u, 1001u, 9068u, 9072u, 0xFFFFu, 3u << 16, 9070u << 16}) {
        EXPECT_EQ(handle_command(main_window, id), 0) << id;
    }
    EXPECT_TRUE(fake.window_calls.empty());
    EXPECT_TRUE(fake.boxes.empty());
    EXPECT_EQ(fake.open_dialogs, 1);
    expect_ready();
}

TEST_F(Commands, NotificationCodeInTheHighBitsIsIgnored) {
    fake.dialog_choice = model("house.dff");
    handle_command(main_window, (std::uintptr_t{1} << 16) | id_open);
    EXPECT_EQ(fake.open_dialogs, 1);
    expect_ready();
    fake.window_calls.clear();
    handle_command(main_window, (std::uintptr_t{0xFFFF} << 16) | id_exit);
    EXPECT_EQ(fake.window_calls, std::vector<std::string>{"post_close"});
}

// Commands that the window lets through while an unowned box is up.
void fire_every_command() {
    for (int id : {id_open, id_go1, id_go2, id_go3, id_go4, id_about, id_exit})
        handle_command(main_window, static_cast<std::uintptr_t>(id));
    handle_close(main_window);
}

TEST_F(Commands, CommandsWhileTheDoubtfulMessageIsUpAreRefused) {
    open("house.dff");
    fake.dialog_choice = model("other.dff");
    fake.active = nullptr;  // the program is not the active one: the box has no owner
    fake.window_calls.clear();
    int fired = 0;
    fake.while_box_up = [&](const MessageBoxCall&) {
        ++fired;
        fire_every_command();
    };
    run_conversion(main_window, id_go1, doubtful_strategy);

    EXPECT_EQ(fired, 1);
    EXPECT_EQ(fake.box_texts(), std::vector<std::string>{"There were errors!\n\nChoose another button."});
    EXPECT_EQ(fake.open_dialogs, 1);
    EXPECT_EQ(runs.size(), 1u);
    EXPECT_EQ(fake.window_calls, std::vector<std::string>{"enable 3 0"});
    expect_ready();
    EXPECT_STREQ(conversion_state.output_path, "house.dff.obj");
    EXPECT_FALSE(fs::exists(folder.path / "other.dff.obj"));

    // Once the message is gone, commands work again.
    fake.while_box_up = nullptr;
    handle_command(main_window, id_open);
    EXPECT_EQ(fake.open_dialogs, 2);
    EXPECT_STREQ(conversion_state.output_path, "other.dff.obj");
}

void strategy_that_is_interrupted(const char* path) {
    fire_every_command();
    clean_strategy(path);
}

TEST_F(Commands, CommandsWhileAConversionRunsAreRefused) {
    open("house.dff");
    fake.dialog_choice = model("other.dff");
    fake.window_calls.clear();
    run_conversion(main_window, id_go1, strategy_that_is_interrupted);
    EXPECT_EQ(runs.size(), 1u);
    EXPECT_EQ(fake.open_dialogs, 1);
    EXPECT_TRUE(fake.boxes.empty());
    EXPECT_EQ(fake.window_calls, std::vector<std::string>{"enable 3 0"});
    EXPECT_EQ(obj("house.dff.obj"), "# " + model("house.dff") + "\nclean output\n");
}

TEST_F(Commands, CommandsWhileTheAboutBoxIsUpRun) {
    fake.dialog_choice = model("house.dff");
    fake.while_box_up = [&](const MessageBoxCall& box) {
        if (box.caption == "About vorlund-obj") handle_command(main_window, id_open);
    };
    handle_command(main_window, id_about);
    expect_ready();
    EXPECT_EQ(all_ids_enabled(fake), "1111");
}

TEST_F(Commands, KeptDoubtfulOutputStaysInTheClosedFile) {
    set_keep_doubtful_output(1);
    open("house.dff");
    run_conversion(main_window, id_go2, doubtful_strategy);
    EXPECT_EQ(fake.box_texts(), std::vector<std::string>{"There were errors!\n\nChoose another button."});
    expect_idle();
    EXPECT_EQ(obj("house.dff.obj"), "# " + model("house.dff") + "\ndoubtful output\n");
    EXPECT_EQ(all_ids_enabled(fake), "1011");
}

// The real strategies behind the ids, on a bundled sample.
TEST_F(Commands, EachButtonIdRunsItsOwnStrategy) {
    fs::copy_file(fs::path(VORLUND_SOURCE_DIR) / "samples" / "house.dff", folder.path / "house.dff");
    std::string text;
    fake.while_box_up = [&](const MessageBoxCall&) { text = obj("house.dff.obj"); };
    for (int id = id_go1; id <= id_go4; ++id) {
        open("house.dff");
        text.clear();
        handle_command(main_window, static_cast<std::uintptr_t>(id));
        if (text.empty()) text = obj("house.dff.obj");
        EXPECT_EQ(text.substr(0, text.find("\n", text.find('\n') + 1) + 1),
                  "# " + model("house.dff") + "\n# button go" + std::to_string(id - id_go1 + 1) + "\n");
        EXPECT_EQ(fake.enabled[id], 0);
    }
}

TEST_F(Commands, WrongModelTypeEndsCleanWithOnlyTheHeaderLine) {
    folder.write("odd.dff", std::vector<std::uint8_t>{17, 1, 0, 0, 0, 1, 0, 0, 0});
    open("odd.dff");
    handle_command(main_window, id_go3);
    EXPECT_EQ(fake.box_texts(), std::vector<std::string>{"This doesn't seem to be a dff file!"});
    expect_idle();
    EXPECT_EQ(obj("odd.dff.obj"), "# " + model("odd.dff") + "\n");
    EXPECT_EQ(all_ids_enabled(fake), "1101");
}

TEST_F(Commands, ButtonAfterCancelledOpenConvertsTheEmptyPathAndEndsClean) {
    open("house.dff");
    cancel_open();
    handle_command(main_window, id_go1);
    expect_idle();
    EXPECT_TRUE(fake.boxes.empty());
    EXPECT_EQ(obj("house.dff.obj").rfind("# \n Invalid file handle. Error is ", 0), 0u) << obj("house.dff.obj");
}

// A full disk: the OBJ file's name leads to a device that refuses every write.
class FullDisk : public Commands {
protected:
    void SetUp() override {
        Commands::SetUp();
        if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full on this system";
        fs::create_symlink("/dev/full", folder.path / "house.dff.obj");
    }
    void TearDown() override {
        Commands::TearDown();
        std::error_code ec;
        fs::remove(folder.path / "house.dff.obj", ec);  // the link, never the device
    }
};

TEST_F(FullDisk, CleanConversionThatCouldNotBeWrittenReportsAWriteError) {
    open("house.dff");
    expect_ready();
    run_conversion(main_window, id_go1, long_strategy);
    ASSERT_EQ(fake.box_texts(), std::vector<std::string>{"<*.obj> write error!"});
    EXPECT_EQ(fake.boxes[0].owner, main_window);
    expect_idle();
    EXPECT_EQ(all_ids_enabled(fake), "0111");
}

TEST_F(FullDisk, WriteErrorShowsEvenWhenEverythingFitsTheBuffer) {
    open("house.dff");
    run_conversion(main_window, id_go1, clean_strategy);
    EXPECT_EQ(fake.box_texts(), std::vector<std::string>{"<*.obj> write error!"});
    expect_idle();
}

TEST_F(FullDisk, DoubtfulOutputThatCouldNotBeWrittenReportsOnlyTheWriteError) {
    open("house.dff");
    run_conversion(main_window, id_go3, doubtful_strategy);
    EXPECT_EQ(fake.box_texts(), std::vector<std::string>{"<*.obj> write error!"});
    expect_idle();
    EXPECT_EQ(all_ids_enabled(fake), "1101");
}

}  // namespace
