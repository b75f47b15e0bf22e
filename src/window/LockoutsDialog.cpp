#include "LockoutsDialog.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "Frequency.h"

namespace nerimo {

LockoutsDialog::LockoutsDialog(QWidget* parent, const Lockouts& lockouts,
                               std::function<void(long long hertz)> remove)
    : QDialog(parent), lockouts_(lockouts), remove_(std::move(remove)), list_(new QListWidget) {
    setWindowTitle(QStringLiteral("Lockouts"));
    list_->setObjectName(QStringLiteral("lockoutList"));
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    QPushButton* removeButton =
        buttons->addButton(QStringLiteral("Remove"), QDialogButtonBox::ActionRole);
    removeButton->setObjectName(QStringLiteral("removeLockoutButton"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(removeButton, &QPushButton::clicked, this, [this] {
        for (const QListWidgetItem* item : list_->selectedItems()) {
            remove_(item->data(Qt::UserRole).toLongLong());
        }
        Refill();
    });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_);
    layout->addWidget(buttons);
    Refill();
}

void LockoutsDialog::Refill() {
    list_->clear();
    for (const long long hertz : lockouts_.all()) {
        auto* item = new QListWidgetItem(
            QString::fromLatin1(FreqText(hertz)) + QStringLiteral(" MHz"), list_);
        item->setData(Qt::UserRole, hertz);
    }
}

}  // namespace nerimo
