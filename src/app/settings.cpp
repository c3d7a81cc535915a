// The settings file behind the black band, the two picture options and the
// depth choice. The controls themselves are the live settings.
#include "app/app_state.h"
#include "app/main_window.h"
#include "app/settings_file.h"
#include "send/text_files.h"

#include <QCheckBox>
#include <QLabel>
#include <QRadioButton>

#include <filesystem>

void TForm1::LoadSettings() {
    TSettings settings = ParseSettings(ReadTextFile(SettingsPath()), [](const std::string& folder) {
        std::error_code ec;
        return std::filesystem::is_directory(folder, ec);
    });
    Label0->setText(QString::fromStdString(settings.Folder));
    findChild<QCheckBox*>(QStringLiteral("CheckBox1"))->setChecked(settings.Box1 != "0");
    findChild<QCheckBox*>(QStringLiteral("CheckBox2"))->setChecked(settings.Box2 != "0");
    // Radio buttons of one group exclude each other; switch that off while
    // clearing all three so exactly the stored one ends checked.
    for (QRadioButton* button : {RBtn1, RBtn2, RBtn3}) {
        button->setAutoExclusive(false);
        button->setChecked(false);
        button->setAutoExclusive(true);
    }
    findChild<QRadioButton*>(QStringLiteral("RBtn") + QString::fromStdString(settings.Depth))->setChecked(true);
}

void TForm1::SaveSettings() {
    TSettings settings;
    settings.Folder = Label0->text().toStdString();
    settings.Box1 = findChild<QCheckBox*>(QStringLiteral("CheckBox1"))->isChecked() ? "1" : "0";
    settings.Box2 = findChild<QCheckBox*>(QStringLiteral("CheckBox2"))->isChecked() ? "1" : "0";
    settings.Depth = RBtn1->isChecked() ? "1" : RBtn2->isChecked() ? "2" : "3";
    WriteTextFile(SettingsPath(), FormatSettings(settings));
}
