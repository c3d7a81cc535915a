#include "automation/office/word_application.h"

#include "automation/office/office_objects.h"

namespace {

const TOfficeModel WordModel {okWriter, "Documents", "Document", wdFormatText};

} // namespace

TWordApplication::TWordApplication(std::shared_ptr<TOfficeConverter> converter)
    : Session(std::make_shared<TOfficeSession>(std::move(converter), WordModel)) {}

const TMemberTable& TWordApplication::Members() const {
    static const TMemberTable table = {
        MakeMember<TWordApplication>("Documents", mkPropertyGet, 0, 0, &TWordApplication::Documents),
        MakeMember<TWordApplication>("Quit", mkMethod, 0, 3, &TWordApplication::Quit),
    };
    return table;
}

TVariant TWordApplication::Documents(const TArgs&) {
    Session->CheckRunning();
    return MakeObject<TOfficeCollection>(Session);
}

TVariant TWordApplication::Quit(const TArgs&) {
    Session->Quit();
    return {};
}
