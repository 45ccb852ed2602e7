#include "gui/platform/module_sound.h"

#include <QDir>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QtDebug>

#include <cerrno>
#include <dlfcn.h>
#include <string>
#include <sys/mman.h>
#include <unistd.h>
#include <utility>

#ifndef MFD_EXEC
#define MFD_EXEC 0x0010U // newer kernels make memory files executable only when asked
#endif

namespace zel::gui {
namespace {

bool writeAll(int fd, std::span<const unsigned char> bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes = bytes.subspan(static_cast<std::size_t>(n));
    }
    return true;
}

// The module from a file in memory; nothing where the system forbids running code from one.
void* openFromMemory(std::span<const unsigned char> module) {
    int fd = ::memfd_create("zelmoran-sound", MFD_CLOEXEC | MFD_EXEC);
    if (fd < 0 && errno == EINVAL) fd = ::memfd_create("zelmoran-sound", MFD_CLOEXEC);
    if (fd < 0) return nullptr;
    void* handle = nullptr;
    if (writeAll(fd, module))
        handle = ::dlopen(("/proc/self/fd/" + std::to_string(fd)).c_str(), RTLD_NOW | RTLD_LOCAL);
    // A loaded module's file stays open, as the module stays loaded: the loader knows a module by its
    // path, and another file given the same number would be taken for this one.
    if (!handle) ::close(fd);
    return handle;
}

// The module from a file of the user's runtime folder, removed once loaded.
void* openFromFile(std::span<const unsigned char> module) {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty()) folder = QDir::tempPath();
    QTemporaryFile file(folder + QStringLiteral("/zelmoran-sound-XXXXXX.so"));
    if (!file.open() || !writeAll(file.handle(), module) || !file.flush()) return nullptr;
    return ::dlopen(QFile::encodeName(file.fileName()).constData(), RTLD_NOW | RTLD_LOCAL);
}

} // namespace

ModuleSound::ModuleSound(std::span<const unsigned char> module) : module_(module) {}

// The module stays loaded to the end: what the toolkit made of it may outlive the sound.
ModuleSound::~ModuleSound() = default;

Sound* ModuleSound::sound() {
    if (std::exchange(tried_, true)) return sound_.get();
    void* handle = openFromMemory(module_);
    if (!handle) handle = openFromFile(module_);
    using Create = Sound* (*)();
    const auto create = handle ? reinterpret_cast<Create>(::dlsym(handle, "zelCreateSound")) : nullptr;
    if (create) {
        sound_.reset(create());
    } else {
        const char* why = ::dlerror();
        qWarning("zelmoran: the sound module could not be loaded (%s); no sound will play",
                 why ? why : "no file could hold it");
    }
    return sound_.get();
}

void ModuleSound::prepare() {
    if (Sound* s = sound()) s->prepare();
}

void ModuleSound::playDefault(bool loop) {
    if (Sound* s = sound()) s->playDefault(loop);
}

void ModuleSound::playFile(const QString& path, bool loop) {
    if (Sound* s = sound()) s->playFile(path, loop);
}

void ModuleSound::stop() {
    // Nothing plays before the module is loaded; stopping loads nothing.
    if (sound_) sound_->stop();
}

} // namespace zel::gui
