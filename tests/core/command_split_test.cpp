#include "core/app/command_split.h"

#include <gtest/gtest.h>

#include <set>

using namespace zel;
using Args = std::vector<std::string>;

namespace {

auto filesAre(std::set<std::string> files) {
    return [files = std::move(files)](const std::string& p) { return files.count(p) > 0; };
}

} // namespace

TEST(CommandSplit, ProgramThenArgumentsAndATrailingSpaceMeansNone) {
    const auto isFile = filesAre({"/usr/bin/backup", "/usr/bin/x", "C:\\Progs\\backup.exe"});

    auto s = splitCommand("/usr/bin/backup --full -v", isFile);
    EXPECT_TRUE(s.isProgram);
    EXPECT_EQ(s.program, "/usr/bin/backup");
    EXPECT_EQ(s.arguments, (Args{"--full", "-v"}));

    s = splitCommand("C:\\Progs\\backup.exe /full", isFile);
    EXPECT_EQ(s.program, "C:\\Progs\\backup.exe");
    EXPECT_EQ(s.arguments, Args{"/full"});

    s = splitCommand("/usr/bin/x ", isFile);
    EXPECT_TRUE(s.isProgram);
    EXPECT_EQ(s.program, "/usr/bin/x");
    EXPECT_TRUE(s.arguments.empty());

    s = splitCommand("/usr/bin/x", isFile); // the whole text names the file
    EXPECT_TRUE(s.isProgram);
    EXPECT_EQ(s.program, "/usr/bin/x");
    EXPECT_TRUE(s.arguments.empty());
}

TEST(CommandSplit, TheLongestPrefixNamingAFileWinsAlsoWithSpacesInThePath) {
    // "/opt/My" exists too, but the longer prefix is the program.
    const auto isFile = filesAre({"/opt/My", "/opt/My Tools/run.sh", "/opt/a b"});

    auto s = splitCommand("/opt/My Tools/run.sh a 'b c'", isFile);
    EXPECT_TRUE(s.isProgram);
    EXPECT_EQ(s.program, "/opt/My Tools/run.sh");
    EXPECT_EQ(s.arguments, (Args{"a", "b c"}));

    s = splitCommand("/opt/My Other", isFile);
    EXPECT_EQ(s.program, "/opt/My");
    EXPECT_EQ(s.arguments, Args{"Other"});

    s = splitCommand("/opt/a b c d", isFile);
    EXPECT_EQ(s.program, "/opt/a b");
    EXPECT_EQ(s.arguments, (Args{"c", "d"}));
}

TEST(CommandSplit, NoFileAtAllLeavesTheWholeTextToBeOpened) {
    const auto none = filesAre({});
    for (const std::string text : {"https://example.hu/a b", "/no/such/file x", "", " ", "mailto:a@b.hu"}) {
        const auto s = splitCommand(text, none);
        EXPECT_FALSE(s.isProgram) << text;
        EXPECT_EQ(s.program, text);
        EXPECT_TRUE(s.arguments.empty());
    }
    // An empty prefix never counts, even when the predicate would take it.
    const auto s = splitCommand(" x", [](const std::string&) { return false; });
    EXPECT_FALSE(s.isProgram);
}

TEST(CommandSplit, ArgumentsSplitAsAShellWould) {
    EXPECT_TRUE(splitArguments("").empty());
    EXPECT_TRUE(splitArguments(" \t ").empty());
    EXPECT_EQ(splitArguments("  a\tb  c "), (Args{"a", "b", "c"}));
    EXPECT_EQ(splitArguments("'b c' \"d e\""), (Args{"b c", "d e"}));
    EXPECT_EQ(splitArguments("'' \"\" x"), (Args{"", "", "x"}));
    EXPECT_EQ(splitArguments("'a\\b' \"q\\\"r\\\\s\\t\""), (Args{"a\\b", "q\"r\\s\\t"}));
    EXPECT_EQ(splitArguments("a\\ b c\\'d \\\\"), (Args{"a b", "c'd", "\\"}));
    EXPECT_EQ(splitArguments("pre'mid dle'post \"x\"'y'"), (Args{"premid dlepost", "xy"}));
    EXPECT_EQ(splitArguments("'unclosed here"), Args{"unclosed here"});
    EXPECT_EQ(splitArguments("\"unclosed \\\" too"), Args{"unclosed \" too"});
    EXPECT_EQ(splitArguments("trailing\\"), Args{"trailing\\"});
    EXPECT_EQ(splitArguments("árvíztűrő 'tükör fúrógép'"), (Args{"árvíztűrő", "tükör fúrógép"}));
}
