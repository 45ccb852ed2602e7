#include "gui/tabs/partner_editor.h"

#include "gui/state/app_state.h"
#include "gui/text/error_box.h"
#include "gui/text/qt_text.h"
#include "gui/text/texts.h"
#include "gui/widgets/text_limit.h"
#include "ui_partner_editor.h"

#include <QKeyEvent>
#include <QShortcut>

#include <optional>

namespace zel::gui {

namespace {

const QString kTitleNew = QStringLiteral("        Új személy felvitele");
const QString kTitleModify = QStringLiteral("Személyi adatok módosítása");
constexpr std::size_t kNoteCapacity = 255;
constexpr std::size_t kNameCapacity = 41;

} // namespace

PartnerEditor::PartnerEditor(AppState& state, Dialogs& dialogs, QWidget* parent)
    : QWidget(parent), state_(state), dialogs_(dialogs), ui_(std::make_unique<Ui::PartnerEditor>()) {
    ui_->setupUi(this);
    hide();

    for (QLineEdit* e : {ui_->nameField, ui_->addressField, ui_->webField, ui_->emailField, ui_->mobileField,
                         ui_->phoneField})
        e->installEventFilter(this);
    limitStoredLength(ui_->noteField, kNoteCapacity);

    connect(ui_->saveButton, &QPushButton::clicked, this, [this] { guarded(dialogs_, [this] { save(); }); });
    connect(ui_->cancelButton, &QPushButton::clicked, this, &PartnerEditor::close);
    // Escape belongs to the whole window: it closes the open panel wherever the focus is.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setContext(Qt::WindowShortcut);
    connect(escape, &QShortcut::activated, this, &PartnerEditor::close);
}

PartnerEditor::~PartnerEditor() = default;

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
    return ui_->editorTitle->text().startsWith(QLatin1Char('S'));
}

void PartnerEditor::openNew(const QString& name) {
    show();
    for (QLineEdit* e :
         {ui_->nameField, ui_->addressField, ui_->emailField, ui_->mobileField, ui_->phoneField})
        e->clear();
    ui_->noteField->clear();
    ui_->webField->setText(QStringLiteral("http://"));
    ui_->nameField->setFocus();
    ui_->editorTitle->setText(kTitleNew);
    if (!name.isEmpty()) {
        ui_->nameField->setText(name);
        ui_->nameField->setCursorPosition(0);
    }
}

void PartnerEditor::openExisting(const PartnerRecord& p, std::size_t index) {
    show();
    ui_->nameField->setText(fromCp(p.name));
    ui_->addressField->setText(fromCp(p.address));
    ui_->webField->setText(fromCp(p.webAddress));
    ui_->emailField->setText(fromCp(p.email));
    ui_->mobileField->setText(fromCp(p.mobile));
    ui_->phoneField->setText(fromCp(p.phone));
    ui_->noteField->setPlainText(fromStored(p.note));
    ui_->editorTitle->setText(kTitleModify);
    ui_->nameField->setFocus();
    ui_->nameField->setCursorPosition(0);
    formerName_ = p.name;
    index_ = index;
}

void PartnerEditor::close() {
    hide();
    emit closed();
}

void PartnerEditor::save() {
    const bool modification = modifying();
    if (ui_->nameField->text().startsWith(QLatin1Char(' ')))
        ui_->nameField->setText(ui_->nameField->text().mid(1));
    const std::string name = toCp(ui_->nameField->text());

    const bool renamed = modification && name != formerName_;
    if (renamed && dialogs_.warning(
                       QStringLiteral("Ha partnere nevét megváltoztatja, akkor annak név-, és születésnapja "
                                      "is törlődik!") +
                           kNl + kNl + QStringLiteral("Meg szeretné tartani a partnere régi nevét?"),
                       Dialogs::Yes | Dialogs::No) == Dialogs::Yes)
        return;

    const NameCheck check = state_.checkPartnerName(name, modification);
    if (!check.ok()) {
        // Every refusal is told, one box after the other; with the warnings off, none is.
        if (state_.settings().warnings) {
            if (check.duplicate)
                dialogs_.warning(
                    QStringLiteral("Ilyen névvel már szerepel partner. Kérem válasszon másik nevet!"));
            if (check.empty) dialogs_.warning(QStringLiteral("Kérem adjon meg egy nevet új partnerének!"));
            if (check.colon) dialogs_.warning(QStringLiteral("A név nem tartalmazhatja a \":\" karaktert!"));
        }
        ui_->nameField->setFocus();
        return;
    }

    PartnerRecord record;
    record.name = name;
    record.address = toCp(ui_->addressField->text());
    if (ui_->webField->text().isEmpty()) ui_->webField->setText(QStringLiteral("http://"));
    const std::optional<std::string> web = storedWebAddress(toCp(ui_->webField->text()));
    if (!web) {
        dialogs_.warning(QStringLiteral("A megadott Internet cím érvénytelen. Kérem, javítsa."));
        ui_->webField->setFocus();
        return;
    }
    record.webAddress = *web;
    record.email = toCp(ui_->emailField->text());
    if (!emailAccepted(record.email)) {
        dialogs_.warning(QStringLiteral("A megadott e-mail cím érvénytelen. Kérem, javítsa."));
        ui_->emailField->setFocus();
        return;
    }
    record.mobile = toCp(ui_->mobileField->text());
    record.phone = toCp(ui_->phoneField->text());
    record.note = toStored(ui_->noteField->toPlainText());

    const std::size_t at =
        state_.savePartner(record, modification ? std::optional<std::size_t>(index_) : std::nullopt);
    // A rename sorts the partner to another place; should removing the old name's days fail, the panel
    // stays open and saving again must replace this record, not the one now at the old place.
    index_ = at;
    if (renamed) {
        dialogs_.information(
            QStringLiteral("A partnerének megváltoztatta a nevét.") + kNl +
            QStringLiteral("Így a rögzített régi név- és születésnapok időpontja törlődik!"));
        state_.removePartnerEvents(formerName_);
    }
    hide();
    emit saved(record.name.substr(0, kNameCapacity),
               static_cast<FollowUp>(ui_->followUpChoice->currentIndex()));
}

} // namespace zel::gui
