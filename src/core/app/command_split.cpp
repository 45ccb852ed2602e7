#include "core/app/command_split.h"

namespace zel {
namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

} // namespace

std::vector<std::string> splitArguments(std::string_view text) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false; // '' and "" make an empty word, so presence is tracked apart from content
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (isBlank(c)) {
            if (inWord) words.push_back(std::move(word));
            word.clear();
            inWord = false;
            ++i;
            continue;
        }
        inWord = true;
        if (c == '\'') {
            const auto end = text.find('\'', i + 1);
            const auto stop = end == std::string_view::npos ? text.size() : end;
            word.append(text.substr(i + 1, stop - i - 1));
            i = stop + 1;
        } else if (c == '"') {
            ++i;
            while (i < text.size() && text[i] != '"') {
                if (text[i] == '\\' && i + 1 < text.size() && (text[i + 1] == '"' || text[i + 1] == '\\'))
                    ++i;
                word += text[i++];
            }
            ++i;
        } else if (c == '\\' && i + 1 < text.size()) {
            word += text[i + 1];
            i += 2;
        } else {
            word += c;
            ++i;
        }
    }
    if (inWord) words.push_back(std::move(word));
    return words;
}

SplitCommand splitCommand(std::string_view text, const std::function<bool(const std::string&)>& isFile) {
    const std::string whole(text);
    if (!whole.empty() && isFile(whole)) return {true, whole, {}};
    for (auto space = text.rfind(' '); space != std::string_view::npos && space > 0;
         space = text.rfind(' ', space - 1)) {
        std::string prefix(text.substr(0, space));
        if (isFile(prefix)) return {true, std::move(prefix), splitArguments(text.substr(space + 1))};
    }
    return {false, whole, {}};
}

} // namespace zel
