// Feeds arbitrary bytes, as a server could send them, to the reply reader and
// to the parsers of reply values. The first byte decides how the bytes are
// cut into reads, so that replies split anywhere are covered too.
#include "platform/ftp/FtpReplyParsing.h"
#include "platform/ftp/FtpReplyReader.h"

#include <cstdint>
#include <cstdlib>

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

void checkReply(const FtpReply& reply)
{
    check(reply.code >= 100 && reply.code <= 599);
    check(reply.text.endsWith("\r\n"));
    check(reply.text.size() <= 4096 + 2);
    FtpReplyParsing::parsePasv(reply.text);
    if (const auto port = FtpReplyParsing::parseEpsv(reply.text))
        check(*port > 0);
    FtpReplyParsing::parsePwd(reply.text);
    FtpReplyParsing::parseFeatures(reply.text);
    if (const auto size = FtpReplyParsing::parseSize(reply.text))
        check(*size >= 0);
    if (const auto size = FtpReplyParsing::parseTransferSize(reply.text))
        check(*size >= 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const qsizetype piece = (data[0] % 16) + 1;
    const char* bytes = reinterpret_cast<const char*>(data + 1);
    const qsizetype length = qsizetype(size - 1);

    // A small cap so that the too-long path is reached with small inputs.
    FtpReplyReader reader(4096);
    qsizetype fedTotal = 0;
    qsizetype repliedTotal = 0;
    for (qsizetype pos = 0; pos < length; pos += piece) {
        const qsizetype chunk = qMin(piece, length - pos);
        reader.feed(bytes + pos, chunk);
        fedTotal += chunk;
        FtpReply reply;
        FtpReplyReader::Status status;
        while ((status = reader.next(reply)) == FtpReplyReader::Status::Ready) {
            checkReply(reply);
            repliedTotal += reply.text.size();
        }
        if (status == FtpReplyReader::Status::Error) {
            check(reader.hasError());
            break;
        }
        check(reader.pendingBytes() >= 0 && reader.pendingBytes() <= fedTotal);
    }
    // Replies never invent more than a CR per line beyond what came in.
    check(repliedTotal <= 2 * fedTotal + 2);

    // The value parsers also take raw text that the reader never framed.
    const QByteArray raw(bytes, length);
    FtpReplyParsing::parsePasv(raw);
    FtpReplyParsing::parseEpsv(raw);
    FtpReplyParsing::parsePwd(raw);
    FtpReplyParsing::parseFeatures(raw);
    FtpReplyParsing::parseSize(raw);
    FtpReplyParsing::parseTransferSize(raw);
    return 0;
}
