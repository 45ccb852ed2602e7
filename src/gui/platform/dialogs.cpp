#include "platform/dialogs.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

namespace zel::gui {

Dialogs::Button QtDialogs::message(Kind kind, const QString& caption, const QString& text, int buttons) {
    QMessageBox box(parent_);
    box.setWindowTitle(caption);
    box.setText(text);
    switch (kind) {
    case Kind::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    case Kind::Error:
    case Kind::Stop:
        box.setIcon(QMessageBox::Critical);
        break;
    case Kind::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case Kind::Confirmation:
        box.setIcon(QMessageBox::Question);
        break;
    case Kind::Plain:
        box.setIcon(QMessageBox::NoIcon);
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
    QList<QPair<QAbstractButton*, Button>> made;
    Button escape = Ok;
    for (const auto& c : choices) {
        if (!(buttons & c.button)) continue;
        made.append({box.addButton(QString::fromUtf8(c.caption), c.role), c.button});
        escape = c.button;
    }
    if (made.isEmpty()) made.append({box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole), Ok});
    box.setDefaultButton(qobject_cast<QPushButton*>(made.first().first));
    box.exec();
    for (const auto& [widget, button] : made)
        if (box.clickedButton() == widget) return button;
    return escape;
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

QString QtDialogs::qtFilter(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2)
        out << parts[i] + QStringLiteral(" (") +
                   QString(parts[i + 1]).replace(QLatin1Char(';'), QLatin1Char(' ')) + QLatin1Char(')');
    return out.join(QStringLiteral(";;"));
}

QString QtDialogs::openFile(const QString& caption, const QString& folder, const QString& filter) {
    return QFileDialog::getOpenFileName(parent_, caption, folder, qtFilter(filter));
}

QString QtDialogs::saveFile(const QString& caption, const QString& folder, const QString& filter,
                            const QString& defaultSuffix) {
    QFileDialog dlg(parent_, caption, folder, qtFilter(filter));
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setDefaultSuffix(defaultSuffix);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return {};
    return dlg.selectedFiles().first();
}

std::optional<QColor> QtDialogs::color(const QColor& initial) {
    const QColor c = QColorDialog::getColor(initial, parent_);
    if (!c.isValid()) return std::nullopt;
    return c;
}

QString QtDialogs::folder(const QString& caption, const QString& start) {
    return QFileDialog::getExistingDirectory(parent_, caption, start);
}

} // namespace zel::gui
