#pragma once
// A MessagePort for tests: records every box instead of showing it, and answers the Retry/Cancel
// prompt from a queue filled with setNextAnswer (Cancel once the queue is empty, so a test that
// forgets an answer cannot loop on Retry). Safe to call from a second thread, since the receive
// thread reports its results through the port.

#include <QString>

#include <cstddef>
#include <deque>
#include <mutex>
#include <vector>

#include "widgets/MessagePort.h"

namespace pelmora {

class RecordingMessagePort : public MessagePort {
  public:
    struct Call {
        bool askedRetry = false;  // askRetry rather than show
        QString caption;
        QString text;
        Icon icon = Icon::Information;
    };

    void show(const QString& caption, const QString& text, Icon icon) override {
        const std::lock_guard lock(mutex_);
        calls_.push_back(Call{false, caption, text, icon});
    }

    bool askRetry(const QString& caption, const QString& text) override {
        const std::lock_guard lock(mutex_);
        calls_.push_back(Call{true, caption, text, Icon::Warning});
        if (answers_.empty()) {
            return false;
        }
        const bool retry = answers_.front();
        answers_.pop_front();
        return retry;
    }

    // Queues the answer of the next askRetry: true for Retry, false for Cancel.
    void setNextAnswer(bool retry) {
        const std::lock_guard lock(mutex_);
        answers_.push_back(retry);
    }

    std::vector<Call> calls() const {
        const std::lock_guard lock(mutex_);
        return calls_;
    }

    std::size_t count() const {
        const std::lock_guard lock(mutex_);
        return calls_.size();
    }

    // The last call, or an empty Call when there was none.
    Call last() const {
        const std::lock_guard lock(mutex_);
        return calls_.empty() ? Call{} : calls_.back();
    }

    void reset() {
        const std::lock_guard lock(mutex_);
        calls_.clear();
        answers_.clear();
    }

  private:
    mutable std::mutex mutex_;
    std::vector<Call> calls_;
    std::deque<bool> answers_;
};

}  // namespace pelmora
