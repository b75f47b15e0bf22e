#include "LockoutsDialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "Frequency.h"
#include "FrequencyEntry.h"

namespace nerimo {

LockoutsDialog::LockoutsDialog(QWidget* parent, const Lockouts& lockouts,
                               const Bookmarks& bookmarks, std::function<void(long long hertz)> add,
                               std::function<void(long long hertz)> remove)
    : QDialog(parent),
      lockouts_(lockouts),
      bookmarks_(bookmarks),
      add_(std::move(add)),
      remove_(std::move(remove)),
      list_(new QListWidget),
      entry_(new QLineEdit),
      problem_(new QLabel) {
    setWindowTitle(QStringLiteral("Lockouts"));
    list_->setObjectName(QStringLiteral("lockoutList"));
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    entry_->setObjectName(QStringLiteral("lockoutEntry"));
    entry_->setPlaceholderText(QStringLiteral("145.5, 145.5 MHz, 145500k or 145500000"));
    auto* addButton = new QPushButton(QStringLiteral("Add"));
    addButton->setObjectName(QStringLiteral("addLockoutButton"));
    // Enter in the field adds what it holds.
    addButton->setDefault(true);
    problem_->setObjectName(QStringLiteral("lockoutProblem"));
    problem_->setWordWrap(true);
    problem_->hide();
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    QPushButton* removeButton =
        buttons->addButton(QStringLiteral("Remove"), QDialogButtonBox::ActionRole);
    removeButton->setObjectName(QStringLiteral("removeLockoutButton"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(addButton, &QPushButton::clicked, this, &LockoutsDialog::AddTyped);
    connect(removeButton, &QPushButton::clicked, this, [this] {
        for (const QListWidgetItem* item : list_->selectedItems()) {
            remove_(item->data(Qt::UserRole).toLongLong());
        }
        Refill();
    });
    auto* typed = new QHBoxLayout;
    typed->addWidget(entry_, 1);
    typed->addWidget(addButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_);
    layout->addLayout(typed);
    layout->addWidget(problem_);
    layout->addWidget(buttons);
    Refill();
}

void LockoutsDialog::AddTyped() {
    QString error;
    const std::optional<long long> hertz = ParseFrequency(entry_->text(), &error);
    problem_->setText(error);
    problem_->setVisible(!hertz);
    if (hertz) {
        add_(*hertz);
        entry_->clear();
        Refill();
    }
}

void LockoutsDialog::Refill() {
    list_->clear();
    for (const long long hertz : lockouts_.all()) {
        QString text = QString::fromLatin1(FreqText(hertz)) + QStringLiteral(" MHz");
        if (const std::optional<QString> name = bookmarks_.NameAt(hertz)) {
            text += QStringLiteral("  ") + *name;
        }
        auto* item = new QListWidgetItem(text, list_);
        item->setData(Qt::UserRole, hertz);
    }
}

}  // namespace nerimo
