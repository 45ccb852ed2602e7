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
    // A named control that is shown takes the focus, or is known not to. (The colour swatches and the
    // sound file panel of the settings are labels, which a click changes.)
    for (QWidget* w : root->findChildren<QWidget*>()) {
        if (!isControl(w) || !w->isVisible()) continue;
        // The name-day search's guide is read only.
        EXPECT_TRUE(tabFocusable(w) || w->objectName() == u"instructions"_s)
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
        s.warnings = false;
        s.noticeAtStart = false;
        s.noticeAtExit = true;
        writeSettings(s);
        storePartners({test::partner("Antal Ede", "ede@antal.hu", "+36 30 1")});
        store(EventKind::Reminder, {test::event(dayNumber(2024, 3, 5), 10, 0, "Fogorvos"),
                                    test::event(dayNumber(2024, 3, 6), 9, 0, "Posta")});
        store(EventKind::Birthday, {test::event(dayNumber(1980, 3, 6), 0, 0, "Antal Ede")});
        show();
        w->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(w.get()));
    }
};

} // namespace

TEST(GuiAccessibility, EveryControlHasANameAndTabVisitsThemInReadingOrder) {
    Window x;
    checkNames(x.w.get());
    test::writeFile(x.dir.path() / "a.vcf", "BEGIN:VCARD\r\nFN:Kis Imre\r\nEMAIL:imre@kis.hu\r\nEND:VCARD\r\n"
                                            "BEGIN:VCARD\r\nFN:Nagy Ida\r\nEND:VCARD\r\n");
    x.dialogs.answerFiles({test::q(x.dir.path() / "a.vcf")});
    const auto kind = [&](EventKind k) { return [&x, k] { x.w->newEventTab()->selectKind(k); }; };
    // Enter in the grid edits the first event's cell.
    const auto edit = [&](int column) {
        return [&x, column] {
            auto* grid = x.get<QTableView>("eventGrid");
            grid->setCurrentIndex(x.w->eventsTab()->model()->index(0, column));
            QTest::keyClick(grid, Qt::Key_Return);
        };
    };
    // Every form: its tab, what opens it there, and where Esc closes it again.
    using enum MainWindow::Tab;
    const struct {
        const char* what;
        MainWindow::Tab tab;
        std::function<void()> open;
        const char* closedByEsc = nullptr;
    } forms[] = {
        {"new event: reminder", TabNewEvent, [] {}},
        {"new event: program launch", TabNewEvent, kind(EventKind::Program)},
        {"new event: birthday", TabNewEvent, kind(EventKind::Birthday)},
        {"events", TabEvents, [] {}},
        {"events: editing a date", TabEvents, edit(2), "editDate"},
        {"events: editing a text", TabEvents, edit(4), "editReminderText"},
        {"events: a range", TabEvents, [&] { x.click("rangeFilter"); }},
        {"partners", TabPartners, [] {}},
        {"partners: a new partner", TabPartners, [&] { x.click("newPartnerListButton"); }, "nameField"},
        {"actions: name-day search", TabActions, [] {}},
        {"actions: import", TabActions,
         [&] {
             x.click("importButton");
             x.click("addFilesButton");
         }},
        {"actions: export", TabActions, [&] { x.click("exportButton"); }},
        {"settings", TabSettings, [] {}},
        {"help", TabHelp, [] {}},
    };
    for (const auto& form : forms) {
        x.w->pages()->setCurrentIndex(form.tab);
        form.open();
        checkKeyboardPath(x.w->pages()->currentWidget(), form.what);
        if (form.closedByEsc) QTest::keyClick(x.get(form.closedByEsc), Qt::Key_Escape);
    }
}

TEST(GuiAccessibility, TheAlertAndTheCelebrantNoticeHaveNamesAndReadingOrder) {
    Window x;
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
