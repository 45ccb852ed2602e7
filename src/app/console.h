#pragma once

#include "core/errors.h"

#include <QString>
#include <cstdio>
#include <string>

namespace zel::app {

// The command line's exit statuses, as --help lists them.
enum Status { Success = 0, Failure = 1, Usage = 2, Running = 3 };

// One line of UTF-8 text.
void say(FILE* to, const QString& text);
// A line that holds file names as the user gave them, byte for byte; the rest is UTF-8.
void sayBytes(FILE* to, const std::string& line);
// The message on stderr after "zelmoran: "; returns the status.
int fail(Status status, const QString& text);
// The message, then the name the user gave.
int failOn(Status status, const QString& text, const std::string& name);
// The error box's words on one line: what failed, the file, the error number and its cause.
int failIo(const QString& what, const IoError& e);

} // namespace zel::app
