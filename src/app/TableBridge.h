#pragma once
// Carries the camera table's and the engine's notices to the person: results that arrive on
// the receive thread are queued to the UI thread and shown there, so the receive thread never
// waits for a message box.

#include <QObject>
#include <atomic>
#include <mutex>
#include <string>

#include "engine/EngineObserver.h"
#include "model/TableNotifier.h"
#include "widgets/MessagePort.h"
#include "widgets/PageServices.h"

namespace pelmora {

class TableBridge final : public QObject, public TableNotifier, public EngineObserver {
    Q_OBJECT

  public:
    explicit TableBridge(MessagePort* messages, QObject* parent = nullptr);

    // UI thread. Camera `mac`'s answers go to `handler` instead of a message box, until another
    // camera is routed or the MAC is empty.
    void routeAnswers(const std::string& mac, AnswerHandler handler);

    // TableNotifier
    void settled(std::string_view mac, bool accepted,
                 std::optional<std::string_view> messageText) override;
    void settingResult(ResultIcon icon, std::string_view words) override;
    void acknowledged() override;
    void listChanged() override;
    RetryAnswer noResponse(std::string_view mac) override;

    // UI thread, once the grid has been rewritten for the notices so far: the next one crosses.
    void listChangeHandled() { listChangePosted_.store(false); }

    // EngineObserver
    void receiveFailed() override;
    void sendResult(bool ok) override;
    void diagnosticsWaiting() override;

  signals:
    // UI thread. The acknowledgement listener (the Bandwidth control page) refreshes.
    void pageRefresh();
    // UI thread. Replies have changed what the grids show; one notice per burst until
    // `listChangeHandled`.
    void listChangedSoon();
    // UI thread. Sending works again, or does not.
    void networkReachable(bool reachable);
    // UI thread, after "Network NG" was shown: the program should end with this code.
    void fatalError(int exitCode);
    // UI thread. The engine has diagnostic lines to write.
    void diagnosticsToWrite();

  private:
    bool isRouted(std::string_view mac) const;
    // UI thread: hands an answer on when its camera is still the one routed.
    void deliverRouted(const std::string& mac, bool accepted, const std::string& words);

    MessagePort* messages_;
    // Read on the receive thread, written on the UI thread.
    mutable std::mutex routeMutex_;
    std::string routedMac_;
    AnswerHandler routedHandler_;  // UI thread only
    bool lastSendOk_ = true;
    // Set by the receive thread when it posts a list notice, cleared by the UI thread once the
    // grid is rewritten: a burst of a thousand replies crosses as one notice.
    std::atomic<bool> listChangePosted_{false};
};

}  // namespace pelmora
