#include "support/app_fixture.h"
#include "support/write_limits.h"

#include <cerrno>

using namespace zel;
using namespace zel::gui;
using namespace Qt::StringLiterals;
using zel::test::q;
using Kind = Dialogs::Kind;
namespace fs = std::filesystem;

namespace {

// $XDG_DATA_HOME, where the user's own data folder goes, points into the test's folder meanwhile.
class UsersDataHome {
  public:
    explicit UsersDataHome(const fs::path& home) : old_(qgetenv("XDG_DATA_HOME")) {
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString(home.string()));
    }
    ~UsersDataHome() { old_.isNull() ? qunsetenv("XDG_DATA_HOME") : qputenv("XDG_DATA_HOME", old_); }
    UsersDataHome(const UsersDataHome&) = delete;
    UsersDataHome& operator=(const UsersDataHome&) = delete;

  private:
    QByteArray old_;
};

// Every name under the folder, folders included, by its relative path.
std::vector<std::string> namesUnder(const fs::path& root) {
    std::vector<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        names.push_back(fs::relative(entry.path(), root).string());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

TEST(GuiStartup, AFolderWithDataThatTakesNoFileIsReportedWithTheReasonAndNoOtherFolderIsUsed) {
    test::TempDir dir;
    const auto prog = dir.path() / "prog", share = dir.path() / "share";
    UsersDataHome home(share);
    const struct {
        const char* cause;
        const char* data; // what the folder holds
        bool readOnly;
        int error;
        QString reason;
    } cases[] = {
        {"a full disk", "Data/partnerek.dat", false, EFBIG,
         u"A hiba oka: a rendszer korlátozza az írható állományok méretét, így a program nem tud írni."_s},
        {"a folder made read-only", "Data/partnerek.dat", true, EACCES,
         u"A hiba oka: a jelenlegi felhasználónak nincs írási jogosultsága a mappára."_s},
        {"the settings alone, read-only", "beallitasok.cfg", true, EACCES,
         u"A hiba oka: a jelenlegi felhasználónak nincs írási jogosultsága a mappára."_s},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.cause);
        fs::remove_all(prog);
        fs::create_directories(prog / "Data");
        if (std::string_view(c.data) == "beallitasok.cfg") fs::remove(prog / "Data");
        test::writeFile(prog / c.data, "mine");
        const auto had = namesUnder(prog);
        if (c.readOnly) fs::permissions(prog, fs::perms::owner_read | fs::perms::owner_exec);
        test::ScriptedDialogs dialogs;
        const QString text = writeTestMessage(q(prog) + u'/', c.error);
        dialogs.expect(Kind::Plain, text, Dialogs::Ok, Dialogs::Ok);
        fs::path chosen;
        bool ran = true;
        {
            // Both the window and the command line choose the folder and then run the write test.
            test::PermissionsBindRoot permissions;
            std::optional<test::FileSizeCap> full;
            if (c.error == EFBIG) full.emplace(0);
            chosen = dataFolderFor(prog);
            ran = runWriteTest(AppPaths{chosen}, dialogs);
        }
        fs::permissions(prog, fs::perms::owner_all);
        EXPECT_EQ(chosen, prog);
        EXPECT_FALSE(ran);
        EXPECT_EQ(namesUnder(prog), had);
        EXPECT_FALSE(fs::exists(share));
        // The original text stays whole; the reason comes after its first sentence, the folder to fix
        // in the advice.
        EXPECT_TRUE(
            text.startsWith(u"A Zelmoran-nak -az aktuális felhasználónévvel- nincs írási jogosultsága a "
                            "munkakönyvtárra, vagy nincs elegendő szabad lemezterület a program által "
                            "létrehozandó állományok számára.\n"_s +
                            c.reason + u"\n\nJavasolt teendők:\n"_s))
            << text.toStdString();
        EXPECT_TRUE(text.contains(u"\n - Szüntesse meg az írásvédettséget a munkakönyvtáron: ("_s + q(prog) +
                                  u"/)\n"_s) &&
                    text.endsWith(u"futását.\nA kellemetlenségért elnézését kérem."_s));
    }

    // A folder with neither is an installed copy's: its data goes to the user's own folder.
    fs::create_directories(dir.path() / "bin");
    fs::permissions(dir.path() / "bin", fs::perms::owner_read | fs::perms::owner_exec);
    {
        test::PermissionsBindRoot permissions;
        EXPECT_EQ(dataFolderFor(dir.path() / "bin"), share / "Zelmoran");
    }
    fs::permissions(dir.path() / "bin", fs::perms::owner_all);

    // A folder in the way of the test file does not make the program's folder unwritable.
    fs::remove_all(share);
    fs::create_directories(prog / "teszt.tmp");
    test::ScriptedDialogs none;
    EXPECT_EQ(dataFolderFor(prog), prog);
    EXPECT_TRUE(runWriteTest(AppPaths{prog}, none));
    EXPECT_TRUE(fs::is_directory(prog / "teszt.tmp"));
    EXPECT_FALSE(fs::exists(share));

    // A folder below a plain file cannot even be made.
    test::writeFile(dir.path() / "plain", "x");
    test::ScriptedDialogs refused;
    refused.expect(Kind::Plain, writeTestMessage(q(dir.path() / "plain" / "prog") + u'/', ENOTDIR));
    EXPECT_FALSE(runWriteTest(AppPaths{dir.path() / "plain" / "prog"}, refused));
}

TEST(GuiStartup, AnInstalledProgramWhoseFolderTakesNoFileKeepsTheDataInTheUsersOwnFolder) {
    test::TempDir dir;
    UsersDataHome home(dir.path() / "share");
    test::writeFile(dir.path() / "plain", "x"); // a folder below a plain file takes no file, whoever runs
    const auto own = dataFolderFor(dir.path() / "plain" / "bin");
    EXPECT_EQ(own, dir.path() / "share" / "Zelmoran");
    EXPECT_TRUE(dataIsPerUser(AppPaths{own}) && !dataIsPerUser(AppPaths{dir.path()}));
    test::Start s;
    MainWindow w(AppPaths{own}, Services{s.dialogs, s.clock, s.shell, s.sound, s.tray, s.autostart,
                                         s.alertNotifier, s.runningNotifier});
    w.start();
    EXPECT_TRUE(fs::exists(own / "Data" / "partnerek.dat") && fs::exists(own / "beallitasok.cfg"));
    w.pages()->setCurrentIndex(MainWindow::TabHelp);
    EXPECT_TRUE(
        test::child<QTextEdit>(&w, "helpText")
            ->toPlainText()
            .contains(u"A program mappája nem írható, ezért az adatok az Ön saját adatmappájában ("_s +
                      q(own) + u") vannak: a Data alkönyvtárban"_s));
}

TEST(GuiStartup, ASecondUserOfTheDataIsToldAndALockThatCannotBeHadIsReported) {
    test::TempDir dir;
    const AppPaths paths{dir.path()};
    test::ScriptedDialogs dialogs;
    auto first = lockDataFolder(paths, dialogs);
    ASSERT_TRUE(first.has_value());
    dialogs.expect(Kind::Warning, u"Az adatállományokat egy másik futó Zelmoran használja."_s);
    EXPECT_FALSE(lockDataFolder(paths, dialogs).has_value());
    first.reset();
    EXPECT_TRUE(lockDataFolder(paths, dialogs).has_value());
    // A folder where the lock's file belongs: the general error box names it.
    fs::remove(paths.dataLock());
    fs::create_directory(paths.dataLock());
    dialogs.expect(Kind::Stop, u"I/O error 21.\nAz állomány helyén egy mappa van.\n"_s + q(paths.dataLock()));
    EXPECT_FALSE(lockDataFolder(paths, dialogs).has_value());
}
