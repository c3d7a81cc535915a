#pragma once

#include "fax_page_image.h"

#include "faxproto/inbox_messages.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScrollArea>
#include <QWidget>

#include <functional>

class QPagedPaintDevice;
class QPrinter;

// The page viewer of a received fax: thumbnails of every page down the
// left, the chosen page beside them, fitted to the width of the view or at a
// zoom factor, always at the page's true proportions. Prints through the
// desktop's print dialog and saves the fax as a PDF. Forward and delete are
// offered to whoever shows the viewer (ForwardRequested, DeleteRequested).
class TFaxViewer : public QWidget {
    Q_OBJECT
public:
    explicit TFaxViewer(QWidget* parent = nullptr);

    // Shows the fax at tiffPath with what the service knows of it. False
    // with a short error (the viewer then shows it) when no page can be read.
    bool LoadFax(const QString& tiffPath, const TInboxFax& fax, QString& error);

    void ShowPage(int index);
    int CurrentPage() const { return Current; }
    int PageCount() const { return static_cast<int>(Pages.size()); }
    const TFaxPageImage& Page(int index) const { return Pages.at(static_cast<size_t>(index)); }
    const TInboxFax& Fax() const { return Shown; }

    // Fit to width on, or a zoom factor (1.0: one page pixel across per
    // screen pixel). Zooming turns fitting off.
    void SetFitWidth(bool fit);
    void ZoomBy(double factor);
    bool FitWidth() const { return Fitting; }
    double Zoom() const { return ZoomFactor; }

    // Draws every page, one per sheet, at its true size centred on the
    // sheet (shrunk to the printable area when larger).
    bool PaintPages(QPagedPaintDevice& device);
    bool SaveAsPdf(const QString& path);

    // The desktop's print dialog (true: print) and the save dialog for the
    // PDF (empty: cancelled). Tests replace them.
    std::function<bool(QPrinter& printer, QWidget* parent)> RunPrintDialog;
    std::function<QString(QWidget* parent, const QString& suggested)> AskPdfPath;
    // Tells the user something went wrong. Tests replace it.
    std::function<void(QWidget* parent, const QString& text)> ShowError;

    QListWidget* ListBox0 = nullptr;  // thumbnails
    QScrollArea* ScrollBox0 = nullptr;
    QLabel* Image0 = nullptr;         // the page
    QLabel* Label0 = nullptr;         // sender, pages, arrival, line
    QPushButton* Btn0 = nullptr;      // 幅に合わせる
    QPushButton* Btn1 = nullptr;      // 拡大
    QPushButton* Btn2 = nullptr;      // 縮小
    QPushButton* Btn3 = nullptr;      // 印刷
    QPushButton* Btn4 = nullptr;      // PDF保存
    QPushButton* Btn5 = nullptr;      // 転送
    QPushButton* Btn6 = nullptr;      // 削除

    void Btn3Click();
    void Btn4Click();

    // What the header says of a fax ("0312345678 から 2 ページ …").
    static QString Describe(const TInboxFax& fax);

signals:
    void ForwardRequested(const QString& id);
    void DeleteRequested(const QString& id);

protected:
    // Fitted to width, the page follows the view's size.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateControls();
    void Redraw();

    std::vector<TFaxPageImage> Pages;
    TInboxFax Shown;
    QString TiffPath;
    int Current = -1;
    bool Fitting = true;
    double ZoomFactor = 0.5;
};
