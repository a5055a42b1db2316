#pragma once
// Only one plan is applied at a time on this PC, by the window or the command-line tool: each
// run holds an exclusive lock on plan.lock in the state directory for its length. The lock is
// the kernel's (flock), so it goes with the process however it ends, a crash included, and a
// stale file never blocks a later run.

#include <string>

namespace pelmora {

inline constexpr char kPlanLockName[] = "plan.lock";

class PlanLock {
  public:
    // Holds nothing.
    PlanLock() = default;
    // Takes the lock in `directory` (made, 0700, when missing) at once or not at all: it never
    // waits for another run to end.
    explicit PlanLock(const std::string& directory);
    ~PlanLock();
    PlanLock(PlanLock&& other) noexcept;
    PlanLock& operator=(PlanLock&& other) noexcept;
    PlanLock(const PlanLock&) = delete;
    PlanLock& operator=(const PlanLock&) = delete;

    bool held() const { return fd_ >= 0; }
    // Another run holds the lock.
    bool busy() const { return busy_; }
    // Why the lock is not held, in words that follow "Error : " or begin a message box:
    // "another plan is being applied on this PC; …" or the system's reason naming the file.
    const std::string& trouble() const { return trouble_; }
    void release();

  private:
    int fd_ = -1;
    bool busy_ = false;
    std::string trouble_;
};

}  // namespace pelmora
