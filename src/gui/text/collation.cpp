#include "gui/text/collation.h"

#include "gui/text/qt_text.h"

#include <QLocale>
#include <algorithm>
#include <memory>
#include <numeric>
#include <unordered_map>

namespace zel::gui {

QCollator hungarianCollator() {
    QCollator collator{QLocale(QLocale::Hungarian, QLocale::Hungary)};
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    return collator;
}

std::function<bool(const std::string&, const std::string&)> localeLess() {
    struct Keys {
        QCollator collator = hungarianCollator();
        std::unordered_map<std::string, QCollatorSortKey> cache;
        const QCollatorSortKey& of(const std::string& s) {
            auto it = cache.find(s);
            if (it == cache.end()) it = cache.emplace(s, collator.sortKey(fromCp(s))).first;
            return it->second;
        }
    };
    auto keys = std::make_shared<Keys>();
    // Sort keys are made once per name; a sort compares many times.
    return
        [keys](const std::string& a, const std::string& b) { return keys->of(a).compare(keys->of(b)) < 0; };
}

std::vector<std::size_t> alphabeticalOrder(std::size_t count,
                                           const std::function<QString(std::size_t)>& textOf) {
    const QCollator collator = hungarianCollator();
    std::vector<QCollatorSortKey> keys;
    keys.reserve(count);
    for (std::size_t i = 0; i < count; ++i)
        keys.push_back(collator.sortKey(textOf(i)));
    std::vector<std::size_t> order(count);
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return keys[a].compare(keys[b]) < 0; });
    return order;
}

void insertAlphabetical(std::vector<std::size_t>& order, std::size_t at,
                        const std::function<QString(std::size_t)>& textOf) {
    const QCollator collator = hungarianCollator();
    const QCollatorSortKey key = collator.sortKey(textOf(at));
    // The order is by text, then by position: a bisection asks for a few dozen keys at most.
    const auto place = std::partition_point(order.begin(), order.end(), [&](std::size_t i) {
        const int c = collator.sortKey(textOf(i)).compare(key);
        return c < 0 || (c == 0 && i < at);
    });
    order.insert(place, at);
}

} // namespace zel::gui
