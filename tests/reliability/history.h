#pragma once

#include <QByteArray>
#include <QDate>
#include <QString>

#include <optional>

class Database;

// A data folder with a long stored history, the operations that write the permanent file, and the
// checks made on a folder after one of them was cut short. Shared by the crash driver (which runs an
// operation in its own process) and the tests (which prepare folders and check them).
namespace reliability {

enum class Operation { Save, LineDelete, PayerMaster, deleteAllData };

// Long enough that every operation runs for many milliseconds under the sanitizers, so the kill points
// fall all through it; short enough that the many kill runs stay cheap.
inline constexpr int kHistoryRows = 8400; // 6 rows a day from 2000/01/01
inline constexpr int kMasterPayers = 1500;
// Saved and edited month: early in the history, so the balance pass after it covers nearly all rows.
inline const QDate kEditedMonth(2000, 2, 1);

QString operationName(Operation op);
std::optional<Operation> operationFromName(const QString& name);

QString permanentFile(const QString& folder);
QString workFile(const QString& folder);

// A fresh folder holding the history, the payer master, the settings row and the work state the
// operation starts from (the loaded month with an edit, or an edited payer list), all written through
// the program's own operations and store. For the save, a blank row is opened near the top of the
// month, so that the save writes the new numbers of every row below it back into the work file.
void prepareFolder(const QString& folder, Operation op);

// What the window does on the button: the save, the deletion of the third row of the month, the
// payer-master save, or a fresh backup followed by the delete-all.
void runOperation(Database& db, Operation op);

// SHA-256 over every row of the three permanent tables, in a fixed order and with the stored types.
QByteArray permanentDigest(Database& db);
// The same over every table of the work file.
QByteArray workDigest(Database& db);
// Whether the operation writes the work file as well as the permanent one: a two-file commit.
bool writesBothFiles(Operation op);

// The first stored row whose balance is not the previous balance plus 予定額 minus 入金額 (in date,
// 行番号 order, from 0); empty when every balance holds.
QString balanceRuleViolation(Database& db);

// Result of PRAGMA integrity_check over both files ("ok" when sound).
QString integrityCheck(Database& db);

// Copies the files of a folder (not its sub-folders) into a new folder.
void copyFolder(const QString& from, const QString& to);

} // namespace reliability
