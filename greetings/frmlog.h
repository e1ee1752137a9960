#pragma once

#include <QString>
#include <QWidget>

class QPlainTextEdit;

// The protocol of the SMTP conversations, newest line first. Created hidden by the first
// protocol line; closing it by its frame unloads it and its lines are gone.
class frmlog : public QWidget
{
    Q_OBJECT
public:
    explicit frmlog(QWidget* parent = nullptr);

    // Puts the line in front of the text, exactly as given: no line break is added.
    void AddLine(const QString& line);
    // The protocol as it was delivered, line ends included.
    QString Text() const { return text_; }

    QPlainTextEdit* txtStatus;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QString text_;
};
