#pragma once

#include <QComboBox>
#include <QListWidget>
#include <QObject>
#include <QString>
#include <filesystem>
#include <ostream>
#include <stdexcept>
#include <string>

// gtest shows Qt strings as text.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace zel::test {

// The widget of this type and object name under root. A missing one ends the test with a failure
// that names it.
template <class W> W* child(const QObject* root, const char* name) {
    W* w = root->findChild<W*>(QString::fromLatin1(name));
    if (!w) throw std::runtime_error(std::string("no widget named ") + name);
    return w;
}

// A path as the dialogs and the settings show it.
inline QString q(const std::filesystem::path& p) {
    return QString::fromStdString(p.string());
}

inline QStringList items(const QListWidget* l) {
    QStringList out;
    for (int i = 0; i < l->count(); ++i)
        out << l->item(i)->text();
    return out;
}

// The first column's texts.
inline QStringList items(const QAbstractItemModel& m) {
    QStringList out;
    for (int i = 0; i < m.rowCount(); ++i)
        out << m.index(i, 0).data().toString();
    return out;
}

// A row as a grid shows it.
inline QStringList cells(const QAbstractItemModel& m, int row) {
    QStringList out;
    for (int c = 0; c < m.columnCount(); ++c)
        out << m.index(row, c).data().toString();
    return out;
}

inline QStringList items(const QAbstractItemView* v) {
    return items(*v->model());
}

inline QStringList items(const QComboBox* c) {
    QStringList out;
    for (int i = 0; i < c->count(); ++i)
        out << c->itemText(i);
    return out;
}

} // namespace zel::test
