#include "ReceiverPanel.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "ReceiverDialog.h"
#include "WindowLook.h"

namespace nerimo {

namespace {

// In the top right corner, as desktops show a notice, clear of the span's first steps.
constexpr int kWidth = 400;
constexpr int kMargin = 10;

}  // namespace

ReceiverPanel::ReceiverPanel(QWidget* plotView, Parts parts)
    : QFrame(plotView),
      parts_(std::move(parts)),
      text_(new QLabel(this)),
      ports_(new QComboBox(this)),
      usePort_(new QPushButton(QStringLiteral("Use this port"), this)) {
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
    ports_->setObjectName(QStringLiteral("panelPortChoice"));
    ports_->setAccessibleName(QStringLiteral("Serial port"));
    ports_->setToolTip(
        QStringLiteral("The serial ports there are now, as --list-ports lists them"));
    usePort_->setObjectName(QStringLiteral("usePortButton"));
    usePort_->setToolTip(QStringLiteral("Open the receiver on this port, for this run"));
    connect(usePort_, &QPushButton::clicked, this,
            [this] { parts_.usePort(ports_->currentText().toUtf8()); });
    auto* chooseButton = new QPushButton(QStringLiteral("Choose the receiver\u2026"), this);
    chooseButton->setObjectName(QStringLiteral("chooseReceiverButton"));
    chooseButton->setToolTip(
        QStringLiteral("Choose the receiver's port, or a radio through Hamlib, for this run"));
    auto* hideButton = new QPushButton(QStringLiteral("Hide"), this);
    hideButton->setObjectName(QStringLiteral("hideTroubleButton"));
    hideButton->setToolTip(QStringLiteral("Hide this until the receiver's state changes"));
    connect(chooseButton, &QPushButton::clicked, this, [this] { parts_.choose(); });
    connect(hideButton, &QPushButton::clicked, this, &QWidget::hide);

    auto* picker = new QHBoxLayout;
    picker->addWidget(ports_, 1);
    picker->addWidget(usePort_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(chooseButton);
    buttons->addWidget(hideButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text_);
    layout->addLayout(picker);
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
    ports_->clear();
    ListPorts(ports_, parts_.ports());
    usePort_->setEnabled(ports_->count() > 0);
    ports_->setEnabled(ports_->count() > 0);
    if (ports_->count() == 0) {
        ports_->addItem(QStringLiteral("No serial ports found"));
    }
    setFixedWidth(kWidth);
    setFixedHeight(heightForWidth(kWidth) > 0 ? heightForWidth(kWidth) : sizeHint().height());
    move(kPlotPlace.width() - kWidth - kMargin, kMargin);
    show();
    raise();
}

}  // namespace nerimo
