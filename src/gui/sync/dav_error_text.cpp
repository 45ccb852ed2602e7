#include "gui/sync/dav_error_text.h"

namespace zel::gui {

namespace {

// The sentence, with the system's or the server's words after a colon when there are any.
QString sentence(const QString& text, const QString& detail) {
    if (detail.isEmpty()) return text + u'.';
    return text + QStringLiteral(": ") + detail;
}

} // namespace

QString davErrorText(const DavError& error, const QString& host) {
    const QString server = QStringLiteral("A kiszolgáló (%1)").arg(error.host.isEmpty() ? host : error.host);
    const QString detail = error.detail.trimmed();
    switch (error.kind) {
    case DavError::Kind::None:
        break;
    case DavError::Kind::Offline:
        return sentence(server + QStringLiteral(" nem érhető el"), detail);
    case DavError::Kind::Unauthorized:
        return QStringLiteral("A kiszolgáló nem fogadta el a felhasználónevet vagy a jelszót.");
    case DavError::Kind::Certificate:
        return sentence(server + QStringLiteral(" tanúsítványa nem megbízható"), detail);
    case DavError::Kind::Server:
        return sentence(server + (error.status > 0
                                      ? QStringLiteral(" váratlan választ adott (HTTP %1)").arg(error.status)
                                      : QStringLiteral(" váratlan választ adott")),
                        detail);
    case DavError::Kind::BadAnswer:
        return sentence(server + QStringLiteral(" válasza nem értelmezhető"), detail);
    }
    return {};
}

} // namespace zel::gui
