#pragma once

#include "automation/automation_object.h"
#include "automation/office/office_converter.h"

#include <memory>
#include <string>
#include <vector>

// What tells the Word and Excel object models apart.
struct TOfficeModel {
    TOfficeKind Kind;
    std::string_view CollectionName; // "Documents", "Workbooks"
    std::string_view FileName;       // "Document", "Workbook"
    int32_t TextFormat;              // the one SaveAs format served
};

// The state an application object shares with its collection and files:
// everything it opened is closed when it quits.
struct TOfficeSession {
    TOfficeSession(std::shared_ptr<TOfficeConverter> converter, const TOfficeModel& model)
        : Converter(std::move(converter)), Model(model) {}
    std::shared_ptr<TOfficeConverter> Converter;
    const TOfficeModel& Model;
    std::vector<std::weak_ptr<TOfficeDocument>> Opened;
    bool HasQuit = false;

    void CheckRunning() const;
    void Quit();
};

// Documents / Workbooks: Open(file, ...) gives the opened file.
class TOfficeCollection : public TAutomationObject {
public:
    explicit TOfficeCollection(std::shared_ptr<TOfficeSession> session) : Session(std::move(session)) {}
    std::string_view ClassName() const override { return Session->Model.CollectionName; }
    const TMemberTable& Members() const override;

private:
    TVariant Open(const TArgs& args);
    std::shared_ptr<TOfficeSession> Session;
};

// A document or workbook: SaveAs(file, format), Close(...).
class TOfficeFile : public TAutomationObject {
public:
    TOfficeFile(std::shared_ptr<TOfficeSession> session, std::shared_ptr<TOfficeDocument> document)
        : Session(std::move(session)), Document(std::move(document)) {}
    std::string_view ClassName() const override { return Session->Model.FileName; }
    const TMemberTable& Members() const override;

private:
    TVariant SaveAs(const TArgs& args);
    TVariant Close(const TArgs& args);
    std::shared_ptr<TOfficeSession> Session;
    std::shared_ptr<TOfficeDocument> Document;
};
