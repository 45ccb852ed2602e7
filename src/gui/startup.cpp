#include "gui/startup.h"

#include "gui/texts.h"

#include <QDir>
#include <QStandardPaths>

namespace zel::gui {

QString writeTestMessage(const QString& folder) {
    return QStringLiteral("A Zelmoran-nak -az aktuális felhasználónévvel- nincs írási jogosultsága a "
                          "munkakönyvtárra, vagy nincs elegendő szabad lemezterület a program által "
                          "létrehozandó állományok számára.") +
           kNl + kNl + QStringLiteral("Javasolt teendők:") + kNl +
           QStringLiteral(" - Szüntesse meg az írásvédettséget a munkakönyvtáron: (") + folder +
           QStringLiteral(")") + kNl +
           QStringLiteral(" - Ellenőrizze, hogy van-e elég szabad terület a merevlemezén (~2 MB).") + kNl +
           kNl +
           QStringLiteral("Írási jogot és további segítséget az Ön Windows rendszerének karbantartójától "
                          "kaphat.") +
           kNl + kNl +
           QStringLiteral("Tekintettel arra, hogy jelen helyzetben a program képtelen működni, befejezi "
                          "futását.") +
           kNl + QStringLiteral("A kellemetlenségért elnézését kérem.");
}

namespace {
std::filesystem::path perUserFolder() {
    return (QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
            QStringLiteral("/Zelmoran"))
        .toStdString();
}
} // namespace

std::filesystem::path dataFolderFor(const std::filesystem::path& exeDir) {
    if (passesWriteTest(AppPaths{exeDir})) return exeDir;
    const std::filesystem::path own = perUserFolder();
    std::error_code ec;
    std::filesystem::create_directories(own, ec);
    return !ec && passesWriteTest(AppPaths{own}) ? own : exeDir;
}

bool dataIsPerUser(const AppPaths& paths) {
    std::error_code ec;
    return std::filesystem::equivalent(paths.exeDir, perUserFolder(), ec);
}

QString folderText(const AppPaths& paths) {
    QString dir = QDir::toNativeSeparators(QString::fromStdString(paths.exeDir.string()));
    if (!dir.endsWith(QDir::separator())) dir += QDir::separator();
    return dir;
}

bool runWriteTest(const AppPaths& paths, Dialogs& dialogs) {
    if (passesWriteTest(paths)) return true;
    dialogs.message(Dialogs::Kind::Plain, kTitle, writeTestMessage(folderText(paths)), Dialogs::Ok);
    return false;
}

} // namespace zel::gui
