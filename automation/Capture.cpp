#include "automation/Capture.h"

String actionLabel(ActionKind kind) {
    switch (kind) {
    case Action::leftClick:
        return u"Linker Mausklick";
    case Action::leftDoubleClick:
        return u"Linker Maus-Doppelklick";
    case Action::middleClick:
        return u"Mittlerer Mausklick";
    case Action::rightClick:
        return u"Rechter Mausklick";
    case Action::enterKey:
        return u"Eingabetaste";
    case Action::textInput:
        return u"Texteingabe";
    default:
        return String();
    }
}
