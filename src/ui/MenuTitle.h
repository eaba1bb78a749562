#pragma once

#include <QString>

// Menu entries read '&' as a mnemonic and a tab as the start of the shortcut
// column. A text from the library (a node's name, a preset, a profile's name)
// goes through here, so it shows as it stands.
class MenuTitle
{
public:
    static QString verbatim(const QString &text);
};
