#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTimer;
class QWidget;

namespace ortello {

// Collects released letters while Alt is held on the button; the whole reveal word
// shows the hidden credits view.
class TRevealWord {
public:
    explicit TRevealWord(QString word) : word_(std::move(word)) {}
    // True when the collection now reads the whole word.
    bool Add(QChar letter);
    const QString& Collected() const { return collected_; }

private:
    QString word_;
    QString collected_;
};

class TfrmAbout : public QDialog {
public:
    explicit TfrmAbout(QWidget* parent = nullptr);
    bool CreditsShown() const { return creditsShown_; }
    void ShowCredits();
    QWidget* CreditsPanel() const { return creditsPanel_; }
    // One scroll step of the credits panel (the timer's tick).
    void ScrollCredits();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLabel* title_;
    QLabel* logo_;
    QLabel* creditsPicture_;
    QLabel* creditsHeading_;
    QPlainTextEdit* memo_;
    QPushButton* ok_;
    QWidget* creditsHost_;
    QWidget* creditsPanel_;
    QTimer* timer_;
    TRevealWord reveal_{"QUBZ"};
    bool creditsShown_ = false;
};

}  // namespace ortello
