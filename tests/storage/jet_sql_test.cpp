#include "storage/jet_sql.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

const std::vector<AttachedFile> kFiles = {{QStringLiteral("/data/Dorivan.mdb"), "main"},
                                          {QStringLiteral("/data/DorivanWork.mdb"), "work"}};

// Blanks left where words were taken out do not matter to SQLite, so they do not matter here.
std::string squeeze(std::string s)
{
    std::string out;
    for (char c : s) {
        if (c == ' ' && !out.empty() && out.back() == ' ')
            continue;
        out += c;
    }
    return out;
}

std::string sql(const std::string& statement, const std::vector<Value>& params = {})
{
    return squeeze(translateJetSql(statement, params, kFiles).sql);
}

} // namespace

TEST(JetSql, RewritesTheDialectIntoSqlite)
{
    EXPECT_EQ(sql("delete * from InpWork"), "delete from InpWork");
    EXPECT_EQ(sql("delete * from 入金予定表 where 日付 = #2005/12/01#"),
              "delete from 入金予定表 where 日付 = '2005-12-01'");
    EXPECT_EQ(sql("select * from 入金予定表 where  日付 >= #2005/12/01 00:00:00# order by 日付;"),
              "select * from 入金予定表 where 日付 >= '2005-12-01' order by 日付,行番号");
    EXPECT_EQ(sql("select top 1 * from 入金予定表 order by 日付 DESC,行番号 DESC;"),
              "select * from 入金予定表 order by 日付 DESC,行番号 DESC LIMIT 1");
    EXPECT_EQ(sql("insert into InpWork印刷 select * from InpWork  where not isnull(入金先名)"),
              "insert into InpWork印刷 select * from InpWork where not ((入金先名) is null)");
    EXPECT_EQ(sql("select * from w入金先マスタ where チェック =True"),
              "select * from w入金先マスタ where チェック =1");
    EXPECT_EQ(sql("select sum([予定額]) as total from InpWork"),
              "select sum([予定額]) as total from InpWork");
}

TEST(JetSql, DateTimeLiteralsKeepTheirTimeOfDay)
{
    EXPECT_EQ(sql("select * from t where d > #2005/12/01 13:05:00#"),
              "select * from t where d > '2005-12-01 13:05:00'");
    EXPECT_EQ(sql("select * from t where d = #2005/1/2#"), "select * from t where d = '2005-01-02'");
    EXPECT_THROW(sql("select * from t where d = #2005/13/01#"), std::invalid_argument);
    EXPECT_THROW(sql("select * from t where d = #2005/02/30#"), std::invalid_argument);
    EXPECT_THROW(sql("select * from t where d = #tomorrow#"), std::invalid_argument);
    EXPECT_THROW(sql("select * from t where d = #2005/12/01"), std::invalid_argument);
}

TEST(JetSql, InClauseNamesTheOtherFileAndDropsItsPath)
{
    const TranslatedSql t =
        translateJetSql("insert into w入金先名 select 入金先名 from 入金先マスタ in ? order by 入金先名;",
                        {QStringLiteral("/data/Dorivan.mdb")}, kFiles);
    EXPECT_EQ(squeeze(t.sql),
              "insert into w入金先名 select 入金先名 from main.入金先マスタ order by 入金先名");
    EXPECT_TRUE(t.params.empty());

    const TranslatedSql u = translateJetSql(
        "insert into 入金先マスタ in ? select 入金先名 from w入金先マスタ where 入金先名 <> ?",
        {QStringLiteral("/data/./Dorivan.mdb"), QStringLiteral("x")}, kFiles);
    EXPECT_EQ(squeeze(u.sql),
              "insert into main.入金先マスタ select 入金先名 from w入金先マスタ where 入金先名 <> ?");
    ASSERT_EQ(u.params.size(), 1u);
    EXPECT_EQ(u.params[0].toText(), QStringLiteral("x"));

    // A path that is neither file is refused rather than reaching some other database.
    EXPECT_THROW(translateJetSql("select * from 入金先マスタ in ?", {QStringLiteral("/etc/passwd")}, kFiles),
                 std::invalid_argument);
    // An ordinary `in` list is left alone.
    EXPECT_EQ(sql("select * from t where a in (1, 2)"), "select * from t where a in (1, 2)");
}

TEST(JetSql, PlaceholdersMustMatchTheValuesAndQuotesStayInsideLiterals)
{
    EXPECT_THROW(sql("select * from t where a = ?"), std::invalid_argument);
    EXPECT_THROW(sql("select * from t", {1}), std::invalid_argument);
    // A question mark or a hash inside a text literal is text, not syntax.
    EXPECT_EQ(sql("select * from t where a = 'it''s ?#' and b = ?", {2}),
              "select * from t where a = 'it''s ?#' and b = ?");
    EXPECT_THROW(sql("select * from t where a = 'open"), std::invalid_argument);
    EXPECT_THROW(sql("select * from t where not isnull(a"), std::invalid_argument);
    EXPECT_THROW(sql("select top from t"), std::invalid_argument);
}

// SQLite would bind these out of order, or skip text the translator never saw as hidden.
TEST(JetSql, RefusesWhatSqliteWouldReadOtherwise)
{
    EXPECT_THROW(sql("select * from t where a = ?2 and b = ?", {1, 2}), std::invalid_argument);
    for (const char* named :
         {"select * from t where a = :a", "select * from t where a = @a", "select * from t where a = $a"})
        EXPECT_THROW(sql(named), std::invalid_argument) << named;
    EXPECT_THROW(sql("select * from t where a = 1 -- '\n and b = ? --'"), std::invalid_argument);
    EXPECT_THROW(sql("select * from t /* ? */ where a = ?", {1}), std::invalid_argument);
    EXPECT_THROW(sql("delete * from t; delete * from u"), std::invalid_argument);
    // A backquoted name holds a quote and a question mark as SQLite reads it.
    EXPECT_EQ(sql("select `a'?` from t where b = ?", {1}), "select `a'?` from t where b = ?");
    EXPECT_EQ(sql("select * from t where a - -1 = ? ;;", {1}), "select * from t where a - -1 = ?");
}

// What a rewrite puts in place of a word must not fuse with the text beside it into something else.
TEST(JetSql, RewrittenWordsStayApartFromTheirNeighbours)
{
    const TranslatedSql t = translateJetSql("select ?true", {5}, kFiles);
    EXPECT_EQ(t.sql, "select ? 1"); // not the numbered placeholder ?1
    EXPECT_EQ(translateJetSql("select*from t", {}, kFiles, true).sql, "select rowid AS __rowid__, *from t");
    EXPECT_EQ(sql("select 'a'#2005/12/01#"), "select 'a' '2005-12-01'"); // not one text 'a''2005-12-01'
    EXPECT_EQ(sql("select x#2005/12/01#"), "select x '2005-12-01'");     // not a blob literal x'...'
    // Seams the statement wrote itself are kept as written.
    EXPECT_EQ(sql("select a||b, 1e5 from t where c =True"), "select a||b, 1e5 from t where c =1");
}

TEST(JetSql, RowIdIsAddedOnlyToPlainSelectsOfOneTable)
{
    auto t = translateJetSql("select * from InpWork order by 行番号;", {}, kFiles, true);
    EXPECT_EQ(t.selectTable, "InpWork");
    EXPECT_EQ(t.sql, "select rowid AS __rowid__, * from InpWork order by 行番号");

    t = translateJetSql(
        "select top 1 * from 入金予定表 where  日付 < #2005/12/01# order by 日付 DESC,行番号 DESC;", {},
        kFiles, true);
    EXPECT_EQ(t.selectTable, "入金予定表");

    t = translateJetSql("select sum([入金額]) as total from InpWork", {}, kFiles, true);
    EXPECT_TRUE(t.selectTable.empty());
    t = translateJetSql("select * from a, b", {}, kFiles, true);
    EXPECT_TRUE(t.selectTable.empty());
}

TEST(JetSql, DateLiteralsReadTheSameWhateverTheSpelling)
{
    // The usual spelling is read by a short path; every other spelling must give the same text.
    for (const char* spelling :
         {"#2024/02/29#", "#2024-02-29#", "# 2024/2/29 #", "#2024/02/29 00:00:00#", "#2024/2/29 0:0:0#"})
        EXPECT_EQ(sql(std::string("select * from t where d = ") + spelling),
                  "select * from t where d = '2024-02-29'")
            << spelling;
    EXPECT_EQ(sql("select * from t where d < #2024/02/29 23:59:59#"),
              "select * from t where d < '2024-02-29 23:59:59'");
    EXPECT_EQ(sql("select * from t where d < #2024/02/29 7:05:09#"),
              "select * from t where d < '2024-02-29 07:05:09'");
    for (const char* bad : {"#2023/02/29#", "#2024/02/29 24:00:00#", "#2024/02/29 12:60:00#", "#0000/01/01#",
                            "#2024/02-29#", "#2024/O2/29#"})
        EXPECT_THROW(sql(std::string("select * from t where d = ") + bad), std::invalid_argument) << bad;
}
