// The instance protocol's frame reader on any byte stream, arriving in
// pieces: the first byte chooses the piece size. However the bytes are cut,
// the same messages come out, and a failed stream stays failed.
#include "instance/InstanceProtocol.h"

#include "FuzzInput.h"

#include <QList>

namespace {
struct Outcome
{
    QList<QJsonObject> messages;
    bool failed = false;
};

Outcome read(const QByteArray &stream, qsizetype piece)
{
    InstanceProtocol::FrameReader reader;
    Outcome outcome;
    for (qsizetype at = 0; at < stream.size(); at += piece) {
        reader.append(stream.mid(at, piece));
        while (std::optional<QJsonObject> message = reader.next())
            outcome.messages.append(*message);
    }
    outcome.failed = reader.failed();
    FuzzInput::require(!reader.failed() || !reader.next(), "nothing after a failure");
    return outcome;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    const qsizetype piece = 1 + data[0] % 64;
    const QByteArray stream = FuzzInput::bytes(data + 1, size - 1);
    const Outcome whole = read(stream, qMax<qsizetype>(stream.size(), 1));
    const Outcome cut = read(stream, piece);
    FuzzInput::require(whole.failed == cut.failed, "failure does not depend on the pieces");
    FuzzInput::require(whole.messages == cut.messages, "messages do not depend on the pieces");
    for (const QJsonObject &message : whole.messages) {
        // A message read can be framed again and reads the same.
        InstanceProtocol::FrameReader again;
        again.append(InstanceProtocol::frame(message));
        FuzzInput::require(again.next() == message, "a message read frames and reads the same");
    }
    return 0;
}
