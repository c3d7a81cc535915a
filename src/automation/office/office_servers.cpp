#include "automation/office/office_servers.h"

#include "automation/office/excel_application.h"
#include "automation/office/word_application.h"

namespace {

template <class T>
TServerFactory FactoryFor(std::shared_ptr<TOfficeConverter> converter) {
    return [converter]() -> TObjectRef {
        if (!converter->Installed()) throw TAutomationError("LibreOffice is not installed");
        return std::make_shared<T>(converter);
    };
}

} // namespace

TServerFactory WordServerFactory(std::shared_ptr<TOfficeConverter> converter) {
    return FactoryFor<TWordApplication>(std::move(converter));
}

TServerFactory ExcelServerFactory(std::shared_ptr<TOfficeConverter> converter) {
    return FactoryFor<TExcelApplication>(std::move(converter));
}

void RegisterOfficeServers() {
    TServerRegistry::Instance().Register("Word.Application", WordServerFactory(DefaultOfficeConverter()));
    TServerRegistry::Instance().Register("Excel.Application", ExcelServerFactory(DefaultOfficeConverter()));
}

void ShutdownOfficeConverter() { DefaultOfficeConverter()->Shutdown(); }
