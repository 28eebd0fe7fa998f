// The connection and the port slot against links that fail: a port that does
// not open, a silent device, a pulled adapter, another model on the port, and
// conversations still queued when the slot goes.

#include "core/device_connection.h"
#include "device/serial_port.h"
#include "support/scripted_link.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

using namespace trgui::core;
using trgui::device::OpenFailure;
using trgui::testing::ScriptedLink;

using trgui::device::Family;

namespace {

using Bytes = ScriptedLink::Bytes;

// A scripted link that tells when it is closed.
struct WatchedLink : ScriptedLink {
    explicit WatchedLink(bool* closed) : closed(closed) {}
    ~WatchedLink() override
    {
        if (closed)
            *closed = true;
    }
    bool* closed;
};

// What a device of type code answers on connecting: identification and version 1.25.
void answerIdentification(ScriptedLink& link, std::uint8_t code)
{
    link.replies.push_back({0x50, 4, code, static_cast<std::uint8_t>(0x50 + 4 + code)});
    const Bytes version{0x51, 7, 0x3F, 0xA0, 0x00, 0x00};
    Bytes framed = version;
    std::uint8_t sum = 0;
    for (auto b : version)
        sum = static_cast<std::uint8_t>(sum + b);
    framed.push_back(sum);
    link.replies.push_back(framed);
}

class Connection : public ::testing::Test {
protected:
    Connection()
    {
        connection.setRetryInterval(10);
        connection.setPortFactory([this](int number, OpenFailure& failure) -> PortSlot::Port {
            opened.push_back(number);
            if (refusals > 0) {
                --refusals;
                failure.kind = OpenFailure::Kind::NoPermission;
                failure.device = "/dev/ttyUSB0";
                return nullptr;
            }
            auto link = std::make_unique<ScriptedLink>();
            if (answerAs)
                answerIdentification(*link, answerAs);
            current = link.get();
            return link;
        });
    }

    bool eventually(const std::function<bool()>& condition) { return QTest::qWaitFor(condition, 2000); }

    SettingsRecord settings;
    DeviceConnection connection{settings, PortSlot::Mode::Inline};
    QSignalSpy identified{&connection, &DeviceConnection::identified};
    std::vector<int> opened;
    int refusals = 0;
    std::uint8_t answerAs = 17;
    ScriptedLink* current = nullptr;
};

} // namespace

TEST_F(Connection, aPortThatDoesNotOpenIsTriedAgainUntilItOpensAndTheDeviceAnswers)
{
    refusals = 2;
    connection.forgetDevice();
    connection.choosePort(3);
    EXPECT_EQ(connection.reach(), DeviceConnection::Reach::NotOpened);
    EXPECT_EQ(connection.failure().kind, OpenFailure::Kind::NoPermission);
    EXPECT_FALSE(settings.deviceAnswering);
    EXPECT_TRUE(connection.reconnecting());

    ASSERT_TRUE(eventually([&] { return connection.reach() == DeviceConnection::Reach::Answering; }));
    EXPECT_EQ(opened, (std::vector<int>{3, 3, 3}));
    EXPECT_TRUE(settings.deviceAnswering);
    EXPECT_EQ(settings.deviceTypeCode, 17);
    EXPECT_EQ(settings.deviceFamily, Family::Dr);
    EXPECT_EQ(settings.model, "KM210-DR-E1S2H1");
    EXPECT_EQ(settings.softwareVersion, " 1.25");
    ASSERT_EQ(identified.count(), 1);
    EXPECT_FALSE(identified.at(0).at(0).toBool());
}

TEST_F(Connection, aSilentDeviceIsAskedAgainOnTheOpenPortUntilItAnswers)
{
    answerAs = 0;
    connection.choosePort(1);
    EXPECT_EQ(connection.reach(), DeviceConnection::Reach::Silent);
    EXPECT_FALSE(settings.deviceAnswering);
    EXPECT_EQ(identified.count(), 0);

    answerIdentification(*current, 33);
    ASSERT_TRUE(eventually([&] { return connection.reach() == DeviceConnection::Reach::Answering; }));
    EXPECT_EQ(opened.size(), 1u) << "asked again on the port already open";
    EXPECT_EQ(settings.deviceTypeCode, 33);
    EXPECT_EQ(settings.deviceFamily, Family::Wt);
}

TEST_F(Connection, aPulledAdapterIsReopenedAndAnotherModelOnThePortIsTakenOver)
{
    connection.choosePort(1);
    ASSERT_TRUE(settings.deviceAnswering);
    QSignalSpy lost{&connection.port(), &PortSlot::portLost};

    current->writesUntilFailure = 0;
    answerAs = 5;
    refusals = 1;  // the first attempt to open it again finds it gone
    connection.port().post([](PortSlot::Port& port) {
        const std::uint8_t request = 0x41;
        port->write(&request, 1);
    });
    EXPECT_EQ(lost.count(), 1);
    EXPECT_FALSE(connection.port().hasPort()) << "a failed port is closed";
    EXPECT_FALSE(settings.deviceAnswering);
    EXPECT_TRUE(connection.reconnecting());
    ASSERT_TRUE(eventually([&] { return settings.deviceAnswering; }));
    EXPECT_EQ(settings.deviceFamily, Family::Standard);
    EXPECT_EQ(settings.model, "KM210-E1A2H1");

    // A poll meets a device of another family on the same port.
    identified.clear();
    answerIdentification(*current, 40);
    connection.pollIdentified(40);
    EXPECT_EQ(settings.deviceFamily, Family::Wt);
    EXPECT_EQ(settings.deviceTypeCode, 40);
    ASSERT_EQ(identified.count(), 2) << "the new model at once, then with its version";
    EXPECT_TRUE(identified.at(0).at(0).toBool());
    EXPECT_FALSE(identified.at(1).at(0).toBool());
    EXPECT_EQ(settings.softwareVersion, " 1.25");

    // The family follows a configuration read without changing the model shown.
    connection.takeFamilyOf(20);
    EXPECT_EQ(settings.deviceFamily, Family::Dr);
    EXPECT_EQ(settings.deviceTypeCode, 40);
    connection.takeFamilyOf(99);
    EXPECT_EQ(settings.deviceFamily, Family::Dr) << "no family for an unknown code";
}

TEST_F(Connection, anotherPortChosenClosesTheOldOneBeforeOpening)
{
    bool firstClosed = false;
    bool closedBeforeSecondOpened = false;
    connection.setPortFactory([&](int number, OpenFailure&) -> PortSlot::Port {
        if (number == 2)
            closedBeforeSecondOpened = firstClosed;
        auto link = std::make_unique<WatchedLink>(number == 1 ? &firstClosed : nullptr);
        answerIdentification(*link, number == 1 ? 17 : 33);
        return link;
    });
    QSignalSpy replaced{&connection.port(), &PortSlot::portReplaced};
    connection.choosePort(1);
    connection.choosePort(2);
    EXPECT_TRUE(closedBeforeSecondOpened) << "two programs never hold the device at once";
    EXPECT_EQ(replaced.count(), 2);
    EXPECT_EQ(connection.portNumber(), 2);
    EXPECT_EQ(settings.deviceFamily, Family::Wt);
}

TEST(PortSlotThreaded, queuedConversationsEndInOrderBeforeTheSlotGoesAndThePortIsClosedLast)
{
    bool closed = false;
    std::vector<int> ran;
    bool closedWhileRunning = false;
    int doneCalls = 0;
    {
        PortSlot slot;
        QSignalSpy replaced{&slot, &PortSlot::portReplaced};
        slot.setPort(std::make_unique<WatchedLink>(&closed));
        EXPECT_EQ(replaced.count(), 1);
        EXPECT_TRUE(slot.hasPort());
        for (int i = 1; i <= 3; ++i) {
            slot.post(
                [&, i](PortSlot::Port& port) {
                    QThread::msleep(30);  // a conversation takes its time on the line
                    closedWhileRunning = closedWhileRunning || closed || !port;
                    ran.push_back(i);
                },
                nullptr, [&] { ++doneCalls; });
        }
        EXPECT_EQ(slot.pending(), 3);
    }  // the slot goes while the conversations are still on the line
    EXPECT_EQ(ran, (std::vector<int>{1, 2, 3}));
    EXPECT_FALSE(closedWhileRunning);
    EXPECT_TRUE(closed);
    QCoreApplication::processEvents();
    EXPECT_EQ(doneCalls, 0) << "no one left to tell";
}

TEST_F(Connection, aQuietLineIsWatchedSoADeviceThatFallsSilentTurnsTheLampRedUnlessSomeoneElseHasTheLine)
{
    connection.setWatchInterval(20);
    connection.choosePort(1);
    ASSERT_EQ(connection.reach(), DeviceConnection::Reach::Answering);
    answerIdentification(*current, 17);  // the watch's first question is answered
    ASSERT_TRUE(eventually([&] { return current->replies.size() == 1; }));
    EXPECT_TRUE(settings.deviceAnswering);

    // While the line is someone else's, the watch asks nothing.
    bool busy = true;
    connection.setLineBusy([&] { return busy; });
    const auto writes = current->writes.size();
    QTest::qWait(100);
    EXPECT_EQ(current->writes.size(), writes);

    current->replies.clear();  // the device says nothing any more
    busy = false;
    ASSERT_TRUE(eventually([&] { return connection.reach() == DeviceConnection::Reach::Silent; }));
    EXPECT_FALSE(settings.deviceAnswering);
    EXPECT_EQ(connection.failure().device, trgui::device::defaultPortDevice("COM1")) << "the reason names the device";

    answerIdentification(*current, 17);
    ASSERT_TRUE(eventually([&] { return connection.reach() == DeviceConnection::Reach::Answering; }));
    EXPECT_TRUE(settings.deviceAnswering);
}

// A serial node with nothing behind it may keep opening (or the first
// exchange) from coming back: the lamp turns red with the reason within 3 s,
// and once the port does come back the device is taken as it answers.
TEST(ConnectionWatch, aPortThatHangsOnOpeningIsReportedWithin3sAndTakenWhenItComesBack)
{
    SettingsRecord settings;
    DeviceConnection connection{settings, PortSlot::Mode::Threaded};
    connection.setPortFactory([](int, OpenFailure&) -> PortSlot::Port {
        QThread::msleep(DeviceConnection::kOpenWatchMs + 1000);
        auto link = std::make_unique<ScriptedLink>();
        answerIdentification(*link, 17);
        return link;
    });
    QElapsedTimer clock;
    clock.start();
    connection.choosePort(1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return connection.reach() == DeviceConnection::Reach::NotOpened; }, 3000));
    EXPECT_LT(clock.elapsed(), 3000);
    EXPECT_EQ(connection.failure().kind, OpenFailure::Kind::Other);
    EXPECT_FALSE(connection.failure().systemText.isEmpty());
    EXPECT_FALSE(settings.deviceAnswering);
    EXPECT_TRUE(QTest::qWaitFor([&] { return connection.reach() == DeviceConnection::Reach::Answering; }, 5000));
}
