#include "platform/qt_shell.h"
#include "platform/qt_sound.h"
#include "test_util.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QThread>
#include <QtEndian>
#include <gtest/gtest.h>

#include <filesystem>

using namespace zel::gui;
using zel::test::readFile;
using zel::test::TempDir;
using zel::test::writeFile;
namespace fs = std::filesystem;

namespace {

// Lets the event loop run until the file appears or five seconds pass.
bool waitForFile(const fs::path& p) {
    QDeadlineTimer deadline(5000);
    while (!fs::exists(p) && !deadline.hasExpired()) {
        QCoreApplication::processEvents();
        QThread::msleep(20);
    }
    return fs::exists(p);
}

// A script that writes its arguments, one a line, to `marker`; renamed into place so a reader never
// sees half of it.
fs::path writeScript(const fs::path& script, const fs::path& marker) {
    fs::create_directories(script.parent_path());
    writeFile(script, "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + marker.string() + ".part'\nmv '" +
                          marker.string() + ".part' '" + marker.string() + "'\n");
    fs::permissions(script, fs::perms::owner_all);
    return script;
}

QString q(const fs::path& p) {
    return QString::fromStdString(p.string());
}

quint16 u16(const QByteArray& b, qsizetype at) {
    return qFromLittleEndian<quint16>(b.constData() + at);
}
quint32 u32(const QByteArray& b, qsizetype at) {
    return qFromLittleEndian<quint32>(b.constData() + at);
}

} // namespace

TEST(Sound, TheDefaultAlertIsAStereo22kHz16BitWaveOf119292DataBytes) {
    QFile f(QStringLiteral(":/sounds/alert.wav"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray b = f.readAll();
    ASSERT_GE(b.size(), 12);
    EXPECT_EQ(b.left(4), "RIFF");
    EXPECT_EQ(b.mid(8, 4), "WAVE");
    EXPECT_EQ(u32(b, 4), quint32(b.size() - 8));

    bool sawFormat = false;
    quint32 dataBytes = 0;
    for (qsizetype at = 12; at + 8 <= b.size();) {
        const QByteArray id = b.mid(at, 4);
        const quint32 size = u32(b, at + 4);
        if (id == "fmt ") {
            sawFormat = true;
            EXPECT_EQ(u16(b, at + 8), 1u);      // PCM
            EXPECT_EQ(u16(b, at + 10), 2u);     // channels
            EXPECT_EQ(u32(b, at + 12), 22050u); // frames a second
            EXPECT_EQ(u16(b, at + 22), 16u);    // bits a sample
        } else if (id == "data") {
            dataBytes = size;
            EXPECT_LE(at + 8 + qsizetype(size), b.size());
        }
        at += 8 + size + (size & 1);
    }
    EXPECT_TRUE(sawFormat);
    EXPECT_EQ(dataBytes, 119292u);
}

TEST(Sound, PlayingAndStoppingNeverFailsAlsoWithoutAudioOrFile) {
    TempDir dir;
    writeFile(dir.path() / "tune.mid", "MThd not a wave");
    QtSound sound;
    sound.stop(); // before anything was made
    sound.playDefault(false);
    sound.playDefault(true);
    QCoreApplication::processEvents();
    sound.stop();
    sound.playFile(q(dir.path() / "missing.wav"), true);
    sound.playFile(q(dir.path() / "tune.mid"), false);
    sound.playFile(QString(), false);
    sound.playFile(QStringLiteral(":/sounds/alert.wav"), false); // not a local file
    sound.playDefault(true);
    QCoreApplication::processEvents();
    sound.stop();
    sound.stop();
}

TEST(Shell, MissingTargetsOpenNothingAndNeverThrow) {
    TempDir dir;
    QtShell shell;
    EXPECT_NO_THROW(shell.Elindit(q(dir.path() / "nincs.exe"), QString()));
    EXPECT_NO_THROW(shell.Elindit(q(dir.path() / "nincs.exe") + QStringLiteral(" -a b"), QString()));
    EXPECT_NO_THROW(shell.Elindit(q(dir.path() / "nincs.exe"), QStringLiteral("x y")));
    EXPECT_NO_THROW(shell.Elindit(QStringLiteral("C:\\Progs\\backup.exe /full"), QString()));
    EXPECT_NO_THROW(shell.Elindit(QString(), QString()));
    EXPECT_NO_THROW(shell.Elindit(QStringLiteral("notepad.exe"), q(dir.path() / "nincs.txt")));
    EXPECT_NO_THROW(shell.Elindit(QStringLiteral("explorer.exe"), q(dir.path() / "nincs")));
    EXPECT_NO_THROW(shell.openAddress(QString()));
    EXPECT_TRUE(fs::is_empty(dir.path()));
}

TEST(Shell, AStoredCommandStartsItsProgramWithTheArguments) {
    TempDir dir;
    const auto marker = dir.path() / "marker";
    const auto script = writeScript(dir.path() / "run.sh", marker);
    QtShell shell;
    shell.Elindit(q(script) + QStringLiteral(" arg1"), QString());
    ASSERT_TRUE(waitForFile(marker));
    EXPECT_EQ(readFile(marker), "arg1\n");

    // A trailing space: the program alone, with no arguments.
    fs::remove(marker);
    shell.Elindit(q(script) + QStringLiteral(" "), QString());
    ASSERT_TRUE(waitForFile(marker));
    EXPECT_EQ(readFile(marker), "\n"); // printf prints its format once even with no arguments
}

TEST(Shell, AStoredCommandWhosePathHoldsASpaceStartsThatProgram) {
    TempDir dir;
    const auto marker = dir.path() / "marker";
    const auto script = writeScript(dir.path() / "My Tools" / "run me.sh", marker);
    QtShell shell;
    shell.Elindit(q(script) + QStringLiteral(" a 'b c' \"d\""), QString());
    ASSERT_TRUE(waitForFile(marker));
    EXPECT_EQ(readFile(marker), "a\nb c\nd\n");
}

TEST(Shell, TheTestLaunchPassesTheParameterTextAsArguments) {
    TempDir dir;
    const auto marker = dir.path() / "marker";
    const auto script = writeScript(dir.path() / "My Tools" / "run.sh", marker);
    QtShell shell;
    shell.Elindit(q(script), QStringLiteral("x y"));
    ASSERT_TRUE(waitForFile(marker));
    EXPECT_EQ(readFile(marker), "x\ny\n");
}
