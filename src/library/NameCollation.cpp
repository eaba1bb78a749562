#include "library/NameCollation.h"

#include <QLocale>

const QCollator &nameCollator()
{
    static const QCollator collator = [] {
        QLocale locale = QLocale::system();
        if (locale.language() == QLocale::C)
            locale = QLocale(QLocale::English, QLocale::UnitedStates);
        QCollator c(locale);
        c.setNumericMode(true);
        c.setCaseSensitivity(Qt::CaseInsensitive);
        c.setIgnorePunctuation(false);
        return c;
    }();
    return collator;
}
