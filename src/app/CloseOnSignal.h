#pragma once
// SIGINT and SIGTERM close the window in order, as its close box does: the engine stops, the
// window's place is remembered and the program ends with status 0. The handler only writes a
// byte to a pipe; the window is closed on the UI thread when the byte is read.

#include <QObject>
#include <QSocketNotifier>
#include <memory>

class QWidget;

namespace pelmora {

class CloseOnSignal final : public QObject {
  public:
    explicit CloseOnSignal(QWidget* window);
    ~CloseOnSignal() override;

  private:
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace pelmora
