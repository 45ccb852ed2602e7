#include "gui/theme/theme.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateTimeEdit>
#include <QEvent>
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
#include <optional>
#include <vector>

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

void setFace(QPalette& p, std::initializer_list<QPalette::ColorRole> roles, const QColor& c) {
    for (const QPalette::ColorRole r : roles)
        p.setColor(r, c);
}

// Text keeps a dimmed look while its control is disabled.
void setInk(QPalette& p, std::initializer_list<QPalette::ColorRole> roles, const QColor& c) {
    QColor dim = c;
    dim.setAlpha(110);
    for (const QPalette::ColorRole r : roles) {
        p.setColor(QPalette::Active, r, c);
        p.setColor(QPalette::Inactive, r, c);
        p.setColor(QPalette::Disabled, r, dim);
    }
}

void setFace(QWidget* w, std::initializer_list<QPalette::ColorRole> roles, const QColor& c) {
    QPalette p = w->palette();
    setFace(p, roles, c);
    w->setPalette(p);
}

void setInk(QWidget* w, std::initializer_list<QPalette::ColorRole> roles, const QColor& c) {
    QPalette p = w->palette();
    setInk(p, roles, c);
    w->setPalette(p);
}

void fill(QWidget* w, QPalette& p, const QColor& c) {
    // Buttons fill with their button colour, everything else with the window colour.
    setFace(p, {QPalette::Window, w->backgroundRole()}, c);
    w->setAutoFillBackground(true);
}

bool isField(const QWidget* w) {
    return qobject_cast<const QAbstractSpinBox*>(w) || qobject_cast<const QLineEdit*>(w) ||
           qobject_cast<const QAbstractScrollArea*>(w);
}

void face(QWidget* w, QPalette& p, const QColor& c) {
    if (qobject_cast<QCheckBox*>(w) || qobject_cast<QRadioButton*>(w))
        fill(w, p, c);
    else if (qobject_cast<QAbstractButton*>(w))
        setFace(p, {QPalette::Button}, c);
    else if (qobject_cast<QComboBox*>(w))
        setFace(p, {QPalette::Base, QPalette::Button}, c);
    else if (qobject_cast<QAbstractSpinBox*>(w))
        // The arrow buttons beside the text are drawn on the button colour.
        setFace(p, {QPalette::Base, QPalette::Button}, c);
    else if (isField(w))
        setFace(p, {QPalette::Base}, c);
    else
        fill(w, p, c);
}

void ink(const QWidget* w, QPalette& p, const QColor& c) {
    if (qobject_cast<const QCheckBox*>(w) || qobject_cast<const QRadioButton*>(w))
        setInk(p, {QPalette::WindowText}, c);
    else if (qobject_cast<const QAbstractButton*>(w))
        setInk(p, {QPalette::ButtonText, QPalette::WindowText}, c);
    else if (qobject_cast<const QComboBox*>(w))
        setInk(p, {QPalette::Text, QPalette::ButtonText}, c);
    else if (qobject_cast<const QAbstractSpinBox*>(w))
        // The arrows take the window text colour, which would otherwise be the page's captions.
        setInk(p, {QPalette::Text, QPalette::WindowText, QPalette::ButtonText}, c);
    else if (isField(w))
        setInk(p, {QPalette::Text}, c);
    else
        setInk(p, {QPalette::WindowText}, c);
}

// Black or white, whichever reads on the colour.
QColor contrast(const QColor& c) {
    return 0.299 * c.red() + 0.587 * c.green() + 0.114 * c.blue() < 140 ? Qt::white : Qt::black;
}

QColor mix(const QColor& a, const QColor& b) {
    return QColor((a.red() + b.red()) / 2, (a.green() + b.green()) / 2, (a.blue() + b.blue()) / 2);
}

QString rgb(const QColor& c) {
    return c.name(QColor::HexRgb);
}

// Six captions share the window's width, so the tabs stay slim; the current one takes the colour of
// its page.
void paintTabs(QTabWidget* tabs, const QColor& page, const QColor& other, const QColor& caption) {
    // Styled on the bar alone: a sheet on the tab widget would restyle every control below it.
    QTabBar* bar = tabs->tabBar();
    const QColor border = page.lightness() < 128 ? page.lighter(170) : page.darker(150);
    const QString sheet =
        QStringLiteral("QTabBar::tab { padding: 3px 6px; margin-right: 1px; border: 1px solid %1;"
                       " border-bottom: none; border-top-left-radius: 3px; border-top-right-radius: 3px;"
                       " background: %2; color: %3; }"
                       "QTabBar::tab:selected { background: %4; margin-top: 0px; }"
                       "QTabBar::tab:!selected { margin-top: 2px; }")
            .arg(rgb(border), rgb(other), rgb(caption), rgb(page));
    if (bar->styleSheet() != sheet) bar->setStyleSheet(sheet);
}

void paintHeaders(QWidget* w, const QColor& back, const QColor& text) {
    std::vector<QHeaderView*> headers;
    if (auto* table = qobject_cast<QTableView*>(w))
        headers = {table->horizontalHeader(), table->verticalHeader()};
    else if (auto* tree = qobject_cast<QTreeView*>(w))
        headers = {tree->header()};
    for (QHeaderView* h : headers) {
        QPalette p = h->palette();
        setFace(p, {QPalette::Button, QPalette::Window}, back);
        setInk(p, {QPalette::ButtonText}, text);
        h->setPalette(p);
    }
}

// The drop-down calendar of a date editor: the month on the background, the navigation bar in the
// text background with the captions colour, the days in the text colour and the days of the
// neighbouring months in the variations colour.
void paintCalendar(QCalendarWidget* cal, const QColor (&slot)[5]) {
    setFace(cal, {QPalette::Window, QPalette::Highlight, QPalette::Button}, slot[2]);
    setFace(cal, {QPalette::Base, QPalette::AlternateBase}, slot[0]);
    // The navigation bar's buttons draw their captions in their own text colour.
    setInk(cal, {QPalette::HighlightedText}, slot[1]);
    for (QToolButton* b : cal->findChildren<QToolButton*>())
        setInk(b, {QPalette::ButtonText, QPalette::WindowText}, slot[1]);
    setInk(cal, {QPalette::Text}, slot[3]);
    QPalette p = cal->palette();
    p.setColor(QPalette::Disabled, QPalette::Text, slot[4]);
    cal->setPalette(p);
}

// Paints the drop-down calendar of a date editor when the editor is about to make it.
class CalendarPainter : public QObject {
  public:
    static void wait(QDateTimeEdit* edit, const QColor (&slot)[5]) {
        static CalendarPainter* painter = new CalendarPainter(QCoreApplication::instance());
        QVariantList colors;
        for (const QColor& c : slot)
            colors.append(c);
        const bool waiting = edit->property(kPending).isValid();
        edit->setProperty(kPending, colors);
        if (!waiting) edit->installEventFilter(painter);
    }
    // Paints a calendar waiting for the colours now.
    static void paintNow(QDateTimeEdit* edit) {
        const QVariantList colors = edit->property(kPending).toList();
        if (colors.size() != 5) return;
        edit->setProperty(kPending, QVariant());
        QColor slot[5];
        for (int i = 0; i < 5; ++i)
            slot[i] = colors[i].value<QColor>();
        paintCalendar(edit->calendarWidget(), slot);
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        const QEvent::Type t = event->type();
        if (t == QEvent::MouseButtonPress || t == QEvent::KeyPress || t == QEvent::MouseButtonDblClick) {
            auto* edit = static_cast<QDateTimeEdit*>(watched);
            edit->removeEventFilter(this);
            paintNow(edit);
        }
        return false;
    }

  private:
    using QObject::QObject;
    static constexpr char kPending[] = "zelPendingCalendarColors";
};

// The slot a role property names, if the widget carries it.
std::optional<int> roleOf(const QWidget* w, const char* property) {
    const QVariant v = w->property(property);
    if (!v.isValid()) return std::nullopt;
    const QByteArray name = v.toString().toLatin1();
    if (name == kContrastRole) return std::nullopt;
    for (int i = 0; i < 5; ++i)
        if (name == kRoleNames[i]) return i;
    qWarning("Unknown colour role '%s' on %s", name.constData(), qPrintable(w->objectName()));
    return std::nullopt;
}

void paint(QWidget* w, const QColor (&slot)[5]) {
    const std::optional<int> faceRole = roleOf(w, kFaceRole), textRole = roleOf(w, kTextRole),
                             headerRole = roleOf(w, kHeaderRole);
    if (auto* tabs = qobject_cast<QTabWidget*>(w)) {
        if (faceRole && textRole && headerRole)
            paintTabs(tabs, slot[*faceRole], slot[*headerRole], slot[*textRole]);
        return;
    }
    // The widget's colours are set at once: each change of a palette travels through all the
    // widgets below it.
    QPalette p = w->palette();
    if (faceRole) face(w, p, slot[*faceRole]);
    if (textRole)
        ink(w, p, slot[*textRole]);
    else if (faceRole && w->property(kTextRole).toString() == QLatin1String(kContrastRole))
        ink(w, p, contrast(slot[*faceRole]));
    if (qobject_cast<QAbstractItemView*>(w) && faceRole)
        // The frame and check boxes of a list are outlined from its window colour: between its colour
        // and its text, so they show on any colour.
        setFace(p, {QPalette::Window}, mix(p.color(QPalette::Base), p.color(QPalette::Text)));
    if (faceRole || textRole) w->setPalette(p);
    if (headerRole)
        paintHeaders(w, slot[*headerRole], textRole ? slot[*textRole] : contrast(slot[*headerRole]));
    auto* edit = qobject_cast<QDateTimeEdit*>(w);
    if (edit && edit->calendarPopup() && (faceRole || textRole)) {
        // Making a calendar costs more than a whole tab, so an unmade one is made and painted at the
        // editor's first press or key, which come before the editor opens it.
        if (edit->findChild<QCalendarWidget*>())
            paintCalendar(edit->calendarWidget(), slot);
        else
            CalendarPainter::wait(edit, slot);
    }
}

} // namespace

void applyTheme(QWidget* root, const ThemeColors& colors) {
    QColor slot[5];
    for (int i = 0; i < 5; ++i)
        slot[i] = colorOf(colors[static_cast<std::size_t>(i)]);
    paint(root, slot);
    for (QWidget* w : root->findChildren<QWidget*>())
        if (w->window() == root->window()) paint(w, slot);
    root->update();
}

} // namespace zel::gui
