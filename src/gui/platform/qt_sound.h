#pragma once

#include "platform/sound.h"

#include <memory>

class QSoundEffect;

namespace zel::gui {

// QSoundEffect plays WAV only: any other file (a .mid, say) plays nothing, like a missing one.
class QtSound : public Sound {
  public:
    QtSound();
    ~QtSound() override;

    void playDefault(bool loop) override;
    void playFile(const QString& path, bool loop) override;
    void stop() override;

  private:
    void start(QSoundEffect& effect, bool loop);

    // Created on first use and kept: each effect holds its decoded samples and its audio output.
    std::unique_ptr<QSoundEffect> default_;
    std::unique_ptr<QSoundEffect> file_;
    QString filePath_;
};

} // namespace zel::gui
