#pragma once

#include "library/Persisted.h"
#include "library/json/JsonCursor.h"

#include <QByteArray>
#include <QString>

#include <optional>

// The script document on disk: an exact writer and a strict reader.
class ScriptDocument
{
public:
    // Either the document or why it was rejected.
    struct Decoded
    {
        std::optional<Persisted> persisted;
        QString error; // empty when persisted is set

        explicit operator bool() const { return persisted.has_value(); }
    };

    // Pretty-printed, keys sorted, two-space indentation, slashes escaped.
    // Empty when a value cannot be written (a timestamp that is not finite).
    static QByteArray encode(const Persisted &document);

    // `now` fills a missing "createdAt" (seconds since 2001-01-01 UTC).
    static Decoded decode(const QByteArray &bytes, double now);
    static Decoded decode(const QByteArray &bytes);

    // Shortest text that reads back to the same double ("723456700", "723456789.5").
    static QByteArray numberText(double value);
    // The same into a buffer with room for 64 characters; returns the end.
    static char *writeNumber(char *out, double value);
    // A JSON string literal: quotes, backslash, solidus and control characters escaped.
    static void appendString(QByteArray &out, const QString &text);

    // 36 hexadecimal characters in groups 8-4-4-4-12, either case, nothing around.
    static bool isUuidText(QStringView text);

    // The deepest node (0 for the top level) the reader accepts with every
    // key present: the roots array, then an object and a "children" array per
    // level, and a node's own "args" array one deeper.
    static constexpr int maxNodeDepth = (JsonCursor::maxDepth - 3) / 2;
};
