#pragma once

#include "fax_viewer.h"
#include "inbox_client.h"

#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QWidget>

#include <functional>
#include <memory>
#include <utility>
#include <vector>

// The 受信 view: the received faxes, unread ones first and in bold, newest
// first within each; opening one shows it in the page viewer and marks it
// read; forward sends its pages to a number or a destination of the book;
// delete moves it to the trash.
class TInboxForm : public QWidget {
    Q_OBJECT
public:
    explicit TInboxForm(TInboxClient& client, QWidget* parent = nullptr);

    // Lists the inbox (again); shows the error otherwise.
    bool Refresh();
    // Opens the fax in the viewer and marks it read.
    bool OpenFax(const QString& id);

    // The destinations of the book (name, number) offered for forwarding,
    // and the question where to (empty: cancelled). Tests replace them.
    std::function<std::vector<std::pair<QString, QString>>()> BookDestinations;
    std::function<QString(const std::vector<std::pair<QString, QString>>& destinations)> AskForwardNumber;

    QTableWidget* StringGrid1 = nullptr;
    QPushButton* Btn0 = nullptr; // 開く
    QPushButton* Btn1 = nullptr; // 転送
    QPushButton* Btn2 = nullptr; // 削除
    QPushButton* Btn3 = nullptr; // 未読に戻す
    QLabel* Label0 = nullptr;    // what happened last

    void Btn0Click();
    void Btn1Click();
    void Btn2Click();
    void Btn3Click();

    // The viewer window (made on first use).
    TFaxViewer* Viewer() const { return ViewerWindow.get(); }
    // The faxes in the grid's order.
    const std::vector<TInboxFax>& Faxes() const { return Listed; }

    // How the line a fax came on is named ("模擬回線" for the simulated one).
    static QString LineCaption(const TInboxFax& fax);

private:
    void CreateControls();
    const TInboxFax* SelectedFax() const;
    void Select(const std::string& id);
    bool Forward(const QString& id);
    bool Delete(const QString& id);

    TInboxClient& Client;
    std::vector<TInboxFax> Listed;
    std::unique_ptr<TFaxViewer> ViewerWindow;
};
