#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

// The small control kinds of the main window that Qt lacks as they are, and
// the helpers that place the window's controls.

// The base font at a size in pixels.
inline QFont PixelFont(const QFont& base, int pixels, bool bold) {
    QFont font = base;
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

// The house look of a window: the Japanese proportional Gothic at 12 px
// (IPAPGothic where the Windows face is missing) on silver.
inline void SetWindowLook(QWidget* window) {
    QFont windowFont(QStringLiteral("ＭＳ Ｐゴシック"));
    windowFont.setFamilies({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("MS PGothic"), QStringLiteral("IPAPGothic")});
    windowFont.setPixelSize(12);
    window->setFont(windowFont);
    QPalette silver = window->palette();
    silver.setColor(QPalette::Window, QColor(0xC0, 0xC0, 0xC0));
    window->setPalette(silver);
}

// Names a control and places it; without a size it takes its natural size.
template <class T>
T* Named(T* widget, const char* name, int left, int top, int width = -1, int height = -1) {
    widget->setObjectName(QString::fromLatin1(name));
    if (width < 0) {
        widget->adjustSize();
        widget->move(left, top);
    } else {
        widget->setGeometry(left, top, width, height);
    }
    return widget;
}

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
