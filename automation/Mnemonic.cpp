#include "automation/Mnemonic.h"

String withoutMnemonic(const String& text) {
    String shown;
    for (int i = 0; i < text.length(); ++i) {
        if (text[i] != u'&') {
            shown += text[i];
            continue;
        }
        // "&&" is a literal '&'; a lone '&' (also a trailing one) disappears.
        if (i + 1 < text.length() && text[i + 1] == u'&') {
            shown += u'&';
            ++i;
        }
    }
    return shown;
}
