#include "automation/jet/japanese_collation.h"

#include <sqlite3.h>
#include <unicode/ucol.h>

#include <cstring>

namespace {

int CompareJapanese(void* context, int sizeA, const void* a, int sizeB, const void* b) {
    auto* collator = static_cast<UCollator*>(context);
    UErrorCode status = U_ZERO_ERROR;
    UCollationResult result = ucol_strcollUTF8(collator, static_cast<const char*>(a), sizeA,
                                               static_cast<const char*>(b), sizeB, &status);
    if (U_SUCCESS(status)) return result == UCOL_LESS ? -1 : result == UCOL_GREATER ? 1 : 0;
    // Should ICU refuse, the bytes still give a consistent order.
    int common = sizeA < sizeB ? sizeA : sizeB;
    int byBytes = common > 0 ? std::memcmp(a, b, static_cast<size_t>(common)) : 0;
    return byBytes != 0 ? byBytes : sizeA - sizeB;
}

void CloseCollator(void* context) { ucol_close(static_cast<UCollator*>(context)); }

} // namespace

bool RegisterJapaneseCollation(sqlite3* database) {
    UErrorCode status = U_ZERO_ERROR;
    UCollator* collator = ucol_open("ja", &status);
    if (U_FAILURE(status) || !collator) return false;
    ucol_setStrength(collator, UCOL_SECONDARY);
    if (sqlite3_create_collation_v2(database, JapaneseCollationName, SQLITE_UTF8, collator, CompareJapanese,
                                    CloseCollator) == SQLITE_OK)
        return true;
    // SQLite does not call the destructor when the registration fails.
    ucol_close(collator);
    return false;
}
