#include "device/trace_link.h"

#include "device/protocol.h"

#include <QDateTime>
#include <QFile>

namespace trgui::device {

namespace {

std::string hexBytes(const std::uint8_t* bytes, std::size_t count)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out;
    for (std::size_t i = 0; i < count; ++i) {
        if (i)
            out += ' ';
        out += kDigits[bytes[i] >> 4];
        out += kDigits[bytes[i] & 0x0F];
    }
    return out;
}

std::optional<CommandInfo> infoOf(std::uint8_t byte)
{
    for (const auto& info : kCommands) {
        if (static_cast<std::uint8_t>(info.command) == byte)
            return info;
    }
    return std::nullopt;
}

} // namespace

TraceLink::TraceLink(std::unique_ptr<SerialLink> inner, QString path) : inner_(std::move(inner)), path_(std::move(path))
{
    setLineQuiet(inner_->lineQuiet());
}

std::string TraceLink::describe(const std::string& direction, const std::uint8_t* bytes, std::size_t count,
                                std::optional<std::uint8_t> command, bool reply)
{
    std::string line = direction + " " + (count ? hexBytes(bytes, count) : std::string("(nothing)"));
    const auto info = command ? infoOf(*command) : std::nullopt;
    if (info)
        line += "  " + std::string(info->name);
    if (!reply)
        return line;
    if (count == 0)
        return line + " no reply";
    // Framed telegrams and commands without a reply of their own are not judged by length.
    if (!info || info->reply == ReplyKind::None || info->reply == ReplyKind::Acknowledge)
        return line + " (" + std::to_string(count) + " bytes)";
    return line + (replyAccepted(info->command, count) ? " accepted" : " wrong length");
}

void TraceLink::trace(const std::string& line)
{
    QFile file(path_);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text))
        return;  // a trace that cannot be written must not stop the program
    const QByteArray stamp =
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")).toUtf8();
    file.write(stamp + ' ' + QByteArray::fromStdString(line) + '\n');
}

TraceLink::~TraceLink()
{
    flushPendingReply();
}

void TraceLink::flushPendingReply()
{
    if (pendingReply_)
        trace(pendingByLength_);
    pendingReply_.reset();
}

void TraceLink::replyJudged(std::string_view refusal)
{
    if (!pendingReply_)
        return;
    trace(*pendingReply_ + (refusal.empty() ? std::string(" accepted") : " refused: " + std::string(refusal)));
    pendingReply_.reset();
}

void TraceLink::traced(const std::uint8_t* buffer, std::size_t count)
{
    flushPendingReply();
    if (awaitingReply_) {
        const std::string byLength = describe("<-", buffer, count, command_, true);
        if (count && byLength.ends_with(" accepted")) {
            // Taken by its length; what it says beyond that is judged next.
            pendingReply_ = describe("<-", buffer, count, command_, false);
            pendingByLength_ = byLength;
        } else {
            trace(byLength);
        }
        awaitingReply_ = false;
    } else if (count) {
        trace(describe("drain", buffer, count, std::nullopt, false));
    }
}

int TraceLink::read(std::uint8_t* buffer, std::size_t& count)
{
    const int result = inner_->read(buffer, count);
    traced(buffer, count);
    return result;
}

int TraceLink::readComplete(std::uint8_t* buffer, std::size_t& count, std::size_t complete)
{
    const int result = inner_->readComplete(buffer, count, complete);
    traced(buffer, count);
    return result;
}

int TraceLink::readWithin(std::uint8_t* buffer, std::size_t& count, std::size_t complete, int withinMs)
{
    const int result = inner_->readWithin(buffer, count, complete, withinMs);
    traced(buffer, count);
    return result;
}

int TraceLink::write(const std::uint8_t* data, std::size_t length)
{
    flushPendingReply();
    // Requests go out as a single byte; the longer rest of a framed telegram
    // goes out under the name of the command byte sent before it.
    if (length == 1)
        command_ = data[0];
    trace(describe("->", data, length, command_, false));
    awaitingReply_ = true;
    return inner_->write(data, length);
}

} // namespace trgui::device
