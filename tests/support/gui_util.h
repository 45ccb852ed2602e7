#pragma once

#include <QObject>
#include <QString>
#include <stdexcept>
#include <string>

namespace zel::test {

// The widget of this type and object name under root. A missing one ends the test with a failure
// that names it.
template <class W> W* child(const QObject* root, const char* name) {
    W* w = root->findChild<W*>(QString::fromLatin1(name));
    if (!w) throw std::runtime_error(std::string("no widget named ") + name);
    return w;
}

} // namespace zel::test
