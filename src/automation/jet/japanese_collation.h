#pragma once

struct sqlite3;

// The name under which statements ask for Japanese text order.
inline constexpr const char* JapaneseCollationName = "JAPANESE_CI";

// Registers ICU's Japanese collation on the connection under
// JapaneseCollationName: case-insensitive (secondary strength), so Latin
// letters compare without regard to case, and hiragana, katakana and
// half-width forms of one word sort together. The collation lives only in the
// connection; the file itself names no collation of ours.
bool RegisterJapaneseCollation(sqlite3* database);
