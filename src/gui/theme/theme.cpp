#include "gui/theme/theme.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QHash>
#include <QHeaderView>
#include <QLineEdit>
#include <QPalette>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QToolButton>
#include <QTreeView>
#include <QWidget>
#include <initializer_list>

namespace zel::gui {

QColor colorOf(std::uint32_t value) {
    if (value >> 24) {
        // A system colour: the low byte is the platform's colour index.
        const QPalette p = QApplication::palette();
        switch (value & 0xFF) {
        case 0:  // scroll bar
        case 15: // button face
            return p.color(QPalette::Button);
        case 2:  // active caption
        case 13: // highlight
        case 27:
        case 29:
            return p.color(QPalette::Highlight);
        case 3:  // inactive caption
        case 16: // button shadow
            return p.color(QPalette::Mid);
        case 5: // window
            return p.color(QPalette::Base);
        case 6:  // window frame
        case 21: // 3D dark shadow
            return p.color(QPalette::Shadow);
        case 7: // menu text
            return p.color(QPalette::WindowText);
        case 8: // window text
            return p.color(QPalette::Text);
        case 9:  // caption text
        case 14: // highlight text
            return p.color(QPalette::HighlightedText);
        case 12: // application workspace
            return p.color(QPalette::Dark);
        case 17: // grey text
            return p.color(QPalette::Disabled, QPalette::Text);
        case 18: // button text
            return p.color(QPalette::ButtonText);
        case 20: // button highlight
            return p.color(QPalette::Light);
        case 22: // 3D light
            return p.color(QPalette::Midlight);
        case 23: // tooltip text
            return p.color(QPalette::ToolTipText);
        case 24: // tooltip background
            return p.color(QPalette::ToolTipBase);
        case 26: // hot-tracked item
            return p.color(QPalette::Link);
        default: // desktop, menu, borders, menu bar
            return p.color(QPalette::Window);
        }
    }
    return QColor(static_cast<int>(value & 0xFF), static_cast<int>((value >> 8) & 0xFF),
                  static_cast<int>((value >> 16) & 0xFF));
}

std::uint32_t colorValue(const QColor& color) {
    const QColor c = color.toRgb();
    return static_cast<std::uint32_t>(c.red()) | static_cast<std::uint32_t>(c.green()) << 8 |
           static_cast<std::uint32_t>(c.blue()) << 16;
}

namespace {

enum Slot { Background, Captions, TextBackground, Text, Variations };

// What a colour does to a control: its colour (face) or its text colour (ink), and the parts of the
// grids' headers and the date pickers' drop-down calendars.
enum class Op {
    Face,
    Ink,
    HeaderFace,
    HeaderInk,
    CalendarMonth,
    CalendarTitleText,
    CalendarBack,
    CalendarDays,
    CalendarOtherDays
};

void setFace(QWidget* w, std::initializer_list<QPalette::ColorRole> roles, const QColor& c) {
    QPalette p = w->palette();
    for (const QPalette::ColorRole r : roles)
        p.setColor(r, c);
    w->setPalette(p);
}

// Text keeps a dimmed look while its control is disabled.
void setInk(QWidget* w, std::initializer_list<QPalette::ColorRole> roles, const QColor& c) {
    QPalette p = w->palette();
    QColor dim = c;
    dim.setAlpha(110);
    for (const QPalette::ColorRole r : roles) {
        p.setColor(QPalette::Active, r, c);
        p.setColor(QPalette::Inactive, r, c);
        p.setColor(QPalette::Disabled, r, dim);
    }
    w->setPalette(p);
}

void fill(QWidget* w, const QColor& c) {
    // Buttons fill with their button colour, everything else with the window colour.
    setFace(w, {QPalette::Window, w->backgroundRole()}, c);
    w->setAutoFillBackground(true);
}

void face(QWidget* w, const QColor& c) {
    if (qobject_cast<QCheckBox*>(w) || qobject_cast<QRadioButton*>(w))
        fill(w, c);
    else if (qobject_cast<QAbstractButton*>(w))
        setFace(w, {QPalette::Button}, c);
    else if (qobject_cast<QComboBox*>(w))
        setFace(w, {QPalette::Base, QPalette::Button}, c);
    else if (qobject_cast<QAbstractSpinBox*>(w) || qobject_cast<QLineEdit*>(w) ||
             qobject_cast<QAbstractScrollArea*>(w))
        setFace(w, {QPalette::Base}, c);
    else
        fill(w, c);
}

void headers(QWidget* w, const std::function<void(QHeaderView*)>& f) {
    if (auto* table = qobject_cast<QTableView*>(w)) {
        f(table->horizontalHeader());
        f(table->verticalHeader());
    } else if (auto* tree = qobject_cast<QTreeView*>(w)) {
        f(tree->header());
    }
}

void ink(QWidget* w, const QColor& c) {
    if (qobject_cast<QCheckBox*>(w) || qobject_cast<QRadioButton*>(w))
        setInk(w, {QPalette::WindowText}, c);
    else if (qobject_cast<QAbstractButton*>(w))
        setInk(w, {QPalette::ButtonText, QPalette::WindowText}, c);
    else if (qobject_cast<QComboBox*>(w))
        setInk(w, {QPalette::Text, QPalette::ButtonText}, c);
    else if (qobject_cast<QAbstractSpinBox*>(w) || qobject_cast<QLineEdit*>(w) ||
             qobject_cast<QAbstractScrollArea*>(w)) {
        setInk(w, {QPalette::Text}, c);
    } else
        setInk(w, {QPalette::WindowText}, c);
}

QCalendarWidget* calendarOf(QWidget* w) {
    auto* edit = qobject_cast<QDateTimeEdit*>(w);
    return edit && edit->calendarPopup() ? edit->calendarWidget() : nullptr;
}

void paint(QWidget* w, Op op, const QColor& c) {
    switch (op) {
    case Op::Face:
        face(w, c);
        return;
    case Op::Ink:
        ink(w, c);
        return;
    case Op::HeaderFace:
        headers(w, [&](QHeaderView* h) { setFace(h, {QPalette::Button, QPalette::Window}, c); });
        return;
    case Op::HeaderInk:
        headers(w, [&](QHeaderView* h) { setInk(h, {QPalette::ButtonText}, c); });
        return;
    default:
        break;
    }
    QCalendarWidget* cal = calendarOf(w);
    if (!cal) return;
    switch (op) {
    case Op::CalendarMonth:
        setFace(cal, {QPalette::Base, QPalette::AlternateBase}, c);
        break;
    case Op::CalendarTitleText:
        // The navigation bar's buttons draw their captions in their own text colour.
        setInk(cal, {QPalette::HighlightedText}, c);
        for (QToolButton* b : cal->findChildren<QToolButton*>())
            setInk(b, {QPalette::ButtonText, QPalette::WindowText}, c);
        break;
    case Op::CalendarBack:
        setFace(cal, {QPalette::Window, QPalette::Highlight, QPalette::Button}, c);
        break;
    case Op::CalendarDays:
        setInk(cal, {QPalette::Text}, c);
        break;
    case Op::CalendarOtherDays: {
        // Days outside the month are drawn with the disabled text colour.
        QPalette p = cal->palette();
        p.setColor(QPalette::Disabled, QPalette::Text, c);
        cal->setPalette(p);
        break;
    }
    default:
        break;
    }
}

struct Assignment {
    Slot slot;
    Op op;
    QStringList names;
};

QStringList names(std::initializer_list<const char*> list) {
    QStringList out;
    for (const char* n : list)
        out << QString::fromLatin1(n);
    return out;
}

// The panels used as buttons and captions.
QStringList buttonPanels() {
    QStringList out;
    out << names({"deleteButton",          "todayButton",      "nowButton",           "soundFilePanel",
                  "webAddressesButton",    "addButton",        "browseButton",        "testButton",
                  "severalProgramsButton", "newPartnerButton", "applyButton",         "editBrowseButton",
                  "newPartnerListButton",  "modifyButton",     "deletePartnerButton", "saveButton",
                  "cancelButton",          "soundFilePanel",   "webAddressesButton",  "saveSettingsButton",
                  "defaultsButton"});
    return out;
}

const QStringList& pagePanels() {
    static const QStringList list = names({"newEventPage", "eventsPage", "partnersPage", "actionsPage",
                                           "settingsPage", "partnerEditor", "helpPage"});
    return list;
}

const std::vector<Assignment>& assignments() {
    static const std::vector<Assignment> list = [] {
        const QStringList datePickers = names({"datePicker", "rangeFrom", "rangeTo", "editDate"});
        const QStringList edits = names(
            {"nameField",     "emailField",      "webField",         "addressField",      "mobileField",
             "phoneField",    "editProgramFile", "programFile",      "programParameters", "newPartnerName",
             "reminderText",  "noteField",       "editReminderText", "noteView",          "listingKindChoice",
             "summaryBox",    "kindChoice",      "recurrenceChoice", "partnerChoice",     "nameDayList",
             "editPartner",   "followUpChoice",  "nameList",         "contactList",       "eventGrid",
             "noticeDaysSpin"});
        QStringList panels = buttonPanels();
        QStringList facePanels = panels;
        facePanels << QStringLiteral("textBackgroundSwatch");
        QStringList captionInk =
            names({"periodGroup", "listingKindGroup", "reminderGroup", "timingGroup",  "colorGroup",
                   "closeGroup",  "startGroup",       "generalGroup",  "programGroup", "editGroup",
                   "dayGroup",    "timeGroup",        "nameDayGroup",  "noticeGroup",  "noticeWhenGroup",
                   "soundGroup",  "followUpGroup",    "partnerGroup",  "clockDisplay", "activeBox",
                   "editActive",  "editorTitle"});
        captionInk << panels;
        // Controls of the pages that have no colour of their own follow their page's text colour.
        captionInk << pagePanels();
        QStringList textInk = edits;
        textInk << names({"editorTitle"});
        QStringList textBackFace = edits;
        textBackFace << facePanels << names({"activeBox", "editActive", "mainWindow"});

        QStringList backFace = pagePanels();
        backFace << names({"clockDisplay", "backgroundSwatch", "optionList"});

        return std::vector<Assignment>{
            {Background, Op::Face, backFace},
            {Background, Op::HeaderFace, names({"sgImp"})},
            {Background, Op::CalendarMonth, datePickers},
            {Captions, Op::Ink, captionInk},
            {Captions, Op::CalendarTitleText, datePickers},
            {Captions, Op::Face, names({"captionsSwatch"})},
            {TextBackground, Op::Face, textBackFace},
            {TextBackground, Op::CalendarBack, datePickers},
            {Text, Op::Ink, textInk},
            // Header cells with the background colour show the grid's text colour on it.
            {Text, Op::HeaderInk, names({"sgImp"})},
            {Text, Op::CalendarDays, datePickers},
            {Text, Op::Face, names({"textSwatch"})},
            {Variations, Op::Ink,
             names({"todayChoice",     "tomorrowChoice",        "dateChoice",         "allFilter",
                    "todayFilter",     "tomorrowFilter",        "weekFilter",         "monthFilter",
                    "rangeFilter",     "existingPartnerChoice", "newPartnerChoice",   "closeToTrayChoice",
                    "closeEndsChoice", "startActiveChoice",     "startPassiveChoice", "noStartChoice",
                    "blueGreenPreset", "blackWhitePreset",      "playfulPreset",      "defaultSoundChoice",
                    "soundFileChoice", "noSoundChoice",         "editLabel",          "noticeAtStartBox",
                    "noticeAtExitBox", "startInTrayBox",        "optionList",         "modeButton"})},
            {Variations, Op::CalendarOtherDays, datePickers},
            {Variations, Op::Face, names({"variationsSwatch"})},
        };
    }();
    return list;
}

// The swatches show their caption in black or white, whichever reads on their colour.
void swatchCaptions(const QHash<QString, QWidget*>& byName) {
    for (const char* n :
         {"backgroundSwatch", "captionsSwatch", "textBackgroundSwatch", "textSwatch", "variationsSwatch"}) {
        QWidget* w = byName.value(QString::fromLatin1(n));
        if (!w) continue;
        const QColor c = w->palette().color(QPalette::Window);
        const bool dark = 0.299 * c.red() + 0.587 * c.green() + 0.114 * c.blue() < 140;
        setInk(w, {QPalette::WindowText}, dark ? Qt::white : Qt::black);
    }
}

QColor mix(const QColor& a, const QColor& b) {
    return QColor((a.red() + b.red()) / 2, (a.green() + b.green()) / 2, (a.blue() + b.blue()) / 2);
}

QString rgb(const QColor& c) {
    return c.name(QColor::HexRgb);
}

// Six captions share the window's width, so the tabs stay slim; they take the page colours, the
// current one the colour of its page.
void tabBar(QWidget* mainWindow, const QColor& page, const QColor& other, const QColor& caption) {
    auto* pages = mainWindow->findChild<QTabWidget*>(QStringLiteral("pages"));
    if (!pages) return;
    // Styled on the bar alone: a sheet on the page control would restyle every control below it.
    QTabBar* tabs = pages->tabBar();
    const QColor border = page.lightness() < 128 ? page.lighter(170) : page.darker(150);
    const QString sheet =
        QStringLiteral("QTabBar::tab { padding: 3px 6px; margin-right: 1px; border: 1px solid %1;"
                       " border-bottom: none; border-top-left-radius: 3px; border-top-right-radius: 3px;"
                       " background: %2; color: %3; }"
                       "QTabBar::tab:selected { background: %4; margin-top: 0px; }"
                       "QTabBar::tab:!selected { margin-top: 2px; }")
            .arg(rgb(border), rgb(other), rgb(caption), rgb(page));
    if (tabs->styleSheet() != sheet) tabs->setStyleSheet(sheet);
}

} // namespace

void applyTheme(QWidget* mainWindow, const ThemeColors& colors) {
    QColor slot[5];
    for (int i = 0; i < 5; ++i)
        slot[i] = colorOf(colors[static_cast<std::size_t>(i)]);

    tabBar(mainWindow, slot[Background], slot[TextBackground], slot[Captions]);

    // The first control of each name inside the main window itself; other windows paint themselves.
    QHash<QString, QWidget*> byName;
    byName.insert(mainWindow->objectName(), mainWindow);
    for (QWidget* w : mainWindow->findChildren<QWidget*>()) {
        if (w->objectName().isEmpty() || w->window() != mainWindow) continue;
        if (!byName.contains(w->objectName())) byName.insert(w->objectName(), w);
    }

    for (const Assignment& a : assignments())
        for (const QString& n : a.names)
            if (QWidget* w = byName.value(n)) paint(w, a.op, slot[a.slot]);
    // The frame and check boxes of a list are outlined from its window colour: between its colour
    // and its text, so they show on any colour.
    for (QWidget* w : std::as_const(byName))
        if (auto* view = qobject_cast<QAbstractItemView*>(w)) {
            const QPalette p = view->palette();
            setFace(view, {QPalette::Window}, mix(p.color(QPalette::Base), p.color(QPalette::Text)));
        }
    swatchCaptions(byName);
    mainWindow->update();
}

} // namespace zel::gui
