// The controls of the main window, placed as the window's fixed layout.
#include "app/controls.h"
#include "app/main_window.h"
#include "book/string_grid.h"

#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QListWidget>
#include <QRadioButton>

void TForm1::CreateControls() {
    const QFont base = font();

    Label1 = Named(new QLabel(QStringLiteral("リスト外番号直入力"), this), "Label1", 4, 2);
    Label1->setFont(PixelFont(base, 12, true));
    Label1->adjustSize();

    Edit1 = Named(new TEdit(this), "Edit1", 4, 14, 93, 19);
    Edit1->setStyleSheet(QStringLiteral("background-color: white;"));
    FitNumberField(*Edit1, 15);
    Edit1->setAttribute(Qt::WA_InputMethodEnabled, false);

    Btn2 = Named(new QPushButton(QStringLiteral("OK"), this), "Btn2", 98, 13, 28, 20);
    Btn2->setFont(PixelFont(base, 12, true));

    StringGrid1 = Named(new TStringGrid(this), "StringGrid1", 4, 40, 350, 190);

    Label3 = Named(new QLabel(QStringLiteral("考えようによっては特に珍しくもないタイプのエラー。"
                                             "いちどシャットダウンすれば次は問題なく起動できそうな気がする。"),
                              this),
                   "Label3", 4, 40, 350, 190);
    Label3->setWordWrap(true);
    Label3->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label3->setFont(PixelFont(base, 27, true));
    Label3->setStyleSheet(QStringLiteral("color: white; background-color: red;"));
    Label3->hide();

    Btn0 = Named(new QPushButton(QStringLiteral("終了"), this), "Btn0", 365, 124, 72, 28);
    Btn0->setFont(PixelFont(base, 16, true));

    Btn3 = Named(new TWrapButton(QStringLiteral("送信先Data追加"), this), "Btn3", 4, 230, 84, 33);

    Memo1 = Named(new TMemo(this), "Memo1", 104, 240, 250, 89);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    AskForJapaneseInput(Memo1);

    Btn5 = Named(new TWrapButton(QStringLiteral("画像送信時の設定"), this), "Btn5", 4, 283, 84, 33);

    ListBox1 = Named(new QListWidget(this), "ListBox1", 110, 288, 235, 66);
    ListBox1->setFrameShape(QFrame::NoFrame);
    ListBox1->setFont(PixelFont(base, 15, false));
    ListBox1->setStyleSheet(QStringLiteral("QListWidget { background-color: #000080; color: white; }"
                                           "QListWidget::item { height: 15px; }"));
    ListBox1->hide();

    Btn4 = Named(new TWrapButton(QStringLiteral("MSFAX履歴保存場所設定"), this), "Btn4", 4, 336, 84, 33);

    Label0 = Named(new QLabel(this), "Label0", 88, 339, 336, 28);
    Label0->setWordWrap(true);
    Label0->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label0->setStyleSheet(QStringLiteral("color: white; background-color: black;"));

    Label2 = Named(new QLabel(QStringLiteral("↑未設定でも送信は可能(自前の履歴管理をしないというだけの話)"), this),
                   "Label2", 88, 368);

    Btn1 = Named(new QPushButton(QStringLiteral("CL"), this), "Btn1", 424, 336, 25, 33);

    Image0 = Named(new QLabel(this), "Image0", 403, 196, 25, 25);
    Image0->hide();

    CreateImagePanel();

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
}
