#pragma once
// The tool's whole model of the network: one record per camera that has answered, one slot per
// setting request awaiting its answer. The receive thread applies replies; the UI thread ages,
// sorts, registers requests and reads. Every operation takes the table's one mutex, and no
// notification is delivered while it is held.

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string_view>
#include <vector>

#include "model/CameraRecord.h"
#include "model/PendingRequest.h"
#include "model/RequestJournal.h"
#include "model/TableNotifier.h"
#include "protocol/Dispatch.h"

namespace pelmora {

inline constexpr int kTableSize = 1024;
// A record is listed while younger than this, and removed from the table at kRemovalAge.
inline constexpr int kListedAge = 60;
inline constexpr int kRemovalAge = 90;

// Column codes understood by sortByColumn.
enum SortCode : int {
    kSortMac = 0,
    kSortIpAddress = 1,
    kSortModel = 2,
    kSortSerial = 3,
    kSortVersion = 4,
    kSortPppoeIpAddress = 11,
};

struct TableData {
    std::int32_t count;
    CameraRecord records[kTableSize];
    PendingRequest pending[kTableSize];
    // The kernel's index of the interface record i's last reply came in on, 0 when not known.
    // Kept beside the records, whose layout is fixed, and moved with record i whenever it moves.
    std::int32_t receivedOn[kTableSize];
    // The number of information replies taken in so far, and the value it had when record i's
    // last reply was taken in: whether a camera has been heard since some moment, whatever its
    // age. Moved with record i like receivedOn.
    std::uint64_t repliesTaken;
    std::uint64_t heardAt[kTableSize];
    // Information replies from cameras not in the table, dropped because it was full; and 1 when
    // one was dropped since a record last left: a camera is waiting for room.
    std::uint64_t droppedWhenFull;
    std::int32_t othersWaiting;
};

// What a full table has turned away.
struct TableOverflow {
    // Replies from cameras not taken in, since the table was reset.
    std::uint64_t dropped = 0;
    // The table is full and has turned a camera away since it last had room.
    bool othersWaiting = false;
};

inline bool isListed(const CameraRecord& r) {
    return !r.isFree() && r.age < kListedAge;
}

class CameraTable final : public ReplyHandler {
  public:
    CameraTable();

    // Set before any thread uses the table.
    void setNotifier(TableNotifier* notifier) { notifier_ = notifier; }
    void setSender(DatagramSender sender) { sender_ = std::move(sender); }
    // Told of every request registered (Retry included) and of its outcome; may be null.
    void setJournal(RequestJournal* journal) { journal_ = journal; }

    // Zeroes both arrays and the flags; no sort has happened yet.
    void resetTable();

    // Receive thread. `interfaceIndex`: the interface the reply came in on, 0 when not known.
    void parseInfoReply(std::string_view text, int interfaceIndex = 0);
    void settleReply(ReplyKind kind, std::string_view mac,
                     std::optional<std::string_view> messageText);

    // UI thread. Returns the slot used, or −1 when the request is not tracked.
    int registerPending(std::string_view mac, std::string_view requestText);
    // The request registered in `slot` (−1: untracked) could not be sent: the journal is told.
    void reportNotSent(int slot);
    void agingTick();
    void sortByColumn(int code);
    // The first sort after the visible page changes is ascending.
    void resetSortState();
    int lastSortColumn() const { return lastSortColumn_; }
    int sortDirection() const { return sortDirection_; }

    // A consistent copy of the live records (indices 0 to count − 1), in table order.
    std::vector<CameraRecord> liveRecords() const;
    std::optional<CameraRecord> findByMac(std::string_view mac) const;
    // A moment to compare with: the replies taken in so far.
    std::uint64_t repliesTaken() const;
    // The camera's record when a reply of it was taken in after the moment `since`.
    std::optional<CameraRecord> findHeardSince(std::string_view mac, std::uint64_t since) const;
    int count() const;
    TableOverflow overflow() const;

    // Runs `f` on the table under its lock. `f` must not call back into the table or notify.
    template <class F>
    decltype(auto) read(F&& f) const {
        std::lock_guard lock(mutex_);
        return f(static_cast<const TableData&>(*data_));
    }
    template <class F>
    decltype(auto) modify(F&& f) {
        std::lock_guard lock(mutex_);
        return f(*data_);
    }

    // ReplyHandler, for dispatchDatagram.
    void infoReply(std::string_view text, int interfaceIndex) override {
        parseInfoReply(text, interfaceIndex);
    }
    void settlement(ReplyKind kind, std::string_view mac,
                    std::optional<std::string_view> messageText) override {
        settleReply(kind, mac, messageText);
    }

    // Coordination with the receive thread: stop handshake, and whether enquiries go out and
    // received datagrams are applied (cleared while a sort runs).
    std::atomic<std::int32_t> stopRequested{0};
    std::atomic<std::int32_t> discoveryEnabled{0};

  private:
    void removeRecord(int index);
    // Tells the journal, if any, of a request about to be sent; call without the lock.
    void journalSent(int slot, std::string_view mac, std::string_view requestText);

    mutable std::mutex mutex_;
    std::unique_ptr<TableData> data_;
    std::unique_ptr<CameraRecord[]> sortScratch_;
    std::unique_ptr<std::int32_t[]> receivedOnScratch_;
    std::unique_ptr<std::uint64_t[]> heardAtScratch_;
    TableNotifier* notifier_ = nullptr;
    DatagramSender sender_;
    RequestJournal* journal_ = nullptr;
    int lastSortColumn_ = -1;
    int sortDirection_ = -1;
};

}  // namespace pelmora
