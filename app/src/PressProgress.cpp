#include "tandrel/dialog/PressProgress.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

namespace tandrel::dialog {

PressProgress::PressProgress(QWidget* dialog) : QFrame(dialog), count_(new QLabel(this)) {
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setAutoFillBackground(true);
    auto* searching = new QLabel(QStringLiteral("検索中..."), this);
    // The count keeps its width as it grows, so the window does not jump.
    count_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    count_->setMinimumWidth(count_->fontMetrics().horizontalAdvance(QStringLiteral("0000000000")));
    auto* stop = new QPushButton(QStringLiteral("中止"), this);
    stop->setAutoDefault(false);
    auto* layout = new QGridLayout(this);
    layout->addWidget(searching, 0, 0);
    layout->addWidget(count_, 1, 0);
    layout->addWidget(stop, 0, 1, 2, 1, Qt::AlignVCenter);
    connect(stop, &QPushButton::clicked, this, &PressProgress::stopRequested);
    hide();
}

void PressProgress::Show(std::uint64_t count) {
    SetCount(count);
    adjustSize();
    const QWidget* dialog = parentWidget();
    move((dialog->width() - width()) / 2, (dialog->height() - height()) / 2);
    raise();
    show();
}

void PressProgress::SetCount(std::uint64_t count) {
    count_->setText(QString::number(count));
}

}  // namespace tandrel::dialog
