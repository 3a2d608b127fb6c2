#pragma once

#include <QDate>

#include <functional>
#include <vector>

class Database;
class QWidget;
class UserPrompts;

// cmd入金消込: the bank's file chosen, read (a CSV of a new layout through its column dialog), matched,
// reviewed and stored. `confirmChangingDates` is asked before the store with the dates of the rows that
// will change (the displayed month's unsaved edits are settled there); false stops. Returns the dates
// changed, empty when nothing was stored (a failure has been told).
std::vector<QDate> matchBankFile(QWidget* parent, Database& db, UserPrompts& prompts, const QDateTime& now,
                                 const std::function<bool(const std::vector<QDate>&)>& confirmChangingDates);
