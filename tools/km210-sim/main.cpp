// km210-sim: plays a KM210 flow monitor on a pseudo-terminal.
//
//   km210-sim --link PATH [--type CODE] [--version X.YY] [--latency MS] [--verbose]
//
// The program under test opens PATH (a symlink to the pty's slave side) like a
// serial port. Faults are injected at run time by lines on standard input:
//
//   silent on|off            answer nothing at all
//   length CMD N|off         answer request CMD (e.g. 0x10) with exactly N bytes
//   garbage N                send N garbage bytes now
//   noack first|second|all|off   leave out the ACK of a telegram's first or second part
//   zero 0xNN|none           result byte of the zero-point adjustment (default 0x9E)
//   latency MS               time between a request and the start of its reply
//   disconnect MS            remove the pty, bring a new one up after MS ms
//   type CODE                become another variant (1..45)
//   error CODE               set the device error code
//   contacts 0xNN|auto       force the contact bits
//   pace MS|off              send one byte every MS ms (a slow adapter)
//   junk CMD on|off          put a stray byte in front of every reply to CMD
//   flip CMD N               flip bits of byte N of the next reply to CMD
//   frame CMD|all on|off     off: replies to CMD neither echo the request in
//                            byte 0 nor end in a checksum (a device that does not frame)
//   trail on|off             on: identification and byte replies (contacts, error
//                            code, low-flow suppression) end in one byte more, 0x00
//   poke OFFSET HEX          set bytes of the stored configuration block now
//   clamp OFFSET HEX|off     store these bytes at OFFSET in every block written
//                            later (a device that clamps or rounds a value)
//   busy MS                  after a stored configuration, answer nothing for MS ms
//   ignore on|off            on: a configuration telegram is neither stored nor
//                            acknowledged (one lost on a noisy line)
//   hangup MS|off            after acknowledging a stored configuration, remove
//                            the pty and bring a new one up after MS ms (a line
//                            that drops right after the ACK)
//   quit                     stop
//
// Every reply is paced at 9600 baud (about 1.04 ms per byte).

#include "device_model.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <map>
#include <sstream>
#include <string>

using namespace km210sim;
using namespace std::chrono_literals;

namespace {

constexpr auto kByteTime = std::chrono::microseconds(1042);  // 10 bits at 9600 baud
constexpr auto kTelegramTimeout = 1500ms;

volatile sig_atomic_t stopRequested = 0;

struct Options {
    std::string link;
    int type = 17;
    float version = 1.05f;
    int latencyMs = 2;
    bool verbose = false;
};

struct PendingByte {
    Clock::time_point due;
    std::uint8_t byte;
};

class Simulator {
public:
    explicit Simulator(const Options& o) : opt_(o), model_(o.type, o.version), latency_(o.latencyMs) {}

    bool createPty();
    void destroyPty();
    int run();

private:
    void log(const char* fmt, ...) __attribute__((format(printf, 2, 3)));
    void handleControl(const std::string& line);
    void handleByte(std::uint8_t b, Clock::time_point now);
    void send(Bytes bytes, Clock::time_point now, std::chrono::milliseconds delay = 0ms);
    void sendReplyTo(std::uint8_t command, Bytes reply, Clock::time_point now);
    void flushDue(Clock::time_point now);

    Options opt_;
    DeviceModel model_;
    int master_ = -1;
    int slave_ = -1;
    std::deque<PendingByte> out_;
    std::chrono::milliseconds latency_;
    bool silent_ = false;
    std::map<std::uint8_t, std::size_t> forcedLength_;
    std::chrono::microseconds byteTime_ = kByteTime;
    std::map<std::uint8_t, bool> junk_;
    std::map<std::uint8_t, std::size_t> flip_;
    std::map<std::uint8_t, bool> unframed_;
    bool allUnframed_ = false;
    bool trailing_ = false;  // a zero byte after identification and byte replies
    bool noAckFirst_ = false;
    bool noAckSecond_ = false;
    std::optional<std::uint8_t> zeroResult_ = 0x9E;
    std::optional<Clock::time_point> reconnectAt_;
    std::chrono::milliseconds busyAfterWrite_{0};  // no replies while a written block is being stored
    bool ignoreTelegrams_ = false;
    std::optional<std::chrono::milliseconds> hangupFor_;  // after the ACK of a stored block
    std::optional<Clock::time_point> hangupAt_;
    Clock::time_point busyUntil_{};
    std::string controlBuffer_;

    // A framed telegram in progress: its command byte and what has come so far.
    Bytes telegram_;
    Clock::time_point telegramStart_;
};

void Simulator::log(const char* fmt, ...)
{
    va_list args;
    va_start(args, fmt);
    std::fputs("km210-sim: ", stdout);
    std::vprintf(fmt, args);
    std::fputc('\n', stdout);
    std::fflush(stdout);
    va_end(args);
}

bool Simulator::createPty()
{
    char name[256] = {};
    if (openpty(&master_, &slave_, name, nullptr, nullptr) != 0) {
        std::perror("openpty");
        return false;
    }
    // Raw from the start, so nothing is echoed before the client sets its own modes.
    termios tio{};
    tcgetattr(slave_, &tio);
    cfmakeraw(&tio);
    cfsetispeed(&tio, B9600);
    cfsetospeed(&tio, B9600);
    tcsetattr(slave_, TCSANOW, &tio);
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);

    ::unlink(opt_.link.c_str());
    if (::symlink(name, opt_.link.c_str()) != 0) {
        std::fprintf(stderr, "km210-sim: cannot create link %s: %s\n", opt_.link.c_str(), std::strerror(errno));
        return false;
    }
    log("type %d (family %d) on %s, link %s", model_.type(), model_.family(), name, opt_.link.c_str());
    return true;
}

void Simulator::destroyPty()
{
    ::unlink(opt_.link.c_str());
    if (master_ >= 0)
        ::close(master_);
    if (slave_ >= 0)
        ::close(slave_);
    master_ = slave_ = -1;
    out_.clear();
    telegram_.clear();
}

void Simulator::send(Bytes bytes, Clock::time_point now, std::chrono::milliseconds delay)
{
    if (silent_ || bytes.empty())
        return;
    Clock::time_point at = now + latency_ + delay;
    if (!out_.empty() && out_.back().due + byteTime_ > at)
        at = out_.back().due + byteTime_;
    for (auto b : bytes) {
        out_.push_back({at, b});
        at += byteTime_;
    }
}

// Bytes as hex pairs, for the log lines of configuration transfers.
std::string hex(const Bytes& bytes)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out;
    for (auto b : bytes) {
        out += kDigits[b >> 4];
        out += kDigits[b & 0x0F];
    }
    return out;
}

void Simulator::sendReplyTo(std::uint8_t command, Bytes reply, Clock::time_point now)
{
    if (auto forced = forcedLength_.find(command); forced != forcedLength_.end())
        reply.resize(forced->second, 0x00);
    if ((allUnframed_ || unframed_[command]) && reply.size() >= 2) {
        reply.front() = static_cast<std::uint8_t>(~command);
        unsigned sum = 0;
        for (std::size_t i = 0; i + 1 < reply.size(); ++i)
            sum += reply[i];
        reply.back() = static_cast<std::uint8_t>(sum + 1);  // anything but the checksum
    }
    // After the framing: the byte follows a whole reply, framed or not.
    if (trailing_ && (command == 0x50 || command == 0x40 || command == 0x41 || command == 0x77))
        reply.push_back(0x00);
    if (auto flip = flip_.find(command); flip != flip_.end()) {
        if (flip->second < reply.size())
            reply[flip->second] ^= 0x10;
        flip_.erase(flip);
    }
    if (junk_[command])
        reply.insert(reply.begin(), 0xA5);
    if (opt_.verbose)
        log("request 0x%02X %s -> %zu bytes%s%s%s", command, commandName(command), reply.size(),
            silent_ ? " (silent)" : "", command == 0x30 ? " " : "", command == 0x30 ? hex(reply).c_str() : "");
    send(std::move(reply), now);
}

void Simulator::handleByte(std::uint8_t b, Clock::time_point now)
{
    if (!telegram_.empty() && now - telegramStart_ > kTelegramTimeout) {
        if (opt_.verbose)
            log("telegram 0x%02X abandoned after %zu bytes", telegram_[0], telegram_.size());
        telegram_.clear();
    }

    if (!telegram_.empty()) {
        telegram_.push_back(b);
        const std::uint8_t command = telegram_[0];
        const std::size_t expected = command == 0x76 ? 4 : telegram_.size() >= 2 ? telegram_[1] : 0;
        if (expected != 0 && telegram_.size() < expected)
            return;
        std::uint8_t answer = kNak;
        if (command == 0x76) {
            const bool framed = telegram_[1] == 4 && telegram_[3] == sum8(Bytes(telegram_.begin(), telegram_.begin() + 3));
            answer = framed ? model_.setLowFlowSuppression(telegram_[2]) : kNak;
            if (opt_.verbose)
                log("telegram 0x76 SetLowFlowSuppression value %u -> %s", telegram_[2],
                    answer == kAck ? "ACK" : "NAK");
            if (!noAckSecond_)
                send({answer}, now);
            if (answer == kAck && telegram_[2] == 0 && zeroResult_) {
                if (opt_.verbose)
                    log("zero-point adjustment -> 0x%02X", *zeroResult_);
                send({*zeroResult_}, now, 300ms);
            }
        } else if (ignoreTelegrams_) {
            if (opt_.verbose)
                log("telegram 0x60 WriteConfiguration %zu bytes ignored", telegram_.size());
        } else {
            answer = model_.writeConfiguration(telegram_);
            if (answer == kAck)
                busyUntil_ = now + busyAfterWrite_;
            if (answer == kAck && hangupFor_)
                hangupAt_ = now + latency_ + 250ms;  // once the ACK has been read
            if (opt_.verbose)
                log("telegram 0x60 WriteConfiguration %zu bytes -> %s %s", telegram_.size(),
                    answer == kAck ? "ACK" : "NAK", hex(telegram_).c_str());
            if (!noAckSecond_)
                send({answer}, now);
        }
        telegram_.clear();
        return;
    }

    if (b == 0x76 || b == 0x60) {
        telegram_ = {b};
        telegramStart_ = now;
        if (opt_.verbose)
            log("request 0x%02X %s (telegram start)", b, commandName(b));
        if (!noAckFirst_)
            send({kAck}, now);
        return;
    }

    if (now < busyUntil_) {
        if (opt_.verbose)
            log("request 0x%02X %s -> no reply (busy storing)", b, commandName(b));
        return;
    }
    if (auto reply = model_.reply(b, now)) {
        sendReplyTo(b, std::move(*reply), now);
    } else if (opt_.verbose) {
        log("request 0x%02X %s -> no reply", b, commandName(b));
    }
}

void Simulator::handleControl(const std::string& line)
{
    std::istringstream in(line);
    std::string verb, a, b;
    in >> verb >> a >> b;
    const auto number = [](const std::string& s) { return static_cast<int>(std::strtol(s.c_str(), nullptr, 0)); };
    const auto now = Clock::now();

    if (verb == "silent") {
        silent_ = a == "on";
    } else if (verb == "length") {
        const auto command = static_cast<std::uint8_t>(number(a));
        if (b == "off")
            forcedLength_.erase(command);
        else
            forcedLength_[command] = static_cast<std::size_t>(number(b));
    } else if (verb == "garbage") {
        Bytes junk;
        for (int i = 0; i < number(a); ++i)
            junk.push_back(static_cast<std::uint8_t>(0xA5 ^ (i * 37)));
        send(std::move(junk), now);
    } else if (verb == "noack") {
        noAckFirst_ = a == "first" || a == "all";
        noAckSecond_ = a == "second" || a == "all";
    } else if (verb == "zero") {
        zeroResult_ = a == "none" ? std::nullopt : std::optional<std::uint8_t>(static_cast<std::uint8_t>(number(a)));
    } else if (verb == "latency") {
        latency_ = std::chrono::milliseconds(number(a));
    } else if (verb == "disconnect") {
        destroyPty();
        reconnectAt_ = now + std::chrono::milliseconds(number(a));
    } else if (verb == "type") {
        model_.setType(number(a));
    } else if (verb == "error") {
        model_.setErrorCode(static_cast<std::uint8_t>(number(a)));
    } else if (verb == "contacts") {
        model_.forceContacts(a == "auto" ? std::nullopt : std::optional<std::uint8_t>(static_cast<std::uint8_t>(number(a))));
    } else if (verb == "pace") {
        byteTime_ = a == "off" ? kByteTime : std::max<std::chrono::microseconds>(kByteTime, std::chrono::milliseconds(number(a)));
    } else if (verb == "junk") {
        junk_[static_cast<std::uint8_t>(number(a))] = b == "on";
    } else if (verb == "flip") {
        flip_[static_cast<std::uint8_t>(number(a))] = static_cast<std::size_t>(number(b));
    } else if (verb == "frame") {
        if (a == "all") {
            allUnframed_ = b == "off";
            unframed_.clear();
        } else {
            unframed_[static_cast<std::uint8_t>(number(a))] = b == "off";
        }
    } else if (verb == "trail") {
        trailing_ = a == "on";
    } else if (verb == "poke" || verb == "clamp") {
        // "poke 59 3F9DF3B6": bytes of the stored block now; "clamp 59 3F800000":
        // the same bytes in every block stored later ("clamp off" ends that).
        Bytes bytes;
        for (std::size_t i = 0; i + 1 < b.size(); i += 2)
            bytes.push_back(static_cast<std::uint8_t>(std::strtol(b.substr(i, 2).c_str(), nullptr, 16)));
        if (verb == "clamp" && a == "off")
            model_.clearClamps();
        else if (verb == "clamp")
            model_.clamp(static_cast<std::size_t>(number(a)), bytes);
        else if (!model_.poke(static_cast<std::size_t>(number(a)), bytes))
            log("poke outside the block: %s", line.c_str());
    } else if (verb == "ignore") {
        ignoreTelegrams_ = a == "on";
    } else if (verb == "hangup") {
        hangupFor_ = a == "off" ? std::nullopt : std::optional<std::chrono::milliseconds>(number(a));
    } else if (verb == "busy") {
        busyAfterWrite_ = std::chrono::milliseconds(number(a));
    } else if (verb == "quit") {
        stopRequested = 1;
    } else if (!verb.empty()) {
        log("unknown control line: %s", line.c_str());
        return;
    }
    if (!verb.empty())
        log("control: %s", line.c_str());
}

void Simulator::flushDue(Clock::time_point now)
{
    while (!out_.empty() && out_.front().due <= now && master_ >= 0) {
        const std::uint8_t b = out_.front().byte;
        const ssize_t n = ::write(master_, &b, 1);
        if (n == 1) {
            out_.pop_front();
        } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            break;
        } else {
            out_.clear();  // nobody is listening
        }
    }
}

int Simulator::run()
{
    bool stdinOpen = true;
    while (!stopRequested) {
        const auto now = Clock::now();
        if (hangupAt_ && now >= *hangupAt_) {
            hangupAt_.reset();
            destroyPty();
            reconnectAt_ = now + *hangupFor_;
        }
        if (reconnectAt_ && now >= *reconnectAt_) {
            reconnectAt_.reset();
            if (!createPty())
                return 1;
        }
        flushDue(now);

        int timeoutMs = 200;
        if (!out_.empty()) {
            const auto wait = std::chrono::ceil<std::chrono::milliseconds>(out_.front().due - now);
            timeoutMs = static_cast<int>(std::max<long long>(0, wait.count()));
        }
        if (hangupAt_)
            timeoutMs = std::min<int>(timeoutMs, static_cast<int>(std::max<long long>(0,
                std::chrono::ceil<std::chrono::milliseconds>(*hangupAt_ - now).count())));
        if (reconnectAt_)
            timeoutMs = std::min<int>(timeoutMs, static_cast<int>(std::max<long long>(0,
                std::chrono::ceil<std::chrono::milliseconds>(*reconnectAt_ - now).count())));

        pollfd fds[2] = {{master_, POLLIN, 0}, {stdinOpen ? 0 : -1, POLLIN, 0}};
        const int ready = ::poll(fds, 2, timeoutMs);
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            std::perror("poll");
            return 1;
        }
        const auto at = Clock::now();
        if (master_ >= 0 && (fds[0].revents & POLLIN)) {
            std::uint8_t buffer[256];
            const ssize_t n = ::read(master_, buffer, sizeof buffer);
            for (ssize_t i = 0; i < n; ++i)
                handleByte(buffer[i], at);
        }
        if (stdinOpen && (fds[1].revents & (POLLIN | POLLHUP))) {
            char buffer[256];
            const ssize_t n = ::read(0, buffer, sizeof buffer);
            if (n <= 0) {
                stdinOpen = false;  // keep serving without a controller
            } else {
                controlBuffer_.append(buffer, static_cast<std::size_t>(n));
                for (auto nl = controlBuffer_.find('\n'); nl != std::string::npos; nl = controlBuffer_.find('\n')) {
                    handleControl(controlBuffer_.substr(0, nl));
                    controlBuffer_.erase(0, nl + 1);
                }
            }
        }
    }
    destroyPty();
    return 0;
}

void onSignal(int)
{
    stopRequested = 1;
}

[[noreturn]] void usage()
{
    std::fputs("usage: km210-sim --link PATH [--type 1..45] [--version X.YY] [--latency MS] [--verbose]\n", stderr);
    std::exit(2);
}

} // namespace

int main(int argc, char** argv)
{
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const auto value = [&]() -> std::string {
            if (i + 1 >= argc)
                usage();
            return argv[++i];
        };
        // A decimal point whatever the system locale says.
        const auto decimal = [](const std::string& text) {
            float number = 0;
            std::from_chars(text.data(), text.data() + text.size(), number);
            return number;
        };
        if (arg == "--link")
            options.link = value();
        else if (arg == "--type")
            options.type = std::atoi(value().c_str());
        else if (arg == "--version")
            options.version = decimal(value());
        else if (arg == "--latency")
            options.latencyMs = std::atoi(value().c_str());
        else if (arg == "--verbose")
            options.verbose = true;
        else
            usage();
    }
    if (options.link.empty() || options.type < 1 || options.type > 45)
        usage();

    signal(SIGINT, onSignal);
    signal(SIGTERM, onSignal);
    signal(SIGPIPE, SIG_IGN);

    Simulator sim(options);
    if (!sim.createPty())
        return 1;
    return sim.run();
}
