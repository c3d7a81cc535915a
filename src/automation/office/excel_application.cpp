#include "automation/office/excel_application.h"

#include "automation/office/office_objects.h"

namespace {

const TOfficeModel ExcelModel {okCalc, "Workbooks", "Workbook", xlTextPrinter};

} // namespace

TExcelApplication::TExcelApplication(std::shared_ptr<TOfficeConverter> converter)
    : Session(std::make_shared<TOfficeSession>(std::move(converter), ExcelModel)) {}

const TMemberTable& TExcelApplication::Members() const {
    static const TMemberTable table = {
        MakeMember<TExcelApplication>("Workbooks", mkPropertyGet, 0, 0, &TExcelApplication::WorkBooks),
        MakeMember<TExcelApplication>("Quit", mkMethod, 0, 0, &TExcelApplication::Quit),
    };
    return table;
}

TVariant TExcelApplication::WorkBooks(const TArgs&) {
    Session->CheckRunning();
    return MakeObject<TOfficeCollection>(Session);
}

TVariant TExcelApplication::Quit(const TArgs&) {
    Session->Quit();
    return {};
}
