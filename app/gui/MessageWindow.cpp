#include "app/gui/MessageWindow.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>

#include "library/SysUtils.h"

namespace ortello {

TfrmMessage::TfrmMessage(const QString& applicationTitle, QWidget* parent) : QDialog(parent) {
    setWindowTitle("Message");
    setObjectName("frmMessage");
    heading_ = QString("The following error(s) occured during initialization.  ") + "\n" +
               QString::fromStdString(Fmt("%0s will not able to operate correctly.", applicationTitle.toStdString()));
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    auto* icon = new QLabel;
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxCritical).pixmap(40, 40));
    top->addWidget(icon, 0, Qt::AlignTop);
    auto* label = new QLabel(heading_);
    label->setObjectName("Label1");
    label->setWordWrap(true);
    top->addWidget(label, 1);
    layout->addLayout(top);
    list_ = new QListWidget;
    list_->setObjectName("ListBox1");
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    layout->addWidget(list_, 1);
    auto* buttons = new QDialogButtonBox;
    QPushButton* ok = buttons->addButton("OK", QDialogButtonBox::AcceptRole);
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
    resize(620, 320);
    if (QScreen* screen = QApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TfrmMessage::SetLines(const QStringList& lines) {
    list_->clear();
    list_->addItems(lines);
}

QString TfrmMessage::Heading() const { return heading_; }

}  // namespace ortello
