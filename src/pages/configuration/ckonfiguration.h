#pragma once

#include "device_lock.h"
#include "page_base.h"
#include "port_slot.h"

namespace trgui::pages {

// The Configuration page. Its fields are laid out and labelled here; reading,
// checking and writing the configuration come with the configuration work.
class CKonfiguration : public PageBase {
    Q_OBJECT
public:
    explicit CKonfiguration(QWidget* parent = nullptr);

    void setShared(app::SettingsRecord* settings, app::PortSlot* port, app::DeviceLock* lock);
    const QString& tabTitle() const { return tabTitle_; }

    void reloadTexts() override;
    // Ticks left during which change handlers stand still after the fields were filled.
    int settleCounter() const { return settleCounter_; }
    void countDownSettleCounter()
    {
        if (settleCounter_ != 0)
            --settleCounter_;
    }

protected:
    void initialisePage() override;

private:
    QString tabTitle_;
    app::PortSlot* port_ = nullptr;
    app::DeviceLock* lock_ = nullptr;
    int settleCounter_ = 0;
    texts::MessageTable messages_;
};

} // namespace trgui::pages
