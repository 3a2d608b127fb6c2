#pragma once

#include <QString>

#include <optional>
#include <stdexcept>
#include <vector>

class Database;

// The payer master 入金先マスタ, its editing copy w入金先マスタ (the payer page) and the drop-down list
// w入金先名 of the schedule grid. Names are matched as whole, exact values. Every operation is all or
// nothing and throws StorageError (with a Japanese message) when the store fails.
//
// The editing copy holds each payer's terms as the page shows them: 締め日 and 支払日 as 1-28 or 末,
// 支払月 as 0-6, 休日 as 前, 後 or なし, 定額 as an amount, 定額開始 and 定額終了 as yyyy/mm. The save
// reads them back with the terms' field readers.
namespace payers {

// A row of the editing copy whose terms cannot be stored; nothing was stored.
class PayerRowRefused : public std::runtime_error
{
public:
    explicit PayerRowRefused(const QString& message);
    const QString& userMessage() const { return m_userMessage; }

private:
    QString m_userMessage;
};

// Refills the editing copy from the master, in name order, all unticked, each row remembering the name
// it was read with.
void loadEditingCopy(Database& db);

// Reads every row of the editing copy as the save does and refuses the first bad one (PayerRowRefused),
// so that a question about the save is asked only of a page that can be stored.
void checkEditingCopy(Database& db);

// Whether saving the editing copy would change the master: a name, reading or term added, changed or
// removed. A copy with a row the save would refuse differs.
bool editingCopyDiffers(Database& db);

// A payer renamed on the page: the name it was read with, the name it has now, and how many stored
// rows of the schedule carry the old name.
struct Rename
{
    QString from;
    QString to;
    int storedRows = 0;
};
// The rows of the editing copy whose name differs from the name they were read with, in page order.
std::vector<Rename> findRenames(Database& db);

// Replaces the master by the names and terms of the editing copy, ticked or not. Rows without a name
// are not copied. Every row's terms are checked first: a bad one is refused (PayerRowRefused, naming the
// payer or the line) and nothing is stored. Each rename in `carried` takes the stored rows of its old
// name along, in the same transaction: the schedule 入金予定表, the record of made plans, the bank names
// learned for it and the displayed month's draft (InpWork, InpWorkBase). Afterwards each row of the
// editing copy counts as read with its present name. On failure the master stays exactly as it was.
void saveEditingCopy(Database& db, const std::vector<Rename>& carried = {});

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
