#pragma once

#include "gui/platform/dialogs.h"

#include <vector>

namespace zel::bench {

// Dialogs for a measured start: nothing is shown, every box is kept for the report and answered
// with its harmless button, every other dialog is cancelled.
class QuietDialogs : public gui::Dialogs {
  public:
    std::vector<QString> boxes;

    Button message(Kind, const QString&, const QString& text, int buttons) override {
        boxes.push_back(text);
        if (buttons & No) return No;
        if (buttons & Cancel) return Cancel;
        return Ok;
    }
    std::optional<QString> input(const QString&, const QString&, const QString&) override {
        return std::nullopt;
    }
    QString openFile(const QString&, const QString&, const QString&) override { return {}; }
    QStringList openFiles(const QString&, const QString&, const QString&) override { return {}; }
    QString saveFile(const QString&, const QString&, const QString&, const QString&, int*) override {
        return {};
    }
    std::optional<QColor> color(const QColor&) override { return std::nullopt; }
    QString folder(const QString&, const QString&) override { return {}; }
};

} // namespace zel::bench
