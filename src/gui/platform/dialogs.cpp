#include "gui/platform/dialogs.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QSortFilterProxyModel>

namespace zel::gui {

std::unique_ptr<QMessageBox> QtDialogs::makeBox(Kind kind, const QString& caption, const QString& text,
                                                int buttons, QList<QPair<QAbstractButton*, Button>>& made,
                                                int defaultButton) const {
    auto box = std::make_unique<QMessageBox>(parent_);
    box->setWindowTitle(caption);
    box->setText(unbrokenLines(text));
    switch (kind) {
    case Kind::Warning:
        box->setIcon(QMessageBox::Warning);
        break;
    case Kind::Error:
    case Kind::Stop:
        box->setIcon(QMessageBox::Critical);
        break;
    case Kind::Information:
        box->setIcon(QMessageBox::Information);
        break;
    case Kind::Confirmation:
        box->setIcon(QMessageBox::Question);
        break;
    case Kind::Plain:
        box->setIcon(QMessageBox::NoIcon);
        break;
    }
    struct Choice {
        Button button;
        const char* caption;
        QMessageBox::ButtonRole role;
    };
    const Choice choices[] = {{Yes, "&Igen", QMessageBox::YesRole},
                              {No, "&Nem", QMessageBox::NoRole},
                              {Ok, "OK", QMessageBox::AcceptRole},
                              {Cancel, "Mégse", QMessageBox::RejectRole}};
    made.clear();
    for (const auto& c : choices)
        if (buttons & c.button) made.append({box->addButton(QString::fromUtf8(c.caption), c.role), c.button});
    if (made.isEmpty()) made.append({box->addButton(QStringLiteral("OK"), QMessageBox::AcceptRole), Ok});
    QAbstractButton* chosen = made.first().first;
    for (const auto& [widget, button] : made)
        if (button == defaultButton) chosen = widget;
    box->setDefaultButton(qobject_cast<QPushButton*>(chosen));
    return box;
}

Dialogs::Button QtDialogs::message(Kind kind, const QString& caption, const QString& text, int buttons) {
    return messageWithDefault(kind, caption, text, buttons, Button{});
}

Dialogs::Button QtDialogs::messageWithDefault(Kind kind, const QString& caption, const QString& text,
                                              int buttons, Button defaultButton) {
    QList<QPair<QAbstractButton*, Button>> made;
    const auto box = makeBox(kind, caption, text, buttons, made, defaultButton);
    box->exec();
    for (const auto& [widget, button] : made)
        if (box->clickedButton() == widget) return button;
    return made.last().second;
}

QString QtDialogs::unbrokenLines(const QString& text) {
    // The box wraps a text wider than half the screen. A line short enough to fit is kept whole: the
    // spaces of a message aligned line by line would otherwise start new lines of their own.
    constexpr qsizetype kShortLine = 90;
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString& line : lines)
        if (line.size() <= kShortLine) line.replace(QLatin1Char(' '), QChar(QChar::Nbsp));
    return lines.join(QLatin1Char('\n'));
}

std::optional<QString> QtDialogs::input(const QString& caption, const QString& prompt,
                                        const QString& initial) {
    QInputDialog dlg(parent_);
    dlg.setWindowTitle(caption);
    dlg.setLabelText(prompt);
    dlg.setTextValue(initial);
    dlg.setOkButtonText(QStringLiteral("OK"));
    dlg.setCancelButtonText(QStringLiteral("Mégse"));
    if (dlg.exec() != QDialog::Accepted) return std::nullopt;
    return dlg.textValue();
}

std::optional<QString> QtDialogs::password(const QString& caption, const QString& prompt) {
    QInputDialog dlg(parent_);
    dlg.setWindowTitle(caption);
    dlg.setLabelText(prompt);
    dlg.setTextEchoMode(QLineEdit::Password);
    dlg.setOkButtonText(QStringLiteral("OK"));
    dlg.setCancelButtonText(QStringLiteral("Mégse"));
    if (dlg.exec() != QDialog::Accepted) return std::nullopt;
    return dlg.textValue();
}

namespace {

QStringList patternsOf(const QString& list) {
    QStringList out;
    for (const QString& p : list.split(QRegularExpression(QStringLiteral("[;\\s]+")), Qt::SkipEmptyParts))
        out << p;
    return out;
}

// Qt's own patterns cannot say "a name without a dot"; this proxy of the dialog's file list can.
class PatternProxy : public QSortFilterProxyModel {
  public:
    using QSortFilterProxyModel::QSortFilterProxyModel;
    void setPatterns(const QStringList& patterns) {
        patterns_ = patterns;
        invalidateFilter();
    }

  protected:
    bool filterAcceptsRow(int row, const QModelIndex& parent) const override {
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (!files || patterns_.isEmpty()) return true;
        const QModelIndex index = files->index(row, 0, parent);
        return files->isDir(index) || QtDialogs::matchesPatterns(files->fileName(index), patterns_);
    }

  private:
    QStringList patterns_;
};

void useOwnDialog(QFileDialog& dialog, const QString& filter) {
    // Qt's own dialog, in Hungarian whatever the desktop's language; the filter shows its captions only.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList patterns;
    for (int i = 1; i < parts.size(); i += 2)
        patterns << parts[i];
    if (patterns.isEmpty()) return;
    dialog.setNameFilter(QtDialogs::qtFilter(filter));
    auto* proxy = new PatternProxy(&dialog);
    dialog.setProxyModel(proxy);
    auto follow = [&dialog, proxy, patterns] {
        const qsizetype at = dialog.nameFilters().indexOf(dialog.selectedNameFilter());
        proxy->setPatterns(patternsOf(patterns.value(at < 0 ? 0 : at)));
    };
    QObject::connect(&dialog, &QFileDialog::filterSelected, proxy, follow);
    follow();
}

} // namespace

QString QtDialogs::qtFilter(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = patternsOf(parts[i + 1]);
        for (QString& p : patterns)
            if (p == QStringLiteral("*.")) p = QStringLiteral("*");
        out << parts[i] + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return out.join(QStringLiteral(";;"));
}

bool QtDialogs::matchesPatterns(const QString& fileName, const QStringList& patterns) {
    for (const QString& p : patterns) {
        if (p == QStringLiteral("*.")) {
            if (!fileName.contains(QLatin1Char('.'))) return true;
            continue;
        }
        const QRegularExpression re(QRegularExpression::wildcardToRegularExpression(p),
                                    QRegularExpression::CaseInsensitiveOption);
        if (re.match(fileName).hasMatch()) return true;
    }
    return false;
}

QString QtDialogs::openFile(const QString& caption, const QString& folder, const QString& filter) {
    QFileDialog dlg(parent_, caption, folder);
    dlg.setFileMode(QFileDialog::ExistingFile);
    useOwnDialog(dlg, filter);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return {};
    return dlg.selectedFiles().first();
}

QStringList QtDialogs::openFiles(const QString& caption, const QString& folder, const QString& filter) {
    QFileDialog dlg(parent_, caption, folder);
    dlg.setFileMode(QFileDialog::ExistingFiles);
    useOwnDialog(dlg, filter);
    if (dlg.exec() != QDialog::Accepted) return {};
    return dlg.selectedFiles();
}

QString QtDialogs::saveFile(const QString& caption, const QString& folder, const QString& filter,
                            const QString& defaultSuffix, int* chosenFilter) {
    QFileDialog dlg(parent_, caption, folder);
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setDefaultSuffix(defaultSuffix);
    useOwnDialog(dlg, filter);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return {};
    if (chosenFilter) {
        const qsizetype at = dlg.nameFilters().indexOf(dlg.selectedNameFilter());
        *chosenFilter = at < 0 ? 0 : static_cast<int>(at);
    }
    return dlg.selectedFiles().first();
}

std::optional<QColor> QtDialogs::color(const QColor& initial) {
    const QColor c = QColorDialog::getColor(initial, parent_, QString(), QColorDialog::DontUseNativeDialog);
    if (!c.isValid()) return std::nullopt;
    return c;
}

QString QtDialogs::folder(const QString& caption, const QString& start) {
    return QFileDialog::getExistingDirectory(parent_, caption, start,
                                             QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
}

} // namespace zel::gui
