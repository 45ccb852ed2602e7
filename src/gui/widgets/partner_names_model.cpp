#include "gui/widgets/partner_names_model.h"

#include "gui/state/app_state.h"
#include "gui/text/qt_text.h"

namespace zel::gui {

PartnerNamesModel::PartnerNamesModel(const AppState& state, QObject* parent)
    : QAbstractListModel(parent), state_(state) {
    follow();
    // The rows read the state's names: the views let go of them before the names change.
    connect(&state, &AppState::partnersAboutToChange, this, [this] {
        if (resetting_) return;
        resetting_ = true;
        beginResetModel();
    });
    connect(&state, &AppState::partnersChanged, this, [this] {
        if (!resetting_) beginResetModel();
        resetting_ = false;
        follow();
        endResetModel();
    });
}

void PartnerNamesModel::follow() {
    const auto& order = state_.partnerOrder();
    rowOfRecord_.assign(order.size(), -1);
    for (std::size_t row = 0; row < order.size(); ++row)
        rowOfRecord_[order[row]] = static_cast<int>(row);
}

int PartnerNamesModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(state_.partnerOrder().size());
}

QVariant PartnerNamesModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole)) return {};
    const std::size_t record = recordAt(index.row());
    const auto& names = state_.partnerNames();
    return record < names.size() ? fromCp(names[record]) : QVariant();
}

std::size_t PartnerNamesModel::recordAt(int row) const {
    const auto& order = state_.partnerOrder();
    return row >= 0 && static_cast<std::size_t>(row) < order.size() ? order[static_cast<std::size_t>(row)]
                                                                    : order.size();
}

int PartnerNamesModel::rowOf(std::size_t record) const {
    return record < rowOfRecord_.size() ? rowOfRecord_[record] : -1;
}

} // namespace zel::gui
