#include "bank/bank_samples.h"
#include "bank/deposit_matching.h"
#include "bank/kana_key.h"
#include "bank/zengin_file.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

using bank::Judgement;
using bank::NameMatch;

namespace {

const QDate kDay(2025, 6, 30);

// The scenario behind the sample files: its payers with their readings, its invoices as open rows
// numbered from 1 in their order.
struct Scenario
{
    std::vector<bank::MatchPayer> payers;
    std::vector<bank::PlannedRow> rows;
};

Scenario sampleScenario()
{
    const QJsonObject json = QJsonDocument::fromJson(bank_samples::bytesOf("schedule.json")).object();
    Scenario scenario;
    QHash<QString, QString> names;
    for (const QJsonValue& p : json[QLatin1String("payers")].toArray()) {
        const QJsonObject payer = p.toObject();
        names.insert(payer[QLatin1String("id")].toString(), payer[QLatin1String("name")].toString());
        scenario.payers.push_back(
            {payer[QLatin1String("name")].toString(), payer[QLatin1String("kana")].toString(), {}});
    }
    qint64 id = 0;
    for (const QJsonValue& i : json[QLatin1String("invoices")].toArray()) {
        const QJsonObject invoice = i.toObject();
        scenario.rows.push_back({++id,
                                 QDate::fromString(invoice[QLatin1String("due")].toString(), Qt::ISODate),
                                 names[invoice[QLatin1String("payer")].toString()],
                                 Money::fromYen(invoice[QLatin1String("amount")].toInteger()), Money()});
    }
    return scenario;
}

bank::Deposit deposit(const char* name, qint64 yen, const QDate& date = kDay,
                      const char* reference = "000001")
{
    bank::Deposit d;
    d.銀行コード = QStringLiteral("9999");
    d.口座番号 = QStringLiteral("1234567");
    d.照会番号 = QString::fromLatin1(reference);
    d.取引日 = date;
    d.起算日 = date;
    d.金額 = Money::fromYen(yen);
    d.振込依頼人名 = QString::fromUtf8(name);
    return d;
}

bank::PlannedRow row(qint64 id, const char* payer, qint64 planned, const QDate& date = kDay,
                     qint64 received = 0)
{
    return {id, date, QString::fromUtf8(payer), Money::fromYen(planned), Money::fromYen(received)};
}

std::vector<bank::DepositJudgement> judge(const std::vector<bank::Deposit>& deposits,
                                          const std::vector<bank::MatchPayer>& payers,
                                          const std::vector<bank::PlannedRow>& rows,
                                          const QSet<QString>& applied = {})
{
    return bank::matchDeposits(deposits, payers, rows, bank::MatchSettings(), applied);
}

const std::vector<bank::MatchPayer> kPayers = {
    {QStringLiteral("山田商事"), QStringLiteral("ヤマダショウジ"), {}},
    {QStringLiteral("エムテック"), QStringLiteral("エムテック"), {}},
};

} // namespace

TEST(DepositMatching, JudgesTheSampleStatementAndLearnsTheNameTheUserConfirmed)
{
    Scenario scenario = sampleScenario();
    const std::vector<bank::Deposit> deposits =
        bank::readZenginFile(bank_samples::bytesOf("furikomi_01_crlf.txt"), QDate(2025, 7, 2)).deposits;
    const std::vector<bank::DepositJudgement> judged = judge(deposits, scenario.payers, scenario.rows);
    ASSERT_EQ(judged.size(), 8u);
    const std::vector<std::vector<qint64>> paid = {{1}, {2}, {3, 4}, {5}, {6}, {7}};
    for (std::size_t i = 0; i < paid.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(judged[i].judgement, Judgement::一致);
        EXPECT_EQ(judged[i].nameMatch, NameMatch::Equal);
        EXPECT_EQ(judged[i].payers, QStringList{scenario.payers[i].入金先名});
        EXPECT_EQ(judged[i].rows, paid[i]);
        EXPECT_EQ(judged[i].fee, i == 1 ? Money::fromYen(660) : Money());
        EXPECT_EQ(judged[i].key, bank::depositKey(deposits[i]));
    }
    // ﾉ-ｽﾌ-ｽﾞ(ｶ)ｻﾂﾎﾟﾛ(ｴｲ only begins like ノースフーズ: the user confirms, and the name is learned.
    EXPECT_EQ(judged[6].judgement, Judgement::候補);
    EXPECT_EQ(judged[6].nameMatch, NameMatch::Prefix);
    EXPECT_EQ(judged[6].candidates, std::vector<qint64>{8});
    EXPECT_EQ(judged[7].judgement, Judgement::不明);
    EXPECT_TRUE(judged[7].payers.isEmpty());

    scenario.payers[6].learnedKeys << bank::matchKey(deposits[6].振込依頼人名);
    const bank::DepositJudgement learned = judge({deposits[6]}, scenario.payers, scenario.rows).front();
    EXPECT_EQ(learned.judgement, Judgement::一致);
    EXPECT_EQ(learned.nameMatch, NameMatch::Learned);
    EXPECT_EQ(learned.rows, std::vector<qint64>{8});
}

TEST(DepositMatching, ADepositAppliedBeforeIsKnownAgain)
{
    const Scenario scenario = sampleScenario();
    const QByteArray file = bank_samples::bytesOf("furikomi_01_crlf.txt");
    const std::vector<bank::Deposit> first = bank::readZenginFile(file, QDate(2025, 7, 2)).deposits;
    QSet<QString> applied;
    for (const bank::DepositJudgement& j : judge(first, scenario.payers, scenario.rows))
        applied.insert(j.key);
    EXPECT_EQ(applied.size(), 8);

    // The same file read again, on another day, changes nothing; so does a deposit twice in one run.
    const std::vector<bank::Deposit> again = bank::readZenginFile(file, QDate(2025, 9, 1)).deposits;
    for (const bank::DepositJudgement& j : judge(again, scenario.payers, scenario.rows, applied))
        EXPECT_EQ(j.judgement, Judgement::消込済);
    const auto twice = judge({first[0], first[0]}, scenario.payers, scenario.rows);
    EXPECT_EQ(twice[0].judgement, Judgement::一致);
    EXPECT_EQ(twice[1].judgement, Judgement::消込済);

    // Each part of the key tells deposits apart; leading zeros do not.
    const bank::Deposit base = deposit("ｶ)ﾔﾏﾀﾞｼﾖｳｼﾞ", 110000);
    bank::Deposit widerAccount = base;
    widerAccount.口座番号 = QStringLiteral("0001234567");
    EXPECT_EQ(bank::depositKey(widerAccount), bank::depositKey(base));
    for (auto change : std::vector<std::function<void(bank::Deposit&)>>{
             [](bank::Deposit& d) { d.銀行コード = QStringLiteral("0005"); },
             [](bank::Deposit& d) { d.口座番号 = QStringLiteral("7654321"); },
             [](bank::Deposit& d) { d.照会番号 = QStringLiteral("000002"); },
             [](bank::Deposit& d) { d.取引日 = d.取引日.addDays(1); },
             [](bank::Deposit& d) { d.金額 = Money::fromYen(110001); },
             [](bank::Deposit& d) { d.振込依頼人名 = QStringLiteral("ﾕ)ﾔﾏﾀﾞｼﾖｳｼﾞ"); },
             [](bank::Deposit& d) { d.occurrence = 2; }}) {
        bank::Deposit other = base;
        change(other);
        EXPECT_NE(bank::depositKey(other), bank::depositKey(base));
    }
}

TEST(DepositMatching, TakesTheNearestRowAndNeverOneAnEarlierDepositOfTheRunPaid)
{
    const std::vector<bank::PlannedRow> rows = {
        row(1, "山田商事", 50000, kDay.addDays(-40)),
        row(2, "山田商事", 50000, kDay.addDays(5)),
        row(3, "山田商事", 50000, kDay.addDays(-5)),
        row(4, "山田商事", 50000, kDay.addDays(61)),
        row(5, "山田商事", 80000, kDay, 30000),            // 50,000 still open
        row(6, "山田商事", 50000, kDay.addDays(1), 50000), // paid
    };
    const auto judged =
        judge({deposit("ｶ)ﾔﾏﾀﾞｼﾖｳｼﾞ", 50000, kDay, "1"), deposit("ｶ)ﾔﾏﾀﾞｼﾖｳｼﾞ", 50000, kDay, "2"),
               deposit("ｶ)ﾔﾏﾀﾞｼﾖｳｼﾞ", 50000, kDay, "3"), deposit("ｶ)ﾔﾏﾀﾞｼﾖｳｼﾞ", 50000, kDay, "4"),
               deposit("ｶ)ﾔﾏﾀﾞｼﾖｳｼﾞ", 50000, kDay, "5")},
              kPayers, rows);
    // The open amount counts, not the planned one; five days before and after tie: the earlier first.
    EXPECT_EQ(judged[0].rows, std::vector<qint64>{5});
    EXPECT_EQ(judged[1].rows, std::vector<qint64>{3});
    EXPECT_EQ(judged[2].rows, std::vector<qint64>{2});
    EXPECT_EQ(judged[3].rows, std::vector<qint64>{1});
    // Row 4 lies beyond the 60 days; the rest are paid in this run: the user sees them.
    EXPECT_EQ(judged[4].judgement, Judgement::候補);
    EXPECT_EQ(judged[4].candidates, (std::vector<qint64>{5, 3, 2, 1}));
    EXPECT_EQ(judged[4].reason, QStringLiteral("合う予定は、この読み込みの別の入金で消し込まれています。"));

    // A fee the payer deducted, from the settings.
    bank::MatchSettings settings;
    settings.fees = {Money::fromYen(440)};
    const auto fee =
        bank::matchDeposits({deposit("ｶ)ﾔﾏﾀﾞｼﾖｳｼﾞ", 49560), deposit("ｶ)ﾔﾏﾀﾞｼﾖｳｼﾞ", 49340, kDay, "2")},
                            kPayers, rows, settings, {});
    EXPECT_EQ(fee[0].judgement, Judgement::一致);
    EXPECT_EQ(fee[0].rows, std::vector<qint64>{5});
    EXPECT_EQ(fee[0].fee, Money::fromYen(440));
    EXPECT_EQ(fee[1].judgement, Judgement::候補); // 660 is not among these settings' fees
}

TEST(DepositMatching, PaysTwoOrThreeRowsWhenExactlyOneSetAddsUp)
{
    const std::vector<bank::PlannedRow> rows = {
        row(1, "エムテック", 33000, kDay.addDays(-30)),
        row(2, "エムテック", 22000, kDay),
        row(3, "エムテック", 11000, kDay.addDays(10)),
        row(4, "エムテック", 7000, kDay.addDays(-3)),
    };
    const auto judged = judge(
        {deposit("ﾄﾞ)ｴﾑﾃﾂｸ", 62000, kDay, "1"), deposit("ﾄﾞ)ｴﾑﾃﾂｸ", 40000 - 330, kDay, "2")}, kPayers, rows);
    EXPECT_EQ(judged[0].judgement, Judgement::一致);
    EXPECT_EQ(judged[0].rows, (std::vector<qint64>{1, 4, 2})); // 33,000 + 7,000 + 22,000, by date
    EXPECT_EQ(judged[1].judgement, Judgement::候補);           // only row 3 is left open
    const auto fee =
        judge({deposit("ﾄﾞ)ｴﾑﾃﾂｸ", 33000 - 330)}, kPayers, {rows[2], rows[3], row(5, "エムテック", 15000)});
    EXPECT_EQ(fee[0].judgement, Judgement::一致);
    EXPECT_EQ(fee[0].rows, (std::vector<qint64>{4, 5, 3}));
    EXPECT_EQ(fee[0].fee, Money::fromYen(330));

    // 33,000 + 7,000 and 22,000 + 11,000 + 7,000 both make 40,000: the user chooses.
    const auto two = judge({deposit("ﾄﾞ)ｴﾑﾃﾂｸ", 40000)}, kPayers, rows);
    EXPECT_EQ(two[0].judgement, Judgement::候補);
    EXPECT_EQ(two[0].reason, QStringLiteral("合計が入金額になる予定の組み合わせが複数あります。"));
    EXPECT_EQ(two[0].candidates.size(), 4u);
}

TEST(DepositMatching, LeavesLooseNamesSeveralPayersAndUnfittingAmountsToTheUser)
{
    const std::vector<bank::MatchPayer> payers = {
        {QStringLiteral("山田商事"), QStringLiteral("ヤマダショウジ"), {}},
        {QStringLiteral("株式会社 鈴木建設"), QStringLiteral("カ)スズキケンセツ"), {}},
        {QStringLiteral("有限会社 鈴木建設"), QStringLiteral("スズキケンセツ(ユ"), {}},
        {QStringLiteral("佐藤花子"), QStringLiteral("サトウハナコ"), {}},
        {QStringLiteral("さとう はなこ"), QString(), {}}, // a name typed in kana serves as its reading
    };
    const std::vector<bank::PlannedRow> rows = {
        row(1, "山田商事", 100000),         row(2, "株式会社 鈴木建設", 30000),
        row(3, "有限会社 鈴木建設", 30000), row(4, "佐藤花子", 5000),
        row(5, "さとう はなこ", 5000),      row(6, "山田商事", 70000, kDay.addDays(-70)),
    };
    const auto judged = judge({deposit("ｶ)ﾔﾏﾀﾞｼﾖｳｼﾞ", 60000, kDay, "1"),             // partial
                               deposit("ｶ)ﾔﾏﾀﾞｼﾖｳｼﾞ", 200000, kDay, "2"),            // too much
                               deposit("ｶ)ﾔﾏﾀﾞｼﾖｳｼ", 100000, kDay, "3"),             // one character off
                               deposit("ﾕ)ｽｽﾞｷｹﾝｾﾂ", 30000, kDay, "4"),              // the legal form decides
                               deposit("ｻﾄｳ ﾊﾅｺ", 5000, kDay, "5"),                  // two payers
                               deposit("ｶ)ﾔﾏﾀﾞｼﾖｳｼﾞ", 70000, kDay.addDays(65), "6"), // no row near
                               deposit("ﾀﾅｶ ｲﾁﾛｳ", 5000, kDay, "7")},
                              payers, rows);
    EXPECT_EQ(judged[0].judgement, Judgement::候補);
    EXPECT_EQ(judged[0].reason, QStringLiteral("予定額に足りません。一部入金かもしれません。"));
    EXPECT_EQ(judged[0].candidates, std::vector<qint64>{1});
    EXPECT_EQ(judged[1].reason, QStringLiteral("入金額に合う予定がありません。"));
    EXPECT_EQ(judged[2].judgement, Judgement::候補);
    EXPECT_EQ(judged[2].nameMatch, NameMatch::Similar);
    EXPECT_EQ(judged[2].candidates, std::vector<qint64>{1});
    EXPECT_EQ(judged[3].judgement, Judgement::一致);
    EXPECT_EQ(judged[3].payers, QStringList{QStringLiteral("有限会社 鈴木建設")});
    EXPECT_EQ(judged[3].rows, std::vector<qint64>{3});
    EXPECT_EQ(judged[4].judgement, Judgement::候補);
    EXPECT_EQ(judged[4].payers, (QStringList{QStringLiteral("佐藤花子"), QStringLiteral("さとう はなこ")}));
    EXPECT_EQ(judged[4].candidates, (std::vector<qint64>{4, 5}));
    EXPECT_EQ(judged[5].judgement, Judgement::候補);
    EXPECT_TRUE(judged[5].candidates.empty());
    EXPECT_EQ(judged[5].reason, QStringLiteral("前後 60 日に未入金の予定がありません。"));
    EXPECT_EQ(judged[6].judgement, Judgement::不明);
}
