#pragma once

#include "platform/seam.h"

#include <string>

class QWidget;

// The file-open dialog. Filter lists pairs of a description and a mask,
// separated by "|" ("画像|*.bmp;*.jpg;*.jpeg"); FilterIndex counts the pairs
// from 1. Execute shows it and, when the user chose a file, sets FileName and
// answers true.
struct TOpenDialog {
    std::string Filter;
    int FilterIndex = 1;
    std::string FileName;

    bool Execute(QWidget* parent);
};

// The dialog itself; tests put their own choice in its place.
extern TSeam<bool(TOpenDialog& dialog, QWidget* parent)> OpenDialogSeam;
