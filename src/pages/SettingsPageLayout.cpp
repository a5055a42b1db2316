#include "pages/SettingsPage.h"

// How a page shares the window's space: the list takes what the window grows beyond its
// smallest, its columns sharing extra width in proportion; the form keeps its size.

#include <QEvent>
#include <algorithm>

namespace pelmora {

QVBoxLayout* SettingsPage::formArea() {
    if (formArea_ == nullptr) {
        pageLayout_ = new QVBoxLayout(this);
        pageLayout_->addWidget(list_, 1);
        form_ = new QWidget(this);
        form_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        pageLayout_->addWidget(form_, 0, Qt::AlignLeft);
        formArea_ = new QVBoxLayout(form_);
        formArea_->setContentsMargins(0, 0, 0, 0);
    }
    return formArea_;
}

void SettingsPage::widenColumn(int column, int px) {
    if (column < 0 || column >= static_cast<int>(baseColumnWidths_.size())) {
        return;
    }
    auto& width = baseColumnWidths_[static_cast<std::size_t>(column)];
    width = std::max(width, px);
    list_->setColumnWidth(column, width);
    spreadColumns();
}

void SettingsPage::setReadingOrder(std::initializer_list<QWidget*> controls) {
    QWidget* previous = list_;
    for (QWidget* control : controls) {
        setTabOrder(previous, control);
        previous = control;
    }
}

void SettingsPage::padToHeight(int height) {
    if (foot_ == nullptr) {
        foot_ = new QSpacerItem(0, 0, QSizePolicy::Minimum, QSizePolicy::Preferred);
        // The foot stands right below the form, without a gap of its own.
        pageLayout_->addSpacing(-pageLayout_->spacing());
        pageLayout_->addItem(foot_);
    }
    footHeight_ += std::max(0, height - sizeHint().height());
    foot_->changeSize(0, footHeight_, QSizePolicy::Minimum, QSizePolicy::Preferred);
    pageLayout_->invalidate();
}

void SettingsPage::settleAtSmallest(QSize pageSize) {
    // Whatever the grid got beyond its seven rows at the smallest size goes to the foot.
    if (const int excess = pageSize.height() - sizeHint().height(); excess > 0) {
        footHeight_ += excess;
        foot_->changeSize(0, footHeight_, QSizePolicy::Minimum, QSizePolicy::Preferred);
        pageLayout_->invalidate();
    }
    const QMargins margins = pageLayout_->contentsMargins();
    const int contentWidth = pageSize.width() - margins.left() - margins.right();
    form_->setMaximumWidth(contentWidth);
    listWidthAtSmallest_ = contentWidth;
    spreadColumns();
}

void SettingsPage::spreadColumns() {
    if (listWidthAtSmallest_ <= 0) {
        return;
    }
    const int extra = std::max(0, list_->width() - listWidthAtSmallest_);
    int total = 0;
    for (const int width : baseColumnWidths_) {
        total += width;
    }
    if (total <= 0) {
        return;
    }
    for (int c = 0; c < static_cast<int>(baseColumnWidths_.size()); ++c) {
        const int base = baseColumnWidths_[c];
        list_->setColumnWidth(
            c, base + static_cast<int>(static_cast<long long>(extra) * base / total));
    }
}

bool SettingsPage::eventFilter(QObject* watched, QEvent* event) {
    if (watched == list_ && event->type() == QEvent::Resize) {
        spreadColumns();
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace pelmora
