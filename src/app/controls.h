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

// Gives a one-line field for a fax number the look of a plain edit control
// (one pixel between frame and text) and a Gothic face whose half-width
// digits let eleven of them show whole at the given pixel size, narrowed as
// far as the field's width needs.
void FitNumberField(QLineEdit& edit, int pixels);

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
