#include "hints/hint_store.h"

#include "storage/database.h"
#include "storage/rowset.h"
#include "storage/transaction.h"

namespace hints {

namespace {

const std::string kByKey = "where FormName = ? and CtlName = ?";
const std::string kDeleteKey = "delete from ClHint where FormName = ? and CtlName = ?";

bool hasKey(const QString& formName, const QString& ctlName)
{
    return !formName.isEmpty() && !ctlName.isEmpty();
}

} // namespace

std::optional<StoredHint> readHint(Database& db, const QString& formName, const QString& ctlName)
{
    if (!hasKey(formName, ctlName))
        return std::nullopt;

    RowSet rows =
        db.openRowSet("select * from ClHint where FormName = ? and CtlName = ?", {formName, ctlName});
    if (rows.isEmpty())
        return std::nullopt;
    rows.moveFirst();
    StoredHint hint;
    const Value contents = rows.get(QStringLiteral("Contents"));
    if (!contents.isNull())
        hint.contents = contents.toText();
    hint.formTitle = rows.get(QStringLiteral("FormTitle")).toText();
    rows.close();
    return hint;
}

bool saveHint(Database& db, const QString& formName, const QString& ctlName, const QString& formTitle,
              const QString& contents)
{
    if (!hasKey(formName, ctlName))
        return false;

    Transaction transaction(db);
    db.execute(kDeleteKey, {formName, ctlName});
    RowSet rows = db.openTable("ClHint", kByKey, {formName, ctlName});
    rows.addNew();
    rows.set(QStringLiteral("FormName"), formName);
    rows.set(QStringLiteral("CtlName"), ctlName);
    rows.set(QStringLiteral("FormTitle"), formTitle);
    // An empty field is stored as an empty text, not as nothing, so reading it back empties the field.
    rows.set(QStringLiteral("Contents"), contents.isNull() ? QStringLiteral("") : contents);
    rows.update();
    rows.close();
    transaction.commit();
    return true;
}

bool deleteHint(Database& db, const QString& formName, const QString& ctlName)
{
    if (!hasKey(formName, ctlName))
        return false;

    Transaction transaction(db);
    db.execute(kDeleteKey, {formName, ctlName});
    transaction.commit();
    return true;
}

} // namespace hints
