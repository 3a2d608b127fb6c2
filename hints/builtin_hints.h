#pragma once

#include <QString>

namespace hints {

// The short help the hint window starts with while the user has stored no text of their own for the
// key (window name, hint button name): what the page is for, its buttons and its keys. Empty for a key
// that has none (any window but the main one, any other button).
QString builtInHint(const QString& formName, const QString& ctlName);

} // namespace hints
