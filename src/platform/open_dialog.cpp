#include "platform/open_dialog.h"

#include <QFileDialog>
#include <QStringList>

namespace {

// "画像|*.bmp;*.jpg" becomes the dialog's "画像 (*.bmp *.jpg)".
QStringList DialogFilters(const std::string& filter) {
    const QStringList parts = QString::fromStdString(filter).split(QLatin1Char('|'));
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2)
        filters << parts[i] + QStringLiteral(" (") + QString(parts[i + 1]).replace(QLatin1Char(';'), QLatin1Char(' ')) +
                       QLatin1Char(')');
    return filters;
}

bool RunFileDialog(TOpenDialog& dialog, QWidget* parent) {
    const QStringList filters = DialogFilters(dialog.Filter);
    QString selected = dialog.FilterIndex >= 1 && dialog.FilterIndex <= filters.size() ? filters[dialog.FilterIndex - 1]
                                                                                       : QString();
    const QString chosen = QFileDialog::getOpenFileName(parent, QString(), QString(), filters.join(QStringLiteral(";;")),
                                                        &selected);
    if (chosen.isEmpty()) return false;
    dialog.FileName = chosen.toStdString();
    return true;
}

} // namespace

TSeam<bool(TOpenDialog&, QWidget*)> OpenDialogSeam(RunFileDialog);

bool TOpenDialog::Execute(QWidget* parent) { return OpenDialogSeam(*this, parent); }
