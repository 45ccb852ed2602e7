#include "tabs/settings_tab.h"

#include "main_window.h"
#include "qt_text.h"

#include <QFile>

namespace zel::gui {

SettingsTab::SettingsTab(MainWindow& main, QWidget* parent) : QWidget(parent), main_(main) {
    setObjectName(QStringLiteral("pBeallitasok"));
}

Settings SettingsTab::current() const {
    return settings_;
}

void SettingsTab::applyRecord(const SettingsBytes& bytes) {
    buffer_ = bytes;
    settings_ = decodeSettings(
        bytes, [](const std::string& path) { return !path.empty() && QFile::exists(fromCp(path)); });
}

void SettingsTab::AlapBeallit() {
    const std::string dialogFile = settings_.soundDialogFile;
    settings_ = defaultSettings();
    settings_.soundDialogFile = dialogFile;
}

void SettingsTab::Panel21Click() {
    buffer_ = encodeSettings(settings_, buffer_);
    writeSettingsFile(main_.paths().settings(), buffer_);
}

void SettingsTab::Panel22Click() {}

SoundChoice SettingsTab::soundChoice() const {
    return settings_.sound;
}
void SettingsTab::selectDefaultSound() {
    settings_.sound = SoundChoice::Default;
}
QString SettingsTab::chosenSoundFile() const {
    return fromCp(settings_.soundFile);
}
void SettingsTab::pHangClick() {}
void SettingsTab::button_webaddressClick() {}

} // namespace zel::gui
