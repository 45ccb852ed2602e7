#pragma once

#include <array>

class QTableView;
class QWidget;

namespace zel::gui {

class AppState;

// The enlarged service view's parts: the four working tables and the four next rows.
struct ServiceView {
    QWidget* tables = nullptr;
    QWidget* next = nullptr;
    std::array<QTableView*, 4> tableViews{};
    std::array<QTableView*, 4> nextViews{};

    // Hidden until asked for; the next rows follow the state from the start.
    void prepare(const AppState& state) const;
    // The tables get their models only now, as a view's header follows every reset of its model even
    // hidden.
    void show(const AppState& state) const;
};

} // namespace zel::gui
