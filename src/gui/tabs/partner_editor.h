#pragma once

#include <QWidget>
#include <cstddef>
#include <memory>
#include <string>

namespace Ui {
class PartnerEditor;
}

namespace zel {
struct PartnerRecord;
}

namespace zel::gui {

class AppState;
class Dialogs;

// The panel that takes the place of the partner list while a partner is entered or changed; it checks what
// was typed and saves it.
class PartnerEditor : public QWidget {
    Q_OBJECT

  public:
    // What to set up after a save: "Névnap", "Születésnap" or "Nincs megadva".
    enum class FollowUp { NameDay = 0, Birthday, Nothing };

    PartnerEditor(AppState& state, Dialogs& dialogs, QWidget* parent = nullptr);
    ~PartnerEditor() override;

    // An empty card (the web address starts as "http://"), with this name typed in when given.
    void openNew(const QString& name = QString());
    // The partner at this place of the file.
    void openExisting(const PartnerRecord& partner, std::size_t index);
    void close();
    // The panel changes an existing partner exactly when its title begins with "S".
    bool modifying() const;
    // Checks and writes the partner; the panel stays open when something was refused.
    void save();

  signals:
    // The partner was written under this name (as stored), and the chosen follow-up.
    void saved(const std::string& name, zel::gui::PartnerEditor::FollowUp followUp);
    void closed();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    AppState& state_;
    Dialogs& dialogs_;
    std::size_t index_ = 0;
    std::string formerName_;
    std::unique_ptr<Ui::PartnerEditor> ui_;
};

} // namespace zel::gui
