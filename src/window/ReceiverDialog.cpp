#include "ReceiverDialog.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "Frequency.h"
#include "Settings.h"
#include "SettingsReader.h"

namespace nerimo {

namespace {

enum Kind { kOwnProtocol, kHamlib };

}  // namespace

void ListPorts(QComboBox* list, const QList<platform::PortChoice>& ports) {
    for (const platform::PortChoice& port : ports) {
        list->addItem(port.device);
        list->setItemData(list->count() - 1, port.facts, Qt::ToolTipRole);
    }
}

ReceiverDialog::ReceiverDialog(QWidget* parent, const ReceiverLists& lists,
                               const ReceiverChoice& now, const QString& settingsFile)
    : QDialog(parent),
      kind_(new QButtonGroup(this)),
      port_(new QComboBox(this)),
      model_(new QComboBox(this)),
      address_(new QLineEdit(this)),
      start_(new QDoubleSpinBox(this)),
      span_(new QComboBox(this)),
      activity_(new QSpinBox(this)) {
    setObjectName(QStringLiteral("receiverDialog"));
    setWindowTitle(QStringLiteral("Receiver"));

    auto* own = new QRadioButton(QStringLiteral("Its &own protocol, on a serial port"), this);
    auto* hamlib = new QRadioButton(QStringLiteral("A radio through &Hamlib"), this);
    kind_->addButton(own, kOwnProtocol);
    kind_->addButton(hamlib, kHamlib);
    (now.rigModel > 0 ? hamlib : own)->setChecked(true);
    connect(kind_, &QButtonGroup::idClicked, this, &ReceiverDialog::ShowKind);

    // The ports as --list-ports lists them; a path typed in is taken as it is.
    port_->setObjectName(QStringLiteral("portChoice"));
    port_->setEditable(true);
    ListPorts(port_, lists.ports);
    port_->setCurrentText(now.rigModel > 0 ? QString() : QString::fromUtf8(now.device));
    port_->setToolTip(
        QStringLiteral("The receiver's serial port (DEVICE=); the names under "
                       "/dev/serial/by-id stay the same wherever it is plugged in"));
    port_->lineEdit()->setPlaceholderText(lists.ports.isEmpty()
                                              ? QStringLiteral("No serial ports found")
                                              : QStringLiteral("/dev/ttyUSB0"));

    model_->setObjectName(QStringLiteral("modelChoice"));
    for (const platform::RadioModel& model : lists.models) {
        model_->addItem(QStringLiteral("%1 (%2)").arg(model.name).arg(model.number), model.number);
    }
    model_->setCurrentIndex(std::max(0, model_->findData(now.rigModel)));
    model_->setToolTip(QStringLiteral("The radio's model as Hamlib knows it (RIG=)"));
    address_->setObjectName(QStringLiteral("addressChoice"));
    address_->setText(now.rigModel > 0 ? QString::fromUtf8(now.device) : QString());
    address_->setPlaceholderText(QStringLiteral("127.0.0.1:4532"));
    address_->setToolTip(
        QStringLiteral("rigctld's host:port, or the radio's serial port "
                       "(DEVICE=)"));

    span_->setObjectName(QStringLiteral("spanChoice"));
    span_->addItem(QStringLiteral("1 MHz"), 1);
    span_->addItem(QStringLiteral("8 MHz"), 8);
    span_->setCurrentIndex(now.spanMHz == 8 ? 1 : 0);
    connect(span_, &QComboBox::currentIndexChanged, this, &ReceiverDialog::FitStartToSpan);
    start_->setObjectName(QStringLiteral("startChoice"));
    start_->setDecimals(4);
    start_->setSingleStep(kStepHz / 1e6);
    start_->setSuffix(QStringLiteral(" MHz"));
    FitStartToSpan();
    start_->setValue(now.startMHz);
    start_->setToolTip(QStringLiteral("The span's first frequency (MHZ=)"));

    activity_->setObjectName(QStringLiteral("activityChoice"));
    activity_->setRange(0, 16);
    activity_->setSpecialValueText(QStringLiteral("the band's floor + %1").arg(kActivityMargin));
    activity_->setValue(now.activityLevel.value_or(0));
    activity_->setToolTip(
        QStringLiteral("The level at which a step counts as activity "
                       "(ACTIVITY=); at its lowest, that many levels above the "
                       "median of the sweep"));

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Receiver:"), own);
    form->addRow(QString(), hamlib);
    form->addRow(QStringLiteral("&Port:"), port_);
    form->addRow(QStringLiteral("Ra&dio:"), model_);
    form->addRow(QStringLiteral("Addr&ess:"), address_);
    form->addRow(QStringLiteral("&Start:"), start_);
    form->addRow(QStringLiteral("Spa&n:"), span_);
    form->addRow(QStringLiteral("Activit&y from:"), activity_);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* use = buttons->addButton(QStringLiteral("&Use"), QDialogButtonBox::AcceptRole);
    use->setToolTip(QStringLiteral("Use these for this run; a run in progress ends"));
    QPushButton* save = buttons->addButton(QStringLiteral("Sa&ve as start-up settings"),
                                           QDialogButtonBox::ActionRole);
    save->setObjectName(QStringLiteral("saveSettingsButton"));
    save->setToolTip(QStringLiteral("Use these, and write them to %1, every other line as it is")
                         .arg(settingsFile));
    save->setEnabled(!settingsFile.isEmpty());
    buttons->addButton(QDialogButtonBox::Cancel);
    connect(save, &QPushButton::clicked, this, [this] {
        saveAsked_ = true;
        accept();
    });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    ShowKind();
}

void ReceiverDialog::ShowKind() {
    const bool hamlib = kind_->checkedId() == kHamlib;
    port_->setEnabled(!hamlib);
    model_->setEnabled(hamlib);
    address_->setEnabled(hamlib);
}

void ReceiverDialog::FitStartToSpan() {
    start_->setRange(kLowestStartMHz, HighestStartMHz(span_->currentData().toInt()));
}

ReceiverChoice ReceiverDialog::Chosen() const {
    const bool hamlib = kind_->checkedId() == kHamlib && model_->count() > 0;
    const int activity = activity_->value();
    return {(hamlib ? address_->text() : port_->currentText()).trimmed().toUtf8(),
            hamlib ? model_->currentData().toInt() : 0, start_->value(),
            span_->currentData().toInt(),
            activity > 0 ? std::optional<int>(activity) : std::nullopt};
}

}  // namespace nerimo
