#pragma once
// The "Date time" tab: every listed camera with its own clock, rewritten each second. The
// marks and the two ways of setting clocks come with the page's form.

#include "app/SettingsPage.h"

namespace pelmora {

class DateTimePage final : public SettingsPage {
    Q_OBJECT

  public:
    explicit DateTimePage(QWidget* parent = nullptr);

    void refreshGrid() override;

  protected:
    void clearSelection() override {}
    void fillForm(const CameraRecord&) override {}
    void gridClick() override;
    int cellAlignment(int column) const override;
};

}  // namespace pelmora
