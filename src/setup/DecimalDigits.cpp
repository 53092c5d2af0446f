#include "DecimalDigits.h"

#include <algorithm>

bool isDecimalDigits(const QString &text)
{
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}
