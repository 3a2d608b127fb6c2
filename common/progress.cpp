#include "common/progress.h"

#include <algorithm>

namespace {

// Rounds a quotient of whole numbers to the nearest whole number, a tie going to the even neighbour.
int roundedHalfEven(int numerator, int denominator)
{
    const int quotient = numerator / denominator;
    const int twiceRemainder = 2 * (numerator % denominator);
    if (twiceRemainder > denominator || (twiceRemainder == denominator && quotient % 2 != 0))
        return quotient + 1;
    return quotient;
}

} // namespace

void StepProgress::start(int rowTotal)
{
    m_total = std::max(rowTotal, 0);
    m_percent = 0;
    m_step = m_total == 0 ? 0 : std::max(roundedHalfEven(m_total, 9), 1);
}

void StepProgress::operator()(int rowCounter)
{
    if (m_total == 0 || rowCounter < 1)
        return;
    if (m_percent < 100 && rowCounter % m_step == 0)
        m_percent = std::min(m_percent + 10, 100);
}
