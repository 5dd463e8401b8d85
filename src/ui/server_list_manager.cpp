#include "ui/server_list_manager.h"

#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "ui/dialog_font.h"
#include "ui/dialog_units.h"

namespace horalux {

namespace {

QString controlName(int id) {
    return QStringLiteral("control%1").arg(id);
}

QPushButton* makeButton(const QString& text, const QString& name, QRect rect, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setGeometry(rect);
    // The default button is chosen explicitly (OK, or Add while the address is being typed),
    // never by which button has the focus.
    button->setAutoDefault(false);
    return button;
}

}  // namespace

ServerListManager::ServerListManager(MessageService& messages, QWidget* parent)
    : QDialog(parent), messages_(messages) {
    setObjectName(QStringLiteral("serverListManager"));
    setWindowTitle(QString::fromLatin1(kCaption));
    setModal(true);
    setFont(dialogFont());
    setFixedSize(dialogRect(0, 0, 230, 116).size());

    auto* label = new QLabel(QStringLiteral("Server address:"), this);
    label->setGeometry(dialogRect(7, 9, 60, 8));
    address_ = new QLineEdit(this);
    address_->setObjectName(controlName(kAddressId));
    address_->setGeometry(dialogRect(68, 7, 102, 12));
    label->setBuddy(address_);
    address_->installEventFilter(this);

    add_ = makeButton(QStringLiteral("Add"), controlName(kAddId), dialogRect(176, 6, 47, 14), this);

    list_ = new QListWidget(this);
    list_->setObjectName(controlName(kListId));
    list_->setGeometry(dialogRect(7, 24, 163, 64));
    list_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    // The template gives the list no label of its own.
    list_->setAccessibleName(QStringLiteral("Servers"));

    remove_ = makeButton(QStringLiteral("Remove"), controlName(kRemoveId),
                         dialogRect(176, 24, 47, 14), this);

    auto* separator = new QFrame(this);
    separator->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    separator->setGeometry(dialogRect(7, 92, 216, 2));

    ok_ = makeButton(QStringLiteral("OK"), QStringLiteral("ok"), dialogRect(119, 97, 50, 14), this);
    ok_->setDefault(true);
    cancel_ = makeButton(QStringLiteral("Cancel"), QStringLiteral("cancel"),
                         dialogRect(173, 97, 50, 14), this);

    setTabOrder(address_, add_);
    setTabOrder(add_, list_);
    setTabOrder(list_, remove_);
    setTabOrder(remove_, ok_);
    setTabOrder(ok_, cancel_);

    connect(address_, &QLineEdit::textChanged, this, [this](const QString& text) {
        add_->setEnabled(ServerListManagerLogic::CanAdd(text));
    });
    connect(add_, &QPushButton::clicked, this, &ServerListManager::onAdd);
    connect(remove_, &QPushButton::clicked, this, &ServerListManager::onRemove);
    connect(list_, &QListWidget::itemSelectionChanged, this, [this] {
        const QList<QListWidgetItem*> selected = list_->selectedItems();
        logic_.select(selected.isEmpty() ? -1 : list_->row(selected.front()));
    });
    connect(ok_, &QPushButton::clicked, this, &ServerListManager::accept);
    connect(cancel_, &QPushButton::clicked, this, &ServerListManager::reject);

    add_->setEnabled(false);
    address_->setFocus();
}

void ServerListManager::setServers(const std::vector<std::string>& names) {
    servers_ = names;
    logic_ = ServerListManagerLogic(names);
    showList();
}

void ServerListManager::showList() {
    const QSignalBlocker blocker(list_);
    list_->clear();
    list_->addItems(logic_.entries());
    list_->setCurrentRow(logic_.selected());
    if (logic_.selected() < 0) {
        list_->clearSelection();
    }
}

void ServerListManager::onAdd() {
    if (logic_.Add(address_->text(), messages_)) {
        showList();
        address_->clear();
    }
}

void ServerListManager::onRemove() {
    logic_.Remove();
    showList();
}

void ServerListManager::accept() {
    servers_ = logic_.names();
    QDialog::accept();
}

bool ServerListManager::eventFilter(QObject* watched, QEvent* event) {
    if (watched == address_) {
        if (event->type() == QEvent::FocusIn) {
            add_->setDefault(true);
        } else if (event->type() == QEvent::FocusOut) {
            ok_->setDefault(true);
        }
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace horalux
