#pragma once

#include <QListWidget>

#include <string>
#include <vector>

// A list of the files of one folder whose names match a mask such as
// "*.bmp;*.jpg;*.jpeg" (compared without case), sorted by name.
class TFileListBox : public QListWidget {
    Q_OBJECT
public:
    explicit TFileListBox(QWidget* parent = nullptr);

    void SetMask(const std::string& mask);
    const std::string& Directory() const { return FDirectory; }
    // Lists the folder; a folder that cannot be read gives an empty list.
    void SetDirectory(const std::string& folder);
    // Lists the file's folder and selects the file when it is listed.
    void SetFileName(const std::string& path);
    // The selected file's full path; empty when none is selected.
    std::string FileName() const;

signals:
    // The user chose another file.
    void Chosen();

private:
    bool Matches(const std::string& name) const;

    std::string FDirectory;
    std::vector<std::string> FPatterns;  // lower-case extensions, dot included
};
