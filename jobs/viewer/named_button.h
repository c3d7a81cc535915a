#pragma once

#include <QPushButton>

// A push button whose objectName is its control name ("Btn0"), so that it is
// found by name.
inline QPushButton* MakeNamedButton(QWidget* parent, const char* name, const QString& text) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::fromLatin1(name));
    return button;
}
