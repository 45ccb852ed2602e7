#include "gui/platform/dialogs.h"
#include "gui/texts.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QColorDialog>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <gtest/gtest.h>

using namespace zel::gui;

namespace {

QStringList buttonTexts(const QWidget& dialog) {
    QStringList out;
    for (const auto* b : dialog.findChildren<QPushButton*>())
        out << b->text();
    return out;
}

} // namespace

TEST(Dialogs, QtsOwnDialogsAndPickersSpeakHungarian) {
    EXPECT_EQ(QLocale().monthName(3), QStringLiteral("március"));
    EXPECT_EQ(QLocale().dayName(1), QStringLiteral("hétfő"));
    QDateEdit picker;
    picker.setCalendarPopup(true);
    picker.setDate(QDate(2024, 3, 5));
    EXPECT_EQ(picker.calendarWidget()->locale().monthName(3, QLocale::LongFormat), QStringLiteral("március"));

    QFileDialog files(nullptr, QString(), QString());
    files.setOption(QFileDialog::DontUseNativeDialog);
    const QStringList fileButtons = buttonTexts(files);
    EXPECT_TRUE(fileButtons.contains(QStringLiteral("Mégse"))) << fileButtons.join(u',').toStdString();
    EXPECT_FALSE(fileButtons.contains(QStringLiteral("Cancel")));
    EXPECT_FALSE(fileButtons.contains(QStringLiteral("&Open")));
    const auto labels = files.findChildren<QLabel*>();
    for (const QLabel* l : labels)
        EXPECT_NE(l->text(), QStringLiteral("Look in:"));

    QColorDialog colors;
    colors.setOption(QColorDialog::DontUseNativeDialog);
    EXPECT_TRUE(buttonTexts(colors).contains(QStringLiteral("Mégse")))
        << buttonTexts(colors).join(u',').toStdString();
}

TEST(Dialogs, TheProgramChooserListsProgramsWithoutAnExtension) {
    const QStringList parts = programFileFilter().split(u'|');
    ASSERT_EQ(parts.size(), 4);
    const QStringList programs = parts[1].split(QStringLiteral("; ")), all = parts[3].split(u';');
#ifndef Q_OS_WIN
    for (const char* name : {"backup", "firefox", "mentes.sh", "Napló.PY", "futtat.pl"})
        EXPECT_TRUE(QtDialogs::matchesPatterns(QString::fromUtf8(name), programs)) << name;
    for (const char* name : {"levél.txt", "kép.png", "run.bat.txt"})
        EXPECT_FALSE(QtDialogs::matchesPatterns(QString::fromUtf8(name), programs)) << name;
    for (const char* name : {"backup", "levél.txt", ".rejtett"})
        EXPECT_TRUE(QtDialogs::matchesPatterns(QString::fromUtf8(name), all)) << name;
    // Qt's dialog gets "*" for the names without a dot; the dialog narrows them down itself.
    EXPECT_EQ(QtDialogs::qtFilter(QStringLiteral("Programok|*.; *.sh|Minden fájl (*)|*")),
              QStringLiteral("Programok (* *.sh);;Minden fájl (*) (*)"));
#endif
    EXPECT_EQ(QtDialogs::qtFilter(QStringLiteral("Wav fájlok (.wav)|*.wav")),
              QStringLiteral("Wav fájlok (.wav) (*.wav)"));
}

TEST(Dialogs, AMessageLaidOutLineByLineKeepsItsLines) {
    const QString text =
        QStringLiteral("                             Ön passzív módba kapcsolta a programot.") + kNl +
        QStringLiteral("        A program így nem tud szólni Önnek, ha egy esemény bekövetkezik,") + kNl +
        QStringLiteral("            illetve nem tudnak frissülni a program naprakész elemei sem!") + kNl +
        QStringLiteral("   Az aktív mód visszakapcsolásához kattinton mégegyszer erre a gombra.");
    QtDialogs dialogs;
    QList<QPair<QAbstractButton*, Dialogs::Button>> made;
    const auto box =
        dialogs.makeBox(Dialogs::Kind::Warning, QStringLiteral("Figyelem!"), text, Dialogs::Ok, made);
    box->show();
    QApplication::processEvents();
    const auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
    ASSERT_TRUE(label);
    const QFontMetrics fm(label->font());
    EXPECT_LT(label->height(), 5 * fm.lineSpacing()) << "the four lines wrapped";
    EXPECT_EQ(box->windowTitle(), QStringLiteral("Figyelem!"));
    ASSERT_EQ(made.size(), 1);
    EXPECT_EQ(made[0].first->text(), QStringLiteral("OK"));
    box->close();

    // A long paragraph still wraps, so a box never grows wider than the screen.
    const QString paragraph = QString(QStringLiteral("Hosszú mondat, ")).repeated(30);
    EXPECT_TRUE(QtDialogs::unbrokenLines(paragraph).contains(u' '));
    EXPECT_FALSE(QtDialogs::unbrokenLines(QStringLiteral("  rövid sor")).contains(u' '));
}
