#include "ReceiverPanel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "WindowLook.h"

namespace nerimo {

namespace {

// In the top right corner, as desktops show a notice, clear of the span's first steps.
constexpr int kWidth = 400;
constexpr int kMargin = 10;

}  // namespace

ReceiverPanel::ReceiverPanel(QWidget* plotView, std::function<void()> choose)
    : QFrame(plotView), text_(new QLabel(this)) {
    setObjectName(QStringLiteral("receiverPanel"));
    setAccessibleName(QStringLiteral("Receiver"));
    setFrameShape(QFrame::Box);
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, kPanelGrey);
    palette.setColor(QPalette::WindowText, Qt::white);
    setPalette(palette);

    text_->setObjectName(QStringLiteral("receiverTrouble"));
    text_->setWordWrap(true);
    text_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* chooseButton = new QPushButton(QStringLiteral("Choose the receiver\u2026"), this);
    chooseButton->setObjectName(QStringLiteral("chooseReceiverButton"));
    chooseButton->setToolTip(
        QStringLiteral("Choose the receiver's port, or a radio through Hamlib, for this run"));
    auto* hideButton = new QPushButton(QStringLiteral("Hide"), this);
    hideButton->setObjectName(QStringLiteral("hideTroubleButton"));
    hideButton->setToolTip(QStringLiteral("Hide this until the receiver's state changes"));
    connect(chooseButton, &QPushButton::clicked, this, std::move(choose));
    connect(hideButton, &QPushButton::clicked, this, &QWidget::hide);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(chooseButton);
    buttons->addWidget(hideButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text_);
    layout->addLayout(buttons);
    hide();
}

void ReceiverPanel::Show(const QString& trouble) {
    if (trouble.isEmpty()) {
        hide();
        return;
    }
    // The lines as standard error has them, broken where the window needs.
    text_->setText(QString(trouble).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    setFixedWidth(kWidth);
    setFixedHeight(heightForWidth(kWidth) > 0 ? heightForWidth(kWidth) : sizeHint().height());
    move(kPlotPlace.width() - kWidth - kMargin, kMargin);
    show();
    raise();
}

}  // namespace nerimo
