#include "book/entry_dialog.h"
#include "main_window_fixture.h"

#include <QFontMetricsF>
#include <QLineEdit>

namespace {

// The number shows whole when putting the caret after its last digit does
// not scroll the field: the caret then stands the digits' width, by the
// font's metrics, from where it stood before the first digit.
void ExpectElevenDigitsWhole(QLineEdit& edit, QSize size, int pixels) {
    SCOPED_TRACE(edit.parentWidget()->objectName().toStdString());
    EXPECT_EQ(edit.size(), size);
    EXPECT_EQ(edit.font().pixelSize(), pixels);
    const QString number = QStringLiteral("03123456789");
    edit.setText(number);
    edit.setCursorPosition(0);
    edit.grab();  // the field scrolls as it paints
    int start = edit.inputMethodQuery(Qt::ImCursorRectangle).toRect().center().x();
    edit.setCursorPosition(number.size());
    edit.grab();
    int end = edit.inputMethodQuery(Qt::ImCursorRectangle).toRect().center().x();
    EXPECT_NEAR(end - start, QFontMetricsF(edit.font()).horizontalAdvance(number), 1.0);
    EXPECT_LT(end, edit.width());
}

} // namespace

using NumberField = TMainWindowTest;

TEST_F(NumberField, ShowsElevenDigitsWholeInTheWindowAndInTheEntryDialog) {
    TForm1& form = StartForm();
    ExpectElevenDigitsWhole(*form.Edit1, QSize(93, 19), 15);
    form.Btn3Click();
    ASSERT_NE(Form2, nullptr);
    ExpectElevenDigitsWhole(*Form2->Edit1, QSize(90, 19), 16);
    Form2->close();
}
