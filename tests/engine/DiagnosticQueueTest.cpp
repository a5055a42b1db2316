// The diagnostic queue's bound: what fits is written in order, what does not is counted once.
#include "engine/DiagnosticQueue.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

namespace pelmora {
namespace {

struct BoundCase {
    const char* name;
    std::size_t capacity;
    std::vector<std::string> posted;
    std::string written;
    std::uint64_t dropped;
};

TEST(DiagnosticQueue, keepsWhatFitsInOrderAndCountsTheRest) {
    const std::string longLine(300, 'x');
    const std::vector<BoundCase> cases = {
        {"room to spare", 4, {"a", "b"}, "a\nb\n", 0},
        {"exactly full", 3, {"a", "b", "c"}, "a\nb\nc\n", 0},
        {"one too many", 2, {"a", "b", "c"}, "a\nb\nError : 1 diagnostic line dropped\n", 1},
        {"the newest are dropped",
         2,
         {"a", "b", "c", "d", "e"},
         "a\nb\nError : 3 diagnostic lines dropped\n",
         3},
        {"a long line is cut to its slot",
         1,
         {longLine},
         std::string(DiagnosticQueue::kLineBytes - 1, 'x') + "\n",
         0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        int wakes = 0;
        DiagnosticQueue queue([&wakes] { ++wakes; }, c.capacity);
        for (const auto& line : c.posted) {
            queue.post(DiagnosticKind::OversizeDatagram, line);
        }
        EXPECT_EQ(wakes, 1) << "the owner is told once, when the first line arrives";
        EXPECT_EQ(queue.dropped(), c.dropped);
        int fds[2];
        ASSERT_EQ(::pipe2(fds, O_CLOEXEC | O_NONBLOCK), 0);
        EXPECT_EQ(queue.drainTo(fds[1]), 0u);
        std::string written(4096, '\0');
        written.resize(static_cast<std::size_t>(
            std::max<ssize_t>(0, ::read(fds[0], written.data(), written.size()))));
        EXPECT_EQ(written, c.written);
        ::close(fds[0]);
        ::close(fds[1]);
    }
}

}  // namespace
}  // namespace pelmora
