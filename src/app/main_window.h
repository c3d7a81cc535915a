#pragma once

#include "automation/variant.h"
#include "platform/open_dialog.h"
#include "send/folder_watch.h"
#include "send/print_inbox.h"
#include "twain/twain_host.h"

#include <QImage>
#include <QTimer>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <string>

class QCheckBox;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;
class QFrame;
class QMimeData;
class QScrollArea;
class TEdit;
class TMemo;
class TStringGrid;
class TWrapButton;
class TBitmap;
class TFileListBox;
class TImage;
class TYTrackBar;
class QSocketNotifier;

// The main window: a borderless 452 × 383 window with the destination list,
// the direct-entry field, the memo and the buttons; it becomes the drop screen
// when a destination has been chosen. Handlers that belong to other subsystems
// are defined in those subsystems' folders.
class TForm1 : public QWidget {
    Q_OBJECT
public:
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    // Start-up: paths, settings, book, drag limits. Run once after creation,
    // with the folder the system keeps its files in (empty: none usable).
    void FormCreate(const std::string& appDir);

    // Which screen the window shows: the main screen with the book, the drop
    // screen of a chosen destination, or the failure screen of a start-up
    // that found no usable book.
    enum TScreen { scMain, scDrop, scFailure };
    TScreen CurrentScreen() const;

    // Main-window operations the other subsystems call.
    void ShowMainControls(bool visible);
    void SetDropScreen(bool on);
    void ClearImages();
    void CloseTwainManager();

    // Settings file.
    void LoadSettings();
    void SaveSettings();

    // Send flow.
    void Btn2Click();
    void SelectDestination(const std::string& name, const std::string& number);
    void DispatchSendFile();
    void SubmitSendFile();
    bool LastSubmitOk = false;  // whether the last SubmitSendFile handed its file over

    // Documents printed to the fax printer, waiting for a destination.
    void StartPrintInbox(const std::string& folder);
    void PrintInboxChanged();
    void ShowInboxOffer();
    bool SendWaitingDocument();     // false when none waits
    bool DiscardOfferedDocument();  // false when none is offered

    // Destination list and entry dialog.
    void StringGrid1Click(int column, int row);
    void Btn3Click();

    // Send history.
    void Btn4Click();
    void Timer1Timer();
    void FinishSendTracking();
    bool ConfirmAbandonTracking();
    void OpenHistoryFolder(const std::string& name, const std::string& number);

    // Pictures. A picture from a file or the scanner is put into Image0
    // (SourcePicture) and handed to HandleLoadedImage.
    void Btn5Click();
    void Btn6or7Click(QPushButton& button);
    void Btn8Click();
    void FileListBox1Click();
    void RBtnClick();
    void YTBar0MouseUp();
    void TrimBtnClick(QPushButton& button);
    void CloseImagePanel();
    void ShowPreviewLayout(bool confirm);
    void ShowSettingsLayout();
    void PlaceTrimButtons(int x, int y, bool visible);
    bool LoadSourceImage(const std::string& path);
    void HandleLoadedImage();
    bool PrepareImage(bool preview, bool threshold, int level);
    bool FitAndSaveImage(const TBitmap& bitmap, int depth);
    void SendPreviewImage();
    int SelectedPixelFormat() const;
    void ReportImageLoadFailed();
    void ReportImageProcessFailed();
    void ReportNoPicture();

    // Scanner.
    void ListBox1Click();
    void Twain1TwainAcquire(void* sender, int index, TBitmap& image, bool& cancel);
    void CloseOpenSource();

    // Quit and the small buttons.
    void Btn0Click();
    void Btn1Click();
    void Edit1DblClick();
    void Memo1DblClick();

    // The drop handler: takes the first of the dropped paths, in the drop's order.
    void FilesDropped(const std::vector<std::string>& paths);
    // The local files of a drop, in the drop's order.
    static std::vector<std::string> DroppedPaths(const QMimeData& data);

    // Drag limits taken at start-up.
    int MaxLeft = 0;
    int MaxTop = 0;
    int WideWindowMaxLeft = 0;
    int NormalWindowWidth = 0;
    int NormalPanelWidth = 0;
    bool DragActive = false;
    int OpenSourceIndex = -1;
    bool TwainLoaded = false;

    // The source picture Image0 stands for; empty when none is held.
    std::unique_ptr<TBitmap> SourcePicture;

    // The history watch.
    TVariant HistoryFso;
    TVariant HistoryFolderObject;
    int64_t HistoryFolderSize = 0;

    // Controls, named as the code refers to them.
    QLabel* Label0;
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    TEdit* Edit1;
    TMemo* Memo1;
    QPushButton* Btn0;
    QPushButton* Btn1;
    QPushButton* Btn2;
    TWrapButton* Btn3;
    TWrapButton* Btn4;
    TWrapButton* Btn5;
    TStringGrid* StringGrid1;
    QListWidget* ListBox1;
    QFrame* Panel1;
    TYTrackBar* YTBar0;
    QLabel* Image0;
    TImage* Image1;
    QScrollArea* ScrollBox1;
    TFileListBox* FileListBox1;
    QLabel* Label4;
    QPushButton* Btn6;
    QPushButton* Btn7;
    QPushButton* Btn8;
    QCheckBox* CheckBox1;
    QCheckBox* CheckBox2;
    QLabel* CheckBox2Text;
    QRadioButton* RBtn1;
    QRadioButton* RBtn2;
    QRadioButton* RBtn3;
    TOpenDialog OpenDialog1;
    QTimer* Timer1;
    QLabel* InboxLabel = nullptr;  // the offer of a printed document, made by StartPrintInbox
    TTwainHost Twain1;

    // The texts drawn on the window surface; what is rubbed or covered goes.
    const QImage& DrawnTexts() const { return DrawnLayer; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateControls();
    void CreateImagePanel();
    void ConnectHandlers();
    void ConnectScanner();
    void EndScanCursor();
    void DrawText(int x, int y, const QString& text);
    void EraseDrawn(const QRect& area);
    void EraseAlong(const QPoint& from, const QPoint& to);

    std::unique_ptr<TPrintInbox> PrintInbox;
    std::unique_ptr<TFolderWatch> InboxWatch;
    QSocketNotifier* InboxNotifier = nullptr;
    bool InboxOffered = false;

    QImage DrawnLayer;
    QPoint LastRubPoint;
    bool Rubbing = false;
    bool ScanCursor = false;  // the busy cursor of a scan in progress is shown
};
