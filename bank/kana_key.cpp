#include "bank/kana_key.h"

#include <array>
#include <utility>
#include <vector>

namespace bank {

namespace {

struct Mark
{
    const char16_t* text;
    const char16_t* form; // the bank's abbreviation; empty for an office, which is no legal form
};

// The abbreviations banks write for legal forms and offices, after small kana became large (so シャ
// is シヤ, as banks write it).
constexpr std::array kAbbreviations{
    Mark{u"カ", u"カ"},         Mark{u"ユ", u"ユ"},         Mark{u"ド", u"ド"},
    Mark{u"メ", u"メ"},         Mark{u"シ", u"シ"},         Mark{u"イ", u"イ"},
    Mark{u"ザイ", u"ザイ"},     Mark{u"シヤ", u"シヤ"},     Mark{u"シユウ", u"シユウ"},
    Mark{u"シホウ", u"シホウ"}, Mark{u"ダイ", u"ダイ"},     Mark{u"チユウ", u"チユウ"},
    Mark{u"カンリ", u"カンリ"}, Mark{u"ガク", u"ガク"},     Mark{u"フク", u"フク"},
    Mark{u"ソ", u"ソ"},         Mark{u"ホゴ", u"ホゴ"},     Mark{u"トクヒ", u"トクヒ"},
    Mark{u"ドク", u"ドク"},     Mark{u"チドク", u"チドク"}, Mark{u"ベン", u"ベン"},
    Mark{u"ギヨ", u"ギヨ"},     Mark{u"ゼイ", u"ゼイ"},     Mark{u"ノウ", u"ノウ"},
    Mark{u"ロウム", u"ロウム"}, Mark{u"エイ", u""},         Mark{u"シユツ", u""},
};

// The bracketed kanji forms ((株), and ㈱ after NFKC).
constexpr std::array kBracketedKanji{
    Mark{u"株", u"カ"},     Mark{u"有", u"ユ"},   Mark{u"同", u"ド"},   Mark{u"名", u"メ"},
    Mark{u"資", u"シ"},     Mark{u"医", u"イ"},   Mark{u"財", u"ザイ"}, Mark{u"社", u"シヤ"},
    Mark{u"宗", u"シユウ"}, Mark{u"学", u"ガク"}, Mark{u"福", u"フク"}, Mark{u"特非", u"トクヒ"},
    Mark{u"独", u"ドク"},   Mark{u"営", u"エイ"},
};

// Written out in kanji or in kana, wherever they stand; longer forms first, so that 社会医療法人 goes
// whole rather than leaving 社会.
constexpr std::array kWords{
    Mark{u"特定非営利活動法人", u"トクヒ"},
    Mark{u"社会保険労務士法人", u"ロウム"},
    Mark{u"地方独立行政法人", u"チドク"},
    Mark{u"独立行政法人", u"ドク"},
    Mark{u"医療法人社団", u"イ"},
    Mark{u"医療法人財団", u"イ"},
    Mark{u"社会医療法人", u"イ"},
    Mark{u"一般財団法人", u"ザイ"},
    Mark{u"公益財団法人", u"ザイ"},
    Mark{u"一般社団法人", u"シヤ"},
    Mark{u"公益社団法人", u"シヤ"},
    Mark{u"社会福祉法人", u"フク"},
    Mark{u"更生保護法人", u"ホゴ"},
    Mark{u"行政書士法人", u"ギヨ"},
    Mark{u"司法書士法人", u"シホウ"},
    Mark{u"国立大学法人", u"ダイ"},
    Mark{u"公立大学法人", u"ダイ"},
    Mark{u"農事組合法人", u"ノウ"},
    Mark{u"管理組合法人", u"カンリ"},
    Mark{u"弁護士法人", u"ベン"},
    Mark{u"税理士法人", u"ゼイ"},
    Mark{u"株式会社", u"カ"},
    Mark{u"有限会社", u"ユ"},
    Mark{u"合同会社", u"ド"},
    Mark{u"合名会社", u"メ"},
    Mark{u"合資会社", u"シ"},
    Mark{u"相互会社", u"ソ"},
    Mark{u"医療法人", u"イ"},
    Mark{u"財団法人", u"ザイ"},
    Mark{u"社団法人", u"シヤ"},
    Mark{u"宗教法人", u"シユウ"},
    Mark{u"学校法人", u"ガク"},
    Mark{u"NPO法人", u"トクヒ"},
    Mark{u"営業所", u""},
    Mark{u"出張所", u""},
    Mark{u"カブシキガイシヤ", u"カ"},
    Mark{u"カブシキカイシヤ", u"カ"},
    Mark{u"ユウゲンガイシヤ", u"ユ"},
    Mark{u"ユウゲンカイシヤ", u"ユ"},
    Mark{u"ゴウドウガイシヤ", u"ド"},
    Mark{u"ゴウドウカイシヤ", u"ド"},
    Mark{u"ゴウメイガイシヤ", u"メ"},
    Mark{u"ゴウシガイシヤ", u"シ"},
    Mark{u"イリヨウホウジン", u"イ"},
    Mark{u"ザイダンホウジン", u"ザイ"},
    Mark{u"シヤダンホウジン", u"シヤ"},
    Mark{u"ガツコウホウジン", u"ガク"},
    Mark{u"シヤカイフクシホウジン", u"フク"},
};

// Small kana as the large ones banks write; ヲヰヱ as オイエ, since a payer's bank may read them either
// way.
char16_t largeKana(char16_t c)
{
    switch (c) {
    case u'ァ':
    case u'ィ':
    case u'ゥ':
    case u'ェ':
    case u'ォ':
    case u'ッ':
    case u'ャ':
    case u'ュ':
    case u'ョ':
    case u'ヮ':
        return char16_t(c + 1);
    case u'ヵ':
        return u'カ';
    case u'ヶ':
        return u'ケ';
    case u'ヲ':
        return u'オ';
    case u'ヰ':
        return u'イ';
    case u'ヱ':
        return u'エ';
    default:
        return c;
    }
}

// Width, script and case made alike; separators are still in place.
QString widened(const QString& name)
{
    QString text = name.normalized(QString::NormalizationForm_KC);
    for (QChar& c : text) {
        char16_t u = c.unicode();
        if (u >= u'ぁ' && u <= u'ゖ')
            u = char16_t(u + (u'ァ' - u'ぁ'));
        else if (u >= u'a' && u <= u'z')
            u = char16_t(u - u'a' + u'A');
        c = QChar(largeKana(u));
    }
    return text.trimmed();
}

bool isSeparator(QChar c)
{
    return !c.isLetterOrNumber() || c == QChar(u'ー');
}

bool isAsciiDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// A run of digits at the start or the end, set apart from the name by a separator.
QString takeReference(QString& text)
{
    qsizetype end = 0;
    while (end < text.size() && isAsciiDigit(text[end]))
        ++end;
    if (end > 0 && end < text.size() && isSeparator(text[end]) && text[end] != QLatin1Char('(')) {
        const QString reference = text.left(end);
        text = text.mid(end + 1).trimmed();
        return reference;
    }
    qsizetype start = text.size();
    while (start > 0 && isAsciiDigit(text[start - 1]))
        --start;
    if (start < text.size() && start > 1 && isSeparator(text[start - 1]) &&
        text[start - 1] != QLatin1Char(')')) {
        const QString reference = text.mid(start);
        text = text.left(start - 1).trimmed();
        return reference;
    }
    return {};
}

// The marks as the texts they are searched for, made once.
struct Abbreviation
{
    QString first;    // カ)
    QString anywhere; // (カ)
    QString last;     // (カ
    QString form;
};
struct Word
{
    QString text;
    QString form;
};

const std::vector<Abbreviation>& abbreviations()
{
    static const std::vector<Abbreviation> list = [] {
        std::vector<Abbreviation> made;
        for (const Mark& mark : kAbbreviations) {
            const QString text = QString::fromUtf16(mark.text);
            made.push_back({text + QLatin1Char(')'), QLatin1Char('(') + text + QLatin1Char(')'),
                            QLatin1Char('(') + text, QString::fromUtf16(mark.form)});
        }
        return made;
    }();
    return list;
}

const std::vector<Word>& words()
{
    static const std::vector<Word> list = [] {
        std::vector<Word> made;
        for (const Mark& word : kWords)
            made.push_back({QString::fromUtf16(word.text), QString::fromUtf16(word.form)});
        for (const Mark& kanji : kBracketedKanji)
            made.push_back({QLatin1Char('(') + QString::fromUtf16(kanji.text) + QLatin1Char(')'),
                            QString::fromUtf16(kanji.form)});
        return made;
    }();
    return list;
}

// Takes out one mark, wherever banks put it: "カ)" first, "(カ)" anywhere, "(カ" last. True when one went.
bool removeAbbreviation(QString& text, const Abbreviation& mark, QString& legalForm)
{
    bool removed = false;
    if (text.startsWith(mark.first)) {
        text.remove(0, mark.first.size());
        removed = true;
    }
    for (qsizetype at; (at = text.indexOf(mark.anywhere)) >= 0;) {
        text.remove(at, mark.anywhere.size());
        removed = true;
    }
    if (text.endsWith(mark.last)) {
        text.chop(mark.last.size());
        removed = true;
    }
    if (removed && legalForm.isEmpty())
        legalForm = mark.form;
    return removed;
}

void removeLegalForms(QString& text, QString& legalForm)
{
    for (const Word& word : words()) {
        if (text.contains(word.text)) {
            text.remove(word.text);
            if (legalForm.isEmpty())
                legalForm = word.form;
        }
    }
    // A mark may stand behind another (ｶ)…(ｴｲ): go round until none is left. Blanks beside a mark are
    // a common slip.
    for (bool again = true; again;) {
        again = false;
        text = text.trimmed();
        if (!text.contains(QLatin1Char('(')) && !text.contains(QLatin1Char(')')))
            return;
        text.replace(QStringLiteral(" )"), QStringLiteral(")"))
            .replace(QStringLiteral("( "), QStringLiteral("("));
        for (const Abbreviation& mark : abbreviations())
            again = removeAbbreviation(text, mark, legalForm) || again;
    }
}

} // namespace

FoldedName foldName(const QString& name)
{
    FoldedName folded;
    QString text = widened(name);
    folded.reference = takeReference(text);
    removeLegalForms(text, folded.legalForm);
    if (folded.reference.isEmpty())
        folded.reference = takeReference(text);
    folded.key.reserve(text.size());
    for (QChar c : text)
        if (!isSeparator(c))
            folded.key += c;
    return folded;
}

} // namespace bank
