// vorlund-obj's progress line on a terminal 40 columns wide: it never wraps,
// each one is taken back before the next line, and nothing of it is left.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/cli_fixture.h"
#include "support/run_in_terminal.h"

#ifdef VORLUND_OBJ_PROGRAM

namespace {

using CliProgress = CliFolder;

// The lines a terminal shows when it has received text: a carriage return
// moves back to the line's start, later characters overwrite earlier ones.
struct Screen {
    std::vector<std::string> lines;
    std::string line;
    std::size_t cursor = 0;

    void receive(const std::string& text) {
        for (char c : text) {
            if (c == '\r') {
                cursor = 0;
            } else if (c == '\n') {
                lines.push_back(trimmed(line));
                line.clear();
                cursor = 0;
            } else {
                if (cursor < line.size()) line[cursor] = c;
                else line += c;
                ++cursor;
            }
        }
    }
    static std::string trimmed(std::string s) {
        while (!s.empty() && s.back() == ' ') s.pop_back();
        return s;
    }
};

// The pieces written between two carriage returns that are not message lines.
std::vector<std::string> progress_pieces(const std::string& written) {
    std::vector<std::string> pieces;
    std::string piece;
    for (char c : written + "\r") {
        if (c != '\r' && c != '\n') {
            piece += c;
            continue;
        }
        if (!piece.empty() && piece.rfind("vorlund-obj: ", 0) != 0) pieces.push_back(piece);
        piece.clear();
    }
    return pieces;
}

TEST_F(CliProgress, ProgressLineFitsFortyColumnsAndIsClearedAtTheEnd) {
    const std::string deep = "a folder with a name far too long for a narrow terminal";
    for (const char* sample : {"crate.dff", "house.dff", "lantern.dff"}) copy_sample(sample, deep + "/" + sample);
    copy_sample("crate.dff", deep + "/zz.dff");

    TerminalRun terminal = run_in_terminal(VORLUND_OBJ_PROGRAM, {deep}, folder.path.string(), 40);
    ProgramRun piped = cli({deep});
    ASSERT_EQ(piped.exit_status, 0) << piped.err;
    EXPECT_EQ(terminal.exit_status, 0);

    std::vector<std::string> pieces = progress_pieces(terminal.written);
    int with_rate = 0, elided = 0, numbered = 0;
    for (const std::string& p : pieces) {
        EXPECT_LE(p.size(), 40u) << p;
        with_rate += p.find(" models/s, ") != std::string::npos && p.find(" left ") != std::string::npos;
        elided += p.find("...") != std::string::npos;
        numbered += p.rfind("[", 0) == 0 && p.find("/4] ") != std::string::npos;
    }
    EXPECT_EQ(numbered, 4) << terminal.written;  // one before each model
    EXPECT_EQ(with_rate, 3);                     // a rate once a model is done
    EXPECT_EQ(elided, 4);

    // What stays on screen is what goes to a pipe: the progress left no trace.
    Screen screen;
    screen.receive(terminal.written);
    EXPECT_EQ(screen.lines, lines_of_text(piped.err));
    EXPECT_EQ(Screen::trimmed(screen.line), "");
}

}  // namespace

#endif
