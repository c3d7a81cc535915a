#include "app/controls.h"

#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QLocale>
#include <QMouseEvent>
#include <QStyle>

#include <cmath>

namespace {

constexpr int QtTextMargin = 2;     // what a line edit keeps on each side of its text
constexpr int PlainEditMargin = 1;  // what a plain edit control keeps
constexpr int LongestNumber = 11;   // ten digits and an outside-line 0

} // namespace

void FitNumberField(QLineEdit& edit, int pixels) {
    QFont face = edit.font();
    face.setFamilies({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("MS PGothic"), QStringLiteral("IPAGothic")});
    face.setPixelSize(pixels);
    edit.setTextMargins(PlainEditMargin - QtTextMargin, 0, PlainEditMargin - QtTextMargin, 0);
    int frame = edit.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, &edit);
    // The caret after the last digit takes one pixel more.
    qreal room = edit.width() - 2 * (frame + PlainEditMargin) - 1;
    qreal digits = QFontMetricsF(face).horizontalAdvance(QString(LongestNumber, QLatin1Char('0')));
    if (digits > room) face.setStretch(int(std::floor(100 * room / digits)));
    edit.setFont(face);
}

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
