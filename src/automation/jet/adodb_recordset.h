#pragma once

#include "automation/automation_object.h"
#include "automation/jet/jet_rows.h"

#include <string_view>

// "ADODB.Recordset": Open(statement, connection[, cursor type, lock type,
// options]) reads the rows of a query in whole; BOF, EOF, MoveFirst, MoveNext,
// Fields(name or ordinal).Value, RecordCount, State and Close. A null value
// reads as Empty.
class TAdoRecordset : public TAutomationObject {
public:
    TAdoRecordset() = default;
    explicit TAdoRecordset(TJetRows rows);

    std::string_view ClassName() const override { return "Recordset"; }
    const TMemberTable& Members() const override;

    // The value of a column in the current record; raises when there is none.
    const TVariant& CurrentValue(size_t column) const;
    const std::string& ColumnName(size_t column) const;

private:
    TVariant Open(const TArgs& args);
    TVariant Close(const TArgs& args);
    TVariant Bof(const TArgs& args);
    TVariant Eof(const TArgs& args);
    TVariant MoveFirst(const TArgs& args);
    TVariant MoveNext(const TArgs& args);
    TVariant Fields(const TArgs& args);
    TVariant RecordCount(const TArgs& args);
    TVariant State(const TArgs& args);

    void RequireOpen() const;
    bool IsOpen = false;
    TJetRows Data;
    size_t Position = 0;
};

// A field of a recordset: Name, and Value, which follows the recordset's
// current record.
class TAdoField : public TAutomationObject {
public:
    TAdoField(std::shared_ptr<TAdoRecordset> recordset, size_t column)
        : Recordset(std::move(recordset)), Column(column) {}

    std::string_view ClassName() const override { return "Field"; }
    const TMemberTable& Members() const override;

private:
    TVariant Value(const TArgs& args);
    TVariant Name(const TArgs& args);

    std::shared_ptr<TAdoRecordset> Recordset;
    size_t Column;
};
