// The module that plays the sounds: Qt Multimedia and the libraries it brings are loaded with it, at
// the first sound, not at every start of the program.
#include "gui/platform/qt_sound.h"

#include <QtGlobal>

extern "C" Q_DECL_EXPORT zel::gui::Sound* zelCreateSound() {
    return new zel::gui::QtSound;
}
