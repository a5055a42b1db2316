#pragma once
// A TableNotifier fake that records every call and answers "No Response" prompts from a queue.
// Thread-safe: the receive thread and the UI thread may both call it.

#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "model/TableNotifier.h"

namespace pelmora::test {

struct SettingResultCall {
    ResultIcon icon;
    std::string words;
    bool operator==(const SettingResultCall&) const = default;
};

class RecordingNotifier final : public TableNotifier {
  public:
    void settingResult(ResultIcon icon, std::string_view words) override {
        runHook();
        std::lock_guard lock(mutex_);
        results_.push_back({icon, std::string(words)});
    }

    void acknowledged() override {
        runHook();
        std::lock_guard lock(mutex_);
        ++acknowledgements_;
    }

    void listChanged() override {
        std::lock_guard lock(mutex_);
        ++listChanges_;
    }

    RetryAnswer noResponse(std::string_view mac) override {
        runHook();
        std::lock_guard lock(mutex_);
        prompts_.emplace_back(mac);
        if (answers_.empty()) {
            return RetryAnswer::Cancel;
        }
        const auto answer = answers_.front();
        answers_.pop_front();
        return answer;
    }

    // Answers for the next prompts, in order; Cancel once the queue is empty.
    void queueAnswer(RetryAnswer answer) {
        std::lock_guard lock(mutex_);
        answers_.push_back(answer);
    }

    // Runs at the start of every notification, on the notifying thread, without the fake's
    // lock: lets a test call back into the table as a real message box's owner might.
    void setHook(std::function<void()> hook) {
        std::lock_guard lock(mutex_);
        hook_ = std::move(hook);
    }

    std::vector<SettingResultCall> results() const {
        std::lock_guard lock(mutex_);
        return results_;
    }
    int acknowledgements() const {
        std::lock_guard lock(mutex_);
        return acknowledgements_;
    }
    int listChanges() const {
        std::lock_guard lock(mutex_);
        return listChanges_;
    }
    std::vector<std::string> prompts() const {
        std::lock_guard lock(mutex_);
        return prompts_;
    }
    void clear() {
        std::lock_guard lock(mutex_);
        results_.clear();
        prompts_.clear();
        acknowledgements_ = 0;
    }

  private:
    void runHook() {
        std::function<void()> hook;
        {
            std::lock_guard lock(mutex_);
            hook = hook_;
        }
        if (hook) {
            hook();
        }
    }

    mutable std::mutex mutex_;
    std::vector<SettingResultCall> results_;
    std::vector<std::string> prompts_;
    std::deque<RetryAnswer> answers_;
    std::function<void()> hook_;
    int acknowledgements_ = 0;
    int listChanges_ = 0;
};

}  // namespace pelmora::test
