#pragma once

#include "gui/sync/dav_client.h"

#include <QString>

namespace zel::gui {

// The box text for a request to the server that failed, naming the server (`host` when the error
// carries none) and the problem.
QString davErrorText(const DavError& error, const QString& host);

} // namespace zel::gui
