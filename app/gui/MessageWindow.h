#pragma once

#include <QDialog>
#include <QStringList>

class QListWidget;

namespace ortello {

// The load-error window: lists the failures of start-up; closing it ends the program.
class TfrmMessage : public QDialog {
public:
    explicit TfrmMessage(const QString& applicationTitle, QWidget* parent = nullptr);
    void SetLines(const QStringList& lines);
    QListWidget* List() const { return list_; }
    QString Heading() const;

private:
    QString heading_;
    QListWidget* list_;
};

}  // namespace ortello
