#include "gui/tabs/partners_tab.h"

#include "core/partners/partner_file.h"
#include "gui/contact_action.h"
#include "gui/error_box.h"
#include "gui/qt_text.h"
#include "gui/state/app_state.h"
#include "gui/texts.h"
#include "gui/widgets/widget_util.h"

#include <QKeyEvent>
#include <QListView>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QResizeEvent>
#include <QStringListModel>

#include <algorithm>

namespace zel::gui {

PartnersTab::PartnersTab(AppState& state, Dialogs& dialogs, Shell& shell, QWidget* parent)
    : QWidget(parent), state_(state), dialogs_(dialogs), shell_(shell) {
    setObjectName(QStringLiteral("partnersPage"));
    build();
    connect(&state_, &AppState::partnersChanged, this, &PartnersTab::showPartners);
}

void PartnersTab::build() {
    // The list takes the left side; the right holds the contact lines, the note and the buttons.
    names_ = new QStringListModel(this);
    nameList_ = named(new QListView(this), "nameList");
    nameList_->setModel(names_);
    nameList_->setGeometry(4, 4, 196, 242);
    nameList_->setUniformItemSizes(true); // thousands of names lay out without measuring each
    nameList_->setItemDelegate(new RowHeightDelegate(0, nameList_));
    nameList_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    nameList_->setSelectionMode(QAbstractItemView::SingleSelection);
    nameList_->installEventFilter(this);

    contactList_ = named(new QListWidget(this), "contactList");
    contactList_->setItemDelegate(new RowHeightDelegate(0, contactList_));
    contactList_->setGeometry(206, 4, 279, 96);
    contactList_->viewport()->installEventFilter(this);
    noteView_ = named(new QPlainTextEdit(this), "noteView");
    noteView_->setReadOnly(true);
    noteView_->setGeometry(206, 104, 279, 106);

    auto* newButton = named(new QPushButton(QStringLiteral("Új név"), this), "newPartnerListButton");
    newButton->setGeometry(206, 216, 89, 28);
    modifyButton_ = named(new QPushButton(QStringLiteral("Módosítás"), this), "modifyButton");
    modifyButton_->setGeometry(301, 216, 89, 28);
    deleteButton_ = named(new QPushButton(QStringLiteral("Törlés"), this), "deletePartnerButton");
    deleteButton_->setGeometry(396, 216, 89, 28);

    editor_ = new PartnerEditor(state_, dialogs_, this);
    editor_->setGeometry(rect());

    const auto run = [this](void (PartnersTab::*handler)()) {
        return [this, handler] { guarded(dialogs_, [this, handler] { (this->*handler)(); }); };
    };
    connect(newButton, &QPushButton::clicked, this, run(&PartnersTab::openNew));
    connect(modifyButton_, &QPushButton::clicked, this, run(&PartnersTab::openSelected));
    connect(deleteButton_, &QPushButton::clicked, this, run(&PartnersTab::deleteSelected));
    connect(nameList_->selectionModel(), &QItemSelectionModel::currentChanged, this, [this] {
        // Loading and selecting by program show no details, as a click or an arrow key does.
        if (!selecting_) guarded(dialogs_, [this] { showDetails(); });
    });
    connect(nameList_, &QListView::clicked, this, [this](const QModelIndex& index) {
        if (index.row() != shownRow_) guarded(dialogs_, [this] { showDetails(); });
    });
    connect(nameList_, &QListView::doubleClicked, this, run(&PartnersTab::openSelected));
    connect(contactList_, &QListWidget::currentRowChanged, this, &PartnersTab::showContactHint);
    connect(contactList_, &QListWidget::itemClicked, this, &PartnersTab::showContactHint);
    connect(contactList_, &QListWidget::itemDoubleClicked, this, run(&PartnersTab::onContactLineChosen));
    connect(editor_, &PartnerEditor::saved, this, &PartnersTab::onSaved);
    connect(editor_, &PartnerEditor::closed, this, &PartnersTab::onEditorClosed);
}

bool PartnersTab::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && watched == nameList_) {
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
    if (event->type() == QEvent::MouseButtonPress && watched == contactList_->viewport() &&
        static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) {
        emit webAddressesRequested();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void PartnersTab::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    editor_->setGeometry(rect()); // the open editor covers the whole page
}

void PartnersTab::showNames(const std::vector<std::string>& names) {
    QStringList shown;
    shown.reserve(static_cast<qsizetype>(names.size()));
    for (const auto& n : names)
        shown << fromCp(n);
    selecting_ = true;
    names_->setStringList(shown);
    selecting_ = false;
    shownRow_ = -1;
}

void PartnersTab::selectRow(int row) {
    selecting_ = true;
    nameList_->setCurrentIndex(names_->index(row));
    selecting_ = false;
    nameList_->scrollTo(names_->index(row));
}

int PartnersTab::selectedRow() const {
    int row = -1;
    for (const QModelIndex& i : nameList_->selectionModel()->selectedIndexes())
        if (row < 0 || i.row() < row) row = i.row();
    return row;
}

void PartnersTab::showPartners() {
    // A file that does not open gives an empty list, never an error.
    currentIndex_ = 0;
    showNames(state_.partnerNames());
    if (state_.partnerNames().empty()) {
        showEmpty();
        return;
    }
    nameList_->setEnabled(true);
    contactList_->setEnabled(true);
    modifyButton_->show();
    deleteButton_->show();
    selectRow(0);
}

void PartnersTab::showEmpty() {
    if (names_->rowCount() > 0) showNames({});
    contactList_->clear();
    noteView_->clear();
    nameList_->setEnabled(false);
    contactList_->setEnabled(false);
    modifyButton_->hide();
    deleteButton_->hide();
}

void PartnersTab::showDetails() {
    const QModelIndex at = nameList_->currentIndex();
    const auto& names = state_.partnerNames();
    if (!at.isValid() || at.row() >= static_cast<int>(names.size())) return;
    nameList_->setToolTip(at.data().toString());
    contactList_->setToolTip(QString());

    const PartnerLookup found =
        findPartner(state_.paths().partners(), names[static_cast<std::size_t>(at.row())]);
    currentIndex_ = found.index;
    contactList_->clear();
    noteView_->clear();
    if (found.record) {
        const PartnerRecord& p = *found.record;
        for (const std::string* line : {&p.Email, &p.WebAddress, &p.Address, &p.Mobile, &p.Phone})
            contactList_->addItem(fromCp(*line));
        noteView_->setPlainText(fromStored(p.Note));
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
    editor_->openExisting(readPartnerAt(state_.paths().partners(), currentIndex_), currentIndex_);
}

void PartnersTab::onEditorClosed() {
    if (nameList_->isEnabled() && nameList_->isVisible()) nameList_->setFocus();
}

void PartnersTab::onSaved(const std::string& name, PartnerEditor::FollowUp followUp) {
    nameList_->setFocus();
    const auto& names = state_.partnerNames();
    const auto it = std::find(names.begin(), names.end(), name);
    if (it != names.end()) {
        selectRow(static_cast<int>(it - names.begin()));
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
    if (i < 0 || static_cast<std::size_t>(i) >= state_.partnerNames().size()) return;
    const std::string name = state_.partnerNames()[static_cast<std::size_t>(i)];
    // Without the warnings there is no question to say yes to, so nothing is deleted.
    if (!state_.settings().warnings) return;
    if (dialogs_.confirmation(QStringLiteral("Valóban töröli \"") + names_->index(i).data().toString() +
                                  QStringLiteral("\"-t a partnerei közül?") + kNl +
                                  QStringLiteral("(A partner név-, és születésnapja is törlődik!)"),
                              Dialogs::Yes | Dialogs::No) != Dialogs::Yes)
        return;

    state_.deletePartner(static_cast<std::size_t>(i));
    const std::size_t left = state_.partnerNames().size();
    if (left > 0) {
        nameList_->setFocus();
        selectRow(std::min(i, static_cast<int>(left) - 1));
        showDetails();
    }
    state_.removePartnerEvents(name);
}

void PartnersTab::showContactHint() {
    const int i = contactList_->currentRow();
    if (i < 0 || i > static_cast<int>(ContactLine::Phone)) return;
    const QString v = contactList_->item(i)->text();
    contactList_->setToolTip(
        v.isEmpty() ? QString() : contactLineLabel(static_cast<ContactLine>(i)) + QStringLiteral(": ") + v);
}

void PartnersTab::onContactLineChosen() {
    const QListWidgetItem* item = contactList_->currentItem();
    const int i = contactList_->currentRow();
    if (item && i >= 0 && i <= static_cast<int>(ContactLine::Phone))
        runContactAction(static_cast<ContactLine>(i), item->text(), state_.settings(), dialogs_, shell_);
}

} // namespace zel::gui
