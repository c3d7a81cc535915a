#pragma once

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <utility>
#include <vector>

// Where to forward a received fax: a number typed in, or a destination of
// the book picked from the list (which puts its number in the field).
// 転送 is offered only for a number the fax service dials.
class TForwardDialog : public QDialog {
    Q_OBJECT
public:
    // destinations: (name, number) of each entry of the book.
    explicit TForwardDialog(const std::vector<std::pair<QString, QString>>& destinations, QWidget* parent = nullptr);

    QString Number() const { return Edit0->text().trimmed(); }

    QLabel* Label0 = nullptr;
    QLineEdit* Edit0 = nullptr;       // the number
    QListWidget* ListBox0 = nullptr;  // the book
    QPushButton* Btn0 = nullptr;      // 転送
    QPushButton* Btn1 = nullptr;      // キャンセル

private:
    void NumberChanged();
};
