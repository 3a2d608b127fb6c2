// Payer names that break statements built as text, or that lose characters on the way through a C
// string, come back exactly from every place that stores them.

#include "payers/payer_master.h"
#include "report/report_data.h"
#include "schedule/draft.h"
#include "schedule/working_set.h"

#include "support/seed.h"
#include "support/temp_data.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace schedule;

namespace {

const QDate kMay2024(2024, 5, 1);

QStringList hostileNames()
{
    QString withNul = QStringLiteral("前");
    withNul += QChar(u'\0');
    withNul += QStringLiteral("後");
    return {
        QStringLiteral("O'Brien 商店"),
        QStringLiteral("'; delete * from 入金予定表; --"),
        QStringLiteral("100% 'quoted' \"double\" _under_ %"),
        QStringLiteral("#2024/05/01# ? ?1 :name @x $y"),
        QStringLiteral("\\back\\slash\\"),
        QString(300, QChar(u'長')),
        QString(1000, QChar(u'x')) + QStringLiteral("末尾"),
        QStringLiteral("tab\there"),
        QStringLiteral("line\nbreak\r\nwindows"),
        withNul,
        QStringLiteral("\x01\x02\x1f\x7f control"),
        QStringLiteral("🎉 絵文字 👨‍👩‍👧 🇯🇵"),
        QStringLiteral("שלום עולם"),
        QStringLiteral("مرحبا ١٢٣"),
        QStringLiteral("\u202e右から左\u202c \u200b幅なし"),
        QStringLiteral("  前後に空白  "),
        QStringLiteral("１２３４５"),
        QStringLiteral("0012"),
    };
}

QStringList sorted(QStringList names)
{
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

TEST(HostileInput, NamesRoundTripThroughSaveLoadDeleteAndReport)
{
    TempDataFolder folder;
    auto db = folder.open();
    const QStringList names = hostileNames();
    MonthDraft draft;
    draft.clear(*db, kMay2024);
    for (int i = 0; i < names.size(); ++i) {
        const std::size_t row = std::size_t(i);
        draft.setCells(*db,
                       {{row, k表示日付, Value(QString::number(1 + i))},
                        {row, k日付, Value(QDate(2024, 5, 1 + i))},
                        {row, k入金先名, Value(names[i])},
                        {row, k予定額, Value(yen(100 * (i + 1)))}},
                       Money(), QString());
    }
    draft.save(*db);

    std::vector<StoredRow> stored = readStoredRows(*db);
    ASSERT_EQ(stored.size(), std::size_t(names.size()));
    for (int i = 0; i < names.size(); ++i)
        EXPECT_EQ(stored[std::size_t(i)].入金先名, names[i]) << "row " << i;

    // Saving again matches every name to its stored row instead of adding a second one.
    draft.save(*db);
    EXPECT_EQ(readStoredRows(*db).size(), std::size_t(names.size()));

    ASSERT_TRUE(draft.load(*db, kMay2024));
    const std::vector<WorkRow> loaded = readWorkRows(*db);
    for (int i = 0; i < names.size(); ++i)
        EXPECT_EQ(loaded[std::size_t(i)].入金先名, names[i]) << "row " << i;

    const report::ReportData printed = report::prepareReport(*db, kMay2024, QStringLiteral("西暦"), {});
    ASSERT_EQ(printed.rows.size(), std::size_t(names.size()));
    for (int i = 0; i < names.size(); ++i)
        EXPECT_EQ(printed.rows[std::size_t(i)].payer, names[i]) << "row " << i;

    // Deleting removes the stored row behind each deleted line, and only that one.
    for (int row : {10, 2})
        EXPECT_TRUE(draft.deleteRow(*db, std::size_t(row - 1), Money())) << names[row - 1].toStdString();
    draft.save(*db);
    QStringList remaining;
    for (const StoredRow& r : readStoredRows(*db))
        remaining << r.入金先名.value_or(QString());
    QStringList expected = names;
    expected.removeAt(9);
    expected.removeAt(1);
    EXPECT_EQ(remaining, expected);
}

TEST(HostileInput, NamesRoundTripThroughThePayerMasterAndTheDropDown)
{
    TempDataFolder folder;
    auto db = folder.open();
    const QStringList names = hostileNames();
    seedPayerCopy(*db, names);
    payers::saveEditingCopy(*db);
    EXPECT_EQ(sortedPayers(*db), sorted(names));

    payers::loadEditingCopy(*db);
    EXPECT_EQ(sorted(readNames(*db, QStringLiteral("w入金先マスタ"))), sorted(names));
    payers::refreshDropDown(*db);
    EXPECT_EQ(sorted(readNames(*db, QStringLiteral("w入金先名"))), sorted(names));

    // Each is already there by its exact value; a changed character makes a new payer.
    for (const QString& name : names) {
        EXPECT_FALSE(payers::addPayer(*db, name)) << name.toStdString();
        EXPECT_TRUE(payers::addPayer(*db, name + QChar(u'\0'))) << name.toStdString();
    }
    EXPECT_EQ(countRows(*db, QStringLiteral("入金先マスタ")), 2 * names.size());
}
