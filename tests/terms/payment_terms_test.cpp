#include "terms/payment_terms.h"

#include <gtest/gtest.h>

using namespace terms;

namespace {

QString s(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

// 20日締め翌々月10日払い, moved to the previous business day.
PaymentTerms usual()
{
    PaymentTerms terms;
    terms.締め日 = TermDay{20};
    terms.支払月 = 2;
    terms.支払日 = TermDay{10};
    terms.休日 = HolidayShift::Before;
    return terms;
}

} // namespace

TEST(PaymentTerms, FieldTextsReadBackAndBadOnesAreRefusedInJapanese)
{
    for (const char* text : {"末", "1", "28"})
        EXPECT_EQ(formatTermDay(parse締め日(s(text)).value), s(text));
    EXPECT_EQ(parse支払日(s(" ２５ ")).value, TermDay{25}) << "full-width digits and blanks";
    EXPECT_EQ(parse支払月(format支払月(6)).value, 6);
    EXPECT_EQ(parse支払月(s("翌々月")).value, 2);
    for (HolidayShift shift : {HolidayShift::Before, HolidayShift::After, HolidayShift::Keep})
        EXPECT_EQ(parse休日(format休日(shift)).value, shift);
    EXPECT_EQ(parse定額(s("１２，０００")).value, Money::fromYen(12000));
    EXPECT_EQ(parse定額開始(s("2025/4")).value, (YearMonth{2025, 4}));
    EXPECT_EQ(formatYearMonth(YearMonth{2025, 4}), s("2025/04"));
    EXPECT_TRUE(parse締め日(s(" ")).ok() && !parse締め日(s(" ")).value) << "a blank text is an empty field";

    for (const char* text : {"0", "29", "末日", "1.5"}) {
        EXPECT_EQ(parse締め日(s(text)).error, s("締め日は 1〜28 または「末」で入力してください。")) << text;
        EXPECT_TRUE(parse支払日(s(text)).error.startsWith(s("支払日は"))) << text;
    }
    for (const char* text : {"7", "-1", "翌翌月"})
        EXPECT_TRUE(parse支払月(s(text)).error.startsWith(s("支払月は 0（当月）〜6"))) << text;
    EXPECT_TRUE(parse休日(s("前日")).error.startsWith(s("休日は「前」")));
    for (const char* text : {"0", "-5000", "abc"})
        EXPECT_EQ(parse定額(s(text)).error, s("定額は 0 より大きい金額で入力してください。")) << text;
    for (const char* text : {"2025/13", "1899/12", "2025/04/01"})
        EXPECT_TRUE(parse定額終了(s(text)).error.startsWith(s("定額終了は 1900/01〜2099/12"))) << text;
}

TEST(PaymentTerms, WholeTermsAreCheckedTogether)
{
    EXPECT_EQ(validateTerms(PaymentTerms{}), QString());
    EXPECT_EQ(validateTerms(usual()), QString());

    PaymentTerms noClosing = usual();
    noClosing.締め日.reset();
    EXPECT_EQ(validateTerms(noClosing), s("支払日を入力するときは締め日も入力してください。"));
    noClosing.支払日.reset();
    EXPECT_EQ(validateTerms(noClosing), s("支払月を入力するときは締め日も入力してください。"));
    PaymentTerms noMonths = usual();
    noMonths.支払月.reset();
    EXPECT_TRUE(validateTerms(noMonths).startsWith(s("締め日を入力するときは支払月も")));
    PaymentTerms noPayDay = usual();
    noPayDay.支払日.reset();
    EXPECT_EQ(validateTerms(noPayDay), s("締め日を入力するときは支払日も入力してください。"));

    // Paid in the month of the closing: the paying day may not come before the closing day.
    PaymentTerms sameMonth = usual();
    sameMonth.支払月 = 0;
    EXPECT_TRUE(validateTerms(sameMonth).startsWith(s("当月払い")));
    sameMonth.支払日 = TermDay{20};
    EXPECT_EQ(validateTerms(sameMonth), QString());
    sameMonth.支払日 = TermDay::monthEnd();
    EXPECT_EQ(validateTerms(sameMonth), QString());
    sameMonth.締め日 = TermDay::monthEnd();
    EXPECT_EQ(validateTerms(sameMonth), QString());
    sameMonth.支払日 = TermDay{28};
    EXPECT_TRUE(validateTerms(sameMonth).startsWith(s("当月払い")));

    PaymentTerms fixed;
    fixed.定額 = Money::fromYen(50000);
    fixed.定額開始 = YearMonth{2025, 4};
    fixed.定額終了 = YearMonth{2025, 4};
    EXPECT_EQ(validateTerms(fixed), QString()) << "one month, and 定額 needs no 締め日";
    fixed.定額開始 = YearMonth{2025, 5};
    EXPECT_EQ(validateTerms(fixed), s("定額開始が定額終了より後になっています。"));
    fixed.定額.reset();
    EXPECT_EQ(validateTerms(fixed), s("定額開始・定額終了は定額を入力したときだけ入力できます。"));

    // Values that did not come through the readers are held to the same ranges.
    PaymentTerms outOfRange = usual();
    outOfRange.締め日 = TermDay{31};
    EXPECT_EQ(validateTerms(outOfRange), parse締め日(s("31")).error);
    outOfRange = usual();
    outOfRange.支払月 = 7;
    EXPECT_EQ(validateTerms(outOfRange), parse支払月(s("7")).error);
}

TEST(PaymentTerms, FixedAmountBoundsAreInclusiveAndMayBeOpen)
{
    PaymentTerms terms;
    EXPECT_FALSE(terms.fixedAmountInForce({2025, 4})) << "no amount, no plan";
    terms.定額 = Money::fromYen(1000);
    EXPECT_TRUE(terms.fixedAmountInForce({1900, 1}));
    terms.定額終了 = YearMonth{2025, 2};
    EXPECT_TRUE(terms.fixedAmountInForce({2025, 2}));
    EXPECT_FALSE(terms.fixedAmountInForce({2025, 3}));
    EXPECT_EQ(TermDay{30}.in(2025, 2), QDate(2025, 2, 28)) << "a day the month lacks is its last";
}
