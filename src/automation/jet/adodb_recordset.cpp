#include "automation/jet/adodb_recordset.h"

#include "automation/jet/adodb_connection.h"

#include <algorithm>
#include <cctype>

namespace {

[[noreturn]] void Raise(const std::string& text) { throw TAutomationError(text); }

bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

constexpr const char* NoCurrentRecord = "Either BOF or EOF is True, or the current record has been deleted.";

} // namespace

TAdoRecordset::TAdoRecordset(TJetRows rows) : IsOpen(true), Data(std::move(rows)) {}

const TMemberTable& TAdoRecordset::Members() const {
    static const TMemberTable table = {
        MakeMember<TAdoRecordset>("Open", mkMethod, 1, 5, &TAdoRecordset::Open),
        MakeMember<TAdoRecordset>("Close", mkMethod, 0, 0, &TAdoRecordset::Close),
        MakeMember<TAdoRecordset>("BOF", mkPropertyGet, 0, 0, &TAdoRecordset::Bof),
        MakeMember<TAdoRecordset>("EOF", mkPropertyGet, 0, 0, &TAdoRecordset::Eof),
        MakeMember<TAdoRecordset>("MoveFirst", mkMethod, 0, 0, &TAdoRecordset::MoveFirst),
        MakeMember<TAdoRecordset>("MoveNext", mkMethod, 0, 0, &TAdoRecordset::MoveNext),
        MakeMember<TAdoRecordset>("Fields", mkPropertyGet, 1, 1, &TAdoRecordset::Fields),
        MakeMember<TAdoRecordset>("RecordCount", mkPropertyGet, 0, 0, &TAdoRecordset::RecordCount),
        MakeMember<TAdoRecordset>("State", mkPropertyGet, 0, 0, &TAdoRecordset::State),
    };
    return table;
}

void TAdoRecordset::RequireOpen() const {
    if (!IsOpen) Raise("Operation is not allowed when the object is closed.");
}

TVariant TAdoRecordset::Open(const TArgs& args) {
    if (IsOpen) Raise("Operation is not allowed when the object is open.");
    if (!ArgAt(args, 1).IsObject()) Raise("The connection cannot be used to perform this operation.");
    auto connection = std::dynamic_pointer_cast<TAdoConnection>(ArgAt(args, 1).AsObject());
    if (!connection) Raise("The connection cannot be used to perform this operation.");
    Data = connection->Query(ArgAt(args, 0).AsString());
    Position = 0;
    IsOpen = true;
    return {};
}

TVariant TAdoRecordset::Close(const TArgs&) {
    RequireOpen();
    IsOpen = false;
    Data = {};
    Position = 0;
    return {};
}

TVariant TAdoRecordset::Bof(const TArgs&) {
    RequireOpen();
    return Data.Rows.empty();
}

TVariant TAdoRecordset::Eof(const TArgs&) {
    RequireOpen();
    return Position >= Data.Rows.size();
}

TVariant TAdoRecordset::MoveFirst(const TArgs&) {
    RequireOpen();
    Position = 0;
    return {};
}

TVariant TAdoRecordset::MoveNext(const TArgs&) {
    RequireOpen();
    if (Position >= Data.Rows.size()) Raise(NoCurrentRecord);
    ++Position;
    return {};
}

TVariant TAdoRecordset::Fields(const TArgs& args) {
    RequireOpen();
    const TVariant& key = ArgAt(args, 0);
    size_t column = Data.Columns.size();
    if (key.Type() == vtString) {
        const std::string name = key.AsString();
        for (size_t c = 0; c < Data.Columns.size(); ++c)
            if (SameName(Data.Columns[c], name)) {
                column = c;
                break;
            }
    } else {
        int64_t ordinal = key.AsInt64();
        if (ordinal >= 0) column = static_cast<size_t>(ordinal);
    }
    if (column >= Data.Columns.size())
        Raise("Item cannot be found in the collection corresponding to the requested name or ordinal.");
    return MakeObject<TAdoField>(std::static_pointer_cast<TAdoRecordset>(shared_from_this()), column);
}

TVariant TAdoRecordset::RecordCount(const TArgs&) {
    RequireOpen();
    return TVariant(static_cast<int32_t>(Data.Rows.size()));
}

TVariant TAdoRecordset::State(const TArgs&) { return TVariant(int32_t{IsOpen ? 1 : 0}); }

const TVariant& TAdoRecordset::CurrentValue(size_t column) const {
    RequireOpen();
    if (Position >= Data.Rows.size()) Raise(NoCurrentRecord);
    if (column >= Data.Columns.size()) Raise("Item cannot be found in the collection.");
    return Data.Rows[Position][column];
}

const std::string& TAdoRecordset::ColumnName(size_t column) const {
    RequireOpen();
    if (column >= Data.Columns.size()) Raise("Item cannot be found in the collection.");
    return Data.Columns[column];
}

const TMemberTable& TAdoField::Members() const {
    static const TMemberTable table = {
        MakeMember<TAdoField>("Value", mkPropertyGet, 0, 0, &TAdoField::Value),
        MakeMember<TAdoField>("Name", mkPropertyGet, 0, 0, &TAdoField::Name),
    };
    return table;
}

TVariant TAdoField::Value(const TArgs&) { return Recordset->CurrentValue(Column); }

TVariant TAdoField::Name(const TArgs&) { return Recordset->ColumnName(Column); }
