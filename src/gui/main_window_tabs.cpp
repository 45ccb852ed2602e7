#include "gui/main_window.h"

#include "gui/alert/alert_window.h"
#include "gui/platform/shell.h"
#include "gui/start/startup.h"
#include "gui/sync/sync_controller.h"
#include "gui/tabs/actions_tab.h"
#include "gui/tabs/events_tab.h"
#include "gui/tabs/new_event_tab.h"
#include "gui/tabs/partners_tab.h"
#include "gui/tabs/settings_tab.h"
#include "gui/text/collation.h"
#include "gui/text/error_box.h"
#include "gui/text/help_text.h"
#include "gui/theme/theme.h"
#include "gui/widgets/month_calendar.h"
#include "gui/widgets/service_view.h"
#include "gui/widgets/summary_box.h"
#include "ui_main_window.h"

#include <QDir>
#include <QLayout>
#include <QTabWidget>

// The tabs: wired to each other through the window, and built when first wanted.
namespace zel::gui {

void MainWindow::connectTabs() {
    connect(eventsTab_, &EventsTab::pageRequested, this, [this] { pages_->setCurrentWidget(eventsTab_); });
    connect(eventsTab_, &EventsTab::newPartnerRequested, this, &MainWindow::startNewPartner);
    connect(eventsTab_, &EventsTab::monthListed, this, [this](DayNumber day) {
        if (serviceView_) serviceView_->monthCalendar()->setCalendar(ymdOf(day));
    });
    connect(settingsTab_, &SettingsTab::defaultSoundPreviewRequested, this,
            [this] { alertWindow()->play(AlertWindow::PlayMode::Preview); });
    connect(settingsTab_, &SettingsTab::soundFilePreviewRequested, this,
            [this](const QString& file) { alertWindow()->previewFile(file); });
    // The window takes the colours as soon as they change.
    connect(state_, &AppState::settingsChanged, this, [this] {
        if (state_->settings().colors != appliedColors_) applyColors();
    });
    connect(pages_, &QTabWidget::currentChanged, this, [this](int index) {
        guarded(services_.dialogs, [this, index] { ensureTab(index); });
        if (index == TabNewEvent) guarded(services_.dialogs, [this] { newEventTab()->onShown(); });
        if (index == TabEvents) guarded(services_.dialogs, [this] { eventsTab_->onShown(); });
        if (index == TabActions) guarded(services_.dialogs, [this] { actionsTab()->onShown(); });
        if (index == TabHelp) fillHelp();
    });
}

void MainWindow::ensureTab(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= holders_.size()) return;
    QWidget* holder = holders_[static_cast<std::size_t>(index)];
    if (!holder || !holder->layout()->isEmpty()) return;
    QWidget* tab = nullptr;
    if (index == TabNewEvent) {
        newEventTab_ = new NewEventTab(*state_, services_.dialogs, services_.shell);
        connect(newEventTab_, &NewEventTab::newPartnerRequested, this, &MainWindow::startNewPartner);
        connect(newEventTab_, &NewEventTab::eventAdded, summaryBox_, &SummaryBox::showFirstLine);
        connect(state_, &AppState::partnersChanged, newEventTab_, &NewEventTab::reloadPartners);
        tab = newEventTab_;
    } else if (index == TabPartners) {
        partnersTab_ = new PartnersTab(*state_, services_.dialogs, services_.shell);
        connect(partnersTab_, &PartnersTab::birthdayRequested, this, [this] {
            pages_->setCurrentIndex(TabNewEvent);
            newEventTab()->selectKind(EventKind::Birthday);
        });
        connect(partnersTab_, &PartnersTab::webAddressesRequested, this, [this] {
            pages_->setCurrentIndex(TabSettings);
            guarded(services_.dialogs, [this] { settingsTab_->editWebAddresses(); });
        });
        connect(partnersTab_, &PartnersTab::nameDaySearchRequested, this, [this](const QString& givenName) {
            pages_->setCurrentIndex(TabActions);
            guarded(services_.dialogs, [this, &givenName] { actionsTab()->searchFor(givenName); });
        });
        // The list as the start's reading of the partners would have left it.
        partnersTab_->showPartners();
        tab = partnersTab_;
    } else if (index == TabActions) {
        actionsTab_ = new ActionsTab(*state_, services_.dialogs, services_.shell);
        connect(actionsTab_, &ActionsTab::newPartnerRequested, this, &MainWindow::startNewPartner);
        connect(actionsTab_, &ActionsTab::nameDayEventRequested, this, [this](const QString& date) {
            pages_->setCurrentIndex(TabNewEvent);
            newEventTab()->selectKind(EventKind::NameDay);
            guarded(services_.dialogs, [this, &date] { newEventTab()->chooseDate(date); });
        });
        connect(actionsTab_, &ActionsTab::syncRequested, sync_, &SyncController::syncNow);
        connect(sync_, &SyncController::statusChanged, actionsTab_, &ActionsTab::setSyncStatus);
        connect(sync_, &SyncController::runningChanged, actionsTab_, &ActionsTab::setSyncRunning);
        connect(sync_, &SyncController::progress, actionsTab_, &ActionsTab::setSyncProgress);
        // What the sync said before the tab was there.
        actionsTab_->setSyncStatus(sync_->statusText(), sync_->statusTip());
        actionsTab_->setSyncRunning(sync_->running());
        actionsTab_->setNames(allNames());
        tab = actionsTab_;
    }
    if (!tab) return;
    holder->layout()->addWidget(tab);
    tab->show();
    keepHelpAndSummaryLast();
    if (themed_) applyTheme(tab, appliedColors_);
    // A larger font may need more room than the tabs built so far: the window's layout is asked
    // again now rather than at its next turn, and the window only grows, never jumps back.
    if (layout()) layout()->invalidate();
    if (const QSize needed = minimumSizeHint();
        !inServiceView_ && (needed.width() > width() || needed.height() > height()))
        setFixedSize(size().expandedTo(needed));
}

void MainWindow::keepHelpAndSummaryLast() {
    // The tabs join the focus chain after the form's own controls: the help tab follows them, as in
    // the order of the captions, then the summary below them.
    QWidget* last = previousInFocusChain();
    for (QWidget* next : {static_cast<QWidget*>(ui_->helpText), static_cast<QWidget*>(ui_->homePageButton),
                          static_cast<QWidget*>(ui_->mailAuthorButton), static_cast<QWidget*>(summaryBox_)}) {
        if (next == last) continue;
        QWidget::setTabOrder(last, next);
        last = next;
    }
}

NewEventTab* MainWindow::newEventTab() {
    ensureTab(TabNewEvent);
    return newEventTab_;
}

PartnersTab* MainWindow::partnersTab() {
    ensureTab(TabPartners);
    return partnersTab_;
}

ActionsTab* MainWindow::actionsTab() {
    ensureTab(TabActions);
    return actionsTab_;
}

const std::vector<std::string>& MainWindow::allNames() {
    // Sorting the 2,911 names is most of what the name-day search costs to build.
    if (allNames_.empty()) allNames_ = allNamesSorted(state_->extendedCalendar(), localeLess());
    return allNames_;
}

void MainWindow::fillHelp() {
    if (helpFilled_) return;
    helpFilled_ = true;
    ui_->helpText->setHtml(
        helpText(QDir::toNativeSeparators(QString::fromStdString(state_->paths().exeDir.string())),
                 dataIsPerUser(state_->paths())));
}

} // namespace zel::gui
