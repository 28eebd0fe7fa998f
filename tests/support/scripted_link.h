#pragma once

#include "device/serial_link.h"

#include <cstdint>
#include <deque>
#include <vector>

namespace trgui::testing {

// An in-memory serial link: replies are queued in advance, one per read, and
// everything written and every pause is recorded. Pauses cost no time. It can
// be made to fail as a pulled adapter does.
class ScriptedLink : public device::SerialLink {
public:
    using Bytes = std::vector<std::uint8_t>;

    bool open = true;
    std::deque<Bytes> replies;       // what the next reads return, in order
    std::vector<Bytes> writes;       // every write, as it was made
    std::vector<int> pauses;
    int reads = 0;
    int purges = 0;
    // The line fails (the adapter is pulled) at the write after this many
    // more have gone through; negative: never. A failed link fails every
    // read and write from then on, as a real one does.
    int writesUntilFailure = -1;
    bool broken = false;

    bool isOpen() const override { return open; }
    bool failed() const override { return broken; }
    int read(std::uint8_t* buffer, std::size_t& count) override;
    int write(const std::uint8_t* data, std::size_t length) override;
    void purgeInput() override { ++purges; }
    void pause(int milliseconds) override { pauses.push_back(milliseconds); }

    // All written bytes in one sequence.
    Bytes written() const;
};

} // namespace trgui::testing
