#pragma once

#include "gui/platform/dialogs.h"

#include <QStringList>
#include <deque>
#include <vector>

namespace zel::test {

// Records every box and answers from a script; never opens a window. An unscripted box gets its
// harmless answer: No or Cancel where offered, else OK.
class ScriptedDialogs : public gui::Dialogs {
  public:
    struct Box {
        Kind kind;
        QString caption;
        QString text;
        int buttons;
    };
    struct FileCall {
        QString caption;
        QString folder;
        QString filter;
    };

    std::vector<Box> boxes;
    std::deque<Button> answers;
    std::vector<QString> inputPrompts;
    std::deque<std::optional<QString>> inputAnswers; // nullopt: Cancel
    std::vector<FileCall> fileCalls;
    std::deque<QString> fileAnswers;
    std::deque<std::optional<QColor>> colorAnswers;

    Button message(Kind kind, const QString& caption, const QString& text, int buttons) override {
        boxes.push_back({kind, caption, text, buttons});
        if (!answers.empty()) {
            const Button b = answers.front();
            answers.pop_front();
            return b;
        }
        if (buttons & No) return No;
        if (buttons & Cancel) return Cancel;
        return Ok;
    }
    std::optional<QString> input(const QString&, const QString& prompt, const QString&) override {
        inputPrompts.push_back(prompt);
        if (inputAnswers.empty()) return std::nullopt;
        const bool given = inputAnswers.front().has_value();
        const QString text = given ? *inputAnswers.front() : QString();
        inputAnswers.pop_front();
        return given ? std::optional<QString>(text) : std::nullopt;
    }
    QString openFile(const QString& caption, const QString& folder, const QString& filter) override {
        fileCalls.push_back({caption, folder, filter});
        return nextFile();
    }
    QString saveFile(const QString& caption, const QString& folder, const QString& filter,
                     const QString&) override {
        fileCalls.push_back({caption, folder, filter});
        return nextFile();
    }
    std::optional<QColor> color(const QColor&) override {
        if (colorAnswers.empty()) return std::nullopt;
        auto c = colorAnswers.front();
        colorAnswers.pop_front();
        return c;
    }
    QString folder(const QString& caption, const QString& start) override {
        fileCalls.push_back({caption, start, QString()});
        return nextFile();
    }

  private:
    QString nextFile() {
        if (fileAnswers.empty()) return {};
        QString f = fileAnswers.front();
        fileAnswers.pop_front();
        return f;
    }
};

} // namespace zel::test
