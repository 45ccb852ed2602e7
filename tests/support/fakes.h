#pragma once

#include "gui/platform/autostart.h"
#include "gui/platform/notifier.h"
#include "gui/platform/qt_shell.h"
#include "gui/platform/shell.h"
#include "gui/platform/sound.h"
#include "gui/platform/tray.h"
#include "gui/sync/secret_store.h"

#include <QMap>
#include <QStringList>
#include <utility>

namespace zel::test {

// Record what would have been handed to the desktop.
class RecordingShell : public gui::Shell {
  public:
    struct Call {
        QString file, parameters;
        bool operator==(const Call&) const = default;
    };
    std::vector<Call> calls;
    QStringList addresses;
    // Whether the desktop has something to open them with.
    bool opens = true;
    bool open(const QString& file, const QString& parameters) override {
        calls.push_back({file, parameters});
        return opens;
    }
    bool openAddress(const QString& address) override {
        addresses << address;
        return opens;
    }
    // Asks the file system, as the real shell does.
    bool findsProgram(const QString& command) const override {
        return gui::QtShell::commandNamesProgram(command);
    }
};

class RecordingTray : public gui::Tray {
  public:
    QStringList hints, balloons;
    std::vector<int> days;
    bool shown = false;
    void setHint(const QString& hint) override { hints << hint; }
    void setDay(int day) override { days.push_back(day); }
    void showBalloon(const QString& title, const QString& text, int seconds) override {
        balloons << title + u'|' + text + u'|' + QString::number(seconds);
    }
    bool isShown() const override { return shown; }
};

class RecordingAutostart : public gui::Autostart {
  public:
    QStringList calls; // "on <path>" or "off"
    void setAutostart(bool on, const QString& exe) override {
        calls << (on ? QStringLiteral("on ") + exe : QStringLiteral("off"));
    }
    bool isOn() const override { return !calls.isEmpty() && calls.last() != QStringLiteral("off"); }
};

// Every sound request as one line: "default loop", "file <path> once", "stop" and the like.
class RecordingSound : public gui::Sound {
  public:
    QStringList calls;
    void playDefault(bool loop) override { calls << QStringLiteral("default ") + mode(loop); }
    void playFile(const QString& path, bool loop) override {
        calls << QStringLiteral("file ") + path + u' ' + mode(loop);
    }
    void stop() override { calls << QStringLiteral("stop"); }
    // The calls since the last take, forgotten here.
    QStringList take() { return std::exchange(calls, {}); }

  private:
    static QString mode(bool loop) { return loop ? QStringLiteral("loop") : QStringLiteral("once"); }
};

// Every post as "summary|body|action" and every withdrawal as "withdraw"; `click` answers the last post.
class RecordingNotifier : public gui::Notifier {
  public:
    QStringList calls;
    void post(const QString& summary, const QString& body, const QString& actionLabel) override {
        calls << summary + u'|' + body + u'|' + actionLabel;
    }
    void withdraw() override { calls << QStringLiteral("withdraw"); }
    void click(const QString& activationToken = {}) { emit activated(activationToken); }
    QStringList take() { return std::exchange(calls, {}); }
};

// A desktop secret store in memory that answers at once; `answers` false plays a desktop without one.
// Every call is recorded as "read KEY", "write KEY PASSWORD" or "remove KEY".
class FakeSecretStore : public gui::SecretStore {
  public:
    QMap<QString, QString> passwords;
    bool answers = true;
    QStringList calls;
    void read(const QString& key, ReadDone done) override {
        calls << QStringLiteral("read ") + key;
        if (!answers) return done(std::nullopt, false);
        done(passwords.contains(key) ? std::optional(passwords.value(key)) : std::nullopt, true);
    }
    void write(const QString& key, const QString& password, WriteDone done) override {
        calls << QStringLiteral("write ") + key + u' ' + password;
        if (answers) passwords.insert(key, password);
        done(answers);
    }
    void remove(const QString& key) override {
        calls << QStringLiteral("remove ") + key;
        if (answers) passwords.remove(key);
    }
};

} // namespace zel::test
