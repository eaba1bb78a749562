#pragma once

#include <QString>

// Menu entries read '&' as a mnemonic and a tab as the start of the shortcut
// column. A text from the library (a node's name, a preset, a profile's name)
// goes through here, so it shows as it stands; only a text longer than any
// screen is cut (with "…"), as a menu measures and a tray host receives each
// entry whole.
class MenuTitle
{
public:
    static constexpr qsizetype longest = 400;

    static QString verbatim(const QString &text);
};
