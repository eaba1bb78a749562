#pragma once

#include "library/Persisted.h"

#include <QByteArray>

// The exact layout of the script document: pretty-printed, keys sorted,
// two-space indentation, slashes escaped.
class DocumentWriter
{
public:
    // Empty when a value cannot be written (a timestamp that is not finite).
    static QByteArray write(const Persisted &document);
};
