#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;

// The entry dialog: adds a destination, or corrects one. A borderless black
// window that takes the main window's place and size when it is created, so
// that it covers it; shown at once, not modal, freed when it closes.
class TForm2 : public QWidget {
    Q_OBJECT
public:
    // The opener sets Edit0, Edit1, Label2 (the number before a correction,
    // empty when adding) and the caption of Btn1.
    explicit TForm2(QWidget* mainWindow);
    ~TForm2() override;

    void FormCreate(QWidget* mainWindow);
    void Btn1Click();  // store
    void Btn0Click();  // cancel

    QLabel* Label0;
    QLineEdit* Edit0;
    QLabel* Label1;
    QLineEdit* Edit1;
    QLabel* Label2;
    QPushButton* Btn1;
    QPushButton* Btn0;
};

// The dialog while it exists; null otherwise.
extern TForm2* Form2;
