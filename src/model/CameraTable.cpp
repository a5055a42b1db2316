#include "model/CameraTable.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "model/CalendarTime.h"
#include "model/FixedText.h"
#include "model/InfoReply.h"
#include "model/SortKeys.h"
#include "protocol/KeyReader.h"
#include "protocol/Wire.h"

namespace pelmora {
namespace {

// A date/time request carries a "TIME:" field; credentials elsewhere may spell "TIME" by chance.
bool isDateTimeRequest(const PendingRequest& slot) {
    static constexpr char kTimeField[] = "\xFFTIME:";
    return fieldText(slot.request).find(kTimeField) != std::string_view::npos;
}

// What the grids show of a camera, its clock aside: the Date time page rewrites that every second
// anyway, and it changes with every reply.
struct GridFields {
    char model[sizeof(CameraRecord::model)];
    char serial[sizeof(CameraRecord::serial)];
    char softVersion[sizeof(CameraRecord::softVersion)];
    Ipv4 ipAddress;
    Ipv4 pppoeIpAddress;
    std::int32_t dhcp;
    std::int32_t webPort;
    std::int32_t pppoeReported;

    bool operator==(const GridFields&) const = default;
};

GridFields gridFieldsOf(const CameraRecord& r) {
    GridFields f;
    std::memcpy(f.model, r.model, sizeof f.model);
    std::memcpy(f.serial, r.serial, sizeof f.serial);
    std::memcpy(f.softVersion, r.softVersion, sizeof f.softVersion);
    f.ipAddress = r.ipAddress;
    f.pppoeIpAddress = r.pppoeIpAddress;
    f.dhcp = r.dhcp;
    f.webPort = r.webPort;
    f.pppoeReported = r.pppoeReported;
    return f;
}

}  // namespace

CameraTable::CameraTable()
    : data_(std::make_unique<TableData>()),
      sortScratch_(std::make_unique<CameraRecord[]>(kTableSize)),
      receivedOnScratch_(std::make_unique<std::int32_t[]>(kTableSize)),
      heardAtScratch_(std::make_unique<std::uint64_t[]>(kTableSize)) {
    resetTable();
}

void CameraTable::resetTable() {
    std::lock_guard lock(mutex_);
    std::memset(data_.get(), 0, sizeof(TableData));
    stopRequested = 0;
    discoveryEnabled = 0;
    lastSortColumn_ = -1;
    sortDirection_ = -1;
}

void CameraTable::parseInfoReply(std::string_view text, int interfaceIndex) {
    const auto mac = readKey(text, "MAC:");
    // Without a MAC the reply names no camera; an empty one would take a free slot uncounted.
    if (!mac || mac->empty()) {
        return;
    }
    char key[sizeof(CameraRecord::mac)];
    copyField(key, *mac);

    std::unique_lock lock(mutex_);
    auto& d = *data_;
    // Live records fill 0 to count − 1 and every later one is free, so the first free record
    // is the one at `count`.
    int index = -1;
    for (int i = 0; i < d.count; ++i) {
        if (std::memcmp(d.records[i].mac, key, sizeof key) == 0) {
            index = i;
            break;
        }
    }
    const bool isNew = index < 0;
    if (isNew) {
        if (d.count >= kTableSize) {
            // The camera is taken in once a record leaves; the count says how many were not.
            ++d.droppedWhenFull;
            d.othersWaiting = 1;
            return;
        }
        index = d.count;
    }
    auto& record = d.records[index];
    const bool wasListed = !isNew && isListed(record);
    const GridFields before = gridFieldsOf(record);
    std::memcpy(record.mac, key, sizeof key);
    applyInfoReply(record, text);
    record.age = 0;
    // A camera moved to another LAN (or a cable to another port) changes what is wrong with it.
    const bool movedInterface = d.receivedOn[index] != interfaceIndex;
    d.receivedOn[index] = interfaceIndex;
    d.heardAt[index] = ++d.repliesTaken;
    if (isNew) {
        ++d.count;
    }
    const bool changed = !wasListed || movedInterface || gridFieldsOf(record) != before;
    lock.unlock();
    if (changed && notifier_ != nullptr) {
        notifier_->listChanged();
    }
}

void CameraTable::settleReply(ReplyKind kind, std::string_view mac,
                              std::optional<std::string_view> messageText) {
    // An empty MAC would match every slot whose MAC was cleared.
    if (mac.empty()) {
        return;
    }
    const bool accepted = kind == ReplyKind::Acknowledgement;
    int shown = 0;
    // The slots this reply settled and how, for the journal once the lock is released.
    std::vector<std::pair<int, RequestOutcome>> settled;
    {
        std::lock_guard lock(mutex_);
        for (int i = 0; i < kTableSize; ++i) {
            auto& slot = data_->pending[i];
            if (fieldText(slot.mac) != mac) {
                continue;
            }
            if (isDateTimeRequest(slot)) {
                // The Date time page shows the result in its grid and frees the slot.
                slot.state =
                    accepted ? PendingRequest::kDateTimeAccepted : PendingRequest::kDateTimeRefused;
                settled.emplace_back(i,
                                     accepted ? RequestOutcome::Accepted : RequestOutcome::Refused);
                continue;
            }
            settled.emplace_back(i, messageText ? RequestOutcome::Message
                                    : accepted  ? RequestOutcome::Accepted
                                                : RequestOutcome::Refused);
            slot.state = PendingRequest::kFree;
            if (accepted) {
                std::memset(slot.mac, 0, sizeof slot.mac);
            }
            ++shown;
        }
    }
    if (journal_ != nullptr) {
        for (const auto& [slot, outcome] : settled) {
            journal_->requestSettled(slot, outcome, messageText.value_or(std::string_view()));
        }
    }
    if (notifier_ == nullptr) {
        return;
    }
    for (int i = 0; i < shown; ++i) {
        notifier_->settled(mac, accepted, messageText);
    }
}

int CameraTable::registerPending(std::string_view mac, std::string_view requestText) {
    int taken = -1;
    // A request cut to fit would be sent cut on Retry; such a request goes untracked instead.
    if (requestText.size() < sizeof(PendingRequest::request)) {
        std::lock_guard lock(mutex_);
        for (int i = 0; i < kTableSize; ++i) {
            auto& slot = data_->pending[i];
            if (slot.state == PendingRequest::kFree) {
                copyField(slot.mac, mac);
                copyField(slot.request, requestText);
                slot.state = 1;
                taken = i;
                break;
            }
        }
    }
    journalSent(taken, mac, requestText);
    return taken;
}

void CameraTable::reportNotSent(int slot) {
    if (journal_ != nullptr) {
        journal_->requestSettled(slot, RequestOutcome::NotSent, {});
    }
}

void CameraTable::journalSent(int slot, std::string_view mac, std::string_view requestText) {
    if (journal_ == nullptr) {
        return;
    }
    const auto listed = findByMac(mac);
    journal_->requestSent(slot, mac, requestText, listed ? &*listed : nullptr);
}

void CameraTable::agingTick() {
    struct Prompt {
        int slot;
        std::string mac;
        std::string request;
    };
    std::vector<Prompt> prompts;
    {
        std::lock_guard lock(mutex_);
        auto& d = *data_;
        for (int i = 0; i < kTableSize; ++i) {
            auto& slot = d.pending[i];
            if (slot.state >= PendingRequest::kNoResponseAt) {
                slot.state = PendingRequest::kFree;
                prompts.push_back(
                    {i, std::string(fieldText(slot.mac)), std::string(fieldText(slot.request))});
            } else if (slot.state >= 1) {
                ++slot.state;
            }
            auto& record = d.records[i];
            if (record.hasClock()) {
                ++record.clock.second;
                normaliseLocal(record.clock);
            }
            if (!record.isFree()) {
                if (record.age >= kRemovalAge) {
                    removeRecord(i);
                } else {
                    ++record.age;
                }
            }
        }
    }
    if (journal_ != nullptr) {
        for (const auto& prompt : prompts) {
            journal_->requestSettled(prompt.slot, RequestOutcome::NoResponse, {});
        }
    }
    // Asked after the pass, without the lock: the person may take their time, and the receive
    // thread and later ticks go on meanwhile.
    for (const auto& prompt : prompts) {
        if (notifier_ == nullptr || notifier_->noResponse(prompt.mac) != RetryAnswer::Retry) {
            continue;
        }
        bool tracked = false;
        {
            std::lock_guard lock(mutex_);
            auto& slot = data_->pending[prompt.slot];
            if (slot.state == PendingRequest::kFree && fieldText(slot.mac) == prompt.mac &&
                fieldText(slot.request) == prompt.request) {
                slot.state = 1;
                tracked = true;
            }
        }
        // The slot was taken by another request while the person decided: track it anew.
        if (tracked) {
            journalSent(prompt.slot, prompt.mac, prompt.request);
        } else {
            registerPending(prompt.mac, prompt.request);
        }
        if (sender_) {
            sender_(prompt.request);
        }
    }
}

void CameraTable::removeRecord(int index) {
    auto& records = data_->records;
    auto& receivedOn = data_->receivedOn;
    int j = index;
    while (j < kTableSize - 1) {
        records[j] = records[j + 1];
        receivedOn[j] = receivedOn[j + 1];
        data_->heardAt[j] = data_->heardAt[j + 1];
        if (records[j + 1].isFree()) {
            break;
        }
        ++j;
    }
    std::memset(&records[j], 0, sizeof(CameraRecord));
    receivedOn[j] = 0;
    data_->heardAt[j] = 0;
    --data_->count;
    data_->othersWaiting = 0;
}

void CameraTable::sortByColumn(int code) {
    discoveryEnabled = 0;
    if (code == lastSortColumn_) {
        sortDirection_ = sortDirection_ == 0 ? 1 : 0;
    } else {
        lastSortColumn_ = code;
        sortDirection_ = 0;
    }
    const auto compare = sortKeyFor(code);
    if (!compare) {
        discoveryEnabled = 1;
        return;
    }
    {
        std::lock_guard lock(mutex_);
        auto& d = *data_;
        std::array<std::int16_t, kTableSize> order{};
        int placed = 0;
        for (int i = 0; i < d.count; ++i) {
            if (!d.records[i].isFree()) {
                order[placed++] = static_cast<std::int16_t>(i);
            }
        }
        // Equal keys: reverse table order ascending, table order descending, so that the
        // descending list is the exact reverse of the ascending one.
        const bool descending = sortDirection_ == 1;
        std::sort(order.begin(), order.begin() + placed, [&](int a, int b) {
            const int c = (*compare)(d.records[a], d.records[b]);
            if (c != 0) {
                return descending ? c > 0 : c < 0;
            }
            return descending ? a < b : a > b;
        });
        std::memset(sortScratch_.get(), 0, sizeof(CameraRecord) * kTableSize);
        std::memset(receivedOnScratch_.get(), 0, sizeof(std::int32_t) * kTableSize);
        std::memset(heardAtScratch_.get(), 0, sizeof(std::uint64_t) * kTableSize);
        for (int k = 0; k < placed; ++k) {
            sortScratch_[k] = d.records[order[k]];
            receivedOnScratch_[k] = d.receivedOn[order[k]];
            heardAtScratch_[k] = d.heardAt[order[k]];
        }
        std::memcpy(d.records, sortScratch_.get(), sizeof(CameraRecord) * kTableSize);
        std::memcpy(d.receivedOn, receivedOnScratch_.get(), sizeof(std::int32_t) * kTableSize);
        std::memcpy(d.heardAt, heardAtScratch_.get(), sizeof(std::uint64_t) * kTableSize);
        d.count = placed;
    }
    discoveryEnabled = 1;
}

void CameraTable::resetSortState() {
    lastSortColumn_ = -1;
    sortDirection_ = -1;
}

std::vector<CameraRecord> CameraTable::liveRecords() const {
    std::lock_guard lock(mutex_);
    return {data_->records, data_->records + data_->count};
}

std::optional<CameraRecord> CameraTable::findByMac(std::string_view mac) const {
    std::lock_guard lock(mutex_);
    for (int i = 0; i < data_->count; ++i) {
        if (fieldText(data_->records[i].mac) == mac) {
            return data_->records[i];
        }
    }
    return std::nullopt;
}

std::uint64_t CameraTable::repliesTaken() const {
    std::lock_guard lock(mutex_);
    return data_->repliesTaken;
}

std::optional<CameraRecord> CameraTable::findHeardSince(std::string_view mac,
                                                        std::uint64_t since) const {
    std::lock_guard lock(mutex_);
    for (int i = 0; i < data_->count; ++i) {
        if (fieldText(data_->records[i].mac) == mac) {
            return data_->heardAt[i] > since ? std::optional(data_->records[i]) : std::nullopt;
        }
    }
    return std::nullopt;
}

int CameraTable::count() const {
    std::lock_guard lock(mutex_);
    return data_->count;
}

TableOverflow CameraTable::overflow() const {
    std::lock_guard lock(mutex_);
    return {data_->droppedWhenFull, data_->othersWaiting != 0 && data_->count >= kTableSize};
}

}  // namespace pelmora
