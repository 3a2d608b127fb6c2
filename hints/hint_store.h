#pragma once

#include <QString>

#include <optional>

class Database;

namespace hints {

// A row of ClHint. Contents may be empty (null) in an old file; the window then keeps what it shows.
struct StoredHint
{
    std::optional<QString> contents;
    QString formTitle;
};

// The hint stored for (form, control); nothing when no row matches or a key part is empty.
std::optional<StoredHint> readHint(Database& db, const QString& formName, const QString& ctlName);

// Replaces the hint of (form, control) by one row holding the title and text, in one transaction.
// Returns false, storing nothing, when a key part is empty.
bool saveHint(Database& db, const QString& formName, const QString& ctlName, const QString& formTitle,
              const QString& contents);

// Removes the hint of (form, control). Returns false, doing nothing, when a key part is empty.
bool deleteHint(Database& db, const QString& formName, const QString& ctlName);

} // namespace hints
