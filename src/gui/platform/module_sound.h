#pragma once

#include "gui/platform/sound.h"

#include <memory>
#include <span>

namespace zel::gui {

// The sound played by a module the program carries in itself, loaded at the first sound, or at
// prepare(): the libraries that play sound then stay out of the way of the program's start. A module
// that cannot be loaded plays nothing, like a machine without audio, and is not tried again.
class ModuleSound : public Sound {
  public:
    // `module` is the module's file as bytes, kept by the caller for as long as this lives.
    explicit ModuleSound(std::span<const unsigned char> module);
    ~ModuleSound() override;

    void prepare() override;
    void playDefault(bool loop) override;
    void playFile(const QString& path, bool loop) override;
    void stop() override;

    bool loaded() const { return sound_ != nullptr; }

  private:
    Sound* sound();

    std::span<const unsigned char> module_;
    bool tried_ = false;
    std::unique_ptr<Sound> sound_;
};

} // namespace zel::gui
