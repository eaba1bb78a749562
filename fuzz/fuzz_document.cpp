// The script document reader on any bytes; what it accepts is written and
// read back unchanged.
#include "library/ScriptDocument.h"

#include "FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    constexpr double now = 700000000.0;
    const ScriptDocument::Decoded decoded =
        ScriptDocument::decode(FuzzInput::bytes(data, size), now);
    FuzzInput::require(decoded || !decoded.error.isEmpty(), "a rejection says why");
    if (!decoded)
        return 0;
    const QByteArray written = ScriptDocument::encode(*decoded.persisted);
    FuzzInput::require(!written.isEmpty(), "what was read can be written");
    const ScriptDocument::Decoded again = ScriptDocument::decode(written, now);
    FuzzInput::require(bool(again), "what was written can be read");
    FuzzInput::require(*again.persisted == *decoded.persisted, "read, write, read is unchanged");
    FuzzInput::require(ScriptDocument::encode(*again.persisted) == written, "writing is stable");
    return 0;
}
