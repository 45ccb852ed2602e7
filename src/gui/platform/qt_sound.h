#pragma once

#include "gui/platform/sound.h"

#include <memory>

class QSoundEffect;

namespace zel::gui {

// QSoundEffect plays WAV only: any other file (a .mid, say) plays nothing, like a missing one.
class QtSound : public Sound {
  public:
    QtSound();
    ~QtSound() override;

    void prepare() override;

    void playDefault(bool loop) override;
    void playFile(const QString& path, bool loop) override;
    void stop() override;

    // What was last started and not stopped since; a file that is no wave starts nothing.
    enum class Playing { Nothing, Default, File };
    Playing playing() const { return playing_; }
    bool looping() const { return looping_; }

  private:
    void start(QSoundEffect& effect, bool loop);

    // Created on first use and kept: each effect holds its decoded samples and its audio output.
    std::unique_ptr<QSoundEffect> default_;
    std::unique_ptr<QSoundEffect> file_;
    QString filePath_;
    Playing playing_ = Playing::Nothing;
    bool looping_ = false;
};

} // namespace zel::gui
