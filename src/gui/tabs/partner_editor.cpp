#include "gui/tabs/partner_editor.h"

#include "core/partners/partner_file.h"
#include "gui/error_box.h"
#include "gui/qt_text.h"
#include "gui/state/app_state.h"
#include "gui/texts.h"
#include "gui/widgets/text_limit.h"
#include "gui/widgets/widget_util.h"

#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>

namespace zel::gui {

namespace {

const QString kTitleNew = QStringLiteral("        Új személy felvitele");
const QString kTitleModify = QStringLiteral("Személyi adatok módosítása");
constexpr std::size_t kNoteCapacity = 255;
constexpr std::size_t kNameCapacity = 41;

QLabel* caption(const QString& text, QWidget* parent, const QRect& at, QWidget* buddy) {
    auto* l = new QLabel(text, parent);
    l->setGeometry(at);
    l->setBuddy(buddy);
    labelled(buddy, text);
    return l;
}

} // namespace

PartnerEditor::PartnerEditor(AppState& state, Dialogs& dialogs, QWidget* parent)
    : QWidget(parent), state_(state), dialogs_(dialogs) {
    setObjectName(QStringLiteral("partnerEditor"));
    setAutoFillBackground(true);
    hide();

    title_ = named(new QLabel(this), "editorTitle");
    title_->setGeometry(8, 2, 300, 22);
    QFont bold = title_->font();
    bold.setBold(true);
    title_->setFont(bold);

    const int left = 90, full = 395;
    const struct {
        QLineEdit** slot;
        const char* name;
        const char* caption;
        QRect label, field;
        int length;
    } fields[] = {
        {&nameField_, "nameField", "&Név:", {8, 28, 80, 22}, {left, 28, full, 22}, 40},
        {&addressField_, "addressField", "&Cím:", {8, 54, 80, 22}, {left, 54, full, 22}, 60},
        {&webField_, "webField", "&Honlap:", {8, 80, 80, 22}, {left, 80, full, 22}, 60},
        {&emailField_, "emailField", "&E-mail:", {8, 106, 80, 22}, {left, 106, 204, 22}, 30},
        {&mobileField_, "mobileField", "M&obil:", {302, 106, 50, 22}, {352, 106, 133, 22}, 20},
        {&phoneField_, "phoneField", "&Telefon:", {8, 132, 80, 22}, {left, 132, 204, 22}, 20},
    };
    for (const auto& f : fields) {
        *f.slot = named(new QLineEdit(this), f.name);
        caption(QString::fromUtf8(f.caption), this, f.label, *f.slot);
        (*f.slot)->setMaxLength(f.length);
        (*f.slot)->setGeometry(f.field);
        (*f.slot)->installEventFilter(this);
    }
    noteField_ = named(new QPlainTextEdit(this), "noteField");
    caption(QStringLiteral("Me&gjegyzés:"), this, {8, 158, 80, 22}, noteField_);
    noteField_->setGeometry(left, 158, 204, 86);
    noteField_->setTabChangesFocus(true);
    limitStoredLength(noteField_, kNoteCapacity);

    auto* followUpGroup =
        named(new QGroupBox(QStringLiteral("Nevezetes napok felvitele "), this), "followUpGroup");
    followUpGroup->setGeometry(302, 132, 183, 52);
    followUpChoice_ = labelled(named(new QComboBox(followUpGroup), "followUpChoice"), followUpGroup->title());
    followUpChoice_->addItems(
        {QStringLiteral("Névnap"), QStringLiteral("Születésnap"), QStringLiteral("Nincs megadva")});
    followUpChoice_->setCurrentIndex(static_cast<int>(FollowUp::Nothing));
    followUpChoice_->setGeometry(8, 22, 167, 24);

    auto* saveButton = named(new QPushButton(QStringLiteral("Elment"), this), "saveButton");
    saveButton->setGeometry(302, 214, 89, 30);
    saveButton->setFont(bold);
    auto* cancelButton = named(new QPushButton(QStringLiteral("Mégsem"), this), "cancelButton");
    cancelButton->setGeometry(396, 214, 89, 30);
    connect(saveButton, &QPushButton::clicked, this, [this] { guarded(dialogs_, [this] { save(); }); });
    connect(cancelButton, &QPushButton::clicked, this, &PartnerEditor::close);
    // Escape belongs to the whole window: it closes the open panel wherever the focus is.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setContext(Qt::WindowShortcut);
    connect(escape, &QShortcut::activated, this, &PartnerEditor::close);
}

bool PartnerEditor::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        // Enter in a one-line field saves.
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            guarded(dialogs_, [this] { save(); });
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

bool PartnerEditor::modifying() const {
    return title_->text().startsWith(QLatin1Char('S'));
}

void PartnerEditor::openNew(const QString& name) {
    show();
    raise();
    for (QLineEdit* e : {nameField_, addressField_, emailField_, mobileField_, phoneField_})
        e->clear();
    noteField_->clear();
    webField_->setText(QStringLiteral("http://"));
    nameField_->setFocus();
    title_->setText(kTitleNew);
    if (!name.isEmpty()) {
        nameField_->setText(name);
        nameField_->setCursorPosition(0);
    }
}

void PartnerEditor::openExisting(const PartnerRecord& p, std::size_t index) {
    show();
    raise();
    nameField_->setText(fromCp(p.Name));
    addressField_->setText(fromCp(p.Address));
    webField_->setText(fromCp(p.WebAddress));
    emailField_->setText(fromCp(p.Email));
    mobileField_->setText(fromCp(p.Mobile));
    phoneField_->setText(fromCp(p.Phone));
    noteField_->setPlainText(fromStored(p.Note));
    title_->setText(kTitleModify);
    nameField_->setFocus();
    nameField_->setCursorPosition(0);
    formerName_ = p.Name;
    index_ = index;
}

void PartnerEditor::close() {
    hide();
    emit closed();
}

void PartnerEditor::save() {
    const bool modification = modifying();
    if (nameField_->text().startsWith(QLatin1Char(' '))) nameField_->setText(nameField_->text().mid(1));
    const std::string name = toCp(nameField_->text());

    const bool renamed = modification && name != formerName_;
    if (renamed && dialogs_.warning(
                       QStringLiteral("Ha partnere nevét megváltoztatja, akkor annak név-, és születésnapja "
                                      "is törlődik!") +
                           kNl + kNl + QStringLiteral("Meg szeretné tartani a partnere régi nevét?"),
                       Dialogs::Yes | Dialogs::No) == Dialogs::Yes)
        return;

    const NameCheck check = checkPartnerName(state_.paths().partners(), name, modification);
    if (!check.ok()) {
        // Every refusal is told, one box after the other; with the warnings off, none is.
        if (state_.settings().warnings) {
            if (check.duplicate)
                dialogs_.warning(
                    QStringLiteral("Ilyen névvel már szerepel partner. Kérem válasszon másik nevet!"));
            if (check.empty) dialogs_.warning(QStringLiteral("Kérem adjon meg egy nevet új partnerének!"));
            if (check.colon) dialogs_.warning(QStringLiteral("A név nem tartalmazhatja a \":\" karaktert!"));
        }
        nameField_->setFocus();
        return;
    }

    PartnerRecord record;
    record.Name = name;
    record.Address = toCp(addressField_->text());
    if (webField_->text().isEmpty()) webField_->setText(QStringLiteral("http://"));
    const std::optional<std::string> web = storedWebAddress(toCp(webField_->text()));
    if (!web) {
        dialogs_.warning(QStringLiteral("A megadott Internet cím érvénytelen. Kérem, javítsa."));
        webField_->setFocus();
        return;
    }
    record.WebAddress = *web;
    record.Email = toCp(emailField_->text());
    if (!emailAccepted(record.Email)) {
        dialogs_.warning(QStringLiteral("A megadott e-mail cím érvénytelen. Kérem, javítsa."));
        emailField_->setFocus();
        return;
    }
    record.Mobile = toCp(mobileField_->text());
    record.Phone = toCp(phoneField_->text());
    record.Note = toStored(noteField_->toPlainText());

    state_.savePartner(record, modification ? std::optional<std::size_t>(index_) : std::nullopt);
    if (renamed) {
        dialogs_.information(
            QStringLiteral("A partnerének megváltoztatta a nevét.") + kNl +
            QStringLiteral("Így a rögzített régi név- és születésnapok időpontja törlődik!"));
        state_.removePartnerEvents(formerName_);
    }
    hide();
    emit saved(record.Name.substr(0, kNameCapacity), static_cast<FollowUp>(followUpChoice_->currentIndex()));
}

} // namespace zel::gui
