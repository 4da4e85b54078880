#include "app/gui/AboutDialog.h"

#include <QApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "app/gui/Splash.h"

namespace ortello {

bool TRevealWord::Add(QChar letter) {
    const QString next = collected_ + letter.toUpper();
    collected_ = word_.contains(next) ? next : QString(letter.toUpper());
    if (!word_.contains(collected_)) collected_.clear();
    return collected_ == word_;
}

TfrmAbout::TfrmAbout(QWidget* parent) : QDialog(parent) {
    setWindowTitle("About");
    setObjectName("frmAbout");
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    logo_ = new QLabel;
    logo_->setPixmap(ProductPicture(QSize(120, 100)));
    top->addWidget(logo_);
    title_ = new QLabel("Velmar Ortello (TM)");
    QFont f = title_->font();
    f.setPointSizeF(f.pointSizeF() * 1.6);
    f.setBold(true);
    title_->setFont(f);
    top->addWidget(title_, 1);
    layout->addLayout(top);

    memo_ = new QPlainTextEdit;
    memo_->setReadOnly(true);
    memo_->setPlainText(
        "Ortello prepares quotations from the Velmar price list.\n\n"
        "Prices, discounts and availability shown by this program are for quotation purposes only. "
        "The price list in force on the date of order governs every sale; prices are subject to "
        "change without notice and exclude taxes, freight and duties unless stated otherwise.");
    layout->addWidget(memo_, 1);

    creditsPicture_ = new QLabel;
    creditsPicture_->setPixmap(ProductPicture(QSize(120, 100), true));
    creditsPicture_->hide();
    creditsHeading_ = new QLabel("Programming Team (Left To Right):");
    creditsHeading_->hide();
    layout->addWidget(creditsPicture_);
    layout->addWidget(creditsHeading_);
    creditsHost_ = new QWidget;
    creditsHost_->setMinimumHeight(120);
    creditsHost_->hide();
    creditsPanel_ = new QLabel(
        "Catalog and pricing model\nObject files and settings\nQuotation workspace\nReports and exports\n"
        "Product data pages\nOnline services\n\nThanks to every salesperson who tested it.",
        creditsHost_);
    creditsPanel_->adjustSize();
    layout->addWidget(creditsHost_);

    ok_ = new QPushButton("&Ok");
    ok_->setDefault(true);
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    layout->addWidget(ok_, 0, Qt::AlignRight);
    timer_ = new QTimer(this);
    timer_->setInterval(100);
    connect(timer_, &QTimer::timeout, this, &TfrmAbout::ScrollCredits);

    for (QWidget* w : {static_cast<QWidget*>(title_), static_cast<QWidget*>(logo_), static_cast<QWidget*>(memo_),
                       memo_->viewport(), static_cast<QWidget*>(creditsPicture_), static_cast<QWidget*>(creditsHeading_),
                       creditsPanel_})
        w->installEventFilter(this);
    ok_->installEventFilter(this);
    resize(460, 340);
}

void TfrmAbout::ShowCredits() {
    if (creditsShown_) return;
    creditsShown_ = true;
    memo_->hide();
    title_->hide();
    logo_->hide();
    creditsPicture_->show();
    creditsHeading_->show();
    creditsHost_->show();
    creditsPanel_->move(0, creditsHost_->height());
    timer_->start();
}

void TfrmAbout::ScrollCredits() {
    QPoint p = creditsPanel_->pos();
    p.ry() -= 1;
    if (p.y() + creditsPanel_->height() < 0) p.setY(creditsHost_->height());
    creditsPanel_->move(p);
}

bool TfrmAbout::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease && watched != ok_) {
        accept();
        return true;
    }
    if (watched == ok_ && event->type() == QEvent::KeyRelease) {
        auto* ke = static_cast<QKeyEvent*>(event);
        const QString text = QKeySequence(ke->key()).toString();
        if ((ke->modifiers() & Qt::AltModifier) && text.size() == 1 && text[0].isLetter()) {
            if (reveal_.Add(text[0])) ShowCredits();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace ortello
