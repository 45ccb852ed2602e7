#pragma once

#include <QColor>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

class QAbstractButton;
class QMessageBox;
class QWidget;

namespace zel::gui {

// Every message box, input box and file, colour and folder dialog goes through here, so tests can
// answer them without a real dialog.
class Dialogs {
  public:
    enum class Kind { Warning, Error, Information, Confirmation, Plain, Stop };
    enum Button { Ok = 1, Cancel = 2, Yes = 4, No = 8 };

    virtual ~Dialogs() = default;

    // Returns the button pressed; closing the box counts as its last button (Cancel, No or OK).
    virtual Button message(Kind kind, const QString& caption, const QString& text, int buttons) = 0;
    // The same, Enter pressing `defaultButton` instead of the first button: for a question whose
    // careless answer would do what the user did not mean.
    virtual Button messageWithDefault(Kind kind, const QString& caption, const QString& text, int buttons,
                                      Button defaultButton) {
        (void)defaultButton;
        return message(kind, caption, text, buttons);
    }
    // nullopt when cancelled.
    virtual std::optional<QString> input(const QString& caption, const QString& prompt,
                                         const QString& initial) = 0;
    // The same for a password, its characters hidden.
    virtual std::optional<QString> password(const QString& caption, const QString& prompt) {
        return input(caption, prompt, QString());
    }
    // `filter` is in the form "Leírás|*.ext|Leírás 2|*.a;*.b"; empty result when cancelled.
    virtual QString openFile(const QString& caption, const QString& folder, const QString& filter) = 0;
    // Several files at once, in the order the dialog gives them; empty when cancelled.
    virtual QStringList openFiles(const QString& caption, const QString& folder, const QString& filter) = 0;
    // `chosenFilter`, when given, receives the index of the filter entry the user left selected.
    virtual QString saveFile(const QString& caption, const QString& folder, const QString& filter,
                             const QString& defaultSuffix, int* chosenFilter = nullptr) = 0;
    virtual std::optional<QColor> color(const QColor& initial) = 0;
    virtual QString folder(const QString& caption, const QString& start) = 0;

    // The four kinds with their fixed captions, and a plain box with the application's title.
    Button warning(const QString& text, int buttons = Ok) {
        return message(Kind::Warning, QStringLiteral("Figyelem!"), text, buttons);
    }
    Button error(const QString& text, int buttons = Ok) {
        return message(Kind::Error, QStringLiteral("Hiba!"), text, buttons);
    }
    Button information(const QString& text, int buttons = Ok) {
        return message(Kind::Information, QStringLiteral("Információ"), text, buttons);
    }
    Button confirmation(const QString& text, int buttons = Yes | No) {
        return message(Kind::Confirmation, QStringLiteral("Megerősítés"), text, buttons);
    }
    Button confirmation(const QString& text, int buttons, Button defaultButton) {
        return messageWithDefault(Kind::Confirmation, QStringLiteral("Megerősítés"), text, buttons,
                                  defaultButton);
    }
};

// The real dialogs, with Hungarian button captions.
class QtDialogs : public Dialogs {
  public:
    explicit QtDialogs(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }

    Button message(Kind kind, const QString& caption, const QString& text, int buttons) override;
    Button messageWithDefault(Kind kind, const QString& caption, const QString& text, int buttons,
                              Button defaultButton) override;
    std::optional<QString> input(const QString& caption, const QString& prompt,
                                 const QString& initial) override;
    std::optional<QString> password(const QString& caption, const QString& prompt) override;
    QString openFile(const QString& caption, const QString& folder, const QString& filter) override;
    QStringList openFiles(const QString& caption, const QString& folder, const QString& filter) override;
    QString saveFile(const QString& caption, const QString& folder, const QString& filter,
                     const QString& defaultSuffix, int* chosenFilter = nullptr) override;
    std::optional<QColor> color(const QColor& initial) override;
    QString folder(const QString& caption, const QString& start) override;

    // "Wav fájlok (.wav)|*.wav" → "Wav fájlok (.wav) (*.wav)". "*." (a name without a dot) becomes
    // "*" here; the dialog's own filtering narrows it down.
    static QString qtFilter(const QString& filter);
    // Whether a file name matches one of a filter's patterns ("*.wav", "*", and "*." for a name without
    // a dot, as on Windows), without regard to case.
    static bool matchesPatterns(const QString& fileName, const QStringList& patterns);
    // The message box as it is shown, without running it.
    // `defaultButton` 0: the first button.
    std::unique_ptr<QMessageBox> makeBox(Kind kind, const QString& caption, const QString& text, int buttons,
                                         QList<QPair<QAbstractButton*, Button>>& made,
                                         int defaultButton = 0) const;
    // The text as the box shows it: a short line is kept whole, for messages laid out line by line.
    static QString unbrokenLines(const QString& text);

  private:
    QWidget* parent_;
};

} // namespace zel::gui
