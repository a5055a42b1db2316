// The diagnostic queue's bound (what fits is written in order, what does not is counted once)
// and its rate limit per kind (the first line, then one line per period with a count).
#include "engine/DiagnosticQueue.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
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
        {"one too many", 2, {"a", "b", "c"}, "a\nb\nWarning: 1 diagnostic line dropped\n", 1},
        {"the newest are dropped",
         2,
         {"a", "b", "c", "d", "e"},
         "a\nb\nWarning: 3 diagnostic lines dropped\n",
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
            queue.post(DiagnosticKind::Fatal, line);
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

std::string readAll(int fd) {
    std::string text(1 << 16, '\0');
    text.resize(
        static_cast<std::size_t>(std::max<ssize_t>(0, ::read(fd, text.data(), text.size()))));
    return text;
}

// One step of a run: at `second`, post `times` lines of `kind` (none when `times` is 0), then
// drain (closing the output when `closing`) and expect `written`.
struct Step {
    int second;
    DiagnosticKind kind;
    const char* text;
    int times;
    bool closing;
    std::string written;
};

struct LimitCase {
    const char* name;
    std::vector<Step> steps;
};

constexpr auto kOversize = DiagnosticKind::OversizeDatagram;
constexpr auto kSend = DiagnosticKind::SendFailed;
constexpr auto kReceive = DiagnosticKind::ReceiveFailed;
const char* const kBig = "Warning: recvfrom: datagram longer than 1072 bytes dropped";

TEST(DiagnosticQueue, limitsEachKindToItsFirstLineThenOneCountedLinePerPeriod) {
    const std::string big(kBig);
    const std::vector<LimitCase> cases = {
        {"a flood: the first line, then one line per 10 s with the count since the last",
         {{0, kOversize, kBig, 1125, false, big + "\n"},
          {3, kOversize, kBig, 500, false, ""},
          {9, kOversize, kBig, 0, false, ""},
          {10, kOversize, kBig, 0, false, big + " (1624 more in 10 s)\n"},
          {15, kOversize, kBig, 412, false, ""},
          {20, kOversize, kBig, 0, false, big + " (412 more in 10 s)\n"},
          // A quiet period ends the episode: the next line is a first line again.
          {30, kOversize, kBig, 0, false, ""},
          {31, kOversize, kBig, 1, false, big + "\n"},
          {33, kOversize, kBig, 0, true, ""}}},
        {"kinds are limited apart; a failed receive is never held back; closing writes the "
         "counts over the part of the period that passed",
         {{0, kOversize, kBig, 2, false, big + "\n"},
          {1, kSend, "Warning: sendto", 3, false, "Warning: sendto\n"},
          {2, kReceive, "Error : recvfrom", 1, false, "Error : recvfrom\n"},
          {2, kReceive, "Network NG", 1, false, "Network NG\n"},
          {3, kSend, "Warning: sendto", 1, false, ""},
          {4, kOversize, kBig, 0, true,
           big + " (1 more in 4 s)\nWarning: sendto (3 more in 3 s)\n"}}},
        {"a link that stays down: one send failure every 5 s gives one line every 10 s",
         {{0, kSend, "Warning: sendto", 1, false, "Warning: sendto\n"},
          {5, kSend, "Warning: sendto", 1, false, ""},
          {10, kSend, "Warning: sendto", 1, false, "Warning: sendto (1 more in 10 s)\n"},
          {15, kSend, "Warning: sendto", 1, false, ""},
          {20, kSend, "Warning: sendto", 1, false, "Warning: sendto (2 more in 10 s)\n"},
          // Closing: the line held since the last summary is counted over the second passed.
          {21, kSend, "", 0, true, "Warning: sendto (1 more in 1 s)\n"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DiagnosticQueue::Clock::time_point now{};
        DiagnosticQueue queue({}, DiagnosticQueue::kCapacity, [&now] { return now; });
        int fds[2];
        ASSERT_EQ(::pipe2(fds, O_CLOEXEC | O_NONBLOCK), 0);
        for (const auto& step : c.steps) {
            SCOPED_TRACE(step.second);
            now = DiagnosticQueue::Clock::time_point{} + std::chrono::seconds(step.second);
            for (int i = 0; i < step.times; ++i) {
                queue.post(step.kind, step.text);
            }
            EXPECT_EQ(queue.drainTo(fds[1], step.closing), 0u);
            EXPECT_EQ(readAll(fds[0]), step.written);
        }
        ::close(fds[0]);
        ::close(fds[1]);
    }
}

// A flood of one kind folds into one slot: it neither fills the ring nor crowds out the lines
// of other kinds, and it wakes the writer once, not once per line.
TEST(DiagnosticQueue, aFloodOfOneKindHoldsOneSlotAndOneWakeUp) {
    int wakes = 0;
    DiagnosticQueue queue([&wakes] { ++wakes; }, 2);
    for (int i = 0; i < 100000; ++i) {
        queue.post(kOversize, kBig);
    }
    queue.post(kReceive, "Error : recvfrom");
    EXPECT_EQ(queue.size(), 2u);
    EXPECT_EQ(queue.dropped(), 0u);
    EXPECT_EQ(wakes, 1);
    int fds[2];
    ASSERT_EQ(::pipe2(fds, O_CLOEXEC | O_NONBLOCK), 0);
    queue.drainTo(fds[1]);
    EXPECT_EQ(readAll(fds[0]), std::string(kBig) + "\nError : recvfrom\n");
    // Held back now: more of the same wake nobody; the next regular drain counts them.
    for (int i = 0; i < 10; ++i) {
        queue.post(kOversize, kBig);
    }
    EXPECT_EQ(wakes, 1);
    queue.drainTo(fds[1], true);
    EXPECT_EQ(readAll(fds[0]), std::string(kBig) + " (100009 more in 1 s)\n");
    ::close(fds[0]);
    ::close(fds[1]);
}

}  // namespace
}  // namespace pelmora
