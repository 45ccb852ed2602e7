#include "main_window.h"
#include "platform/dialogs.h"
#include "platform/system_clock.h"
#include "startup.h"
#include "texts.h"

#include <QApplication>
#include <QFont>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zelmoran"));
    QApplication::setApplicationDisplayName(zel::gui::kTitle);
    QApplication::setQuitOnLastWindowClosed(false);
    // The windows have fixed sizes; a compact, readable font keeps every caption whole.
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSize(9);
    QApplication::setFont(font);

    zel::AppPaths paths{QCoreApplication::applicationDirPath().toStdString()};
    zel::gui::QtDialogs dialogs;
    if (!zel::gui::runWriteTest(paths, dialogs)) return 1;

    zel::gui::SystemClock clock;
    zel::gui::MainWindow window(paths, {dialogs, clock});
    dialogs.setParent(&window);
    window.FormCreate();
    if (!window.startHidden()) window.show();
    return QApplication::exec();
}
