#include "catalogue/CasNumber.h"

bool isMistypedCasNumber(const QString &text)
{
    // Read by hand: the class lookup judges every CAS cell of the eleven tables at every lookup.
    const qsizetype firstHyphen = text.indexOf(QLatin1Char('-'));
    if (firstHyphen < 2 || firstHyphen > 7 || text.size() != firstHyphen + 5
        || text.at(firstHyphen + 3) != QLatin1Char('-'))
        return false;
    const auto digit = [&](qsizetype at) {
        const char16_t c = text.at(at).unicode();
        return c >= u'0' && c <= u'9' ? int(c - u'0') : -1;
    };
    int sum = 0;
    int place = int(firstHyphen) + 2; // the digits before the check digit, counted from the right
    for (qsizetype at = 0; at < text.size() - 1; ++at) {
        if (at == firstHyphen || at == firstHyphen + 3)
            continue;
        if (digit(at) < 0)
            return false;
        sum += place-- * digit(at);
    }
    const int check = digit(text.size() - 1);
    return check >= 0 && sum % 10 != check;
}
