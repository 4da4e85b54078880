#pragma once

#include <QPixmap>
#include <QWidget>

namespace ortello {

// Borderless, centred, sized to its picture; shows what is being loaded.
class TSplash : public QWidget {
public:
    TSplash();
    void SetStatus(const QString& text);

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QPixmap picture_;
    QString status_;
};

// The product picture, drawn rather than shipped.
QPixmap ProductPicture(const QSize& size, bool credits = false);

}  // namespace ortello
