#include "gui/tabs/partners_tab.h"

#include "gui/platform/contact_action.h"
#include "gui/state/app_state.h"
#include "gui/text/error_box.h"
#include "gui/text/qt_text.h"
#include "gui/text/texts.h"
#include "gui/widgets/partner_names_model.h"
#include "gui/widgets/widget_util.h"
#include "ui_partners_tab.h"

#include <QKeyEvent>

#include <algorithm>

namespace zel::gui {

namespace {

// The contact list holds these many lines, all shown at once.
constexpr int kContactLines = 5;

} // namespace

PartnersTab::PartnersTab(AppState& state, Dialogs& dialogs, Shell& shell, QWidget* parent)
    : QWidget(parent), state_(state), dialogs_(dialogs), shell_(shell),
      ui_(std::make_unique<Ui::PartnersTab>()) {
    ui_->setupUi(this);
    build();
    connect(&state_, &AppState::partnersChanged, this, &PartnersTab::showPartners);
}

PartnersTab::~PartnersTab() = default;

void PartnersTab::build() {
    names_ = new PartnerNamesModel(state_, this);
    QListView* const nameList = ui_->nameList;
    nameList->setModel(names_);
    nameList->setItemDelegate(new RowHeightDelegate(0, nameList));
    nameList->installEventFilter(this);

    QListWidget* const contactList = ui_->contactList;
    contactList->setItemDelegate(new RowHeightDelegate(0, contactList));
    contactList->setMinimumHeight(kContactLines * accentSafeRowHeight(contactList->font()) +
                                  2 * contactList->frameWidth());
    contactList->viewport()->installEventFilter(this);

    // The new-name button keeps its place when the other two go with the last partner.
    for (QPushButton* b : {ui_->modifyButton, ui_->deletePartnerButton}) {
        QSizePolicy policy = b->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        b->setSizePolicy(policy);
    }

    editor_ = new PartnerEditor(state_, dialogs_, ui_->partnerPages);
    ui_->partnerPages->addWidget(editor_);
    // The editor shows and hides itself; the page it stands on follows.
    editor_->installEventFilter(this);

    const auto run = [this](void (PartnersTab::*handler)()) {
        return [this, handler] { guarded(dialogs_, [this, handler] { (this->*handler)(); }); };
    };
    connect(ui_->newPartnerListButton, &QPushButton::clicked, this, run(&PartnersTab::openNew));
    connect(ui_->modifyButton, &QPushButton::clicked, this, run(&PartnersTab::openSelected));
    connect(ui_->deletePartnerButton, &QPushButton::clicked, this, run(&PartnersTab::deleteSelected));
    connect(nameList->selectionModel(), &QItemSelectionModel::currentChanged, this, [this] {
        // Loading and selecting by program show no details, as a click or an arrow key does.
        if (!selecting_) guarded(dialogs_, [this] { showDetails(); });
    });
    connect(nameList, &QListView::clicked, this, [this](const QModelIndex& index) {
        if (index.row() != shownRow_) guarded(dialogs_, [this] { showDetails(); });
    });
    connect(nameList, &QListView::doubleClicked, this, run(&PartnersTab::openSelected));
    connect(contactList, &QListWidget::currentRowChanged, this, &PartnersTab::showContactHint);
    connect(contactList, &QListWidget::itemClicked, this, &PartnersTab::showContactHint);
    connect(contactList, &QListWidget::itemDoubleClicked, this, run(&PartnersTab::onContactLineChosen));
    connect(editor_, &PartnerEditor::saved, this, &PartnersTab::onSaved);
    connect(editor_, &PartnerEditor::closed, this, &PartnersTab::onEditorClosed);
}

bool PartnersTab::eventFilter(QObject* watched, QEvent* event) {
    if (watched == editor_) {
        // Only an explicit show or hide of the editor, not the tab's own coming and going.
        if (event->type() == QEvent::ShowToParent)
            ui_->partnerPages->setCurrentWidget(editor_);
        else if (event->type() == QEvent::HideToParent)
            ui_->partnerPages->setCurrentWidget(ui_->browsePage);
        return QWidget::eventFilter(watched, event);
    }
    if (event->type() == QEvent::KeyPress && watched == ui_->nameList) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        void (PartnersTab::*handler)() = nullptr;
        if (key == Qt::Key_Insert) handler = &PartnersTab::openNew;
        if (key == Qt::Key_Return || key == Qt::Key_Enter) handler = &PartnersTab::openSelected;
        if (key == Qt::Key_Delete) handler = &PartnersTab::deleteSelected;
        if (handler) {
            guarded(dialogs_, [this, handler] { (this->*handler)(); });
            return true;
        }
    }
    if (event->type() == QEvent::MouseButtonPress && watched == ui_->contactList->viewport() &&
        static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) {
        emit webAddressesRequested();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void PartnersTab::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // The highlighted partner's details, read when the tab is first looked at after a load.
    const int current = ui_->nameList->currentIndex().row();
    if (current >= 0 && current != shownRow_) guarded(dialogs_, [this] { showDetails(); });
}

void PartnersTab::selectRow(int row) {
    selecting_ = true;
    ui_->nameList->setCurrentIndex(names_->index(row));
    selecting_ = false;
    ui_->nameList->scrollTo(names_->index(row));
}

int PartnersTab::selectedRow() const {
    int row = -1;
    for (const QModelIndex& i : ui_->nameList->selectionModel()->selectedIndexes())
        if (row < 0 || i.row() < row) row = i.row();
    return row;
}

void PartnersTab::showPartners() {
    // A file that does not open gives an empty list, never an error.
    currentIndex_ = 0;
    shownRow_ = -1;
    if (state_.partnerNames().empty()) {
        showEmpty();
        return;
    }
    ui_->nameList->setEnabled(true);
    ui_->contactList->setEnabled(true);
    ui_->modifyButton->show();
    ui_->deletePartnerButton->show();
    selectRow(0);
    // A failed read is shown here: the change that reloaded the list goes on.
    if (isVisible()) guarded(dialogs_, [this] { showDetails(); });
}

void PartnersTab::showEmpty() {
    ui_->contactList->clear();
    ui_->noteView->clear();
    ui_->nameList->setEnabled(false);
    ui_->contactList->setEnabled(false);
    ui_->modifyButton->hide();
    ui_->deletePartnerButton->hide();
}

void PartnersTab::showDetails() {
    const QModelIndex at = ui_->nameList->currentIndex();
    const auto& names = state_.partnerNames();
    const std::size_t record = names_->recordAt(at.row());
    if (!at.isValid() || record >= names.size()) return;
    ui_->nameList->setToolTip(at.data().toString());
    ui_->contactList->setToolTip(QString());

    // By name, as the file may have changed since it was listed; the row's own record first.
    const PartnerLookup found = state_.findPartner(names[record], record);
    currentIndex_ = found.index;
    ui_->contactList->clear();
    ui_->noteView->clear();
    if (found.record) {
        const PartnerRecord& p = *found.record;
        for (const std::string* line : {&p.email, &p.webAddress, &p.address, &p.mobile, &p.phone})
            ui_->contactList->addItem(fromCp(*line));
        ui_->noteView->setPlainText(fromStored(p.note));
    }
    shownRow_ = at.row();
}

void PartnersTab::openNew() {
    editor_->openNew();
}

void PartnersTab::startNewPartner(const QString& name) {
    editor_->openNew(name);
}

void PartnersTab::openSelected() {
    // Read first: a record that cannot be read leaves the editor closed.
    editor_->openExisting(state_.partnerAt(currentIndex_), currentIndex_);
}

void PartnersTab::onEditorClosed() {
    if (ui_->nameList->isEnabled() && ui_->nameList->isVisible()) ui_->nameList->setFocus();
}

void PartnersTab::onSaved(const std::string& name, PartnerEditor::FollowUp followUp) {
    ui_->nameList->setFocus();
    const auto& names = state_.partnerNames();
    const auto it = std::find(names.begin(), names.end(), name);
    if (it != names.end()) {
        selectRow(names_->rowOf(static_cast<std::size_t>(it - names.begin())));
        showDetails();
    }
    if (followUp == PartnerEditor::FollowUp::Nothing) return;
    state_.setLastSavedPartner(name);
    if (followUp == PartnerEditor::FollowUp::NameDay)
        emit nameDaySearchRequested(fromCp(givenNameOf(name)));
    else
        emit birthdayRequested();
}

void PartnersTab::deleteSelected() {
    const int i = selectedRow();
    const std::size_t record = names_->recordAt(i);
    if (i < 0 || record >= state_.partnerNames().size()) return;
    const std::string name = state_.partnerNames()[record];
    // Without the warnings there is no question to say yes to, so nothing is deleted.
    if (!state_.settings().warnings) return;
    if (dialogs_.confirmation(QStringLiteral("Valóban töröli \"") + names_->index(i).data().toString() +
                                  QStringLiteral("\"-t a partnerei közül?") + kNl +
                                  QStringLiteral("(A partner név-, és születésnapja is törlődik!)"),
                              Dialogs::Yes | Dialogs::No) != Dialogs::Yes)
        return;

    state_.deletePartner(record);
    // The next name of the list takes the place of the one that went.
    const std::size_t left = state_.partnerNames().size();
    if (left > 0) {
        ui_->nameList->setFocus();
        selectRow(std::min(i, static_cast<int>(left) - 1));
        showDetails();
    }
    state_.removePartnerEvents(name);
}

void PartnersTab::showContactHint() {
    const int i = ui_->contactList->currentRow();
    if (i < 0 || i > static_cast<int>(ContactLine::Phone)) return;
    const QString v = ui_->contactList->item(i)->text();
    ui_->contactList->setToolTip(
        v.isEmpty() ? QString() : contactLineLabel(static_cast<ContactLine>(i)) + QStringLiteral(": ") + v);
}

void PartnersTab::onContactLineChosen() {
    const QListWidgetItem* item = ui_->contactList->currentItem();
    const int i = ui_->contactList->currentRow();
    if (item && i >= 0 && i <= static_cast<int>(ContactLine::Phone))
        runContactAction(static_cast<ContactLine>(i), item->text(), state_.settings(), dialogs_, shell_);
}

} // namespace zel::gui
