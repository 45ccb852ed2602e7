#include "support/app_fixture.h"

#include <algorithm>
#include <set>

using namespace zel;
using namespace zel::gui;
using namespace Qt::StringLiterals;

namespace {

// Radio buttons that exclude each other are one stop of the Tab chain: Tab reaches the one that had the
// focus last (at first the first one), the arrow keys the others.
bool inRadioGroup(const QWidget* w) {
    const auto* radio = qobject_cast<const QRadioButton*>(w);
    return radio && radio->autoExclusive();
}

bool tabFocusable(const QWidget* w) {
    return (w->focusPolicy() & Qt::TabFocus) == Qt::TabFocus || inRadioGroup(w);
}

// Items in reading order: rows from the top, each row from the left. A row is the items whose tops
// lie within a few pixels of the first one's, or above its middle: a check box beside a taller button
// is centred on the same line.
template <class T> std::vector<T> readingOrder(std::vector<std::pair<QRect, T>> items) {
    constexpr int kRowTolerance = 4;
    std::stable_sort(items.begin(), items.end(),
                     [](const auto& a, const auto& b) { return a.first.top() < b.first.top(); });
    std::vector<T> out;
    for (std::size_t row = 0; row < items.size();) {
        const QRect& first = items[row].first;
        const int reach = std::max(first.top() + kRowTolerance, first.center().y());
        std::size_t end = row + 1;
        while (end < items.size() && items[end].first.top() <= reach)
            ++end;
        std::stable_sort(items.begin() + static_cast<std::ptrdiff_t>(row),
                         items.begin() + static_cast<std::ptrdiff_t>(end),
                         [](const auto& a, const auto& b) { return a.first.left() < b.first.left(); });
        for (; row < end; ++row)
            out.push_back(items[row].second);
    }
    return out;
}

void collect(QWidget* w, std::vector<QWidget*>& out);

// A layout's parts are read as the layout places them; a part that is a layout or a group is read
// whole before the next part, so two columns side by side are read one after the other.
void collect(QLayout* layout, std::vector<QWidget*>& out) {
    std::vector<std::pair<QRect, QLayoutItem*>> items;
    for (int i = 0; i < layout->count(); ++i) {
        QLayoutItem* item = layout->itemAt(i);
        if (item->widget() || item->layout()) items.emplace_back(item->geometry(), item);
    }
    for (QLayoutItem* item : readingOrder(std::move(items))) {
        if (item->widget())
            collect(item->widget(), out);
        else
            collect(item->layout(), out);
    }
}

// The controls Tab can reach in w, in reading order: shown, enabled, taking the focus by Tab.
void collect(QWidget* w, std::vector<QWidget*>& out) {
    if (!w->isVisible()) return;
    if (tabFocusable(w)) {
        // A radio group stops once, where its first button stands.
        const auto sameGroup = [w](const QWidget* o) {
            return inRadioGroup(o) && o->parentWidget() == w->parentWidget();
        };
        if (w->isEnabled() && !(inRadioGroup(w) && std::any_of(out.begin(), out.end(), sameGroup)))
            out.push_back(w);
        return; // its inner parts are its own
    }
    if (w->layout()) {
        collect(w->layout(), out);
        return;
    }
    std::vector<std::pair<QRect, QWidget*>> children;
    for (QWidget* child : w->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (!child->isWindow()) children.emplace_back(child->geometry(), child);
    for (QWidget* child : readingOrder(std::move(children)))
        collect(child, out);
}

QString nameOf(const QWidget* w) {
    return w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className()) : w->objectName();
}

QStringList names(const std::vector<QWidget*>& widgets) {
    QStringList out;
    for (const QWidget* w : widgets)
        out << nameOf(w);
    return out;
}

// What a screen reader says a control is: its accessible name, else a button's or a panel's own text.
QString spokenName(const QWidget* w) {
    if (!w->accessibleName().isEmpty()) return w->accessibleName();
    if (const auto* button = qobject_cast<const QAbstractButton*>(w)) return button->text().remove(u'&');
    if (const auto* label = qobject_cast<const QLabel*>(w)) return label->text();
    return {};
}

// The controls of the forms that take no focus on purpose; every other one must be reachable by Tab.
// (The colour swatches and the sound file panel of the settings are labels, which a click changes.)
const std::set<QString> kNoFocus = {
    u"instructions"_s, // the name-day search's guide, read only
};

// A control of the forms, not a part Qt makes of one (a spin box's line editor, a grid's header).
bool isControl(const QWidget* w) {
    if (w->objectName().isEmpty() || w->objectName().startsWith(u"qt_"_s)) return false;
    return qobject_cast<const QAbstractButton*>(w) || qobject_cast<const QComboBox*>(w) ||
           qobject_cast<const QAbstractSpinBox*>(w) || qobject_cast<const QLineEdit*>(w) ||
           qobject_cast<const QAbstractItemView*>(w) || qobject_cast<const QPlainTextEdit*>(w) ||
           qobject_cast<const QTextEdit*>(w);
}

// Every control of the window has a name, also where it is hidden or off now.
void checkNames(const QWidget* window) {
    for (const QWidget* w : window->findChildren<QWidget*>()) {
        if (isControl(w)) {
            EXPECT_FALSE(spokenName(w).trimmed().isEmpty()) << nameOf(w).toStdString() << " has no name";
        }
    }
}

// Every control of root that Tab reaches has a name, and Tab from the first one visits them all in
// reading order.
void checkKeyboardPath(QWidget* root, const char* what) {
    SCOPED_TRACE(what);
    QWidget* window = root->window();
    QCoreApplication::processEvents(); // the layouts of what was just shown
    const std::vector<QWidget*> stops = [&] {
        std::vector<QWidget*> out;
        collect(root, out);
        return out;
    }();
    ASSERT_GE(stops.size(), 2u) << names(stops).join(u' ').toStdString();
    for (QWidget* w : stops) {
        const QString name = spokenName(w);
        EXPECT_FALSE(name.trimmed().isEmpty()) << nameOf(w).toStdString() << " has no name";
        EXPECT_FALSE(w->accessibleName().contains(u'&') || w->accessibleName().endsWith(u':'))
            << nameOf(w).toStdString() << ": " << w->accessibleName().toStdString();
    }
    // A named control that is shown takes the focus, or is known not to.
    for (QWidget* w : root->findChildren<QWidget*>()) {
        if (!isControl(w) || !w->isVisible()) continue;
        EXPECT_TRUE(tabFocusable(w) || kNoFocus.count(w->objectName()))
            << nameOf(w).toStdString() << " takes no focus";
    }

    // The control that has the focus, or whose part has it; a radio button stands for its group.
    const std::set<QWidget*> known(stops.begin(), stops.end());
    const auto focused = [&] {
        QWidget* f = window->focusWidget();
        if (inRadioGroup(f))
            for (QWidget* stop : stops)
                if (inRadioGroup(stop) && stop->parentWidget() == f->parentWidget()) return stop;
        for (QWidget* p = f; p; p = p->parentWidget())
            if (known.count(p)) return p;
        return f;
    };
    stops.front()->setFocus(Qt::TabFocusReason);
    std::vector<QWidget*> visited{focused()};
    for (std::size_t i = 1; i < stops.size(); ++i) {
        QWidget* const before = visited.back();
        // A grid that walks its cells by Tab is left after its last one.
        for (int presses = 0; presses < 200 && focused() == before; ++presses)
            QTest::keyClick(window->focusWidget(), Qt::Key_Tab);
        visited.push_back(focused());
    }
    EXPECT_EQ(names(visited), names(stops));
    // Nor does the last one keep the focus.
    for (int presses = 0; presses < 200 && focused() == visited.back(); ++presses)
        QTest::keyClick(window->focusWidget(), Qt::Key_Tab);
    EXPECT_NE(focused(), visited.back()) << "Tab never leaves " << nameOf(visited.back()).toStdString();
}

struct Window : test::App {
    Window() {
        Settings s = defaultSettings();
        s.noticeAtStart = false;
        writeSettings(s);
        storePartners({test::partner("Antal Ede", "ede@antal.hu")});
        store(EventKind::Reminder, {test::event(dayNumber(2024, 3, 5), 10, 0, "Fogorvos"),
                                    test::event(dayNumber(2024, 3, 6), 9, 0, "Posta")});
        show();
        w->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(w.get()));
    }
    QWidget* page(MainWindow::Tab tab) const {
        w->pages()->setCurrentIndex(tab);
        return w->pages()->currentWidget();
    }
};

} // namespace

TEST(GuiAccessibility, EveryControlHasANameAndTabVisitsThemInReadingOrder) {
    Window x;
    checkNames(x.w.get());
    QWidget* newEvent = x.page(MainWindow::TabNewEvent);
    checkKeyboardPath(newEvent, "new event: reminder");
    x.w->newEventTab()->selectKind(EventKind::Program);
    checkKeyboardPath(newEvent, "new event: program launch");
    x.w->newEventTab()->selectKind(EventKind::Birthday);
    checkKeyboardPath(newEvent, "new event: birthday");

    QWidget* events = x.page(MainWindow::TabEvents);
    checkKeyboardPath(events, "events");
    auto* grid = x.get<QTableView>("eventGrid");
    for (int column : {2, 4}) {
        grid->setCurrentIndex(x.w->eventsTab()->model()->index(0, column));
        QTest::keyClick(grid, Qt::Key_Return);
        checkKeyboardPath(events, column == 2 ? "events: editing a date" : "events: editing a text");
        QTest::keyClick(x.get(column == 2 ? "editDate" : "editReminderText"), Qt::Key_Escape);
    }
    x.click("rangeFilter");
    checkKeyboardPath(events, "events: a range");

    QWidget* partners = x.page(MainWindow::TabPartners);
    checkKeyboardPath(partners, "partners");
    x.click("newPartnerListButton");
    checkKeyboardPath(partners, "partners: a new partner");
    x.click("cancelButton");

    QWidget* actions = x.page(MainWindow::TabActions);
    checkKeyboardPath(actions, "actions: name-day search");
    x.click("importButton");
    test::writeFile(x.dir.path() / "a.vcf", "BEGIN:VCARD\r\nFN:Kis Imre\r\nEMAIL:imre@kis.hu\r\nEND:VCARD\r\n"
                                            "BEGIN:VCARD\r\nFN:Nagy Ida\r\nEND:VCARD\r\n");
    x.dialogs.answerFiles({test::q(x.dir.path() / "a.vcf")});
    x.click("addFilesButton");
    checkKeyboardPath(actions, "actions: import");
    x.click("exportButton");
    checkKeyboardPath(actions, "actions: export");

    checkKeyboardPath(x.page(MainWindow::TabSettings), "settings");
    checkKeyboardPath(x.page(MainWindow::TabHelp), "help");
}

TEST(GuiAccessibility, TheAlertAndTheCelebrantNoticeHaveNamesAndReadingOrder) {
    test::App x;
    Settings s = defaultSettings();
    s.warnings = false;
    s.noticeAtStart = false;
    s.noticeAtExit = true;
    x.writeSettings(s);
    x.store(EventKind::Birthday, {test::event(dayNumber(1980, 3, 6), 0, 0, "Antal Ede")});
    x.storePartners({test::partner("Antal Ede", "ede@antal.hu", "+36 30 1")});
    x.show();
    AlertWindow* alert = x.w->alertWindow();
    checkNames(alert);
    alert->showAlert(u"Zelmoran"_s, u"Fogorvos"_s, u"2024.03.05.|10:00"_s);
    alert->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(alert));
    checkKeyboardPath(alert, "alert");
    alert->hide();
    x.w->close(); // the notice on the way out
    ASSERT_TRUE(alert->isVisible());
    alert->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(alert));
    checkKeyboardPath(alert, "celebrant notice");
}
