#include "gui/widgets/partner_names_model.h"

#include "gui/qt_text.h"
#include "gui/state/app_state.h"

namespace zel::gui {

PartnerNamesModel::PartnerNamesModel(const AppState& state, QObject* parent)
    : QAbstractListModel(parent), state_(state) {
    connect(&state, &AppState::partnersChanged, this, [this] {
        beginResetModel();
        endResetModel();
    });
}

int PartnerNamesModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(state_.partnerNames().size());
}

QVariant PartnerNamesModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole)) return {};
    const auto& names = state_.partnerNames();
    const auto row = static_cast<std::size_t>(index.row());
    return row < names.size() ? fromCp(names[row]) : QVariant();
}

} // namespace zel::gui
