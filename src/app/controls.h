#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

// The small control kinds of the main window that Qt lacks as they are.

// A one-line edit that reports a double click.
class TEdit : public QLineEdit {
    Q_OBJECT
public:
    using QLineEdit::QLineEdit;
signals:
    void DoubleClicked();

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};

// Asks the input method for Japanese (hiragana) input in an edit: no
// preference for Latin letters, and Japanese as the edit's language.
void AskForJapaneseInput(QWidget* edit);

// A multi-line edit that reports a double click.
class TMemo : public QPlainTextEdit {
    Q_OBJECT
public:
    using QPlainTextEdit::QPlainTextEdit;
signals:
    void DoubleClicked();

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};

// A button whose caption wraps onto several lines to fit its width.
class TWrapButton : public QPushButton {
    Q_OBJECT
public:
    explicit TWrapButton(const QString& caption, QWidget* parent = nullptr);
    QString Caption() const;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QLabel* CaptionLabel;
};
