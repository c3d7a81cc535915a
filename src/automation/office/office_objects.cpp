#include "automation/office/office_objects.h"

void TOfficeSession::CheckRunning() const {
    if (HasQuit) throw TAutomationError(std::string(Model.CollectionName) + ": the application has quit");
}

void TOfficeSession::Quit() {
    for (const std::weak_ptr<TOfficeDocument>& opened : Opened)
        if (auto document = opened.lock()) document->Close();
    Opened.clear();
    HasQuit = true;
}

const TMemberTable& TOfficeCollection::Members() const {
    static const TMemberTable table = {
        MakeMember<TOfficeCollection>("Open", mkMethod, 1, 16, &TOfficeCollection::Open),
    };
    return table;
}

TVariant TOfficeCollection::Open(const TArgs& args) {
    Session->CheckRunning();
    std::shared_ptr<TOfficeDocument> document = Session->Converter->Open(Session->Model.Kind, args[0].AsString());
    Session->Opened.push_back(document);
    return MakeObject<TOfficeFile>(Session, std::move(document));
}

const TMemberTable& TOfficeFile::Members() const {
    static const TMemberTable table = {
        MakeMember<TOfficeFile>("SaveAs", mkMethod, 1, 16, &TOfficeFile::SaveAs),
        MakeMember<TOfficeFile>("Close", mkMethod, 0, 3, &TOfficeFile::Close),
    };
    return table;
}

TVariant TOfficeFile::SaveAs(const TArgs& args) {
    Session->CheckRunning();
    if (!HasArg(args, 1) || ArgAt(args, 1).AsInt32() != Session->Model.TextFormat)
        throw TAutomationError(std::string(ClassName()) + ".SaveAs: only format " +
                               std::to_string(Session->Model.TextFormat) + " is supported");
    Document->SaveText(args[0].AsString());
    return {};
}

TVariant TOfficeFile::Close(const TArgs&) {
    // Nothing is ever changed, so whether to save changes does not matter.
    Document->Close();
    return {};
}
