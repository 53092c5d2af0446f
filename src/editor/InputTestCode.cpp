#include "InputTestCode.h"

std::optional<int> inputTestCode(const QString &inputText, int alarmMode)
{
    // The number starts at the third character: one digit in "DI1" and "bI7", two in "bI17".
    bool converted = false;
    const int number = inputText.mid(2, inputText.size() == 3 ? 1 : 2).toInt(&converted);
    if (!converted)
        return std::nullopt;
    const bool digitalInput = inputText.startsWith(QLatin1String("DI"));
    if (alarmMode < 4)
        return number >= 1 && number <= 6 ? 1 << (number - 1) : number; // DIk is bit k-1
    // Coded modes send the five-bit input code; DI6 stands apart from the codes.
    return digitalInput && number == 6 ? 32 : number;
}
