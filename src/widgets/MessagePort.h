#pragma once
// The message boxes of the window code, behind a port so tests can record them and answer
// the Retry/Cancel prompt without a person at the screen.

#include <QString>

class QWidget;

namespace pelmora {

class MessagePort {
  public:
    enum class Icon { Information, Warning, Exclamation, Stop };

    virtual ~MessagePort() = default;

    // A modal box with an OK button.
    virtual void show(const QString& caption, const QString& text, Icon icon) = 0;
    // A modal box with Retry and Cancel and the warning icon; true when Retry was chosen.
    virtual bool askRetry(const QString& caption, const QString& text) = 0;
    // A modal box with Yes and No and the question icon; true when Yes was chosen. A port that
    // cannot ask says No.
    virtual bool askYes(const QString& /*caption*/, const QString& /*text*/) { return false; }
};

// A refused form check: caption "caution", exclamation icon.
void caution(MessagePort& port, const QString& text);
// A network result ("Setting OK", "Setting NG", a camera's own text): caption "Information".
void information(MessagePort& port, const QString& text,
                 MessagePort::Icon icon = MessagePort::Icon::Information);
// A setting's result as the person reads it: "Setting OK", "Setting NG", "No Response" and
// "Network NG" in the language shown; a camera's own words as they are.
QString resultWords(const QString& words);

// The real boxes. Text is always shown as plain text: much of it comes from cameras.
class QtMessagePort : public MessagePort {
  public:
    explicit QtMessagePort(QWidget* parent = nullptr) : parent_(parent) {}

    void show(const QString& caption, const QString& text, Icon icon) override;
    bool askRetry(const QString& caption, const QString& text) override;
    bool askYes(const QString& caption, const QString& text) override;

  private:
    QWidget* parent_;
};

}  // namespace pelmora
