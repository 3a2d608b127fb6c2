#include "bank/kana_key.h"

#include <gtest/gtest.h>

TEST(KanaKey, FoldsTheBanksSpellingAndTheRegisteredReadingAlike)
{
    struct Case
    {
        const char* name;
        const char* key;
        const char* reference;
        const char* legalForm;
    };
    const Case cases[] = {
        // The legal form first, in the middle, last, written wrongly, spelled out, in kanji.
        {"ｶ)ﾔﾏﾀﾞｼﾖｳｼﾞ", "ヤマダシヨウジ", "", "カ"},
        {"ヤマダショウジ", "ヤマダシヨウジ", "", ""},
        {"(ｶ)ﾔﾏﾀﾞｼﾖｳｼﾞ", "ヤマダシヨウジ", "", "カ"},
        {"ｶ) ﾔﾏﾀﾞｼﾖｳｼﾞ", "ヤマダシヨウジ", "", "カ"},
        {"ﾀﾅｶﾃﾞﾝｷ(ｶ", "タナカデンキ", "", "カ"},
        {"タナカデンキ（株）", "タナカデンキ", "", "カ"},
        {"タナカデンキ㈱", "タナカデンキ", "", "カ"},
        {"ﾄﾞ)ｴﾑﾃﾂｸ", "エムテツク", "", "ド"},
        {"ｺﾞｳﾄﾞｳｶﾞｲｼﾔ ｴﾑﾃﾂｸ", "エムテツク", "", "ド"},
        {"合同会社エムテック", "エムテツク", "", "ド"},
        {"ﾕ)ｽｽﾞｷｺｳﾑﾃﾝ", "スズキコウムテン", "", "ユ"},
        {"ｽｽﾞｷｺｳﾑﾃﾝ(ﾕ", "スズキコウムテン", "", "ユ"},
        {"ｲ)ｻｸﾗｶｲ", "サクラカイ", "", "イ"},
        {"医療法人社団さくら会", "サクラ会", "", "イ"}, // kanji cannot be compared with kana
        {"ｼﾔ)ﾆﾎﾝｷﾖｳｶｲ", "ニホンキヨウカイ", "", "シヤ"},
        {"シャ)ニホンキョウカイ", "ニホンキヨウカイ", "", "シヤ"},
        {"ｻﾞｲ)ﾐﾗｲｷｷﾝ", "ミライキキン", "", "ザイ"},
        {"ﾄｸﾋ)ﾐﾄﾞﾘﾉｶｲ", "ミドリノカイ", "", "トクヒ"},
        // A branch office: the form in the middle, the office at the end.
        {"ﾉ-ｽﾌ-ｽﾞ(ｶ)ｻﾂﾎﾟﾛ(ｴｲ", "ノスフズサツポロ", "", "カ"},
        {"ノースフーズ", "ノスフズ", "", ""},
        // Numbers the payer added before or after the name.
        {"0007 ｻﾄｳ ﾊﾅｺ", "サトウハナコ", "0007", ""},
        {"ｻﾄｳ ﾊﾅｺ 0007", "サトウハナコ", "0007", ""},
        {"さとう　はなこ", "サトウハナコ", "", ""},
        {"ﾀﾞｲ2ﾔﾏﾀﾞﾋﾞﾙ", "ダイ2ヤマダビル", "", ""},
        // Small kana, long vowels, separators and Latin letters.
        {"ｷﾔﾂﾄﾌｰﾄﾞ", "キヤツトフド", "", ""},
        {"キャットフード", "キヤツトフド", "", ""},
        {"ｴｽ.ｹｲ.ｼｽﾃﾑ", "エスケイシステム", "", ""},
        {"エス・ケイ・システム", "エスケイシステム", "", ""},
        {"ｴｽ ｹｲ ｼｽﾃﾑ", "エスケイシステム", "", ""},
        {"ＡＢＣ　ｼﾖｳｼﾞ", "ABCシヨウジ", "", ""},
        {"abc/ｼﾖｳｼﾞ", "ABCシヨウジ", "", ""},
        {"ｳﾞｨﾗ ﾍﾟﾝｼﾖﾝ", "ヴイラペンシヨン", "", ""},
        {"ヴィラ ペンション", "ヴイラペンシヨン", "", ""},
        {"", "", "", ""},
        {"(ｶ)", "", "", "カ"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const bank::FoldedName folded = bank::foldName(QString::fromUtf8(c.name));
        EXPECT_EQ(folded.key, QString::fromUtf8(c.key));
        EXPECT_EQ(folded.reference, QString::fromUtf8(c.reference));
        EXPECT_EQ(folded.legalForm, QString::fromUtf8(c.legalForm));
    }
}
