#include "ReceiverChooser.h"

#include "Report.h"
#include "SettingsSave.h"

namespace nerimo {

namespace {

QList<platform::PortChoice> SystemPorts() {
    return platform::PortChoices(platform::SystemPorts(), QStringLiteral("/dev/serial/by-id"));
}

// MHZ= as a user would write it: the step's digits, no trailing zeros.
QByteArray MHzText(double mhz) {
    QByteArray text = QByteArray::number(mhz, 'f', 4);
    while (text.endsWith('0')) {
        text.chop(1);
    }
    if (text.endsWith('.')) {
        text.chop(1);
    }
    return text;
}

}  // namespace

ReceiverChooser::ReceiverChooser(Parts parts) : QObject(parts.window), parts_(std::move(parts)) {
    ports_ = SystemPorts;
    models_ = platform::RadioModels;
    auto* item = new QAction(QStringLiteral("Recei&ver…"), this);
    item->setToolTip(QStringLiteral("Choose the receiver, the band and the activity level"));
    parts_.menu.insertAction(parts_.before, item);
    connect(item, &QAction::triggered, this, &ReceiverChooser::Choose);
}

void ReceiverChooser::ListFrom(std::function<ReceiverLists()> lists) {
    ports_ = [lists] { return lists().ports; };
    models_ = [lists] { return lists().models; };
}

void ReceiverChooser::Choose() {
    auto* dialog = new ReceiverDialog(parts_.window, {ports_(), models_()}, parts_.current(),
                                      parts_.settingsFile);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::accepted, this, [this, dialog] {
        const ReceiverChoice choice = dialog->Chosen();
        parts_.use(choice);
        if (dialog->SaveAsked()) {
            Save(choice);
        }
    });
    dialog->open();
}

void ReceiverChooser::Save(const ReceiverChoice& choice) {
    const QString why =
        SaveSettings(parts_.files, parts_.settingsFile,
                     {{"DEVICE=", choice.device},
                      {"RIG=", QByteArray::number(choice.rigModel)},
                      {"MHZ=", MHzText(choice.startMHz)},
                      {"SPAN=", QByteArray::number(choice.spanMHz)},
                      {"ACTIVITY=", QByteArray::number(choice.activityLevel.value_or(0))}});
    if (!why.isEmpty()) {
        const QString text = QStringLiteral("The start-up settings were not saved to %1: %2")
                                 .arg(parts_.settingsFile, why);
        Report(text);
        parts_.messages.Notify(text);
        return;
    }
    Report(QStringLiteral("The start-up settings were saved to %1.").arg(parts_.settingsFile));
}

}  // namespace nerimo
