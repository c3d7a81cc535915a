#include "fax_viewer.h"

#include "named_button.h"

#include <QEvent>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>
#include <QScrollBar>
#include <QVBoxLayout>

namespace {

constexpr int ThumbnailWidth = 96;
constexpr double MinZoom = 0.1;
constexpr double MaxZoom = 4.0;

}  // namespace

TFaxViewer::TFaxViewer(QWidget* parent) : QWidget(parent) {
    RunPrintDialog = [](QPrinter& printer, QWidget* owner) {
        QPrintDialog dialog(&printer, owner);
        return dialog.exec() == QDialog::Accepted;
    };
    AskPdfPath = [](QWidget* owner, const QString& suggested) {
        return QFileDialog::getSaveFileName(owner, QStringLiteral("PDFとして保存"), suggested,
                                            QStringLiteral("PDF (*.pdf)"));
    };
    ShowError = [](QWidget* owner, const QString& text) { QMessageBox::warning(owner, QStringLiteral("NG"), text); };
    CreateControls();
}

void TFaxViewer::CreateControls() {
    setObjectName(QStringLiteral("TFaxViewer"));
    Label0 = new QLabel(this);
    Label0->setObjectName(QStringLiteral("Label0"));
    Btn0 = MakeNamedButton(this, "Btn0", QStringLiteral("幅に合わせる"));
    Btn0->setCheckable(true);
    Btn0->setChecked(true);
    Btn1 = MakeNamedButton(this, "Btn1", QStringLiteral("拡大"));
    Btn2 = MakeNamedButton(this, "Btn2", QStringLiteral("縮小"));
    Btn3 = MakeNamedButton(this, "Btn3", QStringLiteral("印刷"));
    Btn4 = MakeNamedButton(this, "Btn4", QStringLiteral("PDF保存"));
    Btn5 = MakeNamedButton(this, "Btn5", QStringLiteral("転送"));
    Btn6 = MakeNamedButton(this, "Btn6", QStringLiteral("削除"));

    ListBox0 = new QListWidget(this);
    ListBox0->setObjectName(QStringLiteral("ListBox0"));
    ListBox0->setViewMode(QListView::IconMode);
    ListBox0->setFlow(QListView::TopToBottom);
    ListBox0->setMovement(QListView::Static);
    ListBox0->setWrapping(false);
    ListBox0->setIconSize(QSize(ThumbnailWidth, ThumbnailWidth * 3 / 2));
    ListBox0->setFixedWidth(ThumbnailWidth + 40);

    Image0 = new QLabel;
    Image0->setObjectName(QStringLiteral("Image0"));
    Image0->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    ScrollBox0 = new QScrollArea(this);
    ScrollBox0->setObjectName(QStringLiteral("ScrollBox0"));
    ScrollBox0->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    ScrollBox0->setWidget(Image0);
    ScrollBox0->setBackgroundRole(QPalette::Dark);
    ScrollBox0->viewport()->installEventFilter(this);

    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {Btn0, Btn1, Btn2, Btn3, Btn4, Btn5, Btn6}) buttons->addWidget(button);
    buttons->addStretch();
    auto* pages = new QHBoxLayout;
    pages->addWidget(ListBox0);
    pages->addWidget(ScrollBox0, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label0);
    layout->addLayout(buttons);
    layout->addLayout(pages, 1);

    connect(ListBox0, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0 && row != Current) ShowPage(row);
    });
    connect(Btn0, &QPushButton::clicked, this, [this](bool on) { SetFitWidth(on); });
    connect(Btn1, &QPushButton::clicked, this, [this] { ZoomBy(1.25); });
    connect(Btn2, &QPushButton::clicked, this, [this] { ZoomBy(0.8); });
    connect(Btn3, &QPushButton::clicked, this, &TFaxViewer::Btn3Click);
    connect(Btn4, &QPushButton::clicked, this, &TFaxViewer::Btn4Click);
    connect(Btn5, &QPushButton::clicked, this, [this] { emit ForwardRequested(QString::fromStdString(Shown.Id)); });
    connect(Btn6, &QPushButton::clicked, this, [this] { emit DeleteRequested(QString::fromStdString(Shown.Id)); });
}

QString TFaxViewer::Describe(const TInboxFax& fax) {
    QString sender = QString::fromStdString(fax.Station.empty() ? fax.Number : fax.Station);
    if (!fax.Number.empty() && fax.Number != fax.Station && !fax.Station.empty())
        sender += QStringLiteral(" (%1)").arg(QString::fromStdString(fax.Number));
    if (sender.isEmpty()) sender = QStringLiteral("発信元不明");
    QString text = QStringLiteral("%1 から %2 ページ  %3").arg(sender).arg(fax.Pages).arg(QString::fromStdString(fax.Arrived).replace(QLatin1Char('T'), QLatin1Char(' ')));
    if (fax.Simulated) text += QStringLiteral("  模擬回線");
    return text;
}

bool TFaxViewer::LoadFax(const QString& tiffPath, const TInboxFax& fax, QString& error) {
    Pages.clear();
    ListBox0->clear();
    Current = -1;
    Shown = fax;
    TiffPath = tiffPath;
    int count = CountFaxPages(tiffPath);
    for (int index = 0; index < count; ++index) {
        TFaxPageImage page;
        if (!ReadFaxPageImage(tiffPath, index, page, error)) break;
        Pages.push_back(std::move(page));
    }
    bool ok = !Pages.empty();
    if (!ok && error.isEmpty()) error = QStringLiteral("cannot open the fax");
    Label0->setText(ok ? Describe(fax) : QStringLiteral("FAXを開けません: %1").arg(error));
    for (size_t index = 0; index < Pages.size(); ++index) {
        QImage thumbnail = DisplayImage(Pages[index], ThumbnailWidth);
        ListBox0->addItem(new QListWidgetItem(QIcon(QPixmap::fromImage(thumbnail)), QString::number(index + 1)));
    }
    for (QPushButton* button : {Btn1, Btn2, Btn3, Btn4, Btn5, Btn6}) button->setEnabled(ok);
    if (ok) ShowPage(0);
    else Image0->clear();
    return ok;
}

void TFaxViewer::ShowPage(int index) {
    if (index < 0 || index >= PageCount()) return;
    Current = index;
    if (ListBox0->currentRow() != index) ListBox0->setCurrentRow(index);
    Redraw();
    ScrollBox0->verticalScrollBar()->setValue(0);
}

void TFaxViewer::SetFitWidth(bool fit) {
    Fitting = fit;
    Btn0->setChecked(fit);
    Redraw();
}

void TFaxViewer::ZoomBy(double factor) {
    if (Fitting && Current >= 0) {
        // Zooming starts from the size fitting showed.
        ZoomFactor = static_cast<double>(Image0->width()) / Page(Current).Image.width();
    }
    ZoomFactor = qBound(MinZoom, ZoomFactor * factor, MaxZoom);
    SetFitWidth(false);
}

void TFaxViewer::Redraw() {
    if (Current < 0) return;
    const TFaxPageImage& page = Page(Current);
    int width = Fitting ? ScrollBox0->viewport()->width() - 2 : qRound(page.Image.width() * ZoomFactor);
    QImage image = DisplayImage(page, qMax(width, 16));
    Image0->setPixmap(QPixmap::fromImage(image));
    Image0->resize(image.size());
}

bool TFaxViewer::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ScrollBox0->viewport() && event->type() == QEvent::Resize && Fitting) Redraw();
    return QWidget::eventFilter(watched, event);
}

bool TFaxViewer::PaintPages(QPagedPaintDevice& device) {
    QPainter painter;
    if (Pages.empty() || !painter.begin(&device)) return false;
    for (size_t index = 0; index < Pages.size(); ++index) {
        if (index > 0 && !device.newPage()) return false;
        const TFaxPageImage& page = Pages[index];
        QRectF sheet = painter.viewport();
        QSizeF inches = page.Inches();
        QSizeF size(inches.width() * device.logicalDpiX(), inches.height() * device.logicalDpiY());
        size.scale(size.boundedTo(sheet.size()), Qt::KeepAspectRatio);
        QRectF target(sheet.center().x() - size.width() / 2, sheet.top(), size.width(), size.height());
        painter.drawImage(target, page.Image);
    }
    return painter.end();
}

void TFaxViewer::Btn3Click() {
    if (Pages.empty()) return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setDocName(QStringLiteral("FAX %1").arg(QString::fromStdString(Shown.Id)));
    printer.setFromTo(1, PageCount());
    if (!RunPrintDialog(printer, this)) return;
    if (!PaintPages(printer)) ShowError(this, QStringLiteral("印刷できませんでした。"));
}

bool TFaxViewer::SaveAsPdf(const QString& path) {
    QPdfWriter writer(path);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    writer.setResolution(300);
    writer.setTitle(QStringLiteral("FAX %1").arg(QString::fromStdString(Shown.Id)));
    return PaintPages(writer);
}

void TFaxViewer::Btn4Click() {
    if (Pages.empty()) return;
    QString path = AskPdfPath(this, QStringLiteral("FAX-%1.pdf").arg(QString::fromStdString(Shown.Id)));
    if (path.isEmpty()) return;
    if (!SaveAsPdf(path)) ShowError(this, QStringLiteral("PDFを保存できませんでした: %1").arg(path));
}
