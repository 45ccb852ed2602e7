#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace zel {

// A stored command is a path, one space and the parameters; the path itself may hold spaces.
struct SplitCommand {
    bool isProgram = false; // false: no prefix names a file, open `program` as a document or address
    std::string program;
    std::vector<std::string> arguments;
};

// The longest prefix that ends before a space (or the whole text) and names a file is the program;
// the rest becomes its arguments, split as a POSIX shell splits words.
SplitCommand splitCommand(std::string_view text, const std::function<bool(const std::string&)>& isFile);

// Whitespace separates words; single quotes keep everything, double quotes honour \" and \\, a
// backslash outside quotes takes the next character. An unclosed quote runs to the end.
std::vector<std::string> splitArguments(std::string_view text);

} // namespace zel
