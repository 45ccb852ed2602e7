#pragma once

#include "gui/platform/sound.h"

#include <QString>
#include <QStringList>

namespace zel::test {

// Records every sound request as one line: "default loop", "default once", "file <path> loop",
// "file <path> once", "stop".
class RecordingSound : public gui::Sound {
  public:
    QStringList calls;

    void playDefault(bool loop) override { calls << QStringLiteral("default ") + mode(loop); }
    void playFile(const QString& path, bool loop) override {
        calls << QStringLiteral("file ") + path + QStringLiteral(" ") + mode(loop);
    }
    void stop() override { calls << QStringLiteral("stop"); }

    // The calls since the last take, and forgets them.
    QStringList take() {
        QStringList out;
        out.swap(calls);
        return out;
    }

  private:
    static QString mode(bool loop) { return loop ? QStringLiteral("loop") : QStringLiteral("once"); }
};

} // namespace zel::test
