#include "core/errors.h"
#include "gui/platform/xdg_autostart.h"
#include "support/test_util.h"

#include <QByteArray>
#include <QString>
#include <gtest/gtest.h>

using namespace zel::gui;
using zel::test::readFile;
using zel::test::TempDir;
using zel::test::writeFile;

namespace {

// Points XDG_CONFIG_HOME somewhere else for one test and puts it back afterwards.
class ConfigHome {
  public:
    explicit ConfigHome(const std::filesystem::path& dir)
        : wasSet_(qEnvironmentVariableIsSet("XDG_CONFIG_HOME")), old_(qgetenv("XDG_CONFIG_HOME")) {
        qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(dir.string()));
    }
    ~ConfigHome() {
        if (wasSet_)
            qputenv("XDG_CONFIG_HOME", old_);
        else
            qunsetenv("XDG_CONFIG_HOME");
    }
    ConfigHome(const ConfigHome&) = delete;
    ConfigHome& operator=(const ConfigHome&) = delete;

  private:
    bool wasSet_;
    QByteArray old_;
};

} // namespace

#ifndef Q_OS_WIN
TEST(Autostart, TheEntryIsNamedAfterTheTitleAndStartsTheExecutable) {
    TempDir dir;
    const ConfigHome home(dir.path());
    const auto entry = dir.path() / "autostart" / "Zelmoran v1.6.1.desktop";
    XdgAutostart a;
    EXPECT_EQ(XdgAutostart::entryPath(), QString::fromStdString(entry.string()));
    EXPECT_FALSE(a.isOn());

    a.setAutostart(true, QStringLiteral("/opt/Zel moran/bin/zelmoran"));
    ASSERT_TRUE(std::filesystem::exists(entry));
    EXPECT_TRUE(a.isOn());
    const std::string text = readFile(entry);
    EXPECT_EQ(text.rfind("[Desktop Entry]\n", 0), 0u);
    EXPECT_NE(text.find("\nType=Application\n"), std::string::npos);
    EXPECT_NE(text.find("\nName=Zelmoran v1.6.1\n"), std::string::npos);
    EXPECT_NE(text.find("\nExec=\"/opt/Zel moran/bin/zelmoran\"\n"), std::string::npos);

    // Quotes, dollars and backslashes in the path are escaped inside the quoted Exec value.
    a.setAutostart(true, QStringLiteral("/opt/a\"b$c\\d/zelmoran"));
    EXPECT_NE(readFile(entry).find("\nExec=\"/opt/a\\\"b\\$c\\\\d/zelmoran\"\n"), std::string::npos);

    a.setAutostart(false, QString());
    EXPECT_FALSE(std::filesystem::exists(entry));
    EXPECT_FALSE(a.isOn());
    EXPECT_NO_THROW(a.setAutostart(false, QString())); // already gone: no error
}

TEST(Autostart, AnEntryThatCannotBeWrittenThrows) {
    TempDir dir;
    writeFile(dir.path() / "config", "a file where the folder should be");
    const ConfigHome home(dir.path() / "config");
    XdgAutostart a;
    EXPECT_THROW(a.setAutostart(true, QStringLiteral("/usr/bin/zelmoran")), zel::IoError);
    EXPECT_FALSE(a.isOn());
}
#endif
