#pragma once

#include "gui/platform/dialogs.h"

#include <deque>
#include <gtest/gtest.h>
#include <vector>

namespace zel::test {

// Answers each dialog from what the test said beforehand, in order, and never opens a window. A box
// of another kind, caption or text, any dialog nothing was said for, and anything said but never
// asked for, fail the test.
class ScriptedDialogs : public gui::Dialogs {
  public:
    struct Box {
        Kind kind;
        QString caption, text;
        int buttons;
        int defaultButton = 0; // 0: the first
    };
    struct FileCall {
        QString caption, folder, filter;
    };
    std::vector<Box> shown; // every box, in order
    std::vector<FileCall> fileCalls;

    ~ScriptedDialogs() override {
        for (const auto& e : boxes_)
            ADD_FAILURE() << "this box never came: " << e.text.toStdString();
        EXPECT_TRUE(inputs_.empty() && files_.empty() && colors_.empty())
            << inputs_.size() << " input, " << files_.size() << " file and " << colors_.size()
            << " colour dialogs never came";
    }

    // The next box: its kind, and so its caption, and its exact text; `answer` must be one of its
    // buttons, and when `buttons` is given they must be exactly those.
    void expect(Kind kind, const QString& text, Button answer = Ok, int buttons = 0) {
        boxes_.push_back({kind, text, answer, buttons});
    }
    // The next input box: its exact prompt; nullopt cancels.
    void expectInput(const QString& prompt, std::optional<QString> answer) {
        inputs_.push_back({prompt, answer});
    }
    // The next file or folder dialog; an empty answer cancels. A save dialog reports `chosenFilter`
    // as the filter entry left selected.
    void answerFile(const QString& answer, int chosenFilter = 0) {
        files_.push_back({answer.isEmpty() ? QStringList() : QStringList{answer}, chosenFilter});
    }
    // The next dialog that chooses several files; an empty list cancels.
    void answerFiles(const QStringList& answer) { files_.push_back({answer, 0}); }
    void answerColor(std::optional<QColor> answer) { colors_.push_back(answer); }
    // Boxes nothing was said for get their harmless answer instead of failing the test.
    void allowAny() { any_ = true; }

    Button messageWithDefault(Kind kind, const QString& caption, const QString& text, int buttons,
                              Button defaultButton) override {
        const Button answer = message(kind, caption, text, buttons);
        shown.back().defaultButton = defaultButton;
        return answer;
    }
    Button message(Kind kind, const QString& caption, const QString& text, int buttons) override {
        shown.push_back({kind, caption, text, buttons});
        const std::string was = name(kind) + " box: " + text.toStdString();
        if (boxes_.empty()) {
            if (!any_) ADD_FAILURE() << "unexpected " << was;
            return (buttons & No) ? No : (buttons & Cancel) ? Cancel : Ok;
        }
        const Expected e = take(boxes_);
        EXPECT_TRUE(kind == e.kind && text == e.text)
            << "a " << was << "\nwhere a " << name(e.kind) << " box was expected: " << e.text.toStdString();
        EXPECT_EQ(caption.toStdString(), captionOf(kind)) << was;
        EXPECT_TRUE((buttons & e.answer) && (!e.buttons || buttons == e.buttons)) << "other buttons: " << was;
        return e.answer;
    }
    std::optional<QString> input(const QString&, const QString& prompt, const QString&) override {
        if (inputs_.empty()) ADD_FAILURE() << "unexpected input box: " << prompt.toStdString();
        if (inputs_.empty()) return std::nullopt;
        const auto [expected, answer] = take(inputs_);
        EXPECT_EQ(prompt.toStdString(), expected.toStdString());
        return answer;
    }
    QString openFile(const QString& caption, const QString& folder, const QString& filter) override {
        return file({caption, folder, filter}).paths.value(0);
    }
    QStringList openFiles(const QString& caption, const QString& folder, const QString& filter) override {
        return file({caption, folder, filter}).paths;
    }
    QString saveFile(const QString& caption, const QString& folder, const QString& filter, const QString&,
                     int* chosenFilter) override {
        const FileAnswer answer = file({caption, folder, filter});
        if (chosenFilter) *chosenFilter = answer.filter;
        return answer.paths.value(0);
    }
    QString folder(const QString& caption, const QString& start) override {
        return file({caption, start, {}}).paths.value(0);
    }
    std::optional<QColor> color(const QColor&) override {
        if (colors_.empty()) ADD_FAILURE() << "unexpected colour dialog";
        return colors_.empty() ? std::nullopt : take(colors_);
    }

  private:
    struct Expected {
        Kind kind;
        QString text;
        Button answer;
        int buttons;
    };
    template <class T> static T take(std::deque<T>& queue) {
        T front = queue.front();
        queue.pop_front();
        return front;
    }
    static std::string name(Kind k) {
        const char* names[] = {"Warning", "Error", "Information", "Confirmation", "Plain", "Stop"};
        return names[static_cast<int>(k)];
    }
    static std::string captionOf(Kind k) {
        const char* captions[] = {"Figyelem!", "Hiba!", "Információ", "Megerősítés"};
        return k == Kind::Plain || k == Kind::Stop ? "Zelmoran v1.6.1" : captions[static_cast<int>(k)];
    }
    struct FileAnswer {
        QStringList paths;
        int filter = 0;
    };
    FileAnswer file(const FileCall& call) {
        fileCalls.push_back(call);
        if (files_.empty()) ADD_FAILURE() << "unexpected file dialog: " << call.filter.toStdString();
        return files_.empty() ? FileAnswer{} : take(files_);
    }

    std::deque<Expected> boxes_;
    std::deque<std::pair<QString, std::optional<QString>>> inputs_;
    std::deque<FileAnswer> files_;
    std::deque<std::optional<QColor>> colors_;
    bool any_ = false;
};

} // namespace zel::test
