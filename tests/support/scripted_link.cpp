#include "support/scripted_link.h"

#include <algorithm>

namespace trgui::testing {

int ScriptedLink::read(std::uint8_t* buffer, std::size_t& count)
{
    ++reads;
    count = 0;
    if (!open || broken)
        return -1;
    if (replies.empty())
        return 0;
    const Bytes reply = replies.front();
    replies.pop_front();
    count = std::min(reply.size(), device::kReadSize);
    std::copy_n(reply.begin(), count, buffer);
    return 0;
}

int ScriptedLink::write(const std::uint8_t* data, std::size_t length)
{
    if (!open || broken)
        return -1;
    if (writesUntilFailure == 0) {
        broken = true;
        return -1;
    }
    if (writesUntilFailure > 0)
        --writesUntilFailure;
    writes.emplace_back(data, data + length);
    return 0;
}

ScriptedLink::Bytes ScriptedLink::written() const
{
    Bytes all;
    for (const auto& w : writes)
        all.insert(all.end(), w.begin(), w.end());
    return all;
}

} // namespace trgui::testing
