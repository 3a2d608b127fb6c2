#pragma once

#include <QString>

// The payer's name as the bank writes it (ｶ)ﾔﾏﾀﾞｼﾖｳｼﾞ) and as the payer master holds its reading
// (ヤマダショウジ) differ in width, small kana, long vowels, separators and the marks of the legal form.
// Both sides are folded by the same function into a match key that compares by equality.
namespace bank {

struct FoldedName
{
    // Full-width katakana, digits and A–Z only: half-width kana widened with their voiced marks joined,
    // hiragana as katakana, small kana as the large ones banks write (ャ as ヤ, ッ as ツ), the legal
    // form and office marks gone in every position and spelling, every separator and long-vowel mark
    // dropped (ノースフーズ and ﾉ-ｽﾌ-ｽﾞ both give ノスフズ).
    QString key;
    // Digits set apart before or after the name ("0007 ｻﾄｳ ﾊﾅｺ"): a reference the payer added.
    QString reference;
    // The legal form seen, as the bank abbreviates it (カ, ユ, ド, イ, ザイ, シヤ …); empty for none.
    // It tells apart two payers whose names fold alike.
    QString legalForm;
};

FoldedName foldName(const QString& name);
inline QString matchKey(const QString& name)
{
    return foldName(name).key;
}

} // namespace bank
