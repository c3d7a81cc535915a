#include "image/file_list_box.h"

#include <QSignalBlocker>

#include <algorithm>
#include <filesystem>

namespace {

std::string LowerCase(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return text;
}

} // namespace

TFileListBox::TFileListBox(QWidget* parent) : QListWidget(parent) {
    connect(this, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0) emit Chosen();
    });
}

void TFileListBox::SetMask(const std::string& mask) {
    // Only masks of the form "*.ext;*.ext" are used.
    FPatterns.clear();
    size_t start = 0;
    while (start <= mask.size()) {
        size_t end = mask.find(';', start);
        if (end == std::string::npos) end = mask.size();
        std::string part = mask.substr(start, end - start);
        if (part.rfind("*", 0) == 0) part.erase(0, 1);
        if (!part.empty()) FPatterns.push_back(LowerCase(part));
        start = end + 1;
    }
    if (!FDirectory.empty()) SetDirectory(FDirectory);
}

bool TFileListBox::Matches(const std::string& name) const {
    const std::string lower = LowerCase(name);
    return std::any_of(FPatterns.begin(), FPatterns.end(), [&lower](const std::string& ext) {
        return lower.size() > ext.size() && lower.compare(lower.size() - ext.size(), ext.size(), ext) == 0;
    });
}

void TFileListBox::SetDirectory(const std::string& folder) {
    const QSignalBlocker quiet(this);
    FDirectory = folder;
    std::vector<std::string> names;
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        std::error_code typeError;
        if (!it->is_regular_file(typeError)) continue;
        std::string name = it->path().filename().string();
        if (Matches(name)) names.push_back(std::move(name));
    }
    std::sort(names.begin(), names.end());
    clear();
    for (const std::string& name : names) {
        // The name's own bytes are kept beside its shown text, so that a name
        // that is not valid text still leads back to its file.
        auto* item = new QListWidgetItem(QString::fromStdString(name), this);
        item->setData(Qt::UserRole, QByteArray::fromStdString(name));
    }
}

void TFileListBox::SetFileName(const std::string& path) {
    const std::filesystem::path file(path);
    SetDirectory(file.parent_path().string());
    const QSignalBlocker quiet(this);
    const QByteArray name = QByteArray::fromStdString(file.filename().string());
    for (int row = 0; row < count(); ++row)
        if (item(row)->data(Qt::UserRole).toByteArray() == name) {
            setCurrentRow(row);
            return;
        }
}

std::string TFileListBox::FileName() const {
    const QListWidgetItem* item = currentItem();
    if (!item || FDirectory.empty()) return {};
    return (std::filesystem::path(FDirectory) / item->data(Qt::UserRole).toByteArray().toStdString()).string();
}
