#pragma once

#include <stdexcept>
#include <string>

namespace zel {

// The error number of a read past the end of a record file: a file shorter than the record it must
// hold. The platform has no number of its own for it; this is the one record-file programs know.
constexpr int kReadPastEnd = 100;

// A record-file operation failed; carries the platform's error number.
class IoError : public std::runtime_error {
  public:
    IoError(int code, const std::string& path)
        : std::runtime_error("I/O error " + std::to_string(code)), code_(code), path_(path) {}
    int code() const { return code_; }
    const std::string& path() const { return path_; }

  private:
    int code_;
    std::string path_;
};

// A date text that does not convert back into a date. The text is Windows-1250.
class DateError : public std::runtime_error {
  public:
    explicit DateError(const std::string& text)
        : std::runtime_error("'" + text + "' is not a valid date"), text_(text) {}
    const std::string& text() const { return text_; }

  private:
    std::string text_;
};

// The text of the general error box: a final "." is added when the last character sorts after it.
std::string errorBoxText(const std::string& message);

} // namespace zel
