#pragma once

#include <QString>

#include <cstdint>
#include <stdexcept>

class Database;

namespace settings {

inline const QString kWesternEra = QStringLiteral("西暦");
inline const QString kJapaneseEra = QStringLiteral("和暦");

// The one row of 自社情報 as the program reads and writes it.
struct SettingsRecord
{
    QString era = kWesternEra;  // 年号; any stored text is kept, only "和暦" picks the era display
    bool autoRegister = true;   // 入金先自動登録
    std::int64_t lineColor = 0; // LineColor1, red in the lowest byte

    friend bool operator==(const SettingsRecord&, const SettingsRecord&) = default;
};

// What the settings page shows. The swatch always shows the colour of the number, so it has no value
// of its own: a swatch that disagreed with the number would print another colour than it shows.
struct SettingsPage
{
    QString era;
    bool autoRegisterTicked = false;
    std::int64_t colorNumber = 0; // num白紙罫線色: the value that is stored, shown by Pic罫線色

    friend bool operator==(const SettingsPage&, const SettingsPage&) = default;
};

// Bad page input, worded for the user; nothing was stored.
class SettingsInputError : public std::runtime_error
{
public:
    explicit SettingsInputError(const QString& userMessage);
    const QString& userMessage() const { return m_userMessage; }

private:
    QString m_userMessage;
};

// Reads the first row: no row gives "西暦", registration on and colour 0; an empty era reads as
// "西暦", an empty registration as off, an empty colour as 0.
SettingsRecord readSettingsRecord(Database& db);

// Stores the record into the first row, or adds the row when there is none, in one transaction: the
// table never gets a second row from here. Throws SettingsInputError for a colour that is not an RGB
// number, StorageError when the store fails (nothing is changed then).
void saveSettingsRecord(Database& db, const SettingsRecord& record);

// Puts the stored row back to "西暦", registration on, colour 0 in one transaction. With no row
// nothing is created. Returns whether a row was reset.
bool resetSettingsRecord(Database& db);

// Empties 入金先マスタ, 入金予定表 and 自社情報 together: all three or, when one step fails, none
// (the StorageError is passed on). Hint texts and the work tables are not touched.
void deleteAllData(Database& db);

// Page values after a read, and the blank page of the clear button ("西暦", colour number 1,
// unticked).
SettingsPage pageOf(const SettingsRecord& record);
SettingsPage blankSettingsPage();
// What saving the page stores: the colour number, not the swatch.
SettingsRecord recordOf(const SettingsPage& page);

} // namespace settings
