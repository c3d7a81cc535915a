// The image panel's controls and its two layouts: the small settings layout
// over the top of the main window, and the preview that widens the window.
#include "app/controls.h"
#include "app/main_window.h"
#include "image/file_list_box.h"
#include "image/image_control.h"
#include "image/track_bar.h"

#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QRadioButton>
#include <QScrollArea>

namespace {

constexpr int PreviewWindowWidth = 640;
constexpr int SettingsPanelHeight = 145;

} // namespace

void TForm1::CreateImagePanel() {
    Panel1 = Named(new QFrame(this), "Panel1", 0, 0, 452, SettingsPanelHeight);
    Panel1->setFrameShape(QFrame::NoFrame);
    Panel1->setAutoFillBackground(true);
    Panel1->hide();

    auto* group = Named(new QGroupBox(QStringLiteral("画質(24bitは送信激遅)"), Panel1), "GroupBox1", 4, 4, 140, 48);
    // The three buttons side by side at their natural widths, their texts
    // close to their circles so that all three fit the narrow group.
    group->setStyleSheet(QStringLiteral("QRadioButton { spacing: 3px; }"));
    RBtn1 = Named(new QRadioButton(QStringLiteral("4bit"), group), "RBtn1", 3, 20);
    RBtn2 = Named(new QRadioButton(QStringLiteral("8bit"), group), "RBtn2", RBtn1->geometry().right() + 1, 20);
    RBtn3 = Named(new QRadioButton(QStringLiteral("24bit"), group), "RBtn3", RBtn2->geometry().right() + 1, 20);
    for (QRadioButton* button : {RBtn1, RBtn2, RBtn3})
        connect(button, &QRadioButton::toggled, this, [this](bool checked) {
            if (checked) RBtnClick();
        });

    CheckBox1 = Named(new QCheckBox(QStringLiteral("どんなに巨大な画像でもA4におさまるように自動縮小"), Panel1),
                      "CheckBox1", 8, 60, 436, 18);
    CheckBox2 = Named(new QCheckBox(Panel1), "CheckBox2", 8, 82, 18, 18);
    CheckBox2Text =
        Named(new QLabel(QStringLiteral("DragDropのあとFAX起動直前に、いちど送信画像を確認、場合によっては加工したり差し替えたり、"
                                        "なんて面倒なことをしたいなら、チェックボックスをONに。"
                                        "よけいなことしないでとっとと送信したいならOFFに"),
                         Panel1),
              "CheckBox2Text", 28, 84, 416, 48);
    CheckBox2Text->setWordWrap(true);
    CheckBox2Text->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    CheckBox2Text->setBuddy(CheckBox2);

    Btn6 = Named(new QPushButton(QStringLiteral("Cancel"), Panel1), "Btn6", 172, 12, 75, 25);
    Btn7 = Named(new QPushButton(QStringLiteral("設定OK"), Panel1), "Btn7", 250, 12, 75, 25);
    Btn7->setFont(PixelFont(font(), 12, true));
    Btn8 = Named(new QPushButton(QStringLiteral("画質確認"), Panel1), "Btn8", 328, 12, 75, 25);
    connect(Btn6, &QPushButton::clicked, this, [this] { Btn6or7Click(*Btn6); });
    connect(Btn7, &QPushButton::clicked, this, [this] { Btn6or7Click(*Btn7); });
    connect(Btn8, &QPushButton::clicked, this, &TForm1::Btn8Click);

    Label4 = Named(new QLabel(QStringLiteral("←こんなものいじくりまわすより、うまいこと白黒に塗り分けられるなら、"
                                             "そのほうが綺麗に速く送れる"),
                              Panel1),
                   "Label4", 148, 2, 272, 24);
    Label4->setWordWrap(true);
    Label4->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label4->setFont(PixelFont(font(), 11, false));
    Label4->hide();

    YTBar0 = Named(new TYTrackBar(Panel1), "YTBar0", 208, 26, 128, 30);
    YTBar0->SetMax(255);
    YTBar0->SetMin(0);
    YTBar0->SetPosition(60);
    YTBar0->SetThumbWidth(10);
    YTBar0->SetGageColor(QColor(255, 255, 255));
    YTBar0->OnMouseUp = [this](TYTrackBar&, Qt::MouseButton, Qt::KeyboardModifiers, int, int) { YTBar0MouseUp(); };
    YTBar0->hide();

    const char* const arrows[] = {"→", "↓", "←", "↑"};
    for (int i = 1; i <= 4; ++i) {
        const QByteArray name = "BtnT" + QByteArray::number(i);
        auto* button = Named(new QPushButton(QString::fromUtf8(arrows[i - 1]), Panel1), name.constData(), 0, 0, 18, 18);
        button->setFocusPolicy(Qt::NoFocus);
        connect(button, &QPushButton::clicked, this, [this, button] { TrimBtnClick(*button); });
    }
    PlaceTrimButtons(396, 1, false);

    ScrollBox1 = Named(new QScrollArea(Panel1), "ScrollBox1", 4, 56, 75, 80);
    Image1 = new TImage;
    Image1->setObjectName(QStringLiteral("Image1"));
    ScrollBox1->setWidget(Image1);
    ScrollBox1->setWidgetResizable(false);
    ScrollBox1->hide();

    FileListBox1 = Named(new TFileListBox(Panel1), "FileListBox1", 83, 56, 50, 80);
    FileListBox1->SetMask("*.bmp;*.jpg;*.jpeg");
    connect(FileListBox1, &TFileListBox::Chosen, this, &TForm1::FileListBox1Click);
    FileListBox1->hide();
}

void TForm1::PlaceTrimButtons(int x, int y, bool visible) {
    static const QPoint offsets[] = {{0, 18}, {18, 0}, {36, 18}, {18, 36}};
    for (int i = 1; i <= 4; ++i) {
        auto* button = Panel1->findChild<QPushButton*>(QStringLiteral("BtnT%1").arg(i));
        button->move(x + offsets[i - 1].x(), y + offsets[i - 1].y());
        button->setVisible(visible);
    }
}

void TForm1::ShowPreviewLayout(bool confirm) {
    if (x() > WideWindowMaxLeft) move(WideWindowMaxLeft, y());
    setFixedSize(PreviewWindowWidth, height());
    Panel1->setGeometry(0, 0, width(), height());

    Btn6->move(524, confirm ? 30 : 17);
    Btn6->setText(confirm ? QStringLiteral("Cancel") : QStringLiteral("閉じる"));
    Btn7->move(524, confirm ? 1 : Btn7->y());
    if (confirm) Btn7->setText(QStringLiteral("OK(送信)"));
    Btn7->setVisible(confirm);

    Btn8->hide();
    PlaceTrimButtons(424, 1, true);
    FileListBox1->setGeometry(496, 56, 129, 321);
    ScrollBox1->setGeometry(4, 56, 480, 321);
    for (QWidget* shown : {static_cast<QWidget*>(FileListBox1), static_cast<QWidget*>(Label4),
                           static_cast<QWidget*>(ScrollBox1), static_cast<QWidget*>(YTBar0)})
        shown->show();
    for (QWidget* hidden : {static_cast<QWidget*>(CheckBox1), static_cast<QWidget*>(CheckBox2),
                            static_cast<QWidget*>(CheckBox2Text)})
        hidden->hide();
}

void TForm1::ShowSettingsLayout() {
    Btn6->move(172, 12);
    Btn6->setText(QStringLiteral("Cancel"));
    Btn7->move(250, 12);
    Btn7->setText(QStringLiteral("設定OK"));
    Btn7->show();
    Btn8->show();
    PlaceTrimButtons(396, 1, false);

    FileListBox1->hide();
    FileListBox1->setGeometry(83, 56, 50, 80);
    ScrollBox1->hide();
    ScrollBox1->setGeometry(4, 56, 75, 80);

    Panel1->resize(NormalPanelWidth, SettingsPanelHeight);
    Label4->hide();
    YTBar0->hide();
    for (QWidget* shown : {static_cast<QWidget*>(CheckBox1), static_cast<QWidget*>(CheckBox2),
                           static_cast<QWidget*>(CheckBox2Text)})
        shown->show();
    setFixedSize(NormalWindowWidth, height());
}
