#include "gui/widgets/text_limit.h"

#include "gui/text/qt_text.h"

#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTextDocument>

namespace zel::gui {

void limitStoredLength(QPlainTextEdit* edit, std::size_t capacity) {
    QObject::connect(edit->document(), &QTextDocument::contentsChange, edit,
                     [edit, capacity](int position, int, int added) {
                         if (added <= 0) return;
                         const QString text = edit->toPlainText();
                         if (toStored(text).size() <= capacity) return;
                         // Keep what was just typed or pasted as far as the room left by the rest of the text
                         // allows.
                         const int end = std::min(position + added, static_cast<int>(text.size()));
                         const std::size_t rest = toStored(text.left(position) + text.mid(end)).size();
                         std::size_t room = capacity > rest ? capacity - rest : 0;
                         int keep = position;
                         while (keep < end) {
                             const std::size_t cost = text.at(keep) == QLatin1Char('\n') ? 2 : 1;
                             if (cost > room) break;
                             room -= cost;
                             keep += text.at(keep).isHighSurrogate() && keep + 1 < end ? 2 : 1;
                         }
                         if (keep >= end) return;
                         QTextCursor cut(edit->document());
                         cut.setPosition(keep);
                         cut.setPosition(end, QTextCursor::KeepAnchor);
                         cut.removeSelectedText();
                     });
}

} // namespace zel::gui
