#include "gui/platform/qt_shell.h"
#include "gui/platform/qt_sound.h"
#include "support/test_util.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDesktopServices>
#include <QFile>
#include <QThread>
#include <QUrl>
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

// Takes the addresses the desktop would have been asked to open.
class OpenedUrls : public QObject {
    Q_OBJECT

  public:
    QStringList urls;
    OpenedUrls() {
        for (const char* scheme : {"http", "https", "file", "mailto"})
            QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), this, "open");
    }
    ~OpenedUrls() override {
        for (const char* scheme : {"http", "https", "file", "mailto"})
            QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
    }

  public slots:
    void open(const QUrl& url) { urls << url.toString(); }
};

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

TEST(Sound, EachStartReplacesTheLastAndOnlyWaveFilesPlay) {
    TempDir dir;
    writeFile(dir.path() / "tune.mid", "MThd not a wave");
    QFile::copy(QStringLiteral(":/sounds/alert.wav"), q(dir.path() / "saját.wav"));
    using P = QtSound::Playing;
    QtSound sound;
    sound.stop(); // before anything was made
    EXPECT_EQ(sound.playing(), P::Nothing);
    sound.playDefault(true);
    EXPECT_EQ(sound.playing(), P::Default);
    EXPECT_TRUE(sound.looping());
    sound.playFile(q(dir.path() / "saját.wav"), false);
    EXPECT_EQ(sound.playing(), P::File);
    EXPECT_FALSE(sound.looping());
    sound.stop();
    EXPECT_EQ(sound.playing(), P::Nothing);
    // A missing file, a file that is no wave and a resource path play nothing, and silence the last.
    for (const QString& f : {q(dir.path() / "missing.wav"), q(dir.path() / "tune.mid"), QString(),
                             QStringLiteral(":/sounds/alert.wav")}) {
        sound.playDefault(true);
        sound.playFile(f, true);
        EXPECT_EQ(sound.playing(), P::Nothing) << f.toStdString();
    }
    sound.playDefault(false);
    QCoreApplication::processEvents();
    EXPECT_EQ(sound.playing(), P::Default);
    EXPECT_FALSE(sound.looping());
    sound.stop();
    sound.stop();
    EXPECT_EQ(sound.playing(), P::Nothing);
}

TEST(Shell, OnlyExistingPathsAndExplicitAddressesAreOpened) {
    TempDir dir;
    writeFile(dir.path() / "levél.txt", "szia");
    OpenedUrls opened;
    QtShell shell;
    // Missing targets, bare names and Windows paths open nothing, at the event's minute or on "Teszt".
    shell.open(QStringLiteral("nosuchprog "), QString());
    shell.open(QStringLiteral("nosuchprog"), QStringLiteral("-x"));
    shell.open(QStringLiteral("nosuchprog --help"), QString());
    shell.open(QStringLiteral("www.example.hu "), QString());
    shell.open(q(dir.path() / "nincs.exe"), QString());
    shell.open(q(dir.path() / "nincs.exe") + QStringLiteral(" -a b"), QString());
    shell.open(q(dir.path() / "nincs.exe"), QStringLiteral("x y"));
    shell.open(QStringLiteral("C:\\Progs\\backup.exe /full"), QString());
    shell.open(QStringLiteral("file://") + q(dir.path() / "nincs.txt") + QLatin1Char(' '), QString());
    shell.open(QString(), QString());
    shell.open(QStringLiteral("notepad.exe"), q(dir.path() / "nincs.txt"));
    shell.open(QStringLiteral("explorer.exe"), q(dir.path() / "nincs"));
    shell.openAddress(QString());
    EXPECT_EQ(opened.urls, QStringList());
    EXPECT_EQ(fs::directory_iterator(dir.path())->path().filename(), "levél.txt");

    // An existing document opens in its application, an address with its scheme in the desktop's.
    shell.open(q(dir.path() / "levél.txt") + QLatin1Char(' '), QString());
    shell.open(QStringLiteral("https://www.example.hu/oldal "), QString());
    shell.open(QStringLiteral("notepad.exe"), q(dir.path() / "levél.txt"));
    EXPECT_EQ(opened.urls, (QStringList{QUrl::fromLocalFile(q(dir.path() / "levél.txt")).toString(),
                                        QStringLiteral("https://www.example.hu/oldal"),
                                        QUrl::fromLocalFile(q(dir.path() / "levél.txt")).toString()}));
}

TEST(Shell, AStoredCommandStartsItsProgramWithTheArguments) {
    TempDir dir;
    const auto marker = dir.path() / "marker";
    const auto script = writeScript(dir.path() / "run.sh", marker);
    QtShell shell;
    shell.open(q(script) + QStringLiteral(" arg1"), QString());
    ASSERT_TRUE(waitForFile(marker));
    EXPECT_EQ(readFile(marker), "arg1\n");

    // A trailing space: the program alone, with no arguments.
    fs::remove(marker);
    shell.open(q(script) + QStringLiteral(" "), QString());
    ASSERT_TRUE(waitForFile(marker));
    EXPECT_EQ(readFile(marker), "\n"); // printf prints its format once even with no arguments
}

TEST(Shell, AStoredCommandWhosePathHoldsASpaceStartsThatProgram) {
    TempDir dir;
    const auto marker = dir.path() / "marker";
    const auto script = writeScript(dir.path() / "My Tools" / "run me.sh", marker);
    QtShell shell;
    shell.open(q(script) + QStringLiteral(" a 'b c' \"d\""), QString());
    ASSERT_TRUE(waitForFile(marker));
    EXPECT_EQ(readFile(marker), "a\nb c\nd\n");
}

TEST(Shell, TheTestLaunchPassesTheParameterTextAsArguments) {
    TempDir dir;
    const auto marker = dir.path() / "marker";
    const auto script = writeScript(dir.path() / "My Tools" / "run.sh", marker);
    QtShell shell;
    shell.open(q(script), QStringLiteral("x y"));
    ASSERT_TRUE(waitForFile(marker));
    EXPECT_EQ(readFile(marker), "x\ny\n");
}

#include "sound_shell_test.moc"
