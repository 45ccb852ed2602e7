#pragma once

#include <QString>

namespace zel::gui {

// Asynchronous sound: the default alert wave kept in the program, or a file; once or looped. Each
// start replaces what is playing. A machine without audio plays nothing and reports nothing.
class Sound {
  public:
    virtual ~Sound() = default;
    // Readies the default sound ahead of the first alert, which then plays without a wait.
    virtual void prepare() {}
    virtual void playDefault(bool loop) = 0;
    virtual void playFile(const QString& path, bool loop) = 0;
    virtual void stop() = 0;
};

} // namespace zel::gui
