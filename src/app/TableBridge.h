#pragma once
// Carries the camera table's and the engine's notices to the person: results that arrive on
// the receive thread are queued to the UI thread and shown there, so the receive thread never
// waits for a message box.

#include <QObject>
#include <atomic>

#include "engine/EngineObserver.h"
#include "model/TableNotifier.h"
#include "widgets/MessagePort.h"

namespace pelmora {

class TableBridge final : public QObject, public TableNotifier, public EngineObserver {
    Q_OBJECT

  public:
    explicit TableBridge(MessagePort* messages, QObject* parent = nullptr);

    // TableNotifier
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
    MessagePort* messages_;
    bool lastSendOk_ = true;
    // Set by the receive thread when it posts a list notice, cleared by the UI thread once the
    // grid is rewritten: a burst of a thousand replies crosses as one notice.
    std::atomic<bool> listChangePosted_{false};
};

}  // namespace pelmora
