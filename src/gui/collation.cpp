#include "gui/collation.h"

#include "gui/qt_text.h"

#include <QCollator>
#include <QLocale>
#include <memory>
#include <unordered_map>

namespace zel::gui {

std::function<bool(const std::string&, const std::string&)> localeLess() {
    struct Keys {
        QCollator collator{QLocale(QLocale::Hungarian, QLocale::Hungary)};
        std::unordered_map<std::string, QCollatorSortKey> cache;
        const QCollatorSortKey& of(const std::string& s) {
            auto it = cache.find(s);
            if (it == cache.end()) it = cache.emplace(s, collator.sortKey(fromCp(s))).first;
            return it->second;
        }
    };
    auto keys = std::make_shared<Keys>();
    keys->collator.setCaseSensitivity(Qt::CaseInsensitive);
    // Sort keys are made once per name; a sort compares many times.
    return
        [keys](const std::string& a, const std::string& b) { return keys->of(a).compare(keys->of(b)) < 0; };
}

} // namespace zel::gui
