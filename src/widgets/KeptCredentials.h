#pragma once
// "Remember on this PC" beside a page's name and password fields: the pair is kept in the
// desktop's keyring for a camera (by MAC) when the box is ticked and a request goes out with it,
// put back in the fields when that camera is chosen again, and forgotten on request. The box is
// off, its tool tip saying why, while no keyring answers. The keyring answers later; an answer
// for a camera no longer chosen is dropped.

#include <QCheckBox>
#include <QLineEdit>
#include <QObject>
#include <string>

namespace pelmora {

class CredentialStore;

class KeptCredentials : public QObject {
    Q_OBJECT

  public:
    // The box is created here, a child of `page`, for the page to place.
    KeptCredentials(QLineEdit* name, QLineEdit* password, QWidget* page);

    QCheckBox* box() const { return box_; }
    // Given once the window has one; none: the box stays off.
    void setStore(CredentialStore* store);

    // The camera now chosen (its MAC; empty for none): what is kept for it fills the fields and
    // ticks the box; with nothing kept the box is cleared and the fields stay as they are.
    void cameraChosen(const std::string& mac);
    // A request went out to `mac` with the fields' credentials: kept when the box is ticked.
    void used(const std::string& mac);
    // Whether credentials are kept for the camera chosen, for "Forget saved password".
    bool keptForChosen() const { return !kept_.empty() && kept_ == chosen_; }
    // "Forget saved password": what is kept for the camera chosen is removed.
    void forgetChosen();

  private:
    void updateBox();

    QLineEdit* name_;
    QLineEdit* password_;
    QWidget* page_;
    QCheckBox* box_;
    CredentialStore* store_ = nullptr;
    std::string chosen_;
    // The camera whose kept credentials the fields hold; empty: none.
    std::string kept_;
};

}  // namespace pelmora
