#include "app/controls.h"

#include <QHBoxLayout>
#include <QLocale>
#include <QMouseEvent>

void TEdit::mouseDoubleClickEvent(QMouseEvent* event) {
    QLineEdit::mouseDoubleClickEvent(event);
    emit DoubleClicked();
}

void AskForJapaneseInput(QWidget* edit) {
    edit->setAttribute(Qt::WA_InputMethodEnabled);
    edit->setInputMethodHints(Qt::ImhNone);
    edit->setLocale(QLocale(QLocale::Japanese, QLocale::Japan));
}

void TMemo::mouseDoubleClickEvent(QMouseEvent* event) {
    QPlainTextEdit::mouseDoubleClickEvent(event);
    emit DoubleClicked();
}

TWrapButton::TWrapButton(const QString& caption, QWidget* parent)
    : QPushButton(parent), CaptionLabel(new QLabel(caption, this)) {
    CaptionLabel->setWordWrap(true);
    CaptionLabel->setAlignment(Qt::AlignCenter);
    CaptionLabel->setAttribute(Qt::WA_TransparentForMouseEvents);
    setAccessibleName(caption);
}

QString TWrapButton::Caption() const { return CaptionLabel->text(); }

void TWrapButton::resizeEvent(QResizeEvent* event) {
    QPushButton::resizeEvent(event);
    CaptionLabel->setGeometry(rect().adjusted(2, 1, -2, -1));
}
