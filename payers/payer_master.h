#pragma once

#include <QString>

#include <optional>

class Database;

// The payer master 入金先マスタ, its editing copy w入金先マスタ (the payer page) and the drop-down list
// w入金先名 of the schedule grid. Names are matched as whole, exact values. Every operation is all or
// nothing and throws StorageError (with a Japanese message) when the store fails.
namespace payers {

// Refills the editing copy from the master, in name order, all unticked.
void loadEditingCopy(Database& db);

// Replaces the master by the names of the editing copy, ticked or not. Rows without a name are not
// copied. On failure the master stays exactly as it was.
void saveEditingCopy(Database& db);

// Empties the editing copy.
void clearEditingCopy(Database& db);

// Deletes every payer of the master and empties the editing copy (the question is the caller's).
void deleteAllPayers(Database& db);

// Deletes the ticked names from the master and the ticked rows from the editing copy (the question is
// the caller's). Returns the number of ticked rows removed.
int deleteTickedPayers(Database& db);

// Refills the drop-down list from the master in name order.
void refreshDropDown(Database& db);

// Adds the name to the master unless a row with exactly that name exists; a missing or empty name
// adds nothing. Returns whether a row was added.
bool addPayer(Database& db, const std::optional<QString>& name);

} // namespace payers
