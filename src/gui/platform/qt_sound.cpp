#include "gui/platform/qt_sound.h"

#include <QFile>
#include <QSoundEffect>
#include <QUrl>

namespace zel::gui {
namespace {

// Anything but a RIFF/WAVE file would only make QSoundEffect print a decoding error on each start.
bool looksLikeWave(const QString& path) {
    // A user's file lies on disk; ":/…" would read the program's resources but play as a missing file.
    if (path.startsWith(QLatin1Char(':'))) return false;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return false;
    const QByteArray head = f.read(12);
    return head.size() == 12 && head.startsWith("RIFF") && head.endsWith("WAVE");
}

} // namespace

QtSound::QtSound() = default;
QtSound::~QtSound() = default;

void QtSound::prepare() {
    if (default_) return;
    default_ = std::make_unique<QSoundEffect>();
    default_->setSource(QUrl(QStringLiteral("qrc:/sounds/alert.wav")));
}

void QtSound::playDefault(bool loop) {
    stop();
    prepare();
    start(*default_, loop);
    playing_ = Playing::Default;
}

void QtSound::playFile(const QString& path, bool loop) {
    stop();
    if (path.isEmpty() || !looksLikeWave(path)) return;
    // The same source is not loaded again, so a new file, or one that failed, needs a new effect.
    if (!file_ || path != filePath_ || file_->status() == QSoundEffect::Error) {
        file_ = std::make_unique<QSoundEffect>();
        file_->setSource(QUrl::fromLocalFile(path));
        filePath_ = path;
    }
    start(*file_, loop);
    playing_ = Playing::File;
}

void QtSound::stop() {
    if (default_) default_->stop();
    if (file_) file_->stop();
    playing_ = Playing::Nothing;
}

void QtSound::start(QSoundEffect& effect, bool loop) {
    effect.setLoopCount(loop ? QSoundEffect::Infinite : 1);
    looping_ = loop;
    // Before the samples are loaded this only queues the start; the effect plays once they are ready.
    effect.play();
}

} // namespace zel::gui
